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
        const DataColor& c = settings.dataColors[colorIndex];
        setMaterial(c.r, c.g, c.b, c.a);
    }
}

void restoreAmbientMaterial()
{
    const GLfloat openGlDefault[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, openGlDefault);
}

namespace {

// What beginVertexColors changes, to be put back.
struct SavedColorState {
    GLfloat diffuse[4], specular[4], ambient[4];
    GLfloat modelAmbient[4], light0Ambient[4], light1Ambient[4];
    GLfloat current[4];
};
SavedColorState savedColors;

void scaleAmbient(GLenum light, const GLfloat saved[4])
{
    const GLfloat scaled[4] = {kMapAmbient * saved[0], kMapAmbient * saved[1], kMapAmbient * saved[2], saved[3]};
    glLightfv(light, GL_AMBIENT, scaled);
}

}  // namespace

void beginVertexColors()
{
    SavedColorState& s = savedColors;
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, s.diffuse);
    glGetMaterialfv(GL_FRONT, GL_SPECULAR, s.specular);
    glGetMaterialfv(GL_FRONT, GL_AMBIENT, s.ambient);
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, s.modelAmbient);
    glGetLightfv(GL_LIGHT0, GL_AMBIENT, s.light0Ambient);
    glGetLightfv(GL_LIGHT1, GL_AMBIENT, s.light1Ambient);
    glGetFloatv(GL_CURRENT_COLOR, s.current);
    // The vertex colour becomes ambient and diffuse material at once; weakening the ambient
    // light instead gives each vertex the ambient that a step of the map has.
    const GLfloat model[4] = {kMapAmbient * s.modelAmbient[0], kMapAmbient * s.modelAmbient[1],
                              kMapAmbient * s.modelAmbient[2], s.modelAmbient[3]};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, model);
    scaleAmbient(GL_LIGHT0, s.light0Ambient);
    scaleAmbient(GL_LIGHT1, s.light1Ambient);
    const GLfloat specular[4] = {kMapSpecular, kMapSpecular, kMapSpecular, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 60.0f);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
}

void endVertexColors()
{
    const SavedColorState& s = savedColors;
    glDisableClientState(GL_COLOR_ARRAY);
    glDisable(GL_COLOR_MATERIAL);
    glColor4fv(s.current);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, s.diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, s.specular);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, s.ambient);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, s.modelAmbient);
    glLightfv(GL_LIGHT0, GL_AMBIENT, s.light0Ambient);
    glLightfv(GL_LIGHT1, GL_AMBIENT, s.light1Ambient);
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

