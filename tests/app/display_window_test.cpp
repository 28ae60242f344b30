// The display window's guard, and a set-up run after the first one on a real display.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <string>

#include "app/display_window.h"
#include "app/viewer_state.h"
#include "glui/glui.h"

// Last: Xlib defines macros (None, Bool) that clash with names in the headers above.
#include <X11/Xlib.h>

namespace {

TEST(DisplayWindowGuard, OpensOnlyWhenTheBufferModeMustChange)
{
    // No window yet (10) fits no view mode, so the first set-up always opens one.
    for (int stereoMode = 0; stereoMode < kViewModeCount; ++stereoMode) {
        EXPECT_FALSE(displayWindowFits(10, stereoMode)) << stereoMode;
    }
    // MonoView, Anaglyph and the modes from side by side on share the double-buffered window.
    for (int stereoMode : {0, 1, 3, 4, 5, 6}) {
        EXPECT_TRUE(displayWindowFits(1, stereoMode)) << stereoMode;
        EXPECT_FALSE(displayWindowFits(2, stereoMode)) << stereoMode;
    }
    EXPECT_TRUE(displayWindowFits(2, 2));
    // A switch between stereo and double buffering needs a new window.
    EXPECT_FALSE(displayWindowFits(1, 2));
    EXPECT_FALSE(displayWindowFits(2, 0));
    EXPECT_FALSE(displayWindowFits(2, 1));
}

// glutInit ends the process when no display answers, so ask X first.
bool displayReachable()
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return false;
    XCloseDisplay(display);
    return true;
}

void initGlut()
{
    if (glutGet(GLUT_INIT_STATE)) {
        return;
    }
    int argc = 1;
    char name[] = "display_window_test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
}

// What a run of the set-up after the first one does with StereoView asked for: a
// quad-buffered window where the display gives stereo; otherwise nothing new at all.
TEST(DisplayWindowSwitch, StereoWithoutAStereoVisualKeepsTheOpenWindow)
{
    if (!displayReachable()) GTEST_SKIP() << "no X display";
    initGlut();

    // As after start-up: a double-buffered window with its panels is open and the event
    // loop runs, so this run must return instead of entering the loop.
    viewer = ViewerState{};
    viewer.stereoMode = ViewMode::Mono;
    testing::internal::CaptureStdout();
    // The first run would enter the event loop: stand in for it with the fallback window.
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    viewer.mainWindow = glutCreateWindow("Orvelle<no stereo>");
    viewer.windowMode = WindowMode::DoubleBuffered;
    buildViewerPanels();
    testing::internal::GetCapturedStdout();
    const int startWindow = viewer.mainWindow;
    GLUI* const startPanel = viewer.controlWindow;
    const std::size_t panels = GLUI_Master.windows().size();

    viewer.stereoMode = ViewMode::Stereo;
    testing::internal::CaptureStdout();
    const int mode = openDisplayWindow();
    const std::string out = testing::internal::GetCapturedStdout();

    if (viewer.possible != 0) {
        EXPECT_EQ(out.rfind("\npossible= 1\nStereo OK -- set to quad buffer\n", 0), 0u) << out;
        EXPECT_EQ(mode, 2);
        EXPECT_NE(viewer.mainWindow, startWindow);
        EXPECT_NE(viewer.controlWindow, startPanel);
        return;
    }
    EXPECT_EQ(out, "\npossible= 0\nNo stereo -- set to double buffer\n");
    EXPECT_EQ(mode, 1);
    EXPECT_EQ(viewer.windowMode.raw, mode);
    EXPECT_EQ(viewer.stereoMode, ViewMode::Stereo);  // the choice stays, the window falls back
    EXPECT_EQ(viewer.mainWindow, startWindow);
    EXPECT_EQ(viewer.controlWindow, startPanel);
    EXPECT_EQ(GLUI_Master.windows().size(), panels);

    // However often it is chosen: the same line each time, and nothing new.
    for (int k = 0; k < 20; ++k) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(openDisplayWindow(), 1);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "\npossible= 0\nNo stereo -- set to double buffer\n");
    }
    EXPECT_EQ(viewer.mainWindow, startWindow);
    EXPECT_EQ(GLUI_Master.windows().size(), panels);

    // Back to MonoView, and on to every mode of the double-buffered window: nothing opens.
    for (int stereoMode : {0, 1, 3, 4, 5, 6}) {
        viewer.stereoMode = static_cast<ViewMode>(stereoMode);
        testing::internal::CaptureStdout();
        EXPECT_EQ(openDisplayWindow(), 1);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << stereoMode;
        EXPECT_EQ(viewer.mainWindow, startWindow);
    }
}

// The display window the set-up opens: its place, its size, its buffers and the fixed GL
// state in its context.
TEST(DisplayWindowSwitch, ANewDisplayWindowHasItsBuffersAndState)
{
    if (!displayReachable()) GTEST_SKIP() << "no X display";
    initGlut();

    // A quad-buffered window stands open (as if StereoView had been given), so MonoView
    // needs a new window; this run returns instead of entering the loop.
    viewer = ViewerState{};
    viewer.windowMode = WindowMode::QuadBuffered;
    viewer.stereoMode = ViewMode::Mono;

    testing::internal::CaptureStdout();
    const int mode = openDisplayWindow();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(mode, 1);
    EXPECT_NE(out.find("Stereo buffer off -- set to double buffer\n"), std::string::npos) << out;
    EXPECT_EQ(viewer.windowMode.raw, mode);
    EXPECT_NE(out.find("GLUI version: 2.01\n"), std::string::npos) << out;
    EXPECT_NE(viewer.quadric, nullptr);
    EXPECT_NE(viewer.controlWindow, nullptr);
    EXPECT_NE(viewer.movementWindow, nullptr);

    ASSERT_NE(viewer.mainWindow, 0);
    glutSetWindow(viewer.mainWindow);
    EXPECT_EQ(glutGet(GLUT_WINDOW_WIDTH), 800);
    EXPECT_EQ(glutGet(GLUT_WINDOW_HEIGHT), 600);
    EXPECT_EQ(glutGet(GLUT_WINDOW_DOUBLEBUFFER), 1);
    EXPECT_GT(glutGet(GLUT_WINDOW_DEPTH_SIZE), 0);
    // Row interleaving marks its rows in the stencil buffer.
    EXPECT_GT(glutGet(GLUT_WINDOW_STENCIL_SIZE), 0);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
    EXPECT_TRUE(glIsEnabled(GL_LINE_SMOOTH));
    GLint shadeModel = 0;
    glGetIntegerv(GL_SHADE_MODEL, &shadeModel);
    EXPECT_EQ(shadeModel, GL_SMOOTH);
}

}  // namespace
