// What the drawing of a frame's passes is handed: the settings it draws with, the data set,
// and the state the display keeps between frames (kept geometry, the second eye's work).
#pragma once

#include <string>

#include "core/data_set.h"
#include "core/settings.h"
#include "render/cpu/figure_fit.h"
#include "render/cpu/figure_sizes.h"
#include "render/cpu/geometry_cache.h"
#include "render/cpu/lighter_picture.h"
#include "render/cpu/second_eye.h"
#include "render/cpu/tube_drawing_choice.h"

struct GLUquadric;
struct PlainBuffers;

// What the parts of a figure drawn with the data share through a frame: the fit of the view
// to the picture, how the picture is drawn (its pixel scale), and the file name shown, which
// the box's labels keep clear of.
struct FigureFrame {
    ViewFit fit;
    // The box's edges that carry its ticks, as the fit chose them (every eye of the frame
    // takes the same); chosen by each pass where the view is not fitted.
    bool fixedEdges = false;
    std::array<TickEdge, 3> edges;
    double pixelScale = 1.0;
    std::string shownFileName;  // empty when no file name is shown
};

struct DrawContext {
    const Settings& settings;
    const DataSet& data;
    // The settings' geometry version (SettingsVersions::geometry): the kept arrays are built
    // again when it moves on.
    unsigned long geometryVersion;
    // The quadric of the immediate-mode tubes; null draws none of them.
    GLUquadric* quadric;
    // Whether the drawing prints its diagnostics: the switch is on, and this is the first
    // slice of the frame.
    bool diagnostics;
    // Immediate mode for every primitive, nothing kept: the reference of the fast drawing.
    bool reference;
    GeometryStore& geometry;
    SecondEye& secondEye;
    // The kept arrays as they are, with no processor work per frame (see drawing_policy.h),
    // copied into these buffers.
    bool plain;
    PlainBuffers& buffers;
    // How filled tubes are drawn on the assisted drawing this frame (tube_drawing_choice.h).
    TubeFrame& tubeFrame;
    // What of the full picture this frame draws (lighter_picture.h), and the lighter
    // picture's rows and columns of a grid.
    const LighterPicture& lighter;
    CoarseGrid& coarseGrid;
    FigureFrame figure{};
};

// The inputs of the kept geometry from the settings.
inline GeometryInputs geometryInputs(const DrawContext& c)
{
    return GeometryInputs{c.settings.thickness, c.settings.segments, c.geometryVersion};
}
