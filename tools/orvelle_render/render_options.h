// The command line of orvelle-render: what it accepts and how it becomes viewer settings.
#pragma once

#include <optional>
#include <string>
#include <vector>

enum class PictureView { Mono, Anaglyph, SideBySide };

struct DataColorChoice {
    int value = 0;
    float rgb[3] = {0.0f, 0.0f, 0.0f};
};

// Every option is optional; a setting left empty keeps the viewer's value.
struct RenderOptions {
    std::string file;
    std::string output;
    int dataFormat = 0;  // 0 data, 1 maple, 2 color
    PictureView view = PictureView::Mono;
    int width = 800;
    int height = 600;
    std::optional<int> displayType;
    std::optional<int> axisScaling;
    std::optional<float> eyeSeparation;
    std::optional<float> focalLength;
    std::optional<float> scale;
    std::optional<float> thickness;
    std::optional<int> segments;
    std::optional<std::vector<float>> angles;
    std::optional<std::vector<float>> shift;
    std::optional<std::vector<float>> background;
    std::optional<std::vector<float>> leftColor;
    std::optional<std::vector<float>> rightColor;
    std::vector<DataColorChoice> dataColors;
    bool axes = false;
    bool noFileName = false;
    bool debug = false;
    bool reference = false;  // immediate-mode drawing, nothing kept
    int frames = 0;  // 0: draw one frame and report no time
    bool help = false;
};

// Reads the arguments after the program name. On a usage error returns false with a
// message naming the bad option or value.
bool parseRenderOptions(const std::vector<std::string>& args, RenderOptions& options, std::string& error);

// The picture's name when --output is not given: FILE's name, without its folder, with
// its extension replaced by .png.
std::string defaultOutputName(const std::string& file);

// Puts the chosen settings into the viewer's record, after the data colours have their
// panel defaults.
void applyRenderOptions(const RenderOptions& options);

extern const char* const kRenderUsage;
