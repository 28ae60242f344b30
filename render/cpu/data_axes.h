// The axes of the data's box in the data's own units: where the box ends and where each
// tick stands in drawn coordinates, for the axes style "box".
#pragma once

#include <array>
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
