// Tubes as finished pixels: the pass's lighting and materials read from OpenGL, the tubes
// rasterised on the processor in steps (each a chunk of a frame drawn in slices), and the
// covered pixels handed over as unlit points of their own colours.
#include "render/gl/tube_pixels.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "core/matrix_math.h"
#include "render/cpu/tube_raster.h"
#include "render/gl/chunked_drawing.h"
#include "render/gl/pass_state.h"

namespace {

void normalise(float v[3])
{
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 0.0f) {
        for (int k = 0; k < 3; ++k) {
            v[k] /= length;
        }
    }
}

void readMaterial(Material& m)
{
    glGetMaterialfv(GL_FRONT, GL_AMBIENT, m.ambient);
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, m.diffuse);
    glGetMaterialfv(GL_FRONT, GL_SPECULAR, m.specular);
    glGetMaterialfv(GL_FRONT, GL_EMISSION, m.emission);
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &m.shininess);
}

// The normals' way from the model into eye coordinates: the model-view's inverse, transposed.
bool normalToEye(const float modelview[16], float out[9])
{
    double inverse[16];
    if (!affineInverse(modelview, inverse)) {
        return false;
    }
    for (int column = 0; column < 3; ++column) {
        for (int row = 0; row < 3; ++row) {
            out[column * 3 + row] = static_cast<float>(inverse[row * 4 + column]);
        }
    }
    return true;
}

// The shading of this pass's tubes: the lighting, and each colour group's material as the
// drawing of triangles would set it.
bool readShading(const DrawContext& c, const GeometryCache& cache, TubeShading& shading)
{
    if (!readFixedLighting(shading.lighting)) {
        return false;
    }
    float modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    if (!normalToEye(modelview, shading.normalToEye)) {
        return false;
    }
    shading.groups = &cache.groups;
    shading.materials.resize(cache.groups.size());
    for (std::size_t g = 0; g < cache.groups.size(); ++g) {
        useGroupMaterial(c.settings, cache.groups[g].colorIndex);
        readMaterial(shading.materials[g]);
    }
    shading.vertexColors = vertexColors(cache.range) ? &cache.range : nullptr;
    return true;
}

// The pixels of this pass: rasterised now, or kept from an earlier slice of the same frame.
// The rasterising goes in steps, each a chunk of the frame; null while it is unfinished
// (the slice has stopped in it, and draws nothing more).
const TubePixels* pixelsThisPass(const TubeSet& set, const FaceCulling& culling, const TubeShading& shading)
{
    static KeptPassWork<TubePixels> kept;
    static TubeRaster raster;
    static SliceWork rasterBegun;
    TubePixels& out = kept.result();
    if (kept.foundBefore()) {
        return &out;
    }
    if (frameSliceStopped()) {
        return nullptr;
    }
    if (!rasterBegun.reusable()) {
        raster.begin(set, culling, shading);
        rasterBegun.done();
    }
    if (!runChunkedSteps(raster.steps(), [&](std::size_t k) { raster.step(k); })) {
        return nullptr;
    }
    raster.finish(out);
    kept.found(raster.steps());
    return &out;
}

// The covered pixels as points of one pixel at their depths, in their own colours: the
// projection takes window positions to clip coordinates, and nothing is lit.
void handOverPixels(const TubePixels& found)
{
    if (found.size() == 0) {
        return;
    }
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const double w = viewport[2], h = viewport[3];
    const double windowToClip[16] = {2.0 / w, 0, 0, 0, 0, 2.0 / h, 0, 0, 0, 0, 1, 0, -1, -1, 0, 1};
    glPushAttrib(GL_ENABLE_BIT | GL_POINT_BIT | GL_CURRENT_BIT);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_POINT_SMOOTH);
    glPointSize(1.0f);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadMatrixd(windowToClip);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, found.pixels.data());
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, found.colors.data());
    drawArraysChunked(GL_POINTS, 0, found.size(), 1);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopClientAttrib();
    glPopAttrib();
}

// The tubes left to the renderer, whole, in their groups' materials: one chunk.
void drawWholeTubes(const DrawContext& c, const GeometryCache& cache, const std::vector<std::uint32_t>& tubes)
{
    if (tubes.empty() || chunkSkipped()) {
        return;
    }
    static MeshArrays mesh;
    const TubeRing ring = tubeRing(c.settings.segments);
    const bool colored = vertexColors(cache.range);
    std::size_t g = 0;
    for (std::size_t k = 0; k < tubes.size();) {
        while (g + 1 < cache.groups.size() && tubes[k] >= cache.groups[g].first + cache.groups[g].count) {
            ++g;
        }
        const std::size_t groupEnd = cache.groups[g].first + cache.groups[g].count;
        mesh.positions.clear();
        mesh.normals.clear();
        mesh.colors.clear();
        mesh.indices.clear();
        mesh.tubeStarts.clear();
        for (; k < tubes.size() && (tubes[k] < groupEnd || g + 1 == cache.groups.size()); ++k) {
            Point3d a, b;
            tubeSegmentEnds(c.data, cache.tubes[tubes[k]], a, b);
            const std::size_t firstVertex = mesh.vertexCount();
            appendTube(ring, a, b, c.settings.thickness, mesh);
            if (colored) {
                colorTubeEnds(cache.range, cache.tubes[tubes[k]], a, b, firstVertex, mesh);
            }
        }
        useGroupMaterial(c.settings, cache.groups[g].colorIndex);
        glVertexPointer(3, GL_FLOAT, 0, mesh.positions.data());
        glNormalPointer(GL_FLOAT, 0, mesh.normals.data());
        vertexColorArray(mesh.colors);
        drawElementsChunked(GL_TRIANGLES, mesh.indices.data(), mesh.indices.size(), 3, false);
    }
    chunkDrawn();
}

}  // namespace

bool readFixedLighting(FixedLighting& out)
{
    GLint shadeModel = GL_SMOOTH, depthFunc = GL_LESS, localViewer = 0, twoSide = 0;
    GLint colorControl = GL_SINGLE_COLOR;
    glGetIntegerv(GL_SHADE_MODEL, &shadeModel);
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    glGetIntegerv(GL_LIGHT_MODEL_LOCAL_VIEWER, &localViewer);
    glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &twoSide);
    glGetIntegerv(GL_LIGHT_MODEL_COLOR_CONTROL, &colorControl);
    if (!glIsEnabled(GL_LIGHTING) || !glIsEnabled(GL_NORMALIZE) || glIsEnabled(GL_FOG) ||
        glIsEnabled(GL_TEXTURE_1D) || glIsEnabled(GL_TEXTURE_2D) || shadeModel != GL_SMOOTH ||
        depthFunc != GL_LESS || localViewer != 0 || twoSide != 0 || colorControl != GL_SINGLE_COLOR) {
        return false;
    }
    out.colorMaterial = glIsEnabled(GL_COLOR_MATERIAL) == GL_TRUE;
    if (out.colorMaterial) {
        GLint parameter = 0, face = 0;
        glGetIntegerv(GL_COLOR_MATERIAL_PARAMETER, &parameter);
        glGetIntegerv(GL_COLOR_MATERIAL_FACE, &face);
        if (parameter != GL_AMBIENT_AND_DIFFUSE || face == GL_BACK) {
            return false;
        }
    }
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, out.modelAmbient);
    out.lightCount = 0;
    for (int i = 0; i < kMostLights; ++i) {
        const GLenum light = GL_LIGHT0 + static_cast<GLenum>(i);
        if (!glIsEnabled(light)) {
            continue;
        }
        LightTerms& l = out.lights[out.lightCount++];
        float position[4], cutoff = 180.0f;
        glGetLightfv(light, GL_POSITION, position);
        glGetLightfv(light, GL_SPOT_CUTOFF, &cutoff);
        if (position[3] != 0.0f || cutoff != 180.0f) {
            return false;
        }
        glGetLightfv(light, GL_AMBIENT, l.ambient);
        glGetLightfv(light, GL_DIFFUSE, l.diffuse);
        glGetLightfv(light, GL_SPECULAR, l.specular);
        std::copy(position, position + 3, l.direction);
        normalise(l.direction);
        const float halfway[3] = {l.direction[0], l.direction[1], l.direction[2] + 1.0f};
        std::copy(halfway, halfway + 3, l.halfway);
        normalise(l.halfway);
    }
    return true;
}

bool drawTubePixels(const DrawContext& c, const GeometryCache& cache, const FaceCulling& culling)
{
    static TubeShading shading;
    if (!readShading(c, cache, shading)) {
        return false;
    }
    const TubeSet set{&c.data, cache.tubes.data(), cache.tubes.size(), c.settings.thickness, c.settings.segments};
    const TubePixels* found = pixelsThisPass(set, culling, shading);
    if (found == nullptr) {
        return true;
    }
    drawWholeTubes(c, cache, found->wholeTubes);
    handOverPixels(*found);
    return true;
}
