// The command line of orvelle-render: the options of the picture itself, and the viewer's
// settings, whose options the settings table declares.
#pragma once

#include <string>
#include <vector>

#include "core/settings.h"
#include "io/load_options.h"
#include "render/cpu/tube_drawing_choice.h"
#include "render/gl/drawing_policy.h"

struct RenderOptions {
    std::string file;
    std::string output;
    int width = 800;
    int height = 600;
    int frames = 0;          // 0: draw one frame and report no time
    int turntable = 0;       // 0: one picture; N: N pictures turning once about the vertical
    bool reference = false;  // immediate-mode drawing, nothing kept
    // How the kept arrays are drawn. Not a setting of the picture, which is the same either
    // way, but of the work behind it: a tool option, as --reference is.
    DrawingPath drawing = DrawingPath::Auto;
    // Samples per pixel that smooth the picture's edges (1: none).
    int antialias = 4;
    // The view fitted to the picture, as it is whenever the box with ticks is shown.
    bool fit = false;
    // How filled tubes are drawn on the assisted drawing: chosen frame by frame (auto), or
    // always as pixels or as triangles (tube_drawing_choice.h); a tool option too.
    bool tubesFixed = false;
    TubeDrawing tubes = TubeDrawing::Pixels;
    bool help = false;
    bool version = false;
    // --format and --columns: the reader (auto by default) and the columns of a table.
    LoadChoice load;
    // The viewer's settings as they are after it loads a file (the data colours as the panel
    // fills them), with every settings option given applied.
    Settings settings;
};

// Reads the arguments after the program name. On a usage error returns false with a
// message naming the bad option or value.
bool parseRenderOptions(const std::vector<std::string>& args, RenderOptions& options, std::string& error);

// The picture's name when --output is not given: FILE's name, without its folder, with
// its extension replaced by .png; a FILE that is a .png itself gives STEM-render.png, so
// that the picture never takes its place.
std::string defaultOutputName(const std::string& file);

// The usage text: the picture's own options and those of every setting.
std::string renderUsage();

// The name of picture k of a turntable of count pictures: output's name with the number
// before its extension, at least three digits ("ripple.png" gives "ripple-007.png").
std::string turntableName(const std::string& output, int k, int count);

// How a picture of antialias samples per pixel is drawn: multisampled with samples per pixel
// where the renderer offers that many (largestSamples, 0 or 1 for none), and drawn scale times
// larger and filtered down for the rest (never when rows must stay the picture's own, as in
// row interleaving, and never past the largest picture side the renderer takes).
struct SmoothingPlan {
    int samples = 1;
    int scale = 1;
};
SmoothingPlan smoothingPlan(int antialias, int largestSamples, bool keepRows, int width, int height,
                            int largestSide);
