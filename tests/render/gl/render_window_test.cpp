// The frame in a real GLUT window, with the window's own output: draw-buffer choice
// without stereo buffers, GLUT's bitmap font for the file name, the buffer swap.
#include <gtest/gtest.h>

#include <GL/freeglut.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

#include "app/viewer_state.h"
#include "core/data_set.h"
#include "core/colors.h"
#include "tests/render/gl/picture_probe.h"
#include "render/gl/frame.h"
#include "render/gl/frame_progress.h"
#include "render/gl/scene_parts.h"

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 150;

Picture captured;
void (*windowFinish)() = nullptr;

// Keeps the back buffer's picture, then hands over to the window's own finish (the swap).
void captureThenFinish()
{
    std::vector<unsigned char> bottomUp(static_cast<std::size_t>(kWidth) * kHeight * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    captured = Picture{kWidth, kHeight, std::vector<unsigned char>(bottomUp.size())};
    const std::size_t row = static_cast<std::size_t>(kWidth) * 3;
    for (int y = 0; y < kHeight; ++y) {
        std::copy_n(&bottomUp[(kHeight - 1 - y) * row], row, &captured.rgb[y * row]);
    }
    windowFinish();
}

class WindowFrame : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr || *display == '\0') {
            return;
        }
        int argc = 1;
        char name[] = "render_window_test";
        char* argv[] = {name, nullptr};
        glutInit(&argc, argv);
        glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
        glutInitWindowSize(kWidth, kHeight);
        window = glutCreateWindow("render window test");
        glViewport(0, 0, kWidth, kHeight);
        setUpDisplayState(viewer);
        viewer.quadric = gluNewQuadric();
        windowFinish = frameOutput.finishFrame;
        frameOutput.finishFrame = captureThenFinish;
    }
    // The window stays open until the process ends: closing the display connection would
    // unload Mesa's driver before the leak check could attribute its allocations.
    static void TearDownTestSuite()
    {
        if (window != 0) {
            frameOutput.finishFrame = windowFinish;
        }
    }
    void SetUp() override
    {
        if (window == 0) {
            GTEST_SKIP() << "no X display";
        }
        ViewerState fresh;
        fresh.quadric = viewer.quadric;
        viewer = fresh;
        viewer.viewportWidth = kWidth;
        viewer.viewportHeight = kHeight;
        fillDataColors(viewer.dataColors);
        dataSet = DataSet{};
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    static int window;
};
int WindowFrame::window = 0;

TEST_F(WindowFrame, StereoViewWithoutStereoBuffersLeavesNoError)
{
    GLboolean stereo = GL_TRUE;
    glGetBooleanv(GL_STEREO, &stereo);
    ASSERT_FALSE(stereo);
    dataSet.coordArray = {{0, 0, 5}};
    dataSet.fnTrf = FnTrf{1, 1};
    ++dataSet.generation;
    setSetting(viewer.displayType, DisplayType::Points);
    setSetting(viewer.thickness, 0.04f);
    viewer.eyeSeparation = 8.0f;
    viewer.stereoMode = ViewMode::Stereo;
    for (int frame = 0; frame < 2; ++frame) {
        displayViewerFrame();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_GT(findRegion(captured, isReddish).count, 4);
        EXPECT_GT(findRegion(captured, isBluish).count, 4);
    }
}

TEST_F(WindowFrame, FileNameInHelveticaAtTheOverlayPlace)
{
    viewer.bgColor[0] = viewer.bgColor[1] = viewer.bgColor[2] = 1.0f;
    viewer.filename = "folder/name.dat";
    displayViewerFrame();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const Region text = findRegion(captured, exactly(0, 0, 0));
    ASSERT_GT(text.count, 30);
    EXPECT_NEAR(text.minX, kWidth / 10, 2);
    EXPECT_NEAR(kHeight - 1 - text.maxY, kHeight / 10, 5);  // "name.dat" has no descenders
    EXPECT_EQ(text.count + findRegion(captured, exactly(255, 255, 255)).count, kWidth * kHeight);
}

TEST_F(WindowFrame, ASmoothedFrameReachesTheWindowWithItsEdgesBlended)
{
    // A red plane seen at a slant on white: without smoothing its edges are red or white.
    for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 2; ++j) {
            dataSet.coordArray.push_back({-4.0 + 8.0 * i, -3.0 + 6.0 * j + 1.3 * i, 0.0});
        }
    }
    dataSet.fnTrf = FnTrf{2, 2};
    ++dataSet.generation;
    setSetting(viewer.displayType, DisplayType::Filled);
    viewer.showFileName = 0;
    // Pixels neither white nor the plane's one lit colour (at the middle of the picture).
    const auto blended = [](const Picture& picture) {
        const unsigned char* inside = picture.at(kWidth / 2, kHeight / 2);
        const PixelTest plane = exactly(inside[0], inside[1], inside[2]), white = exactly(255, 255, 255);
        return findRegion(picture, [&](const unsigned char* px) { return !plane(px) && !white(px); }).count;
    };
    FrameInputs in = displayFrameInputs();
    displayFrame(in, displayState);
    const Picture plain = captured;
    in.smoothSamples = 4;
    displayFrame(in, displayState);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    GLint drawn = -1;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawn);
    EXPECT_EQ(drawn, 0) << "the window's own buffers are drawn into again";
    EXPECT_LT(blended(plain), 10);
    EXPECT_GT(blended(captured), 100) << "the slanting edges are blended";
    EXPECT_GT(findRegion(captured, isReddish).count, findRegion(plain, isReddish).count / 2);
}

TEST_F(WindowFrame, ASlowFrameShowsItsProgressOverThePictureOnTheScreen)
{
    // A picture in grey on the screen, kept as slow frames keep theirs.
    viewer.bgColor[0] = viewer.bgColor[1] = viewer.bgColor[2] = 0.5f;
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    keepShownPicture(kWidth, kHeight);
    glutSwapBuffers();
    ASSERT_NE(frameOutput.showProgress, nullptr);
    frameOutput.showProgress(0.5, kWidth, kHeight, viewer.bgColor);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    std::vector<unsigned char> front(static_cast<std::size_t>(kWidth) * kHeight * 3);
    glReadBuffer(GL_FRONT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, front.data());
    glReadBuffer(GL_BACK);
    const auto at = [&](int x, int y) { return &front[(static_cast<std::size_t>(y) * kWidth + x) * 3]; };
    // The bar at the lower right (bottom-up rows): its left half filled, its right half not.
    const int barLeft = kWidth - 8 - std::min(120, kWidth / 3), barRight = kWidth - 8;
    const unsigned char* filled = at(barLeft + 5, 12);
    const unsigned char* empty = at(barRight - 5, 12);
    EXPECT_GT(filled[2], filled[0] + 100) << "the drawn share is blue";
    EXPECT_GT(empty[0], 200);
    EXPECT_GT(empty[2], 200);
    // The picture shown stays as it was around it, and so does the state the frame draws with.
    const unsigned char* above = at(kWidth / 2, kHeight / 2);
    EXPECT_NEAR(above[0], 128, 1);
    EXPECT_NEAR(above[2], 128, 1);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    GLint drawBuffer = 0;
    glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
    EXPECT_EQ(drawBuffer, GL_BACK);
}

#ifdef __SANITIZE_ADDRESS__
// At exit the GLX library unloads Mesa's driver before the leak check runs, and the
// driver's own allocations then lose the module name that the suppressions go by; so
// the check runs here, while the driver is still loaded.
class LeakCheckWithDriverLoaded : public ::testing::Environment {
public:
    void TearDown() override { __lsan_do_leak_check(); }
};
const ::testing::Environment* const leakCheck =
    ::testing::AddGlobalTestEnvironment(new LeakCheckWithDriverLoaded);
#endif

}  // namespace
