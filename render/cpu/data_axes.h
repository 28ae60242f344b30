// The axes of the data's box in the data's own units: where the box ends and where each
// tick stands in drawn coordinates, for the axes style "box".
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/axis_ticks.h"
#include "core/data_set.h"

struct DataAxis {
    double low = 0.0, high = 0.0;  // the drawn coordinates of the box's two faces
    AxisTicks ticks;               // in the data's units
    std::vector<double> drawn;     // the drawn coordinate of each tick
};

// The x, y and z axes of the data's box: from the raw bounds of the load, placed as the
// normalisation placed the points (before the centring translation).
std::array<DataAxis, 3> dataAxes(const DataSet& data);

// The titles of the x, y and z axes: the names of the columns read, else "x", "y" and "z".
std::array<std::string, 3> axisTitles(const DataSet& data);

// The edge of the box that carries an axis's ticks: the edge along axis at the low (0) or
// high (1) face of each of the other two axes (at[axis] is not used), and the direction, away
// from the box, in which its tick marks point (unit steps along the other two axes).
struct TickEdge {
    int axis = 0;
    int at[3] = {0, 0, 0};
    double out[3] = {0.0, 0.0, 0.0};
    // False for an axis seen nearly end-on: its ticks and labels would stand on one spot.
    bool shown = true;
};
bool operator==(const TickEdge& a, const TickEdge& b);

// Whether each shown edge stands on the box's outline in the view (clip from model): the
// whole box on one side of it in the picture.
bool edgesOnOutline(const std::array<DataAxis, 3>& axes, const float clipFromModel[16],
                    const std::array<TickEdge, 3>& edges);

// For each axis, of its four parallel edges one that the view (clip from model, column
// order) places on the box's outline in the picture (the whole box on one side of it), so
// that ticks and labels stand outside the data, never across them: of those the one nearest
// the eye, then the lower, then the one further left. Where none is on the outline, the one
// whose middle stands farthest from the box's centre.
std::array<TickEdge, 3> tickEdges(const std::array<DataAxis, 3>& axes, const float clipFromModel[16]);
