// Colour by value: the colour maps, the value-to-position rule and the colour bar's range.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

enum class ColorMap { Viridis, Gray, Coolwarm };

// Components from 0 to 1.
struct Rgb {
    double r = 0.0, g = 0.0, b = 0.0;
};

// "viridis", "gray" or "coolwarm", in any letter case; nothing for any other word.
std::optional<ColorMap> parseColorMap(std::string_view word);
const char* colorMapName(ColorMap map);

// The colour at position t from 0 (low end) to 1 (high end). t outside is clamped and NaN
// gives the low end, so a stray value never reaches the drawing as an undefined colour.
Rgb colorAt(ColorMap map, double t);

// Colours for groups, told apart by hue and lightness rather than read by value: the 20
// of a categorical palette (the pairs of tab20, a dark and a light of each hue), none of
// them black. Group k takes colour k modulo 20.
constexpr int kCategoricalColors = 20;
Rgb categoricalColor(int k);

// The position of v between lo and hi, from 0 to 1. A range with lo above hi runs the other
// way (lo still gives 0); a range without extent or with a non-finite end gives 0.5 for every
// value; infinities clamp to the ends and NaN gives 0.
double mapValue(double v, double lo, double hi);

// 8-bit components, rounded, for pictures and for comparing with published colours.
std::array<unsigned char, 3> toBytes(const Rgb& c);

// The values at the two ends of a colour bar.
struct ColorRange {
    double lo = 0.0;
    double hi = 1.0;
    bool fromUser = false;  // a fixed range typed by the user, rather than the data's
};

// The range of the data's values. Empty or non-finite bounds (nothing loaded) give 0 to 1,
// so a bar can still be drawn.
ColorRange dataColorRange(double zmin, double zmax);

// A user's fixed range "LO,HI" (spaces allowed around either number). LO above HI is taken
// as a reversed bar. On failure returns nothing and says why in error.
std::optional<ColorRange> parseColorRange(std::string_view text, std::string& error);

// The text of a fixed range as the panel shows it, "LO,HI"; empty for equal ends (the data's
// own range).
std::string colorRangeText(const float range[2]);
