// The computations of the frame and the scene parts that need no OpenGL: frustums, eye
// displacements, cross products, normals, tube turns, overlay text, set ranges, colours.
#include <gtest/gtest.h>

#include "core/colors.h"
#include "core/view_maths.h"
#include "render/cpu/draw_range.h"

#include <cmath>

#include "render/gl/data_drawing.h"
#include "render/gl/frame.h"
#include "render/gl/scene_parts.h"

namespace {

const double kVd[3] = {0.0, 0.0, -1.0};
const double kVu[3] = {0.0, 1.0, 0.0};

void expectPoint(const Point3d& p, double x, double y, double z, double tolerance = 1e-12)
{
    EXPECT_NEAR(p.x, x, tolerance);
    EXPECT_NEAR(p.y, y, tolerance);
    EXPECT_NEAR(p.z, z, tolerance);
}

TEST(FrameProjection, SquareViewportWithDefaults)
{
    const FrameProjection p = frameProjection(600, 600, 2.0f, 20.0f, kVd, kVu);
    ASSERT_TRUE(p.drawable);
    EXPECT_DOUBLE_EQ(p.ratio, 1.0);
    EXPECT_NEAR(p.radians, 0.39269908125, 1e-12);
    EXPECT_NEAR(p.wd2, 0.0414213562, 1e-10);
    EXPECT_NEAR(p.ndfl, 0.005, 1e-12);
    EXPECT_NEAR(p.top, 0.0414213562, 1e-10);
    EXPECT_NEAR(p.bottom, -0.0414213562, 1e-10);
    EXPECT_NEAR(p.leftEye.left, -0.0364213562, 1e-10);
    EXPECT_NEAR(p.leftEye.right, 0.0464213562, 1e-10);
    EXPECT_NEAR(p.center.left, -0.0414213562, 1e-10);
    EXPECT_NEAR(p.center.right, 0.0414213562, 1e-10);
    EXPECT_NEAR(p.rightEye.left, -0.0464213562, 1e-10);
    EXPECT_NEAR(p.rightEye.right, 0.0364213562, 1e-10);
    expectPoint(p.r, 1.0, 0.0, 0.0);
    expectPoint(p.l, -1.0, 0.0, 0.0);
}

TEST(FrameProjection, WideViewportKeepsHeight)
{
    const FrameProjection p = frameProjection(800, 600, 2.0f, 20.0f, kVd, kVu);
    ASSERT_TRUE(p.drawable);
    EXPECT_NEAR(p.leftEye.left, -0.0502284749, 1e-10);
    EXPECT_NEAR(p.leftEye.right, 0.0602284749, 1e-10);
    EXPECT_NEAR(p.center.left, -0.0552284749, 1e-10);
    EXPECT_NEAR(p.center.right, 0.0552284749, 1e-10);
    EXPECT_NEAR(p.rightEye.left, -0.0602284749, 1e-10);
    EXPECT_NEAR(p.rightEye.right, 0.0502284749, 1e-10);
    EXPECT_NEAR(p.top, 0.0414213562, 1e-10);
}

TEST(FrameProjection, EyeSeparationAndFocalLengthMoveTheEyes)
{
    const FrameProjection zero = frameProjection(800, 600, 0.0f, 20.0f, kVd, kVu);
    EXPECT_DOUBLE_EQ(zero.leftEye.left, zero.center.left);
    EXPECT_DOUBLE_EQ(zero.rightEye.right, zero.center.right);
    expectPoint(zero.r, 0.0, 0.0, 0.0);

    const FrameProjection wide = frameProjection(800, 600, 4.5f, 40.0f, kVd, kVu);
    expectPoint(wide.r, 2.25, 0.0, 0.0);
    expectPoint(wide.l, -2.25, 0.0, 0.0);
    EXPECT_NEAR(wide.ndfl, 0.0025, 1e-12);
    EXPECT_NEAR(wide.leftEye.left - wide.center.left, 0.5 * 4.5 * 0.0025, 1e-12);
    EXPECT_NEAR(wide.center.right - wide.rightEye.right, 0.5 * 4.5 * 0.0025, 1e-12);
}

TEST(FrameProjection, NoAreaOrNoFocalLengthIsNotDrawable)
{
    EXPECT_FALSE(frameProjection(800, 0, 2.0f, 20.0f, kVd, kVu).drawable);
    EXPECT_FALSE(frameProjection(0, 600, 2.0f, 20.0f, kVd, kVu).drawable);
    EXPECT_FALSE(frameProjection(800, 600, 2.0f, 0.0f, kVd, kVu).drawable);
    EXPECT_FALSE(frameProjection(800, 600, 2.0f, NAN, kVd, kVu).drawable);
    EXPECT_TRUE(frameProjection(1, 1, 0.0f, 0.001f, kVd, kVu).drawable);
}

TEST(FrameProjection, TheFitShrinksTheCubeOnlyWhereTheViewIsTooNarrowAndMoreForTwoEyes)
{
    const double low[3] = {-5.0, -5.0, -5.0}, high[3] = {5.0, 5.0, 5.0};
    EXPECT_EQ(scaleToFitView(low, high, 800.0 / 600.0, 20.0f, 0.0f), 1.0);
    EXPECT_EQ(scaleToFitView(low, high, 1.0, 20.0f, 0.0f), 1.0);
    const double tall = scaleToFitView(low, high, 400.0 / 700.0, 20.0f, 0.0f);
    EXPECT_LT(tall, 0.8);
    EXPECT_GT(tall, 0.5);
    // The near corners of the shrunk cube stand just inside the view's sides (90% of its half
    // width at the plane of zero parallax).
    const double t = std::tan(kDegreesToRadians * kFieldOfView / 2.0);
    const double atFocalPlane = 5.0 * tall * 20.0 / (20.0 - 5.0 * tall);
    EXPECT_NEAR(atFocalPlane / (400.0 / 700.0 * t * 20.0), 0.9, 0.01);
    // Two eyes beside the centre see round the sides: a little smaller still.
    EXPECT_LT(scaleToFitView(low, high, 400.0 / 700.0, 20.0f, 2.0f), tall);
    // A box off the centre is fitted as it stands.
    const double shiftedLow[3] = {0.0, -5.0, -5.0}, shiftedHigh[3] = {10.0, 5.0, 5.0};
    EXPECT_LT(scaleToFitView(shiftedLow, shiftedHigh, 1.0, 20.0f, 0.0f), 1.0);
    // What cannot be measured keeps a reset's framing.
    EXPECT_EQ(scaleToFitView(low, high, 0.0, 20.0f, 0.0f), 1.0);
    const double nan[3] = {NAN, 0.0, 0.0};
    EXPECT_EQ(scaleToFitView(nan, high, 0.5, 20.0f, 0.0f), 1.0);
}

TEST(SceneGeometry, UnitCrossIsNormalisedAndRightHanded)
{
    expectPoint(unitCross(Point3d{0, 0, -1}, Point3d{0, 1, 0}), 1.0, 0.0, 0.0);
    expectPoint(unitCross(Point3d{3, 0, 0}, Point3d{0, 2, 0}), 0.0, 0.0, 1.0);
    expectPoint(unitCross(Point3d{0, 1, 0}, Point3d{1, 0, 0}), 0.0, 0.0, -1.0);
    const Point3d c = unitCross(Point3d{1, 2, 3}, Point3d{-2, 0.5, 4});
    EXPECT_NEAR(std::sqrt(c.x * c.x + c.y * c.y + c.z * c.z), 1.0, 1e-12);
    EXPECT_NEAR(c.x * 1 + c.y * 2 + c.z * 3, 0.0, 1e-12);
}

TEST(SceneGeometry, NormaliseAndTriangleNormal)
{
    Point3d v{3, 0, 4};
    expectPoint(normalise(v), 0.6, 0.0, 0.8);
    expectPoint(v, 0.6, 0.0, 0.8);
    Point3d zero{0, 0, 0};
    expectPoint(normalise(zero), 0.0, 0.0, 0.0);

    // A flat grid in y = 0, x growing with the set and z with the point.
    expectPoint(triangleNormal(Point3d{0, 0, 0}, Point3d{1, 0, 0}, Point3d{1, 0, 1}), 0.0, -1.0, 0.0);
    expectPoint(triangleNormal(Point3d{2, 0, 3}, Point3d{4, 0, 3}, Point3d{4, 0, 5}), 0.0, -1.0, 0.0);
    // Collinear and coincident points have no normal.
    expectPoint(triangleNormal(Point3d{0, 0, 0}, Point3d{1, 1, 1}, Point3d{2, 2, 2}), 0.0, 0.0, 0.0);
    expectPoint(triangleNormal(Point3d{1, 1, 1}, Point3d{1, 1, 1}, Point3d{1, 1, 1}), 0.0, 0.0, 0.0);
}

TEST(TubeTurn, VerticalTubesTurnAboutX)
{
    const TubeTurn up = tubeTurn(Point3d{0, 0, 0}, Point3d{0, 2, 0});
    EXPECT_EQ(up.kind, TubeTurn::AboutX);
    EXPECT_DOUBLE_EQ(up.angle, -90.0);
    EXPECT_DOUBLE_EQ(up.length, 2.0);
    const TubeTurn down = tubeTurn(Point3d{0, 2, 0}, Point3d{0, 0, 0});
    EXPECT_EQ(down.kind, TubeTurn::AboutX);
    EXPECT_DOUBLE_EQ(down.angle, 90.0);
}

TEST(TubeTurn, OtherTubesGetAFrameWithTheDirectionAsZ)
{
    const TubeTurn along = tubeTurn(Point3d{0, 0, 0}, Point3d{1, 0, 0});
    ASSERT_EQ(along.kind, TubeTurn::Frame);
    const double expected[16] = {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1};
    for (int k = 0; k < 16; ++k) {
        EXPECT_NEAR(along.matrix[k], expected[k], 1e-12) << "element " << k;
    }

    // Any direction: the third column is the unit direction, the columns are orthonormal.
    const Point3d a{1, 2, 3};
    const Point3d b{-1, 5, 4};
    const TubeTurn t = tubeTurn(a, b);
    ASSERT_EQ(t.kind, TubeTurn::Frame);
    EXPECT_NEAR(t.length, std::sqrt(4.0 + 9.0 + 1.0), 1e-12);
    EXPECT_NEAR(t.matrix[8], -2.0 / t.length, 1e-12);
    EXPECT_NEAR(t.matrix[9], 3.0 / t.length, 1e-12);
    EXPECT_NEAR(t.matrix[10], 1.0 / t.length, 1e-12);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            double dot = 0.0;
            for (int k = 0; k < 3; ++k) {
                dot += t.matrix[4 * i + k] * t.matrix[4 * j + k];
            }
            EXPECT_NEAR(dot, i == j ? 1.0 : 0.0, 1e-12) << "columns " << i << ", " << j;
        }
    }
}

TEST(TubeTurn, ZeroLengthTubeIsNotTurned)
{
    const TubeTurn none = tubeTurn(Point3d{1, 2, 3}, Point3d{1, 2, 3});
    EXPECT_EQ(none.kind, TubeTurn::None);
    EXPECT_DOUBLE_EQ(none.length, 0.0);
}

TEST(FileNameText, CutAtTheLastSeparator)
{
    EXPECT_EQ(fileNameText("wave.dat"), "wave.dat");
    EXPECT_EQ(fileNameText("data/sets/wave.dat"), "wave.dat");
    EXPECT_EQ(fileNameText("C:\\data\\wave.dat"), "wave.dat");
    // A forward slash wins even when backslashes follow it.
    EXPECT_EQ(fileNameText("dir/sub\\wave.dat"), "sub\\wave.dat");
    EXPECT_EQ(fileNameText("dir/"), "");
    EXPECT_EQ(fileNameText(""), "");
}

TEST(DataDrawingRanges, SetsDrawnByFormatAndDisplayType)
{
    const int nx = 5;
    for (int type = 0; type <= 2; ++type) {
        EXPECT_EQ(lastSetDrawn(0, static_cast<DisplayType>(type), nx), 4) << "plain, type " << type;
        EXPECT_EQ(lastSetDrawn(1, static_cast<DisplayType>(type), nx), 3) << "maple, type " << type;
    }
    EXPECT_EQ(lastSetDrawn(2, static_cast<DisplayType>(0), nx), 4);
    EXPECT_EQ(lastSetDrawn(2, static_cast<DisplayType>(1), nx), 4);
    EXPECT_EQ(lastSetDrawn(2, static_cast<DisplayType>(2), nx), 3);
    for (int format = 0; format <= 2; ++format) {
        EXPECT_EQ(lastSetDrawn(format, static_cast<DisplayType>(3), nx), 3);
        EXPECT_EQ(lastSetDrawn(format, static_cast<DisplayType>(4), nx), 3);
    }
    EXPECT_LT(lastSetDrawn(1, static_cast<DisplayType>(0), 1), 0);  // a one-row Maple grid shows nothing
    EXPECT_LT(lastSetDrawn(0, static_cast<DisplayType>(5), nx), 0);
    EXPECT_LT(lastSetDrawn(3, static_cast<DisplayType>(0), nx), 0);
    EXPECT_LT(lastSetDrawn(0, static_cast<DisplayType>(-1), nx), 0);
}

TEST(DataDrawingRanges, DataValuesStayInsideTheColourTable)
{
    EXPECT_EQ(dataColorIndex(0), 0);
    EXPECT_EQ(dataColorIndex(49), 49);
    EXPECT_EQ(dataColorIndex(-1), 0);
    EXPECT_EQ(dataColorIndex(-2147483647 - 1), 0);
    EXPECT_EQ(dataColorIndex(50), 0);
    EXPECT_EQ(dataColorIndex(57), 7);
    EXPECT_EQ(dataColorIndex(2147483647), 2147483647 % 50);
}

}  // namespace
