// The viewer's options through the settings' one parser, its usage text, and its start from
// the command line.
#include "app/command_line.h"

#include <cmath>
#include <cstring>

#include "app/file_list.h"
#include "app/key_help.h"
#include "app/viewer_state.h"
#include "core/colors.h"
#include "core/view_maths.h"
#include "io/platform_dirs.h"
#include "io/view_file.h"

namespace {

// What the command line asked for, kept until the start has used it.
struct StartRequest {
    bool active = false;
    Settings given;  // the settings as the options left them
    std::vector<const SettingRow*> rows;
    StartFile file;
};
StartRequest start;

std::vector<ProgramOption> viewerOptions(ViewerCommandLine& cmd, Settings& settings)
{
    std::vector<ProgramOption> own = loadOptions(cmd.load, settings);
    own.push_back(viewFileOption(settings, cmd.line));
    own.push_back({"--help", "", "show this text", [&cmd](const std::string&, std::string&) {
                       cmd.help = true;
                       return true;
                   }});
    own.push_back({"--version", "", "print the version", [&cmd](const std::string&, std::string&) {
                       cmd.version = true;
                       return true;
                   }});
    return own;
}

// The eye separation and the focal length stay linked as the panel links them: a given eye
// separation sets the ratio, a focal length given alone moves the eye separation with it.
void coupleEyes(Settings& settings, const CommandLine& line)
{
    if (line.gave(settingRow(&Settings::eyeSeparation))) {
        const float ratio = settings.focalLength / settings.eyeSeparation;
        if (std::isfinite(ratio) && ratio > 0.0f) {
            settings.focalRatio = ratio;
        }
    } else if (line.gave(settingRow(&Settings::focalLength))) {
        settings.eyeSeparation = settings.focalLength / settings.focalRatio;
    }
}

void copyRow(const SettingRow& row, const Settings& from)
{
    std::memcpy(reinterpret_cast<unsigned char*>(static_cast<Settings*>(&viewer)) + row.offset, bytesOf(from, row),
                sizeOf(row));
    settingChanged(bytesOf(viewer, row));
}

// After the start file's reset of the view: the view the options asked for.
void applyStartView()
{
    bool eyesGiven = false;
    for (const SettingRow* row : start.rows) {
        if (row->effects & kResetWithView) {
            copyRow(*row, start.given);
        }
        eyesGiven = eyesGiven || row == &settingRow(&Settings::eyeSeparation) ||
                    row == &settingRow(&Settings::focalLength);
    }
    if (eyesGiven) {
        viewer.eyeSeparation = start.given.eyeSeparation;
        viewer.focalRatio = start.given.focalRatio;
    }
    buildRotation(viewer.angleX, viewer.angleY, viewer.angleZ, viewer.angleMat);
}

std::string keysUsage()
{
    std::string text;
    for (const std::string& line : keyHelpLines()) {
        text += "  " + line + "\n";
    }
    return text;
}

}  // namespace

bool parseViewerCommandLine(const std::vector<std::string>& args, ViewerCommandLine& cmd, std::string& error)
{
    // The data colours start as the panel fills them; --data-color may change some.
    fillDataColors(viewer.dataColors);
    if (!parseSettingsOptions(args, viewerOptions(cmd, viewer), OptionReader::Viewer, viewer, cmd.line, error)) {
        return false;
    }
    if (cmd.line.operands.size() > 1) {
        error = "more than one data file given: '" + cmd.line.operands[1] + "'";
        return false;
    }
    if (!cmd.line.operands.empty()) {
        cmd.file = cmd.line.operands[0];
    }
    coupleEyes(viewer, cmd.line);
    viewer.columns = cmd.load.columns;
    if (!cmd.load.format.automatic || !cmd.load.columns.empty()) {
        viewer.dataFormat = chosenFormat(cmd.load, viewer);
    }
    return true;
}

std::string viewerUsage()
{
    ViewerCommandLine described;
    Settings settings;
    return "Usage: orvelle [options] [FILE]\n"
           "Shows numeric 3D data in mono or stereo. With FILE it starts in FILE's folder, with FILE\n"
           "chosen in \"Files:\" and loaded; without, in the current folder with nothing loaded.\n"
           "\n" +
           optionsUsage(viewerOptions(described, settings), OptionReader::Viewer) + "\n" +
           "Keys and mouse in the display window:\n" + keysUsage() + "\n" +
           "Exit status: 0 after \"Quit\", 2 for a usage error.\n";
}

std::string viewerVersion()
{
    return std::string("orvelle ") + ORVELLE_VERSION;
}

void prepareStart(const ViewerCommandLine& cmd)
{
    start = StartRequest{};  // nothing of an earlier start (a file named then) carries over
    start.active = true;
    start.given = viewer;
    start.rows = cmd.line.givenRows;
    start.file.detect = cmd.load.format.automatic && cmd.load.columns.empty();
    if (!cmd.file.empty()) {
        std::string path = cmd.file;
        if (path[0] != '/') {
            path = currentDirectory() + "/" + path;
        }
        // The panel lists the folder it starts in; one that cannot be entered leaves the
        // start where it was, and the load says what is wrong with the file. The folder is
        // named as the listing names it, so that the list shows FILE as one of its items.
        const std::string::size_type slash = path.rfind('/');
        if (changeDirectory(slash == 0 ? "/" : path.substr(0, slash)) == 0) {
            const std::string folder = currentDirectory();
            path = (folder == "/" ? "" : folder) + path.substr(slash);
        }
        start.file.path = path;
    }
}

void beginStart()
{
    if (!start.active) {
        return;
    }
    start.active = false;
    // The panel build starts the data colours and the trackball afresh; given ones come back.
    for (const SettingRow* row : start.rows) {
        if (std::memcmp(bytesOf(viewer, *row), bytesOf(start.given, *row), sizeOf(*row)) != 0) {
            copyRow(*row, start.given);
        }
    }
    if (start.file.path.empty()) {
        // The view asked for is that of the first file picked in "Files:".
        viewForFirstLoad(applyStartView);
    } else {
        loadStartFile(start.file, applyStartView);
    }
}
