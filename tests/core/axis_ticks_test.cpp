// Axis ticks: round steps on known ranges, labels that read back and tell neighbours apart,
// ranges at the edges of double precision, and the raw-to-cube mapping of normalisation.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/axis_ticks.h"
#include "core/data_set.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The step as mantissa times a power of ten, with the mantissa one of 1, 2, 2.5 and 5.
bool isNiceStep(double step)
{
    const double power = std::pow(10.0, std::floor(std::log10(step)));
    const double mantissa = step / power;
    for (double nice : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (std::fabs(mantissa - nice) < 1e-9 * nice) {
            return true;
        }
    }
    return false;
}

// Everything a tick list for lo..hi must be; the caller names the range in failures.
void expectNiceTicks(const AxisTicks& ticks, double lo, double hi)
{
    SCOPED_TRACE(testing::Message() << "range " << lo << " .. " << hi);
    ASSERT_GE(ticks.values.size(), 3u);
    ASSERT_LE(ticks.values.size(), 7u);
    ASSERT_EQ(ticks.labels.size(), ticks.values.size());
    EXPECT_TRUE(isNiceStep(ticks.step)) << ticks.step;
    std::set<std::string> distinct;
    for (std::size_t i = 0; i < ticks.values.size(); ++i) {
        const double v = ticks.values[i];
        EXPECT_GE(v, std::min(lo, hi));
        EXPECT_LE(v, std::max(lo, hi));
        // Far from zero, v and the step each carry their last bit of rounding.
        const double multiple = v / ticks.step;
        EXPECT_NEAR(multiple, std::round(multiple), 1e-6 + std::fabs(multiple) * 1e-15) << v;
        if (i > 0) {
            EXPECT_NEAR(v - ticks.values[i - 1], ticks.step, ticks.step * 1e-6 + std::fabs(v) * 1e-15);
        }
        // The label reads back as its value, to well within a step.
        const double read = std::strtod(ticks.labels[i].c_str(), nullptr);
        EXPECT_NEAR(read, v, ticks.step * 1e-6) << ticks.labels[i];
        EXPECT_NE(ticks.labels[i], "-0");
        distinct.insert(ticks.labels[i]);
    }
    EXPECT_EQ(distinct.size(), ticks.labels.size()) << "two ticks share a label";
}

TEST(NiceTicks, ZeroToOneStepsInFifths)
{
    const AxisTicks ticks = niceTicks(0.0, 1.0);
    expectNiceTicks(ticks, 0.0, 1.0);
    EXPECT_EQ(ticks.values, (std::vector<double>{0.0, 0.2, 0.4, 0.6, 0.8, 1.0}));
    EXPECT_EQ(ticks.labels, (std::vector<std::string>{"0", "0.2", "0.4", "0.6", "0.8", "1"}));
}

// Adding up steps of 0.1 gives 0.30000000000000004; ticks must be the doubles the labels name.
TEST(NiceTicks, TenthsAreTheDoublesTheirLabelsName)
{
    const AxisTicks ticks = niceTicks(0.0, 0.3);
    expectNiceTicks(ticks, 0.0, 0.3);
    EXPECT_EQ(ticks.values, (std::vector<double>{0.0, 0.1, 0.2, 0.3}));
    EXPECT_EQ(ticks.labels[3], "0.3");
    // Far beyond the exactly held powers of ten, too.
    const AxisTicks tiny = niceTicks(0.0, 3e-30);
    EXPECT_EQ(tiny.values, (std::vector<double>{0.0, 1e-30, 2e-30, 3e-30}));
    // A range end that is itself a tick is kept even where dividing by the step misses it.
    const AxisTicks upToSeven = niceTicks(0.3, 0.7);
    EXPECT_EQ(upToSeven.values.back(), 0.7);
    EXPECT_EQ(upToSeven.values.front(), 0.3);
}

TEST(NiceTicks, KnownRangesGetRoundSteps)
{
    const double ranges[][2] = {{-3.7, 12.2}, {0.0, 10.0}, {1.0, 3.0}, {-12.5, -0.3}, {-1.0, 1.0},
                                {0.0, 7.0},   {99.0, 101.0}, {1e6, 1e6 + 3.0}, {-0.004, 0.0015}, {17.0, 95.0}};
    for (const auto& r : ranges) {
        expectNiceTicks(niceTicks(r[0], r[1]), r[0], r[1]);
    }
    const AxisTicks mixed = niceTicks(-3.7, 12.2);
    EXPECT_EQ(mixed.labels.front().front(), '-');
    EXPECT_NE(std::find(mixed.values.begin(), mixed.values.end(), 0.0), mixed.values.end());

    const AxisTicks negative = niceTicks(-12.5, -0.3);
    for (double v : negative.values) {
        EXPECT_LT(v, 0.0);
    }
    // Either order of the ends gives the same ticks.
    EXPECT_EQ(niceTicks(12.2, -3.7).values, mixed.values);
}

TEST(NiceTicks, TinyAndHugeScalesUseExponentLabels)
{
    const AxisTicks tiny = niceTicks(1.3e-9, 8.7e-9);
    expectNiceTicks(tiny, 1.3e-9, 8.7e-9);
    EXPECT_EQ(tiny.labels.front(), "2e-9");
    const AxisTicks huge = niceTicks(2e9, 9.5e9);
    expectNiceTicks(huge, 2e9, 9.5e9);
    EXPECT_EQ(huge.labels.front(), "2e9");
    // An axis chooses one form for all its labels.
    const AxisTicks millions = niceTicks(0.0, 2e6);
    EXPECT_EQ(millions.labels, (std::vector<std::string>{"0", "5e5", "1e6", "1.5e6", "2e6"}));
    // Moderate magnitudes stay in fixed form.
    const AxisTicks thousands = niceTicks(0.0, 200000.0);
    EXPECT_EQ(thousands.labels.back(), "200000");
    const AxisTicks small = niceTicks(0.0, 0.001);
    EXPECT_EQ(small.labels[1], "0.0002");
}

TEST(NiceTicks, ASingleValueIsOneTick)
{
    AxisTicks ticks = niceTicks(3.7, 3.7);
    ASSERT_EQ(ticks.values.size(), 1u);
    EXPECT_EQ(ticks.values[0], 3.7);
    EXPECT_EQ(ticks.labels[0], "3.7");
    EXPECT_EQ(ticks.step, 0.0);
    ticks = niceTicks(-0.0, -0.0);
    ASSERT_EQ(ticks.labels.size(), 1u);
    EXPECT_EQ(ticks.labels[0], "0");
    // Too narrow to label apart: one tick inside the range.
    ticks = niceTicks(1e6, 1e6 + 1e-7);
    ASSERT_EQ(ticks.values.size(), 1u);
    EXPECT_GE(ticks.values[0], 1e6);
    EXPECT_LE(ticks.values[0], 1e6 + 1e-7);
}

TEST(NiceTicks, EdgesOfDoublePrecisionNeitherCrashNorLoop)
{
    EXPECT_TRUE(niceTicks(kNaN, 1.0).values.empty());
    EXPECT_TRUE(niceTicks(0.0, kInf).values.empty());
    EXPECT_TRUE(niceTicks(-kInf, kInf).values.empty());

    expectNiceTicks(niceTicks(0.0, 1e-300), 0.0, 1e-300);
    expectNiceTicks(niceTicks(-1e300, 1e300), -1e300, 1e300);
    expectNiceTicks(niceTicks(1e300, 3e300), 1e300, 3e300);
    // Spans beyond the largest double.
    const double big = std::numeric_limits<double>::max();
    expectNiceTicks(niceTicks(-big, big), -big, big);
    expectNiceTicks(niceTicks(-1.7e308, 1.7e308), -1.7e308, 1.7e308);
    // Spans of a few subnormals: whatever comes out lies inside the range.
    const double least = std::numeric_limits<double>::denorm_min();
    for (const auto& r : {std::pair{0.0, least}, std::pair{0.0, 7 * least}, std::pair{least, 2 * least},
                          std::pair{0.0, 1e-310}}) {
        const AxisTicks ticks = niceTicks(r.first, r.second);
        EXPECT_FALSE(ticks.values.empty());
        EXPECT_EQ(ticks.labels.size(), ticks.values.size());
        for (double v : ticks.values) {
            EXPECT_GE(v, r.first);
            EXPECT_LE(v, r.second);
        }
    }
}

TEST(NiceTicks, RandomRangesAtEveryScaleAlwaysGetNiceTicks)
{
    std::mt19937_64 random(20240611);
    std::uniform_real_distribution<double> exponent(-200.0, 200.0);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_real_distribution<double> relativeSpan(-9.0, 1.0);
    for (int i = 0; i < 3000; ++i) {
        const double scale = std::pow(10.0, exponent(random));
        const double lo = unit(random) * scale;
        const double hi = lo + std::pow(10.0, relativeSpan(random)) * scale;
        if (hi == lo) {
            continue;
        }
        expectNiceTicks(niceTicks(lo, hi), lo, hi);
        if (HasFailure()) {
            break;  // one broken range says enough
        }
    }
}

TEST(TickLabels, LoneValuesAndStepsGiveCompactText)
{
    EXPECT_EQ(formatTickLabel(-0.0, 1.0), "0");
    EXPECT_EQ(formatTickLabel(-1e-20, 0.5), "0");
    EXPECT_EQ(formatTickLabel(0.1 + 0.2, 0.0), "0.3");
    EXPECT_EQ(formatTickLabel(0.1 + 0.2, 0.1), "0.3");
    EXPECT_EQ(formatTickLabel(1234.5, 0.5), "1234.5");
    EXPECT_EQ(formatTickLabel(0.75, 0.25), "0.75");
    EXPECT_EQ(formatTickLabel(123456.0, 1.0), "123456");
    EXPECT_EQ(formatTickLabel(1.5e6, 5e5), "1.5e6");
    EXPECT_EQ(formatTickLabel(2.5e-7, 0.0), "2.5e-7");
    EXPECT_EQ(formatTickLabel(-4.2e-12, 1e-13), "-4.2e-12");
    EXPECT_EQ(formatTickLabel(6.02214076e23, 0.0), "6.02214076e23");
    EXPECT_EQ(formatTickLabel(kInf, 1.0), "inf");
}

TEST(CubeMapping, RawEndsLandOnTheCubeFacesAndComeBack)
{
    const AxisMapping axis{-3.0, 1.0 / 8.0};
    EXPECT_DOUBLE_EQ(rawToCube(-3.0, axis), -5.0);
    EXPECT_DOUBLE_EQ(rawToCube(5.0, axis), 5.0);
    EXPECT_DOUBLE_EQ(rawToCube(1.0, axis), 0.0);
    for (double raw : {-3.0, -1.25, 0.0, 4.5, 12.0}) {
        EXPECT_NEAR(cubeToRaw(rawToCube(raw, axis), axis), raw, 1e-12);
    }
    EXPECT_TRUE(std::isnan(cubeToRaw(0.0, AxisMapping{1.0, 0.0})));
    EXPECT_TRUE(std::isnan(cubeToRaw(0.0, AxisMapping{1.0, kInf})));
}

// The mapping must agree with what loading does to the points; normalisation keeps its
// scales in single precision, hence the float.
TEST(CubeMapping, AgreesWithTheNormalisationOfALoad)
{
    const std::vector<Point3d> raw = {{-2.0, 100.0, 0.5}, {6.0, 350.0, 0.75}, {1.5, 220.0, 0.6}};
    const double min[3] = {-2.0, 100.0, 0.5};
    const double max[3] = {6.0, 350.0, 0.75};
    DataSet dataSet;
    dataSet.coordArray = raw;
    const Bounds bounds{{min[0], min[1], min[2]}, {max[0], max[1], max[2]}};
    normaliseDataSet(dataSet, raw.size(), bounds, AxisScaling::Individual);
    for (std::size_t k = 0; k < raw.size(); ++k) {
        const double rawAxes[3] = {raw[k].x, raw[k].y, raw[k].z};
        const double cubeAxes[3] = {dataSet.coordArray[k].x, dataSet.coordArray[k].y, dataSet.coordArray[k].z};
        for (int a = 0; a < 3; ++a) {
            const AxisMapping axis{min[a], static_cast<float>(1.0 / (max[a] - min[a]))};
            EXPECT_NEAR(rawToCube(rawAxes[a], axis), cubeAxes[a], 1e-9) << "point " << k << " axis " << a;
            EXPECT_NEAR(cubeToRaw(cubeAxes[a], axis), rawAxes[a], 1e-5 * (max[a] - min[a]));
        }
    }
}

}  // namespace
