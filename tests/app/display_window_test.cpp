// The display window's guard, and a set-up run after the first one on a real display.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <string>

#include "app/display_window.h"
#include "app/viewer_state.h"

// Last: Xlib defines macros (None, Bool) that clash with names in the headers above.
#include <X11/Xlib.h>

// Mesa's driver leaks about 1 KB from a module it unloads before the leak report, so no
// suppression by library name can match it: this window program runs without leak checks.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

namespace {

TEST(DisplayWindowGuard, OpensOnlyWhenTheBufferModeMustChange)
{
    // No window yet (10) fits no view mode, so the first set-up always opens one.
    for (int stereoMode = 0; stereoMode <= 2; ++stereoMode) {
        EXPECT_FALSE(displayWindowFits(10, stereoMode)) << stereoMode;
    }
    // MonoView and Anaglyph share the double-buffered window.
    EXPECT_TRUE(displayWindowFits(1, 0));
    EXPECT_TRUE(displayWindowFits(1, 1));
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

TEST(DisplayWindowSwitch, StereoWithoutAStereoVisualOpensAnotherDoubleBufferedWindow)
{
    if (!displayReachable()) GTEST_SKIP() << "no X display";
    int argc = 1;
    char name[] = "display_window_test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);

    // As after start-up: a double-buffered window is open and the event loop runs,
    // so this run must return instead of entering the loop.
    viewer = ViewerState{};
    viewer.windowMode = WindowMode::DoubleBuffered;
    viewer.stereoMode = ViewMode::Stereo;

    testing::internal::CaptureStdout();
    const int mode = openDisplayWindow();
    const std::string out = testing::internal::GetCapturedStdout();

    if (viewer.possible != 0) {
        EXPECT_EQ(out.rfind("\npossible= 1\nStereo OK -- set to quad buffer\n", 0), 0u) << out;
        EXPECT_EQ(mode, 2);
    } else {
        EXPECT_EQ(out.rfind("\npossible= 0\nNo stereo -- set to double buffer\n", 0), 0u) << out;
        EXPECT_EQ(mode, 1);
        EXPECT_EQ(viewer.stereoMode, ViewMode::Stereo);  // the choice stays, the window falls back
    }
    EXPECT_EQ(viewer.windowMode.raw, mode);
    EXPECT_NE(out.find("GLUI version: 2.01\n"), std::string::npos) << out;
    EXPECT_NE(viewer.quadric, nullptr);
    EXPECT_NE(viewer.controlWindow, nullptr);
    EXPECT_NE(viewer.movementWindow, nullptr);

    // The new display window: its place, its size and the fixed GL state in its context.
    ASSERT_NE(viewer.mainWindow, 0);
    glutSetWindow(viewer.mainWindow);
    EXPECT_EQ(glutGet(GLUT_WINDOW_WIDTH), 800);
    EXPECT_EQ(glutGet(GLUT_WINDOW_HEIGHT), 600);
    EXPECT_EQ(glutGet(GLUT_WINDOW_DOUBLEBUFFER), 1);
    EXPECT_GT(glutGet(GLUT_WINDOW_DEPTH_SIZE), 0);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
    EXPECT_TRUE(glIsEnabled(GL_LINE_SMOOTH));
    GLint shadeModel = 0;
    glGetIntegerv(GL_SHADE_MODEL, &shadeModel);
    EXPECT_EQ(shadeModel, GL_SMOOTH);

    // Back to MonoView from the fallback window: both modes are double-buffered, nothing opens.
    if (mode == 1) {
        const int window = viewer.mainWindow;
        viewer.stereoMode = ViewMode::Mono;
        testing::internal::CaptureStdout();
        EXPECT_EQ(openDisplayWindow(), 1);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_EQ(viewer.mainWindow, window);
    }
}

}  // namespace
