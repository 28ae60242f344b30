// View navigation without a window: the rotation matrix, key and arrow steps, the reset,
// the drag arithmetic of each button and the drag-mode rules.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

#include "app/navigation.h"
#include "app/viewer_state.h"

namespace {

constexpr float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

class Navigation : public ::testing::Test {
protected:
    void SetUp() override { viewer = ViewerState{}; }
};

void expectMatrixNear(const float* actual, const float* expected, float tolerance)
{
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "element " << i;
    }
}

// Column-order product a * b, computed independently of the code under test.
void multiply(const double a[16], const double b[16], double out[16])
{
    for (int col = 0; col < 4; ++col) {
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) {
                sum += a[k * 4 + row] * b[col * 4 + k];
            }
            out[col * 4 + row] = sum;
        }
    }
}

// Elementary turns in column order: element (row, col) sits at col * 4 + row.
void rotationAbout(int axis, double degrees, double out[16])
{
    const double t = degrees * std::acos(-1.0) / 180.0;
    const double c = std::cos(t), s = std::sin(t);
    for (int i = 0; i < 16; ++i) {
        out[i] = (i % 5 == 0) ? 1.0 : 0.0;
    }
    const int p = (axis + 1) % 3, q = (axis + 2) % 3;  // the plane turned: p towards q
    out[p * 4 + p] = c;
    out[q * 4 + q] = c;
    out[p * 4 + q] = s;   // column p, row q
    out[q * 4 + p] = -s;  // column q, row p
}

bool allFinite(const ViewerState& v)
{
    for (float m : v.angleMat) {
        if (!std::isfinite(m)) return false;
    }
    return std::isfinite(v.angleX) && std::isfinite(v.angleY) && std::isfinite(v.objTrans[0]) &&
           std::isfinite(v.objTrans[1]) && std::isfinite(v.objTrans[2]);
}

TEST(BuildRotation, ThreeDegreesAboutXTurnsOnlyTheYZPlane)
{
    float m[16];
    buildRotation(3.0, 0.0, 0.0, m);
    // cos 3° = 0.9986295348, sin 3° = 0.0523359562
    const float expected[16] = {1, 0, 0, 0, 0, 0.9986295f, 0.0523360f, 0,
                                0, -0.0523360f, 0.9986295f, 0, 0, 0, 0, 1};
    expectMatrixNear(m, expected, 1e-6f);
}

TEST(BuildRotation, TurnAboutAllAxesIsRzRyRx)
{
    const double angles[][3] = {{30.0, 45.0, 60.0}, {-120.0, 10.0, 275.0}, {725.0, -33.0, 0.5}};
    for (const auto& a : angles) {
        double rx[16], ry[16], rz[16], zy[16], zyx[16];
        rotationAbout(0, a[0], rx);
        rotationAbout(1, a[1], ry);
        rotationAbout(2, a[2], rz);
        multiply(rz, ry, zy);
        multiply(zy, rx, zyx);
        float expected[16];
        for (int i = 0; i < 16; ++i) expected[i] = static_cast<float>(zyx[i]);

        float m[16];
        buildRotation(a[0], a[1], a[2], m);
        SCOPED_TRACE(testing::Message() << a[0] << " " << a[1] << " " << a[2]);
        expectMatrixNear(m, expected, 1e-5f);
    }
}

TEST_F(Navigation, AngleKeysStepByOneDegreeAndRebuildTheMatrix)
{
    for (int i = 0; i < 3; ++i) applyKey('X');
    EXPECT_EQ(viewer.angleX, 3.0f);
    float expected[16];
    buildRotation(3.0, 0.0, 0.0, expected);
    expectMatrixNear(viewer.angleMat, expected, 0.0f);

    for (int i = 0; i < 3; ++i) applyKey('x');
    EXPECT_EQ(viewer.angleX, 0.0f);
    expectMatrixNear(viewer.angleMat, kIdentity, 1e-6f);

    applyKey('Y');
    applyKey('Z');
    applyKey('Z');
    applyKey('z');
    applyKey('y');
    applyKey('y');
    EXPECT_EQ(viewer.angleY, -1.0f);
    EXPECT_EQ(viewer.angleZ, 1.0f);
    EXPECT_EQ(viewer.angleX, 0.0f);
}

TEST_F(Navigation, AnyKeyRebuildsTheMatrixFromTheAngles)
{
    viewer.angleX = 10.0f;
    viewer.angleZ = -20.0f;  // matrix still the identity: out of step on purpose
    EXPECT_EQ(applyKey('a'), ScreenRequest::None);
    float expected[16];
    buildRotation(10.0, 0.0, -20.0, expected);
    expectMatrixNear(viewer.angleMat, expected, 0.0f);
}

TEST_F(Navigation, ScaleKeysStepInDoubleAndStoreFloat)
{
    applyKey('S');
    EXPECT_EQ(viewer.scale, 1.1f);
    applyKey('s');
    EXPECT_EQ(viewer.scale, static_cast<float>(1.1f - 0.1));

    viewer.scale = 1.0f;
    for (int i = 0; i < 11; ++i) applyKey('s');
    // Unbounded: eleven steps down from 1.0 pass through zero.
    EXPECT_LT(viewer.scale, 0.0f);
    EXPECT_NEAR(viewer.scale, -0.1f, 1e-5f);
}

TEST_F(Navigation, ScreenKeysAskForFullScreenOrItsEndAndChangeNoView)
{
    EXPECT_EQ(applyKey('F'), ScreenRequest::EnterFullScreen);
    EXPECT_EQ(applyKey('f'), ScreenRequest::EnterFullScreen);
    EXPECT_EQ(applyKey(27), ScreenRequest::LeaveFullScreen);
    EXPECT_EQ(applyKey('q'), ScreenRequest::LeaveFullScreen);
    EXPECT_EQ(applyKey('Q'), ScreenRequest::None);
    EXPECT_EQ(viewer.scale, 1.0f);
    EXPECT_EQ(viewer.angleX, 0.0f);
}

TEST_F(Navigation, KeyPPrintsMatCurRowByRow)
{
    testing::internal::CaptureStdout();
    applyKey('p');
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "matCur:\n"
              "0.000000 0.000000 0.000000 0.000000\n"
              "0.000000 0.000000 0.000000 0.000000\n"
              "0.000000 0.000000 0.000000 0.000000\n"
              "0.000000 0.000000 0.000000 0.000000\n");

    // A row is elements r, r + 4, r + 8, r + 12 of the column-ordered matrix.
    for (int i = 0; i < 16; ++i) viewer.matCur[i] = static_cast<float>(i + 1);
    testing::internal::CaptureStdout();
    applyKey('p');
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "matCur:\n"
              "1.000000 5.000000 9.000000 13.000000\n"
              "2.000000 6.000000 10.000000 14.000000\n"
              "3.000000 7.000000 11.000000 15.000000\n"
              "4.000000 8.000000 12.000000 16.000000\n");
}

TEST_F(Navigation, ArrowKeysShiftByATenthAndLeaveTheMatrix)
{
    viewer.angleX = 5.0f;  // the matrix is not rebuilt by arrows
    applyArrow(GLUT_KEY_RIGHT);
    EXPECT_EQ(viewer.objTrans[0], 0.1f);
    applyArrow(GLUT_KEY_RIGHT);
    applyArrow(GLUT_KEY_LEFT);
    EXPECT_NEAR(viewer.objTrans[0], 0.1f, 1e-7f);
    applyArrow(GLUT_KEY_UP);
    applyArrow(GLUT_KEY_DOWN);
    applyArrow(GLUT_KEY_DOWN);
    EXPECT_NEAR(viewer.objTrans[1], -0.1f, 1e-7f);
    applyArrow(GLUT_KEY_F1);
    applyArrow(GLUT_KEY_HOME);
    EXPECT_EQ(viewer.objTrans[2], 0.0f);
    expectMatrixNear(viewer.angleMat, kIdentity, 0.0f);
}

TEST_F(Navigation, ResetRestoresTheViewAndKeepsTheRest)
{
    EXPECT_EQ(viewer.eyeSeparation, 2.0f);  // the starting value, outside the focal link
    viewer.angleX = 12.0f;
    viewer.angleY = -7.0f;
    viewer.angleZ = 400.0f;
    buildRotation(12.0, -7.0, 400.0, viewer.angleMat);
    viewer.objTrans[0] = 1.0f;
    viewer.objTrans[1] = -2.0f;
    viewer.objTrans[2] = 3.0f;
    viewer.scale = -0.3f;
    viewer.thickness = 0.5f;
    viewer.focalLength = 40.0f;
    viewer.focalRatio = 7.0f;
    viewer.lastX = 100;
    viewer.lastY = 200;
    viewer.dragMode = DragMode::Depth;
    viewer.displayType = DisplayType::Grid;
    viewer.segments = 20;
    viewer.stereoMode = ViewMode::Anaglyph;

    // Without any window: the reset must not need one (loaders run it in tools and tests).
    resetView();

    EXPECT_EQ(viewer.eyeSeparation, 1.0f);
    EXPECT_EQ(viewer.focalLength, 20.0f);
    EXPECT_EQ(viewer.focalRatio, 20.0f);
    EXPECT_EQ(viewer.angleX, 0.0f);
    EXPECT_EQ(viewer.angleY, 0.0f);
    EXPECT_EQ(viewer.angleZ, 0.0f);
    expectMatrixNear(viewer.angleMat, kIdentity, 0.0f);
    for (float t : viewer.objTrans) EXPECT_EQ(t, 0.0f);
    EXPECT_EQ(viewer.scale, 1.0f);
    EXPECT_EQ(viewer.thickness, 0.02f);
    EXPECT_EQ(viewer.lastX, 0);
    EXPECT_EQ(viewer.lastY, 0);
    EXPECT_EQ(viewer.dragMode, DragMode::Depth);
    EXPECT_EQ(viewer.displayType, DisplayType::Grid);
    EXPECT_EQ(viewer.segments, 20);
    EXPECT_EQ(viewer.stereoMode, ViewMode::Anaglyph);
}

TEST_F(Navigation, LeftDragTurnsByFortyDegreesPerWindow)
{
    // From the bottom edge to the top edge of a 600-pixel-high window.
    applyPress(GLUT_LEFT_BUTTON, GLUT_DOWN, 400, 600, 600);
    EXPECT_EQ(viewer.lastY, 0);
    applyDrag(400, 0, 800, 600);
    EXPECT_FLOAT_EQ(viewer.angleX, -40.0f);
    EXPECT_EQ(viewer.angleY, 0.0f);
    EXPECT_EQ(viewer.lastY, 600);
    float expected[16];
    buildRotation(-40.0, 0.0, 0.0, expected);
    expectMatrixNear(viewer.angleMat, expected, 0.0f);

    // A quarter of the width to the right raises angleY by 10.
    applyDrag(600, 0, 800, 600);
    EXPECT_FLOAT_EQ(viewer.angleY, 10.0f);
    EXPECT_FLOAT_EQ(viewer.angleX, -40.0f);
    EXPECT_EQ(viewer.lastX, 600);
}

TEST_F(Navigation, MiddleDragMovesInDepth)
{
    applyPress(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 10, 500, 600);
    applyDrag(10, 200, 800, 600);  // 300 pixels up of 600
    EXPECT_FLOAT_EQ(viewer.objTrans[2], 20.0f);
    EXPECT_EQ(viewer.objTrans[0], 0.0f);
    EXPECT_EQ(viewer.objTrans[1], 0.0f);
    EXPECT_EQ(viewer.angleX, 0.0f);
}

TEST_F(Navigation, RightDragShiftsWithTheMouse)
{
    applyPress(GLUT_RIGHT_BUTTON, GLUT_DOWN, 0, 300, 600);
    applyDrag(800, 300, 800, 600);  // across the whole 800-pixel width
    EXPECT_FLOAT_EQ(viewer.objTrans[0], 40.0f);
    EXPECT_EQ(viewer.objTrans[1], 0.0f);
    applyDrag(800, 450, 800, 600);  // 150 pixels down
    EXPECT_FLOAT_EQ(viewer.objTrans[1], -10.0f);
    EXPECT_EQ(viewer.objTrans[2], 0.0f);
}

TEST_F(Navigation, DragBeforeAnyPressOnlyFollowsThePointer)
{
    applyDrag(123, 100, 800, 600);
    EXPECT_EQ(viewer.dragMode, DragMode::None);
    EXPECT_EQ(viewer.angleX, 0.0f);
    EXPECT_EQ(viewer.angleY, 0.0f);
    for (float t : viewer.objTrans) EXPECT_EQ(t, 0.0f);
    EXPECT_EQ(viewer.lastX, 123);
    EXPECT_EQ(viewer.lastY, 500);
}

TEST_F(Navigation, DragModeFollowsTheLastOfTheThreeButtons)
{
    EXPECT_EQ(viewer.dragMode, DragMode::None);
    applyPress(3, GLUT_DOWN, 0, 0, 600);  // wheel: no mode yet
    EXPECT_EQ(viewer.dragMode, DragMode::None);
    applyPress(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 0, 0, 600);
    EXPECT_EQ(viewer.dragMode, DragMode::Depth);
    applyPress(GLUT_MIDDLE_BUTTON, GLUT_UP, 0, 0, 600);
    EXPECT_EQ(viewer.dragMode, DragMode::Depth);  // kept after the release
    applyPress(4, GLUT_DOWN, 0, 0, 600);
    EXPECT_EQ(viewer.dragMode, DragMode::Depth);
    applyPress(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0, 600);
    EXPECT_EQ(viewer.dragMode, DragMode::Turn);
    applyPress(GLUT_RIGHT_BUTTON, GLUT_DOWN, 0, 0, 600);
    EXPECT_EQ(viewer.dragMode, DragMode::Shift);
    applyPress(GLUT_LEFT_BUTTON, GLUT_UP, 0, 0, 600);
    EXPECT_EQ(viewer.dragMode, DragMode::Shift);  // a release of another button changes nothing
}

TEST_F(Navigation, RightPressesFlipDiagnosticsReleasesDoNot)
{
    applyPress(GLUT_RIGHT_BUTTON, GLUT_DOWN, 5, 10, 600);
    EXPECT_EQ(viewer.debugPrint, 1);
    applyPress(GLUT_RIGHT_BUTTON, GLUT_UP, 7, 20, 600);
    EXPECT_EQ(viewer.debugPrint, 1);
    // Every press and release records the position, y from the bottom.
    EXPECT_EQ(viewer.lastX, 7);
    EXPECT_EQ(viewer.lastY, 580);
    applyPress(GLUT_RIGHT_BUTTON, GLUT_DOWN, 0, 0, 600);
    EXPECT_EQ(viewer.debugPrint, 0);
    viewer.debugPrint = 5;  // any non-zero value counts as on
    applyPress(GLUT_RIGHT_BUTTON, GLUT_DOWN, 0, 0, 600);
    EXPECT_EQ(viewer.debugPrint, 0);
    applyPress(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0, 600);
    EXPECT_EQ(viewer.debugPrint, 0);
}

TEST_F(Navigation, DegenerateWindowsAndCoordinatesKeepTheViewFinite)
{
    // A window squeezed to zero height or width.
    applyPress(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0, 0);
    applyDrag(50, -50, 0, 0);
    EXPECT_TRUE(allFinite(viewer));
    EXPECT_FLOAT_EQ(viewer.angleX, -2000.0f);  // 50 pixels at one pixel's worth
    EXPECT_FLOAT_EQ(viewer.angleY, 2000.0f);

    applyPress(GLUT_RIGHT_BUTTON, GLUT_DOWN, 0, 0, 0);
    applyDrag(3, 4, 0, 600);
    applyPress(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 0, 0, -5);
    applyDrag(3, 4, -5, -5);
    EXPECT_TRUE(allFinite(viewer));

    // Coordinates at the ends of the int range neither overflow nor poison the view.
    applyPress(GLUT_LEFT_BUTTON, GLUT_DOWN, INT_MIN, INT_MAX, INT_MAX);
    applyDrag(INT_MAX, INT_MIN, INT_MAX, INT_MAX);
    applyDrag(INT_MIN, INT_MAX, 1, INT_MIN);
    EXPECT_TRUE(allFinite(viewer));
}

}  // namespace
