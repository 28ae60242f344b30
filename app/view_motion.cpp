// The view's motion from the times of its changes, and the one redisplay that draws the full
// picture once it rests.
#include "app/view_motion.h"

#include <GL/freeglut.h>

#include "app/viewer_state.h"

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point lastChange;
bool settleTimerSet = false;
bool lastFrameLighter = false;

double secondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

// Runs when the view may have come to rest: then the full picture is drawn; a change since
// moved the rest on, and the timer waits for that.
void onSettleTimer(int)
{
    settleTimerSet = false;
    const double resting = secondsBetween(lastChange, Clock::now());
    if (resting >= kSettleSeconds) {
        if (viewer.mainWindow != 0 && lastFrameLighter) {
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
    // The frame drawn for a change is the lighter picture: the full one follows when the
    // changes stop (the toolkit's timers run only while its loop does).
    if (!settleTimerSet && viewer.lighterWhileMoving != 0 && glutGet(GLUT_INIT_STATE) && glutGetWindow() != 0) {
        settleTimerSet = true;
        glutTimerFunc(static_cast<unsigned>(kSettleSeconds * 1000.0) + 1, onSettleTimer, 0);
    }
}

void noteFrameDrawn(bool lighter)
{
    lastFrameLighter = lighter;
}

bool viewMoving()
{
    return viewer.lighterWhileMoving != 0 && secondsBetween(lastChange, Clock::now()) < kSettleSeconds;
}
