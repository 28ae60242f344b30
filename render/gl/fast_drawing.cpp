// Drawing from kept vertex arrays with OpenGL 1.1 client arrays, in chunks so that the
// driver's copy of each draw stays small, and in one material per colour group.
#include "render/gl/fast_drawing.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "render/gl/chunked_drawing.h"
#include "render/gl/frame.h"
#include "render/cpu/geometry_cache.h"
#include "core/matrix_math.h"
#include "render/cpu/point_splat.h"
#include "render/gl/scene_parts.h"
#include "render/cpu/second_eye.h"
#include "render/cpu/surface_pixels.h"
#include "render/cpu/tube_faces.h"

namespace {

// Tubes generated per call when their mesh is not kept.
constexpr std::size_t kStreamedTubes = 2048;
// From this many points of one colour on, drawing the pixels they cover costs less than
// drawing the points; up to this reach in pixels the covered pixels are quick to find.
constexpr std::size_t kSplatFrom = 1u << 15;
constexpr double kSplatReach = 4.0;
// The pixels of a fine surface are handed over this many at a time, in whole chunks, so
// that they are never all held besides the search that found them.
constexpr std::size_t kPixelBatch = 4 * kChunk;
// From this many quadrilaterals on, a filled surface leaves out those that cover no
// pixel centre.
constexpr std::size_t kSampleFreeFrom = 1u << 14;

void useGroupMaterial(int colorIndex)
{
    if (colorIndex >= 0) {
        const DataColor& c = viewer.dataColors[colorIndex];
        setMaterial(c.r, c.g, c.b, c.a);
    }
}

// The material and normal that the immediate-mode drawing leaves behind.
void leaveStateAsDrawn(const GeometryCache& cache)
{
    useGroupMaterial(cache.lastColorIndex);
    if (cache.leavesNormal) {
        glNormal3fv(cache.lastNormal);
    }
}

struct Transform {
    float modelview[16];
    float projection[16];
    GLint viewport[4];
};

Transform currentTransform()
{
    Transform t;
    glGetFloatv(GL_MODELVIEW_MATRIX, t.modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, t.projection);
    glGetIntegerv(GL_VIEWPORT, t.viewport);
    return t;
}

// Per-frame working memory, kept so that frames do not allocate.
struct Scratch {
    SplatResult splat;
    std::vector<float> window;
    std::vector<float> normals;
    std::vector<std::uint32_t> indices;
    MeshArrays mesh;
    SurfacePixels surface;
};
Scratch scratch;

// How many times a second eye's pass took over work done for it in the first eye's.
unsigned long passesShared = 0;

// The pixels that a smooth point covers: those whose centres lie nearer than this to the
// point's position in the window (the renderer's rule, found by probing it), at least a
// pixel's width for the smallest points.
double smoothPointReach(float size)
{
    return std::max(0.5 * size, 1.0);
}

// Draws pixels (window x, y and normalised depth), one pixel each, lit as what covers them:
// the model-view matrix (and so the transformed normal) stays, and the projection takes its
// inverse back out. The lights are directional and the viewer infinitely far, so the lit
// colour depends on the normal alone. normals: one per pixel, or null for the current one.
void drawSplattedPixels(const Transform& t, const std::vector<float>& pixels, const float* normals = nullptr)
{
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

// The eye in the coordinates of the current model-view matrix.
Point3d eyeInModel(const float m[16])
{
    double inverse[16];
    if (!affineInverse(m, inverse)) {
        return Point3d{0.0, 0.0, 1.0e6};  // everything squeezed into one point: any side faces it
    }
    return Point3d{inverse[12], inverse[13], inverse[14]};
}

// The on-screen width of the tubes when all of them are thin enough to be lines, else 0.
// Expects the view transform without the centring in force, so that the data's centre
// is the model origin.
float thinTubeWidth(const GeometryCache& cache)
{
    const Transform t = currentTransform();
    const float* m = t.modelview;
    const double scale = std::sqrt(double(m[0]) * m[0] + double(m[1]) * m[1] + double(m[2]) * m[2]);
    const double centreDepth = -m[14];
    const double nearest = centreDepth - scale * cache.boundRadius;
    if (!(nearest > kNearPlane) || t.viewport[3] <= 0) {
        return 0.0f;
    }
    const double pixelsPerUnit = 0.5 * t.viewport[3] * t.projection[5];
    const double diameter = 2.0 * static_cast<double>(viewer.thickness) * scale * pixelsPerUnit;
    if (diameter / nearest > kThinTubePixels) {
        return 0.0f;
    }
    return static_cast<float>(diameter / centreDepth);
}

// The normal of each thin line's vertex from first to end: the tube's surface normal that
// faces the eye, the one that the middle of the tube's picture shows.
void lineNormals(const GeometryCache& cache, const Point3d& eye, std::size_t first, std::size_t end)
{
    scratch.normals.resize((end - first) * 3);
    const float* p = &cache.lineVertices[first * 3];
    const std::int16_t* t = &cache.lineTangents[first * 3];
    constexpr float unit = static_cast<float>(1.0 / kTangentUnit);
    float* n = scratch.normals.data();
    const float ex = static_cast<float>(eye.x), ey = static_cast<float>(eye.y), ez = static_cast<float>(eye.z);
    for (std::size_t k = first; k < end; ++k, p += 3, t += 3, n += 3) {
        const float d[3] = {t[0] * unit, t[1] * unit, t[2] * unit};
        const float wx = ex - p[0], wy = ey - p[1], wz = ez - p[2];
        const float along = wx * d[0] + wy * d[1] + wz * d[2];
        n[0] = wx - along * d[0];
        n[1] = wy - along * d[1];
        n[2] = wz - along * d[2];
        if (n[0] * n[0] + n[1] * n[1] + n[2] * n[2] <= 1.0e-12f * (wx * wx + wy * wy + wz * wz)) {
            // Seen end-on: the cap faces the eye.
            n[0] = wx;
            n[1] = wy;
            n[2] = wz;
        }
    }
}

// Lit lines in place of thin tubes. The normals depend on the eye, so they are worked out
// per frame, a chunk at a time over the vertices that the chunk's lines use.
void drawThinTubes(float width)
{
    const GeometryCache& cache = keptThinLines();
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    const Point3d eye = eyeInModel(m);
    GLfloat oldWidth = 1.0f;
    glGetFloatv(GL_LINE_WIDTH, &oldWidth);
    const GLboolean smooth = glIsEnabled(GL_LINE_SMOOTH);
    // Without smoothing a line is drawn a whole number of pixels wide.
    glDisable(GL_LINE_SMOOTH);
    glLineWidth(std::max(1.0f, std::round(width)));
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    for (const ColorGroup& g : cache.lineGroups) {
        useGroupMaterial(g.colorIndex);
        for (std::size_t done = 0; done < g.count; done += kChunk) {
            if (chunkSkipped()) {
                continue;
            }
            const std::uint32_t* indices = &cache.lineIndices[g.first + done];
            const std::size_t n = std::min(kChunk, g.count - done);
            const auto bounds = std::minmax_element(indices, indices + n);
            const std::uint32_t low = *bounds.first;
            lineNormals(cache, eye, low, static_cast<std::size_t>(*bounds.second) + 1);
            scratch.indices.resize(n);
            for (std::size_t k = 0; k < n; ++k) {
                scratch.indices[k] = indices[k] - low;
            }
            glVertexPointer(3, GL_FLOAT, 0, &cache.lineVertices[static_cast<std::size_t>(low) * 3]);
            glNormalPointer(GL_FLOAT, 0, scratch.normals.data());
            glDrawElements(GL_LINES, static_cast<GLsizei>(n), GL_UNSIGNED_INT, scratch.indices.data());
            handOver();
            chunkDrawn();
        }
    }
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glLineWidth(oldWidth);
    if (smooth) {
        glEnable(GL_LINE_SMOOTH);
    }
}

// Draws those of a filled surface's quadrilaterals that may cover a pixel centre. A filled
// polygon makes fragments only at the pixel centres it covers, so one whose bounding box
// in the window holds none adds nothing to the picture or the depths; the small
// quadrilaterals of a fine grid mostly hold none. A margin far wider than the renderer's
// rounding keeps every doubtful one, as are those reaching behind the eye. The window
// positions of two sets at a time are worked out, and the kept ones are drawn a chunk at a
// time, so that little memory is needed besides the kept arrays.
void drawQuadsCoveringPixelCentres(const GeometryCache& cache)
{
    const Transform t = currentTransform();
    float m[16];
    multiplyMatrices(t.projection, t.modelview, m);
    const float width = static_cast<float>(t.viewport[2]), height = static_cast<float>(t.viewport[3]);
    const int ny = cache.range.ny;
    scratch.window.resize(static_cast<std::size_t>(ny) * 4);
    const auto placeSet = [&](int i) {
        const float* p = &cache.surfaceVertices[static_cast<std::size_t>(i) * ny * 3];
        float* w = &scratch.window[static_cast<std::size_t>(i % 2) * ny * 2];
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
    scratch.indices.clear();
    std::size_t quad = 0;
    placeSet(0);
    for (int i = 0; i <= cache.range.lastSet; ++i) {
        placeSet(i + 1);
        const float* low = &scratch.window[static_cast<std::size_t>(i % 2) * ny * 2];
        const float* high = &scratch.window[static_cast<std::size_t>((i + 1) % 2) * ny * 2];
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
                scratch.indices.insert(scratch.indices.end(), q, q + 4);
                if (scratch.indices.size() >= chunk) {
                    drawElementsChunked(GL_QUADS, scratch.indices.data(), scratch.indices.size(), 4);
                    scratch.indices.clear();
                }
            }
        }
    }
    drawElementsChunked(GL_QUADS, scratch.indices.data(), scratch.indices.size(), 4);
}

// Draws the shared grid's quadrilaterals numbered in quads, or all of them when null, a
// chunk at a time with their indices made as they go.
void drawGridQuads(const GeometryCache& cache, const std::vector<std::uint32_t>* quads)
{
    const std::size_t count = quads != nullptr ? quads->size() : cache.surfaceQuads;
    const std::size_t perChunk = kChunk / 4;
    for (std::size_t done = 0; done < count; done += perChunk) {
        const std::size_t n = std::min(perChunk, count - done);
        scratch.indices.resize(n * 4);
        for (std::size_t k = 0; k < n; ++k) {
            gridQuad(cache.range.ny, quads != nullptr ? (*quads)[done + k] : done + k, &scratch.indices[k * 4]);
        }
        drawElementsChunked(GL_QUADS, scratch.indices.data(), n * 4, 4);
    }
}

// What a pass draws from kept arrays: the arrays, their extent, and a point's reach.
struct DrawnArrays {
    const float* data = nullptr;
    const float* extra = nullptr;
    std::size_t count = 0;
    std::size_t columns = 0;
    float reach = 0.0f;

    bool operator==(const DrawnArrays& o) const
    {
        return data == o.data && extra == o.extra && count == o.count && columns == o.columns && reach == o.reach;
    }
};

// Work done in the first eye's pass for the second. It serves the second pass only while
// the frame's second eye is the same, and the pass draws the same arrays under the same
// transform.
struct SecondEyeWork {
    bool ready = false;
    unsigned long generation = 0;
    DrawnArrays drawn;
    int width = 0, height = 0;
    float clipFromModel[16] = {};

    // Whether the work was done for this pass; it serves once.
    bool takeFor(const DrawnArrays& passDrawn, const Transform& t, const float passClipFromModel[16])
    {
        const bool serves = ready && generation == secondEyeGeneration() && drawn == passDrawn &&
                            width == t.viewport[2] && height == t.viewport[3] &&
                            nearlySameMatrix(clipFromModel, passClipFromModel);
        ready = false;
        return serves;
    }

    // Sets clipFromModel to the announced second eye's for the first eye's transform t and
    // notes what the work is for; false when no second eye is announced.
    bool startFor(const DrawnArrays& passDrawn, const Transform& t)
    {
        float projection[16], modelview[16];
        if (!secondEyeTransform(t.modelview, projection, modelview)) {
            return false;
        }
        multiplyMatrices(projection, modelview, clipFromModel);
        ready = true;
        generation = secondEyeGeneration();
        drawn = passDrawn;
        width = t.viewport[2];
        height = t.viewport[3];
        return true;
    }
};

// The second eye's pixels of many points, found in the first eye's pass.
SecondEyeWork secondEyeSplat;
SplatResult secondEyeSplatFound;

// Finds the pixels that points cover in this pass into out. With a second eye announced,
// they are found for both eyes at once and the second eye's pass takes its own over.
void splatThisPass(const std::vector<float>& points, const Transform& t, float reach, SplatResult& out)
{
    float clipFromModel[16];
    multiplyMatrices(t.projection, t.modelview, clipFromModel);
    const int width = t.viewport[2], height = t.viewport[3];
    const DrawnArrays drawn{points.data(), nullptr, points.size(), 0, reach};
    if (secondEyeSplat.takeFor(drawn, t, clipFromModel)) {
        out.passed.swap(secondEyeSplatFound.passed);
        out.covered.swap(secondEyeSplatFound.covered);
        ++passesShared;
    } else if (secondEyeSplat.startFor(drawn, t)) {
        splatPointsForTwo(points, clipFromModel, secondEyeSplat.clipFromModel, width, height, reach, out,
                          secondEyeSplatFound);
    } else {
        splatPoints(points, clipFromModel, width, height, reach, out);
    }
}

// The second eye's pixels of a fine filled surface, found in the first eye's pass and kept
// by the search until taken.
SecondEyeWork secondEyeSurface;

// Finds the surface's pixels in this pass into out, shared between two eyes as points are.
void findSurfacePixelsThisPass(const SurfaceGrid& grid, const Transform& t, SurfacePixels& out)
{
    SurfaceView view;
    multiplyMatrices(t.projection, t.modelview, view.clipFromModel);
    view.width = t.viewport[2];
    view.height = t.viewport[3];
    const DrawnArrays drawn{grid.vertices, grid.normals, static_cast<std::size_t>(grid.sets),
                            static_cast<std::size_t>(grid.pointsPerSet), 0.0f};
    if (secondEyeSurface.takeFor(drawn, t, view.clipFromModel) && takeSecondEyePixels(out, kPixelBatch)) {
        ++passesShared;
        return;
    }
    if (secondEyeSurface.startFor(drawn, t)) {
        SurfaceView second = view;
        std::copy(secondEyeSurface.clipFromModel, secondEyeSurface.clipFromModel + 16, second.clipFromModel);
        if (findSurfacePixelsForTwo(grid, view, second, out, 2, kPixelBatch)) {
            return;
        }
        secondEyeSurface.ready = false;
    }
    findSurfacePixels(grid, view, out, 2, kPixelBatch);
}

// Draws a fine filled surface with its small quadrilaterals as the pixels they cover (see
// surface_pixels.h) and the others as quadrilaterals; the depth test settles between the
// two. That holds for opaque, filled quadrilaterals under the usual depth test, drawn in
// their order; false, drawing nothing, when the state is another or the view squeezes the
// scene flat. Expects the surface's vertex and normal arrays set.
bool drawSurfaceAsPixels(const GeometryCache& cache)
{
    GLint polygonMode[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, polygonMode);
    GLint depthFunc = GL_LESS;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    const Transform t = currentTransform();
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
    findSurfacePixelsThisPass(grid, t, scratch.surface);
    drawGridQuads(cache, &scratch.surface.quads);
    do {
        drawSplattedPixels(t, scratch.surface.pixels,
                           grid.normals != nullptr ? scratch.surface.normals.data() : nullptr);
    } while (moreSurfacePixels(scratch.surface, kPixelBatch));
    return true;
}

void drawMesh(const MeshArrays& mesh, std::size_t firstIndex, std::size_t indexCount, bool sliced = true)
{
    glVertexPointer(3, GL_FLOAT, 0, mesh.positions.data());
    glNormalPointer(GL_FLOAT, 0, mesh.normals.data());
    drawElementsChunked(GL_TRIANGLES, mesh.indices.data() + firstIndex, indexCount, 3, sliced);
}

// The culling of the current pass: only for filled, opaque tubes under the depth test.
FaceCulling faceCulling()
{
    GLint polygonMode[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, polygonMode);
    if (polygonMode[0] != GL_FILL || polygonMode[1] != GL_FILL || glIsEnabled(GL_BLEND) ||
        !glIsEnabled(GL_DEPTH_TEST)) {
        return FaceCulling{};
    }
    const Transform t = currentTransform();
    return cullingFor(t.projection, t.modelview, t.viewport[2], t.viewport[3]);
}

// The culling of the announced second eye's pass (off when none is announced).
FaceCulling secondEyeCulling()
{
    const Transform t = currentTransform();
    float projection[16], modelview[16];
    if (!secondEyeTransform(t.modelview, projection, modelview)) {
        return FaceCulling{};
    }
    return cullingFor(projection, modelview, t.viewport[2], t.viewport[3]);
}

// Whether two cullings agree up to rounding, so that faces found for one serve the other.
bool sameCulling(const FaceCulling& a, const FaceCulling& b)
{
    if (a.on != b.on || a.width != b.width || a.height != b.height ||
        !nearlySameMatrix(a.clipFromModel, b.clipFromModel)) {
        return false;
    }
    for (int k = 0; k < 3; ++k) {
        if (!nearlyEqual(a.eye[k], b.eye[k]) || !nearlyEqual(a.depthRow[k], b.depthRow[k])) {
            return false;
        }
    }
    return nearlyEqual(a.depthRow[3], b.depthRow[3]) && nearlyEqual(a.scale, b.scale);
}

// The second eye's faces of one run of tubes of a kept mesh, found in the first eye's pass.
struct SecondEyeFaces {
    unsigned long generation = 0;
    const MeshArrays* mesh = nullptr;
    std::size_t first = 0, end = 0;
    int segments = 0;
    float radius = 0.0f;
    FaceCulling culling;
    std::vector<std::uint32_t> indices;
};
std::vector<SecondEyeFaces> secondEyeFaces;


// Puts the faces to draw of tubes first to end into scratch.indices. With a second eye
// announced, the faces of a kept mesh are found for both eyes at once, and the second
// eye's pass takes its faces over.
void findFacesToDraw(const MeshArrays& mesh, std::size_t first, std::size_t end, const FaceCulling& c, bool kept)
{
    scratch.indices.clear();
    const unsigned long generation = secondEyeGeneration();
    for (auto f = secondEyeFaces.begin(); f != secondEyeFaces.end(); ++f) {
        if (f->generation == generation && f->mesh == &mesh && f->first == first && f->end == end &&
            f->segments == viewer.segments && f->radius == viewer.thickness && sameCulling(f->culling, c)) {
            scratch.indices.swap(f->indices);
            secondEyeFaces.erase(f);
            ++passesShared;
            return;
        }
    }
    const FaceCulling second = kept ? secondEyeCulling() : FaceCulling{};
    if (!second.on) {
        findFrontFaces(mesh, first, end, viewer.segments, viewer.thickness, c, scratch.indices);
        return;
    }
    secondEyeFaces.erase(std::remove_if(secondEyeFaces.begin(), secondEyeFaces.end(),
                                        [&](const SecondEyeFaces& f) { return f.generation != generation; }),
                         secondEyeFaces.end());
    SecondEyeFaces f;
    f.generation = generation;
    f.mesh = &mesh;
    f.first = first;
    f.end = end;
    f.segments = viewer.segments;
    f.radius = viewer.thickness;
    f.culling = second;
    findFrontFacesOfTwo(mesh, first, end, viewer.segments, viewer.thickness, c, second, scratch.indices, f.indices);
    secondEyeFaces.push_back(std::move(f));
}

// Draws tubes first to end of the mesh, only their faces towards the eye when culling is
// on; indices is the run of the mesh's indices that holds exactly those tubes. kept: the
// mesh stays as it is until the frame ends (a generated block is one chunk of a sliced
// frame as a whole).
void drawTubeRun(const MeshArrays& mesh, std::size_t first, std::size_t end, const ColorGroup& indices,
                 const FaceCulling& c, bool kept)
{
    const bool sliced = kept;
    if (!c.on) {
        drawMesh(mesh, indices.first, indices.count, sliced);
        return;
    }
    findFacesToDraw(mesh, first, end, c, kept);
    glVertexPointer(3, GL_FLOAT, 0, mesh.positions.data());
    glNormalPointer(GL_FLOAT, 0, mesh.normals.data());
    drawElementsChunked(GL_TRIANGLES, scratch.indices.data(), scratch.indices.size(), 3, sliced);
}

void drawTubeMeshes(const GeometryCache& cache)
{
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    const FaceCulling culling = faceCulling();
    if (const MeshArrays* mesh = keptTubeMesh()) {
        // The mesh's groups hold the tubes of the tube groups, in their order.
        for (std::size_t k = 0; k < cache.meshGroups.size(); ++k) {
            const ColorGroup& g = cache.meshGroups[k];
            useGroupMaterial(g.colorIndex);
            drawTubeRun(*mesh, cache.groups[k].first, cache.groups[k].first + cache.groups[k].count, g, culling,
                        true);
        }
    } else {
        // Too many tubes to keep their mesh: generate it a few thousand tubes at a time.
        const TubeRing ring = tubeRing(viewer.segments);
        for (const ColorGroup& g : cache.groups) {
            useGroupMaterial(g.colorIndex);
            for (std::size_t s = g.first; s < g.first + g.count;) {
                const std::size_t end = std::min(g.first + g.count, s + kStreamedTubes);
                // A block of generated tubes is one chunk of a sliced frame, so that a
                // resumed slice does not generate the blocks drawn before.
                if (chunkSkipped()) {
                    s = end;
                    continue;
                }
                scratch.mesh.positions.clear();
                scratch.mesh.normals.clear();
                scratch.mesh.indices.clear();
                scratch.mesh.tubeStarts.clear();
                for (; s < end; ++s) {
                    Point3d a, b;
                    tubeSegmentEnds(cache.tubes[s], a, b);
                    appendTube(ring, a, b, viewer.thickness, scratch.mesh);
                }
                const ColorGroup block{g.colorIndex, 0, scratch.mesh.indices.size()};
                drawTubeRun(scratch.mesh, 0, scratch.mesh.tubeStarts.size(), block, culling, false);
                chunkDrawn();
            }
        }
    }
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

}  // namespace

unsigned long passesSharedWithSecondEye()
{
    return passesShared;
}

void drawPointsFast(const DrawRange& range)
{
    const GeometryCache& cache = cachedGeometry(range, kPoints);
    glEnableClientState(GL_VERTEX_ARRAY);
    GLfloat size = 1.0f;
    glGetFloatv(GL_POINT_SIZE, &size);
    const bool smooth = glIsEnabled(GL_POINT_SMOOTH) == GL_TRUE;
    const double reach = smoothPointReach(size);
    const Transform t = currentTransform();
    double inverse[16];
    if (cache.points.size() / 3 >= kSplatFrom && cache.groups.size() == 1 && smooth && reach <= kSplatReach &&
        affineInverse(t.modelview, inverse)) {
        splatThisPass(cache.points, t, static_cast<float>(reach), scratch.splat);
        useGroupMaterial(cache.groups.front().colorIndex);
        glVertexPointer(3, GL_FLOAT, 0, scratch.splat.passed.data());
        drawArraysChunked(GL_POINTS, 0, scratch.splat.passed.size() / 3, 1);
        drawSplattedPixels(t, scratch.splat.covered);
    } else {
        glVertexPointer(3, GL_FLOAT, 0, cache.points.data());
        for (const ColorGroup& g : cache.groups) {
            useGroupMaterial(g.colorIndex);
            drawArraysChunked(GL_POINTS, g.first, g.count, 1);
        }
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    leaveStateAsDrawn(cache);
}

bool drawTubesFast(const DrawRange& range, int displayType)
{
    const GeometryCache& cache = cachedGeometry(range, displayType);
    if (cache.tubes.empty()) {
        return true;
    }
    const float width = thinTubeWidth(cache);
    GLint polygonMode[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, polygonMode);
    if (width <= 0.0f && polygonMode[0] != GL_FILL) {
        return false;
    }
    glPushMatrix();
    glTranslated(dataSet.tx, dataSet.ty, dataSet.tz);
    if (width > 0.0f) {
        drawThinTubes(width);
    } else {
        drawTubeMeshes(cache);
    }
    glPopMatrix();
    leaveStateAsDrawn(cache);
    return true;
}

void drawSurfaceFast(const DrawRange& range, int displayType)
{
    const GeometryCache& cache = cachedGeometry(range, displayType);
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
        if (displayType == kFilled && cache.surfaceQuads >= kSampleFreeFrom) {
            if (!drawSurfaceAsPixels(cache)) {
                drawQuadsCoveringPixelCentres(cache);
            }
        } else {
            drawGridQuads(cache, nullptr);
        }
        if (normals) {
            glDisableClientState(GL_NORMAL_ARRAY);
            glShadeModel(static_cast<GLenum>(shadeModel));
        }
    } else {
        for (const ColorGroup& g : cache.groups) {
            useGroupMaterial(g.colorIndex);
            drawArraysChunked(GL_QUADS, g.first, g.count, 4);
        }
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    leaveStateAsDrawn(cache);
}

