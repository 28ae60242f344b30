// The viewer's modes and choices, each an enum class whose values are the values the panel's
// radio groups and list boxes hold (a radio group's value is the index of its button).
#pragma once

// "Mono/Stereo": how many eyes a frame draws and where their pictures go.
enum class ViewMode : int {
    Mono = 0,      // one picture from the centre
    Anaglyph = 1,  // both eyes over each other in the left and right material colours
    Stereo = 2,    // quad-buffered stereo where the display offers it
    // The modes below draw both eyes into the ordinary double-buffered window.
    SideBySide = 3,     // the left eye in the left half, the right eye in the right half
    TopBottom = 4,      // the left eye in the top half, the right eye in the bottom half
    Interleaved = 5,    // even and odd screen rows, for passive polarised monitors
    ColorAnaglyph = 6,  // both eyes in their own colours, mixed by an anaglyph method
};
constexpr int kViewModeCount = 7;

// Whether a view mode draws two eyes, and whether it needs a quad-buffered window.
constexpr bool drawsTwoEyes(ViewMode mode)
{
    return mode != ViewMode::Mono;
}
constexpr bool needsQuadBuffer(ViewMode mode)
{
    return mode == ViewMode::Stereo;
}

// How "Color anaglyph" mixes the two eyes' pictures into one for red-cyan glasses; each
// method is a pair of colour matrices (core/anaglyph.h).
enum class AnaglyphMethod : int {
    ColorMask = 0,  // red from the left eye, green and blue from the right
    Gray = 1,       // the grey of each eye: left into red, right into green and blue
    HalfColor = 2,  // the left eye's grey into red, the right eye's green and blue as they are
    FullColor = 3,  // red from the left eye, green and blue from the right
    Dubois = 4,     // Eric Dubois's least-squares projection for red-cyan glasses
};
constexpr int kAnaglyphMethodCount = 5;

// "Data Display": how the data set is drawn.
enum class DisplayType : int {
    Points = 0,
    Joined = 1,   // line sets of tubes from point to point
    Needled = 2,  // line sets of tubes standing on the floor under each point
    Grid = 3,     // surface as a wire grid
    Filled = 4,   // surface as filled quadrilaterals
};

// "Data Format": which reader a file is read with.
enum class DataFormat : int {
    Plain = 0,    // "Data"
    Maple = 1,    // "Maple": a GRID structure
    Colored = 2,  // "Data with Color"
    Columns = 3,  // delimited text columns: x, y, z and perhaps a group per row
    Matrix = 4,   // rows of z values over the column and row indices
    Npy = 5,      // a NumPy .npy array: points, sets of points or a matrix of heights
    Ply = 6,      // a PLY point cloud: the vertices, perhaps with colours
};

// "Axis Scaling": each axis scaled into the cube by itself, or all by the smallest scale.
enum class AxisScaling : int {
    Individual = 0,
    Uniform = 1,
};

// "Apply Color To:": which colour "Apply Color Settings" changes.
enum class ColorTarget : int {
    Background = 0,
    Left = 1,
    Right = 2,
    Light1 = 3,
    Light2 = 4,
    DataColor = 5,
};

// What a mouse drag in the display window changes: the last of the three buttons pressed.
enum class DragMode : int {
    None = -1,  // no button pressed yet
    Turn = 0,   // left button
    Depth = 1,  // middle button
    Shift = 2,  // right button
};

// The buffer mode of the open display window.
enum class WindowMode : int {
    DoubleBuffered = 1,
    QuadBuffered = 2,
    NoWindowYet = 10,  // differs from every request, so the first set-up always opens a window
};

// "Color by": what gives each point, tube or quadrilateral its colour.
enum class ColorBy : int {
    Eye = 0,     // the pass's own colour (data with groups keep their data colours)
    Height = 1,  // its z value through the colour map
    Group = 2,   // the data colour of its group; data without groups take their set's number
    File = 3,    // the colour the file gives each point; as Group for data without such colours
};

// What "Show axes" draws.
enum class AxesStyle : int {
    Lines = 0,  // the figure of three coloured axes at the centre of the data
    Box = 1,    // the data's bounding box with a few ticks labelled in the data's own units
};

// The ids by which panel controls reach the control action; -1 means none, 0 is "Quit".
enum class ControlId : int {
    None = -1,
    Quit = 0,
    Light1Enabled = 200,
    Light2Enabled = 201,
    Light1Intensity = 250,
    Light2Intensity = 251,
    ShowMovementControls = 300,
    ResetView = 301,
    DataFormat = 401,
    BrowseFolder = 402,
    FileList = 403,
    FolderOrFilter = 404,
    WatchFile = 405,
    ColorName = 502,
    ApplyColor = 503,
    DataValue = 504,
    FocalLength = 601,
    EyeSeparation = 602,
    ViewMode = 701,
    AxisScaling = 801,
    SavePicture = 901,
    SaveView = 902,
    FitView = 910,
    FrontView = 911,
    TopView = 912,
    SideView = 913,
    ThreeQuarterView = 914,
    ColorRange = 920,
};

constexpr int toInt(ControlId id)
{
    return static_cast<int>(id);
}
