// Builds the "Control Display" and "Movement Controls" panel windows: every control bound
// to its settings field, with its id and, where the id matters, the action callback.
// Spinner limits and steps come from the settings table.
#include "panel/control_panel.h"

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "core/anaglyph.h"
#include "core/colormap.h"
#include "core/colors.h"
#include "core/modes.h"
#include "core/settings_table.h"
#include "glui/glui.h"

namespace {

// The callback of the controls whose id matters; the others have none.
GLUI_Update_CB actionFor(const PanelWiring& wiring, ControlId id)
{
    return id == ControlId::None ? nullptr : wiring.action;
}

// A spinner bound to a setting, with the limits (clamped) and step of the setting's row,
// in the order create, limits, speed.
GLUI_Spinner* addSettingSpinner(GLUI* window, GLUI_Panel* parent, const char* label, Settings& settings,
                                const SettingRow& row, ControlId id, const PanelWiring& wiring)
{
    const bool whole = row.kind == SettingKind::Int;
    void* field = whole ? static_cast<void*>(intOf(settings, row)) : static_cast<void*>(floatsOf(settings, row));
    GLUI_Spinner* spinner = window->add_spinner_to_panel(parent, label, whole ? GLUI_SPINNER_INT : GLUI_SPINNER_FLOAT,
                                                         field, toInt(id), actionFor(wiring, id));
    if (whole) {
        spinner->set_int_limits(static_cast<int>(row.low), static_cast<int>(row.high), GLUI_LIMIT_CLAMP);
    } else {
        spinner->set_float_limits(row.low, row.high, GLUI_LIMIT_CLAMP);
    }
    spinner->set_speed(row.step);
    return spinner;
}

GLUI_RadioGroup* addRadioGroup(GLUI* window, GLUI_Panel* parent, int* field, ControlId id,
                               const PanelWiring& wiring, std::initializer_list<const char*> buttons)
{
    GLUI_RadioGroup* group = window->add_radiogroup_to_panel(parent, field, toInt(id), actionFor(wiring, id));
    for (const char* name : buttons)
        window->add_radiobutton_to_group(group, name);
    return group;
}

void buildObjectProperties(GLUI* window, Settings& s, PanelHandles& h, const PanelWiring& w)
{
    GLUI_Rollout* rollout = window->add_rollout("Object Properties", false);
    addSettingSpinner(window, rollout, "Segments:", s, settingRow(&Settings::segments), ControlId::None, w)
        ->set_alignment(GLUI_ALIGN_RIGHT);
    h.scaleSpinner =
        addSettingSpinner(window, rollout, "Scale:", s, settingRow(&Settings::scale), ControlId::None, w);
    h.scaleSpinner->set_alignment(GLUI_ALIGN_RIGHT);
    h.thicknessSpinner =
        addSettingSpinner(window, rollout, "Thickness:", s, settingRow(&Settings::thickness), ControlId::None, w);
    h.thicknessSpinner->set_alignment(GLUI_ALIGN_RIGHT);
}

// The options of the two-eye modes, in a column beside the view modes.
void buildStereoOptions(GLUI* window, GLUI_Panel* stereo, Settings& s, PanelHandles& h, const PanelWiring& w)
{
    window->add_column_to_panel(stereo, false);
    h.anaglyphMethodList =
        window->add_listbox_to_panel(stereo, "Method:", &s.anaglyphMethod.raw, toInt(ControlId::None));
    for (int k = 0; k < kAnaglyphMethodCount; ++k)
        h.anaglyphMethodList->add_item(k, anaglyphMethodLabel(static_cast<AnaglyphMethod>(k)));
    h.desaturationSpinner = addSettingSpinner(window, stereo, "Desaturation:", s, settingRow(&Settings::desaturation),
                                              ControlId::None, w);
    h.desaturationSpinner->set_alignment(GLUI_ALIGN_RIGHT);
    h.squeezeCheckbox = window->add_checkbox_to_panel(stereo, "Squeezed", &s.squeezeEyes, toInt(ControlId::None));
    h.swapEyesCheckbox = window->add_checkbox_to_panel(stereo, "Swap eyes", &s.swapEyes, toInt(ControlId::None));
    enableStereoOptions(s, h);
}

void buildDisplayOptions(GLUI* window, Settings& s, PanelHandles& h, const PanelWiring& w)
{
    GLUI_Rollout* rollout = window->add_rollout("Display Options", false);

    GLUI_Rollout* stereo = window->add_rollout_to_panel(rollout, "Mono/Stereo", false);
    addRadioGroup(window, stereo, &s.stereoMode.raw, ControlId::ViewMode, w,
                  {"MonoView ", "Anaglyph", "StereoView", "Side by side", "Top and bottom", "Row interleaved",
                   "Color anaglyph"});
    buildStereoOptions(window, stereo, s, h, w);

    GLUI_Rollout* scaling = window->add_rollout_to_panel(rollout, "Axis Scaling", false);
    h.axisScalingRadio =
        addRadioGroup(window, scaling, &s.axis_data.raw, ControlId::AxisScaling, w, {"Individual", "Uniform "});

    GLUI_Rollout* display = window->add_rollout_to_panel(rollout, "Data Display", false);
    h.displayTypeRadio =
        addRadioGroup(window, display, &s.displayType.raw, ControlId::None, w,
                      {"Points ", "Line Sets:Joined ", "Line Sets:Needled ", "Surface grid ", "Surface filled "});

    h.eyeSepSpinner = addSettingSpinner(window, rollout, "Eye Separation:", s, settingRow(&Settings::eyeSeparation),
                                        ControlId::EyeSeparation, w);
    h.eyeSepSpinner->set_alignment(GLUI_ALIGN_RIGHT);
    h.focalLengthSpinner = addSettingSpinner(window, rollout, "FocalLength:", s, settingRow(&Settings::focalLength),
                                             ControlId::FocalLength, w);
    h.focalLengthSpinner->set_alignment(GLUI_ALIGN_RIGHT);

    window->add_checkbox_to_panel(rollout, "Show axes", &s.showAxes, toInt(ControlId::None));
    window->add_checkbox_to_panel(rollout, "Show file name", &s.showFileName, toInt(ControlId::None));
    window->add_checkbox_to_panel(rollout, "Show movement controls", &s.showMovementControls,
                                  toInt(ControlId::ShowMovementControls), w.action);
}

// A working-colour spinner, starting at 1.0: every build begins with white.
GLUI_Spinner* addColorSpinner(GLUI* window, GLUI_Panel* parent, const char* label, Settings& s, float Settings::*field,
                              const PanelWiring& w)
{
    GLUI_Spinner* spinner = addSettingSpinner(window, parent, label, s, settingRow(field), ControlId::ColorName, w);
    spinner->set_alignment(GLUI_ALIGN_RIGHT);
    spinner->set_float_val(1.0f);
    return spinner;
}

void buildColors(GLUI* window, Settings& s, PanelHandles& h, const PanelWiring& w)
{
    GLUI_Rollout* rollout = window->add_rollout("Colors", false);

    h.colorNameList = window->add_listbox_to_panel(rollout, "Color Name:", &s.colorName, toInt(ControlId::ColorName),
                                                   w.action);
    for (int i = 0; i < numColorNames; ++i)
        h.colorNameList->add_item(i, namedColorTable.colorNames[i]);
    fillDataColors(s.dataColors);

    GLUI_Rollout* rgb = window->add_rollout_to_panel(rollout, "rgb", false);
    h.redSpinner = addColorSpinner(window, rgb, "red:", s, &Settings::colorRed, w);
    h.greenSpinner = addColorSpinner(window, rgb, "green:", s, &Settings::colorGreen, w);
    h.blueSpinner = addColorSpinner(window, rgb, "blue:", s, &Settings::colorBlue, w);

    GLUI_Rollout* target = window->add_rollout_to_panel(rollout, "Apply Color To:", true);
    h.applyColorRadio = addRadioGroup(window, target, &s.applyColorTo.raw, ControlId::None, w,
                                      {"Background", "Left", "Right", "Light 1", "Light 2", "Data Color"});
    h.dataValueList = window->add_listbox_to_panel(target, " Data Value:", &s.dataValue, toInt(ControlId::DataValue),
                                                   w.action);
    for (int i = 0; i <= 9; ++i)
        h.dataValueList->add_item(i, std::to_string(i).c_str());

    window->add_button_to_panel(rollout, "Apply Color Settings", toInt(ControlId::ApplyColor), w.action);
}

void buildLights(GLUI* window, Settings& s, PanelHandles& h, const PanelWiring& w)
{
    GLUI_Rollout* rollout = window->add_rollout("Lights", false);
    GLUI_Panel* light1 = window->add_panel_to_panel(rollout, "Light 1", GLUI_PANEL_EMBOSSED);
    GLUI_Panel* light2 = window->add_panel_to_panel(rollout, "Light 2", GLUI_PANEL_EMBOSSED);

    window->add_checkbox_to_panel(light1, "Enabled", &s.light1Enabled, toInt(ControlId::Light1Enabled), w.action);
    h.light1IntensitySpinner = addSettingSpinner(window, light1, "Intensity:", s,
                                                 settingRow(&Settings::light1Intensity), ControlId::Light1Intensity, w);

    window->add_checkbox_to_panel(light2, "Enabled", &s.light2Enabled, toInt(ControlId::Light2Enabled), w.action);
    h.light2IntensitySpinner = addSettingSpinner(window, light2, "Intensity:", s,
                                                 settingRow(&Settings::light2Intensity), ControlId::Light2Intensity, w);
}

void buildDataFile(GLUI* window, Settings& s, PanelHandles& h, const PanelWiring& w)
{
    GLUI_Rollout* rollout = window->add_rollout("Specify Data File", true);
    // A top-level control: it stands below the whole rollout, as an empty line.
    window->add_statictext("");

    window->add_button_to_panel(rollout, "Browse for folder", toInt(ControlId::BrowseFolder), w.action);

    // The texts are read with get_text by the file list, so the boxes have no live variable.
    h.folderText = window->add_edittext_to_panel(rollout, "Folder:", GLUI_EDITTEXT_TEXT, nullptr,
                                                 toInt(ControlId::FolderOrFilter), w.action);
    h.folderText->set_w(200);
    h.folderText->set_text(w.startFolder.c_str());
    h.filterText = window->add_edittext_to_panel(rollout, "File filter:", GLUI_EDITTEXT_TEXT, nullptr,
                                                 toInt(ControlId::FolderOrFilter), w.action);
    h.filterText->set_text(w.fileFilter.c_str());

    GLUI_Rollout* format = window->add_rollout_to_panel(rollout, "Data Format", true);
    h.dataFormatRadio = addRadioGroup(window, format, &s.dataFormat.raw, ControlId::DataFormat, w,
                                      {"Data ", "Maple", "Data with Color", "Columns", "Matrix", "NumPy", "PLY"});

    h.fileList = window->add_listbox_to_panel(rollout, "Files:", w.chosenListItem, toInt(ControlId::FileList), w.action);
    h.fileList->add_item(0, "Choose Model");
    if (w.listFiles)
        w.listFiles();
    // Below the list, so that nothing above it moves.
    window->add_checkbox_to_panel(rollout, "Watch file", &s.watchFile, toInt(ControlId::WatchFile), w.action);
}

// Colour by value, the axes' style, the preset views and the saving of pictures and views:
// a section of its own below the data file's.
void buildViewsAndPictures(GLUI* window, Settings& s, PanelHandles& h, const PanelWiring& w)
{
    GLUI_Rollout* rollout = window->add_rollout("Views and Pictures", false);

    GLUI_Rollout* colorBy = window->add_rollout_to_panel(rollout, "Color by", true);
    h.colorByRadio =
        addRadioGroup(window, colorBy, &s.colorBy.raw, ControlId::None, w, {"eye color", "height", "group", "file colours"});
    GLUI_Rollout* colorMap = window->add_rollout_to_panel(rollout, "Color Map", false);
    addRadioGroup(window, colorMap, &s.colorMap.raw, ControlId::None, w, {"viridis", "gray", "coolwarm"});
    h.colorRangeText = window->add_edittext_to_panel(rollout, "Color range:", GLUI_EDITTEXT_TEXT, nullptr,
                                                     toInt(ControlId::ColorRange), w.action);
    h.colorRangeText->set_text(colorRangeText(s.colorRange).c_str());

    GLUI_Rollout* axes = window->add_rollout_to_panel(rollout, "Axes Style", false);
    addRadioGroup(window, axes, &s.axesStyle.raw, ControlId::None, w, {"axes figure", "box with ticks"});
    addSettingSpinner(window, rollout, "Text size:", s, settingRow(&Settings::textSize), ControlId::None, w);
    window->add_checkbox_to_panel(rollout, "Smooth edges", &s.smoothEdges, toInt(ControlId::None));

    GLUI_Panel* views = window->add_panel_to_panel(rollout, "Views", GLUI_PANEL_EMBOSSED);
    window->add_button_to_panel(views, "Front view", toInt(ControlId::FrontView), w.action);
    window->add_button_to_panel(views, "Top view", toInt(ControlId::TopView), w.action);
    window->add_button_to_panel(views, "Side view", toInt(ControlId::SideView), w.action);
    window->add_button_to_panel(views, "Three-quarter view", toInt(ControlId::ThreeQuarterView), w.action);
    window->add_button_to_panel(views, "Fit to window", toInt(ControlId::FitView), w.action);

    window->add_button_to_panel(rollout, "Save picture", toInt(ControlId::SavePicture), w.action);
    window->add_button_to_panel(rollout, "Save view", toInt(ControlId::SaveView), w.action);

    // While the view moves: a lighter picture, each frame within the budget.
    window->add_checkbox_to_panel(rollout, "Lighter picture while moving", &s.lighterWhileMoving,
                                  toInt(ControlId::None));
    addSettingSpinner(window, rollout, "Frame budget while moving:", s, settingRow(&Settings::frameBudget),
                      ControlId::None, w)
        ->set_alignment(GLUI_ALIGN_RIGHT);
}

void buildWindowButtons(GLUI* window, const PanelWiring& w)
{
    window->add_statictext("");
    window->add_button("Reset View", toInt(ControlId::ResetView), w.action);
    // GLUI calls the callback with the button's id 0: the process ends with status 0.
    window->add_button("Quit", toInt(ControlId::Quit), std::exit);
}

// A translation control of the "Movement Controls" window, all with the same speed.
void addTranslation(GLUI* window, const char* label, int type, float* field)
{
    window->add_translation(label, type, field, toInt(ControlId::None))->set_speed(0.005f);
}

void buildMovementControls(GLUI* window, Settings& s, PanelHandles& h)
{
    h.rotateControl = window->add_rotation("Rotate", s.rotateMat, toInt(ControlId::None));
    h.rotateControl->set_spin(1.0f);
    window->add_column(0);
    addTranslation(window, "Objects XY", GLUI_TRANSLATION_XY, &s.objTrans[0]);
    window->add_column(0);
    addTranslation(window, "Objects X", GLUI_TRANSLATION_X, &s.objTrans[0]);
    window->add_column(0);
    addTranslation(window, "Objects Y", GLUI_TRANSLATION_Y, &s.objTrans[1]);
    window->add_column(0);
    addTranslation(window, "Objects Z", GLUI_TRANSLATION_Z, &s.objTrans[2]);
    window->add_column(0);
    window->add_rotation("Light 1", s.lightRotateMat, toInt(ControlId::None))->set_spin(0.82f);
}

void enableIf(GLUI_Control* control, bool enabled)
{
    if (control == nullptr)
        return;
    if (enabled)
        control->enable();
    else
        control->disable();
}

}  // namespace

void enableStereoOptions(const Settings& settings, PanelHandles& handles)
{
    const ViewMode mode = settings.stereoMode;
    const bool colourAnaglyph = mode == ViewMode::ColorAnaglyph;
    enableIf(handles.anaglyphMethodList, colourAnaglyph);
    enableIf(handles.desaturationSpinner, colourAnaglyph);
    enableIf(handles.squeezeCheckbox, mode == ViewMode::SideBySide || mode == ViewMode::TopBottom);
    enableIf(handles.swapEyesCheckbox, drawsTwoEyes(mode));
}

void buildControlPanel(Settings& settings, PanelHandles& handles, const PanelWiring& wiring)
{
    std::printf("GLUI version: %3.2f\n", GLUI_Master.get_version());

    handles.controlWindow = GLUI_Master.create_glui("Control Display", 0, 860, 50);
    GLUI* control = handles.controlWindow;
    buildObjectProperties(control, settings, handles, wiring);
    buildDisplayOptions(control, settings, handles, wiring);
    buildColors(control, settings, handles, wiring);
    buildLights(control, settings, handles, wiring);
    buildDataFile(control, settings, handles, wiring);
    buildViewsAndPictures(control, settings, handles, wiring);
    buildWindowButtons(control, wiring);
    control->set_main_gfx_window(wiring.mainWindow);

    handles.movementWindow = GLUI_Master.create_glui("Movement Controls", 0, 50, 650);
    handles.movementWindow->set_main_gfx_window(wiring.mainWindow);
    buildMovementControls(handles.movementWindow, settings, handles);
}
