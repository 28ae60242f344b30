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

namespace {

// How one raw axis goes into the cube: (v - offset) * scale * 10 - 5. The scale is the axis's
// single-precision one widened to double wherever that represents the reciprocal extent as a
// normal float, as the pictures have always been made. An extent whose reciprocal does not
// (an axis spanning about 1e39 or more, or less than about 1e-38) is mapped in extended
// precision instead, whose range holds the reciprocal and the difference of any two finite
// doubles: otherwise the scale would underflow and the axis collapse to a point.
struct AxisMap {
    bool wide = false;
    double offset = 0.0;
    double scale = 0.0;
    long double wideOffset = 0.0L;
    long double wideScale = 0.0L;
};

static_assert(std::numeric_limits<long double>::max_exponent > std::numeric_limits<double>::max_exponent,
              "wide axes need a floating type with a wider exponent range than double");

bool floatScaleUsable(long double reciprocal)
{
    return reciprocal >= FLT_MIN && reciprocal <= FLT_MAX;
}

// The reciprocal extent of an axis that spans a finite, non-zero range; 0 otherwise.
long double wideReciprocal(const Bounds& raw, int axis)
{
    const long double extent = static_cast<long double>(raw.max[axis]) - static_cast<long double>(raw.min[axis]);
    if (!(extent > 0.0L) || !std::isfinite(raw.min[axis]) || !std::isfinite(raw.max[axis])) {
        return 0.0L;
    }
    return 1.0L / extent;
}

void axisMaps(const Bounds& raw, const AxisScales& s, AxisScaling scaling, AxisMap map[3])
{
    const float floatScale[3] = {s.sx, s.sy, s.sz};
    long double reciprocal[3];
    long double common = 0.0L;
    for (int a = 0; a < 3; ++a) {
        reciprocal[a] = wideReciprocal(raw, a);
        if (reciprocal[a] > 0.0L && (common == 0.0L || reciprocal[a] < common)) {
            common = reciprocal[a];
        }
    }
    for (int a = 0; a < 3; ++a) {
        AxisMap& m = map[a];
        // An axis that took no value (an empty set) has infinite bounds; its offset does not matter.
        m.offset = std::isfinite(raw.min[a]) ? raw.min[a] : 0.0;
        const long double own = scaling == AxisScaling::Individual ? reciprocal[a] : common;
        if (own == 0.0L || floatScaleUsable(own)) {
            m.scale = scaling == AxisScaling::Individual ? floatScale[a] : s.scaleFactor;
            continue;
        }
        m.wide = true;
        m.wideOffset = m.offset;
        m.wideScale = own;
    }
}

double mapWide(double v, const AxisMap& m)
{
    return static_cast<double>((static_cast<long double>(v) - m.wideOffset) * m.wideScale * 10.0L - 5.0L);
}

}  // namespace

NormaliseReport normaliseDataSet(DataSet& data, std::size_t count, const Bounds& raw, AxisScaling scaling)
{
    NormaliseReport report;
    report.raw = raw;
    report.scaling = scaling;
    report.rawScales = axisScales(raw.min, raw.max);
    AxisMap map[3];
    axisMaps(raw, report.rawScales, scaling, map);

    Bounds& normalised = report.normalised;
    resetBounds(normalised);
    Point3d* points = data.coordArray.data();
    const std::size_t n = count < data.coordArray.size() ? count : data.coordArray.size();
    if (!map[0].wide && !map[1].wide && !map[2].wide) {
        for (std::size_t k = 0; k < n; ++k) {
            Point3d& p = points[k];
            p.x = (p.x - map[0].offset) * map[0].scale * 10.0 - 5.0;
            p.y = (p.y - map[1].offset) * map[1].scale * 10.0 - 5.0;
            p.z = (p.z - map[2].offset) * map[2].scale * 10.0 - 5.0;
            includeInBounds(normalised, p);
        }
    } else {
        for (std::size_t k = 0; k < n; ++k) {
            Point3d& p = points[k];
            double* v[3] = {&p.x, &p.y, &p.z};
            for (int a = 0; a < 3; ++a) {
                const AxisMap& m = map[a];
                *v[a] = m.wide ? mapWide(*v[a], m) : (*v[a] - m.offset) * m.scale * 10.0 - 5.0;
            }
            includeInBounds(normalised, p);
        }
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
    // The mapping from the file's units, for what is labelled or coloured in them; an axis
    // mapped in extended precision keeps its scale as near as a double holds it.
    for (int a = 0; a < 3; ++a) {
        const AxisMap& m = map[a];
        const double wideScale = static_cast<double>(m.wideScale);
        data.rawMin[a] = m.offset;
        data.rawMax[a] = std::isfinite(raw.max[a]) ? raw.max[a] : m.offset;
        data.rawScale[a] = !m.wide ? m.scale : std::isfinite(wideScale) ? wideScale : DBL_MAX;
    }
    return report;
}

AxisMapping rawAxis(const DataSet& data, int axis)
{
    return AxisMapping{data.rawMin[axis], data.rawScale[axis]};
}

void drawnBox(const DataSet& data, double low[3], double high[3])
{
    const double centring[3] = {data.tx, data.ty, data.tz};
    for (int a = 0; a < 3; ++a) {
        const AxisMapping mapping = rawAxis(data, a);
        low[a] = rawToCube(data.rawMin[a], mapping) + centring[a];
        high[a] = rawToCube(data.rawMax[a], mapping) + centring[a];
    }
}

void copyPlacement(const DataSet& from, DataSet& to)
{
    to.loadedFormat = from.loadedFormat;
    to.scaleFactor = from.scaleFactor;
    to.sx = from.sx;
    to.sy = from.sy;
    to.sz = from.sz;
    to.tx = from.tx;
    to.ty = from.ty;
    to.tz = from.tz;
    to.xmin = from.xmin;
    to.ymin = from.ymin;
    to.zmin = from.zmin;
    for (int a = 0; a < 3; ++a) {
        to.rawMin[a] = from.rawMin[a];
        to.rawMax[a] = from.rawMax[a];
        to.rawScale[a] = from.rawScale[a];
        to.axisNames[a] = from.axisNames[a];
    }
}
