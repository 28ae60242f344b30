// The command line of orvelle-render: the options of the picture itself, and the viewer's
// settings, whose options the settings table declares.
#pragma once

#include <string>
#include <vector>

#include "core/settings.h"
#include "render/gl/drawing_policy.h"

struct RenderOptions {
    std::string file;
    std::string output;
    int width = 800;
    int height = 600;
    int frames = 0;          // 0: draw one frame and report no time
    bool reference = false;  // immediate-mode drawing, nothing kept
    // How the kept arrays are drawn. Not a setting of the picture, which is the same either
    // way, but of the work behind it: a tool option, as --reference is.
    DrawingPath drawing = DrawingPath::Auto;
    bool help = false;
    // The viewer's settings as they are after it loads a file (the data colours as the panel
    // fills them), with every settings option given applied.
    Settings settings;
};

// Reads the arguments after the program name. On a usage error returns false with a
// message naming the bad option or value.
bool parseRenderOptions(const std::vector<std::string>& args, RenderOptions& options, std::string& error);

// The picture's name when --output is not given: FILE's name, without its folder, with
// its extension replaced by .png.
std::string defaultOutputName(const std::string& file);

// The usage text: the picture's own options and those of every setting.
std::string renderUsage();
