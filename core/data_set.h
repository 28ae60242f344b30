// The loaded data set and the normalisation that ends every load.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/axis_ticks.h"
#include "core/modes.h"
#include "core/vector_maths.h"

// The two dimensions of a data set: nx sets of pointsPerSet points each.
struct FnTrf {
    int nx = 0;
    int pointsPerSet = 0;
};

struct DataSet {
    // Point p of set s is element s * pointsPerSet + p of both arrays.
    std::vector<Point3d> coordArray;
    std::vector<int> groupArray;  // only coloured data fill it
    // The text of each group, when the file names its groups by text (group g is groupNames[g]);
    // empty when the groups are numbers. It goes with groupArray.
    std::vector<std::string> groupNames;
    // The colour the file gives each point: red, green, blue and alpha, a byte each (four
    // bytes a point, in the order of coordArray); empty when the file gives none.
    std::vector<std::uint8_t> pointColors;
    FnTrf fnTrf;
    int loadedFormat = 0;  // how the drawing treats the points: 0 Data, 1 Maple, 2 Data with Color

    float scaleFactor = 0.0f;
    float sx = 0.0f, sy = 0.0f, sz = 0.0f;
    float tx = 0.0f, ty = 0.0f, tz = 0.0f;
    float xmin = 0.0f, ymin = 0.0f, zmin = 0.0f;

    // Raised by every change of the points (each completed load), so that anything built
    // from them (the kept geometry) knows when it is out of date.
    unsigned long generation = 0;

    // How the normalisation placed each axis (x, y, z), so that drawn values can be told in
    // the file's own units: cube = (raw - rawMin) * rawScale * 10 - 5. rawMax is the largest
    // raw value. The defaults map the cube onto itself, for points put in place directly.
    double rawMin[3] = {-5.0, -5.0, -5.0};
    double rawMax[3] = {5.0, 5.0, 5.0};
    double rawScale[3] = {0.1, 0.1, 0.1};

    // The names of the x, y and z columns read (a table's header); empty where the file gave
    // none, and the axes are then called x, y and z.
    std::string axisNames[3];
};

// The mapping between the raw and the drawn values of one axis (0 x, 1 y, 2 z).
AxisMapping rawAxis(const DataSet& data, int axis);

// The box the data are drawn in: the normalisation's bounds of each axis moved by the
// centring translation, so that its centre is the origin of the view before any shift.
void drawnBox(const DataSet& data, double low[3], double high[3]);

// Gives to the format and what the normalisation found of from (its scales, centring
// translation, minima, raw axes and the axes' names), not the points or the dimensions.
void copyPlacement(const DataSet& from, DataSet& to);

// Per-axis bounds of raw or normalised data, x, y, z.
struct Bounds {
    double min[3];
    double max[3];
};

// Bounds that any first value replaces (as if from plus and minus infinity).
void resetBounds(Bounds& bounds);
// The bounds rule: widens bounds to take in p. Infinite values take no part (one "inf" in a
// file must not shrink everything else to a point); NaN fails both comparisons by itself.
// Inline because the readers run it for every point they read.
// The rule for one axis a and one value v of it.
inline void includeInBounds(Bounds& bounds, int a, double v)
{
    if (v < bounds.min[a] && v != -HUGE_VAL) {
        bounds.min[a] = v;
    }
    if (v > bounds.max[a] && v != HUGE_VAL) {
        bounds.max[a] = v;
    }
}

inline void includeInBounds(Bounds& bounds, const Point3d& p)
{
    includeInBounds(bounds, 0, p.x);
    includeInBounds(bounds, 1, p.y);
    includeInBounds(bounds, 2, p.z);
}

// Per-axis reciprocal extents and their smallest.
struct AxisScales {
    float sx = 0.0f, sy = 0.0f, sz = 0.0f;
    float scaleFactor = 0.0f;
};
// An axis without extent takes the smallest scale of the axes that have one (1.0 when none
// has), never a value left by an earlier load.
AxisScales axisScales(const double min[3], const double max[3]);

// What the normalisation found, for its diagnostics.
struct NormaliseReport {
    Bounds raw{};
    AxisScales rawScales;
    AxisScaling scaling = AxisScaling::Individual;
    Bounds normalised{};
};

// Maps the first count points of data into the cube from -5 to 5 (each axis by itself, or
// all by the smallest scale) and sets its scales, centring translation and minima.
NormaliseReport normaliseDataSet(DataSet& data, std::size_t count, const Bounds& raw, AxisScaling scaling);
