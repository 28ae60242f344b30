// The one data set, and the normalisation that maps it into the cube from -5 to 5.
#include "core/data_set.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>

#include "app/viewer_state.h"

DataSet dataSet;

namespace {

// Settings and drawing work in single precision; a value beyond its range becomes an infinity
// rather than an undefined conversion.
float toFloat(double v)
{
    if (v > FLT_MAX) {
        return std::numeric_limits<float>::infinity();
    }
    if (v < -FLT_MAX) {
        return -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(v);
}

// An axis took at least one finite value when its bounds are no longer the reset ones.
bool axisHasValues(const Bounds& b, int axis)
{
    return b.min[axis] <= b.max[axis];
}

void printDiagnosticTriple(const char* format, const double v[3])
{
    std::printf(format, v[0], v[1], v[2]);
}

}  // namespace

void resetBounds(Bounds& bounds)
{
    for (int a = 0; a < 3; ++a) {
        bounds.min[a] = std::numeric_limits<double>::infinity();
        bounds.max[a] = -std::numeric_limits<double>::infinity();
    }
}

void axisScales(const double min[3], const double max[3])
{
    // An axis has an extent when its reciprocal is a usable single-precision scale. An axis
    // without one takes the common scale of this same call, never a value left by an earlier load.
    float scale[3];
    bool hasExtent[3];
    float common = 0.0f;
    bool anyExtent = false;
    for (int a = 0; a < 3; ++a) {
        const double extent = max[a] - min[a];
        const double reciprocal = 1.0 / extent;
        hasExtent[a] = extent > 0.0 && std::isfinite(extent) && reciprocal <= FLT_MAX;
        scale[a] = hasExtent[a] ? static_cast<float>(reciprocal) : 0.0f;
        if (hasExtent[a] && (!anyExtent || scale[a] < common)) {
            common = scale[a];
            anyExtent = true;
        }
    }
    if (!anyExtent) {
        common = 1.0f;
    }
    for (int a = 0; a < 3; ++a) {
        if (!hasExtent[a]) {
            scale[a] = common;
        }
    }
    dataSet.sx = scale[0];
    dataSet.sy = scale[1];
    dataSet.sz = scale[2];
    const float m = dataSet.sy < dataSet.sz ? dataSet.sy : dataSet.sz;
    dataSet.scaleFactor = dataSet.sx < m ? dataSet.sx : m;
}

void printRawBounds(const double min[3], const double max[3])
{
    printDiagnosticTriple("Before min = %lf %lf %lf\n", min);
    printDiagnosticTriple("Before max = %lf %lf %lf\n", max);
}

void normaliseDataSet(std::size_t count, const double min[3], const double max[3])
{
    normaliseDataSet(count, min, max, true);
}

void normaliseDataSet(std::size_t count, const double min[3], const double max[3],
                      bool printNormalisedBounds)
{
    axisScales(min, max);
    if (viewer.debugPrint) {
        printRawBounds(min, max);
        std::printf("Before scaleFactor= %lf sx = %lf sy = %lf  sz = %lf\n", dataSet.scaleFactor,
                    dataSet.sx, dataSet.sy, dataSet.sz);
        std::printf("axis_data = %d\n", viewer.axis_data);
    }

    double scale[3] = {dataSet.sx, dataSet.sy, dataSet.sz};
    if (viewer.axis_data != 0) {
        scale[0] = scale[1] = scale[2] = dataSet.scaleFactor;
    }
    // An axis that took no value (an empty set) has infinite bounds; its offset does not matter.
    double offset[3];
    for (int a = 0; a < 3; ++a) {
        offset[a] = std::isfinite(min[a]) ? min[a] : 0.0;
    }

    Bounds normalised;
    resetBounds(normalised);
    Point3d* points = dataSet.coordArray.data();
    const std::size_t n = count < dataSet.coordArray.size() ? count : dataSet.coordArray.size();
    for (std::size_t k = 0; k < n; ++k) {
        Point3d& p = points[k];
        p.x = (p.x - offset[0]) * scale[0] * 10.0 - 5.0;
        p.y = (p.y - offset[1]) * scale[1] * 10.0 - 5.0;
        p.z = (p.z - offset[2]) * scale[2] * 10.0 - 5.0;
        includeInBounds(normalised, p);
    }

    axisScales(normalised.min, normalised.max);
    float translation[3];
    float minimum[3];
    for (int a = 0; a < 3; ++a) {
        const bool filled = axisHasValues(normalised, a);
        translation[a] = filled ? toFloat(-(normalised.max[a] + normalised.min[a]) / 2.0) : 0.0f;
        minimum[a] = filled ? toFloat(normalised.min[a]) : 0.0f;
    }
    dataSet.tx = translation[0];
    dataSet.ty = translation[1];
    dataSet.tz = translation[2];
    dataSet.xmin = minimum[0];
    dataSet.ymin = minimum[1];
    dataSet.zmin = minimum[2];

    if (viewer.debugPrint) {
        if (printNormalisedBounds) {
            printDiagnosticTriple("After min = %lf %lf %lf\n", normalised.min);
            printDiagnosticTriple("After max = %lf %lf %lf\n", normalised.max);
        }
        std::printf("%s\n", viewer.filename.c_str());
        std::printf("scaleFactor= %lf sx = %lf sy = %lf  sz = %lf\n", dataSet.scaleFactor, dataSet.sx,
                    dataSet.sy, dataSet.sz);
        std::printf("translate:\ttx = %lf ty = %lf tz = %lf\n", dataSet.tx, dataSet.ty, dataSet.tz);
    }
}
