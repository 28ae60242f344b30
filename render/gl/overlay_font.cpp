// Text as quads from stb_easy_font, placed and coloured like GLUT's bitmap characters.
#include "render/gl/overlay_font.h"

#include <GL/gl.h>

#include <cstring>
#include <vector>

// The header defines helpers as static functions that this file does not all use.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb_easy_font.h>
#pragma GCC diagnostic pop

namespace {

// Layout of one vertex as stb_easy_font writes it.
struct EasyFontVertex {
    float x, y, z;
    unsigned char colour[4];
};

// The font's baseline lies 7 units below the top of its capitals.
constexpr float kBaseline = 7.0f;

}  // namespace

void drawOverlayText(const char* text)
{
    GLboolean valid = GL_FALSE;
    glGetBooleanv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
    if (!valid || text == nullptr || *text == '\0') {
        return;
    }
    GLfloat position[4];
    GLfloat colour[4];
    GLint viewport[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
    glGetFloatv(GL_CURRENT_RASTER_COLOR, colour);
    glGetIntegerv(GL_VIEWPORT, viewport);

    // About 270 bytes of vertices per character at most.
    std::vector<char> vertices(std::strlen(text) * 300 + 64);
    const int quads = stb_easy_font_print(0.0f, 0.0f, const_cast<char*>(text), nullptr, vertices.data(),
                                          static_cast<int>(vertices.size()));

    glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    // Window coordinates map onto themselves; depth as at the raster position.
    glOrtho(viewport[0], viewport[0] + viewport[2], viewport[1], viewport[1] + viewport[3], -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    const float depth = -(2.0f * position[2] - 1.0f);
    const EasyFontVertex* v = reinterpret_cast<const EasyFontVertex*>(vertices.data());
    glColor4fv(colour);
    glBegin(GL_QUADS);
    for (int k = 0; k < quads * 4; ++k) {
        glVertex3f(position[0] + v[k].x * kOverlayFontScale, position[1] + (kBaseline - v[k].y) * kOverlayFontScale,
                   depth);
    }
    glEnd();

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}
