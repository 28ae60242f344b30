// Every user setting of the viewer in one record, with its default. What each setting is
// called, its range and step, its command-line option and what a change of it makes out of
// date are declared once, in the settings table (settings_table.h), which the panels, the
// programs' options and the resets read.
#pragma once

#include "core/colormap.h"
#include "core/modes.h"

constexpr int kDataColorCount = 50;

struct DataColor {
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;
    // 1 once the entry holds a colour of its own: a named colour of the table, or one applied
    // under "Colors", given with --data-color or read from a view. The table's black fill of
    // the values without a name leaves it 0, and colouring by group then takes a colour of
    // the categorical palette instead (groupColor, core/value_colors.h).
    int given = 0;
};

// An enum-valued setting kept as the int that a radio group or list box is bound to.
// It reads and compares as its enum, so code never meets the bare number.
template <typename Enum>
struct Choice {
    int raw;

    constexpr Choice(Enum value = Enum{}) : raw(static_cast<int>(value)) {}
    constexpr operator Enum() const { return static_cast<Enum>(raw); }
    constexpr Enum get() const { return static_cast<Enum>(raw); }
    Choice& operator=(Enum value)
    {
        raw = static_cast<int>(value);
        return *this;
    }
};

struct Settings {
    // ---- View: the turn, shift and size of the scene ----
    float angleX = 0.0f, angleY = 0.0f, angleZ = 0.0f;  // degrees, never wrapped
    float objTrans[3] = {0.0f, 0.0f, 0.0f};
    float rotateMat[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};  // the "Rotate" trackball
    float lightRotateMat[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};  // the "Light 1" trackball
    float scale = 1.0f;
    float thickness = 0.02f;
    int segments = 8;

    // ---- Stereo and projection ----
    Choice<ViewMode> stereoMode{ViewMode::Mono};
    float eyeSeparation = 2.0f;
    float focalLength = 20.0f;
    // Focal length over eye separation: the link that keeps the two in proportion when the
    // focal length moves, and that a reset of the view restores.
    float focalRatio = 20.0f;
    // The picture meant for each eye goes to the other, in every mode of two eyes.
    int swapEyes = 0;
    // Side by side, top and bottom: each eye keeps the whole window's aspect ratio, squeezed
    // into its half, as 3D televisions that stretch each half back expect.
    int squeezeEyes = 0;
    // "Color anaglyph": how the eyes' pictures are mixed, and how far their colours are
    // first moved towards grey (0 none, 1 all grey), which eases rivalry between the eyes.
    Choice<AnaglyphMethod> anaglyphMethod{AnaglyphMethod::Dubois};
    float desaturation = 0.65f;

    // ---- Display choices ----
    Choice<DisplayType> displayType{DisplayType::Joined};
    Choice<AxisScaling> axis_data{AxisScaling::Individual};
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
    // The colour being edited in the "Colors" rollout and where "Apply Color Settings" puts it.
    int colorName = 0;
    float colorRed = 0.0f, colorGreen = 0.0f, colorBlue = 0.0f;
    Choice<ColorTarget> applyColorTo{ColorTarget::Background};
    int dataValue = 0;
    int curDataValue = 0;
    // Black until the panel (or a program without one) fills them from the colour table.
    DataColor dataColors[kDataColorCount];

    // ---- Data file ----
    Choice<DataFormat> dataFormat{DataFormat::Plain};
    // "Watch file": the file on screen is read again whenever it is rewritten.
    int watchFile = 0;

    // ---- Colour by value and the axes' style ----
    Choice<ColorBy> colorBy{ColorBy::Eye};
    Choice<ColorMap> colorMap{ColorMap::Viridis};
    // The z values (in the data's own units) at the two ends of the colour map; equal ends
    // stand for the data's own z range.
    float colorRange[2] = {0.0f, 0.0f};
    Choice<AxesStyle> axesStyle{AxesStyle::Lines};

    // ---- Figures ----
    // The size of the picture's texts (labels, colour bar, help, messages) as a factor of
    // their size in proportion to the picture's height.
    float textSize = 1.0f;
    // The viewer shows the picture at rest with smoothed edges (multisampled).
    int smoothEdges = 1;
    // ---- While the view moves ----
    // A lighter picture while the view changes continuously, each frame within frameBudget
    // milliseconds; the full picture once the view rests.
    int lighterWhileMoving = 1;
    float frameBudget = 40.0f;

    // ---- Derived: kept in step with the angles by every writer of them, not a setting ----
    float angleMat[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};
