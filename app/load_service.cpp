// The timer that serves loads and "Watch file", and the progress line drawn over the picture.
#include "app/load_service.h"

#include <GL/freeglut.h>

#include <chrono>
#include <string>

#include "app/background_load.h"
#include "app/display_window.h"
#include "app/file_list.h"
#include "app/picture_message.h"
#include "app/viewer_state.h"
#include "render/cpu/figure_sizes.h"
#include "render/gl/frame.h"
#include "render/gl/type_text.h"

namespace {

void (*handOverFrame)() = nullptr;

// The progress line in the top left corner, in the colour of the file name and the pictures'
// type: over the data, and in both eyes' buffers.
void drawProgressLine(const std::string& line)
{
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    frameOutput.selectDrawBuffer(GL_BACK);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    TextStyle style;
    style.size = textPixels(PictureScale{static_cast<double>(viewport[3])}, viewer.textSize);
    for (int k = 0; k < 3; ++k) {
        style.colour[k] = 1.0f - viewer.bgColor[k];
    }
    drawTypeText(line, 0.02 * viewport[2], 0.95 * viewport[3], style);
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
    serviceMessages();
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
