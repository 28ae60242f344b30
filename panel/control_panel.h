// Building the "Control Display" and "Movement Controls" panel windows: every control bound
// to its settings field, with its id and, where the id matters, the action callback.
#pragma once

#include <string>

#include "core/settings.h"

class GLUI;
class GLUI_Rotation;
class GLUI_EditText;
class GLUI_Listbox;
class GLUI_RadioGroup;
class GLUI_Spinner;
class GLUI_Checkbox;

// The controls that the rest of the program reaches after the build. Each is owned by the
// panel toolkit; each is empty until the panel is built.
struct PanelHandles {
    GLUI* controlWindow = nullptr;
    GLUI* movementWindow = nullptr;
    GLUI_Rotation* rotateControl = nullptr;
    GLUI_EditText* folderText = nullptr;
    GLUI_EditText* filterText = nullptr;
    GLUI_Listbox* fileList = nullptr;
    GLUI_RadioGroup* dataFormatRadio = nullptr;
    GLUI_Spinner* scaleSpinner = nullptr;
    GLUI_Spinner* thicknessSpinner = nullptr;
    GLUI_RadioGroup* displayTypeRadio = nullptr;
    GLUI_RadioGroup* axisScalingRadio = nullptr;
    GLUI_Spinner* eyeSepSpinner = nullptr;
    GLUI_Spinner* focalLengthSpinner = nullptr;
    GLUI_Listbox* colorNameList = nullptr;
    GLUI_Spinner* redSpinner = nullptr;
    GLUI_Spinner* greenSpinner = nullptr;
    GLUI_Spinner* blueSpinner = nullptr;
    GLUI_RadioGroup* applyColorRadio = nullptr;
    GLUI_Listbox* dataValueList = nullptr;
    GLUI_Spinner* light1IntensitySpinner = nullptr;
    GLUI_Spinner* light2IntensitySpinner = nullptr;
    // The options beside "Mono/Stereo", each enabled only in the view modes it applies to.
    GLUI_Listbox* anaglyphMethodList = nullptr;
    GLUI_Spinner* desaturationSpinner = nullptr;
    GLUI_Checkbox* squeezeCheckbox = nullptr;
    GLUI_Checkbox* swapEyesCheckbox = nullptr;
    GLUI_RadioGroup* colorByRadio = nullptr;
    GLUI_EditText* colorRangeText = nullptr;
};

// What the panels are handed besides the settings they bind: the callback of every control
// with an id, the display window they belong to, and the file part's start.
struct PanelWiring {
    void (*action)(int id) = nullptr;
    int mainWindow = 0;
    // The "Folder:" text at the start and the "File filter:" text.
    std::string startFolder;
    std::string fileFilter;
    // Fills the "Files:" list once "Choose Model" stands in it (the handles are set by then).
    void (*listFiles)() = nullptr;
    // The bound "Files:" choice.
    int* chosenListItem = nullptr;
};

// Prints the toolkit's version and builds both windows, binding their controls to the
// fields of settings and filling handles.
void buildControlPanel(Settings& settings, PanelHandles& handles, const PanelWiring& wiring);

// Enables the options beside "Mono/Stereo" that apply to the settings' view mode and disables
// the others: the method and the desaturation in the colour anaglyph, "Squeezed" side by
// side and top and bottom, "Swap eyes" in every mode of two eyes.
void enableStereoOptions(const Settings& settings, PanelHandles& handles);
