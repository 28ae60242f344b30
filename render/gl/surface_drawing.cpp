// Surface grids and filled surfaces drawn from the kept vertex arrays; a fine filled surface
// as the pixels its small quadrilaterals cover.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/matrix_math.h"
#include "render/cpu/stereo_layout.h"
#include "render/cpu/surface_pixels.h"
#include "render/gl/chunked_drawing.h"
#include "render/gl/fast_drawing.h"
#include "render/gl/pass_state.h"
#include "render/gl/row_interleave.h"

namespace {

// The pixels of a fine surface are handed over this many at a time, in whole chunks, so
// that they are never all held besides the search that found them.
constexpr std::size_t kPixelBatch = 4 * kChunk;
// From this many quadrilaterals on, a filled surface leaves out those that cover no
// pixel centre.
constexpr std::size_t kSampleFreeFrom = 1u << 14;

// Per-frame working memory, kept so that frames do not allocate.
std::vector<float> scratchWindow;
std::vector<std::uint32_t> scratchIndices;
SurfacePixels scratchSurface;
// What the pixel search found for each pass of the frame, kept so that a frame drawn in
// slices searches once.
constexpr int kKeptPasses = 4;
SurfacePixels keptSurface[kKeptPasses + 1];
SliceWork surfaceWork[kKeptPasses];

// Draws those of a filled surface's quadrilaterals that may cover a pixel centre. A filled
// polygon makes fragments only at the pixel centres it covers, so one whose bounding box
// in the window holds none adds nothing to the picture or the depths; the small
// quadrilaterals of a fine grid mostly hold none. A margin far wider than the renderer's
// rounding keeps every doubtful one, as are those reaching behind the eye. The window
// positions of two sets at a time are worked out, and the kept ones are drawn a chunk at a
// time, so that little memory is needed besides the kept arrays.
void drawQuadsCoveringPixelCentres(const GeometryCache& cache)
{
    const PassTransform t = currentTransform();
    float m[16];
    multiplyMatrices(t.projection, t.modelview, m);
    const float width = static_cast<float>(t.viewport[2]), height = static_cast<float>(t.viewport[3]);
    const int ny = cache.range.ny;
    scratchWindow.resize(static_cast<std::size_t>(ny) * 4);
    const auto placeSet = [&](int i) {
        const float* p = &cache.surfaceVertices[static_cast<std::size_t>(i) * ny * 3];
        float* w = &scratchWindow[static_cast<std::size_t>(i % 2) * ny * 2];
        for (int j = 0; j < ny; ++j, p += 3, w += 2) {
            const float cw = m[3] * p[0] + m[7] * p[1] + m[11] * p[2] + m[15];
            const float cx = m[0] * p[0] + m[4] * p[1] + m[8] * p[2] + m[12];
            const float cy = m[1] * p[0] + m[5] * p[1] + m[9] * p[2] + m[13];
            w[0] = cw > 0.0f ? (cx / cw + 1.0f) * 0.5f * width : std::numeric_limits<float>::quiet_NaN();
            w[1] = cw > 0.0f ? (cy / cw + 1.0f) * 0.5f * height : std::numeric_limits<float>::quiet_NaN();
        }
    };
    constexpr float margin = 1.0f / 16.0f;
    const std::size_t chunk = kChunk - kChunk % 4;
    scratchIndices.clear();
    std::size_t quad = 0;
    placeSet(0);
    for (int i = 0; i <= cache.range.lastSet; ++i) {
        placeSet(i + 1);
        const float* low = &scratchWindow[static_cast<std::size_t>(i % 2) * ny * 2];
        const float* high = &scratchWindow[static_cast<std::size_t>((i + 1) % 2) * ny * 2];
        for (int j = 0; j + 1 < ny; ++j, ++quad) {
            const float xs[4] = {low[2 * j], high[2 * j], high[2 * j + 2], low[2 * j + 2]};
            const float ys[4] = {low[2 * j + 1], high[2 * j + 1], high[2 * j + 3], low[2 * j + 3]};
            const float x0 = std::min(std::min(xs[0], xs[1]), std::min(xs[2], xs[3]));
            const float x1 = std::max(std::max(xs[0], xs[1]), std::max(xs[2], xs[3]));
            const float y0 = std::min(std::min(ys[0], ys[1]), std::min(ys[2], ys[3]));
            const float y1 = std::max(std::max(ys[0], ys[1]), std::max(ys[2], ys[3]));
            const bool doubtful = std::isnan(xs[0] + xs[1] + xs[2] + xs[3]);
            // A pixel centre c + 0.5 lies in [x0, x1] when floor(x1 - 0.5) >= x0 - 0.5.
            const bool coversX = std::floor(x1 - 0.5f + margin) >= x0 - 0.5f - margin;
            const bool coversY = std::floor(y1 - 0.5f + margin) >= y0 - 0.5f - margin;
            if (doubtful || (coversX && coversY)) {
                std::uint32_t q[4];
                gridQuad(ny, quad, q);
                scratchIndices.insert(scratchIndices.end(), q, q + 4);
                if (scratchIndices.size() >= chunk) {
                    drawElementsChunked(GL_QUADS, scratchIndices.data(), scratchIndices.size(), 4);
                    scratchIndices.clear();
                }
            }
        }
    }
    drawElementsChunked(GL_QUADS, scratchIndices.data(), scratchIndices.size(), 4);
}

// Draws count of the shared grid's quadrilaterals, those numbered in quads, or the first
// count when null, a chunk at a time with their indices made as they go.
void drawGridQuads(const GeometryCache& cache, const std::uint32_t* quads, std::size_t count)
{
    const std::size_t perChunk = kChunk / 4;
    for (std::size_t done = 0; done < count; done += perChunk) {
        const std::size_t n = std::min(perChunk, count - done);
        scratchIndices.resize(n * 4);
        for (std::size_t k = 0; k < n; ++k) {
            gridQuad(cache.range.ny, quads != nullptr ? quads[done + k] : done + k, &scratchIndices[k * 4]);
        }
        drawElementsChunked(GL_QUADS, scratchIndices.data(), n * 4, 4);
    }
}

// Finds the surface's pixels in this pass into out, shared between two eyes as points are.
void findSurfacePixelsThisPass(SecondEye& secondEye, const SurfaceGrid& grid, const PassTransform& t,
                               SurfacePixels& out)
{
    SurfaceView view;
    multiplyMatrices(t.projection, t.modelview, view.clipFromModel);
    view.width = t.viewport[2];
    view.height = t.viewport[3];
    // A pass of a row-interleaved frame finds the pixels of its own rows only.
    const int passRows = keptRowParity();
    view.rowParity = viewportRowParity(passRows, t.viewport[1]);
    const DrawnArrays drawn{grid.vertices, grid.normals, static_cast<std::size_t>(grid.sets),
                            static_cast<std::size_t>(grid.pointsPerSet), 0.0f};
    if (secondEye.surface.takeFor(secondEye, drawn, t, view.clipFromModel, passRows) &&
        takeSecondEyePixels(out, kPixelBatch)) {
        ++secondEye.sharedPasses;
        return;
    }
    if (secondEye.surface.startFor(secondEye, drawn, t)) {
        SurfaceView second = view;
        second.rowParity = viewportRowParity(secondEye.surface.rowParity, t.viewport[1]);
        std::copy(secondEye.surface.clipFromModel, secondEye.surface.clipFromModel + 16, second.clipFromModel);
        if (findSurfacePixelsForTwo(grid, view, second, out, 2, kPixelBatch)) {
            return;
        }
        secondEye.surface.ready = false;
    }
    findSurfacePixels(grid, view, out, 2, kPixelBatch);
}

// Draws a fine filled surface with its small quadrilaterals as the pixels they cover (see
// surface_pixels.h) and the others as quadrilaterals; the depth test settles between the
// two. That holds for opaque, filled quadrilaterals under the usual depth test, drawn in
// their order; false, drawing nothing, when the state is another or the view squeezes the
// scene flat. Expects the surface's vertex and normal arrays set.
bool drawSurfaceAsPixels(SecondEye& secondEye, const GeometryCache& cache)
{
    GLint polygonMode[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, polygonMode);
    GLint depthFunc = GL_LESS;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    const PassTransform t = currentTransform();
    double inverse[16];
    if (polygonMode[0] != GL_FILL || polygonMode[1] != GL_FILL || depthFunc != GL_LESS ||
        !glIsEnabled(GL_DEPTH_TEST) || glIsEnabled(GL_BLEND) || glIsEnabled(GL_CULL_FACE) ||
        !affineInverse(t.modelview, inverse)) {
        return false;
    }
    SurfaceGrid grid;
    grid.vertices = cache.surfaceVertices.data();
    grid.normals = cache.surfaceNormals.empty() ? nullptr : cache.surfaceNormals.data();
    grid.sets = cache.range.lastSet + 1;
    grid.pointsPerSet = cache.range.ny;
    const int pass = slicedFramePass() >= 0 && slicedFramePass() < kKeptPasses ? slicedFramePass() : kKeptPasses;
    SurfacePixels& found = keptSurface[pass];
    if (pass == kKeptPasses || !surfaceWork[pass].reusable()) {
        // The search hands its pixels over in batches; a picture's worth is kept for the pass.
        findSurfacePixelsThisPass(secondEye, grid, t, found);
        while (moreSurfacePixels(scratchSurface, kPixelBatch)) {
            found.pixels.insert(found.pixels.end(), scratchSurface.pixels.begin(), scratchSurface.pixels.end());
            found.normals.insert(found.normals.end(), scratchSurface.normals.begin(), scratchSurface.normals.end());
        }
        if (pass < kKeptPasses) {
            surfaceWork[pass].done();
        }
    }
    drawGridQuads(cache, found.quads.data(), found.quads.size());
    drawSplattedPixels(t, found.pixels, grid.normals != nullptr ? found.normals.data() : nullptr);
    return true;
}

}  // namespace

void drawSurfaceFast(const DrawContext& c, const DrawRange& range, DisplayType displayType)
{
    if (frameSliceStopped()) {
        return;  // the slice draws nothing more, and what is found here is kept for the next
    }
    const GeometryCache& cache = c.geometry.geometryFor(range, displayType, geometryInputs(c));
    if (cache.groups.empty()) {
        return;
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, cache.surfaceVertices.data());
    if (cache.surfaceShared) {
        const bool normals = !cache.surfaceNormals.empty();
        GLint shadeModel = GL_SMOOTH;
        if (normals) {
            // One normal per quadrilateral, carried by the vertex that closes it.
            glGetIntegerv(GL_SHADE_MODEL, &shadeModel);
            glShadeModel(GL_FLAT);
            glEnableClientState(GL_NORMAL_ARRAY);
            glNormalPointer(GL_FLOAT, 0, cache.surfaceNormals.data());
        }
        if (!cache.surfaceQuadOrder.empty()) {
            // Coloured by value: each colour's quadrilaterals in its own material.
            for (const ColorGroup& g : cache.groups) {
                useGroupMaterial(c.settings, g.colorIndex);
                drawGridQuads(cache, &cache.surfaceQuadOrder[g.first], g.count);
            }
        } else if (displayType == DisplayType::Filled && cache.surfaceQuads >= kSampleFreeFrom) {
            if (!drawSurfaceAsPixels(c.secondEye, cache)) {
                drawQuadsCoveringPixelCentres(cache);
            }
        } else {
            drawGridQuads(cache, nullptr, cache.surfaceQuads);
        }
        if (normals) {
            glDisableClientState(GL_NORMAL_ARRAY);
            glShadeModel(static_cast<GLenum>(shadeModel));
        }
    } else {
        // Four vertices a quadrilateral; coloured by height with their colours and, for
        // a shaded surface, the quadrilateral's normal at each.
        const bool normals = !cache.surfaceNormals.empty();
        if (normals) {
            glEnableClientState(GL_NORMAL_ARRAY);
            glNormalPointer(GL_FLOAT, 0, cache.surfaceNormals.data());
        }
        vertexColorArray(cache.surfaceColors);
        for (const ColorGroup& g : cache.groups) {
            useGroupMaterial(c.settings, g.colorIndex);
            drawArraysChunked(GL_QUADS, g.first, g.count, 4);
        }
        glDisableClientState(GL_COLOR_ARRAY);
        if (normals) {
            glDisableClientState(GL_NORMAL_ARRAY);
        }
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    leaveStateAsDrawn(c.settings, cache);
}

