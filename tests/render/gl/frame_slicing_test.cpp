// A frame drawn in slices over several display callbacks: the finished picture is the one
// drawn in one go, and a change of the view between slices starts the frame over.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <vector>

#include "app/navigation.h"
#include "app/viewer_state.h"
#include "core/data_set.h"
#include "core/colors.h"
#include "render/gl/fast_drawing.h"
#include "render/gl/chunked_drawing.h"
#include "render/gl/frame.h"
#include "render/cpu/geometry_cache.h"
#include "render/gl/anaglyph_mix.h"
#include "render/gl/offscreen_context.h"
#include "render/gl/row_interleave.h"

#include "tests/render/gl/picture_probe.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
// Small enough that every slice stops after its first chunk.
constexpr double kTinyBudget = 1.0e-9;

int requests = 0;
int handedOver = 0;
void (*offscreenFinish)() = nullptr;

void countRequest()
{
    ++requests;
}

void countHandOver()
{
    ++handedOver;
    offscreenFinish();
}

// nx sets of ny points of a wavy surface, values for the data colours when coloured.
int differingBytes(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b)
{
    if (a.size() != b.size()) {
        return -1;
    }
    int differing = 0;
    for (std::size_t k = 0; k < a.size(); ++k) {
        differing += a[k] != b[k] ? 1 : 0;
    }
    return differing;
}

void loadGrid(int nx, int ny, int format)
{
    const unsigned long generation = dataSet.generation;
    dataSet = DataSet{};
    double ymin = 1e9;
    for (int i = 0; i < nx; ++i) {
        for (int j = 0; j < ny; ++j) {
            const double x = -4.0 + 8.0 * i / (nx - 1);
            const double z = -4.0 + 8.0 * j / (ny - 1);
            const Point3d p{x, std::sin(0.9 * x) + 0.6 * std::cos(1.3 * z), z};
            dataSet.coordArray.push_back(p);
            ymin = std::fmin(ymin, p.y);
            if (format == 2) {
                dataSet.groupArray.push_back((i * 7 + j * 3) % 60);
            }
        }
    }
    dataSet.fnTrf.nx = nx;
    dataSet.fnTrf.pointsPerSet = ny;
    dataSet.loadedFormat = format;
    dataSet.ymin = static_cast<float>(ymin);
    dataSet.generation = generation + 1;
}

class FrameSlicing : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string error;
        ASSERT_TRUE(openPictureContext(kWidth, kHeight, false, error)) << error;
        offscreenFinish = frameOutput.finishFrame;
        frameOutput.finishFrame = countHandOver;
        requestFrameSlice = countRequest;
    }
    static void TearDownTestSuite()
    {
        setFrameSliceBudget(0.0);
        displayState.geometry = GeometryStore();
        displayState.geometry.clear();
        frameOutput.finishFrame = offscreenFinish;
        closeOffscreenContext();
    }

    void SetUp() override
    {
        resetViewerForPicture();
        viewer.filename = "slices.dat";
        viewer.showAxes = 1;
        turn(30.0f, 25.0f);
        setFrameSliceBudget(0.0);
        displayState.geometry = GeometryStore();
        // Whole and sliced frames draw the tubes the same way.
        displayState.tubeChoice.fix(TubeDrawing::Pixels);
    }

    void TearDown() override { displayState.tubeChoice.unfix(); }

    static void turn(float x, float y)
    {
        viewer.angleX = x;
        viewer.angleY = y;
        buildRotation(viewer.angleX, viewer.angleY, viewer.angleZ, viewer.angleMat);
    }

    static std::vector<unsigned char> wholeFrame()
    {
        setFrameSliceBudget(0.0);
        handedOver = 0;
        displayViewerFrame();
        EXPECT_EQ(handedOver, 1);
        EXPECT_FALSE(displayState.unfinished);
        return readOffscreenPicture(0);
    }

    // Display callbacks with a tiny budget until the frame is handed over; returns how many.
    static int slicesUntilDone()
    {
        setFrameSliceBudget(kTinyBudget);
        requests = 0;
        handedOver = 0;
        int callbacks = 0;
        do {
            displayViewerFrame();
            ++callbacks;
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        } while (displayState.unfinished && callbacks < 10000);
        EXPECT_EQ(handedOver, 1) << "only the finished frame is handed over";
        EXPECT_EQ(requests, callbacks - 1) << "each unfinished slice asks for the next";
        return callbacks;
    }

    static void expectSlicedSame(const std::string& what, int minimumSlices)
    {
        const std::vector<unsigned char> whole = wholeFrame();
        const int slices = slicesUntilDone();
        EXPECT_GE(slices, minimumSlices) << what;
        const std::vector<unsigned char> sliced = readOffscreenPicture(0);
        int drawn = 0;
        for (unsigned char c : whole) {
            drawn += c != 255 ? 1 : 0;
        }
        const int differing = differingBytes(whole, sliced);
        EXPECT_GT(drawn, 1000) << what << ": the scene must show something";
        EXPECT_EQ(differing, 0) << what << " in " << slices << " slices";
    }
};

TEST_F(FrameSlicing, SlicedFramesEqualWholeFrames)
{
    loadGrid(200, 200, 0);
    for (int type = 0; type < 5; ++type) {
        setSetting(viewer.displayType, static_cast<DisplayType>(type));
        setSetting(viewer.thickness, 0.01f);
        // Points and the filled surface are drawn as the pixels they cover: one chunk a pass.
        const bool asPixels = type == 0 || type == 4;
        viewer.stereoMode = ViewMode::Mono;
        expectSlicedSame("type " + std::to_string(type), asPixels ? 1 : 3);
        viewer.stereoMode = ViewMode::Anaglyph;
        expectSlicedSame("anaglyph type " + std::to_string(type), asPixels ? 2 : 5);
    }
    // Coloured needles as meshes generated per frame, a few blocks of tubes per colour.
    loadGrid(60, 60, 2);
    displayState.geometry = GeometryStore(1);
    setSetting(viewer.displayType, DisplayType::Needled);
    setSetting(viewer.thickness, 0.08f);
    expectSlicedSame("generated tubes as pixels", 3);
    displayState.tubeChoice.fix(TubeDrawing::Triangles);
    expectSlicedSame("generated tube meshes", 20);

    // The modes of both eyes in one window: halves with their own viewport and scissor,
    // rows kept apart in the stencil or in the depth buffer, and the colour anaglyph,
    // whose first eye is kept and mixed exactly once over the slices.
    loadGrid(200, 200, 0);
    displayState.geometry = GeometryStore();
    setSetting(viewer.displayType, DisplayType::Grid);
    setSetting(viewer.thickness, 0.01f);
    for (const ViewMode mode : {ViewMode::SideBySide, ViewMode::TopBottom, ViewMode::Interleaved,
                                ViewMode::ColorAnaglyph}) {
        viewer.stereoMode = mode;
        expectSlicedSame("view mode " + std::to_string(static_cast<int>(mode)), 5);
    }
    forceDepthRowBlocking(true);
    viewer.stereoMode = ViewMode::Interleaved;
    expectSlicedSame("interleaved without stencil", 5);
    forceDepthRowBlocking(false);
    forceProcessorMix(true);
    viewer.stereoMode = ViewMode::ColorAnaglyph;
    expectSlicedSame("colour anaglyph mixed on the processor", 5);
    forceProcessorMix(false);
    viewer.stereoMode = ViewMode::Mono;
}

TEST_F(FrameSlicing, DiagnosticsArePrintedOncePerFrame)
{
    loadGrid(200, 200, 0);
    setSetting(viewer.displayType, DisplayType::Grid);
    viewer.debugPrint = 1;
    const std::string whole = captureStdout([] { wholeFrame(); });
    int slices = 0;
    const std::string sliced = captureStdout([&] { slices = slicesUntilDone(); });
    viewer.debugPrint = 0;
    EXPECT_GE(slices, 3);
    EXPECT_NE(whole.find("ratio = "), std::string::npos);
    EXPECT_EQ(sliced, whole) << "a frame in " << slices << " slices prints what a whole frame prints";
}

TEST_F(FrameSlicing, ChangesOtherThanTheViewStartTheFrameOver)
{
    loadGrid(200, 200, 0);
    setSetting(viewer.displayType, DisplayType::Grid);
    setSetting(viewer.thickness, 0.01f);

    // New data of the same shape: the new frame shows nothing of the old data.
    setFrameSliceBudget(kTinyBudget);
    displayViewerFrame();
    ASSERT_TRUE(displayState.unfinished);
    loadGrid(200, 200, 0);
    for (Point3d& p : dataSet.coordArray) {
        p.y = -p.y;
    }
    ++dataSet.generation;
    slicesUntilDone();
    const std::vector<unsigned char> reloaded = readOffscreenPicture(0);
    EXPECT_EQ(differingBytes(reloaded, wholeFrame()), 0);

    // So do another display type and another colour.
    setFrameSliceBudget(kTinyBudget);
    displayViewerFrame();
    ASSERT_TRUE(displayState.unfinished);
    setSetting(viewer.displayType, DisplayType::Filled);
    slicesUntilDone();
    const std::vector<unsigned char> filled = readOffscreenPicture(0);
    EXPECT_EQ(differingBytes(filled, wholeFrame()), 0);

    setSetting(viewer.displayType, DisplayType::Grid);
    setFrameSliceBudget(kTinyBudget);
    displayViewerFrame();
    ASSERT_TRUE(displayState.unfinished);
    viewer.leftColor[1] = 0.5f;
    slicesUntilDone();
    const std::vector<unsigned char> recoloured = readOffscreenPicture(0);
    EXPECT_EQ(differingBytes(recoloured, wholeFrame()), 0);
}

TEST_F(FrameSlicing, AChangeOfTheViewWaitsForAFrameNearlyDoneOrQuick)
{
    loadGrid(200, 200, 0);
    setSetting(viewer.displayType, DisplayType::Grid);
    setSetting(viewer.thickness, 0.01f);
    const std::vector<unsigned char> before = wholeFrame();
    turn(-40.0f, 70.0f);
    const std::vector<unsigned char> after = wholeFrame();
    ASSERT_GT(differingBytes(before, after), 1000);

    // Frames of this view are quick (the last took far less than half a second): a turn
    // while one is drawn lets it finish with its own view, then asks for the turned one.
    turn(30.0f, 25.0f);
    setFrameSliceBudget(kTinyBudget);
    displayViewerFrame();
    displayViewerFrame();
    ASSERT_TRUE(displayState.unfinished);
    turn(-40.0f, 70.0f);
    requests = 0;
    handedOver = 0;
    while (displayState.unfinished) {
        displayViewerFrame();
    }
    EXPECT_EQ(handedOver, 1);
    EXPECT_EQ(differingBytes(readOffscreenPicture(0), before), 0) << "the frame under way is finished as it began";
    EXPECT_GE(requests, 1) << "the turned view is asked for";
    slicesUntilDone();
    EXPECT_EQ(differingBytes(readOffscreenPicture(0), after), 0) << "then the turned view is drawn";

    // A slow frame barely begun is thrown away: the turned view is drawn at once.
    displayState.slices.lastFrameSeconds = 30.0;
    turn(30.0f, 25.0f);
    setFrameSliceBudget(kTinyBudget);
    displayViewerFrame();
    ASSERT_TRUE(displayState.unfinished);
    turn(-40.0f, 70.0f);
    slicesUntilDone();
    EXPECT_EQ(differingBytes(readOffscreenPicture(0), after), 0);

    // The frame that replaced a thrown-away one is not thrown away in its turn: a frame is
    // shown at last under a continuous change.
    displayState.slices.lastFrameSeconds = 30.0;
    turn(30.0f, 25.0f);
    setFrameSliceBudget(kTinyBudget);
    displayViewerFrame();
    turn(-40.0f, 70.0f);
    displayViewerFrame();
    ASSERT_TRUE(displayState.unfinished);
    EXPECT_TRUE(displayState.slices.restarted);
    turn(10.0f, 10.0f);
    handedOver = 0;
    while (displayState.unfinished) {
        displayViewerFrame();
    }
    EXPECT_EQ(handedOver, 1);
    EXPECT_EQ(differingBytes(readOffscreenPicture(0), after), 0) << "the replacing frame is finished";
}

TEST_F(FrameSlicing, ASlowFrameShowsHowFarItIs)
{
    static std::vector<double> shown;
    shown.clear();
    frameOutput.showProgress = [](double fraction, int width, int height, const float*) {
        EXPECT_EQ(width, kWidth);
        EXPECT_EQ(height, kHeight);
        shown.push_back(fraction);
    };
    loadGrid(200, 200, 0);
    setSetting(viewer.displayType, DisplayType::Grid);
    setSetting(viewer.thickness, 0.01f);
    setFrameSliceBudget(kTinyBudget);
    displayViewerFrame();
    displayViewerFrame();
    EXPECT_TRUE(shown.empty()) << "a frame begun just now shows nothing";
    // As if the frame had been drawn for a second already.
    displayState.slices.begun -= std::chrono::seconds(1);
    int slices = 0;
    while (displayState.unfinished && slices < 10000) {
        displayViewerFrame();
        ++slices;
    }
    frameOutput.showProgress = nullptr;
    ASSERT_GE(shown.size(), 2u);
    EXPECT_GT(shown.front(), 0.0);
    EXPECT_LT(shown.back(), 1.0);
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end())) << "the share drawn only grows";
}

}  // namespace
