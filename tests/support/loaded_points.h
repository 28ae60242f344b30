// A data set of the given points normalised as a load normalises it.
#pragma once

#include <vector>

#include "core/data_set.h"

inline DataSet loadedPoints(const std::vector<Point3d>& points, AxisScaling scaling = AxisScaling::Individual)
{
    DataSet data;
    data.coordArray = points;
    Bounds raw;
    resetBounds(raw);
    for (const Point3d& p : points) {
        includeInBounds(raw, p);
    }
    normaliseDataSet(data, points.size(), raw, scaling);
    return data;
}
