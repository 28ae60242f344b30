// controlAction: the one callback of every panel control with an id. GLUI has
// written the control's field already and made the display window current.
#include "app/control_actions.h"

#include <GL/freeglut.h>

#include <cmath>
#include <optional>
#include <cstdio>
#include <string>

#include "app/display_window.h"
#include "app/file_list.h"
#include "app/navigation.h"
#include "app/picture_saving.h"
#include "app/viewer_state.h"
#include "core/colormap.h"
#include "core/colors.h"
#include "core/display_text.h"
#include "core/modes.h"
#include "core/user_message.h"
#include "core/value_colors.h"
#include "core/view_presets.h"
#include "glui/glui.h"
#include "io/report_text.h"

namespace {

// What the overlay shows after a new folder is chosen: blanks, so the old name goes.
const char* const kBlankFileName = "\t\t\t         ";

void switchLight(GLenum light, int enabled, GLUI_Spinner* intensitySpinner)
{
    if (enabled) {
        glEnable(light);
        if (intensitySpinner)
            intensitySpinner->enable();
    } else {
        glDisable(light);
        if (intensitySpinner)
            intensitySpinner->disable();
    }
}

// The stored diffuse colour stays as it is, so a later higher intensity restores it.
void applyIntensity(GLenum light, const float diffuse[4], float intensity)
{
    const float scaled[4] = {diffuse[0] * intensity, diffuse[1] * intensity, diffuse[2] * intensity, diffuse[3]};
    glLightfv(light, GL_DIFFUSE, scaled);
}

void loadChosenItem()
{
    viewer.loadedListitem = viewer.chosen_listitem;
    if (viewer.chosen_listitem > 0)
        loadListItem(viewer.chosen_listitem);
    else
        forgetRequestedFile();
}

// The file asked for is read again with the new format, whatever the list shows by now.
void formatChosen()
{
    viewer.loadedListitem = viewer.chosen_listitem;
    reloadRequestedFile();
}

// The answer of "Browse for folder"'s chooser: the chosen folder, or nullptr.
void folderChosen(const char* chosen)
{
    viewer.filedir = chosen ? chosen : "";
    std::printf("\nfiledir= %s\n", chosen ? escapeControlCharacters(viewer.filedir).c_str() : "(null)");
    if (!chosen)
        return;

    if (viewer.folderText)
        viewer.folderText->set_text(viewer.filedir.c_str());
    refreshFileList();
    viewer.filename = kBlankFileName;
    std::printf("chosen_listitem=%d\n", viewer.chosen_listitem);
    if (viewer.fileList)
        viewer.fileList->set_int_val(0);
    else
        viewer.chosen_listitem = 0;
    requestRedisplay();
}

// The chooser stands beside the event loop: the display and the panels keep answering while
// it is open, and a second press meanwhile starts no second chooser.
void browseForFolder()
{
    chooseFolder("Select Directory", folderChosen);
}

// Focal length and eye separation are linked through focalRatio = focalLength /
// eyeSeparation. An eye separation of 0 is an infinite ratio: it stays 0 while the
// focal length moves. A ratio that would not be a positive finite number (an eye
// separation of 0, or a focal length of 0) is not stored; the last one is kept, so
// no infinity or NaN reaches the frame.
void focalLengthChanged()
{
    if (viewer.eyeSeparation == 0.0f)
        return;
    const float eye = viewer.focalLength / viewer.focalRatio;
    if (std::isfinite(eye))
        viewer.eyeSeparation = eye;
}

void eyeSeparationChanged()
{
    const float ratio = viewer.focalLength / viewer.eyeSeparation;
    if (std::isfinite(ratio) && ratio > 0.0f)
        viewer.focalRatio = ratio;
}

// The spinner clamps, shows and writes its live variable; before the panel
// exists there is no spinner, and the field is written directly.
void setWorkingComponent(GLUI_Spinner* spinner, float& field, float value)
{
    if (spinner)
        spinner->set_float_val(value);
    else
        field = value;
}

void copyWorkingColor(float* target)
{
    target[0] = viewer.colorRed;
    target[1] = viewer.colorGreen;
    target[2] = viewer.colorBlue;
}

void turnToPreset(PresetView view)
{
    applyPresetView(viewer, view);
    if (viewer.rotateControl)
        viewer.rotateControl->reset();
}

// The "Color range:" text: LO,HI fixes the ends of the colour map, an empty text gives them
// back to the data's z range; anything else is refused with its reason, and the box shows the
// range in use again.
void colorRangeTyped()
{
    const std::string text = viewer.colorRangeText ? viewer.colorRangeText->get_text() : "";
    if (text.find_first_not_of(" \t") == std::string::npos) {
        viewer.colorRange[0] = viewer.colorRange[1] = 0.0f;
        return;
    }
    std::string error;
    const std::optional<ColorRange> range = parseColorRange(text, error);
    if (!range || !std::isfinite(static_cast<float>(range->lo)) || !std::isfinite(static_cast<float>(range->hi)) ||
        static_cast<float>(range->lo) == static_cast<float>(range->hi)) {
        tellUser(formatLine("Color range not changed: %s\n",
                            range ? "the ends must be distinct single-precision numbers" : error.c_str()));
        if (viewer.colorRangeText)
            viewer.colorRangeText->set_text(colorRangeText(viewer.colorRange).c_str());
        return;
    }
    viewer.colorRange[0] = static_cast<float>(range->lo);
    viewer.colorRange[1] = static_cast<float>(range->hi);
}

}  // namespace

void updateColorControls()
{
    if (viewer.colorByRadio) {
        if (viewModeKeepsColors(viewer.stereoMode))
            viewer.colorByRadio->enable();
        else
            viewer.colorByRadio->disable();
    }
}

void applyColorSettings()
{
    if (viewer.colorName > 0 && viewer.colorName < numColorNames) {
        const int row = viewer.colorName - 1;
        const NamedColorTable& t = namedColorTable;
        setWorkingComponent(viewer.redSpinner, viewer.colorRed, t.colorRedTable[row]);
        setWorkingComponent(viewer.greenSpinner, viewer.colorGreen, t.colorGreenTable[row]);
        setWorkingComponent(viewer.blueSpinner, viewer.colorBlue, t.colorBlueTable[row]);
    }

    // Only red, green and blue of a target change; its fourth float keeps its value.
    switch (viewer.applyColorTo.get()) {
    case ColorTarget::Background: copyWorkingColor(viewer.bgColor); break;
    case ColorTarget::Left: copyWorkingColor(viewer.leftColor); break;
    case ColorTarget::Right: copyWorkingColor(viewer.rightColor); break;
    case ColorTarget::Light1: copyWorkingColor(viewer.light1Diffuse); break;
    case ColorTarget::Light2: copyWorkingColor(viewer.light2Diffuse); break;
    case ColorTarget::DataColor:
        viewer.curDataValue = viewer.dataValue;
        if (viewer.curDataValue >= 0 && viewer.curDataValue < kDataColorCount) {
            giveDataColor(viewer.dataColors[viewer.curDataValue], viewer.colorRed, viewer.colorGreen,
                          viewer.colorBlue);
        }
        break;
    }
}

void controlAction(int id)
{
    switch (static_cast<ControlId>(id)) {
    case ControlId::Light1Enabled: switchLight(GL_LIGHT0, viewer.light1Enabled, viewer.light1IntensitySpinner); break;
    case ControlId::Light2Enabled: switchLight(GL_LIGHT1, viewer.light2Enabled, viewer.light2IntensitySpinner); break;
    case ControlId::Light1Intensity: applyIntensity(GL_LIGHT0, viewer.light1Diffuse, viewer.light1Intensity); break;
    case ControlId::Light2Intensity: applyIntensity(GL_LIGHT1, viewer.light2Diffuse, viewer.light2Intensity); break;
    case ControlId::ShowMovementControls:
        if (viewer.movementWindow) {
            if (viewer.showMovementControls == 1)
                viewer.movementWindow->show();
            else
                viewer.movementWindow->hide();
        }
        break;
    case ControlId::ResetView: resetView(); break;
    case ControlId::DataFormat: formatChosen(); break;
    case ControlId::FileList: loadChosenItem(); break;
    case ControlId::WatchFile: updateFileWatch(); break;
    case ControlId::BrowseFolder: browseForFolder(); break;
    case ControlId::FolderOrFilter: refreshFileList(); break;
    case ControlId::ApplyColor: applyColorSettings(); break;
    case ControlId::FocalLength: focalLengthChanged(); break;
    case ControlId::EyeSeparation: eyeSeparationChanged(); break;
    case ControlId::ViewMode:
        openDisplayWindow();
        enableStereoOptions(viewer, viewer);
        updateColorControls();
        break;
    case ControlId::SavePicture: requestPictureSave(); break;
    case ControlId::SaveView: saveViewBesideData(shownFilePath()); break;
    case ControlId::FitView: fitDataToWindow(); break;
    case ControlId::FrontView: turnToPreset(PresetView::Front); break;
    case ControlId::TopView: turnToPreset(PresetView::Top); break;
    case ControlId::SideView: turnToPreset(PresetView::Side); break;
    case ControlId::ThreeQuarterView: turnToPreset(PresetView::ThreeQuarter); break;
    case ControlId::ColorRange: colorRangeTyped(); break;
    case ControlId::AxisScaling: reloadShownFile(); break;
    default: break;  // the colour name and data value wait for "Apply Color Settings"
    }
    requestRedisplay();
}
