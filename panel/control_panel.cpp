// Builds the "Control Display" and "Movement Controls" panel windows: every control,
// bound to its settings field, with its id and, where the id matters, controlAction.
#include "panel/control_panel.h"

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "app/viewer_state.h"
#include "app/file_list.h"
#include "glui/glui.h"
#include "core/colors.h"
#include "app/control_actions.h"

// A float spinner clamped to [low, high], in the order create, limits, speed, alignment.
static GLUI_Spinner* addFloatSpinner(GLUI* window, GLUI_Panel* parent, const char* label,
                                     float* field, int id, float low, float high, float speed)
{
    GLUI_Spinner* spinner = window->add_spinner_to_panel(
        parent, label, GLUI_SPINNER_FLOAT, field, id, id == -1 ? nullptr : controlAction);
    spinner->set_float_limits(low, high, GLUI_LIMIT_CLAMP);
    spinner->set_speed(speed);
    spinner->set_alignment(GLUI_ALIGN_RIGHT);
    return spinner;
}

static GLUI_RadioGroup* addRadioGroup(GLUI* window, GLUI_Panel* parent, int* field, int id,
                                      std::initializer_list<const char*> buttons)
{
    GLUI_RadioGroup* group =
        window->add_radiogroup_to_panel(parent, field, id, id == -1 ? nullptr : controlAction);
    for (const char* name : buttons)
        window->add_radiobutton_to_group(group, name);
    return group;
}

static void buildObjectProperties(GLUI* window)
{
    GLUI_Rollout* rollout = window->add_rollout("Object Properties", false);

    GLUI_Spinner* segments =
        window->add_spinner_to_panel(rollout, "Segments:", GLUI_SPINNER_INT, &viewer.segments, -1);
    segments->set_int_limits(3, 60, GLUI_LIMIT_CLAMP);
    segments->set_alignment(GLUI_ALIGN_RIGHT);

    viewer.scaleSpinner =
        addFloatSpinner(window, rollout, "Scale:", &viewer.scale, -1, -1000.0f, 1000.0f, 0.001f);
    viewer.thicknessSpinner =
        addFloatSpinner(window, rollout, "Thickness:", &viewer.thickness, -1, 0.001f, 10.0f, 0.05f);
}

static void buildDisplayOptions(GLUI* window)
{
    GLUI_Rollout* rollout = window->add_rollout("Display Options", false);

    GLUI_Rollout* stereo = window->add_rollout_to_panel(rollout, "Mono/Stereo", false);
    addRadioGroup(window, stereo, &viewer.stereoMode, 701, {"MonoView ", "Anaglyph", "StereoView"});

    GLUI_Rollout* scaling = window->add_rollout_to_panel(rollout, "Axis Scaling", false);
    viewer.axisScalingRadio =
        addRadioGroup(window, scaling, &viewer.axis_data, 801, {"Individual", "Uniform "});

    GLUI_Rollout* display = window->add_rollout_to_panel(rollout, "Data Display", false);
    viewer.displayTypeRadio = addRadioGroup(
        window, display, &viewer.displayType, -1,
        {"Points ", "Line Sets:Joined ", "Line Sets:Needled ", "Surface grid ", "Surface filled "});

    viewer.eyeSepSpinner = addFloatSpinner(window, rollout, "Eye Separation:",
                                           &viewer.eyeSeparation, 602, 0.0f, 45.0f, 0.05f);
    viewer.focalLengthSpinner = addFloatSpinner(window, rollout, "FocalLength:",
                                                &viewer.focalLength, 601, 0.0f, 500.0f, 0.05f);

    window->add_checkbox_to_panel(rollout, "Show axes", &viewer.showAxes, -1);
    window->add_checkbox_to_panel(rollout, "Show file name", &viewer.showFileName, -1);
    window->add_checkbox_to_panel(rollout, "Show movement controls", &viewer.showMovementControls,
                                  300, controlAction);
}

// A working-colour spinner, starting at 1.0: every build begins with white.
static GLUI_Spinner* addColorSpinner(GLUI* window, GLUI_Panel* parent, const char* label,
                                     float* field)
{
    GLUI_Spinner* spinner = addFloatSpinner(window, parent, label, field, 502, 0.0f, 1.0f, 0.001f);
    spinner->set_float_val(1.0f);
    return spinner;
}

static void buildColors(GLUI* window)
{
    GLUI_Rollout* rollout = window->add_rollout("Colors", false);

    viewer.colorNameList =
        window->add_listbox_to_panel(rollout, "Color Name:", &viewer.colorName, 502, controlAction);
    for (int i = 0; i < numColorNames; ++i)
        viewer.colorNameList->add_item(i, namedColorTable.colorNames[i]);
    fillDataColors();

    GLUI_Rollout* rgb = window->add_rollout_to_panel(rollout, "rgb", false);
    viewer.redSpinner = addColorSpinner(window, rgb, "red:", &viewer.colorRed);
    viewer.greenSpinner = addColorSpinner(window, rgb, "green:", &viewer.colorGreen);
    viewer.blueSpinner = addColorSpinner(window, rgb, "blue:", &viewer.colorBlue);

    GLUI_Rollout* target = window->add_rollout_to_panel(rollout, "Apply Color To:", true);
    viewer.applyColorRadio =
        addRadioGroup(window, target, &viewer.applyColorTo, -1,
                      {"Background", "Left", "Right", "Light 1", "Light 2", "Data Color"});
    viewer.dataValueList =
        window->add_listbox_to_panel(target, " Data Value:", &viewer.dataValue, 504, controlAction);
    for (int i = 0; i <= 9; ++i)
        viewer.dataValueList->add_item(i, std::to_string(i).c_str());

    window->add_button_to_panel(rollout, "Apply Color Settings", 503, controlAction);
}

static void buildLights(GLUI* window)
{
    GLUI_Rollout* rollout = window->add_rollout("Lights", false);
    GLUI_Panel* light1 = window->add_panel_to_panel(rollout, "Light 1", GLUI_PANEL_EMBOSSED);
    GLUI_Panel* light2 = window->add_panel_to_panel(rollout, "Light 2", GLUI_PANEL_EMBOSSED);

    window->add_checkbox_to_panel(light1, "Enabled", &viewer.light1Enabled, 200, controlAction);
    viewer.light1IntensitySpinner = window->add_spinner_to_panel(
        light1, "Intensity:", GLUI_SPINNER_FLOAT, &viewer.light1Intensity, 250, controlAction);
    viewer.light1IntensitySpinner->set_float_limits(0.0f, 1.0f, GLUI_LIMIT_CLAMP);

    window->add_checkbox_to_panel(light2, "Enabled", &viewer.light2Enabled, 201, controlAction);
    viewer.light2IntensitySpinner = window->add_spinner_to_panel(
        light2, "Intensity:", GLUI_SPINNER_FLOAT, &viewer.light2Intensity, 251, controlAction);
    viewer.light2IntensitySpinner->set_float_limits(0.0f, 1.0f, GLUI_LIMIT_CLAMP);
}

static void buildDataFile(GLUI* window)
{
    GLUI_Rollout* rollout = window->add_rollout("Specify Data File", true);
    // A top-level control: it stands below the whole rollout, as an empty line.
    window->add_statictext("");

    window->add_button_to_panel(rollout, "Browse for folder", 402, controlAction);

    // The texts are read with get_text by the file list, so the boxes have no live variable.
    viewer.folderText = window->add_edittext_to_panel(rollout, "Folder:", GLUI_EDITTEXT_TEXT,
                                                      nullptr, 404, controlAction);
    viewer.folderText->set_w(200);
    const char* folder = getCurrentFolder();
    viewer.folderText->set_text(folder ? folder : "");
    viewer.filterText = window->add_edittext_to_panel(rollout, "File filter:", GLUI_EDITTEXT_TEXT,
                                                      nullptr, 404, controlAction);
    viewer.filterText->set_text(viewer.fileFilter.c_str());

    GLUI_Rollout* format = window->add_rollout_to_panel(rollout, "Data Format", true);
    viewer.dataFormatRadio = addRadioGroup(window, format, &viewer.dataFormat, 401,
                                           {"Data ", "Maple", "Data with Color"});

    viewer.fileList = window->add_listbox_to_panel(rollout, "Files:", &viewer.chosen_listitem,
                                                   403, controlAction);
    viewer.fileList->add_item(0, "Choose Model");
    refreshFileList();
}

static void buildWindowButtons(GLUI* window)
{
    window->add_statictext("");
    window->add_button("Reset View", 301, controlAction);
    // GLUI calls the callback with the button's id 0: the process ends with status 0.
    window->add_button("Quit", 0, std::exit);
}

// A translation control of the "Movement Controls" window, all with the same speed.
static void addTranslation(GLUI* window, const char* label, int type, float* field)
{
    window->add_translation(label, type, field, -1)->set_speed(0.005f);
}

static void buildMovementControls(GLUI* window)
{
    viewer.rotateControl = window->add_rotation("Rotate", viewer.rotateMat, -1);
    viewer.rotateControl->set_spin(1.0f);
    window->add_column(0);
    addTranslation(window, "Objects XY", GLUI_TRANSLATION_XY, &viewer.objTrans[0]);
    window->add_column(0);
    addTranslation(window, "Objects X", GLUI_TRANSLATION_X, &viewer.objTrans[0]);
    window->add_column(0);
    addTranslation(window, "Objects Y", GLUI_TRANSLATION_Y, &viewer.objTrans[1]);
    window->add_column(0);
    addTranslation(window, "Objects Z", GLUI_TRANSLATION_Z, &viewer.objTrans[2]);
    window->add_column(0);
    window->add_rotation("Light 1", viewer.lightRotateMat, -1)->set_spin(0.82f);
}

void buildControlPanel()
{
    std::printf("GLUI version: %3.2f\n", GLUI_Master.get_version());

    viewer.controlWindow = GLUI_Master.create_glui("Control Display", 0, 860, 50);
    buildObjectProperties(viewer.controlWindow);
    buildDisplayOptions(viewer.controlWindow);
    buildColors(viewer.controlWindow);
    buildLights(viewer.controlWindow);
    buildDataFile(viewer.controlWindow);
    buildWindowButtons(viewer.controlWindow);
    viewer.controlWindow->set_main_gfx_window(viewer.mainWindow);

    viewer.movementWindow = GLUI_Master.create_glui("Movement Controls", 0, 50, 650);
    viewer.movementWindow->set_main_gfx_window(viewer.mainWindow);
    buildMovementControls(viewer.movementWindow);
}
