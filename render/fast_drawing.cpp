// Drawing from kept vertex arrays with OpenGL 1.1 client arrays, in chunks so that the
// driver's copy of each draw stays small, and in one material per colour group.
#include "render/fast_drawing.h"

// The fence calls, where the context offers them, come from the GL library's own exports.
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <thread>

#include "render/frame.h"
#include "render/geometry_cache.h"
#include "render/scene_parts.h"
#include "render/surface_pixels.h"

namespace {

// Vertices or indices handed to the driver in one call; the software renderer's memory for
// the work in flight grows with it.
constexpr std::size_t kChunk = 1u << 14;
// Chunks that may be queued in the renderer before the drawing waits for them.
constexpr unsigned kChunksInFlight = 2;
// Tubes generated per call when their mesh is not kept.
constexpr std::size_t kStreamedTubes = 2048;
// From this many points of one colour on, drawing the pixels they cover costs less than
// drawing the points; up to this reach in pixels the covered pixels are quick to find.
constexpr std::size_t kSplatFrom = 1u << 15;
constexpr double kSplatReach = 4.0;
// From this many quadrilaterals on, a filled surface leaves out those that cover no
// pixel centre.
constexpr std::size_t kSampleFreeFrom = 1u << 14;
// From this many points on, two threads find the covered pixels.
constexpr std::size_t kSplatThreadsFrom = 1u << 17;
// From this many tubes on, two threads find the faces to draw, this many tubes at a time.
constexpr std::size_t kCullingThreadsFrom = 2048;
constexpr std::size_t kCulledTubeBlock = 256;

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

// The software renderer keeps the work of a frame until it is flushed, and queues flushed
// work faster than its threads finish it: the drawing waits now and then, so that at most
// kChunksInFlight chunks are queued, which bounds the memory that a big draw takes. With
// fences the wait is for the chunk kChunksInFlight back, so that the renderer's threads
// never run dry; without them, for all queued work every kChunksInFlight chunks.
struct ChunkFences {
    bool usable = false;
    GLsync ring[kChunksInFlight] = {};
    unsigned next = 0;
    unsigned chunks = 0;
};
ChunkFences fences;

// Fences came with OpenGL 3.2 and GL_ARB_sync.
bool contextHasFences()
{
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = 0, minor = 0;
    if (version != nullptr && std::sscanf(version, "%d.%d", &major, &minor) == 2 &&
        (major > 3 || (major == 3 && minor >= 2))) {
        return true;
    }
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return extensions != nullptr && std::strstr(extensions, "GL_ARB_sync") != nullptr;
}

void handOver()
{
    if (!fences.usable) {
        if (++fences.chunks % kChunksInFlight == 0) {
            glFinish();
        } else {
            glFlush();
        }
        return;
    }
    GLsync& slot = fences.ring[fences.next];
    if (slot != nullptr && glIsSync(slot)) {
        glClientWaitSync(slot, GL_SYNC_FLUSH_COMMANDS_BIT, GL_TIMEOUT_IGNORED);
        glDeleteSync(slot);
    }
    slot = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    glFlush();
    fences.next = (fences.next + 1) % kChunksInFlight;
}

// Fences belong to the context of the frame: none outlives it.
void dropFences()
{
    for (GLsync& slot : fences.ring) {
        if (slot != nullptr && glIsSync(slot)) {
            glDeleteSync(slot);
        }
        slot = nullptr;
    }
    fences.next = 0;
}

// The slicing of a frame over display callbacks (see fast_drawing.h).
struct FrameSlice {
    double budget = 0.0;  // seconds; 0: whole frames
    std::chrono::steady_clock::time_point start;
    std::size_t next = 0;      // chunks met in this callback
    std::size_t resumeAt = 0;  // chunks drawn by earlier callbacks
    std::size_t stoppedAt = 0;
    bool spent = false;  // the budget is spent: stop in front of the next chunk
    bool stopped = false;
    bool masked = false;
};
FrameSlice slice;

void maskWrites(bool masked)
{
    const GLboolean write = masked ? GL_FALSE : GL_TRUE;
    glColorMask(write, write, write, write);
    glDepthMask(write);
    slice.masked = masked;
}

// Whether the chunk coming next is to be left out: one drawn by an earlier slice, or any
// from where this slice stopped. A slice stops only in front of a chunk, never after the
// last one, so that the drawing between two chunks (or after the last) is always done by
// the slice that draws the chunk before it. Drawing resumes unmasked at the first chunk
// not yet drawn.
bool chunkSkipped()
{
    if (slice.budget <= 0.0 || slice.stopped) {
        return slice.stopped;
    }
    if (slice.next < slice.resumeAt) {
        ++slice.next;
        return true;
    }
    if (slice.spent) {
        slice.stopped = true;
        slice.stoppedAt = slice.next;
        maskWrites(true);
        return true;
    }
    if (slice.masked) {
        maskWrites(false);
    }
    return false;
}

// Counts a drawn chunk and notes when the budget is spent.
void chunkDrawn()
{
    if (slice.budget <= 0.0) {
        return;
    }
    ++slice.next;
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - slice.start;
    slice.spent = spent.count() > slice.budget;
}

void drawArraysChunked(GLenum mode, std::size_t first, std::size_t count, std::size_t perPrimitive)
{
    const std::size_t chunk = kChunk - kChunk % perPrimitive;
    for (std::size_t done = 0; done < count; done += chunk) {
        if (chunkSkipped()) {
            continue;
        }
        const std::size_t n = std::min(chunk, count - done);
        glDrawArrays(mode, static_cast<GLint>(first + done), static_cast<GLsizei>(n));
        handOver();
        chunkDrawn();
    }
}

// sliced: each chunk counts as one of the frame's slices' chunks; a caller that counts
// the whole call as one chunk passes false.
void drawElementsChunked(GLenum mode, const std::uint32_t* indices, std::size_t count, std::size_t perPrimitive,
                         bool sliced = true)
{
    const std::size_t chunk = kChunk - kChunk % perPrimitive;
    for (std::size_t done = 0; done < count; done += chunk) {
        if (sliced && chunkSkipped()) {
            continue;
        }
        const std::size_t n = std::min(chunk, count - done);
        glDrawElements(mode, static_cast<GLsizei>(n), GL_UNSIGNED_INT, indices + done);
        handOver();
        if (sliced) {
            chunkDrawn();
        }
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

void multiply(const float a[16], const float b[16], float out[16])
{
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            float s = 0.0f;
            for (int k = 0; k < 4; ++k) {
                s += a[k * 4 + r] * b[c * 4 + k];
            }
            out[c * 4 + r] = s;
        }
    }
}

// Per-frame working memory, kept so that frames do not allocate.
struct Scratch {
    std::vector<float> points;
    std::vector<float> pixels;
    std::vector<float> window;
    std::vector<float> normals;
    std::vector<std::uint32_t> indices;
    std::vector<std::vector<std::uint32_t>> blockIndices;
    MeshArrays mesh;
    SurfacePixels surface;
};
Scratch scratch;

// The pixels that a smooth point covers: those whose centres lie nearer than this to the
// point's position in the window (the renderer's rule, found by probing it), at least a
// pixel's width for the smallest points.
double smoothPointReach(float size)
{
    return std::max(0.5 * size, 1.0);
}

// What one thread of the splatting finds: the nearest depth of each covered pixel (the
// others hold infinity), the pixels it covered first, and the points it left to the driver.
struct SplatPart {
    std::vector<float> depth;
    std::vector<std::uint32_t> touched;
    std::vector<float> passed;
};

struct SplatView {
    float m[16];  // projection times model-view
    int width, height;
    float reach;
};

void splatRange(const float* p, std::size_t count, const SplatView& v, SplatPart& part)
{
    const float* m = v.m;
    const float r = v.reach, r2 = r * r;
    const float left = r, right = static_cast<float>(v.width) - r;
    const float bottom = r, top = static_cast<float>(v.height) - r;
    for (std::size_t k = 0; k < count; ++k, p += 3) {
        const float cw = m[3] * p[0] + m[7] * p[1] + m[11] * p[2] + m[15];
        const float cx = m[0] * p[0] + m[4] * p[1] + m[8] * p[2] + m[12];
        const float cy = m[1] * p[0] + m[5] * p[1] + m[9] * p[2] + m[13];
        const float cz = m[2] * p[0] + m[6] * p[1] + m[10] * p[2] + m[14];
        float wx = -1.0f, wy = -1.0f, z = 0.0f;
        if (cw > 0.0f) {
            const float inv = 1.0f / cw;
            wx = (cx * inv + 1.0f) * 0.5f * static_cast<float>(v.width);
            wy = (cy * inv + 1.0f) * 0.5f * static_cast<float>(v.height);
            z = cz * inv;
        }
        if (!(wx > left && wx < right && wy > bottom && wy < top && z >= -1.0f && z <= 1.0f)) {
            part.passed.insert(part.passed.end(), p, p + 3);
            continue;
        }
        // Pixel centres px + 0.5 strictly within r of wx: px from above wx - r - 0.5 to
        // below wx + r - 0.5 (the distance test below settles the corners).
        const int x0 = static_cast<int>(wx - r + 0.5f), x1 = static_cast<int>(wx + r - 0.5f);
        const int y0 = static_cast<int>(wy - r + 0.5f), y1 = static_cast<int>(wy + r - 0.5f);
        for (int py = y0; py <= y1; ++py) {
            const float dy = static_cast<float>(py) + 0.5f - wy;
            for (int px = x0; px <= x1; ++px) {
                const float dx = static_cast<float>(px) + 0.5f - wx;
                if (dx * dx + dy * dy >= r2) {
                    continue;
                }
                const std::size_t pixel = static_cast<std::size_t>(py) * v.width + px;
                float& d = part.depth[pixel];
                if (d == std::numeric_limits<float>::infinity()) {
                    part.touched.push_back(static_cast<std::uint32_t>(pixel));
                    d = z;
                } else if (z < d) {
                    d = z;
                }
            }
        }
    }
}

SplatPart splatParts[2];

// Points that a thread takes at a time. The threads take the blocks in turn from a shared
// count, so that one slowed down by other work (the renderer's threads finishing the pass
// before) leaves more to the other.
constexpr std::size_t kSplatBlock = 1u << 14;

void splatBlocks(const float* points, std::size_t count, const SplatView& v, std::atomic<std::size_t>& next,
                 SplatPart& part)
{
    for (;;) {
        const std::size_t first = next.fetch_add(kSplatBlock);
        if (first >= count) {
            return;
        }
        splatRange(points + first * 3, std::min(kSplatBlock, count - first), v, part);
    }
}

// Smooth points of one colour drawn as the pixels they cover: each covered pixel once, at
// the nearest depth of the points covering it, which is what the depth test leaves there
// when all of them are drawn. Points that the picture's edge or the clipping planes cut
// are left to the driver in scratch.points; the pixels go to scratch.pixels as window x,
// y and normalised depth. Two threads share the points when there are many.
void splatPoints(const GeometryCache& cache, const Transform& t, double reach)
{
    SplatView v;
    multiply(t.projection, t.modelview, v.m);
    v.width = std::max(t.viewport[2], 0);
    v.height = std::max(t.viewport[3], 0);
    v.reach = static_cast<float>(reach);
    const std::size_t pixels = static_cast<std::size_t>(v.width) * v.height;
    for (SplatPart& part : splatParts) {
        if (part.depth.size() != pixels) {
            part.depth.assign(pixels, std::numeric_limits<float>::infinity());
        }
        part.touched.clear();
        part.passed.clear();
    }
    const std::size_t count = cache.points.size() / 3;
    std::atomic<std::size_t> next{0};
    std::thread other;
    if (count >= kSplatThreadsFrom) {
        other = std::thread(splatBlocks, cache.points.data(), count, std::cref(v), std::ref(next),
                            std::ref(splatParts[1]));
    }
    splatBlocks(cache.points.data(), count, v, next, splatParts[0]);
    if (other.joinable()) {
        other.join();
    }

    SplatPart& whole = splatParts[0];
    SplatPart& second = splatParts[1];
    for (std::uint32_t pixel : second.touched) {
        float& d = whole.depth[pixel];
        if (d == std::numeric_limits<float>::infinity()) {
            whole.touched.push_back(pixel);
        }
        d = std::min(d, second.depth[pixel]);
        second.depth[pixel] = std::numeric_limits<float>::infinity();
    }
    scratch.points = whole.passed;
    scratch.points.insert(scratch.points.end(), second.passed.begin(), second.passed.end());
    scratch.pixels.resize(whole.touched.size() * 3);
    float* out = scratch.pixels.data();
    for (std::uint32_t pixel : whole.touched) {
        *out++ = static_cast<float>(pixel % static_cast<std::uint32_t>(v.width)) + 0.5f;
        *out++ = static_cast<float>(pixel / static_cast<std::uint32_t>(v.width)) + 0.5f;
        *out++ = whole.depth[pixel];
        whole.depth[pixel] = std::numeric_limits<float>::infinity();
    }
}

// Inverse of an affine column-order matrix; false when it has none (a scale of 0).
bool affineInverse(const float m[16], double out[16])
{
    const double a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9], g = m[2], h = m[6], i = m[10];
    const double det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    if (det == 0.0 || !std::isfinite(det)) {
        return false;
    }
    const double l[9] = {(e * i - f * h) / det, (c * h - b * i) / det, (b * f - c * e) / det,
                         (f * g - d * i) / det, (a * i - c * g) / det, (c * d - a * f) / det,
                         (d * h - e * g) / det, (b * g - a * h) / det, (a * e - b * d) / det};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            out[col * 4 + row] = l[row * 3 + col];
        }
        out[12 + row] = -(l[row * 3] * m[12] + l[row * 3 + 1] * m[13] + l[row * 3 + 2] * m[14]);
        out[row * 4 + 3] = 0.0;
    }
    out[15] = 1.0;
    return true;
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
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) {
                sum += windowToClip[k * 4 + r] * inverse[c * 4 + k];
            }
            projection[c * 4 + r] = sum;
        }
    }
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
    multiply(t.projection, t.modelview, m);
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
    SurfaceView view;
    multiply(t.projection, t.modelview, view.clipFromModel);
    view.width = t.viewport[2];
    view.height = t.viewport[3];
    findSurfacePixels(grid, view, scratch.surface);
    drawGridQuads(cache, &scratch.surface.quads);
    drawSplattedPixels(t, scratch.surface.pixels, grid.normals != nullptr ? scratch.surface.normals.data() : nullptr);
    return true;
}

void drawMesh(const MeshArrays& mesh, std::size_t firstIndex, std::size_t indexCount, bool sliced = true)
{
    glVertexPointer(3, GL_FLOAT, 0, mesh.positions.data());
    glNormalPointer(GL_FLOAT, 0, mesh.normals.data());
    drawElementsChunked(GL_TRIANGLES, mesh.indices.data() + firstIndex, indexCount, 3, sliced);
}

// What leaving out the faces of the tubes turned away from the eye needs: the eye in the
// tubes' model space, and the model-view matrix's depth row and largest scale to find
// tubes reaching in front of the near plane.
struct FaceCulling {
    bool on = false;
    float eye[3] = {};
    float depthRow[4] = {};
    float scale = 0.0f;
    float clipFromModel[16] = {};
    float width = 0.0f, height = 0.0f;
};

// A tube is a closed convex solid, so with the depth test its faces turned away from the
// eye lie behind those turned towards it and never show. That holds only for filled,
// opaque tubes seen through a perspective frustum and not cut by the near plane (checked
// per tube): otherwise every face is drawn. The test is made in the model space, where a
// negative scale mirrors the faces and the eye alike.
FaceCulling faceCulling()
{
    FaceCulling c;
    GLint polygonMode[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, polygonMode);
    if (polygonMode[0] != GL_FILL || polygonMode[1] != GL_FILL || glIsEnabled(GL_BLEND) ||
        !glIsEnabled(GL_DEPTH_TEST)) {
        return c;
    }
    const Transform t = currentTransform();
    const float* p = t.projection;
    if (p[3] != 0.0f || p[7] != 0.0f || p[11] != -1.0f || p[15] != 0.0f) {
        return c;
    }
    double inverse[16];
    if (!affineInverse(t.modelview, inverse)) {
        return c;
    }
    const float* m = t.modelview;
    for (int k = 0; k < 3; ++k) {
        c.eye[k] = static_cast<float>(inverse[12 + k]);
        c.depthRow[k] = -m[4 * k + 2];
        const float column = std::sqrt(m[4 * k] * m[4 * k] + m[4 * k + 1] * m[4 * k + 1] + m[4 * k + 2] * m[4 * k + 2]);
        c.scale = std::max(c.scale, column);
    }
    c.depthRow[3] = -m[14];
    multiply(t.projection, t.modelview, c.clipFromModel);
    c.width = static_cast<float>(t.viewport[2]);
    c.height = static_cast<float>(t.viewport[3]);
    c.on = true;
    return c;
}

// Window positions, x and y, of count vertices of the mesh from first on; false when one
// of them lies behind the eye.
bool placeInWindow(const MeshArrays& mesh, std::size_t first, std::size_t count, const FaceCulling& c, float* out)
{
    const float* m = c.clipFromModel;
    const float* p = &mesh.positions[first * 3];
    const float halfWidth = 0.5f * c.width, halfHeight = 0.5f * c.height;
    for (std::size_t k = 0; k < count; ++k, p += 3, out += 2) {
        const float cw = m[3] * p[0] + m[7] * p[1] + m[11] * p[2] + m[15];
        if (!(cw > 0.0f)) {
            return false;
        }
        const float inv = 1.0f / cw;
        out[0] = ((m[0] * p[0] + m[4] * p[1] + m[8] * p[2] + m[12]) * inv + 1.0f) * halfWidth;
        out[1] = ((m[1] * p[0] + m[5] * p[1] + m[9] * p[2] + m[13]) * inv + 1.0f) * halfHeight;
    }
    return true;
}

// Pixel-centre tests of the tube faces allow this much more than the renderer's rounding.
constexpr float kCoverMargin = 1.0f / 16.0f;

// The pixel centres, px + 0.5 and py + 0.5, within a window box widened by the margin, as
// box = {px0, px1, py0, py1}; false when it holds none (or is not a number).
bool centresInBox(float x0, float x1, float y0, float y1, int box[4])
{
    if (!(x0 <= x1 && y0 <= y1)) {
        return false;
    }
    // Boxes reaching this far are never narrowed to their centres; within it the integer
    // conversions below are exact floors and ceilings.
    constexpr float wide = 1.0e6f;
    const auto ceiling = [](float v) {
        const int i = static_cast<int>(v);
        return i + (v > static_cast<float>(i) ? 1 : 0);
    };
    const auto floorOf = [](float v) {
        const int i = static_cast<int>(v);
        return i - (v < static_cast<float>(i) ? 1 : 0);
    };
    box[0] = ceiling(std::max(x0 - 0.5f - kCoverMargin, -wide));
    box[1] = floorOf(std::min(x1 - 0.5f + kCoverMargin, wide));
    box[2] = ceiling(std::max(y0 - 0.5f - kCoverMargin, -wide));
    box[3] = floorOf(std::min(y1 - 0.5f + kCoverMargin, wide));
    return box[0] <= box[1] && box[2] <= box[3];
}

// The centres within the window box of count vertices, listed in v (window holds the
// positions of the vertices from base on).
bool boxHoldsCentre(const float* window, std::uint32_t base, const std::uint32_t* v, std::size_t count,
                    int box[4])
{
    float x0 = window[2 * (v[0] - base)], x1 = x0;
    float y0 = window[2 * (v[0] - base) + 1], y1 = y0;
    for (std::size_t k = 1; k < count; ++k) {
        const float* p = window + 2 * (v[k] - base);
        x0 = std::min(x0, p[0]);
        x1 = std::max(x1, p[0]);
        y0 = std::min(y0, p[1]);
        y1 = std::max(y1, p[1]);
    }
    return centresInBox(x0, x1, y0, y1, box);
}

// The same for count vertices that follow each other from first on.
bool runBoxHoldsCentre(const float* window, std::uint32_t base, std::uint32_t first, std::size_t count,
                       int box[4])
{
    const float* p = window + 2 * (first - base);
    float x0 = p[0], x1 = x0, y0 = p[1], y1 = y0;
    for (std::size_t k = 1; k < count; ++k) {
        p += 2;
        x0 = std::min(x0, p[0]);
        x1 = std::max(x1, p[0]);
        y0 = std::min(y0, p[1]);
        y1 = std::max(y1, p[1]);
    }
    return centresInBox(x0, x1, y0, y1, box);
}

// Whether a filled triangle may make a fragment: a triangle makes fragments only at the
// pixel centres it covers, and the many small faces of thin tubes mostly cover none. The
// margin, far wider than the renderer's rounding, keeps every doubtful one. window holds
// the window positions of the vertices from base on.
bool mayCoverPixelCentre(const float* window, std::uint32_t base, const std::uint32_t* triangle)
{
    constexpr int mostCentresTested = 4;
    int box[4];
    if (!boxHoldsCentre(window, base, triangle, 3, box)) {
        return false;
    }
    if ((box[1] - box[0] + 1) * (box[3] - box[2] + 1) > mostCentresTested) {
        return true;
    }
    const float* v[3] = {window + 2 * (triangle[0] - base), window + 2 * (triangle[1] - base),
                         window + 2 * (triangle[2] - base)};
    const float area = (v[1][0] - v[0][0]) * (v[2][1] - v[0][1]) - (v[1][1] - v[0][1]) * (v[2][0] - v[0][0]);
    const float sign = area < 0.0f ? -1.0f : 1.0f;
    for (int py = box[2]; py <= box[3]; ++py) {
        for (int px = box[0]; px <= box[1]; ++px) {
            const float cx = static_cast<float>(px) + 0.5f, cy = static_cast<float>(py) + 0.5f;
            bool inside = true;
            for (int k = 0; k < 3 && inside; ++k) {
                const float* p = v[(k + 1) % 3];
                const float* q = v[(k + 2) % 3];
                const float dx = q[0] - p[0], dy = q[1] - p[1];
                // The edge function is the distance from the edge times the edge's length.
                const float e = sign * (dx * (cy - p[1]) - dy * (cx - p[0]));
                inside = e >= 0.0f || e * e <= kCoverMargin * kCoverMargin * (dx * dx + dy * dy);
            }
            if (inside) {
                return true;
            }
        }
    }
    return false;
}

// Appends those of count indices' triangles that may make a fragment.
void appendCovering(const float* window, std::uint32_t base, const std::uint32_t* t, std::size_t count,
                    std::vector<std::uint32_t>& out)
{
    for (std::size_t k = 0; k < count; k += 3) {
        if (mayCoverPixelCentre(window, base, t + k)) {
            out.insert(out.end(), t + k, t + k + 3);
        }
    }
}

// Whether the plane through vertex v with normal n may face the eye. Faces seen edge-on
// cover no pixel either way; the margin keeps them, so that rounding drops no face that
// shows.
bool facesEye(const MeshArrays& mesh, std::uint32_t v, const float n[3], const FaceCulling& c)
{
    const float* p = &mesh.positions[static_cast<std::size_t>(v) * 3];
    const float d[3] = {c.eye[0] - p[0], c.eye[1] - p[1], c.eye[2] - p[2]};
    const float dot = n[0] * d[0] + n[1] * d[1] + n[2] * d[2];
    const float nn = n[0] * n[0] + n[1] * n[1] + n[2] * n[2];
    const float dd = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    return dot > 0.0f || dot * dot <= 1.0e-6f * nn * dd;
}

float eyeDepth(const MeshArrays& mesh, std::uint32_t v, const FaceCulling& c)
{
    const float* p = &mesh.positions[static_cast<std::size_t>(v) * 3];
    return c.depthRow[0] * p[0] + c.depthRow[1] * p[1] + c.depthRow[2] * p[2] + c.depthRow[3];
}

// Appends to out the triangles of tubes first to end of the mesh that face the eye: the
// side's quadrilaterals whose plane faces it and the cap that faces it. A tube's indices
// are its side's s quadrilaterals (low i, high i, high i + 1, low i, high i + 1, low i + 1),
// when it has a side, then its two caps' fans of s triangles from their centres.
// A tube's vertices at the most segments (4 * 60 + 2).
constexpr std::size_t kMostTubeVertices = 242;

void appendFrontFaces(const MeshArrays& mesh, std::size_t first, std::size_t end, int segments, float radius,
                      const FaceCulling& c, std::vector<std::uint32_t>& out)
{
    const std::size_t s = static_cast<std::size_t>(segments);
    const float reach = radius * c.scale * 1.01f + static_cast<float>(kNearPlane);
    const std::uint32_t* indices = mesh.indices.data();
    for (std::size_t tube = first; tube < end; ++tube) {
        const std::size_t start = mesh.tubeStarts[tube];
        const std::size_t stop = tube + 1 < mesh.tubeStarts.size() ? mesh.tubeStarts[tube + 1] : mesh.indices.size();
        const std::uint32_t* t = indices + start;
        const std::size_t count = stop - start;
        const std::size_t side = count == 12 * s ? 6 * s : 0;
        const bool shaped = count == side + 6 * s;
        const std::uint32_t* caps = t + side;
        if (!shaped || eyeDepth(mesh, caps[0], c) <= reach || eyeDepth(mesh, caps[3 * s], c) <= reach) {
            out.insert(out.end(), t, t + count);  // cut by the near plane: its inside may show
            continue;
        }
        // A tube's vertices follow each other from its first index on: its side's, then
        // each cap's centre and rim.
        const std::uint32_t base = t[0];
        const std::size_t vertices = (side > 0 ? 2 * s : 0) + 2 * (s + 1);
        float window[2 * kMostTubeVertices];
        if (vertices > kMostTubeVertices || !placeInWindow(mesh, base, vertices, c, window)) {
            out.insert(out.end(), t, t + count);
            continue;
        }
        for (std::size_t i = 0; i < side; i += 6) {
            const float* n0 = &mesh.normals[static_cast<std::size_t>(t[i]) * 3];
            const float* n1 = &mesh.normals[static_cast<std::size_t>(t[i + 5]) * 3];
            const float n[3] = {n0[0] + n1[0], n0[1] + n1[1], n0[2] + n1[2]};
            int box[4];
            // The quadrilateral's four corners are its first triangle's and the last index.
            const std::uint32_t corners[4] = {t[i], t[i + 1], t[i + 2], t[i + 5]};
            if (facesEye(mesh, t[i], n, c) && boxHoldsCentre(window, base, corners, 4, box)) {
                appendCovering(window, base, t + i, 6, out);
            }
        }
        for (int cap = 0; cap < 2; ++cap) {
            const std::uint32_t* fan = caps + cap * 3 * s;
            // The cap's centre and rim follow each other.
            int box[4];
            if (facesEye(mesh, fan[0], &mesh.normals[static_cast<std::size_t>(fan[0]) * 3], c) &&
                runBoxHoldsCentre(window, base, fan[0], s + 1, box)) {
                appendCovering(window, base, fan, 3 * s, out);
            }
        }
    }
}

// Draws tubes first to end of the mesh, only their faces towards the eye when culling is
// on; indices is the run of the mesh's indices that holds exactly those tubes.
void drawTubeRun(const MeshArrays& mesh, std::size_t first, std::size_t end, const ColorGroup& indices,
                 const FaceCulling& c, bool sliced = true)
{
    if (!c.on) {
        drawMesh(mesh, indices.first, indices.count, sliced);
        return;
    }
    scratch.indices.clear();
    if (end - first >= kCullingThreadsFrom) {
        // Two threads take blocks of tubes in turn, each block's faces kept apart, and the
        // blocks are joined in the tubes' order.
        const std::size_t blocks = (end - first + kCulledTubeBlock - 1) / kCulledTubeBlock;
        if (scratch.blockIndices.size() < blocks) {
            scratch.blockIndices.resize(blocks);
        }
        std::atomic<std::size_t> next{0};
        const auto work = [&]() {
            for (std::size_t b = next++; b < blocks; b = next++) {
                const std::size_t from = first + b * kCulledTubeBlock;
                scratch.blockIndices[b].clear();
                appendFrontFaces(mesh, from, std::min(end, from + kCulledTubeBlock), viewer.segments,
                                 viewer.thickness, c, scratch.blockIndices[b]);
            }
        };
        std::thread other(work);
        work();
        other.join();
        for (std::size_t b = 0; b < blocks; ++b) {
            scratch.indices.insert(scratch.indices.end(), scratch.blockIndices[b].begin(),
                                   scratch.blockIndices[b].end());
        }
    } else {
        appendFrontFaces(mesh, first, end, viewer.segments, viewer.thickness, c, scratch.indices);
    }
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
            drawTubeRun(*mesh, cache.groups[k].first, cache.groups[k].first + cache.groups[k].count, g, culling);
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
        splatPoints(cache, t, reach);
        useGroupMaterial(cache.groups.front().colorIndex);
        glVertexPointer(3, GL_FLOAT, 0, scratch.points.data());
        drawArraysChunked(GL_POINTS, 0, scratch.points.size() / 3, 1);
        drawSplattedPixels(t, scratch.pixels);
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

void setFrameSliceBudget(double seconds)
{
    slice.budget = seconds > 0.0 ? seconds : 0.0;
}

double frameSliceBudget()
{
    return slice.budget;
}

void beginFrameSlice(std::size_t resumeAt)
{
    fences.usable = contextHasFences();
    slice.start = std::chrono::steady_clock::now();
    slice.next = 0;
    slice.resumeAt = slice.budget > 0.0 ? resumeAt : 0;
    slice.spent = false;
    slice.stopped = false;
    if (slice.resumeAt > 0) {
        maskWrites(true);
    }
}

bool frameSliceStopped()
{
    return slice.stopped;
}

std::size_t frameSliceResumePoint()
{
    return slice.stoppedAt;
}

void endFrameSlice()
{
    dropFences();
    if (slice.masked) {
        maskWrites(false);
    }
}
