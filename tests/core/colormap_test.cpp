// Colour maps against their published colours, the value-to-position rule, and the colour
// bar's range as typed by a user.
#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "core/colormap.h"
#include "core/colors.h"
#include "core/settings_table.h"
#include "core/value_colors.h"
#include "core/view_file.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

void expectBytes(ColorMap map, double t, int r, int g, int b, int tolerance = 0)
{
    const auto c = toBytes(colorAt(map, t));
    EXPECT_NEAR(c[0], r, tolerance) << colorMapName(map) << " at " << t;
    EXPECT_NEAR(c[1], g, tolerance) << colorMapName(map) << " at " << t;
    EXPECT_NEAR(c[2], b, tolerance) << colorMapName(map) << " at " << t;
}

double luminance(const Rgb& c)
{
    auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
}

TEST(ColorMaps, ViridisMatchesItsPublishedEndsAndMiddle)
{
    expectBytes(ColorMap::Viridis, 0.0, 0x44, 0x01, 0x54);
    expectBytes(ColorMap::Viridis, 1.0, 0xfd, 0xe7, 0x25);
    expectBytes(ColorMap::Viridis, 0.5, 0x21, 0x91, 0x8c, 1);
    expectBytes(ColorMap::Viridis, 0.25, 0x3b, 0x52, 0x8b, 1);
    expectBytes(ColorMap::Viridis, 0.75, 0x5e, 0xc9, 0x62, 1);
}

// Viridis is built to grow steadily lighter; a mistyped table entry or an interpolation
// that jumps between entries breaks either the order or the smoothness.
TEST(ColorMaps, ViridisGrowsLighterSmoothlyAllTheWay)
{
    Rgb previous = colorAt(ColorMap::Viridis, 0.0);
    for (int i = 1; i <= 1000; ++i) {
        const Rgb c = colorAt(ColorMap::Viridis, i / 1000.0);
        EXPECT_GT(luminance(c), luminance(previous)) << "at " << i / 1000.0;
        EXPECT_LT(std::fabs(c.r - previous.r) + std::fabs(c.g - previous.g) + std::fabs(c.b - previous.b), 0.01)
            << "at " << i / 1000.0;
        previous = c;
    }
}

TEST(ColorMaps, GrayRunsLinearlyFromBlackToWhite)
{
    expectBytes(ColorMap::Gray, 0.0, 0, 0, 0);
    expectBytes(ColorMap::Gray, 1.0, 255, 255, 255);
    for (double t : {0.1, 0.37, 0.5, 0.9}) {
        const Rgb c = colorAt(ColorMap::Gray, t);
        EXPECT_DOUBLE_EQ(c.r, t);
        EXPECT_DOUBLE_EQ(c.g, t);
        EXPECT_DOUBLE_EQ(c.b, t);
    }
}

TEST(ColorMaps, CoolwarmRunsFromBlueThroughGrayWhiteToRed)
{
    expectBytes(ColorMap::Coolwarm, 0.0, 59, 76, 192, 1);
    expectBytes(ColorMap::Coolwarm, 0.5, 221, 221, 221, 1);
    expectBytes(ColorMap::Coolwarm, 1.0, 180, 4, 38, 1);
    // Moreland's published table at the quarters.
    expectBytes(ColorMap::Coolwarm, 0.25, 141, 176, 254, 2);
    expectBytes(ColorMap::Coolwarm, 0.75, 244, 154, 123, 2);
    // The cool half stays blue-ish, the warm half red-ish.
    for (int i = 0; i < 50; ++i) {
        const Rgb cool = colorAt(ColorMap::Coolwarm, i / 100.0);
        const Rgb warm = colorAt(ColorMap::Coolwarm, 1.0 - i / 100.0);
        EXPECT_GT(cool.b, cool.r) << i;
        EXPECT_GT(warm.r, warm.b) << i;
    }
}

TEST(ColorMaps, PositionsOutsideZeroToOneClampAndNaNGivesTheLowEnd)
{
    for (ColorMap map : {ColorMap::Viridis, ColorMap::Gray, ColorMap::Coolwarm}) {
        const auto low = toBytes(colorAt(map, 0.0));
        const auto high = toBytes(colorAt(map, 1.0));
        EXPECT_EQ(toBytes(colorAt(map, -3.0)), low) << colorMapName(map);
        EXPECT_EQ(toBytes(colorAt(map, -kInf)), low) << colorMapName(map);
        EXPECT_EQ(toBytes(colorAt(map, kNaN)), low) << colorMapName(map);
        EXPECT_EQ(toBytes(colorAt(map, 7.0)), high) << colorMapName(map);
        EXPECT_EQ(toBytes(colorAt(map, kInf)), high) << colorMapName(map);
    }
}

TEST(ColorMaps, NamesReadBackInAnyCaseAndOtherWordsAreRefused)
{
    for (ColorMap map : {ColorMap::Viridis, ColorMap::Gray, ColorMap::Coolwarm}) {
        EXPECT_EQ(parseColorMap(colorMapName(map)), map);
    }
    EXPECT_EQ(parseColorMap("Viridis"), ColorMap::Viridis);
    EXPECT_EQ(parseColorMap(" COOLWARM "), ColorMap::Coolwarm);
    EXPECT_FALSE(parseColorMap("").has_value());
    EXPECT_FALSE(parseColorMap("jet").has_value());
    EXPECT_FALSE(parseColorMap("gray2").has_value());
}

TEST(MapValue, PlacesValuesBetweenTheEndsEitherWayRound)
{
    EXPECT_DOUBLE_EQ(mapValue(5.0, 0.0, 10.0), 0.5);
    EXPECT_DOUBLE_EQ(mapValue(-2.0, -2.0, 6.0), 0.0);
    EXPECT_DOUBLE_EQ(mapValue(6.0, -2.0, 6.0), 1.0);
    EXPECT_DOUBLE_EQ(mapValue(12.0, 0.0, 10.0), 1.0);
    EXPECT_DOUBLE_EQ(mapValue(-1.0, 0.0, 10.0), 0.0);
    // A reversed range reverses the bar: its first end still gives 0.
    EXPECT_DOUBLE_EQ(mapValue(10.0, 10.0, 0.0), 0.0);
    EXPECT_DOUBLE_EQ(mapValue(2.5, 10.0, 0.0), 0.75);
}

TEST(MapValue, DegenerateRangesAndValuesGiveDefinedPositions)
{
    EXPECT_DOUBLE_EQ(mapValue(3.0, 3.0, 3.0), 0.5);
    EXPECT_DOUBLE_EQ(mapValue(-8.0, 3.0, 3.0), 0.5);
    EXPECT_DOUBLE_EQ(mapValue(1.0, -kInf, 3.0), 0.5);
    EXPECT_DOUBLE_EQ(mapValue(1.0, 0.0, kNaN), 0.5);
    EXPECT_DOUBLE_EQ(mapValue(kInf, 0.0, 1.0), 1.0);
    EXPECT_DOUBLE_EQ(mapValue(-kInf, 0.0, 1.0), 0.0);
    EXPECT_DOUBLE_EQ(mapValue(kNaN, 0.0, 1.0), 0.0);
    // The span of this range is beyond the largest double.
    EXPECT_DOUBLE_EQ(mapValue(0.0, -1e308, 1e308), 0.5);
    EXPECT_DOUBLE_EQ(mapValue(1e308, -1e308, 1e308), 1.0);
}

TEST(ColorRanges, TheDataRangeIsUsedAsItIsUnlessNothingWasLoaded)
{
    const ColorRange data = dataColorRange(-3.5, 8.0);
    EXPECT_EQ(data.lo, -3.5);
    EXPECT_EQ(data.hi, 8.0);
    EXPECT_FALSE(data.fromUser);
    const ColorRange flat = dataColorRange(2.0, 2.0);
    EXPECT_EQ(flat.lo, 2.0);
    EXPECT_EQ(flat.hi, 2.0);
    const ColorRange empty = dataColorRange(kInf, -kInf);  // bounds that took no value
    EXPECT_EQ(empty.lo, 0.0);
    EXPECT_EQ(empty.hi, 1.0);
    EXPECT_EQ(dataColorRange(kNaN, 1.0).hi, 1.0);
}

TEST(ColorRanges, UserRangesReadTwoNumbersWithSpaces)
{
    std::string error;
    auto range = parseColorRange("-1,2.5", error);
    ASSERT_TRUE(range.has_value()) << error;
    EXPECT_EQ(range->lo, -1.0);
    EXPECT_EQ(range->hi, 2.5);
    EXPECT_TRUE(range->fromUser);

    range = parseColorRange("  1e-3 ,\t+4E2 ", error);
    ASSERT_TRUE(range.has_value()) << error;
    EXPECT_EQ(range->lo, 0.001);
    EXPECT_EQ(range->hi, 400.0);

    range = parseColorRange("10,0", error);  // a reversed bar
    ASSERT_TRUE(range.has_value()) << error;
    EXPECT_EQ(range->lo, 10.0);
    EXPECT_EQ(range->hi, 0.0);
}

TEST(ColorRanges, BadUserRangesAreRefusedWithAReason)
{
    const char* bad[] = {"",      "5",      "1,2,3", "a,2",   "1,",     ",1",     "1,2x",     "1 2,3",
                         "1,1",   "0,-0",   "inf,2", "1,nan", "1e999,2", "+-1,2", "0x10,20", "1;2"};
    for (const char* text : bad) {
        std::string error;
        EXPECT_FALSE(parseColorRange(text, error).has_value()) << '"' << text << '"';
        EXPECT_FALSE(error.empty()) << '"' << text << '"';
    }
    std::string error;
    parseColorRange("4,4", error);
    EXPECT_NE(error.find("differ"), std::string::npos) << error;
    parseColorRange("1,inf", error);
    EXPECT_NE(error.find("finite"), std::string::npos) << error;
    parseColorRange("1,abc", error);
    EXPECT_NE(error.find("abc"), std::string::npos) << error;
}

TEST(GroupColors, GroupsNeverGivenAColourTakeTwentyDistinctPaletteColoursNeverBlack)
{
    Settings s;
    fillDataColors(s.dataColors);
    s.colorBy = ColorBy::Group;
    std::set<std::array<unsigned char, 3>> seen;
    for (int g = 10; g < kDataColorCount; ++g) {
        const DataColor c = groupColor(s, g);
        EXPECT_GT(std::max({c.r, c.g, c.b}), 0.3f) << "group " << g;
        EXPECT_FLOAT_EQ(c.a, s.dataColors[g].a);
        seen.insert(toBytes(Rgb{c.r, c.g, c.b}));
        // The table itself keeps its black for whatever else reads it.
        EXPECT_EQ(s.dataColors[g].r + s.dataColors[g].g + s.dataColors[g].b, 0.0f);
    }
    EXPECT_GE(seen.size(), static_cast<std::size_t>(kCategoricalColors));
    // The named colours stay, and so do the table's colours when not colouring by group or in
    // the two-colour Anaglyph.
    const DataColor red = groupColor(s, 0);
    EXPECT_EQ(red.r, 1.0f);
    EXPECT_EQ(red.g + red.b, 0.0f);
    s.stereoMode = ViewMode::Anaglyph;
    EXPECT_EQ(groupColor(s, 20).r + groupColor(s, 20).g + groupColor(s, 20).b, 0.0f);
    s.stereoMode = ViewMode::SideBySide;
    s.colorBy = ColorBy::Eye;
    EXPECT_EQ(groupColor(s, 20).r + groupColor(s, 20).g + groupColor(s, 20).b, 0.0f);
}

TEST(GroupColors, AColourGivenToAGroupWinsAlsoWhenBlackAndSurvivesAView)
{
    Settings s;
    fillDataColors(s.dataColors);
    s.colorBy = ColorBy::Group;
    std::string error;
    ASSERT_TRUE(applyOptionValue(settingRow(&Settings::dataColors), "15=0,0,0", s, error)) << error;
    ASSERT_TRUE(applyOptionValue(settingRow(&Settings::dataColors), "16=0.25,0.5,1", s, error)) << error;
    EXPECT_EQ(groupColor(s, 15).r + groupColor(s, 15).g + groupColor(s, 15).b, 0.0f);
    EXPECT_FLOAT_EQ(groupColor(s, 16).b, 1.0f);
    EXPECT_GT(groupColor(s, 17).r + groupColor(s, 17).g + groupColor(s, 17).b, 0.5f);

    // A view keeps the black that was given, though it equals the table's; a new panel's
    // table forgets it.
    Settings read;
    fillDataColors(read.dataColors);
    read.colorBy = ColorBy::Group;
    ASSERT_TRUE(applyViewText(viewText(s), read, error)) << error;
    EXPECT_EQ(read.dataColors[15].given, 1);
    EXPECT_EQ(groupColor(read, 15).r + groupColor(read, 15).g + groupColor(read, 15).b, 0.0f);
    EXPECT_EQ(read.dataColors[17].given, 0);
    fillDataColors(s.dataColors);
    EXPECT_GT(groupColor(s, 15).r + groupColor(s, 15).g + groupColor(s, 15).b, 0.5f);
}

}  // namespace
