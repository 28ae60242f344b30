// Measures the columns reader on 10^6 points of 3 columns (blank separated and as CSV with a
// header) and the matrix reader on a 1000 x 1000 grid, beside a plain fscanf("%lf") loop over
// the same values, and the peak memory a load adds beyond its file and its arrays.
// Usage: columns_bench [folder for the files]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "io/columns_reader.h"
#include "io/matrix_reader.h"
#include "tools/peak_memory.h"

namespace {

// Processor time of this process: on a machine shared with other work it measures the program
// itself, where the wall clock would also count the waiting.
double processSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

// The median of at least five runs.
double secondsOf(const std::function<void()>& run)
{
    std::vector<double> times;
    double total = 0.0;
    while (times.size() < 5 || (total < 0.5 && times.size() < 21)) {
        const double start = processSeconds();
        run();
        times.push_back(processSeconds() - start);
        total += times.back();
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Writes the file line by line, so that the benchmark itself holds no copy of it.
std::size_t writeFile(const std::string& path, const std::function<bool(std::string&)>& nextLine)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::perror(path.c_str());
        std::exit(1);
    }
    std::string line;
    std::size_t bytes = 0;
    while (nextLine(line)) {
        bytes += std::fwrite(line.data(), 1, line.size(), f);
    }
    std::fclose(f);
    return bytes;
}

std::size_t writePoints(const std::string& path, long points, char separator, bool header)
{
    std::mt19937 rng(42);
    std::uniform_real_distribution<double> value(-1000.0, 1000.0);
    long k = header ? -1 : 0;
    return writeFile(path, [&](std::string& line) {
        if (k == points) {
            return false;
        }
        char text[128];
        if (k++ < 0) {
            std::snprintf(text, sizeof text, "x%cy%cz\n", separator, separator);
        } else {
            std::snprintf(text, sizeof text, "%.6f%c%.6f%c%.6f\n", value(rng), separator, value(rng), separator,
                          value(rng));
        }
        line = text;
        return true;
    });
}

std::size_t writeMatrix(const std::string& path, int rows, int columns)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    int row = 0;
    return writeFile(path, [&](std::string& line) {
        if (row++ == rows) {
            return false;
        }
        line.clear();
        char number[40];
        for (int c = 0; c < columns; ++c) {
            std::snprintf(number, sizeof number, c == 0 ? "%.6f" : " %.6f", value(rng));
            line += number;
        }
        line += '\n';
        return true;
    });
}

// The baseline: every value of the file through fscanf("%lf").
void fscanfValues(const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "r");
    double v = 0.0, sum = 0.0;
    long n = 0;
    while (std::fscanf(f, "%lf", &v) == 1) {
        sum += v;
        ++n;
    }
    std::fclose(f);
    if (sum == 1e300 || n < 0) {
        std::puts("");
    }
}

std::size_t arrayBytes(const LoadResult& r)
{
    return r.data.coordArray.size() * sizeof(Point3d) + r.data.groupArray.size() * sizeof(int);
}

struct Case {
    const char* label;
    std::size_t bytes;
    std::string scanfPath;  // the blank-separated file with the same values
    std::function<LoadResult()> load;
};

void report(const Case& c, long extraPeak)
{
    const LoadResult first = c.load();
    if (!first.loaded) {
        std::printf("%s: %s\n", c.label, first.error.c_str());
        std::exit(1);
    }
    const double scanf = secondsOf([&] { fscanfValues(c.scanfPath); });
    const double reader = secondsOf([&] { c.load(); });
    std::printf("%-26s %7.1f %9.0f %9.0f %8.1fx %11ld\n", c.label, c.bytes / 1e6, scanf * 1e3, reader * 1e3,
                scanf / reader, extraPeak);
}

}  // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::string folder;
    if (argc > 1) {
        folder = argv[1];
    } else {
        char pattern[] = "/tmp/columns-bench-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            std::perror("mkdtemp");
            return 1;
        }
        folder = pattern;
    }
    constexpr long kPoints = 1000000;
    const std::string blank = folder + "/points.txt";
    const std::string csv = folder + "/points.csv";
    const std::string grid = folder + "/grid.txt";
    const std::size_t blankBytes = writePoints(blank, kPoints, ' ', false);
    const std::size_t csvBytes = writePoints(csv, kPoints, ',', true);
    const std::size_t gridBytes = writeMatrix(grid, 1000, 1000);

    const ColumnsOptions defaults;
    const Case cases[] = {
        {"columns, blank separated", blankBytes, blank, [&] { return readColumnsFile(DataFile{blank.c_str(), blank.c_str()}, defaults); }},
        {"columns, CSV with header", csvBytes, blank, [&] { return readColumnsFile(DataFile{csv.c_str(), csv.c_str()}, defaults); }},
        {"matrix 1000 x 1000", gridBytes, grid, [&] { return readMatrixFile(DataFile{grid.c_str(), grid.c_str()}); }}};
    // The peaks first, each in a child forked before this process has loaded anything, so that
    // no memory a freed load left to the allocator hides a peak.
    long extraPeak[3];
    for (int k = 0; k < 3; ++k) {
        extraPeak[k] = extraPeakKilobytes([&] { return arrayBytes(cases[k].load()); }, cases[k].bytes);
    }
    std::printf("Processor time, median of 5 or more runs; fscanf reads the blank-separated values.\n");
    std::printf("%-26s %7s %9s %9s %9s %11s\n", "file", "MB", "fscanf ms", "reader ms", "speed-up",
                "extra peak KB");
    for (int k = 0; k < 3; ++k) {
        report(cases[k], extraPeak[k]);
    }
    if (argc <= 1) {
        for (const std::string& path : {blank, csv, grid}) {
            std::remove(path.c_str());
        }
        rmdir(folder.c_str());
    }
    return 0;
}
