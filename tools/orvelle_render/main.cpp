// orvelle-render: draws a data file with the viewer's own frame code into a PNG,
// without any display.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <stb_image_write.h>

#include "app/viewer_state.h"
#include "io/color_reader.h"
#include "core/data_set.h"
#include "io/maple_reader.h"
#include "io/plain_reader.h"
#include "core/colors.h"
#include "render/gl/data_drawing.h"
#include "render/gl/frame.h"
#include "render/gl/offscreen_context.h"
#include "render_options.h"

namespace {

enum ExitStatus { kWritten = 0, kFailed = 1, kUsage = 2 };

// Loads as the viewer does after a file is picked; true when the reader completed a load.
bool loadFile(const RenderOptions& options)
{
    viewer.filename = options.file;
    const unsigned long before = dataSet.generation;
    switch (options.dataFormat) {
    case 1:
        readMapleFile(options.file.c_str());
        break;
    case 2:
        readColorDataFile(options.file.c_str());
        break;
    default:
        readDataFile(options.file.c_str());
        break;
    }
    return dataSet.generation != before;
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

void drawFrames(int count)
{
    // The first frame builds the geometry that later frames draw again; it is timed apart.
    const auto buildStart = std::chrono::steady_clock::now();
    displayFrame();
    const auto buildEnd = std::chrono::steady_clock::now();
    std::printf("first-frame-ms: %.2f\n", std::chrono::duration<double, std::milli>(buildEnd - buildStart).count());
    std::vector<double> milliseconds;
    for (int k = 0; k < count; ++k) {
        const auto start = std::chrono::steady_clock::now();
        displayFrame();
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
    if (options.view != PictureView::SideBySide) {
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
        std::fputs(kRenderUsage, stdout);
        return kWritten;
    }

    // The data colours start as the panel fills them; the options may change some.
    fillDataColors();
    applyRenderOptions(options);
    setReferenceDrawing(options.reference);

    if (!loadFile(options)) {
        std::fprintf(stderr, "orvelle-render: could not load %s\n", options.file.c_str());
        return kFailed;
    }
    if (!openOffscreenContext(options.width, options.height, options.view == PictureView::SideBySide, error)) {
        std::fprintf(stderr, "orvelle-render: no offscreen picture: %s\n", error.c_str());
        return kFailed;
    }
    if (options.frames > 0) {
        drawFrames(options.frames);
    } else {
        displayFrame();
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
