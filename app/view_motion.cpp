// The view's motion from the times of its changes, and the one redisplay that draws the
// picture at rest.
#include "app/view_motion.h"

#include <GL/freeglut.h>

#include <chrono>

#include "app/picture_saving.h"
#include "app/viewer_state.h"

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point lastChange;
bool settleTimerSet = false;
bool lastFrameAtRest = true;

double secondsSinceLastChange()
{
    return std::chrono::duration<double>(Clock::now() - lastChange).count();
}

bool viewResting()
{
    return secondsSinceLastChange() >= kSettleSeconds;
}

// Runs when the view may have come to rest: then the picture at rest is drawn; a change
// since moved the rest on, and the timer waits for that.
void onSettleTimer(int)
{
    settleTimerSet = false;
    const double resting = secondsSinceLastChange();
    if (resting >= kSettleSeconds) {
        if (viewer.mainWindow != 0 && !lastFrameAtRest) {
            glutPostWindowRedisplay(viewer.mainWindow);
        }
        return;
    }
    settleTimerSet = true;
    glutTimerFunc(static_cast<unsigned>((kSettleSeconds - resting) * 1000.0) + 1, onSettleTimer, 0);
}

}  // namespace

void noteViewChange()
{
    lastChange = Clock::now();
    // The frame drawn for a change is lighter or unsmoothed: the picture at rest follows when
    // the changes stop (the toolkit's timers run only while its loop does).
    const bool restDiffers = viewer.lighterWhileMoving != 0 || viewer.smoothEdges != 0;
    if (!settleTimerSet && restDiffers && glutGet(GLUT_INIT_STATE) && glutGetWindow() != 0) {
        settleTimerSet = true;
        glutTimerFunc(static_cast<unsigned>(kSettleSeconds * 1000.0) + 1, onSettleTimer, 0);
    }
}

bool viewMoving()
{
    return viewer.lighterWhileMoving != 0 && !viewResting();
}

int smoothSamplesOfNextFrame()
{
    if (viewer.smoothEdges == 0) {
        return 1;
    }
    return viewResting() || pictureSaveRequested() ? kRestSamples : 1;
}

void noteFrameDrawn(bool lighter, int smoothSamples)
{
    lastFrameAtRest = !lighter && (smoothSamples > 1 || viewer.smoothEdges == 0);
}
