// The data's box in its own units: ticks on a data set with known bounds, placed where the
// normalisation put the points.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/data_set.h"
#include "render/cpu/data_axes.h"

#include "tests/support/loaded_points.h"

TEST(DataAxes, TicksOfKnownBoundsAreRoundValuesAtTheirDrawnPlaces)
{
    const DataSet data = loadedPoints({{0, -1, 100}, {10, 1, 200}, {4, 0.5, 130}}, AxisScaling::Individual);
    const std::array<DataAxis, 3> axes = dataAxes(data);
    EXPECT_EQ(axes[0].ticks.values, (std::vector<double>{0, 2, 4, 6, 8, 10}));
    EXPECT_EQ(axes[0].ticks.labels, (std::vector<std::string>{"0", "2", "4", "6", "8", "10"}));
    EXPECT_EQ(axes[1].ticks.labels, (std::vector<std::string>{"-1", "-0.5", "0", "0.5", "1"}));
    EXPECT_EQ(axes[2].ticks.labels, (std::vector<std::string>{"100", "120", "140", "160", "180", "200"}));
    for (const DataAxis& axis : axes) {
        EXPECT_NEAR(axis.low, -5.0, 1e-9);
        EXPECT_NEAR(axis.high, 5.0, 1e-6);
        ASSERT_EQ(axis.drawn.size(), axis.ticks.values.size());
    }
    EXPECT_NEAR(axes[0].drawn[1], -3.0, 1e-6) << "2 of 0 to 10 lies a fifth into the cube";
    EXPECT_NEAR(axes[2].drawn[3], 1.0, 1e-6) << "160 of 100 to 200";
    // The third point's drawn z is where its raw 130 has a tick's place.
    EXPECT_NEAR(data.coordArray[2].z, -5.0 + 10.0 * 0.3, 1e-6);
}

TEST(DataAxes, UniformScalingKeepsTheShorterAxesShort)
{
    const DataSet data = loadedPoints({{0, 0, 0}, {10, 2, 5}}, AxisScaling::Uniform);
    const std::array<DataAxis, 3> axes = dataAxes(data);
    EXPECT_NEAR(axes[0].high - axes[0].low, 10.0, 1e-6);
    EXPECT_NEAR(axes[1].high - axes[1].low, 2.0, 1e-6);
    EXPECT_NEAR(axes[2].high - axes[2].low, 5.0, 1e-6);
    EXPECT_EQ(axes[1].ticks.labels.front(), "0");
    EXPECT_EQ(axes[1].ticks.labels.back(), "2");
}

TEST(DataAxes, AFlatAxisHasOneTickAtItsValue)
{
    const DataSet data = loadedPoints({{0, 3, 0}, {1, 3, 1}}, AxisScaling::Individual);
    const std::array<DataAxis, 3> axes = dataAxes(data);
    ASSERT_EQ(axes[1].ticks.values.size(), 1u);
    EXPECT_EQ(axes[1].ticks.labels[0], "3");
    EXPECT_TRUE(std::isfinite(axes[1].drawn[0]));
    EXPECT_EQ(axes[1].low, axes[1].high);
}

TEST(DataAxes, TicksStandOnTheOutlineOfTheBoxAndPointAwayFromIt)
{
    const DataSet data = loadedPoints({{0, 0, 0}, {1, 1, 1}}, AxisScaling::Individual);
    const std::array<DataAxis, 3> axes = dataAxes(data);
    // Looking straight along -z without perspective: x's edges show at picture heights
    // -5 and 5, and the lower one carries the ticks, which point down.
    const float straight[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::array<TickEdge, 3> edges = tickEdges(axes, straight);
    EXPECT_EQ(edges[0].axis, 0);
    EXPECT_EQ(edges[0].at[1], 0);
    EXPECT_EQ(edges[0].out[1], -1.0);
    EXPECT_EQ(edges[1].axis, 1);
    EXPECT_EQ(edges[1].out[0], edges[1].at[0] ? 1.0 : -1.0) << "the marks point away from the box";
    // z runs towards the eye: its edges are points at the box's corners, which carry no ticks
    // (their labels would pile up on one spot); x and y carry theirs.
    EXPECT_FALSE(edges[2].shown);
    EXPECT_TRUE(edges[0].shown && edges[1].shown);

    // Turned half about x and y: the edge of each axis is one whose middle lies farthest out.
    const float c = std::cos(0.5f), s = std::sin(0.5f);
    const float turned[16] = {c, s * s, -s * c, 0, 0, c, s, 0, s, -s * c, c * c, 0, 0, 0, 0, 1};
    edges = tickEdges(axes, turned);
    EXPECT_TRUE(edges[0].shown && edges[1].shown && edges[2].shown) << "turned, every axis shows its length";
    for (int a = 0; a < 3; ++a) {
        const int b = (a + 1) % 3, d = (a + 2) % 3;
        const auto distance = [&](int atB, int atD) {
            double p[3] = {0, 0, 0};
            p[b] = atB ? axes[b].high : axes[b].low;
            p[d] = atD ? axes[d].high : axes[d].low;
            const double x = turned[0] * p[0] + turned[4] * p[1] + turned[8] * p[2];
            const double y = turned[1] * p[0] + turned[5] * p[1] + turned[9] * p[2];
            return std::hypot(x, y);
        };
        const double chosen = distance(edges[a].at[b], edges[a].at[d]);
        for (int k = 0; k < 4; ++k) {
            EXPECT_GE(chosen + 0.3, distance(k & 1, k >> 1)) << "axis " << a << " edge " << k;
        }
    }
}
