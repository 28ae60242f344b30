// The state of a pass that the drawing from kept arrays reads and leaves.
#include "render/gl/pass_state.h"

#include <GL/gl.h>

#include "core/matrix_math.h"
#include "core/value_colors.h"
#include "render/gl/chunked_drawing.h"
#include "render/gl/row_interleave.h"
#include "render/gl/scene_parts.h"

namespace {

// The pixels (and normals) on window rows of parity only, for a pass of a row-interleaved
// frame: the other rows are the other eye's, and would only be lit to be thrown away.
std::vector<float> keptPixels, keptNormals;

void keepRowsOf(int parity, int viewportY, const std::vector<float>& pixels, const float* normals)
{
    keptPixels.clear();
    keptNormals.clear();
    for (std::size_t k = 0; k + 2 < pixels.size(); k += 3) {
        const long long row = viewportY + static_cast<long long>(pixels[k + 1]);
        if ((row & 1) == parity) {
            keptPixels.insert(keptPixels.end(), &pixels[k], &pixels[k] + 3);
            if (normals != nullptr) {
                keptNormals.insert(keptNormals.end(), normals + k, normals + k + 3);
            }
        }
    }
}

}  // namespace

PassTransform currentTransform()
{
    PassTransform t;
    glGetFloatv(GL_MODELVIEW_MATRIX, t.modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, t.projection);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    for (int k = 0; k < 4; ++k) {
        t.viewport[k] = viewport[k];
    }
    return t;
}

void useGroupMaterial(const Settings& settings, int colorIndex)
{
    if (colorIndex < 0) {
        return;
    }
    const bool ownColors = viewModeKeepsColors(settings.stereoMode) && settings.colorBy != ColorBy::Eye;
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 1.0f;
    if (colorIndex >= kPaletteFirst) {
        const Rgb c = paletteColor(settings.colorMap, colorIndex);
        r = static_cast<float>(c.r), g = static_cast<float>(c.g), b = static_cast<float>(c.b);
    } else {
        const DataColor c = groupColor(settings, colorIndex);
        r = c.r, g = c.g, b = c.b, a = c.a;
    }
    setMaterial(r, g, b, a);
    if (ownColors) {
        const GLfloat ambient[4] = {r, g, b, 1.0f};
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    }
}

namespace {

// The current colour before the vertex colours: the lighting group does not hold it, and the
// current group would also take back the normal that the drawing leaves.
GLfloat colorBefore[4];

// A light's diffuse colour as white of the same luminance.
void whiten(GLenum light)
{
    GLfloat diffuse[4];
    glGetLightfv(light, GL_DIFFUSE, diffuse);
    const GLfloat grey = 0.2126f * diffuse[0] + 0.7152f * diffuse[1] + 0.0722f * diffuse[2];
    const GLfloat white[4] = {grey, grey, grey, diffuse[3]};
    glLightfv(light, GL_DIFFUSE, white);
    const GLfloat none[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glLightfv(light, GL_AMBIENT, none);
}

}  // namespace

void beginTrueColorLights()
{
    // The lighting group holds the lights, the light model and the materials.
    glPushAttrib(GL_LIGHTING_BIT);
    whiten(GL_LIGHT0);
    whiten(GL_LIGHT1);
    const GLfloat ambient[4] = {kColorAmbient, kColorAmbient, kColorAmbient, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
}

void endTrueColorLights()
{
    glPopAttrib();
}

void beginVertexColors()
{
    glPushAttrib(GL_LIGHTING_BIT);
    glGetFloatv(GL_CURRENT_COLOR, colorBefore);
    const GLfloat specular[4] = {kMapSpecular, kMapSpecular, kMapSpecular, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 60.0f);
    // The vertex colour becomes ambient and diffuse material at once.
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
}

void endVertexColors()
{
    glDisableClientState(GL_COLOR_ARRAY);
    glPopAttrib();
    glColor4fv(colorBefore);
}

void vertexColorArray(const std::vector<std::uint8_t>& colors, std::size_t firstVertex)
{
    if (colors.empty()) {
        glDisableClientState(GL_COLOR_ARRAY);
        return;
    }
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, &colors[firstVertex * 4]);
}

void leaveStateAsDrawn(const Settings& settings, const GeometryCache& cache)
{
    useGroupMaterial(settings, cache.lastColorIndex);
    if (cache.leavesNormal) {
        glNormal3fv(cache.lastNormal);
    }
}

void drawSplattedPixels(const PassTransform& t, const std::vector<float>& allPixels, const float* allNormals)
{
    const int rowParity = keptRowParity();
    if (rowParity >= 0) {
        keepRowsOf(rowParity, t.viewport[1], allPixels, allNormals);
    }
    const std::vector<float>& pixels = rowParity >= 0 ? keptPixels : allPixels;
    const float* normals = rowParity >= 0 && allNormals != nullptr ? keptNormals.data() : allNormals;
    const double w = t.viewport[2], h = t.viewport[3];
    const double windowToClip[16] = {2.0 / w, 0, 0, 0, 0, 2.0 / h, 0, 0, 0, 0, 1, 0, -1, -1, 0, 1};
    double inverse[16];
    affineInverse(t.modelview, inverse);  // the caller made sure that there is one
    double projection[16];
    multiplyMatrices(windowToClip, inverse, projection);
    GLfloat size = 1.0f;
    glGetFloatv(GL_POINT_SIZE, &size);
    const GLboolean smooth = glIsEnabled(GL_POINT_SMOOTH);
    glDisable(GL_POINT_SMOOTH);
    glPointSize(1.0f);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadMatrixd(projection);
    glMatrixMode(GL_MODELVIEW);
    glVertexPointer(3, GL_FLOAT, 0, pixels.data());
    if (normals != nullptr) {
        glNormalPointer(GL_FLOAT, 0, normals);
    }
    drawArraysChunked(GL_POINTS, 0, pixels.size() / 3, 1);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPointSize(size);
    if (smooth) {
        glEnable(GL_POINT_SMOOTH);
    }
}

