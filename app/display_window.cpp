// Start-up of the display window: buffer mode, callbacks, GL state, panels, event loop.
// Runs once from main and again whenever the view mode needs another buffer mode.
#include "app/display_window.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

#include <cstdio>
#include <string>

#include "app/control_actions.h"
#include "app/file_list.h"
#include "app/idle_pass.h"
#include "app/navigation.h"
#include "app/picture_saving.h"
#include "app/view_motion.h"
#include "app/viewer_state.h"
#include "core/user_message.h"
#include "glui/glui.h"
#include "panel/control_panel.h"
#include "render/gl/chunked_drawing.h"
#include "render/gl/drawing_policy.h"
#include "render/gl/frame.h"
#include "render/gl/scene_parts.h"

namespace {

// Quad-buffered stereo with a depth buffer, since every window draws with depth testing.
constexpr unsigned int kStereoRequest = GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH | GLUT_STEREO;
// The double-buffered window with a stencil buffer, which row interleaving marks its rows
// in; without the stencil where the display cannot give it (interleaving then blocks rows
// in the depth buffer instead).
constexpr unsigned int kFallbackRequest = GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH | GLUT_STENCIL;
constexpr unsigned int kPlainFallbackRequest = GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH;

// A frame that takes longer is drawn over several display callbacks, so that the panels
// keep reacting while a big data set is drawn; while a panel answers a click (over a few of
// its own frames, each waiting for a slice to end) the slices are shorter still.
constexpr double kFrameSliceSeconds = 0.1;
constexpr double kAnsweringSliceSeconds = 0.02;

// Creating a window with a mode the display cannot give ends the process inside the
// toolkit, so the answer to the stereo request decides which request is made.
void createWindow()
{
    if (viewer.possible != 0 && viewer.stereoMode == ViewMode::Stereo) {
        std::printf("Stereo OK -- set to quad buffer\n");
        viewer.mainWindow = glutCreateWindow("Orvelle<stereo>");
        viewer.windowMode = WindowMode::QuadBuffered;
        return;
    }
    if (viewer.stereoMode.raw < static_cast<int>(ViewMode::Stereo)) {
        std::printf("Stereo buffer off -- set to double buffer\n");
    } else {
        tellUser("No stereo -- set to double buffer\n");
    }
    glutInitDisplayMode(kFallbackRequest);
    if (!glutGet(GLUT_DISPLAY_MODE_POSSIBLE)) {
        glutInitDisplayMode(kPlainFallbackRequest);
    }
    viewer.mainWindow = glutCreateWindow("Orvelle<no stereo>");
    viewer.windowMode = WindowMode::DoubleBuffered;
}

void onWindowMoved(int, int)
{
    requestRedisplay();
}

void displayInSlices()
{
    setFrameSliceBudget(GLUI_Master.answering_input() ? kAnsweringSliceSeconds : kFrameSliceSeconds);
    displayViewerFrame(smoothSamplesOfNextFrame());
}

// Acts on the current window, which is the display window right after its creation.
void wireCallbacks()
{
    glutDisplayFunc(displayInSlices);
    GLUI_Master.set_glutReshapeFunc(onReshape);
    GLUI_Master.set_glutKeyboardFunc(onKeyboard);
    GLUI_Master.set_glutSpecialFunc(onSpecialKey);
    GLUI_Master.set_glutMouseFunc(onMouse);
    glutMotionFunc(onMotion);
    // Row interleaving depends on where the window stands: a move must redraw it.
    glutPositionFunc(onWindowMoved);
}

// A control's user change has written a setting: what is built from it is out of date,
// and the picture may show it (the panel window is the current one here).
void liveVariableChanged(void* field)
{
    settingChanged(field);
    // The box with ticks is one of the axes' styles: choosing it asks to see the axes.
    if (field == &viewer.axesStyle.raw && viewer.axesStyle == AxesStyle::Box) {
        viewer.showAxes = 1;
    }
    noteViewChange();
    if (viewer.mainWindow != 0) {
        glutPostWindowRedisplay(viewer.mainWindow);
        wakeIdlePass();
    }
}

}  // namespace

void buildViewerPanels()
{
    GLUI_Master.set_live_change_func(liveVariableChanged);
    PanelWiring wiring;
    wiring.action = controlAction;
    wiring.mainWindow = viewer.mainWindow;
    const char* folder = getCurrentFolder();
    wiring.startFolder = folder ? folder : "";
    wiring.fileFilter = viewer.fileFilter;
    wiring.listFiles = refreshFileList;
    wiring.chosenListItem = &viewer.chosen_listitem;
    buildControlPanel(viewer, viewer, wiring);
    updateColorControls();
}

bool displayWindowFits(int windowMode, int stereoMode)
{
    // Every view mode but StereoView draws into the double-buffered window.
    const bool quadBuffered = windowMode == static_cast<int>(WindowMode::QuadBuffered);
    const bool doubleBuffered = windowMode == static_cast<int>(WindowMode::DoubleBuffered);
    return needsQuadBuffer(static_cast<ViewMode>(stereoMode)) ? quadBuffered : doubleBuffered;
}

void requestRedisplay()
{
    // The actions and the loads also run without any window (tools, tests), where the
    // toolkit must not be asked for a redisplay.
    if (glutGet(GLUT_INIT_STATE) && glutGetWindow() != 0) {
        glutPostRedisplay();
        wakeIdlePass();
    }
}

int openDisplayWindow()
{
    if (displayWindowFits(viewer.windowMode.raw, viewer.stereoMode.raw)) {
        return viewer.windowMode.raw;
    }
    // Only the very first window starts the event loop; later ones join the running loop.
    const bool firstRun = viewer.windowMode == WindowMode::NoWindowYet;

    glutInitDisplayMode(kStereoRequest);
    glutInitWindowPosition(viewer.windowX, viewer.windowY);
    glutInitWindowSize(viewer.windowWidth, viewer.windowHeight);
    viewer.possible = glutGet(GLUT_DISPLAY_MODE_POSSIBLE);
    std::printf("\npossible= %d\n", viewer.possible);
    // Another double-buffered window would serve StereoView no better than the open one:
    // it stays, and every later choice of StereoView finds it again.
    if (!firstRun && viewer.possible == 0 && needsQuadBuffer(viewer.stereoMode) &&
        viewer.windowMode == WindowMode::DoubleBuffered) {
        tellUser("No stereo -- set to double buffer\n");
        glutInitDisplayMode(kFallbackRequest);
        return viewer.windowMode.raw;
    }

    createWindow();
    wireCallbacks();
    // A picture asked for is read back just before the swap that shows it.
    frameOutput.finishFrame = finishViewerFrame;
    setFrameSliceBudget(kFrameSliceSeconds);
    // The two lights, depth test, normalised normals, smooth lines and shading: the same
    // set-up as every picture drawn without a window.
    setUpDisplayState(viewer);
    // The panel opens windows of its own, so it comes after everything that acts on
    // the display window as the current window.
    buildViewerPanels();
    // A quadric holds no GL objects, so the one of an earlier window can go.
    if (viewer.quadric) {
        gluDeleteQuadric(viewer.quadric);
    }
    viewer.quadric = gluNewQuadric();
    wakeIdlePass();

    if (firstRun) {
        std::string drawingError;
        displayState.drawing = drawingPathFromEnvironment(drawingError);
        if (!drawingError.empty()) {
            std::printf("%s\n", drawingError.c_str());
        }
        glutMainLoop();
    }
    return viewer.windowMode.raw;
}
