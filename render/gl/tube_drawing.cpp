// Joined and needled line sets drawn from the kept vertex arrays: thin tubes as lit lines,
// others as meshes of which only the faces towards the eye are sent.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "core/matrix_math.h"
#include "render/cpu/stereo_layout.h"
#include "render/cpu/stereo_projection.h"
#include "render/cpu/tube_faces.h"
#include "render/cpu/tube_mesh.h"
#include "render/cpu/tube_visibility.h"
#include "render/gl/chunked_drawing.h"
#include "render/gl/fast_drawing.h"
#include "render/gl/pass_state.h"
#include "render/gl/row_interleave.h"
#include "render/gl/smooth_target.h"
#include "render/gl/tube_pixels.h"

namespace {

// Tubes generated per call when their mesh is not kept.
constexpr std::size_t kStreamedTubes = 2048;

// Per-frame working memory, kept so that frames do not allocate.
std::vector<float> scratchNormals;
std::vector<std::uint32_t> scratchIndices;
MeshArrays scratchMesh;

// The eye in the coordinates of the current model-view matrix.
Point3d eyeInModel(const float m[16])
{
    double inverse[16];
    if (!affineInverse(m, inverse)) {
        return Point3d{0.0, 0.0, 1.0e6};  // everything squeezed into one point: any side faces it
    }
    return Point3d{inverse[12], inverse[13], inverse[14]};
}

// The on-screen width of the tubes when all of them are thin enough to be lines (or asLines:
// whatever their width, for the lighter picture), else 0. Expects the view transform without
// the centring in force, so that the data's centre is the model origin.
float thinTubeWidth(const GeometryCache& cache, float thickness, bool asLines)
{
    const PassTransform t = currentTransform();
    const float* m = t.modelview;
    const double scale = std::sqrt(double(m[0]) * m[0] + double(m[1]) * m[1] + double(m[2]) * m[2]);
    const double centreDepth = -m[14];
    const double nearest = centreDepth - scale * cache.boundRadius;
    if (!(nearest > kNearPlane) || t.viewport[3] <= 0) {
        return 0.0f;
    }
    const double pixelsPerUnit = 0.5 * t.viewport[3] * t.projection[5];
    const double diameter = 2.0 * static_cast<double>(thickness) * scale * pixelsPerUnit;
    if (asLines) {
        return static_cast<float>(std::max(1.0, diameter / centreDepth));
    }
    if (diameter / nearest > kThinTubePixels) {
        return 0.0f;
    }
    return static_cast<float>(diameter / centreDepth);
}

// The normal of a thin line's vertex k: the tube's surface normal that faces the eye at
// (ex, ey, ez), the one that the middle of the tube's picture shows.
inline void lineNormal(const GeometryCache& cache, float ex, float ey, float ez, std::size_t k, float* n)
{
    const float* p = &cache.lineVertices[k * 3];
    const std::int16_t* t = &cache.lineTangents[k * 3];
    constexpr float unit = static_cast<float>(1.0 / kTangentUnit);
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

// The normals of the thin lines' vertices from first to end.
void lineNormals(const GeometryCache& cache, const Point3d& eye, std::size_t first, std::size_t end)
{
    scratchNormals.resize((end - first) * 3);
    float* n = scratchNormals.data();
    const float ex = static_cast<float>(eye.x), ey = static_cast<float>(eye.y), ez = static_cast<float>(eye.z);
    for (std::size_t k = first; k < end; ++k, n += 3) {
        lineNormal(cache, ex, ey, ez, k, n);
    }
}

// Every stride-th line of the indices given, its vertices' positions, normals and colours
// gathered, so that the renderer is handed only the vertices they use.
std::vector<float> gatheredPositions;
std::vector<std::uint8_t> gatheredColors;

void drawEveryStrideLine(const GeometryCache& cache, const Point3d& eye, const std::uint32_t* indices,
                         std::size_t count, std::size_t stride)
{
    gatheredPositions.clear();
    scratchNormals.clear();
    gatheredColors.clear();
    const float ex = static_cast<float>(eye.x), ey = static_cast<float>(eye.y), ez = static_cast<float>(eye.z);
    for (std::size_t k = 0; k + 1 < count; k += 2 * stride) {
        for (std::size_t end = 0; end < 2; ++end) {
            const std::size_t v = indices[k + end];
            gatheredPositions.insert(gatheredPositions.end(), &cache.lineVertices[v * 3], &cache.lineVertices[v * 3] + 3);
            float n[3];
            lineNormal(cache, ex, ey, ez, v, n);
            scratchNormals.insert(scratchNormals.end(), n, n + 3);
            if (!cache.lineColors.empty()) {
                gatheredColors.insert(gatheredColors.end(), &cache.lineColors[v * 4], &cache.lineColors[v * 4] + 4);
            }
        }
    }
    glVertexPointer(3, GL_FLOAT, 0, gatheredPositions.data());
    glNormalPointer(GL_FLOAT, 0, scratchNormals.data());
    vertexColorArray(gatheredColors);
    glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(gatheredPositions.size() / 3));
}

// Lit lines in place of thin tubes. The normals depend on the eye, so they are worked out
// per frame, a chunk at a time over the vertices that the chunk's lines use. stride: every
// stride-th line only (the lighter picture), spread along every set.
void drawThinTubes(const DrawContext& c, float width, std::size_t stride = 1)
{
    const GeometryCache& cache = c.geometry.keptThinLines();
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
        useGroupMaterial(c.settings, g.colorIndex);
        for (std::size_t done = 0; done < g.count; done += kChunk) {
            if (chunkSkipped()) {
                continue;
            }
            const std::uint32_t* indices = &cache.lineIndices[g.first + done];
            const std::size_t n = std::min(kChunk, g.count - done);
            if (stride > 1) {
                drawEveryStrideLine(cache, eye, indices, n, stride);
                handOver();
                chunkDrawn();
                continue;
            }
            const auto bounds = std::minmax_element(indices, indices + n);
            const std::uint32_t low = *bounds.first;
            lineNormals(cache, eye, low, static_cast<std::size_t>(*bounds.second) + 1);
            scratchIndices.resize(n);
            for (std::size_t k = 0; k < n; ++k) {
                scratchIndices[k] = indices[k] - low;
            }
            glVertexPointer(3, GL_FLOAT, 0, &cache.lineVertices[static_cast<std::size_t>(low) * 3]);
            glNormalPointer(GL_FLOAT, 0, scratchNormals.data());
            vertexColorArray(cache.lineColors, low);
            glDrawElements(GL_LINES, static_cast<GLsizei>(n), GL_UNSIGNED_INT, scratchIndices.data());
            handOver();
            chunkDrawn();
        }
    }
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glLineWidth(oldWidth);
    if (smooth) {
        glEnable(GL_LINE_SMOOTH);
    }
}

void drawMesh(const MeshArrays& mesh, std::size_t firstIndex, std::size_t indexCount, bool sliced = true)
{
    glVertexPointer(3, GL_FLOAT, 0, mesh.positions.data());
    glNormalPointer(GL_FLOAT, 0, mesh.normals.data());
    vertexColorArray(mesh.colors);
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
    const PassTransform t = currentTransform();
    FaceCulling culling = cullingFor(t.projection, t.modelview, t.viewport[2], t.viewport[3]);
    // A pass of a row-interleaved frame draws the pixel centres of its own rows only.
    culling.rowParity = viewportRowParity(keptRowParity(), t.viewport[1]);
    return culling;
}

// The culling of the announced second eye's pass (off when none is announced).
FaceCulling secondEyeCulling(const SecondEye& secondEye)
{
    const PassTransform t = currentTransform();
    float projection[16], modelview[16];
    if (!secondEye.transform(t.modelview, projection, modelview)) {
        return FaceCulling{};
    }
    FaceCulling culling = cullingFor(projection, modelview, t.viewport[2], t.viewport[3]);
    culling.rowParity = viewportRowParity(secondEye.secondRowParity(), t.viewport[1]);
    return culling;
}

// The visible triangles of the tubes for this pass: found now, with the announced second
// eye's beside them, or taken over from the first eye's pass, or kept from an earlier slice
// of the same frame. The search goes in steps, each a chunk of the frame, so that a frame
// drawn in slices spreads it over its slices; null while it is unfinished (the slice has
// stopped in it, and draws nothing more).
const VisibleTubes* visibleFacesThisPass(const DrawContext& context, const GeometryCache& cache, const FaceCulling& c)
{
    static KeptPassWork<VisibleTubes> found;
    static TubeSearch search;
    static SliceWork searchBegun;
    static bool searchHasSecond = false;
    VisibleTubes& out = found.result();
    if (found.foundBefore()) {
        return &out;
    }
    const auto keep = [&](std::size_t steps) {
        found.found(steps);
        return &out;
    };
    SecondEye& eye = context.secondEye;
    SecondEyeTubes& kept = eye.tubes;
    const TubeSet set{&context.data, cache.tubes.data(), cache.tubes.size(), context.settings.thickness,
                      context.settings.segments};
    if (kept.ready && kept.generation == eye.generation() && kept.tubes == set.tubes && kept.count == set.count &&
        kept.segments == set.segments && kept.radius == set.radius && sameCulling(kept.culling, c)) {
        kept.ready = false;
        out.swap(kept.faces);
        ++eye.sharedPasses;
        return keep(0);
    }
    if (frameSliceStopped()) {
        return nullptr;
    }
    const FaceCulling second = secondEyeCulling(eye);
    if (!searchBegun.reusable()) {
        kept.ready = false;
        if (TubeSearch::releasesEarlierLists(set.count)) {
            // The lists of earlier frames are given back before the search makes new ones,
            // rather than held beside them (for 10^6 needles, tens of MB an eye). Lists of
            // passes of this frame are kept for its later slices.
            out = VisibleTubes{};
            kept.faces = VisibleTubes{};
            found.forgetEarlierFrames();
        }
        searchHasSecond = second.on;
        search.begin(set, c, second.on ? &second : nullptr, eye.sharesDepth());
        searchBegun.done();
    }
    if (!runChunkedSteps(search.steps(), [&](std::size_t k) { search.step(k); })) {
        return nullptr;
    }
    search.finish(out, searchHasSecond ? &kept.faces : nullptr);
    if (searchHasSecond) {
        kept.ready = true;
        kept.generation = eye.generation();
        kept.tubes = set.tubes;
        kept.count = set.count;
        kept.segments = set.segments;
        kept.radius = set.radius;
        kept.culling = second;
    }
    return keep(search.steps());
}

// Draws the triangles of the tubes that can show (tube_visibility.h), made for this pass
// with the vertices that the kept mesh would have, a chunk at a time in each colour group's
// material: only one chunk's vertices are held at once.
// The number of triangles a tube's set of words holds.
std::size_t triangleCount(const std::uint64_t* triangles, int words)
{
    std::size_t n = 0;
    for (int w = 0; w < words; ++w) {
        n += static_cast<std::size_t>(__builtin_popcountll(triangles[w]));
    }
    return n;
}

void drawVisibleTubes(const DrawContext& c, const GeometryCache& cache, const FaceCulling& culling)
{
    const VisibleTubes* found = visibleFacesThisPass(c, cache, culling);
    if (found == nullptr) {
        return;
    }
    const VisibleTubes& visible = *found;
    const TubeRing ring = tubeRing(c.settings.segments);
    const bool colored = vertexColors(cache.range);
    // The tube groups are runs of tube numbers in order, as are the visible tubes. They are
    // drawn in batches of one group's tubes whose triangles fill about one chunk; a batch is
    // one chunk of a sliced frame, sized from the triangle counts alone, so that a resumed
    // slice neither makes nor draws the triangles of the batches before it.
    std::size_t g = 0;
    std::size_t k = 0;
    while (k < visible.size()) {
        while (visible.tubes[k] >= cache.groups[g].first + cache.groups[g].count) {
            ++g;
        }
        const std::size_t groupEnd = cache.groups[g].first + cache.groups[g].count;
        std::size_t last = k;
        std::size_t indices = 0;
        while (last < visible.size() && visible.tubes[last] < groupEnd && indices < kChunk) {
            indices += 3 * triangleCount(visible.trianglesOf(last), visible.words);
            ++last;
        }
        if (chunkSkipped()) {
            k = last;
            continue;
        }
        useGroupMaterial(c.settings, cache.groups[g].colorIndex);
        scratchMesh.positions.clear();
        scratchMesh.normals.clear();
        scratchMesh.colors.clear();
        scratchMesh.indices.clear();
        for (; k < last; ++k) {
            Point3d a, b;
            tubeSegmentEnds(c.data, cache.tubes[visible.tubes[k]], a, b);
            const std::size_t firstVertex = scratchMesh.vertexCount();
            appendTubeTriangles(ring, a, b, c.settings.thickness, visible.trianglesOf(k), scratchMesh);
            if (colored) {
                colorTubeEnds(cache.range, cache.tubes[visible.tubes[k]], a, b, firstVertex, scratchMesh);
            }
        }
        drawMesh(scratchMesh, 0, scratchMesh.indices.size(), false);
        chunkDrawn();
    }
}

// Whether the tubes are large on screen, as a sample of them shows: then their triangles,
// which the renderer fills faster than the processor's rasterising does, are tried first.
bool largeOnScreen(const DrawContext& c, const GeometryCache& cache, const FaceCulling& culling)
{
    // Pixels a tube covers, on average, from which the triangles pay (measured: tubes a few
    // pixels long and across rasterise faster on the processor).
    constexpr double kLargeTubePixels = 200.0;
    constexpr std::size_t kSampled = 256;
    const float* m = culling.clipFromModel;
    const auto window = [&](const Point3d& p, double& x, double& y, double& w) {
        const double px = p.x, py = p.y, pz = p.z;
        w = m[3] * px + m[7] * py + m[11] * pz + m[15];
        x = (m[0] * px + m[4] * py + m[8] * pz + m[12]) / w * 0.5 * culling.width;
        y = (m[1] * px + m[5] * py + m[9] * pz + m[13]) / w * 0.5 * culling.height;
    };
    // A unit across at depth w spans height / 2 times the y row's length (the projection's
    // scale of y times the model-view's scale) over w pixels.
    const double unitPixels = 0.5 * culling.height * std::sqrt(double(m[1]) * m[1] + double(m[5]) * m[5] + double(m[9]) * m[9]);
    double area = 0.0;
    std::size_t looked = 0;
    const std::size_t step = std::max<std::size_t>(1, cache.tubes.size() / kSampled);
    for (std::size_t t = 0; t < cache.tubes.size(); t += step, ++looked) {
        Point3d a, b;
        tubeSegmentEnds(c.data, cache.tubes[t], a, b);
        double ax, ay, aw, bx, by, bw;
        window(a, ax, ay, aw);
        window(b, bx, by, bw);
        if (!(aw > 0.0 && bw > 0.0)) {
            return true;  // reaching behind the eye: large
        }
        const double across = 2.0 * c.settings.thickness * unitPixels * 2.0 / (aw + bw);
        area += (std::hypot(bx - ax, by - ay) + across) * across;
    }
    return looked > 0 && area / static_cast<double>(looked) > kLargeTubePixels;
}

void drawTubeMeshes(const DrawContext& c, const GeometryCache& cache)
{
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    const FaceCulling culling = faceCulling();
    if (culling.on && smoothing()) {
        // Pixels found on the processor have one sample each: a smoothed (multisampled)
        // picture takes the triangles, whose edges it smooths. Its time counts for neither.
        drawVisibleTubes(c, cache, culling);
    } else if (culling.on) {
        const TubeDrawing drawing = c.tubeFrame.decide(largeOnScreen(c, cache, culling) ? TubeDrawing::Triangles
                                                                                        : TubeDrawing::Pixels);
        if (drawing == TubeDrawing::Pixels && drawTubePixels(c, cache, culling)) {
            c.tubeFrame.used = true;
        } else {
            drawVisibleTubes(c, cache, culling);
            c.tubeFrame.used = drawing == TubeDrawing::Triangles;
        }
    } else if (const MeshArrays* mesh = c.geometry.keptTubeMesh()) {
        // The mesh's groups hold the tubes of the tube groups, in their order.
        for (const ColorGroup& g : cache.meshGroups) {
            useGroupMaterial(c.settings, g.colorIndex);
            drawMesh(*mesh, g.first, g.count);
        }
    } else {
        // Too many tubes to keep their mesh: generate it a few thousand tubes at a time.
        const TubeRing ring = tubeRing(c.settings.segments);
        for (const ColorGroup& g : cache.groups) {
            useGroupMaterial(c.settings, g.colorIndex);
            for (std::size_t s = g.first; s < g.first + g.count;) {
                const std::size_t end = std::min(g.first + g.count, s + kStreamedTubes);
                // A block of generated tubes is one chunk of a sliced frame, so that a
                // resumed slice does not generate the blocks drawn before.
                if (chunkSkipped()) {
                    s = end;
                    continue;
                }
                scratchMesh.positions.clear();
                scratchMesh.normals.clear();
                scratchMesh.colors.clear();
                scratchMesh.indices.clear();
                scratchMesh.tubeStarts.clear();
                for (; s < end; ++s) {
                    Point3d a, b;
                    tubeSegmentEnds(c.data, cache.tubes[s], a, b);
                    const std::size_t firstVertex = scratchMesh.vertexCount();
                    appendTube(ring, a, b, c.settings.thickness, scratchMesh);
                    if (vertexColors(cache.range)) {
                        colorTubeEnds(cache.range, cache.tubes[s], a, b, firstVertex, scratchMesh);
                    }
                }
                drawMesh(scratchMesh, 0, scratchMesh.indices.size(), false);
                chunkDrawn();
            }
        }
    }
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

}  // namespace

bool drawTubesFast(const DrawContext& c, const DrawRange& range, DisplayType displayType, bool asLines,
                   double lineShare)
{
    const GeometryCache& cache = c.geometry.geometryFor(range, displayType, geometryInputs(c));
    if (cache.tubes.empty()) {
        return true;
    }
    const float width = thinTubeWidth(cache, c.settings.thickness, asLines);
    GLint polygonMode[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, polygonMode);
    if (width <= 0.0f && polygonMode[0] != GL_FILL) {
        return false;
    }
    glPushMatrix();
    glTranslated(c.data.tx, c.data.ty, c.data.tz);
    if (width > 0.0f) {
        drawThinTubes(c, width, lineShare < 1.0 ? static_cast<std::size_t>(std::lround(1.0 / lineShare)) : 1);
    } else {
        drawTubeMeshes(c, cache);
    }
    glPopMatrix();
    leaveStateAsDrawn(c.settings, cache);
    return true;
}

