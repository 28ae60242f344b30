// Pictures drawn headless with the viewer's own frame and checked against what the
// camera model says they must show: colours, positions, eye offsets, extents.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/navigation.h"
#include "app/viewer_state.h"
#include "core/data_set.h"
#include "core/colors.h"
#include "tests/render/gl/picture_probe.h"
#include "render/gl/frame.h"
#include "render/gl/offscreen_context.h"

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 150;

// Fills the data set as a reader would leave it, with points already in the cube.
void setData(const std::vector<Point3d>& points, int nx, int ny, int format = 0,
             const std::vector<int>& groups = {})
{
    dataSet.coordArray = points;
    dataSet.groupArray = groups;
    dataSet.fnTrf.nx = nx;
    dataSet.fnTrf.pointsPerSet = ny;
    dataSet.loadedFormat = format;
    dataSet.tx = dataSet.ty = dataSet.tz = 0.0f;
    double ymin = 0.0;
    for (const Point3d& p : points) {
        ymin = p.y < ymin ? p.y : ymin;
    }
    dataSet.ymin = static_cast<float>(ymin);
    ++dataSet.generation;  // tells the kept geometry that the points changed
}

void turnScene(float x, float y, float z)
{
    viewer.angleX = x;
    viewer.angleY = y;
    viewer.angleZ = z;
    buildRotation(x, y, z, viewer.angleMat);
}

// The pixel column (from the left, pixel centres at +0.5) where the camera model puts
// the point (x, 0, z) for an eye displaced by eyeX with its frustum shifted by shift.
double expectedColumn(double x, double z, double eyeX, double shift)
{
    const double ratio = static_cast<double>(kWidth) / kHeight;
    const double wd2 = kNearPlane * std::tan(kDegreesToRadians * kFieldOfView / 2.0);
    const double depth = viewer.focalLength - z;
    const double ndc = (2.0 * kNearPlane * (x - eyeX) / depth - 2.0 * shift) / (2.0 * ratio * wd2);
    return (ndc + 1.0) * kWidth / 2.0;
}

// The frame run with the context of the fixture, one picture per eye.
class FramePicture : public ::testing::Test {
protected:
    static void openContext(bool twoEyes)
    {
        std::string error;
        ASSERT_TRUE(openPictureContext(kWidth, kHeight, twoEyes, error)) << error;
    }
    static void SetUpTestSuite() { openContext(true); }
    static void TearDownTestSuite() { closeOffscreenContext(); }

    void SetUp() override
    {
        resetViewerForPicture();
        dataSet = DataSet{};
        // State that earlier drawing leaves behind on purpose; each test starts clean.
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glLineWidth(1.0f);
        glPointSize(1.0f);
        glDisable(GL_POINT_SMOOTH);
        glNormal3f(0.0f, 0.0f, 1.0f);  // points and unlit-normal surfaces take the current normal
        while (glGetError() != GL_NO_ERROR) {
        }
    }

    Picture draw(int eye = 0)
    {
        displayViewerFrame();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        return Picture{kWidth, kHeight, readOffscreenPicture(eye)};
    }
    Picture lastPicture(int eye) { return Picture{kWidth, kHeight, readOffscreenPicture(eye)}; }
};

class SingleBufferPicture : public FramePicture {
protected:
    static void SetUpTestSuite() { openContext(false); }
    static void TearDownTestSuite() { closeOffscreenContext(); }
};

TEST_F(FramePicture, MonoViewShowsDataInLeftColourOnly)
{
    setData({{-4, 0, 0}, {0, 1, 0}, {4, -1, 0}}, 1, 3);
    setSetting(viewer.thickness, 0.1f);
    Picture picture = draw();
    EXPECT_GT(findRegion(picture, isReddish).count, 100);
    EXPECT_EQ(findRegion(picture, isBluish).count, 0);
    EXPECT_EQ(findRegion(picture, isGreenish).count, 0);

    viewer.leftColor[0] = 0.0f;
    viewer.leftColor[1] = 1.0f;
    viewer.eyeSeparation = 9.0f;  // no effect in MonoView
    picture = draw();
    EXPECT_GT(findRegion(picture, isGreenish).count, 100);
    EXPECT_EQ(findRegion(picture, isReddish).count, 0);
    EXPECT_EQ(findRegion(picture, isBluish).count, 0);
}

TEST_F(FramePicture, AnaglyphOffsetGrowsWithEyeSeparation)
{
    // One point in front of the plane of zero parallax.
    setData({{0, 0, 5}}, 1, 1);
    setSetting(viewer.displayType, DisplayType::Points);
    setSetting(viewer.thickness, 0.04f);
    viewer.stereoMode = ViewMode::Anaglyph;
    viewer.showFileName = 0;
    double previous = 0.0;
    for (float separation : {2.0f, 4.0f, 8.0f}) {
        viewer.eyeSeparation = separation;
        const Picture picture = draw();
        const Region red = findRegion(picture, isReddish);
        const Region blue = findRegion(picture, isBluish);
        ASSERT_GT(red.count, 4) << separation;
        ASSERT_GT(blue.count, 4) << separation;
        const double shift = 0.5 * separation * kNearPlane / viewer.focalLength;
        const double expected =
            expectedColumn(0, 5, -separation / 2.0, shift) - expectedColumn(0, 5, separation / 2.0, -shift);
        const double offset = red.centreX - blue.centreX;
        EXPECT_NEAR(offset, expected, 1.0) << "eye separation " << separation;
        EXPECT_GT(offset, previous + 2.0);
        EXPECT_NEAR(red.centreY, blue.centreY, 0.5);
        previous = offset;
    }
}

TEST_F(FramePicture, StereoViewEyesDifferByTheirOffsetAndStartClean)
{
    // A point in front of the zero-parallax plane and one behind it.
    setData({{-3, 0, 5}, {3, 0, -5}}, 1, 2);
    setSetting(viewer.displayType, DisplayType::Points);
    setSetting(viewer.thickness, 0.04f);
    viewer.stereoMode = ViewMode::Stereo;
    viewer.eyeSeparation = 4.0f;
    viewer.showFileName = 0;
    // A second frame starts where the first left the back-right buffer selected.
    draw(0);
    const Picture left = draw(0);
    const Picture right = lastPicture(1);
    EXPECT_EQ(findRegion(left, isBluish).count, 0);
    EXPECT_EQ(findRegion(right, isReddish).count, 0);
    const int leftDrawn = findRegion(left, notColour(255, 255, 255)).count;
    const int rightDrawn = findRegion(right, notColour(255, 255, 255)).count;
    EXPECT_EQ(findRegion(left, isReddish).count, leftDrawn);
    EXPECT_EQ(findRegion(right, isBluish).count, rightDrawn);

    const double shift = 0.5 * 4.0 * kNearPlane / viewer.focalLength;
    const int half = kWidth / 2;
    const Region leftNear = findRegion(left, isReddish, 0, 0, half, kHeight);
    const Region leftFar = findRegion(left, isReddish, half, 0, kWidth, kHeight);
    const Region rightNear = findRegion(right, isBluish, 0, 0, half, kHeight);
    const Region rightFar = findRegion(right, isBluish, half, 0, kWidth, kHeight);
    ASSERT_GT(leftNear.count * leftFar.count * rightNear.count * rightFar.count, 0);
    EXPECT_NEAR(leftNear.centreX, expectedColumn(-3, 5, -2.0, shift), 1.0);
    EXPECT_NEAR(leftFar.centreX, expectedColumn(3, -5, -2.0, shift), 1.0);
    EXPECT_NEAR(rightNear.centreX, expectedColumn(-3, 5, 2.0, -shift), 1.0);
    EXPECT_NEAR(rightFar.centreX, expectedColumn(3, -5, 2.0, -shift), 1.0);
    // In front of the screen the left eye sees the point further right; behind it, further left.
    EXPECT_GT(leftNear.centreX, rightNear.centreX + 2.0);
    EXPECT_LT(leftFar.centreX, rightFar.centreX - 2.0);
}

TEST_F(FramePicture, BackgroundAndComplementFileNameInBottomLeft)
{
    viewer.bgColor[0] = 0.2f;
    viewer.bgColor[1] = 0.4f;
    viewer.bgColor[2] = 0.6f;
    viewer.filename = "some/folder\\x/name.dat";
    Picture picture = draw();
    // The pictures' type is smoothed: its pixels run from the complement (inside the strokes)
    // to the background (at their edges), and nothing else is drawn.
    const Region text = findRegion(picture, notColour(51, 102, 153));
    const Region inked = findRegion(picture, [](const unsigned char* px) {
        return std::abs(px[0] - 204) + std::abs(px[1] - 153) + std::abs(px[2] - 102) < 80;  // most of the way
    });
    ASSERT_GT(inked.count, 20);
    ASSERT_GT(text.count, 30);
    const Region blends = findRegion(picture, [](const unsigned char* px) {
        const int bg[3] = {51, 102, 153}, fg[3] = {204, 153, 102};
        for (int c = 0; c < 3; ++c) {
            if (px[c] < std::min(bg[c], fg[c]) - 2 || px[c] > std::max(bg[c], fg[c]) + 2) {
                return false;
            }
        }
        return true;
    });
    EXPECT_EQ(blends.count, kWidth * kHeight);
    // The text starts a tenth of the width from the left, its baseline a tenth of the
    // height from the bottom.
    EXPECT_NEAR(text.minX, kWidth / 10, 2);
    EXPECT_NEAR(kHeight - 1 - text.maxY, kHeight / 10, 3);
    EXPECT_LT(kHeight - text.minY, kHeight / 10 + 20);
    EXPECT_LT(text.maxX, kWidth / 10 + 8 * 13);  // "name.dat": eight characters

    viewer.showFileName = 0;
    picture = draw();
    EXPECT_EQ(findRegion(picture, exactly(51, 102, 153)).count, kWidth * kHeight);
    viewer.showFileName = 1;
    viewer.filename.clear();
    picture = draw();
    EXPECT_EQ(findRegion(picture, exactly(51, 102, 153)).count, kWidth * kHeight);
}

TEST_F(FramePicture, DisplayTypesCoverClearlyDifferentAreas)
{
    // A gently curved 7 x 7 surface seen from above at an angle.
    std::vector<Point3d> grid;
    for (int i = 0; i < 7; ++i) {
        for (int j = 0; j < 7; ++j) {
            grid.push_back({-4.5 + 1.5 * i, std::sin(i * 0.7) + std::cos(j * 0.5), -4.5 + 1.5 * j});
        }
    }
    setData(grid, 7, 7);
    turnScene(35.0f, 20.0f, 0.0f);
    setSetting(viewer.thickness, 0.03f);
    viewer.showFileName = 0;
    int covered[5];
    for (int type = 0; type < 5; ++type) {
        setSetting(viewer.displayType, static_cast<DisplayType>(type));
        covered[type] = findRegion(draw(), notColour(255, 255, 255)).count;
    }
    EXPECT_GT(covered[2] * 10, covered[1] * 14);  // needles add a floor tube per point
    EXPECT_GT(covered[4] * 100, covered[3] * 115);  // thin grid lines leave holes
    for (int a = 0; a < 5; ++a) {
        for (int b = a + 1; b < 5; ++b) {
            EXPECT_GT(std::abs(covered[a] - covered[b]), (covered[a] + covered[b]) / 10)
                << "types " << a << " and " << b << ": " << covered[a] << " and " << covered[b];
        }
    }
}

TEST_F(FramePicture, UniformScalingKeepsTheDataProportions)
{
    // The corners of a box 10 wide, 2 high and 10 deep, normalised as a reader does.
    std::vector<Point3d> raw;
    for (double x : {0.0, 10.0}) {
        for (double y : {0.0, 2.0}) {
            for (double z : {0.0, 10.0}) {
                raw.push_back({x, y, z});
            }
        }
    }
    setSetting(viewer.displayType, DisplayType::Points);
    setSetting(viewer.thickness, 0.04f);
    viewer.showFileName = 0;
    double heightToWidth[2];
    for (int scaling = 0; scaling < 2; ++scaling) {
        viewer.axis_data = static_cast<AxisScaling>(scaling);
        setData(raw, 1, 8);
        const Bounds bounds{{0.0, 0.0, 0.0}, {10.0, 2.0, 10.0}};
        normaliseDataSet(dataSet, raw.size(), bounds, viewer.axis_data);
        const Region drawn = findRegion(draw(), isReddish);
        ASSERT_GT(drawn.count, 0);
        heightToWidth[scaling] = double(drawn.maxY - drawn.minY + 1) / (drawn.maxX - drawn.minX + 1);
    }
    EXPECT_GT(heightToWidth[0], 0.9);   // individual: every axis fills the cube
    EXPECT_LT(heightToWidth[1], 0.3);   // uniform: y keeps its fifth of the width
    EXPECT_GT(heightToWidth[1], 0.15);
}

TEST_F(FramePicture, KeyZeroFitsTheDataToATallWindowWhereAResetCutsThem)
{
    // The corners of the cube, normalised as a reader does, in a window of 400 x 700's shape.
    std::vector<Point3d> corners;
    for (int k = 0; k < 8; ++k) {
        corners.push_back({(k & 1) * 10.0, (k & 2) * 5.0, (k & 4) * 2.5});
    }
    setData(corners, 1, 8);
    normaliseDataSet(dataSet, corners.size(), Bounds{{0.0, 0.0, 0.0}, {10.0, 10.0, 10.0}}, viewer.axis_data);
    setSetting(viewer.displayType, DisplayType::Points);
    setSetting(viewer.thickness, 0.04f);
    viewer.showFileName = 0;
    const int width = 80, height = 140;
    glViewport(0, 0, width, height);
    viewer.viewportWidth = width;
    viewer.viewportHeight = height;
    const auto drawnInView = [&] { return findRegion(draw(), isReddish, 0, kHeight - height, width, kHeight); };

    resetView();
    const Region reset = drawnInView();  // the near corners lie beyond the window's sides
    applyKey('0');
    EXPECT_LT(viewer.scale, 0.9f);
    const Region fitted = drawnInView();
    EXPECT_GT(fitted.count, reset.count * 3 / 2) << "all eight corners drawn";
    EXPECT_GE(fitted.minX, 2);
    EXPECT_LE(fitted.maxX, width - 3);
    EXPECT_GE(fitted.minY, kHeight - height + 2);
    // Side to side the fitted corners fill the window much as they fill a wide one top to bottom.
    EXPECT_GT(fitted.maxX - fitted.minX, width * 2 / 3);
    resetView();
    EXPECT_EQ(viewer.scale, 1.0f) << "a reset keeps its framing";

    // In a window wide enough the fit is a reset's.
    glViewport(0, 0, kWidth, kHeight);
    viewer.viewportWidth = kWidth;
    viewer.viewportHeight = kHeight;
    viewer.scale = 3.0f;
    applyKey('0');
    EXPECT_EQ(viewer.scale, 1.0f);
}

TEST_F(FramePicture, ColouredDataShowsGroupColours)
{
    // Groups 0, 1, 2; 52 repeats the table (as 2); -4 counts as 0.
    setData({{-4, 0, 0}, {-2, 0, 0}, {0, 0, 0}, {2, 0, 0}, {4, 0, 0}}, 1, 5, 2, {0, 1, 2, 52, -4});
    setSetting(viewer.displayType, DisplayType::Points);
    setSetting(viewer.thickness, 0.06f);
    viewer.showFileName = 0;
    const Picture picture = draw();
    const std::vector<PixelTest> expected = {isReddish, isGreenish, isBluish, isBluish, isReddish};
    for (int k = 0; k < 5; ++k) {
        const int column = static_cast<int>(expectedColumn(-4.0 + 2.0 * k, 0, 0, 0));
        const Region around = findRegion(picture, notColour(255, 255, 255), column - 5, 0, column + 5, kHeight);
        const Region matching = findRegion(picture, expected[k], column - 5, 0, column + 5, kHeight);
        ASSERT_GT(around.count, 4) << "point " << k;
        EXPECT_EQ(matching.count, around.count) << "point " << k;
    }
}

TEST_F(FramePicture, AxesInRedGreenBlueTurnAndShiftWithTheData)
{
    viewer.showAxes = 1;
    viewer.showFileName = 0;
    turnScene(25.0f, -35.0f, 0.0f);
    Picture picture = draw();
    const Region red = findRegion(picture, exactly(255, 0, 0));
    EXPECT_GT(red.count, 20);
    EXPECT_GT(findRegion(picture, exactly(0, 255, 0)).count, 10);
    EXPECT_GT(findRegion(picture, exactly(0, 0, 255)).count, 10);

    viewer.objTrans[0] = 3.0f;
    picture = draw();
    const Region shifted = findRegion(picture, exactly(255, 0, 0));
    ASSERT_GT(shifted.count, 20);
    const double expectedShift = expectedColumn(3.0, 0, 0, 0) - expectedColumn(0, 0, 0, 0);
    EXPECT_NEAR(shifted.minX - red.minX, expectedShift, 2.0);
}

TEST_F(SingleBufferPicture, NoAreaOrNoFocalLengthDrawsNoPass)
{
    setData({{-4, 0, 0}, {4, 0, 0}}, 1, 2);
    setSetting(viewer.thickness, 0.2f);
    viewer.filename = "name.dat";
    viewer.focalLength = 0.0f;
    Picture picture = draw();
    EXPECT_EQ(findRegion(picture, isReddish).count, 0);
    // The file name is still written: the frame is cleared, overlaid and finished.
    EXPECT_GT(findRegion(picture, exactly(0, 0, 0)).count, 0);

    viewer.focalLength = 20.0f;
    viewer.viewportHeight = 0;
    picture = draw();
    EXPECT_EQ(findRegion(picture, isReddish).count, 0);
    viewer.viewportHeight = kHeight;
    picture = draw();
    EXPECT_GT(findRegion(picture, isReddish).count, 100);
}

TEST_F(SingleBufferPicture, StereoViewWithoutStereoBuffersDrawsBothEyesInOne)
{
    setData({{0, 0, 5}}, 1, 1);
    setSetting(viewer.displayType, DisplayType::Points);
    setSetting(viewer.thickness, 0.04f);
    viewer.stereoMode = ViewMode::Stereo;
    viewer.eyeSeparation = 8.0f;
    const Picture picture = draw();
    EXPECT_GT(findRegion(picture, isReddish).count, 4);
    EXPECT_GT(findRegion(picture, isBluish).count, 4);
}

// Runs one frame and returns what it printed on standard output.
std::string printedByFrame()
{
    return captureStdout([] { displayViewerFrame(); });
}

std::vector<std::string> linePrefixes(const std::string& text)
{
    std::vector<std::string> prefixes;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end - start);
        prefixes.push_back(line.substr(0, line.find_first_of(" =:")));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return prefixes;
}

TEST_F(SingleBufferPicture, DiagnosticsOnlyWhenSwitchedOnAndInOrder)
{
    setData({{-4, 0, 0}, {0, 0, 0}, {4, 0, 0}}, 1, 3, 2, {0, 1, 2});
    EXPECT_EQ(printedByFrame(), "");

    viewer.debugPrint = 1;
    setSetting(viewer.displayType, DisplayType::Points);
    const std::string mono = printedByFrame();
    EXPECT_EQ(linePrefixes(mono), (std::vector<std::string>{"ratio", "Left", "Center", "Right", "r", "l", "vp",
                                                              "vd", "vu"}));
    EXPECT_NE(mono.find("ratio = 1.333333 radians = 0.392699 wd2 = 0.041421 ndfl = 0.005000\n"), std::string::npos);
    EXPECT_NE(mono.find("Center Frustum: left = -0.055228 right = 0.055228 top = 0.041421 bottom = -0.041421 "
                        "nearp = 0.100000 farp = 100000.000000\n"),
              std::string::npos);
    // The y and z of the eye displacements may print as -0.000000 (a product with -1).
    EXPECT_NE(mono.find("r = 1.000000 "), std::string::npos);
    EXPECT_NE(mono.find("\nl = -1.000000 "), std::string::npos);
    EXPECT_NE(mono.find("vp: 0.000000 0.000000 20.000000\nvd: 0.000000 0.000000 19.000000\n"), std::string::npos);

    // Anaglyph, coloured joined line sets: each pass prints its camera and one line per tube.
    viewer.stereoMode = ViewMode::Anaglyph;
    setSetting(viewer.displayType, DisplayType::Joined);
    const std::string anaglyph = printedByFrame();
    EXPECT_EQ(linePrefixes(anaglyph),
              (std::vector<std::string>{"ratio", "Left", "Center", "Right", "r", "l", "vp", "vd", "vu", "color",
                                        "color", "vp", "vd", "vu", "color", "color"}));
    EXPECT_NE(anaglyph.find("vp: -1.000000 0.000000 20.000000\n"), std::string::npos);
    EXPECT_NE(anaglyph.find("color 1 0.000000 xyz =   0.0   0.0   0.0 to xyz =   4.0   0.0   0.0\n"),
              std::string::npos);
}

}  // namespace
