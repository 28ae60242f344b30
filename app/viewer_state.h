// The one process-wide record of settings and shared state of the viewer.
// Every callback talks to the others only through this record and the data set.
#pragma once

#include <string>

class GLUI;
class GLUI_Rotation;
class GLUI_EditText;
class GLUI_Listbox;
class GLUI_RadioGroup;
class GLUI_Spinner;
struct GLUquadric;

constexpr int kDataColorCount = 50;

struct DataColor {
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;
};

struct ViewerState {
    // ---- View transform (navigation writes, drawing reads) ----
    float angleX = 0.0f, angleY = 0.0f, angleZ = 0.0f;  // degrees, never wrapped
    float angleMat[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    float matCur[16] = {};                 // printed by key "p"; nothing writes it
    float objTrans[3] = {0.0f, 0.0f, 0.0f};
    float rotateMat[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    float lightRotateMat[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    float scale = 1.0f;
    float thickness = 0.02f;
    int segments = 8;

    // ---- Stereo, projection and camera ----
    int stereoMode = 0;   // 0 MonoView, 1 Anaglyph, 2 StereoView
    int windowMode = 10;  // 10 no window yet, 1 double-buffered, 2 quad-buffered
    int possible = 0;
    float eyeSeparation = 2.0f;
    float focalLength = 20.0f;
    float focalRatio = 20.0f;
    double vp[3] = {0.0, 0.0, 18.0};
    double vd[3] = {0.0, 0.0, -1.0};
    double vu[3] = {0.0, 1.0, 0.0};

    // ---- Display choices ----
    int displayType = 1;  // 0 points, 1 joined, 2 needled, 3 grid, 4 filled
    int axis_data = 0;    // 0 Individual, 1 Uniform
    int showAxes = 0;
    int showFileName = 1;
    int showMovementControls = 1;
    int debugPrint = 0;

    // ---- Colours and lights ("Light 1" is GL_LIGHT0, "Light 2" is GL_LIGHT1) ----
    float bgColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float leftColor[4] = {1.0f, 0.0f, 0.0f, 1.0f};
    float rightColor[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    float light1Ambient[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float light1Diffuse[4] = {0.6f, 0.6f, 1.0f, 1.0f};
    float light1Position[4] = {0.5f, 0.5f, 1.0f, 0.0f};
    float light2Ambient[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float light2Diffuse[4] = {0.9f, 0.6f, 0.0f, 1.0f};
    float light2Position[4] = {-1.0f, -1.0f, 1.0f, 0.0f};
    int light1Enabled = 1;
    int light2Enabled = 1;
    float light1Intensity = 1.0f;
    float light2Intensity = 0.4f;
    int colorName = 0;
    float colorRed = 0.0f, colorGreen = 0.0f, colorBlue = 0.0f;
    int applyColorTo = 0;
    int dataValue = 0;
    int curDataValue = 0;
    DataColor dataColors[kDataColorCount];

    // ---- File choice ----
    // The viewer keeps its own copies of these texts, so a later listing or an
    // edit of a text box never changes what an earlier load refers to.
    std::string filename;  // empty until the first load: the overlay then writes nothing
    std::string filedir;
    int chosen_listitem = 0;
    int loadedListitem = 0;
    int dataFormat = 0;  // 0 Data, 1 Maple, 2 Data with Color
    std::string fileFilter = "*.*";

    // ---- Windows and input ----
    int mainWindow = 0;
    int windowWidth = 800;
    int windowHeight = 600;
    int windowX = 50;
    int windowY = 50;
    int viewportWidth = 0;
    int viewportHeight = 0;
    GLUquadric* quadric = nullptr;
    int dragMode = -1;  // -1 none yet, 0 turn, 1 depth, 2 shift
    int lastX = 0;
    int lastY = 0;      // counted from the bottom of the window

    // ---- Panel handles (owned by the panel layer; empty until the panel is built) ----
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
};

// The one instance, holding the defaults above from the start of the process.
extern ViewerState viewer;
