// View navigation: keys, arrow keys and mouse drags turn, shift and scale the scene;
// also the reshape and idle callbacks and the reset of the view.
#include "app/navigation.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <utility>

#include "app/display_window.h"
#include "app/file_list.h"
#include "app/idle_pass.h"
#include "app/picture_saving.h"
#include "app/view_motion.h"
#include "app/viewer_state.h"
#include "core/settings_table.h"
#include "core/view_presets.h"
#include "glui/glui.h"
#include "render/cpu/stereo_projection.h"

namespace {

constexpr unsigned char kEscape = 27;
// How long after leaving full screen the stored size and place are asked for at the latest.
constexpr unsigned int kRestoreAfterFullScreenMs = 500;

// Pixel arithmetic in 64 bits, stored back clamped, so that no coordinate the toolkit
// hands over can overflow an int.
int clampToInt(long long value)
{
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

void stepAngle(float& angle, double step)
{
    angle = static_cast<float>(static_cast<double>(angle) + step);
}

void rebuildAngleMat()
{
    buildRotation(viewer.angleX, viewer.angleY, viewer.angleZ, viewer.angleMat);
}

// Rows of the column-ordered matrix: row r holds elements r, r + 4, r + 8, r + 12.
void printMatCur()
{
    const float* m = viewer.matCur;
    std::printf("matCur:\n%lf %lf %lf %lf\n", m[0], m[4], m[8], m[12]);
    for (int row = 1; row < 4; ++row) {
        std::printf("%lf %lf %lf %lf\n", m[row], m[row + 4], m[row + 8], m[row + 12]);
    }
}

// The display window at its stored size and place (the current window).
void restoreWindowPlace()
{
    glutReshapeWindow(viewer.windowWidth, viewer.windowHeight);
    glutPositionWindow(viewer.windowX, viewer.windowY);
}

// A moment after leaving full screen the window has the stored size and place: where
// leaving brought no reshape (the size before it was the stored one), and where a reshape
// still on its way from full screen took the request and the toolkit's own restore of the
// size before full screen came after it (under load).
void restoreIfStillPending(int window)
{
    const bool pending = std::exchange(viewer.restoreWindowPlace, false);
    if (window != viewer.mainWindow) {
        return;
    }
    glutSetWindow(window);
    const bool elsewhere = glutGet(GLUT_WINDOW_WIDTH) != viewer.windowWidth ||
                           glutGet(GLUT_WINDOW_HEIGHT) != viewer.windowHeight;
    if (!glutGet(GLUT_FULL_SCREEN) && (pending || elsewhere)) {
        restoreWindowPlace();
    }
}

}  // namespace

void resetViewValues()
{
    resetViewSettings(viewer, viewer.versions);
    viewer.lastX = 0;
    viewer.lastY = 0;
}

void fitDataToWindow()
{
    double low[3], high[3];
    drawnBox(dataSet, low, high);
    const double ratio = viewer.viewportWidth > 0 && viewer.viewportHeight > 0
                             ? static_cast<double>(viewer.viewportWidth) / viewer.viewportHeight
                             : 0.0;
    const float eyes = drawsTwoEyes(viewer.stereoMode) ? viewer.eyeSeparation : 0.0f;
    fitView(viewer, static_cast<float>(scaleToFitView(low, high, ratio, viewer.focalLength, eyes)));
    if (viewer.rotateControl) {
        // The trackball may be spinning: at rest it stops writing its turn.
        viewer.rotateControl->reset();
    }
}

void resetView()
{
    resetViewValues();
    if (viewer.rotateControl) {
        viewer.rotateControl->reset();
    }
    requestRedisplay();
}

ScreenRequest applyKey(unsigned char key)
{
    ScreenRequest request = ScreenRequest::None;
    switch (key) {
    case kEscape:
    case 'q':
        request = ScreenRequest::LeaveFullScreen;
        break;
    case 'F':
    case 'f':
        request = ScreenRequest::EnterFullScreen;
        break;
    case 'S':
        viewer.scale = static_cast<float>(static_cast<double>(viewer.scale) + kKeyScaleStep);
        break;
    case 's':
        viewer.scale = static_cast<float>(static_cast<double>(viewer.scale) - kKeyScaleStep);
        break;
    case 'X': stepAngle(viewer.angleX, kKeyAngleStep); break;
    case 'x': stepAngle(viewer.angleX, -kKeyAngleStep); break;
    case 'Y': stepAngle(viewer.angleY, kKeyAngleStep); break;
    case 'y': stepAngle(viewer.angleY, -kKeyAngleStep); break;
    case 'Z': stepAngle(viewer.angleZ, kKeyAngleStep); break;
    case 'z': stepAngle(viewer.angleZ, -kKeyAngleStep); break;
    case 'p':
        printMatCur();
        break;
    case '0':
        fitDataToWindow();
        request = ScreenRequest::RestTrackball;
        break;
    case '1':
    case '2':
    case '3':
    case '4':
        applyPresetView(viewer, static_cast<PresetView>(key - '1'));
        request = ScreenRequest::RestTrackball;
        break;
    case 'h':
    case '?':
        viewer.showHelp = viewer.showHelp == 0 ? 1 : 0;
        break;
    case 'w':
        request = ScreenRequest::SavePicture;
        break;
    case 'v':
        request = ScreenRequest::SaveView;
        break;
    default:
        break;
    }
    // Every key, listed or not, leaves the matrix in step with the angles.
    rebuildAngleMat();
    return request;
}

void applyArrow(int key)
{
    float* t = viewer.objTrans;
    switch (key) {
    case GLUT_KEY_LEFT: t[0] = static_cast<float>(static_cast<double>(t[0]) - kArrowStep); break;
    case GLUT_KEY_UP: t[1] = static_cast<float>(static_cast<double>(t[1]) + kArrowStep); break;
    case GLUT_KEY_RIGHT: t[0] = static_cast<float>(static_cast<double>(t[0]) + kArrowStep); break;
    case GLUT_KEY_DOWN: t[1] = static_cast<float>(static_cast<double>(t[1]) - kArrowStep); break;
    default: break;
    }
}

void applyPress(int button, int state, int x, int y, int windowHeight)
{
    if (state == GLUT_DOWN) {
        switch (button) {
        case GLUT_LEFT_BUTTON: viewer.dragMode = DragMode::Turn; break;
        case GLUT_MIDDLE_BUTTON: viewer.dragMode = DragMode::Depth; break;
        case GLUT_RIGHT_BUTTON:
            viewer.dragMode = DragMode::Shift;
            viewer.debugPrint = viewer.debugPrint == 0 ? 1 : 0;
            break;
        default: break;  // wheel and extra buttons keep the last mode
        }
    }
    viewer.lastX = x;
    viewer.lastY = clampToInt(static_cast<long long>(windowHeight) - y);
}

void applyDrag(int x, int y, int windowWidth, int windowHeight)
{
    // A window squeezed to nothing still divides by one pixel's worth, never by zero.
    const float kx = static_cast<float>(std::max(windowWidth, 1) / kDragDivisor);
    const float ky = static_cast<float>(std::max(windowHeight, 1) / kDragDivisor);
    const long long yUp = static_cast<long long>(windowHeight) - y;
    const double dx = static_cast<double>(static_cast<long long>(x) - viewer.lastX);
    const double dy = static_cast<double>(yUp - viewer.lastY);

    switch (viewer.dragMode.get()) {
    case DragMode::Turn:
        viewer.angleX = static_cast<float>(viewer.angleX - dy / ky);
        viewer.angleY = static_cast<float>(viewer.angleY + dx / kx);
        rebuildAngleMat();
        break;
    case DragMode::Depth:
        viewer.objTrans[2] = static_cast<float>(viewer.objTrans[2] + dy / ky);
        break;
    case DragMode::Shift:
        viewer.objTrans[0] = static_cast<float>(viewer.objTrans[0] + dx / kx);
        viewer.objTrans[1] = static_cast<float>(viewer.objTrans[1] + dy / ky);
        break;
    case DragMode::None:
        break;  // no button pressed yet
    }
    viewer.lastX = x;
    viewer.lastY = clampToInt(yUp);
}

void onKeyboard(unsigned char key, int, int)
{
    switch (applyKey(key)) {
    case ScreenRequest::LeaveFullScreen:
        // Always back to the stored size and place, never to the size before full screen.
        // Leaving full screen, the toolkit puts that size back after this callback, over
        // any size asked for here: the stored one is asked for once that reshape comes.
        if (glutGet(GLUT_FULL_SCREEN)) {
            viewer.restoreWindowPlace = true;
            glutLeaveFullScreen();
            glutTimerFunc(kRestoreAfterFullScreenMs, restoreIfStillPending, glutGetWindow());
        } else {
            restoreWindowPlace();
        }
        if (viewer.controlWindow) viewer.controlWindow->show();
        if (viewer.movementWindow) viewer.movementWindow->show();
        break;
    case ScreenRequest::EnterFullScreen:
        if (viewer.controlWindow) viewer.controlWindow->hide();
        if (viewer.movementWindow) viewer.movementWindow->hide();
        // Without a window manager, freeglut's full screen moves the window back by its
        // own offset, taking it for a frame: from the corner it covers the whole screen.
        glutPositionWindow(0, 0);
        glutFullScreen();
        break;
    case ScreenRequest::RestTrackball:
        // The trackball may be spinning: at rest it stops writing its turn.
        if (viewer.rotateControl) viewer.rotateControl->reset();
        break;
    case ScreenRequest::SavePicture:
        requestPictureSave();
        break;
    case ScreenRequest::SaveView:
        saveViewBesideData(shownFilePath());
        break;
    case ScreenRequest::None:
        break;
    }
    noteViewChange();
    requestRedisplay();
}

void onSpecialKey(int key, int, int)
{
    applyArrow(key);
    noteViewChange();
    requestRedisplay();
}

void onMouse(int button, int state, int x, int y)
{
    applyPress(button, state, x, y, glutGet(GLUT_WINDOW_HEIGHT));
    requestRedisplay();
}

void onMotion(int x, int y)
{
    applyDrag(x, y, glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
    noteViewChange();
    requestRedisplay();
}

void onReshape(int, int)
{
    if (std::exchange(viewer.restoreWindowPlace, false)) {
        restoreWindowPlace();
    }
    // The panels are windows of their own, but the viewport still comes from GLUI,
    // which knows what part of the window is free for drawing.
    int x = 0, y = 0, width = 0, height = 0;
    GLUI_Master.get_viewport_area(&x, &y, &width, &height);
    glViewport(x, y, width, height);
    viewer.viewportWidth = width;
    viewer.viewportHeight = height;
    requestRedisplay();
}

void onIdle()
{
    if (viewer.mainWindow != 0 && glutGetWindow() != viewer.mainWindow) {
        glutSetWindow(viewer.mainWindow);
    }
    GLUI_Master.sync_live_all();
    // Whatever changed asked for its own redisplay; this pass only shows the values in the
    // controls, and the loop may sleep until the next change.
    idlePassDone();
}
