// The progress of a frame drawn in slices, the choice made when the view changes under it,
// and the small overlay that shows it.
#include "render/gl/frame_progress.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "render/gl/type_text.h"

bool finishBeforeChange(double doneFraction, double lastFrameSeconds, bool restarted)
{
    return doneFraction >= 0.5 || lastFrameSeconds <= kShowProgressAfter || restarted;
}

double sliceFraction(std::size_t drawn, std::size_t met)
{
    if (met == 0) {
        return 0.0;
    }
    return std::min(1.0, static_cast<double>(drawn) / static_cast<double>(std::max(met, drawn + 1)));
}

namespace {

// The last slow frame's picture, RGBA rows from the bottom.
struct ShownPicture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgba;
};
ShownPicture shown;

}  // namespace

void keepShownPicture(int width, int height)
{
    if (width <= 0 || height <= 0) {
        return;
    }
    shown.width = width;
    shown.height = height;
    shown.rgba.resize(static_cast<std::size_t>(width) * height * 4);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, shown.rgba.data());
    glPopClientAttrib();
}

void drawProgressOverlay(double fraction, int width, int height, const float background[4], double textSize)
{
    if (width <= 0 || height <= 0) {
        return;
    }
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_TRANSFORM_BIT | GL_VIEWPORT_BIT |
                 GL_DEPTH_BUFFER_BIT);
    glDrawBuffer(GL_FRONT);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0.0, width, 0.0, height);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    // The front buffer holds no copy of what the screen shows: it is drawn again.
    if (shown.width == width && shown.height == height) {
        glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glRasterPos2i(0, 0);
        glDrawPixels(width, height, GL_RGBA, GL_UNSIGNED_BYTE, shown.rgba.data());
        glPopClientAttrib();
    } else {
        glClearColor(background[0], background[1], background[2], background[3]);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    // A bar nine ems wide at the lower right, the words to its left.
    const double em = textSize;
    const int barWidth = std::min(static_cast<int>(9 * em), width / 3), barHeight = static_cast<int>(0.75 * em);
    const int margin = static_cast<int>(0.6 * em);
    const int x1 = width - margin, x0 = x1 - barWidth, y0 = margin, y1 = y0 + barHeight;
    const int filled = x0 + static_cast<int>(std::clamp(fraction, 0.0, 1.0) * barWidth);
    glColor3f(0.25f, 0.25f, 0.25f);
    glRecti(x0 - 1, y0 - 1, x1 + 1, y1 + 1);
    glColor3f(0.95f, 0.95f, 0.95f);
    glRecti(x0, y0, x1, y1);
    glColor3f(0.2f, 0.45f, 0.9f);
    glRecti(x0, y0, filled, y1);
    char text[32];
    std::snprintf(text, sizeof text, "Drawing %d%%", static_cast<int>(fraction * 100.0));
    TextStyle style;
    style.size = em;
    style.colour[0] = style.colour[1] = style.colour[2] = 0.25f;
    style.anchor = TextAnchor::Right;
    drawTypeText(text, x0 - 0.6 * em, y0, style);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
    glFlush();
}
