// The worker thread of loads, its progress count, and the hand-over to the event loop.
#include "app/background_load.h"

#include <sys/stat.h>

#include <atomic>
#include <cstdlib>
#include <cstdio>
#include <memory>
#include <thread>
#include <utility>

#include "app/viewer_state.h"
#include "core/display_text.h"
#include "io/format_detect.h"
#include "io/read_progress.h"

namespace {

struct RunningLoad {
    LoadJob job;
    DataSet read;
    std::optional<DataFormat> detected;
    bool loaded = false;
    std::atomic<std::uint64_t> bytesRead{0};
    std::uint64_t totalBytes = 0;  // the file's size at the start; 0 when unknown
    std::chrono::steady_clock::time_point started;
    std::atomic<bool> done{false};
    std::thread worker;
};

bool backgroundLoads = false;
std::unique_ptr<RunningLoad> running;
std::optional<LoadJob> waiting;

void readJob(RunningLoad& load)
{
    setReadProgressCounter(&load.bytesRead);
    if (load.job.reportsDetectedFormat && load.job.settings.detectFormat) {
        load.detected = detectFileFormat(load.job.path.c_str());
    }
    load.loaded = loadDataFile(DataFile{load.job.path.c_str(), load.job.name.c_str()}, load.job.settings, load.read);
    setReadProgressCounter(nullptr);
}

std::unique_ptr<RunningLoad> prepare(LoadJob job)
{
    auto load = std::make_unique<RunningLoad>();
    load->job = std::move(job);
    // A "Data" header that lacks a dimension still reads it from the data set on screen.
    load->read.fnTrf = dataSet.fnTrf;
    load->read.loadedFormat = dataSet.loadedFormat;
    struct stat info {};
    if (::stat(load->job.path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        load->totalBytes = static_cast<std::uint64_t>(info.st_size);
    }
    load->started = std::chrono::steady_clock::now();
    return load;
}

void finish(RunningLoad& load)
{
    if (load.job.finished) {
        load.job.finished(load.loaded, load.read, load.detected);
    }
}

// The process may end ("Quit") while a file is being read: the worker is let go and what it
// works on is left to the end of the process, so that neither a joinable thread nor memory
// the worker still writes is destroyed under it.
void letTheWorkerGoAtExit()
{
    if (running && running->worker.joinable()) {
        running->worker.detach();
        static_cast<void>(running.release());
    }
}

void startRunning(LoadJob job)
{
    static const bool exitHandled = std::atexit(letTheWorkerGoAtExit) == 0;
    static_cast<void>(exitHandled);
    running = prepare(std::move(job));
    RunningLoad* load = running.get();
    load->worker = std::thread([load] {
        readJob(*load);
        load->done.store(true, std::memory_order_release);
    });
}

double megabytes(std::uint64_t bytes)
{
    return static_cast<double>(bytes) / 1.0e6;
}

}  // namespace

void setBackgroundLoads(bool on)
{
    backgroundLoads = on;
}

void startLoad(LoadJob job)
{
    if (!backgroundLoads) {
        std::unique_ptr<RunningLoad> load = prepare(std::move(job));
        readJob(*load);
        finish(*load);
        return;
    }
    if (running) {
        waiting = std::move(job);
        return;
    }
    startRunning(std::move(job));
}

void serviceLoads()
{
    if (running && running->done.load(std::memory_order_acquire)) {
        running->worker.join();
        std::unique_ptr<RunningLoad> ended = std::move(running);
        finish(*ended);
    }
    if (!running && waiting) {
        LoadJob next = std::move(*waiting);
        waiting.reset();
        startRunning(std::move(next));
    }
}

bool loadBusy()
{
    return running != nullptr || waiting.has_value();
}

std::string loadProgressLine(std::chrono::steady_clock::time_point now)
{
    if (!running || now - running->started < kProgressAfter) {
        return "";
    }
    const std::uint64_t read = running->bytesRead.load(std::memory_order_relaxed);
    char amount[96];
    if (running->totalBytes > 0) {
        std::snprintf(amount, sizeof amount, "%.1f of %.1f MB read", megabytes(read), megabytes(running->totalBytes));
    } else {
        std::snprintf(amount, sizeof amount, "%.1f MB read", megabytes(read));
    }
    const double seconds = std::chrono::duration<double>(now - running->started).count();
    char elapsed[32];
    std::snprintf(elapsed, sizeof elapsed, ", %.1f s", seconds);
    return "Loading " + escapeControlCharacters(running->job.name) + ": " + amount + elapsed;
}

void finishLoads()
{
    while (loadBusy()) {
        if (running && !running->done.load(std::memory_order_acquire)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        serviceLoads();
    }
}

void installLoadedData(DataSet& read, DataSet& shown)
{
    const unsigned long generation = shown.generation;
    std::vector<int> groups = read.loadedFormat == static_cast<int>(DataFormat::Colored)
                                  ? std::move(read.groupArray)
                                  : std::move(shown.groupArray);
    shown = std::move(read);
    shown.groupArray = std::move(groups);
    shown.generation = generation + 1;
    read = DataSet{};
}
