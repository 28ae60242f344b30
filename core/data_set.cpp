// The normalisation that maps a data set into the cube from -5 to 5.
#include "core/data_set.h"

#include <cfloat>
#include <cmath>
#include <limits>

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

}  // namespace

void resetBounds(Bounds& bounds)
{
    for (int a = 0; a < 3; ++a) {
        bounds.min[a] = std::numeric_limits<double>::infinity();
        bounds.max[a] = -std::numeric_limits<double>::infinity();
    }
}

AxisScales axisScales(const double min[3], const double max[3])
{
    // An axis has an extent when its reciprocal is a usable single-precision scale.
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
    AxisScales s;
    s.sx = scale[0];
    s.sy = scale[1];
    s.sz = scale[2];
    const float m = s.sy < s.sz ? s.sy : s.sz;
    s.scaleFactor = s.sx < m ? s.sx : m;
    return s;
}

NormaliseReport normaliseDataSet(DataSet& data, std::size_t count, const Bounds& raw, AxisScaling scaling)
{
    NormaliseReport report;
    report.raw = raw;
    report.scaling = scaling;
    report.rawScales = axisScales(raw.min, raw.max);
    const AxisScales& s = report.rawScales;

    double scale[3] = {s.sx, s.sy, s.sz};
    if (scaling != AxisScaling::Individual) {
        scale[0] = scale[1] = scale[2] = s.scaleFactor;
    }
    // An axis that took no value (an empty set) has infinite bounds; its offset does not matter.
    double offset[3];
    for (int a = 0; a < 3; ++a) {
        offset[a] = std::isfinite(raw.min[a]) ? raw.min[a] : 0.0;
    }

    Bounds& normalised = report.normalised;
    resetBounds(normalised);
    Point3d* points = data.coordArray.data();
    const std::size_t n = count < data.coordArray.size() ? count : data.coordArray.size();
    for (std::size_t k = 0; k < n; ++k) {
        Point3d& p = points[k];
        p.x = (p.x - offset[0]) * scale[0] * 10.0 - 5.0;
        p.y = (p.y - offset[1]) * scale[1] * 10.0 - 5.0;
        p.z = (p.z - offset[2]) * scale[2] * 10.0 - 5.0;
        includeInBounds(normalised, p);
    }

    const AxisScales after = axisScales(normalised.min, normalised.max);
    data.sx = after.sx;
    data.sy = after.sy;
    data.sz = after.sz;
    data.scaleFactor = after.scaleFactor;
    float translation[3];
    float minimum[3];
    for (int a = 0; a < 3; ++a) {
        const bool filled = axisHasValues(normalised, a);
        translation[a] = filled ? toFloat(-(normalised.max[a] + normalised.min[a]) / 2.0) : 0.0f;
        minimum[a] = filled ? toFloat(normalised.min[a]) : 0.0f;
    }
    data.tx = translation[0];
    data.ty = translation[1];
    data.tz = translation[2];
    data.xmin = minimum[0];
    data.ymin = minimum[1];
    data.zmin = minimum[2];
    for (int a = 0; a < 3; ++a) {
        data.rawMin[a] = offset[a];
        data.rawMax[a] = std::isfinite(raw.max[a]) ? raw.max[a] : offset[a];
        data.rawScale[a] = scale[a];
    }
    return report;
}

AxisMapping rawAxis(const DataSet& data, int axis)
{
    return AxisMapping{data.rawMin[axis], data.rawScale[axis]};
}
