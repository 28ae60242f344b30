// Figures in pictures: type as tall as the picture asks, colours of the data under white
// lights, smoothed edges measured against a picture drawn four times as large, the box and
// its labels inside the picture at any turn, and the stroke font where the face is missing.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "app/viewer_state.h"
#include "core/colormap.h"
#include "core/view_maths.h"
#include "render/cpu/picture_filter.h"
#include "render/cpu/type_face.h"
#include "render/gl/frame.h"
#include "render/gl/offscreen_context.h"

#include "tests/render/gl/picture_probe.h"

namespace {

// A smooth hill of n x n points, z = exp(-3 (x^2 + y^2)) over -1 to 1, or a plane at z = 0.5,
// normalised as a load normalises it.
void loadHill(int n, bool flat = false)
{
    const unsigned long generation = dataSet.generation;
    dataSet = DataSet{};
    dataSet.generation = generation + 1;
    Bounds raw;
    resetBounds(raw);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const double x = -1.0 + 2.0 * i / (n - 1), y = -1.0 + 2.0 * j / (n - 1);
            const Point3d p{x, y, flat ? 0.5 : std::exp(-3.0 * (x * x + y * y))};
            dataSet.coordArray.push_back(p);
            includeInBounds(raw, p);
        }
    }
    dataSet.fnTrf = FnTrf{n, n};
    normaliseDataSet(dataSet, dataSet.coordArray.size(), raw, AxisScaling::Individual);
}

void turnTo(float x, float y, float z = 0.0f)
{
    viewer.angleX = x;
    viewer.angleY = y;
    viewer.angleZ = z;
    buildRotation(viewer.angleX, viewer.angleY, viewer.angleZ, viewer.angleMat);
}

class FigurePixels : public ::testing::Test {
protected:
    void TearDown() override
    {
        displayState.geometry = GeometryStore();
        closeOffscreenContext();
    }

    void open(int width, int height)
    {
        closeOffscreenContext();
        std::string error;
        ASSERT_TRUE(openPictureContext(width, height, false, error)) << error;
        width_ = width;
        height_ = height;
    }

    // The viewer's settings as after a load, a filled hill shown without its file name.
    void startHill(bool flat = false)
    {
        resetViewerForPicture();
        viewer.showFileName = 0;
        setSetting(viewer.displayType, DisplayType::Filled);
        loadHill(40, flat);
    }

    // The hill coloured by height in its box with ticks, with its file name, turned as the
    // figures of the issue were.
    void startHillFigure()
    {
        startHill();
        viewer.colorBy = ColorBy::Height;
        viewer.showAxes = 1;
        viewer.axesStyle = AxesStyle::Box;
        viewer.showFileName = 1;
        viewer.filename = "hill.dat";
        turnTo(-60.0f, 0.0f, 20.0f);
    }

    Picture frame(int smoothSamples = 1, double pixelScale = 1.0)
    {
        FrameInputs in = displayFrameInputs();
        in.smoothSamples = smoothSamples;
        in.pixelScale = pixelScale;
        displayFrame(in, displayState);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        return Picture{width_, height_, readOffscreenPicture(0)};
    }

    int width_ = 0, height_ = 0;
};

bool isBackground(const unsigned char* px)
{
    return px[0] == 255 && px[1] == 255 && px[2] == 255;
}

double saturation(const unsigned char* px)
{
    const int high = std::max({px[0], px[1], px[2]}), low = std::min({px[0], px[1], px[2]});
    return high > 0 ? static_cast<double>(high - low) / high : 0.0;
}

double hue(double r, double g, double b)
{
    const double high = std::max({r, g, b}), low = std::min({r, g, b}), span = high - low;
    if (span <= 0.0) {
        return 0.0;
    }
    double h = high == r ? std::fmod((g - b) / span, 6.0) : high == g ? (b - r) / span + 2.0 : (r - g) / span + 4.0;
    h *= 60.0;
    return h < 0.0 ? h + 360.0 : h;
}

// The mean absolute difference of two pictures' channels, in 0 to 255.
double meanError(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b)
{
    double sum = 0.0;
    for (std::size_t k = 0; k < a.size(); ++k) {
        sum += std::abs(a[k] - b[k]);
    }
    return sum / static_cast<double>(a.size());
}

TEST_F(FigurePixels, TypeGrowsInProportionToThePicture)
{
    // Capitals of the file name's place, for pictures 600 and 2160 pixels high and a text size of 2.
    const auto capitals = [&](int height, float textSize) {
        open(600, height);
        resetViewerForPicture();
        viewer.filename = "HHHH";
        viewer.textSize = textSize;
        const Picture picture = frame();
        const Region inked = findRegion(picture, [](const unsigned char* px) { return px[0] < 128; });
        EXPECT_NEAR(inked.minX, 60, 0.15 * 0.022 * height * textSize + 1) << "a tenth of the width from the left";
        // The height of the ink: each row counted by its ink against a row through the stems
        // alone (the median row), so that the top and bottom rows count as far as they are covered.
        std::vector<double> ink;
        for (int y = 0; y < picture.height; ++y) {
            double row = 0.0;
            for (int x = 0; x < picture.width; ++x) {
                row += (255 - picture.at(x, y)[0]) / 255.0;
            }
            if (row > 0.0) {
                ink.push_back(row);
            }
        }
        std::vector<double> sorted = ink;
        std::sort(sorted.begin(), sorted.end());
        const double stems = sorted[sorted.size() / 2];
        double rows = 0.0;
        for (double row : ink) {
            rows += std::min(1.0, row / stems);
        }
        return rows;
    };
    const double small = capitals(600, 1.0f), large = capitals(2160, 1.0f), doubled = capitals(600, 2.0f);
    const double face = pictureFace().capHeight(1.0);
    EXPECT_NEAR(small, face * 13.2, 0.6) << "2.2% of the height per em";
    EXPECT_NEAR(large, face * 47.52, 1.0);
    EXPECT_NEAR(large / small, 3.6, 0.15);
    EXPECT_NEAR(doubled / small, 2.0, 0.1);
    std::printf("capitals: %.1f px at 600, %.1f px at 2160, %.1f px at text size 2\n", small, large, doubled);
}

TEST_F(FigurePixels, TheLightsChangeTheDataColoursBrightnessNotTheirHue)
{
    open(400, 300);
    // The hill through gray: no light may tint it.
    startHill();
    viewer.colorBy = ColorBy::Height;
    viewer.colorMap = ColorMap::Gray;
    turnTo(-60.0f, 0.0f, 20.0f);
    const Picture gray = frame();
    int drawn = 0, grey = 0;
    for (int y = 0; y < gray.height; ++y) {
        for (int x = 0; x < gray.width; ++x) {
            if (!isBackground(gray.at(x, y))) {
                ++drawn;
                grey += saturation(gray.at(x, y)) < 0.08 ? 1 : 0;
            }
        }
    }
    ASSERT_GT(drawn, 5000);
    EXPECT_GE(grey, drawn * 95 / 100);
    std::printf("gray hill: %.1f%% of %d drawn pixels with saturation below 0.08\n", 100.0 * grey / drawn, drawn);

    // A plane at one height through viridis, lit at a slant by both lights: the map's hue.
    startHill(true);
    viewer.colorBy = ColorBy::Height;
    viewer.colorRange[0] = 0.0f;
    viewer.colorRange[1] = 1.0f;
    turnTo(-50.0f, 30.0f);
    const Rgb want = colorAt(ColorMap::Viridis, 0.5);
    const double wantHue = hue(want.r, want.g, want.b);
    const Picture plane = frame();
    const int barLeft = static_cast<int>(plane.width * 0.8);
    int planePixels = 0, trueHue = 0;
    for (int y = 0; y < plane.height; ++y) {
        for (int x = 0; x < barLeft; ++x) {
            const unsigned char* px = plane.at(x, y);
            if (isBackground(px)) {
                continue;
            }
            ++planePixels;
            const double d = std::fabs(hue(px[0], px[1], px[2]) - wantHue);
            trueHue += std::min(d, 360.0 - d) <= 4.0 ? 1 : 0;
        }
    }
    ASSERT_GT(planePixels, 5000);
    EXPECT_GE(trueHue, planePixels * 90 / 100);
    std::printf("viridis plane: %.1f%% of %d pixels within 4 degrees of the map's hue\n",
                100.0 * trueHue / planePixels, planePixels);

    // Seen from behind, turned away from both lights, it keeps a quarter of its brightness.
    turnTo(180.0f, 0.0f);
    const Picture behind = frame();
    const Region back = findRegion(behind, [](const unsigned char* px) { return !isBackground(px); }, 0, 0, barLeft);
    ASSERT_GT(back.count, 5000);
    const unsigned char* middle = behind.at(static_cast<int>(back.centreX), static_cast<int>(back.centreY));
    EXPECT_GE(middle[0] + middle[1] + middle[2], 0.25 * 255.0 * (want.r + want.g + want.b));
    EXPECT_NEAR(hue(middle[0], middle[1], middle[2]), wantHue, 4.0);
}

TEST_F(FigurePixels, SmoothedEdgesComeCloseToAPictureDrawnFourTimesAsLarge)
{
    constexpr int kWidth = 800, kHeight = 600;
    open(kWidth * 4, kHeight * 4);
    startHillFigure();
    const std::vector<unsigned char> reference = shrinkByBoxFilter(frame().rgb, kWidth * 4, kHeight * 4, 4);
    open(kWidth * 2, kHeight * 2);
    startHillFigure();
    const std::vector<unsigned char> larger = shrinkByBoxFilter(frame(1, 2.0).rgb, kWidth * 2, kHeight * 2, 2);
    open(kWidth, kHeight);
    startHillFigure();
    const double plain = meanError(frame(1).rgb, reference);
    const double smoothed = meanError(frame(4).rgb, reference);
    const double drawnLarger = meanError(larger, reference);
    std::printf("mean absolute error against 4x: %.3f unsmoothed, %.3f multisampled 4 (ratio %.2f), %.3f drawn "
                "2x and filtered (ratio %.2f)\n",
                plain, smoothed, smoothed / plain, drawnLarger, drawnLarger / plain);
    EXPECT_GT(plain, 0.1) << "the edges differ from the reference at all";
    EXPECT_LE(smoothed, 0.6 * plain);
    EXPECT_LE(drawnLarger, 0.6 * plain);
}

TEST_F(FigurePixels, AtAnyTurnTheBoxAndItsLabelsKeepOffThePicturesEdges)
{
    constexpr int kWidth = 640, kHeight = 480;
    open(kWidth, kHeight);
    startHillFigure();
    std::mt19937 random(2024);
    std::uniform_real_distribution<float> angle(-180.0f, 180.0f);
    const int bandX = static_cast<int>(std::ceil(0.015 * kWidth)), bandY = static_cast<int>(std::ceil(0.015 * kHeight));
    for (int turn = 0; turn < 20; ++turn) {
        turnTo(angle(random), angle(random), angle(random));
        SCOPED_TRACE("turn " + std::to_string(viewer.angleX) + "," + std::to_string(viewer.angleY) + "," +
                     std::to_string(viewer.angleZ));
        const Picture picture = frame(4);
        const PixelTest drawn = [](const unsigned char* px) { return !isBackground(px); };
        EXPECT_EQ(findRegion(picture, drawn, 0, 0, kWidth, bandY).count, 0) << "top";
        EXPECT_EQ(findRegion(picture, drawn, 0, kHeight - bandY, kWidth, kHeight).count, 0) << "bottom";
        EXPECT_EQ(findRegion(picture, drawn, 0, 0, bandX, kHeight).count, 0) << "left";
        EXPECT_EQ(findRegion(picture, drawn, kWidth - bandX, 0, kWidth, kHeight).count, 0) << "right";
        EXPECT_GT(findRegion(picture, drawn).count, kWidth * kHeight / 20) << "the data fill the picture";
    }
}

TEST_F(FigurePixels, WithoutTheFaceTheStrokeFontWritesTheLabelsAfterOneWarning)
{
    open(400, 300);
    startHill();
    viewer.showAxes = 1;
    viewer.axesStyle = AxesStyle::Box;
    turnTo(-60.0f, 0.0f, 20.0f);
    const auto ink = [](const Picture& picture) {
        return findRegion(picture, [](const unsigned char* px) { return px[0] + px[1] + px[2] < 200; }).count;
    };
    const int withFace = ink(frame());
    usePictureFaceFile("/nonexistent/DejaVuSans.ttf");
    int withoutFace = 0;
    const std::string printed = captureStdout([&] {
        withoutFace = ink(frame());
        frame();
    });
    usePictureFaceFile(kPictureFacePath);
    EXPECT_EQ(printed.find("Type face not read (cannot open /nonexistent/DejaVuSans.ttf)"), 0u) << printed;
    EXPECT_EQ(splitLines(printed).size(), 1u) << "one warning, however many texts follow";
    // The stroke font's labels stand where the face's did, about as much ink.
    EXPECT_GT(withoutFace, withFace / 2);
    EXPECT_LT(withoutFace, withFace * 2);
}

}  // namespace
