// orvelle-render: draws a data file with the viewer's own frame code into a PNG,
// without any display.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "core/data_set.h"
#include "core/view_presets.h"
#include "io/data_loader.h"
#include "io/load_options.h"
#include "io/picture_file.h"
#include "picture_output.h"
#include "render/gl/frame.h"
#include "render/cpu/picture_filter.h"
#include "render/gl/offscreen_context.h"
#include "render/gl/smooth_target.h"
#include "render_options.h"

namespace {

enum ExitStatus { kWritten = 0, kFailed = 1, kUsage = 2 };

// Loads as the viewer does after a file is picked, with the same report; true when the
// reader completed a load.
bool loadFile(const RenderOptions& options, DataSet& data)
{
    const DataFile file{options.file.c_str(), options.file.c_str()};
    return loadDataFile(file, loadSettingsFor(options.settings, options.load), data);
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

// One eye's picture at the size asked for: read back, and filtered down where it was drawn
// larger.
std::vector<unsigned char> eyePicture(const RenderOptions& options, int eye, int scale)
{
    const std::vector<unsigned char> drawn = readOffscreenPicture(eye);
    if (drawn.empty() || scale <= 1) {
        return drawn;
    }
    return shrinkByBoxFilter(drawn, options.width * scale, options.height * scale, scale);
}

// One eye's picture, or both side by side, written whole to path or not at all; false with
// the reason in error.
bool writePicture(const RenderOptions& options, int scale, const std::string& path, std::string& error)
{
    const int width = options.width;
    const int height = options.height;
    if (options.settings.stereoMode != ViewMode::Stereo) {
        const std::vector<unsigned char> picture = eyePicture(options, 0, scale);
        if (picture.empty()) {
            error = "no picture was drawn";
            return false;
        }
        return writeRenderedPicture(path, options.file, width, height, picture.data(), error);
    }
    const std::vector<unsigned char> left = eyePicture(options, 0, scale);
    const std::vector<unsigned char> right = eyePicture(options, 1, scale);
    if (left.empty() || right.empty()) {
        error = "no picture was drawn";
        return false;
    }
    const std::size_t row = static_cast<std::size_t>(width) * 3;
    std::vector<unsigned char> both(row * 2 * height);
    for (int y = 0; y < height; ++y) {
        std::copy_n(&left[y * row], row, &both[2 * y * row]);
        std::copy_n(&right[y * row], row, &both[(2 * y + 1) * row]);
    }
    return writeRenderedPicture(path, options.file, 2 * width, height, both.data(), error);
}

bool written(const RenderOptions& options, int scale, const std::string& path)
{
    std::string error;
    if (!writePicture(options, scale, path, error)) {
        std::fprintf(stderr, "orvelle-render: could not write %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    std::printf("picture: %s\n", path.c_str());
    return true;
}

// The pictures of a turntable: the view turned by an equal step about the vertical axis
// for each, the first one unturned.
bool writeTurntable(const RenderOptions& options, const FrameInputs& base, FrameState& state)
{
    for (int k = 0; k < options.turntable; ++k) {
        Settings turned = base.settings;
        turnAboutVertical(turned, 360.0 * k / options.turntable);
        FrameInputs in{turned, base.data};
        in.viewportWidth = base.viewportWidth;
        in.viewportHeight = base.viewportHeight;
        in.fileName = base.fileName;
        in.quadric = base.quadric;
        in.smoothSamples = base.smoothSamples;
        in.pixelScale = base.pixelScale;
        in.fitPicture = base.fitPicture;
        displayFrame(in, state);
        if (!written(options, static_cast<int>(base.pixelScale), turntableName(options.output, k, options.turntable))) {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    // Every message is one line; line buffering delivers each at once, also into a pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    // A reader of the report that goes away (| head -c1) must not end the program before the
    // picture is written: a write to the closed pipe then fails with EPIPE instead.
    std::signal(SIGPIPE, SIG_IGN);
    // A picture beyond the file size limit is then a failed write with its reason, not the
    // end of the process.
    std::signal(SIGXFSZ, SIG_IGN);

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
    if (options.version) {
        std::printf("orvelle-render %s\n", ORVELLE_VERSION);
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
    // Samples the renderer cannot multisample come from a picture drawn larger.
    const SmoothingPlan plan = smoothingPlan(options.antialias, largestSampleCount(),
                                             settings.stereoMode == ViewMode::Interleaved, options.width,
                                             options.height, offscreenLargestSide());
    if (plan.scale > 1) {
        closeOffscreenContext();
        if (!openOffscreenContext(options.width * plan.scale, options.height * plan.scale, twoEyes, settings,
                                  error)) {
            std::fprintf(stderr, "orvelle-render: no offscreen picture: %s\n", error.c_str());
            return kFailed;
        }
    }
    FrameState state;
    state.referenceDrawing = options.reference;
    state.drawing = options.drawing;
    if (options.tubesFixed) {
        state.tubeChoice.fix(options.tubes);
    }
    // Frames timed in a run each may try the slower of the tubes' drawings now and then, as
    // the viewer's frames do while the view moves.
    state.tubeTrials = options.frames > 0;
    FrameInputs in{settings, data};
    in.viewportWidth = options.width * plan.scale;
    in.viewportHeight = options.height * plan.scale;
    in.fileName = options.file;
    in.quadric = offscreenQuadric();
    in.smoothSamples = plan.samples;
    in.pixelScale = plan.scale;
    in.fitPicture = options.fit;
    bool ok = true;
    if (options.turntable > 0) {
        ok = writeTurntable(options, in, state);
    } else {
        if (options.frames > 0) {
            drawFrames(in, state, options.frames);
        } else {
            displayFrame(in, state);
        }
        ok = written(options, plan.scale, options.output);
    }
    closeOffscreenContext();
    return ok ? kWritten : kFailed;
}
