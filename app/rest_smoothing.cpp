// The smoothed picture at rest, asked for by a timer that a later frame makes void.
#include "app/rest_smoothing.h"

#include <GL/freeglut.h>

#include "app/picture_saving.h"
#include "app/viewer_state.h"

namespace {

// Display callbacks so far: the timer of a frame finds out whether another came since.
int framesDrawn = 0;
bool restReached = false;

void restTimer(int frame)
{
    if (frame != framesDrawn || viewer.mainWindow == 0) {
        return;  // the scene changed since: its own frame asked for a timer of its own
    }
    restReached = true;
    glutPostWindowRedisplay(viewer.mainWindow);
}

}  // namespace

int smoothSamplesOfNextFrame()
{
    if (!viewer.smoothEdges) {
        return 1;
    }
    return restReached || pictureSaveRequested() ? kRestSamples : 1;
}

void frameDrawn(int smoothSamples, bool complete)
{
    ++framesDrawn;
    if (!complete) {
        return;  // a slice: the frame goes on as it began
    }
    if (smoothSamples > 1) {
        restReached = false;
    } else if (viewer.smoothEdges) {
        glutTimerFunc(kRestMilliseconds, restTimer, framesDrawn);
    }
}
