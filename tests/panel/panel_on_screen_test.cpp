// "Control Display" drawn on a real screen by the event loop: with every section open it keeps
// its width and ends at the screen's bottom edge, the controls below it scrolled to.
#include <gtest/gtest.h>

#include <GL/freeglut.h>
#include <unistd.h>

#include <cstdlib>

#include "app/display_window.h"
#include "app/viewer_state.h"
#include "glui/glui.h"
#include "glui/panel_view.h"

namespace {

// Runs the toolkit's events until the window has drawn and kept its size for a while.
void settleWindow(int window)
{
    int lastW = -1, lastH = -1, stable = 0;
    for (int pass = 0; pass < 4000 && stable < 20; ++pass) {
        glutMainLoopEvent();
        glutSetWindow(window);
        const int w = glutGet(GLUT_WINDOW_WIDTH), h = glutGet(GLUT_WINDOW_HEIGHT);
        stable = w == lastW && h == lastH ? stable + 1 : 0;
        lastW = w;
        lastH = h;
        usleep(5000);
    }
}

void openEveryRollout(GLUI_Control* parent)
{
    for (const auto& child : parent->children()) {
        if (child->kind() == GLUI_Kind::Rollout)
            static_cast<GLUI_Rollout*>(child.get())->open();
        openEveryRollout(child.get());
    }
}

GLUI_Control* findButton(GLUI_Control* parent, const char* name)
{
    for (const auto& child : parent->children()) {
        if (child->kind() == GLUI_Kind::Button && child->name() == name)
            return child.get();
        if (GLUI_Control* found = findButton(child.get(), name))
            return found;
    }
    return nullptr;
}

TEST(PanelOnScreen, ControlDisplayKeepsItsWidthAndStaysOnTheScreenWithEverySectionOpen)
{
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        GTEST_SKIP() << "needs an X display";
    int argc = 1;
    char name[] = "panel_on_screen_test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(200, 150);
    viewer.mainWindow = glutCreateWindow("panel on screen display");
    glutDisplayFunc([] { glutSwapBuffers(); });
    buildViewerPanels();

    GLUI* panel = viewer.controlWindow;
    settleWindow(panel->glut_window());
    const int width = glutGet(GLUT_WINDOW_WIDTH);
    const int top = glutGet(GLUT_WINDOW_Y), screen = glutGet(GLUT_SCREEN_HEIGHT);

    openEveryRollout(panel->main_panel());
    panel->request_redraw();
    settleWindow(panel->glut_window());
    EXPECT_EQ(glutGet(GLUT_WINDOW_WIDTH), width);
    EXPECT_LE(glutGet(GLUT_WINDOW_HEIGHT), screen - top);
    // What the screen cannot hold scrolls: "Quit" lies below the window's bottom edge, to be
    // reached with the wheel or the scroll bar.
    GLUI_Control* quit = findButton(panel->main_panel(), "Quit");
    ASSERT_NE(quit, nullptr);
    ASSERT_GT(panel->view()->drawnAt.count(quit), 0u);
    EXPECT_GT(panel->view()->drawnAt.at(quit).y1, glutGet(GLUT_WINDOW_HEIGHT));
}

}  // namespace
