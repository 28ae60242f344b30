// Parsing the options of orvelle-render: the picture's own, the load's, and those of the
// settings table, all through the settings' one parser.
#include "render_options.h"

#include <algorithm>

#include "core/colors.h"
#include "core/number_text.h"
#include "core/settings_options.h"
#include "core/settings_table.h"
#include "io/view_file.h"

namespace {

// A picture of 8192 x 8192 already takes a quarter of a gigabyte per buffer.
constexpr int kLargestSide = 8192;

// A turntable of more pictures than this is a mistake rather than a video.
constexpr int kMostTurntablePictures = 3600;

// Frames timed in one run.
constexpr int kMostFrames = 100000;

// Samples per pixel of the smoothest picture.
constexpr int kMostSamples = 16;

std::string bad(const std::string& option, const std::string& value)
{
    return "bad value for " + option + ": '" + value + "'";
}

// Reads a whole number from 1 to most into out, or says in error why it cannot.
bool readCount(const std::string& option, const std::string& value, int most, int& out, std::string& error)
{
    int count = 0;
    if (!parseWholeNumber(value, count) || count < 1 || count > most) {
        error = bad(option, value) + " (1 to " + std::to_string(most) + ")";
        return false;
    }
    out = count;
    return true;
}

// The picture's own options, and the load's, reading into options.
std::vector<ProgramOption> renderOptions(RenderOptions& options, CommandLine& line)
{
    std::vector<ProgramOption> own = loadOptions(options.load, options.settings);
    own.push_back(viewFileOption(options.settings, line));
    own.push_back({"--size", "WIDTHxHEIGHT", "picture size (of each eye with --view stereo), up to\n8192 a side (default 800x600)",
                   [&options](const std::string& value, std::string& error) {
                       const std::string::size_type x = value.find('x');
                       int width = 0;
                       int height = 0;
                       if (x == std::string::npos || !parseWholeNumber(value.substr(0, x), width) ||
                           !parseWholeNumber(value.substr(x + 1), height) || width < 1 || height < 1 ||
                           width > kLargestSide || height > kLargestSide) {
                           error = bad("--size", value) + " (WIDTHxHEIGHT, 1 to " + std::to_string(kLargestSide) +
                                   " each)";
                           return false;
                       }
                       options.width = width;
                       options.height = height;
                       return true;
                   }});
    own.push_back({"--output", "FILE.png",
                   "picture to write (default: FILE's name with .png,\nin the current folder; never FILE itself)",
                   [&options](const std::string& value, std::string& error) {
                       if (value.empty()) {
                           error = bad("--output", value);
                           return false;
                       }
                       options.output = value;
                       return true;
                   }});
    own.push_back({"--turntable", "N",
                   "write N pictures turning once about the vertical\naxis, OUTPUT's name numbered: NAME-000.png ...",
                   [&options](const std::string& value, std::string& error) {
                       return readCount("--turntable", value, kMostTurntablePictures, options.turntable, error);
                   }});
    own.push_back({"--frames", "N",
                   "draw N frames and print their median time (after\none frame that builds the kept geometry, "
                   "whose\ntime is printed first), then the process's peak\nresident memory in MB (10^6 bytes)",
                   [&options](const std::string& value, std::string& error) {
                       return readCount("--frames", value, kMostFrames, options.frames, error);
                   }});
    own.push_back({"--reference", "",
                   "draw every primitive in immediate mode, keeping\nnothing between frames (the slow reference)",
                   [&options](const std::string&, std::string&) {
                       options.reference = true;
                       return true;
                   }});
    own.push_back({"--drawing", "auto|assisted|plain",
                   "how the kept arrays are drawn: with the\nprocessor's help (for software renderers) or\nas they are "
                   "(for graphics cards); auto picks by\nthe renderer (default auto)",
                   [&options](const std::string& value, std::string& error) {
                       if (!parseDrawingPath(value, options.drawing)) {
                           error = bad("--drawing", value) + " (auto, assisted or plain)";
                           return false;
                       }
                       return true;
                   }});
    own.push_back({"--antialias", "N",
                   "samples per pixel that smooth the edges: 1 none,\nup to 16 (multisampled where the renderer "
                   "offers\nit, else drawn larger and filtered down;\ndefault 4)",
                   [&options](const std::string& value, std::string& error) {
                       return readCount("--antialias", value, kMostSamples, options.antialias, error);
                   }});
    own.push_back({"--fit", "", "fit the data's box to the picture, as the box with\nticks always is",
                   [&options](const std::string&, std::string&) {
                       options.fit = true;
                       return true;
                   }});
    own.push_back({"--tubes", "auto|pixels|triangles",
                   "how the assisted drawing draws filled tubes:\nrasterised on the processor, or their visible\n"
                   "triangles handed to the renderer; auto chooses\nframe by frame by the frames' times (default auto);\n"
                   "a smoothed picture (--antialias over 1, where\nmultisampled) takes the triangles",
                   [&options](const std::string& value, std::string& error) {
                       options.tubesFixed = value != "auto";
                       options.tubes = value == "triangles" ? TubeDrawing::Triangles : TubeDrawing::Pixels;
                       if (value != "auto" && value != "pixels" && value != "triangles") {
                           error = bad("--tubes", value) + " (auto, pixels or triangles)";
                           return false;
                       }
                       return true;
                   }});
    own.push_back({"--help", "", "show this text", [&options](const std::string&, std::string&) {
                       options.help = true;
                       return true;
                   }});
    own.push_back({"--version", "", "print the version", [&options](const std::string&, std::string&) {
                       options.version = true;
                       return true;
                   }});
    return own;
}

}  // namespace

bool parseRenderOptions(const std::vector<std::string>& args, RenderOptions& options, std::string& error)
{
    // The data colours start as the panel fills them; --data-color may change some.
    fillDataColors(options.settings.dataColors);
    CommandLine line;
    if (!parseSettingsOptions(args, renderOptions(options, line), OptionReader::Renderer, options.settings, line, error)) {
        return false;
    }
    // The viewer resets the view before every load, which couples the eye separation to the
    // focal length (focalLength / focalRatio): a picture of a loaded file starts there.
    if (!line.gave(settingRow(&Settings::eyeSeparation))) {
        options.settings.eyeSeparation = options.settings.focalLength / options.settings.focalRatio;
    }
    if (options.help || options.version) {
        return true;
    }
    const std::vector<std::string>& files = line.operands;
    if (options.turntable > 0 && options.frames > 0) {
        error = "--turntable and --frames cannot be given together";
        return false;
    }
    if (files.size() != 1) {
        error = files.empty() ? "no data file given" : "more than one data file given: '" + files[1] + "'";
        return false;
    }
    options.file = files[0];
    if (options.output.empty()) {
        options.output = defaultOutputName(options.file);
    }
    return true;
}

std::string defaultOutputName(const std::string& file)
{
    std::string name = file;
    const std::string::size_type slash = name.find_last_of("/\\");
    if (slash != std::string::npos) {
        name = name.substr(slash + 1);
    }
    const std::string::size_type dot = name.rfind('.');
    const bool picture = dot != std::string::npos && dot > 0 && name.compare(dot, std::string::npos, ".png") == 0;
    if (dot != std::string::npos && dot > 0) {
        name.erase(dot);
    }
    if (name.empty()) {
        name = "picture";
    }
    return name + (picture ? "-render.png" : ".png");
}

std::string renderUsage()
{
    RenderOptions described;
    CommandLine line;
    return "Usage: orvelle-render [options] FILE\n"
           "Draws FILE with the viewer's own frame code, without a display, and writes a PNG.\n"
           "\n" +
           optionsUsage(renderOptions(described, line), OptionReader::Renderer) +
           "\n"
           "Exit status: 0 picture written, 1 FILE not loaded or picture not written, 2 usage error.\n";
}

std::string turntableName(const std::string& output, int k, int count)
{
    std::string number = std::to_string(k);
    const std::size_t digits = std::max<std::size_t>(3, std::to_string(count - 1).size());
    number.insert(0, digits - std::min(digits, number.size()), '0');
    const std::string::size_type slash = output.find_last_of('/');
    const std::string::size_type dot = output.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash + 1)) {
        return output.substr(0, dot) + "-" + number + output.substr(dot);
    }
    return output + "-" + number + ".png";
}

SmoothingPlan smoothingPlan(int antialias, int largestSamples, bool keepRows, int width, int height,
                            int largestSide)
{
    SmoothingPlan plan;
    if (antialias <= 1) {
        return plan;
    }
    plan.samples = largestSamples >= 2 ? std::min(antialias, largestSamples) : 1;
    if (keepRows) {
        return plan;
    }
    // The samples still wanting come from drawing larger: scale^2 times as many per pixel.
    while (plan.samples * plan.scale * plan.scale < antialias && width * (plan.scale + 1) <= largestSide &&
           height * (plan.scale + 1) <= largestSide) {
        ++plan.scale;
    }
    return plan;
}
