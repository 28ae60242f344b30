// Axis ticks in the data's own units: round tick values, their labels, and where a raw
// value lands in the cube from -5 to 5.
#pragma once

#include <string>
#include <vector>

struct AxisTicks {
    std::vector<double> values;       // ascending, every one within the asked range
    std::vector<std::string> labels;  // one for each value
    double step = 0.0;                // the distance between ticks; 0 with fewer than two
};

// Ticks a step of 1, 2, 2.5 or 5 times a power of ten apart, 3 to 7 of them, for the range
// lo to hi (either order). A single value (or a span too narrow to label apart) gives one
// tick; a non-finite end gives none.
AxisTicks niceTicks(double lo, double hi);

// A compact label for a value shown among others step apart: as many digits as tell it from
// its neighbours, exponent form for very large or small magnitudes, never "-0". A step of 0
// labels a lone value with up to 15 significant digits.
std::string formatTickLabel(double value, double step);

// How normalisation placed one axis into the cube: cube = (raw - rawMin) * scale * 10 - 5,
// the coordinates as the points hold them, before the centring translation of the drawing.
// scale is the raw axis's own factor (the reciprocal of its extent, or the common one when
// all axes share a scale), not the one recomputed from the normalised points.
struct AxisMapping {
    double rawMin = 0.0;
    double scale = 1.0;
};

double rawToCube(double raw, const AxisMapping& axis);
// NaN when the scale is zero or not finite: no raw value can be recovered then.
double cubeToRaw(double cube, const AxisMapping& axis);
