// The one loaded data set and the normalisation that ends every load.
#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

struct Point3d {
    double x = 0.0, y = 0.0, z = 0.0;
};

// The two dimensions of a data set: nx sets of pointsPerSet points each.
struct FnTrf {
    int nx = 0;
    int pointsPerSet = 0;
};

struct DataSet {
    // Point p of set s is element s * pointsPerSet + p of both arrays.
    std::vector<Point3d> coordArray;
    std::vector<int> groupArray;  // only the coloured reader fills it
    FnTrf fnTrf;
    int loadedFormat = 0;  // 0 Data, 1 Maple, 2 Data with Color

    float scaleFactor = 0.0f;
    float sx = 0.0f, sy = 0.0f, sz = 0.0f;
    float tx = 0.0f, ty = 0.0f, tz = 0.0f;
    float xmin = 0.0f, ymin = 0.0f, zmin = 0.0f;

    // Raised by every completed load, so that anything built from the points
    // (cached geometry) knows when it is out of date.
    unsigned long generation = 0;
};

// The one instance; empty until the first load.
extern DataSet dataSet;

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
inline void includeInBounds(Bounds& bounds, const Point3d& p)
{
    const double v[3] = {p.x, p.y, p.z};
    for (int a = 0; a < 3; ++a) {
        if (v[a] < bounds.min[a] && v[a] != -HUGE_VAL) {
            bounds.min[a] = v[a];
        }
        if (v[a] > bounds.max[a] && v[a] != HUGE_VAL) {
            bounds.max[a] = v[a];
        }
    }
}
// Per-axis reciprocal extents into sx, sy, sz and their smallest into scaleFactor. An axis
// without extent takes the smallest scale of the axes that have one (1.0 when none has),
// never a value left by an earlier load.
void axisScales(const double min[3], const double max[3]);
// Maps the first count points into the cube from -5 to 5 and sets the centring translation.
void normaliseDataSet(std::size_t count, const double min[3], const double max[3]);
// As above; printNormalisedBounds says whether the diagnostics include the "After" lines,
// which only the plain reader shows.
void normaliseDataSet(std::size_t count, const double min[3], const double max[3],
                      bool printNormalisedBounds);
// The "Before min/max" diagnostic lines of raw bounds.
void printRawBounds(const double min[3], const double max[3]);
