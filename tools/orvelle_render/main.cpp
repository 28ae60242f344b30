// orvelle-render: draws a data file with the viewer's own frame code into a PNG,
// without any display.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <stb_image_write.h>

#include "core/data_set.h"
#include "io/data_loader.h"
#include "render/gl/frame.h"
#include "render/gl/offscreen_context.h"
#include "render_options.h"

namespace {

enum ExitStatus { kWritten = 0, kFailed = 1, kUsage = 2 };

// Loads as the viewer does after a file is picked, with the same report; true when the
// reader completed a load.
bool loadFile(const RenderOptions& options, DataSet& data)
{
    const DataFile file{options.file.c_str(), options.file.c_str()};
    return loadDataFile(file, loadSettingsFrom(options.settings), data);
}

double medianOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

// The largest resident memory of the process so far, in bytes; 0 when the system does not tell.
unsigned long long peakResidentBytes()
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) {
        return 0;
    }
    unsigned long long kilobytes = 0;
    char line[256];
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::sscanf(line, "VmHWM: %llu kB", &kilobytes) == 1) {
            break;
        }
    }
    std::fclose(status);
    return kilobytes * 1024ull;
}

void drawFrames(const FrameInputs& in, FrameState& state, int count)
{
    // The first frame builds the geometry that later frames draw again; it is timed apart.
    const auto buildStart = std::chrono::steady_clock::now();
    displayFrame(in, state);
    const auto buildEnd = std::chrono::steady_clock::now();
    std::printf("drawing: %s\n", drawingPathWord(drawingPathInContext(state.drawing)));
    std::printf("first-frame-ms: %.2f\n", std::chrono::duration<double, std::milli>(buildEnd - buildStart).count());
    std::vector<double> milliseconds;
    for (int k = 0; k < count; ++k) {
        const auto start = std::chrono::steady_clock::now();
        displayFrame(in, state);
        const auto end = std::chrono::steady_clock::now();
        milliseconds.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::printf("frames: %d median-ms: %.2f\n", count, medianOf(milliseconds));
    std::printf("peak-memory-mb: %.1f\n", static_cast<double>(peakResidentBytes()) / 1.0e6);
}

// One eye's picture, or both side by side, as the PNG's RGB rows.
bool writePicture(const RenderOptions& options)
{
    const int width = options.width;
    const int height = options.height;
    if (options.settings.stereoMode != ViewMode::Stereo) {
        const std::vector<unsigned char> picture = readOffscreenPicture(0);
        return !picture.empty() &&
               stbi_write_png(options.output.c_str(), width, height, 3, picture.data(), width * 3) != 0;
    }
    const std::vector<unsigned char> left = readOffscreenPicture(0);
    const std::vector<unsigned char> right = readOffscreenPicture(1);
    if (left.empty() || right.empty()) {
        return false;
    }
    const std::size_t row = static_cast<std::size_t>(width) * 3;
    std::vector<unsigned char> both(row * 2 * height);
    for (int y = 0; y < height; ++y) {
        std::copy_n(&left[y * row], row, &both[2 * y * row]);
        std::copy_n(&right[y * row], row, &both[(2 * y + 1) * row]);
    }
    return stbi_write_png(options.output.c_str(), 2 * width, height, 3, both.data(), 2 * width * 3) != 0;
}

}  // namespace

int main(int argc, char** argv)
{
    // Every message is one line; line buffering delivers each at once, also into a pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);

    RenderOptions options;
    std::string error;
    if (!parseRenderOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "orvelle-render: %s (see --help)\n", error.c_str());
        return kUsage;
    }
    if (options.help) {
        std::fputs(renderUsage().c_str(), stdout);
        return kWritten;
    }

    DataSet data;
    if (!loadFile(options, data)) {
        std::fprintf(stderr, "orvelle-render: could not load %s\n", options.file.c_str());
        return kFailed;
    }
    const Settings& settings = options.settings;
    const bool twoEyes = settings.stereoMode == ViewMode::Stereo;
    if (!openOffscreenContext(options.width, options.height, twoEyes, settings, error)) {
        std::fprintf(stderr, "orvelle-render: no offscreen picture: %s\n", error.c_str());
        return kFailed;
    }
    FrameState state;
    state.referenceDrawing = options.reference;
    state.drawing = options.drawing;
    FrameInputs in{settings, data};
    in.viewportWidth = options.width;
    in.viewportHeight = options.height;
    in.fileName = options.file;
    in.quadric = offscreenQuadric();
    if (options.frames > 0) {
        drawFrames(in, state, options.frames);
    } else {
        displayFrame(in, state);
    }
    const bool written = writePicture(options);
    closeOffscreenContext();
    if (!written) {
        std::fprintf(stderr, "orvelle-render: could not write %s\n", options.output.c_str());
        return kFailed;
    }
    std::printf("picture: %s\n", options.output.c_str());
    return kWritten;
}
