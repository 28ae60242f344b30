// The modes that show both eyes in one window, held against what they must show: the two
// eye pictures that StereoView draws of the same scene, placed, interleaved or mixed, and
// the camera model's positions for the halves and their aspect ratios.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/viewer_state.h"
#include "core/anaglyph.h"
#include "core/data_set.h"
#include "core/view_maths.h"
#include "render/gl/anaglyph_mix.h"
#include "render/gl/frame.h"
#include "render/gl/offscreen_context.h"
#include "render/gl/row_interleave.h"
#include "render/gl/shared_window_stereo.h"
#include "tests/render/gl/picture_probe.h"

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 150;

// Pixels that may differ between a picture and the same primitives drawn elsewhere in the
// window: edges rasterised from window coordinates rounded differently.
constexpr double kEdgeFraction = 0.003;

void setData(const std::vector<Point3d>& points, int nx, int ny, int format = 0, const std::vector<int>& groups = {})
{
    const unsigned long generation = dataSet.generation;
    dataSet = DataSet{};
    dataSet.coordArray = points;
    dataSet.groupArray = groups;
    dataSet.fnTrf.nx = nx;
    dataSet.fnTrf.pointsPerSet = ny;
    dataSet.loadedFormat = format;
    double ymin = 0.0;
    for (const Point3d& p : points) {
        ymin = std::min(ymin, p.y);
    }
    dataSet.ymin = static_cast<float>(ymin);
    dataSet.generation = generation + 1;
}

// A wavy surface over most of the picture, tilted towards the viewer, with data values
// that give each band of it another colour when the format is "Data with Color".
void setSurface(int format)
{
    std::vector<Point3d> points;
    std::vector<int> groups;
    const int n = 24;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const double x = -5.0 + 10.0 * i / (n - 1);
            const double y = -4.0 + 8.0 * j / (n - 1);
            points.push_back({x, y, 2.5 * std::sin(0.7 * x) * std::cos(0.5 * y) + 0.3 * y});
            groups.push_back((i / 3 + j / 4) % 10);
        }
    }
    setData(points, n, n, format, format == 2 ? groups : std::vector<int>{});
    setSetting(viewer.displayType, DisplayType::Filled);
}

bool isBackground(const unsigned char* px)
{
    return px[0] == 255 && px[1] == 255 && px[2] == 255;
}

// The part of a picture of x0, y0 (from the top left) and the given size.
Picture cut(const Picture& picture, int x0, int y0, int width, int height)
{
    Picture part{width, height, std::vector<unsigned char>(static_cast<std::size_t>(width) * height * 3)};
    for (int y = 0; y < height; ++y) {
        std::copy_n(picture.at(x0, y0 + y), width * 3, &part.rgb[static_cast<std::size_t>(y) * width * 3]);
    }
    return part;
}

// Pixels whose colours differ in any channel.
int differingPixels(const Picture& a, const Picture& b)
{
    int count = 0;
    for (std::size_t k = 0; k + 2 < a.rgb.size(); k += 3) {
        count += a.rgb[k] != b.rgb[k] || a.rgb[k + 1] != b.rgb[k + 1] || a.rgb[k + 2] != b.rgb[k + 2] ? 1 : 0;
    }
    return count;
}

int drawnPixels(const Picture& picture)
{
    return findRegion(picture, [](const unsigned char* px) { return !isBackground(px); }).count;
}

// Where the camera model puts the point (x, y, 0) on the plane of zero parallax, which both
// eyes see at the same place: pixel centre column from the left and row from the top of
// the whole picture, for a viewport at vx, vy (from the bottom left) of vw x vh whose
// frustum has the given ratio and takes in heightScale times the usual height.
struct Spot {
    double column, row;
};
Spot spotOnScreenPlane(double x, double y, int vx, int vy, int vw, int vh, double ratio, double heightScale = 1.0)
{
    const double wd2 = heightScale * kNearPlane * std::tan(kDegreesToRadians * kFieldOfView / 2.0);
    const double focal = viewer.focalLength;
    const double ndcX = kNearPlane * x / (focal * ratio * wd2);
    const double ndcY = kNearPlane * y / (focal * wd2);
    const double column = vx + (ndcX + 1.0) * vw / 2.0;
    const double rowFromBottom = vy + (ndcY + 1.0) * vh / 2.0;
    return Spot{column, kHeight - rowFromBottom};
}

class SharedWindowStereo : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string error;
        ASSERT_TRUE(openPictureContext(kWidth, kHeight, true, error)) << error;
    }
    static void TearDownTestSuite() { closeOffscreenContext(); }

    void SetUp() override
    {
        resetViewerForPicture();
        setData({}, 0, 0);
        useViewport(kWidth, kHeight);
        viewer.showFileName = 0;
        viewer.angleX = -35.0f;
        buildRotation(viewer.angleX, viewer.angleY, viewer.angleZ, viewer.angleMat);
        viewer.eyeSeparation = 3.0f;
        forceProcessorMix(false);
        forceDepthRowBlocking(false);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glPointSize(1.0f);
        glDisable(GL_POINT_SMOOTH);
        glNormal3f(0.0f, 0.0f, 1.0f);
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    void TearDown() override
    {
        forceProcessorMix(false);
        forceDepthRowBlocking(false);
        useViewport(kWidth, kHeight);
    }

    static void useViewport(int width, int height)
    {
        glViewport(0, 0, width, height);
        viewer.viewportWidth = width;
        viewer.viewportHeight = height;
    }

    Picture draw(ViewMode mode)
    {
        viewer.stereoMode = mode;
        displayViewerFrame();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        return Picture{kWidth, kHeight, readOffscreenPicture(0)};
    }

    // The left and right eye pictures that StereoView draws of the scene, both eyes in the
    // colour given, in a viewport of width x height at the bottom left of the picture.
    struct EyePair {
        Picture left, right;
    };
    EyePair eyePictures(int width, int height, const float colour[4])
    {
        const ViewMode mode = viewer.stereoMode;
        float left[4], right[4];
        std::copy_n(viewer.leftColor, 4, left);
        std::copy_n(viewer.rightColor, 4, right);
        std::copy_n(colour, 4, viewer.leftColor);
        std::copy_n(colour, 4, viewer.rightColor);
        useViewport(width, height);
        draw(ViewMode::Stereo);
        const Picture wholeLeft{kWidth, kHeight, readOffscreenPicture(0)};
        const Picture wholeRight{kWidth, kHeight, readOffscreenPicture(1)};
        useViewport(kWidth, kHeight);
        std::copy_n(left, 4, viewer.leftColor);
        std::copy_n(right, 4, viewer.rightColor);
        viewer.stereoMode = mode;
        return EyePair{cut(wholeLeft, 0, kHeight - height, width, height),
                       cut(wholeRight, 0, kHeight - height, width, height)};
    }
    EyePair eyePictures(const float colour[4]) { return eyePictures(kWidth, kHeight, colour); }

    static void expectSamePicture(const Picture& shown, const Picture& expected, const std::string& what)
    {
        ASSERT_EQ(shown.rgb.size(), expected.rgb.size()) << what;
        EXPECT_GT(drawnPixels(expected), expected.width * expected.height / 10) << what << ": the scene shows";
        EXPECT_LE(differingPixels(shown, expected), kEdgeFraction * expected.width * expected.height) << what;
    }
};

TEST_F(SharedWindowStereo, SideBySideAndTopBottomShowEachEyeInItsPart)
{
    setSurface(0);
    const float* colour = viewer.leftColor;  // both eyes in the MonoView material
    const int halfWidth = kWidth / 2, halfHeight = kHeight / 2;
    // A half of side by side keeps its shape and takes in what the whole window does: the
    // window's picture at half its size, in the middle of the half's height. In a window two
    // rows lower that middle stands on whole rows.
    const int splitHeight = kHeight - 2, middle = splitHeight / 2, top = kHeight - splitHeight + middle / 2;
    const EyePair columns = eyePictures(halfWidth, middle, colour);
    const EyePair rows = eyePictures(kWidth, halfHeight, colour);
    // The two eyes' pictures differ, so that a picture in the wrong place is seen.
    EXPECT_GT(differingPixels(rows.left, rows.right), 4 * kEdgeFraction * kWidth * halfHeight);
    EXPECT_GT(differingPixels(columns.left, columns.right), 4 * kEdgeFraction * halfWidth * middle);

    for (const bool swap : {false, true}) {
        viewer.swapEyes = swap ? 1 : 0;
        const std::string what = swap ? " with the eyes swapped" : "";
        useViewport(kWidth, splitHeight);
        const Picture split = draw(ViewMode::SideBySide);
        useViewport(kWidth, kHeight);
        expectSamePicture(cut(split, 0, top, halfWidth, middle), swap ? columns.right : columns.left,
                          "left half" + what);
        expectSamePicture(cut(split, halfWidth, top, halfWidth, middle), swap ? columns.left : columns.right,
                          "right half" + what);
        // The surface lies within the window's picture: nothing above or below it.
        EXPECT_EQ(drawnPixels(cut(split, 0, 0, kWidth, top)), 0) << what;
        EXPECT_EQ(drawnPixels(cut(split, 0, top + middle, kWidth, kHeight - top - middle)), 0) << what;

        const Picture stacked = draw(ViewMode::TopBottom);
        expectSamePicture(cut(stacked, 0, 0, kWidth, halfHeight), swap ? rows.right : rows.left, "top half" + what);
        expectSamePicture(cut(stacked, 0, halfHeight, kWidth, halfHeight), swap ? rows.left : rows.right,
                          "bottom half" + what);
    }
}

TEST_F(SharedWindowStereo, SqueezeKeepsTheWholeWindowsAspectRatioInEachHalf)
{
    // Points on the plane of zero parallax: both eyes see each at the same place of their
    // picture, so their places follow from the viewport and the frustum's ratio alone.
    setData({{3.0, 2.0, 0.0}, {-2.0, -3.0, 0.0}}, 1, 2);
    setSetting(viewer.displayType, DisplayType::Points);
    setSetting(viewer.thickness, 0.04f);
    viewer.angleX = 0.0f;
    buildRotation(viewer.angleX, viewer.angleY, viewer.angleZ, viewer.angleMat);
    const double whole = static_cast<double>(kWidth) / kHeight;
    const int hw = kWidth / 2, hh = kHeight / 2;
    struct Case {
        ViewMode mode;
        bool squeezed;
        int vx[2], vy[2], vw, vh;  // the two places' viewports (from the bottom left)
        double ratio;
        double heightScale;  // a half narrower than the window takes in what the window does
    };
    const double halfRatio = static_cast<double>(hw) / kHeight;
    const Case cases[] = {
        {ViewMode::SideBySide, false, {0, hw}, {0, 0}, hw, kHeight, halfRatio, whole / halfRatio},
        {ViewMode::SideBySide, true, {0, hw}, {0, 0}, hw, kHeight, whole, 1.0},
        {ViewMode::TopBottom, false, {0, 0}, {hh, 0}, kWidth, hh, static_cast<double>(kWidth) / hh, 1.0},
        {ViewMode::TopBottom, true, {0, 0}, {hh, 0}, kWidth, hh, whole, 1.0},
    };
    for (const Case& c : cases) {
        viewer.squeezeEyes = c.squeezed ? 1 : 0;
        const Picture picture = draw(c.mode);
        for (int place = 0; place < 2; ++place) {
            const int x0 = c.vx[place], y0 = kHeight - c.vy[place] - c.vh;  // from the top left
            for (const Point3d& p : dataSet.coordArray) {
                const Spot spot =
                    spotOnScreenPlane(p.x, p.y, c.vx[place], c.vy[place], c.vw, c.vh, c.ratio, c.heightScale);
                // The point's own neighbourhood of its part of the picture.
                const int left = std::max(x0, static_cast<int>(spot.column) - 8);
                const int top = std::max(y0, static_cast<int>(spot.row) - 8);
                const Region r = findRegion(picture, isReddish, left, top, std::min(x0 + c.vw, left + 17),
                                            std::min(y0 + c.vh, top + 17));
                const std::string what = std::string(c.mode == ViewMode::SideBySide ? "side by side" : "top-bottom") +
                                         (c.squeezed ? " squeezed" : "") + " place " + std::to_string(place) +
                                         " point x " + std::to_string(p.x);
                ASSERT_GT(r.count, 2) << what;
                EXPECT_NEAR(r.centreX + 0.5, spot.column, 1.0) << what;
                EXPECT_NEAR(r.centreY + 0.5, spot.row, 1.0) << what;
            }
        }
    }
    // StereoView, Anaglyph and the other modes take no notice of the squeeze.
    viewer.squeezeEyes = 0;
    const Picture plain = draw(ViewMode::Interleaved);
    viewer.squeezeEyes = 1;
    EXPECT_EQ(differingPixels(draw(ViewMode::Interleaved), plain), 0);
}

TEST_F(SharedWindowStereo, InterleavedRowsAlternateAndFollowTheWindowsPlace)
{
    setSurface(0);
    const EyePair eyes = eyePictures(viewer.leftColor);
    int rowsThatDiffer = 0;
    for (int y = 0; y < kHeight; ++y) {
        rowsThatDiffer += std::equal(eyes.left.at(0, y), eyes.left.at(0, y) + kWidth * 3, eyes.right.at(0, y)) ? 0 : 1;
    }
    ASSERT_GT(rowsThatDiffer, kHeight / 2) << "the eyes' pictures must tell the rows apart";

    for (const bool depthBlocking : {false, true}) {
        forceDepthRowBlocking(depthBlocking);
        for (const bool swap : {false, true}) {
            viewer.swapEyes = swap ? 1 : 0;
            // The window's top on screen rows of both parities, below and above the screen's top.
            for (const int top : {0, 1, 2, 7, -1, -4}) {
                viewer.windowTop = top;
                const Picture picture = draw(ViewMode::Interleaved);
                int wrongRows = 0;
                for (int y = 0; y < kHeight; ++y) {
                    // Even screen rows carry the left eye, unless the eyes are swapped.
                    const bool leftRow = ((top + y) % 2 == 0) != swap;
                    const Picture& eye = leftRow ? eyes.left : eyes.right;
                    wrongRows += std::equal(picture.at(0, y), picture.at(0, y) + kWidth * 3, eye.at(0, y)) ? 0 : 1;
                }
                EXPECT_EQ(wrongRows, 0) << "window top " << top << (swap ? " swapped" : "")
                                        << (depthBlocking ? " without stencil" : "");
            }
        }
    }
}

// The expected mix of two pictures, channel by channel in 0 to 1, and how many channels of
// the shown picture lie more than one step of 255 from it.
int channelsBeyondOneStep(const Picture& shown, const Picture& left, const Picture& right, AnaglyphMethod method,
                          double desaturation)
{
    const AnaglyphMatrices m = desaturatedAnaglyphMatrices(method, desaturation);
    int beyond = 0;
    for (std::size_t k = 0; k + 2 < shown.rgb.size(); k += 3) {
        for (int out = 0; out < 3; ++out) {
            double value = 0.0;
            for (int in = 0; in < 3; ++in) {
                value += m.left.m[out][in] * left.rgb[k + in] / 255.0 + m.right.m[out][in] * right.rgb[k + in] / 255.0;
            }
            value = std::clamp(value, 0.0, 1.0);
            beyond += std::fabs(shown.rgb[k + out] / 255.0 - value) > 1.0 / 255.0 + 1e-9 ? 1 : 0;
        }
    }
    return beyond;
}

TEST_F(SharedWindowStereo, ColourAnaglyphIsEachMethodsMatricesAppliedToTheEyes)
{
    // Data colours in bands, lit by both lights: many colours in both eyes.
    setSurface(2);
    const float chosen[4] = {0.3f, 0.7f, 0.5f, 1.0f};
    std::copy_n(chosen, 4, viewer.leftColor);
    const EyePair eyes = eyePictures(colorAnaglyphMaterial(viewer));
    ASSERT_GT(differingPixels(eyes.left, eyes.right), kWidth * kHeight / 50);

    GLint major = 0;
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    ASSERT_NE(version, nullptr);
    major = std::atoi(version);
    for (const bool processor : {false, true}) {
        forceProcessorMix(processor);
        const AnaglyphMixPath path = processor || major < 2 ? AnaglyphMixPath::Processor : AnaglyphMixPath::Shader;
        for (int method = 0; method < kAnaglyphMethodCount; ++method) {
            for (const float desaturation : {0.0f, Settings{}.desaturation, 1.0f}) {
                viewer.anaglyphMethod = static_cast<AnaglyphMethod>(method);
                viewer.desaturation = desaturation;
                for (const bool swap : {false, true}) {
                    viewer.swapEyes = swap ? 1 : 0;
                    const Picture mixed = draw(ViewMode::ColorAnaglyph);
                    const std::string what = std::string(anaglyphMethodWord(viewer.anaglyphMethod)) +
                                             " desaturation " + std::to_string(desaturation) +
                                             (processor ? " on the processor" : "") + (swap ? " swapped" : "");
                    EXPECT_EQ(lastAnaglyphMixPath(), path) << what;
                    EXPECT_EQ(channelsBeyondOneStep(mixed, swap ? eyes.right : eyes.left,
                                                    swap ? eyes.left : eyes.right, viewer.anaglyphMethod,
                                                    desaturation),
                              0)
                        << what;
                }
            }
        }
    }
}

TEST_F(SharedWindowStereo, FilledSurfaceShowsBothEyesOverItsWholeAreaInColourAnaglyph)
{
    // In the two-material Anaglyph the nearer eye's surface hides the other's wherever both
    // cover a pixel; each eye of the colour anaglyph has a depth buffer of its own.
    setSurface(0);
    const EyePair eyes = eyePictures(colorAnaglyphMaterial(viewer));
    viewer.anaglyphMethod = AnaglyphMethod::ColorMask;
    viewer.desaturation = 0.0f;
    const Picture mixed = draw(ViewMode::ColorAnaglyph);
    int both = 0, leftLost = 0, rightLost = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const unsigned char* left = eyes.left.at(x, y);
            const unsigned char* right = eyes.right.at(x, y);
            const unsigned char* shown = mixed.at(x, y);
            const bool leftCovers = !isBackground(left);
            const bool rightCovers = !isBackground(right);
            both += leftCovers && rightCovers ? 1 : 0;
            // Red from the left eye, green and blue from the right: each eye's surface
            // shows in its own channels, and nothing of it is lost.
            leftLost += leftCovers && std::abs(shown[0] - left[0]) > 1 ? 1 : 0;
            rightLost += rightCovers && (std::abs(shown[1] - right[1]) > 1 || std::abs(shown[2] - right[2]) > 1) ? 1 : 0;
        }
    }
    EXPECT_GT(both, kWidth * kHeight / 10) << "the surface must cover many pixels in both eyes";
    EXPECT_EQ(leftLost, 0);
    EXPECT_EQ(rightLost, 0);
}

// How dark the data are through each filter of red-cyan glasses: the mean of 255 less the
// red channel, and of 255 less the mean of green and blue, over the pixels not of the
// white background.
struct FilterDarkness {
    double red = 0.0, cyan = 0.0;
};
FilterDarkness filterDarkness(const Picture& picture)
{
    FilterDarkness d;
    int drawn = 0;
    for (std::size_t k = 0; k + 2 < picture.rgb.size(); k += 3) {
        const unsigned char* px = &picture.rgb[k];
        if (!isBackground(px)) {
            ++drawn;
            d.red += 255 - px[0];
            d.cyan += 255 - (px[1] + px[2]) / 2.0;
        }
    }
    if (drawn > 0) {
        d.red /= drawn;
        d.cyan /= drawn;
    }
    return d;
}

TEST_F(SharedWindowStereo, ColourAnaglyphDrawsInANeutralMaterialUntilAColourIsChosen)
{
    const float* neutral = colorAnaglyphMaterial(viewer);
    EXPECT_NE(neutral, viewer.leftColor);
    EXPECT_FLOAT_EQ(neutral[0], neutral[1]);
    EXPECT_FLOAT_EQ(neutral[1], neutral[2]);
    viewer.leftColor[2] = 0.5f;  // a colour applied to "Left"
    EXPECT_EQ(colorAnaglyphMaterial(viewer), viewer.leftColor);

    // Every sample, loaded as the viewer loads it, is seen through both filters of the
    // glasses with the default method.
    resetViewerForPicture();
    viewer.showFileName = 0;
    const std::string samples = std::string(ORVELLE_SOURCE_DIR) + "/samples/";
    struct Sample {
        const char* name;
        void (*read)(const char*);
        DisplayType display;
    };
    const Sample all[] = {
        {"curves.dat", readDataFile, DisplayType::Joined},      {"helices.dat", readDataFile, DisplayType::Joined},
        {"surface.dat", readDataFile, DisplayType::Filled},     {"clusters.cdat", readColorDataFile, DisplayType::Points},
        {"shells.cdat", readColorDataFile, DisplayType::Points}, {"saddle.mpl", readMapleFile, DisplayType::Filled},
        {"ripple.mpl", readMapleFile, DisplayType::Filled},
    };
    for (const Sample& sample : all) {
        captureStdout([&] { sample.read((samples + sample.name).c_str()); });
        setSetting(viewer.displayType, sample.display);
        viewer.angleX = 20.0f;
        viewer.angleY = -35.0f;
        buildRotation(viewer.angleX, viewer.angleY, viewer.angleZ, viewer.angleMat);
        // Both eyes see the data about equally dark through their filters, with the least
        // squares and with the simplest method (a red material would hardly darken the red
        // channel of the latter); data colours are the file's own choice.
        const bool ownColours = dataSet.loadedFormat == 2;
        for (const AnaglyphMethod method : {AnaglyphMethod::Dubois, AnaglyphMethod::ColorMask}) {
            viewer.anaglyphMethod = method;
            const Picture picture = draw(ViewMode::ColorAnaglyph);
            const FilterDarkness d = filterDarkness(picture);
            const std::string what = std::string(sample.name) + " " + anaglyphMethodWord(method);
            EXPECT_GT(drawnPixels(picture), 500) << what;
            EXPECT_GT(d.red, 40.0) << what;
            EXPECT_GT(d.cyan, 40.0) << what;
            if (!ownColours || method == AnaglyphMethod::Dubois) {
                EXPECT_NEAR(d.red / d.cyan, 1.0, 0.2) << what << ": red " << d.red << ", cyan " << d.cyan;
            }
        }
    }
}

TEST_F(SharedWindowStereo, FileNameIsWrittenOncePerEyePicture)
{
    viewer.showFileName = 1;
    viewer.filename = "folder/name.dat";
    const auto text = [](const unsigned char* px) { return px[0] < 128 && px[1] < 128 && px[2] < 128; };
    const int halfWidth = kWidth / 2, halfHeight = kHeight / 2;

    const Picture split = draw(ViewMode::SideBySide);
    const Region left = findRegion(split, text, 0, 0, halfWidth, kHeight);
    const Region right = findRegion(split, text, halfWidth, 0, kWidth, kHeight);
    ASSERT_GT(left.count, 30);
    EXPECT_EQ(right.count, left.count);
    EXPECT_NEAR(left.minX, halfWidth / 10, 1);
    EXPECT_NEAR(right.minX, halfWidth + halfWidth / 10, 1);
    EXPECT_LT(left.maxX, halfWidth) << "the left eye's name stays in its half";

    const Picture stacked = draw(ViewMode::TopBottom);
    const Region top = findRegion(stacked, text, 0, 0, kWidth, halfHeight);
    const Region bottom = findRegion(stacked, text, 0, halfHeight, kWidth, kHeight);
    ASSERT_GT(top.count, 30);
    EXPECT_EQ(bottom.count, top.count);
    EXPECT_NEAR(halfHeight - 1 - top.maxY, halfHeight / 10, 3);
    EXPECT_NEAR(kHeight - 1 - bottom.maxY, halfHeight / 10, 3);

    // Over the whole picture once where the eyes share it, as in MonoView.
    const Region mono = findRegion(draw(ViewMode::Mono), text);
    ASSERT_GT(mono.count, 30);
    for (const ViewMode mode : {ViewMode::Interleaved, ViewMode::ColorAnaglyph}) {
        const Region once = findRegion(draw(mode), text);
        EXPECT_EQ(once.count, mono.count) << static_cast<int>(mode);
        EXPECT_EQ(once.minX, mono.minX) << static_cast<int>(mode);
        EXPECT_EQ(once.maxX, mono.maxX) << static_cast<int>(mode);
    }
}

TEST_F(SharedWindowStereo, SwapExchangesTheEyesOfAnaglyphAndStereoView)
{
    // One point in front of the screen: the left eye sees it right of where the right eye does.
    setData({{0.0, 0.0, 5.0}}, 1, 1);
    setSetting(viewer.displayType, DisplayType::Points);
    setSetting(viewer.thickness, 0.04f);
    viewer.angleX = 0.0f;
    buildRotation(viewer.angleX, viewer.angleY, viewer.angleZ, viewer.angleMat);
    for (const bool swap : {false, true}) {
        viewer.swapEyes = swap ? 1 : 0;
        const Picture anaglyph = draw(ViewMode::Anaglyph);
        const Region red = findRegion(anaglyph, isReddish);
        const Region blue = findRegion(anaglyph, isBluish);
        ASSERT_GT(red.count * blue.count, 0);
        // The left colour shows the left eye's picture, unless swapped.
        EXPECT_EQ(red.centreX > blue.centreX + 2.0, !swap);
        EXPECT_EQ(blue.centreX > red.centreX + 2.0, swap);

        draw(ViewMode::Stereo);
        const Picture first{kWidth, kHeight, readOffscreenPicture(0)};
        const Picture second{kWidth, kHeight, readOffscreenPicture(1)};
        const Region inFirst = findRegion(first, isReddish);
        const Region inSecond = findRegion(second, isBluish);
        ASSERT_GT(inFirst.count * inSecond.count, 0);
        EXPECT_EQ(inFirst.centreX > inSecond.centreX + 2.0, !swap);
    }
}

}  // namespace
