// The normalisation: worked examples, axes without extent, empty sets, values beyond a
// million, and the order of the diagnostic lines.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "app/viewer_state.h"
#include "core/data_set.h"
#include "io/load_report.h"
#include "tests/support/test_support.h"

namespace {

constexpr double kTol = 1e-5;  // the scales are single precision

// Normalises points into the viewer's data set, with the diagnostics the viewer prints
// after a load when they are switched on.
void normalise(const std::vector<Point3d>& points, bool printNormalisedBounds = true)
{
    dataSet.coordArray = points;
    Bounds b;
    resetBounds(b);
    for (const Point3d& p : points) {
        includeInBounds(b, p);
    }
    const NormaliseReport report = normaliseDataSet(dataSet, points.size(), b, viewer.axis_data);
    if (viewer.debugPrint) {
        printNormaliseDiagnostics(report, dataSet, viewer.filename.c_str(), false, printNormalisedBounds);
    }
}

void expectPoint(const Point3d& p, double x, double y, double z)
{
    EXPECT_NEAR(p.x, x, kTol);
    EXPECT_NEAR(p.y, y, kTol);
    EXPECT_NEAR(p.z, z, kTol);
}

void expectTranslation(double tx, double ty, double tz)
{
    EXPECT_NEAR(dataSet.tx, tx, kTol);
    EXPECT_NEAR(dataSet.ty, ty, kTol);
    EXPECT_NEAR(dataSet.tz, tz, kTol);
}

const std::vector<Point3d> kTwoPoints = {{0, 0, 0}, {2, 4, 8}};
const std::vector<Point3d> kFlatZ = {{0, 0, 3}, {1, 2, 3}, {2, 4, 3}};

class Normalisation : public ::testing::Test {
protected:
    void SetUp() override { resetDataInput(); }
};

}  // namespace

TEST_F(Normalisation, TwoPointsIndividualAndUniform)
{
    normalise(kTwoPoints);
    expectPoint(dataSet.coordArray[0], -5, -5, -5);
    expectPoint(dataSet.coordArray[1], 5, 5, 5);
    expectTranslation(0, 0, 0);

    viewer.axis_data = AxisScaling::Uniform;
    normalise(kTwoPoints);
    expectPoint(dataSet.coordArray[0], -5, -5, -5);
    expectPoint(dataSet.coordArray[1], -2.5, 0, 5);
    expectTranslation(3.75, 2.5, 0);
    EXPECT_NEAR(dataSet.ymin, -5, kTol);
}

TEST_F(Normalisation, FlatAxisCollapsesAloneAndNeverBorrowsAnEarlierScale)
{
    normalise(kFlatZ);
    expectPoint(dataSet.coordArray[0], -5, -5, -5);
    expectPoint(dataSet.coordArray[2], 5, 5, -5);
    expectTranslation(0, 0, 5);

    // Uniform: x and y keep their proportions instead of collapsing into one point.
    viewer.axis_data = AxisScaling::Uniform;
    normalise(kFlatZ);
    const std::vector<Point3d> firstLoad = dataSet.coordArray;
    const float firstScale = dataSet.scaleFactor;
    expectPoint(firstLoad[2], 0, 5, -5);
    expectTranslation(2.5, 0, 5);

    // The same set after a set spanning all axes gives the same result.
    normalise({{-100, 0, 0}, {100, 1, 1}});
    normalise(kFlatZ);
    for (std::size_t k = 0; k < firstLoad.size(); ++k) {
        expectPoint(dataSet.coordArray[k], firstLoad[k].x, firstLoad[k].y, firstLoad[k].z);
    }
    EXPECT_EQ(dataSet.scaleFactor, firstScale);
}

TEST_F(Normalisation, EmptyAndInfiniteDataStayFinite)
{
    normalise({});
    for (float v : {dataSet.sx, dataSet.sy, dataSet.sz, dataSet.scaleFactor}) {
        EXPECT_EQ(v, 1.0f);
    }
    for (float v : {dataSet.tx, dataSet.ty, dataSet.tz, dataSet.xmin, dataSet.ymin, dataSet.zmin}) {
        EXPECT_EQ(v, 0.0f);
    }

    // An infinite value takes no part in the bounds: the others still fill the cube.
    normalise({{0, 0, 0}, {1, 1, 1}, {INFINITY, 0.5, NAN}});
    expectPoint(dataSet.coordArray[1], 5, 5, 5);
    EXPECT_TRUE(std::isfinite(dataSet.tx) && std::isfinite(dataSet.tz) && std::isfinite(dataSet.scaleFactor));
}

TEST_F(Normalisation, BoundsComeFromTheDataBeyondAMillion)
{
    normalise({{2e6, -3e9, 1}, {3e6, -2e9, 2}});
    expectPoint(dataSet.coordArray[0], -5, -5, -5);
    expectPoint(dataSet.coordArray[1], 5, 5, 5);
}

TEST_F(Normalisation, DiagnosticsComeInTheirGroupsOnlyWhenSwitchedOn)
{
    EXPECT_EQ(captureStdout([] { normalise(kTwoPoints); }), "");

    viewer.debugPrint = 1;
    viewer.filename = "two.dat";
    const auto lines = splitLines(captureStdout([] { normalise(kTwoPoints); }));
    const std::vector<std::string> expected = {
        "Before min = 0.000000 0.000000 0.000000",
        "Before max = 2.000000 4.000000 8.000000",
        "Before scaleFactor= 0.125000 sx = 0.500000 sy = 0.250000  sz = 0.125000",
        "axis_data = 0",
        "After min = -5.000000 -5.000000 -5.000000",
        "After max = 5.000000 5.000000 5.000000",
        "two.dat",
        "scaleFactor= 0.100000 sx = 0.100000 sy = 0.100000  sz = 0.100000",
        "translate:\ttx = -0.000000 ty = -0.000000 tz = -0.000000"};
    EXPECT_EQ(lines, expected);

    const auto withoutAfter = splitLines(captureStdout([] { normalise(kTwoPoints, false); }));
    ASSERT_EQ(withoutAfter.size(), 7u);
    EXPECT_EQ(withoutAfter[4], "two.dat");
}

TEST_F(Normalisation, AnyFiniteRangeFillsTheCube)
{
    // Extents whose reciprocal is no normal single-precision float: about 1e45 (the scale used
    // to underflow and the axis collapsed), the whole double range, and a tiny one near 1e-40.
    const std::vector<Point3d> wide = {{-1e45, 0, 1e-40}, {1e45, -1.7e308, 3e-40}, {0, 1.7e308, 2e-40}};
    for (const AxisScaling scaling : {AxisScaling::Individual, AxisScaling::Uniform}) {
        viewer.axis_data = scaling;
        normalise(wide);
        for (const Point3d& p : dataSet.coordArray) {
            EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
        }
        if (scaling == AxisScaling::Individual) {
            expectPoint(dataSet.coordArray[0], -5, 0, -5);
            expectPoint(dataSet.coordArray[1], 5, -5, 5);
            expectPoint(dataSet.coordArray[2], 0, 5, 0);
        } else {
            // y spans the most: it fills the cube, and the others keep their proportion to it.
            expectPoint(dataSet.coordArray[1], -5 + 10 * (2e45 / 1.7e308) / 2, -5, -5);
            expectPoint(dataSet.coordArray[2], -5 + 10 * (1e45 / 1.7e308) / 2, 5, -5);
        }
    }
    // A range of about 1e45 beside ordinary ones: each ordinary axis keeps today's exact value.
    viewer.axis_data = AxisScaling::Individual;
    normalise({{0, 0, 0}, {1e45, 2, 8}});
    expectPoint(dataSet.coordArray[1], 5, 5, 5);
    EXPECT_EQ(dataSet.coordArray[1].y, (2.0 - 0.0) * static_cast<double>(0.5f) * 10.0 - 5.0);
}
