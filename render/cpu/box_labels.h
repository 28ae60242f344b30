// The labels of the data's box in a view: each axis's tick labels beside the edge that
// carries its ticks, outside the box, its title beyond them, and none over another label, a
// title, the file name or the colour bar (a label that would collide is left out).
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "render/cpu/data_axes.h"
#include "render/cpu/label_layout.h"
#include "render/cpu/type_face.h"

struct BoxLabelInputs {
    std::array<DataAxis, 3> axes;
    std::array<std::string, 3> titles;
    // Clip from the box's coordinates (the points' model transform), column order, and the
    // viewport it is shown in.
    float clipFromModel[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    int width = 0, height = 0;
    // Pixels per em of the labels, and the tick marks' length in the box's units.
    double textSize = 13.0;
    double tickLength = 0.0;
    // What the labels must keep clear of (the file name, the colour bar), in viewport pixels.
    std::vector<PixelRect> reserved;
    // The extent of a text at a size; the pictures' face when empty.
    std::function<TextExtent(const std::string&, double)> measure;
    // The edges that carry the ticks, where they were chosen beforehand (fixedEdges) rather
    // than from this view: a fit chooses them once, so that its steps do not make them jump.
    bool fixedEdges = false;
    std::array<TickEdge, 3> edges;
};

struct BoxLabel {
    std::string text;
    double x = 0.0, y = 0.0;  // the left end of its baseline, viewport pixels
    PixelRect box;
    int axis = 0;
    bool title = false;
};

struct BoxLayout {
    std::array<TickEdge, 3> edges;
    std::vector<BoxLabel> labels;  // the labels kept, titles first
    // Where the box's corners, tick marks and kept labels reach; empty when the box lies
    // behind the eye.
    PixelRect bounds;
    // The same with every label that would stand there before any is left out: it changes
    // smoothly with the view, as a fit of the view needs (what is kept only shrinks it).
    PixelRect reach;
};

// The tick marks' length for the axes: 3% of the box's largest side.
double boxTickLength(const std::array<DataAxis, 3>& axes);

BoxLayout layOutBoxLabels(const BoxLabelInputs& in);

// Where a point of the box's coordinates falls in the viewport, in pixels from its lower left;
// false when it lies behind the eye.
bool projectToViewport(const float clipFromModel[16], int width, int height, const double p[3], double& x,
                       double& y);
