// The named colours of the "Color Name:" list, the initial data colours, and
// "Apply Color Settings", which copies the working colour to its chosen target.
#include "core/colors.h"

#include "app/viewer_state.h"
#include "glui/glui.h"

// Name n (1 to 10) selects row n - 1; "custom" selects none. Row 10 has no name
// and only seeds data colour 10.
const NamedColorTable namedColorTable = {
    {"custom", "red", "green", "blue", "cyan", "magenta", "yellow", "purple", "orange", "white",
     "black"},
    {1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.7f, 0.9f, 1.0f, 0.0f, 0.0f},
    {0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.4f, 0.4f, 1.0f, 0.0f, 0.0f},
    {0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.7f, 0.1f, 1.0f, 0.0f, 0.0f},
};

void fillDataColors()
{
    for (int i = 0; i < kDataColorCount; ++i) {
        DataColor& c = viewer.dataColors[i];
        if (i < numColorNames) {
            c.r = namedColorTable.colorRedTable[i];
            c.g = namedColorTable.colorGreenTable[i];
            c.b = namedColorTable.colorBlueTable[i];
        } else {
            c.r = c.g = c.b = 0.0f;
        }
    }
}

// The spinner clamps, shows and writes its live variable; before the panel
// exists there is no spinner, and the field is written directly.
static void setWorkingComponent(GLUI_Spinner* spinner, float& field, float value)
{
    if (spinner)
        spinner->set_float_val(value);
    else
        field = value;
}

static void copyWorkingColor(float* target)
{
    target[0] = viewer.colorRed;
    target[1] = viewer.colorGreen;
    target[2] = viewer.colorBlue;
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
    switch (viewer.applyColorTo) {
    case 0: copyWorkingColor(viewer.bgColor); break;
    case 1: copyWorkingColor(viewer.leftColor); break;
    case 2: copyWorkingColor(viewer.rightColor); break;
    case 3: copyWorkingColor(viewer.light1Diffuse); break;
    case 4: copyWorkingColor(viewer.light2Diffuse); break;
    case 5:
        viewer.curDataValue = viewer.dataValue;
        if (viewer.curDataValue >= 0 && viewer.curDataValue < kDataColorCount) {
            DataColor& c = viewer.dataColors[viewer.curDataValue];
            c.r = viewer.colorRed;
            c.g = viewer.colorGreen;
            c.b = viewer.colorBlue;
        }
        break;
    default: break;
    }
}
