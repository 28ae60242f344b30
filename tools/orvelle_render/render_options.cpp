// Parsing the options of orvelle-render: the picture's own, then those of the settings table.
#include "render_options.h"

#include <cerrno>
#include <cstdlib>

#include "core/colors.h"
#include "core/settings_table.h"

namespace {

// A picture of 8192 x 8192 already takes a quarter of a gigabyte per buffer.
constexpr int kLargestSide = 8192;

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

bool isPictureOption(const std::string& option)
{
    return option == "--size" || option == "--output" || option == "--frames" || option == "--drawing";
}

// The picture's own options that take a value.
bool applyPictureOption(const std::string& option, const std::string& value, RenderOptions& options,
                        std::string& error)
{
    const std::string bad = "bad value for " + option + ": '" + value + "'";
    if (option == "--size") {
        const std::string::size_type x = value.find('x');
        int width = 0;
        int height = 0;
        if (x == std::string::npos || !parseInt(value.substr(0, x), width) || !parseInt(value.substr(x + 1), height) ||
            width < 1 || height < 1 || width > kLargestSide || height > kLargestSide) {
            error = bad + " (WIDTHxHEIGHT, 1 to " + std::to_string(kLargestSide) + " each)";
            return false;
        }
        options.width = width;
        options.height = height;
    } else if (option == "--drawing") {
        if (!parseDrawingPath(value, options.drawing)) {
            error = bad + " (auto, assisted or plain)";
            return false;
        }
    } else if (option == "--output") {
        if (value.empty()) {
            error = bad;
            return false;
        }
        options.output = value;
    } else {
        int frames = 0;
        if (!parseInt(value, frames) || frames < 1 || frames > 100000) {
            error = bad + " (1 to 100000)";
            return false;
        }
        options.frames = frames;
    }
    return true;
}

}  // namespace

bool parseRenderOptions(const std::vector<std::string>& args, RenderOptions& options, std::string& error)
{
    // The data colours start as the panel fills them; --data-color may change some.
    fillDataColors(options.settings.dataColors);
    bool eyeSeparationGiven = false;
    std::vector<std::string> files;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& option = args[k];
        if (option == "--help") {
            options.help = true;
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
        const SettingRow* row = rowOfOption(option);
        if (row == nullptr && !isPictureOption(option)) {
            error = "unknown option " + option;
            return false;
        }
        if (row != nullptr && row->kind == SettingKind::Flag) {
            applyOptionValue(*row, "", options.settings, error);
            continue;
        }
        if (k + 1 >= args.size()) {
            error = option + " needs a value";
            return false;
        }
        const std::string& value = args[++k];
        if (row == nullptr) {
            if (!applyPictureOption(option, value, options, error)) {
                return false;
            }
            continue;
        }
        if (!applyOptionValue(*row, value, options.settings, error)) {
            return false;
        }
        eyeSeparationGiven = eyeSeparationGiven || row == &settingRow(&Settings::eyeSeparation);
    }
    // The viewer resets the view before every load, which couples the eye separation to the
    // focal length (focalLength / focalRatio): a picture of a loaded file starts there.
    if (!eyeSeparationGiven) {
        options.settings.eyeSeparation = options.settings.focalLength / options.settings.focalRatio;
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

std::string renderUsage()
{
    return "Usage: orvelle-render [options] FILE\n"
           "Draws FILE with the viewer's own frame code, without a display, and writes a PNG.\n"
           "\n" +
           settingsUsage() +
           "  --size WIDTHxHEIGHT              picture size of one eye, up to 8192 a side\n"
           "                                   (default 800x600)\n"
           "  --output FILE.png                picture to write (default: FILE's name with .png,\n"
           "                                   in the current folder)\n"
           "  --frames N                       draw N frames and print their median time (after\n"
           "                                   one frame that builds the kept geometry, whose\n"
           "                                   time is printed first), then the process's peak\n"
           "                                   resident memory in MB (10^6 bytes)\n"
           "  --reference                      draw every primitive in immediate mode, keeping\n"
           "                                   nothing between frames (the slow reference)\n"
           "  --drawing auto|assisted|plain    how the kept arrays are drawn: with the\n"
           "                                   processor's help (for software renderers) or\n"
           "                                   as they are (for graphics cards); auto picks by\n"
           "                                   the renderer (default auto)\n"
           "  --help                           show this text\n"
           "\n"
           "Exit status: 0 picture written, 1 FILE not loaded or picture not written, 2 usage error.\n";
}
