// Reading the viewer's command line into its settings.
#include "app/command_line.h"

#include "app/key_help.h"
#include "app/viewer_state.h"
#include "core/colors.h"
#include "core/settings_table.h"
#include "io/view_file.h"

CommandLine applyCommandLine(const std::vector<std::string>& args, std::string& error)
{
    if (args.empty()) {
        return CommandLine::Start;
    }
    // The data colours as the panel will fill them, so that a view's colours stand out
    // against them.
    fillDataColors(viewer.dataColors);
    bool eyeSeparationGiven = false;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& option = args[k];
        if (option == "--help") {
            return CommandLine::Help;
        }
        const SettingRow* row = rowOfOption(option);
        if (option != "--view-file" && row == nullptr) {
            error = "unknown option " + option;
            return CommandLine::UsageError;
        }
        if (row != nullptr && row->kind == SettingKind::Flag) {
            applyOptionValue(*row, "", viewer, error);
            continue;
        }
        if (k + 1 >= args.size()) {
            error = option + " needs a value";
            return CommandLine::UsageError;
        }
        const std::string& value = args[++k];
        const bool applied =
            row != nullptr ? applyOptionValue(*row, value, viewer, error) : readViewFile(value, viewer, error);
        if (!applied) {
            return CommandLine::UsageError;
        }
        eyeSeparationGiven = eyeSeparationGiven || row == nullptr || row == &settingRow(&Settings::eyeSeparation);
    }
    // As after a load's reset of the view, the eye separation follows the focal length.
    if (!eyeSeparationGiven) {
        viewer.eyeSeparation = viewer.focalLength / viewer.focalRatio;
    }
    viewer.startView = viewer;
    viewer.startViewPending = true;
    return CommandLine::Start;
}

std::string viewerUsage()
{
    std::string text =
        "Usage: orvelle [options]\n"
        "Shows numeric 3D data: pick a folder and a file in the \"Control Display\" panel.\n"
        "The options set the viewer's settings. The turn, shift, size and focal length they set\n"
        "are those of the first file loaded; later loads, like \"Reset View\", start afresh.\n"
        "\n" +
        settingsUsage() +
        "  --view-file F                    the view saved in F (key v): options after it change\n"
        "                                   what it set\n"
        "  --help                           show this text\n"
        "\n"
        "Keys and mouse in the display window:\n";
    for (const std::string& line : keyHelpLines()) {
        text += "  " + line + "\n";
    }
    return text;
}
