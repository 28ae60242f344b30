// Parsing and applying the options of orvelle-render.
#include "render_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "app/navigation.h"
#include "app/viewer_state.h"

const char* const kRenderUsage =
    "Usage: orvelle-render [options] FILE\n"
    "Draws FILE with the viewer's own frame code, without a display, and writes a PNG.\n"
    "\n"
    "  --format data|maple|color        reader of FILE (default data)\n"
    "  --display points|joined|needled|grid|filled   display type (default joined)\n"
    "  --view mono|anaglyph|side-by-side   view mode (default mono); side-by-side writes the\n"
    "                                   left eye's picture left of the right eye's\n"
    "  --scaling individual|uniform     axis scaling (default individual)\n"
    "  --size WIDTHxHEIGHT              picture size of one eye, up to 8192 a side\n"
    "                                   (default 800x600)\n"
    "  --eye-separation F               0 to 45 (default: focal length / 20, as the viewer\n"
    "                                   has it after loading a file)\n"
    "  --focal-length F                 0 to 500 (default 20)\n"
    "  --scale F                        size factor, -1000 to 1000 (default 1)\n"
    "  --thickness F                    line and point thickness, 0.001 to 10 (default 0.02)\n"
    "  --segments N                     slices of tubes, 3 to 60 (default 8)\n"
    "  --angles X,Y,Z                   turn in degrees about x, then y, then z\n"
    "  --shift X,Y,Z                    shift of the scene (z away from the viewer)\n"
    "  --background R,G,B               background colour, 0 to 1 each (default 1,1,1)\n"
    "  --left-color R,G,B               colour of MonoView and the left eye (default 1,0,0)\n"
    "  --right-color R,G,B              colour of the right eye (default 0,0,1)\n"
    "  --data-color VALUE=R,G,B         colour of data value 0 to 49 (repeatable)\n"
    "  --axes                           show the axes\n"
    "  --no-file-name                   leave the file name out of the picture\n"
    "  --debug                          print the viewer's diagnostics\n"
    "  --output FILE.png                picture to write (default: FILE's name with .png,\n"
    "                                   in the current folder)\n"
    "  --frames N                       draw N frames and print their median time (after\n"
    "                                   one frame that builds the kept geometry, whose\n"
    "                                   time is printed first), then the process's peak\n"
    "                                   resident memory in MB (10^6 bytes)\n"
    "  --reference                      draw every primitive in immediate mode, keeping\n"
    "                                   nothing between frames (the slow reference)\n"
    "  --help                           show this text\n"
    "\n"
    "Exit status: 0 picture written, 1 FILE not loaded or picture not written, 2 usage error.\n";

namespace {

bool parseFloat(const std::string& text, float& value)
{
    if (text.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (*end != '\0' || errno == ERANGE || !std::isfinite(parsed) || std::fabs(parsed) > 3.0e38) {
        return false;
    }
    value = static_cast<float>(parsed);
    return true;
}

bool parseInt(const std::string& text, int& value)
{
    if (text.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || parsed < -2147483647L || parsed > 2147483647L) {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

// Three numbers separated by commas.
bool parseTriple(const std::string& text, std::vector<float>& values)
{
    values.clear();
    std::string::size_type start = 0;
    for (int k = 0; k < 3; ++k) {
        const std::string::size_type comma = text.find(',', start);
        const bool last = k == 2;
        if (last != (comma == std::string::npos)) {
            return false;
        }
        float value = 0.0f;
        if (!parseFloat(text.substr(start, last ? std::string::npos : comma - start), value)) {
            return false;
        }
        values.push_back(value);
        start = comma + 1;
    }
    return true;
}

bool parseColor(const std::string& text, std::vector<float>& values)
{
    if (!parseTriple(text, values)) {
        return false;
    }
    for (float v : values) {
        if (v < 0.0f || v > 1.0f) {
            return false;
        }
    }
    return true;
}

int choiceIndex(const std::string& text, std::initializer_list<const char*> names)
{
    int index = 0;
    for (const char* name : names) {
        if (text == name) {
            return index;
        }
        ++index;
    }
    return -1;
}

void copyColor(const std::optional<std::vector<float>>& colour, float target[4])
{
    if (colour) {
        for (int k = 0; k < 3; ++k) {
            target[k] = (*colour)[k];
        }
    }
}

// A picture of 8192 x 8192 already takes a quarter of a gigabyte per buffer.
constexpr int kLargestSide = 8192;

// The options that take a value, in the order of the usage text.
const std::initializer_list<const char*> kValueOptions = {
    "--format", "--display", "--view", "--scaling", "--size", "--eye-separation", "--focal-length",
    "--scale", "--thickness", "--segments", "--angles", "--shift", "--background", "--left-color",
    "--right-color", "--data-color", "--output", "--frames"};

}  // namespace

bool parseRenderOptions(const std::vector<std::string>& args, RenderOptions& options, std::string& error)
{
    std::vector<std::string> files;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& option = args[k];
        if (option == "--help") {
            options.help = true;
            continue;
        }
        if (option == "--axes") {
            options.axes = true;
            continue;
        }
        if (option == "--no-file-name") {
            options.noFileName = true;
            continue;
        }
        if (option == "--debug") {
            options.debug = true;
            continue;
        }
        if (option == "--reference") {
            options.reference = true;
            continue;
        }
        if (option.size() < 2 || option.compare(0, 2, "--") != 0) {
            files.push_back(option);
            continue;
        }
        if (choiceIndex(option, kValueOptions) < 0) {
            error = "unknown option " + option;
            return false;
        }
        if (k + 1 >= args.size()) {
            error = option + " needs a value";
            return false;
        }
        const std::string& value = args[++k];
        const std::string bad = "bad value for " + option + ": '" + value + "'";
        int index = -1;
        float number = 0.0f;
        int whole = 0;
        std::vector<float> triple;
        if (option == "--format") {
            if ((index = choiceIndex(value, {"data", "maple", "color"})) < 0) {
                error = bad + " (data, maple or color)";
                return false;
            }
            options.dataFormat = index;
        } else if (option == "--display") {
            if ((index = choiceIndex(value, {"points", "joined", "needled", "grid", "filled"})) < 0) {
                error = bad + " (points, joined, needled, grid or filled)";
                return false;
            }
            options.displayType = index;
        } else if (option == "--view") {
            if ((index = choiceIndex(value, {"mono", "anaglyph", "side-by-side"})) < 0) {
                error = bad + " (mono, anaglyph or side-by-side)";
                return false;
            }
            options.view = static_cast<PictureView>(index);
        } else if (option == "--scaling") {
            if ((index = choiceIndex(value, {"individual", "uniform"})) < 0) {
                error = bad + " (individual or uniform)";
                return false;
            }
            options.axisScaling = index;
        } else if (option == "--size") {
            const std::string::size_type x = value.find('x');
            int width = 0;
            int height = 0;
            if (x == std::string::npos || !parseInt(value.substr(0, x), width) ||
                !parseInt(value.substr(x + 1), height) || width < 1 || height < 1 || width > kLargestSide ||
                height > kLargestSide) {
                error = bad + " (WIDTHxHEIGHT, 1 to " + std::to_string(kLargestSide) + " each)";
                return false;
            }
            options.width = width;
            options.height = height;
        } else if (option == "--eye-separation") {
            if (!parseFloat(value, number) || number < 0.0f || number > 45.0f) {
                error = bad + " (0 to 45)";
                return false;
            }
            options.eyeSeparation = number;
        } else if (option == "--focal-length") {
            if (!parseFloat(value, number) || number < 0.0f || number > 500.0f) {
                error = bad + " (0 to 500)";
                return false;
            }
            options.focalLength = number;
        } else if (option == "--scale") {
            if (!parseFloat(value, number) || number < -1000.0f || number > 1000.0f) {
                error = bad + " (-1000 to 1000)";
                return false;
            }
            options.scale = number;
        } else if (option == "--thickness") {
            if (!parseFloat(value, number) || number < 0.001f || number > 10.0f) {
                error = bad + " (0.001 to 10)";
                return false;
            }
            options.thickness = number;
        } else if (option == "--segments") {
            if (!parseInt(value, whole) || whole < 3 || whole > 60) {
                error = bad + " (3 to 60)";
                return false;
            }
            options.segments = whole;
        } else if (option == "--angles" || option == "--shift") {
            if (!parseTriple(value, triple)) {
                error = bad + " (X,Y,Z)";
                return false;
            }
            (option == "--angles" ? options.angles : options.shift) = triple;
        } else if (option == "--background" || option == "--left-color" || option == "--right-color") {
            if (!parseColor(value, triple)) {
                error = bad + " (R,G,B, 0 to 1 each)";
                return false;
            }
            (option == "--background" ? options.background
                                      : option == "--left-color" ? options.leftColor : options.rightColor) = triple;
        } else if (option == "--data-color") {
            const std::string::size_type equals = value.find('=');
            DataColorChoice choice;
            if (equals == std::string::npos || !parseInt(value.substr(0, equals), choice.value) ||
                choice.value < 0 || choice.value > 49 || !parseColor(value.substr(equals + 1), triple)) {
                error = bad + " (VALUE=R,G,B with VALUE 0 to 49, colours 0 to 1)";
                return false;
            }
            for (int c = 0; c < 3; ++c) {
                choice.rgb[c] = triple[c];
            }
            options.dataColors.push_back(choice);
        } else if (option == "--output") {
            if (value.empty()) {
                error = bad;
                return false;
            }
            options.output = value;
        } else {
            if (!parseInt(value, whole) || whole < 1 || whole > 100000) {
                error = bad + " (1 to 100000)";
                return false;
            }
            options.frames = whole;
        }
    }
    if (options.help) {
        return true;
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
    if (dot != std::string::npos && dot > 0) {
        name.erase(dot);
    }
    if (name.empty()) {
        name = "picture";
    }
    return name + ".png";
}

void applyRenderOptions(const RenderOptions& options)
{
    viewer.dataFormat = options.dataFormat;
    viewer.stereoMode = options.view == PictureView::Mono ? 0 : options.view == PictureView::Anaglyph ? 1 : 2;
    if (options.displayType) {
        viewer.displayType = *options.displayType;
    }
    if (options.axisScaling) {
        viewer.axis_data = *options.axisScaling;
    }
    // The viewer resets the view before every load, which couples the eye separation to
    // the focal length (focalLength / focalRatio): a picture of a loaded file starts there.
    if (options.focalLength) {
        viewer.focalLength = *options.focalLength;
    }
    viewer.eyeSeparation = options.eyeSeparation ? *options.eyeSeparation : viewer.focalLength / viewer.focalRatio;
    if (options.scale) {
        viewer.scale = *options.scale;
    }
    if (options.thickness) {
        viewer.thickness = *options.thickness;
    }
    if (options.segments) {
        viewer.segments = *options.segments;
    }
    if (options.angles) {
        viewer.angleX = (*options.angles)[0];
        viewer.angleY = (*options.angles)[1];
        viewer.angleZ = (*options.angles)[2];
        buildRotation(viewer.angleX, viewer.angleY, viewer.angleZ, viewer.angleMat);
    }
    if (options.shift) {
        for (int k = 0; k < 3; ++k) {
            viewer.objTrans[k] = (*options.shift)[k];
        }
    }
    copyColor(options.background, viewer.bgColor);
    copyColor(options.leftColor, viewer.leftColor);
    copyColor(options.rightColor, viewer.rightColor);
    for (const DataColorChoice& choice : options.dataColors) {
        DataColor& target = viewer.dataColors[choice.value];
        target.r = choice.rgb[0];
        target.g = choice.rgb[1];
        target.b = choice.rgb[2];
    }
    if (options.axes) {
        viewer.showAxes = 1;
    }
    if (options.noFileName) {
        viewer.showFileName = 0;
    }
    if (options.debug) {
        viewer.debugPrint = 1;
    }
}
