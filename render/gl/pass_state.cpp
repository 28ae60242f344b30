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
    if (colorIndex >= kPaletteFirst) {
        const Rgb c = paletteColor(settings.colorMap, colorIndex);
        const float r = static_cast<float>(c.r), g = static_cast<float>(c.g), b = static_cast<float>(c.b);
        setMaterial(r, g, b, 1.0f);
        // The lights' white ambient would wash every step of the map out towards grey: a
        // little of the colour itself stands in for it, so that lit faces show the colours
        // of the colour bar.
        const GLfloat ambient[4] = {kMapAmbient * r, kMapAmbient * g, kMapAmbient * b, 1.0f};
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    } else if (colorIndex >= 0) {
        const DataColor c = groupColor(settings, colorIndex);
        setMaterial(c.r, c.g, c.b, c.a);
    }
}

void restoreAmbientMaterial()
{
    const GLfloat openGlDefault[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, openGlDefault);
}

namespace {

// The current colour before the vertex colours: the lighting group does not hold it, and the
// current group would also take back the normal that the drawing leaves.
GLfloat colorBefore[4];

void scaleAmbient(GLenum light)
{
    GLfloat ambient[4];
    glGetLightfv(light, GL_AMBIENT, ambient);
    const GLfloat scaled[4] = {kMapAmbient * ambient[0], kMapAmbient * ambient[1], kMapAmbient * ambient[2],
                               ambient[3]};
    glLightfv(light, GL_AMBIENT, scaled);
}

}  // namespace

void beginVertexColors()
{
    // The lighting group holds the materials, the lights, the light model and the colour
    // material.
    glPushAttrib(GL_LIGHTING_BIT);
    glGetFloatv(GL_CURRENT_COLOR, colorBefore);
    // The vertex colour becomes ambient and diffuse material at once; weakening the ambient
    // light instead gives each vertex the ambient that a step of the map has.
    GLfloat model[4];
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, model);
    const GLfloat scaled[4] = {kMapAmbient * model[0], kMapAmbient * model[1], kMapAmbient * model[2], model[3]};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, scaled);
    scaleAmbient(GL_LIGHT0);
    scaleAmbient(GL_LIGHT1);
    const GLfloat specular[4] = {kMapSpecular, kMapSpecular, kMapSpecular, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 60.0f);
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

