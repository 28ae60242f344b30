// The timer that serves loads and "Watch file", and the progress line drawn over the picture.
#include "app/load_service.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

#include <chrono>
#include <string>

#include "app/background_load.h"
#include "app/display_window.h"
#include "app/file_list.h"
#include "app/viewer_state.h"
#include "render/gl/frame.h"

namespace {

void (*handOverFrame)() = nullptr;

// The progress line in the top left corner, in the colour of the file name: over the data,
// since depth testing is off for it, and in both eyes' buffers.
void drawProgressLine(const std::string& line)
{
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    frameOutput.selectDrawBuffer(GL_BACK);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, 100.0, 0.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(1.0f - viewer.bgColor[0], 1.0f - viewer.bgColor[1], 1.0f - viewer.bgColor[2]);
    glRasterPos2f(2.0f, 95.0f);
    frameOutput.drawText(line.c_str());
    glPopAttrib();
}

void finishFrameWithProgress()
{
    const std::string line = loadProgressLine(std::chrono::steady_clock::now());
    if (!line.empty()) {
        drawProgressLine(line);
    }
    handOverFrame();
}

void serviceTick(int)
{
    // The callbacks of finished loads ask for a redisplay of the display window.
    if (viewer.mainWindow != 0 && glutGetWindow() != viewer.mainWindow) {
        glutSetWindow(viewer.mainWindow);
    }
    serviceLoads();
    serviceFileWatch(std::chrono::steady_clock::now());
    serviceFolderChooser();
    // The progress line moves on even where nothing else asks for a new picture.
    if (loadBusy()) {
        requestRedisplay();
    }
    glutTimerFunc(kLoadServiceMilliseconds, serviceTick, 0);
}

}  // namespace

void startLoadService()
{
    setBackgroundLoads(true);
    if (handOverFrame == nullptr) {
        handOverFrame = frameOutput.finishFrame;
        frameOutput.finishFrame = finishFrameWithProgress;
    }
    glutTimerFunc(kLoadServiceMilliseconds, serviceTick, 0);
}
