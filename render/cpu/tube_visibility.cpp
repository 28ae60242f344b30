// The search for the tube triangles that can show: a first pass places each tube in the
// window, records the triangles that may cover each pixel centre with their depth there,
// and lowers per centre the depth that a tube surely covering it leaves at most; a second
// keeps the records that come within the renderer's rounding of that depth.
//
// Index:
//   constants and the per-pixel depths ...... margins, NearestDepths
//   placing a tube ........................... Ring, Placed, floatAxes, placeTube
//   faces in the window ...................... Edge, FaceWindow, placeFace, prepareFace
//   the outline .............................. placeSilhouette
//   one tube's records ....................... Record, placeFaces, searchTube
//   the two passes ........................... addRecord, search, the entry points
#include "render/cpu/tube_visibility.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "render/cpu/block_runner.h"
#include "render/cpu/depth_order.h"

namespace {

constexpr int kMostSegments = 60;
constexpr int kMostVertices = 2 * kMostSegments + 2;

// From this many tubes on, two threads search, this many tubes at a time.
constexpr std::size_t kThreadsFrom = 1024;
constexpr std::size_t kBlock = 256;

// Pixel-centre tests allow this much more than the renderer's rounding of the corners: Mesa's
// software renderers place corners to 1/256 of a pixel (llvmpipe) or in floating point
// (softpipe), and the corners here differ from theirs by far less.
constexpr float kCoverMargin = 1.0f / 64.0f;
// Normalised device depths closer than this may come out of the renderer in either order:
// its own rounding of a few operations on numbers below 2, and the 24-bit depth buffer's
// steps of 2^-23 in these units, many times over.
constexpr float kDepthSlack = 1.5e-6f;
// A face whose window box holds more pixel centres than this is always drawn: the renderer
// does large faces cheaply, and they are few.
constexpr int kMostCentres = 16;
// Records (12 bytes each) held for both eyes before the tubes searched so far are settled:
// 10^6 short needles in anaglyph would otherwise hold some 180 MB of them.
constexpr std::size_t kMostHeldRecords = std::size_t{1} << 18;
// From this many tubes on, the lists of visible tubes are reserved for all of them at once.
constexpr std::size_t kReservedListsFrom = std::size_t{1} << 18;

// The least whole number at or above v, and the greatest at or below, for v held within a range
// where the conversions are exact (the window lies far inside it; not a number goes to its
// low end).
inline int ceilingOf(float v)
{
    v = v >= -1.0e6f ? std::min(v, 1.0e6f) : -1.0e6f;
    const int i = static_cast<int>(v);
    return i + (v > static_cast<float>(i) ? 1 : 0);
}

inline int floorOf(float v)
{
    v = v >= -1.0e6f ? std::min(v, 1.0e6f) : -1.0e6f;
    const int i = static_cast<int>(v);
    return i - (v < static_cast<float>(i) ? 1 : 0);
}

// The next of s places round a ring.
inline int nextRound(int k, int s)
{
    return k + 1 == s ? 0 : k + 1;
}

// A pixel's nearest sure depth as bits that sort as the depths do (depth_order.h); none yet.
constexpr std::uint32_t kNothing = ~std::uint32_t{0};

// One picture's nearest sure depths, lowered by both threads at once. The cells are plain
// words read and written atomically, so that the reset before each search fills them as one
// block (it runs before the threads start) instead of one atomic store at a time.
struct NearestDepths {
    std::unique_ptr<std::uint32_t[]> bits;
    std::size_t size = 0;

    void reset(std::size_t pixels)
    {
        if (size != pixels) {
            bits.reset(new std::uint32_t[pixels]);
            size = pixels;
        }
        std::fill_n(bits.get(), pixels, kNothing);
    }

    void lower(std::size_t pixel, float z)
    {
        const std::uint32_t key = orderedBits(z);
        std::uint32_t* cell = &bits[pixel];
        std::uint32_t seen = __atomic_load_n(cell, __ATOMIC_RELAXED);
        while (key < seen && !__atomic_compare_exchange_n(cell, &seen, key, true, __ATOMIC_RELAXED, __ATOMIC_RELAXED)) {
        }
    }

    float nearest(std::size_t pixel) const
    {
        const std::uint32_t found = __atomic_load_n(&bits[pixel], __ATOMIC_RELAXED);
        return found == kNothing ? INFINITY : depthOfBits(found);
    }
};

NearestDepths depths[2];

// The sines and cosines of the side's rings, as the mesh has them; and for each side face k,
// in the tube's own axes, its first corner at the start (atX, atY) and the unnormalised
// normal that judges whether it faces the eye (normalX, normalY) with its square length.
// Kept apart per value, so that the loops over a ring run on several at once.
struct Ring {
    int s = 0;
    float sinv[kMostSegments], cosv[kMostSegments];
    float atX[kMostSegments], atY[kMostSegments];
    float normalX[kMostSegments], normalY[kMostSegments], normalSquared[kMostSegments];
};

Ring ringOf(const TubeRing& full, int segments, float radius)
{
    Ring ring;
    ring.s = segments;
    for (int k = 0; k < segments; ++k) {
        ring.sinv[k] = full.cylinderSin[k];
        ring.cosv[k] = full.cylinderCos[k];
    }
    for (int k = 0; k < segments; ++k) {
        const int k1 = nextRound(k, segments);
        ring.atX[k] = radius * ring.sinv[k];
        ring.atY[k] = radius * ring.cosv[k];
        ring.normalX[k] = ring.sinv[k] + ring.sinv[k1];
        ring.normalY[k] = ring.cosv[k] + ring.cosv[k1];
        ring.normalSquared[k] = ring.normalX[k] * ring.normalX[k] + ring.normalY[k] * ring.normalY[k] + 0.0f * 0.0f;
    }
    return ring;
}

// A tube placed in the window of one or two eyes: vertex e * s + k is ring k at end e
// (0: the start, 1: the end), 2 s + e the centre of end e. Window y, depth and w are the
// same for both eyes; x is each eye's own.
struct Placed {
    int s = 0;
    bool side = false;   // the tube has a length
    bool whole = false;  // it reaches in front of the near plane: every face is drawn
    float x[2][kMostVertices];
    float y[kMostVertices];
    float z[kMostVertices];
    std::uint64_t facing[2] = {0, 0};
};

// Whether a face counts as facing the eye, from its normal's dot product with the way to the
// eye and the squares of both lengths, as the face culling has always judged it: faces seen
// edge-on count as facing, so that rounding drops none that shows. 1 when it faces; without a
// branch, for loops over many faces.
inline int turnedToEye(float dot, float normalSquared, float waySquared)
{
    return static_cast<int>(dot > 0.0f) | static_cast<int>(dot * dot <= 1.0e-6f * normalSquared * waySquared);
}

// Whether the plane through p with normal n faces the eye at o (turnedToEye).
inline bool facesEye(const float o[3], const float p[3], const float n[3])
{
    const float d[3] = {o[0] - p[0], o[1] - p[1], o[2] - p[2]};
    const float dot = n[0] * d[0] + n[1] * d[1] + n[2] * d[2];
    const float nn = n[0] * n[0] + n[1] * n[1] + n[2] * n[2];
    const float dd = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    return turnedToEye(dot, nn, dd) != 0;
}

// The tube's axes as drawTube turns them (tube_mesh.h's tubeAxes), in floats: the search
// needs them only to within its margins.
struct FloatAxes {
    float x[3], y[3], z[3];
    float length;
};

FloatAxes floatAxes(const Point3d& a, const Point3d& b)
{
    const double dx = b.x - a.x, dy = b.y - a.y, dz = b.z - a.z;
    FloatAxes f{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, static_cast<float>(std::sqrt(dx * dx + dy * dy + dz * dz))};
    if (f.length == 0.0f) {
        return f;
    }
    if (dx == 0.0 && dz == 0.0) {
        // A quarter turn about x, up or down.
        const float up = a.y < b.y ? 1.0f : -1.0f;
        f.y[1] = 0.0f;
        f.y[2] = -up;
        f.z[1] = up;
        f.z[2] = 0.0f;
        return f;
    }
    const float d[3] = {static_cast<float>(dx), static_cast<float>(dy), static_cast<float>(dz)};
    const float side = 1.0f / std::sqrt(d[2] * d[2] + d[0] * d[0]);
    const float sx = d[2] * side, sz = -d[0] * side;
    const float inv = 1.0f / f.length;
    f.x[0] = sx;
    f.x[1] = 0.0f;
    f.x[2] = sz;
    f.y[0] = d[1] * sz * inv;
    f.y[1] = (d[2] * sx - d[0] * sz) * inv;
    f.y[2] = -d[1] * sx * inv;
    for (int k = 0; k < 3; ++k) {
        f.z[k] = d[k] * inv;
    }
    return f;
}

// Places tube t for the eyes; false when it is not placed (then every face is drawn).
void placeTube(const TubeSet& set, const Ring& ring, std::size_t t, const FaceCulling* const eyes[2], int eyeCount,
               Placed& p)
{
    Point3d a, b;
    tubeSegmentEnds(*set.data, set.tubes[t], a, b);
    const FloatAxes f = floatAxes(a, b);
    const int s = ring.s;
    p.s = s;
    p.side = f.length != 0.0f;
    p.whole = false;
    const float r = set.radius;
    const float length = f.length;
    const float at[3] = {static_cast<float>(a.x), static_cast<float>(a.y), static_cast<float>(a.z)};
    float ax[3], ay[3], az[3];
    for (int k = 0; k < 3; ++k) {
        ax[k] = f.x[k] * r;
        ay[k] = f.y[k] * r;
        az[k] = f.z[k] * length;
    }
    // Clip coordinates are linear in the position: a ring vertex's are the start's plus
    // its sine and cosine times those of the ring's axes.
    const auto row = [](const float* m, int r0, const float v[3], float w) {
        return m[r0] * v[0] + m[4 + r0] * v[1] + m[8 + r0] * v[2] + m[12 + r0] * w;
    };
    const float* m = eyes[0]->clipFromModel;
    float start[4], ringX[4], ringY[4], along[4];
    for (int r0 = 1; r0 < 4; ++r0) {
        start[r0] = row(m, r0, at, 1.0f);
        ringX[r0] = row(m, r0, ax, 0.0f);
        ringY[r0] = row(m, r0, ay, 0.0f);
        along[r0] = row(m, r0, az, 0.0f);
    }
    float startX[2], ringXX[2], ringYX[2], alongX[2];
    for (int e = 0; e < eyeCount; ++e) {
        const float* me = eyes[e]->clipFromModel;
        startX[e] = row(me, 0, at, 1.0f);
        ringXX[e] = row(me, 0, ax, 0.0f);
        ringYX[e] = row(me, 0, ay, 0.0f);
        alongX[e] = row(me, 0, az, 0.0f);
    }
    const float halfWidth = 0.5f * eyes[0]->width, halfHeight = 0.5f * eyes[0]->height;
    // The renderer clips what reaches out of the depth range (normalised z from -1 at the near
    // plane to 1 at the far one): such a tube is cut open, and its inside may show.
    constexpr float kClipReach = 1.0e-3f;
    int ahead = 1;
    // Vertex v at the given end, sine and cosine round the ring (0 and 0 for its centre): its
    // window y, depth and 1 / w.
    float inverseW[kMostVertices];
    const auto place = [&](int v, float baseW, float baseY, float baseZ, float sine, float cosine) {
        const float w = baseW + sine * ringX[3] + cosine * ringY[3];
        const float inv = 1.0f / w;
        const float z = (baseZ + sine * ringX[2] + cosine * ringY[2]) * inv;
        inverseW[v] = inv;
        p.y[v] = ((baseY + sine * ringX[1] + cosine * ringY[1]) * inv + 1.0f) * halfHeight;
        p.z[v] = z;
        return static_cast<int>(w > 0.0f) & static_cast<int>(z > kClipReach - 1.0f) &
               static_cast<int>(z < 1.0f - kClipReach);
    };
    // Each end's ring, then its centre. The loops over a ring hold no branch, so that the
    // compiler runs them on several vertices at once.
    for (int end = 0; end < 2; ++end) {
        const float e = static_cast<float>(end);
        const float baseW = start[3] + e * along[3], baseY = start[1] + e * along[1], baseZ = start[2] + e * along[2];
        for (int k = 0; k < s; ++k) {
            ahead &= place(end * s + k, baseW, baseY, baseZ, ring.sinv[k], ring.cosv[k]);
        }
        ahead &= place(2 * s + end, baseW, baseY, baseZ, 0.0f, 0.0f);
    }
    for (int eye = 0; eye < eyeCount; ++eye) {
        float* xs = p.x[eye];
        const auto placeX = [&](int v, float baseX, float sine, float cosine) {
            xs[v] = ((baseX + sine * ringXX[eye] + cosine * ringYX[eye]) * inverseW[v] + 1.0f) * halfWidth;
        };
        for (int end = 0; end < 2; ++end) {
            const float baseX = startX[eye] + static_cast<float>(end) * alongX[eye];
            for (int k = 0; k < s; ++k) {
                placeX(end * s + k, baseX, ring.sinv[k], ring.cosv[k]);
            }
            placeX(2 * s + end, baseX, 0.0f, 0.0f);
        }
    }
    if (!ahead) {
        p.whole = true;
        return;
    }
    // Which faces each eye sees, judged in the tube's own axes.
    for (int e = 0; e < eyeCount; ++e) {
        const float* eye = eyes[e]->eye;
        const float to[3] = {static_cast<float>(eye[0] - a.x), static_cast<float>(eye[1] - a.y),
                             static_cast<float>(eye[2] - a.z)};
        float o[3];
        o[0] = to[0] * f.x[0] + to[1] * f.x[1] + to[2] * f.x[2];
        o[1] = to[0] * f.y[0] + to[1] * f.y[1] + to[2] * f.y[2];
        o[2] = to[0] * f.z[0] + to[1] * f.z[1] + to[2] * f.z[2];
        std::uint64_t facing = 0;
        if (p.side) {
            // facesEye for each side face, on several faces at once.
            int faces[kMostSegments];
            for (int k = 0; k < s; ++k) {
                const float d0 = o[0] - ring.atX[k], d1 = o[1] - ring.atY[k], d2 = o[2] - 0.0f;
                const float dot = ring.normalX[k] * d0 + ring.normalY[k] * d1 + 0.0f * d2;
                const float dd = d0 * d0 + d1 * d1 + d2 * d2;
                faces[k] = turnedToEye(dot, ring.normalSquared[k], dd);
            }
            for (int k = 0; k < s; ++k) {
                facing |= static_cast<std::uint64_t>(faces[k]) << k;
            }
        }
        const float startCentre[3] = {0.0f, 0.0f, 0.0f}, endCentre[3] = {0.0f, 0.0f, length};
        const float down[3] = {0.0f, 0.0f, -1.0f}, up[3] = {0.0f, 0.0f, 1.0f};
        if (facesEye(o, startCentre, down)) {
            facing |= std::uint64_t{1} << s;
        }
        if (facesEye(o, endCentre, up)) {
            facing |= std::uint64_t{1} << (s + 1);
        }
        p.facing[e] = facing;
    }
}

// An edge of a polygon in the window: e(x, y) = ex (y - y0) - ey (x - x0) is the distance
// from the edge's line times its length, positive inside; limit2 is the square of the
// margin times the length.
struct Edge {
    float x0, y0, ex, ey, limit2;
    float at(float x, float y) const { return ex * (y - y0) - ey * (x - x0); }
    // Whether a value of e lies beyond the margin outside, or beyond it inside.
    bool outside(float e) const { return e < 0.0f && e * e > limit2; }
    bool inside(float e) const { return e > 0.0f && e * e > limit2; }
};

Edge edgeOf(const float* xs, const float* ys, int v, int w, float orient)
{
    const float ex = orient * (xs[w] - xs[v]), ey = orient * (ys[w] - ys[v]);
    return Edge{xs[v], ys[v], ex, ey, kCoverMargin * kCoverMargin * (ex * ex + ey * ey)};
}

// What a face is: a side quadrilateral k, or the cap at the start or the end.
enum FaceKind : std::uint16_t { kQuad = 0, kStartCap = 1, kEndCap = 2, kWholeTube = 3 };

// A face turned towards the eye, placed in the window.
struct FaceWindow {
    FaceKind kind;
    int index;                  // quadrilateral k
    int n;                      // its corners
    int corner[kMostSegments];  // vertices of Placed, in order around the face
    Edge edge[kMostSegments];   // its edges, from each corner to the next
    Edge spoke[kMostSegments];  // a cap's, from its centre to each corner
    float x0, x1, y0, y1;       // the box of the corners, widened by the margin
    float zLow, zHigh;          // the depths of the corners
    float ax, ay, az, gx, gy;   // its depth over the window: az + gx (x - ax) + gy (y - ay)
    bool uncertain;             // seen so nearly edge-on that its depths are uncertain
    bool prepared;              // its plane, edges and spokes are set up
    float orient;               // the sign that turns its edges' functions positive inside
};

// What one tube leaves for the second pass: triangles that may show at a pixel centre, at a
// depth there. kind and index tell the face; for a cap, index is the first sector of a run
// of count sectors (the fan's triangles, counted round the rim); for a quadrilateral,
// index is k and first (0 or 1) and count say which of its two triangles.
struct Record {
    std::uint32_t pixel;
    float z;
    std::uint16_t kind : 2;
    std::uint16_t first : 1;
    std::uint16_t index : 6;
    std::uint16_t count : 7;
};

// The records of one block of tubes: per tube with records, its number and where its
// records begin.
struct BlockRecords {
    std::vector<Record> records;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> tubes;
};

// The work space of one tube for one eye.
struct TubeWindow {
    int faces = 0;
    FaceWindow face[kMostSegments + 2];
    int silhouetteEdges = 0;
    Edge silhouette[2 * kMostSegments + 4];
    bool silhouetteKnown = false;
};

// Twice the signed area of a polygon, from its first corner (window positions are large
// beside the areas of small faces: products of them would lose the area to rounding).
float signedArea(const float* xs, const float* ys, const int* corner, int n)
{
    const float x0 = xs[corner[0]], y0 = ys[corner[0]];
    float area = 0.0f;
    for (int k = 1; k + 1 < n; ++k) {
        const int v = corner[k], w = corner[k + 1];
        area += (xs[v] - x0) * (ys[w] - y0) - (xs[w] - x0) * (ys[v] - y0);
    }
    return area;
}

// Sets up a face's box from its corners.
void placeFace(const float* xs, const float* ys, const float* zs, FaceWindow& f)
{
    float x0 = xs[f.corner[0]], x1 = x0, y0 = ys[f.corner[0]], y1 = y0;
    float zLow = zs[f.corner[0]], zHigh = zLow;
    for (int k = 1; k < f.n; ++k) {
        const int v = f.corner[k];
        x0 = std::min(x0, xs[v]);
        x1 = std::max(x1, xs[v]);
        y0 = std::min(y0, ys[v]);
        y1 = std::max(y1, ys[v]);
        zLow = std::min(zLow, zs[v]);
        zHigh = std::max(zHigh, zs[v]);
    }
    f.x0 = x0 - kCoverMargin;
    f.x1 = x1 + kCoverMargin;
    f.y0 = y0 - kCoverMargin;
    f.y1 = y1 + kCoverMargin;
    f.zLow = zLow;
    f.zHigh = zHigh;
    f.prepared = false;
}

// Sets up the rest of a face, when a pixel centre comes into its box: its depth plane
// through the three corners given, its edges and a cap's spokes.
void prepareFace(const float* xs, const float* ys, const float* zs, FaceWindow& f, int s)
{
    f.prepared = true;
    const int k0 = f.corner[0];
    const int plane[3] = {f.kind == kQuad ? k0 : 2 * s + (f.kind == kEndCap ? 1 : 0),
                          f.kind == kQuad ? f.corner[1] : k0,
                          f.kind == kQuad ? f.corner[3] : f.corner[std::max(1, s / 4)]};
    const float x0 = f.x0 + kCoverMargin, x1 = f.x1 - kCoverMargin;
    const float y0 = f.y0 + kCoverMargin, y1 = f.y1 - kCoverMargin;
    const int a = plane[0], b = plane[1], c = plane[2];
    const float dx1 = xs[b] - xs[a], dy1 = ys[b] - ys[a], dz1 = zs[b] - zs[a];
    const float dx2 = xs[c] - xs[a], dy2 = ys[c] - ys[a], dz2 = zs[c] - zs[a];
    const float det = dx1 * dy2 - dx2 * dy1;
    f.uncertain = !(std::fabs(det) > 1.0e-3f * (x1 - x0) * (y1 - y0)) || !(std::fabs(det) > 1.0e-6f);
    f.ax = xs[a];
    f.ay = ys[a];
    f.az = zs[a];
    f.gx = f.uncertain ? 0.0f : (dz1 * dy2 - dz2 * dy1) / det;
    f.gy = f.uncertain ? 0.0f : (dz2 * dx1 - dz1 * dx2) / det;
    f.orient = signedArea(xs, ys, f.corner, f.n) < 0.0f ? -1.0f : 1.0f;
    if (f.kind == kQuad) {
        // The renderer takes the quadrilateral's two triangles each as it comes: seen nearly
        // edge-on, rounding may fold one over the other. Each has its own edges.
        const int* c = f.corner;
        const int triangles[2][3] = {{c[0], c[1], c[2]}, {c[0], c[2], c[3]}};
        for (int t = 0; t < 2; ++t) {
            const float orient = signedArea(xs, ys, triangles[t], 3) < 0.0f ? -1.0f : 1.0f;
            for (int k = 0; k < 3; ++k) {
                f.edge[3 * t + k] = edgeOf(xs, ys, triangles[t][k], triangles[t][(k + 1) % 3], orient);
            }
        }
        return;
    }
    for (int k = 0; k < f.n; ++k) {
        f.edge[k] = edgeOf(xs, ys, f.corner[k], f.corner[nextRound(k, f.n)], f.orient);
        f.spoke[k] = edgeOf(xs, ys, plane[0], f.corner[k], f.orient);
    }
}

// The tube's outline in the window: the edges between a face turned towards the eye and one
// turned away. The outline of a convex solid is convex, with the projected middle of the
// tube's axis inside it.
void placeSilhouette(const Placed& p, int e, TubeWindow& w)
{
    const int s = p.s;
    const float* xs = p.x[e];
    const float* ys = p.y;
    const std::uint64_t facing = p.facing[e];
    const auto faces = [&](int face) { return ((facing >> face) & 1u) != 0; };
    int pairs[2 * kMostSegments + 4][2];
    int n = 0;
    const bool startCap = faces(s), endCap = faces(s + 1);
    if (p.side) {
        for (int k = 0; k < s; ++k) {
            const int k1 = nextRound(k, s);
            if (faces(k)) {
                if (!faces(k == 0 ? s - 1 : k - 1)) {
                    pairs[n][0] = k;
                    pairs[n++][1] = s + k;
                }
                if (!faces(k1)) {
                    pairs[n][0] = k1;
                    pairs[n++][1] = s + k1;
                }
            }
            // The ring edges between quadrilateral k and each cap.
            if (faces(k) != startCap) {
                pairs[n][0] = k;
                pairs[n++][1] = k1;
            }
            if (faces(k) != endCap) {
                pairs[n][0] = s + k;
                pairs[n++][1] = s + k1;
            }
        }
    } else if (startCap != endCap) {
        for (int k = 0; k < s; ++k) {
            pairs[n][0] = k;
            pairs[n++][1] = nextRound(k, s);
        }
    }
    const float cx = 0.5f * (xs[2 * s] + xs[2 * s + 1]), cy = 0.5f * (ys[2 * s] + ys[2 * s + 1]);
    w.silhouetteEdges = 0;
    w.silhouetteKnown = n > 0;
    for (int k = 0; k < n && w.silhouetteKnown; ++k) {
        Edge edge = edgeOf(xs, ys, pairs[k][0], pairs[k][1], 1.0f);
        const float inside = edge.at(cx, cy);
        if (!edge.inside(std::fabs(inside))) {
            w.silhouetteKnown = false;  // the middle too near an edge: the outline is not sure
        }
        if (inside < 0.0f) {
            edge.ex = -edge.ex;
            edge.ey = -edge.ey;
        }
        w.silhouette[w.silhouetteEdges++] = edge;
    }
}

// Sets up the faces of a placed tube that eye e sees; false when they reach over more pixel
// centres than the search takes on (then each is drawn whole).
bool placeFaces(const Placed& p, int e, TubeWindow& w, int& px0, int& px1, int& py0, int& py1, int width,
                int height)
{
    const int s = p.s;
    const float* xs = p.x[e];
    w.faces = 0;
    float x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY;
    if (p.side) {
        for (int k = 0; k < s; ++k) {
            if (((p.facing[e] >> k) & 1u) == 0) {
                continue;
            }
            const int k1 = nextRound(k, s);
            FaceWindow& f = w.face[w.faces++];
            f.kind = kQuad;
            f.index = k;
            f.n = 4;
            // Start ring k, end ring k, end ring k + 1, start ring k + 1, in order around.
            f.corner[0] = k;
            f.corner[1] = s + k;
            f.corner[2] = s + k1;
            f.corner[3] = k1;
            placeFace(xs, p.y, p.z, f);
        }
    }
    for (int end = 0; end < 2; ++end) {
        if (((p.facing[e] >> (s + end)) & 1u) == 0) {
            continue;
        }
        FaceWindow& f = w.face[w.faces++];
        f.kind = end == 0 ? kStartCap : kEndCap;
        f.index = 0;
        f.n = s;
        for (int k = 0; k < s; ++k) {
            f.corner[k] = end * s + k;
        }
        placeFace(xs, p.y, p.z, f);
    }
    for (int k = 0; k < w.faces; ++k) {
        const FaceWindow& f = w.face[k];
        if (!(f.x0 <= f.x1 && f.y0 <= f.y1)) {
            return false;  // not a number somewhere: leave the faces to the renderer
        }
        x0 = std::min(x0, f.x0);
        x1 = std::max(x1, f.x1);
        y0 = std::min(y0, f.y0);
        y1 = std::max(y1, f.y1);
    }
    // The pixel centres px + 0.5 in the box, inside the viewport.
    px0 = std::max(0, ceilingOf(x0 - 0.5f));
    px1 = std::min(width - 1, floorOf(x1 - 0.5f));
    py0 = std::max(0, ceilingOf(y0 - 0.5f));
    py1 = std::min(height - 1, floorOf(y1 - 0.5f));
    return px0 > px1 || py0 > py1 || (px1 - px0 + 1) * (py1 - py0 + 1) <= kMostCentres;
}

// A record of every triangle of a face, at a depth that always passes.
Record wholeFace(const FaceWindow& f, int s)
{
    Record r{};
    r.pixel = 0;
    r.z = -INFINITY;
    r.kind = f.kind;
    r.index = static_cast<std::uint16_t>(f.index);
    r.first = 0;
    r.count = static_cast<std::uint16_t>(f.kind == kQuad ? 2 : s);
    return r;
}

// The first pass's work on one tube for one eye: records of the triangles that may show,
// and the nearest sure depths lowered. nearest: the depths this eye's faces are held
// against; rowParity: the only rows of pixel centres the eye's pass draws, -1 for all.
void searchTube(const Placed& p, int eye, int width, int height, int rowParity, NearestDepths& nearest,
                TubeWindow& w, std::vector<Record>& out)
{
    const int e = eye;
    const int s = p.s;
    int px0, px1, py0, py1;
    if (!placeFaces(p, e, w, px0, px1, py0, py1, width, height)) {
        for (int k = 0; k < w.faces; ++k) {
            out.push_back(wholeFace(w.face[k], s));
        }
        return;
    }
    if (px0 > px1 || py0 > py1 || w.faces == 0) {
        return;
    }
    // Per pixel centre of the tube's box: the deepest of the faces that may cover it, what
    // is known of it, and the depth it is held against (read when first needed).
    constexpr unsigned char kCovered = 1, kUnsure = 2;
    const int boxWidth = px1 - px0 + 1;
    const int centres = boxWidth * (py1 - py0 + 1);
    float deepest[kMostCentres], bound[kMostCentres];
    unsigned char state[kMostCentres];
    for (int c = 0; c < centres; ++c) {
        deepest[c] = -INFINITY;
        bound[c] = NAN;
        state[c] = 0;
    }
    for (int k = 0; k < w.faces; ++k) {
        FaceWindow& f = w.face[k];
        const int fx0 = std::max(px0, ceilingOf(f.x0 - 0.5f));
        const int fx1 = std::min(px1, floorOf(f.x1 - 0.5f));
        const int fy0 = std::max(py0, ceilingOf(f.y0 - 0.5f));
        const int fy1 = std::min(py1, floorOf(f.y1 - 0.5f));
        const int firstRow = rowParity < 0 || (fy0 & 1) == rowParity ? fy0 : fy0 + 1;
        bool keptWhole = false;
        for (int py = firstRow; py <= fy1 && !keptWhole; py += rowParity < 0 ? 1 : 2) {
            const float cy = static_cast<float>(py) + 0.5f;
            for (int px = fx0; px <= fx1 && !keptWhole; ++px) {
                const float cx = static_cast<float>(px) + 0.5f;
                if (!f.prepared) {
                    prepareFace(p.x[e], p.y, p.z, f, s);
                }
                const int at = (py - py0) * boxWidth + (px - px0);
                // Which of the face's triangles may hold the centre: a quadrilateral's two, or
                // for a cap all or none of its fan (its sectors are looked at below).
                bool may[2] = {true, true};
                const int tests = f.kind == kQuad ? 6 : f.n;
                for (int c = 0; c < tests; ++c) {
                    if (f.edge[c].outside(f.edge[c].at(cx, cy))) {
                        may[f.kind == kQuad ? c / 3 : 0] = false;
                    }
                }
                if (!may[0] && !(f.kind == kQuad && may[1])) {
                    continue;
                }
                if (f.uncertain) {
                    // Its depths are unknown: it may be anywhere in front, and is kept whole.
                    keptWhole = true;
                    out.push_back(wholeFace(f, s));
                    state[at] |= kUnsure;
                    continue;
                }
                if (f.kind != kQuad && (state[at] & kUnsure) == 0) {
                    // The cap and the side do not share their corners exactly (the disc's angles
                    // are worked out apart): between them there may be a gap too thin to see,
                    // whose centres nothing covers.
                    for (int c = 0; c < f.n; ++c) {
                        if (p.side && ((p.facing[eye] >> c) & 1u) != 0 && !f.edge[c].inside(f.edge[c].at(cx, cy))) {
                            state[at] |= kUnsure;
                            break;
                        }
                    }
                }
                const float z = std::clamp(f.az + f.gx * (cx - f.ax) + f.gy * (cy - f.ay), f.zLow, f.zHigh);
                state[at] |= kCovered;
                deepest[at] = std::max(deepest[at], z);
                const std::uint32_t pixel = static_cast<std::uint32_t>(py) * static_cast<std::uint32_t>(width) +
                                            static_cast<std::uint32_t>(px);
                if (std::isnan(bound[at])) {
                    bound[at] = nearest.nearest(pixel) + kDepthSlack;
                }
                if (z > bound[at]) {
                    continue;  // behind what surely shows there already
                }
                Record r{};
                r.pixel = pixel;
                r.z = z;
                r.kind = f.kind;
                if (f.kind == kQuad) {
                    r.index = static_cast<std::uint16_t>(f.index);
                    r.first = may[0] ? 0 : 1;
                    r.count = may[0] && may[1] ? 2 : 1;
                } else {
                    // The fan's sectors that may hold the pixel centre: sector c lies left of
                    // the spoke to corner c and right of the spoke to corner c + 1.
                    std::uint64_t leftOf = 0, rightOf = 0;
                    for (int c = 0; c < s; ++c) {
                        const float v = f.spoke[c].at(cx, cy);
                        leftOf |= static_cast<std::uint64_t>(!f.spoke[c].outside(v)) << c;
                        rightOf |= static_cast<std::uint64_t>(!f.spoke[c].inside(v)) << c;
                    }
                    const std::uint64_t all = (std::uint64_t{1} << s) - 1;
                    const std::uint64_t rightOfNext = ((rightOf >> 1) | (rightOf << (s - 1))) & all;
                    const std::uint64_t sectors = leftOf & rightOfNext;
                    // A run of sectors round the rim (all of them near the cap's centre).
                    int start = 0, count = 0;
                    if (sectors == all) {
                        count = s;
                    } else if (sectors != 0) {
                        while (((sectors >> start) & 1u) == 0 || ((sectors >> ((start + s - 1) % s)) & 1u) != 0) {
                            start = (start + 1) % s;
                        }
                        while (count < s && ((sectors >> ((start + count) % s)) & 1u) != 0) {
                            ++count;
                        }
                        if (count < __builtin_popcountll(sectors)) {
                            start = 0;
                            count = s;  // not one run: take them all
                        }
                    }
                    if (count == 0) {
                        continue;
                    }
                    r.index = static_cast<std::uint16_t>(start);
                    r.first = 0;
                    r.count = static_cast<std::uint16_t>(count);
                }
                out.push_back(r);
            }
        }
    }
    // The centres surely inside the tube's outline: the fragment there is one of the faces
    // that may cover it, at most as deep as the deepest of them.
    bool silhouettePlaced = false;
    for (int at = 0; at < centres; ++at) {
        if (state[at] != kCovered) {
            continue;
        }
        if (!silhouettePlaced) {
            placeSilhouette(p, e, w);
            silhouettePlaced = true;
        }
        const float cx = static_cast<float>(px0 + at % boxWidth) + 0.5f;
        const float cy = static_cast<float>(py0 + at / boxWidth) + 0.5f;
        bool sure = w.silhouetteKnown;
        for (int k = 0; k < w.silhouetteEdges && sure; ++k) {
            sure = w.silhouette[k].inside(w.silhouette[k].at(cx, cy));
        }
        if (sure) {
            nearest.lower(static_cast<std::size_t>(py0 + at / boxWidth) * width + (px0 + at % boxWidth), deepest[at]);
        }
    }
}

// Adds a record's triangles to a tube's set.
void addRecord(const Record& r, int s, std::uint64_t* triangles)
{
    switch (r.kind) {
    case kQuad:
        for (int t = r.first; t < r.first + r.count; ++t) {
            addTriangle(triangles, 2 * r.index + t);
        }
        break;
    case kStartCap:
        for (int t = 0; t < r.count; ++t) {
            addTriangle(triangles, 2 * s + (r.index + t) % s);  // sector j is fan triangle j
        }
        break;
    case kEndCap:
        for (int t = 0; t < r.count; ++t) {
            addTriangle(triangles, 3 * s + (s - 1 - (r.index + t) % s));  // the rim runs backwards
        }
        break;
    default:
        for (int t = 0; t < 4 * s; ++t) {
            addTriangle(triangles, t);
        }
        break;
    }
}

// The records of each block of tubes, per eye, kept from the first pass to the second; what
// the second keeps of each block.
std::vector<BlockRecords> found[2];
std::vector<VisibleTubes> kept[2];

// Tubes searched in one step.
constexpr std::size_t kStepTubes = 32768;

}  // namespace

TubeSearch::TubeSearch() : mostHeldRecords_(kMostHeldRecords) {}

bool TubeSearch::releasesEarlierLists(std::size_t tubes)
{
    return tubes >= kReservedListsFrom;
}

void TubeSearch::begin(const TubeSet& set, const FaceCulling& first, const FaceCulling* second, bool sharedDepth)
{
    set_ = set;
    eyes_[0] = first;
    eyeCount_ = second != nullptr ? 2 : 1;
    eyes_[1] = second != nullptr ? *second : first;
    together_ = eyeCount_ == 2 && sharesAllButX(eyes_[0], eyes_[1]);
    // Eyes that see through one depth buffer are held against one nearest depth per pixel;
    // eyes that differ in more than x are placed one after the other.
    sharedDepth_ = eyeCount_ == 2 && sharedDepth && together_;
    const int width = static_cast<int>(first.width), height = static_cast<int>(first.height);
    const std::size_t pixels = static_cast<std::size_t>(std::max(width, 0)) * std::max(height, 0);
    for (int k = 0; k < (eyeCount_ == 2 && !sharedDepth_ ? 2 : 1); ++k) {
        depths[k].reset(pixels);
    }
    blocks_ = (set.count + kBlock - 1) / kBlock;
    steps_ = set.count == 0 ? 0 : (set.count + kStepTubes - 1) / kStepTubes;
    settledBlocks_ = 0;
    heldRecords_ = 0;
    earlySettlements_ = 0;
    const int s = std::min(set.segments, kMostSegments);
    for (int e = 0; e < eyeCount_; ++e) {
        // Room for every tube at once: growing the lists of 10^6 tubes step by step would
        // hold old and new copies together. Room not written to takes no memory.
        VisibleTubes& out = settled_[e];
        out.clear();
        out.words = triangleWords(s);
        if (set.count >= kReservedListsFrom) {
            out.tubes.reserve(set.count);
            out.triangles.reserve(set.count * static_cast<std::size_t>(out.words));
        }
    }
    for (int e = 0; e < eyeCount_; ++e) {
        if (found[e].size() < blocks_) {
            found[e].resize(blocks_);
        }
        if (kept[e].size() < blocks_) {
            kept[e].resize(blocks_);
        }
    }
}

void TubeSearch::step(std::size_t k)
{
    const Ring ring = ringOf(tubeRing(set_.segments), std::min(set_.segments, kMostSegments), set_.radius);
    const int width = static_cast<int>(eyes_[0].width), height = static_cast<int>(eyes_[0].height);
    NearestDepths* const depthOf[2] = {&depths[0], &depths[eyeCount_ == 2 && !sharedDepth_ ? 1 : 0]};
    const std::size_t perStep = kStepTubes / kBlock;
    const std::size_t firstBlock = k * perStep, lastBlock = std::min(blocks_, firstBlock + perStep);
    const std::size_t tubes = std::min(set_.count, lastBlock * kBlock) - firstBlock * kBlock;
    // The first pass: the records, and the nearest sure depths.
    runBlocks(lastBlock - firstBlock, tubes >= kThreadsFrom, [&](std::size_t index, int) {
        const std::size_t block = firstBlock + index;
        Placed p;
        TubeWindow w;
        for (int e = 0; e < eyeCount_; ++e) {
            found[e][block].records.clear();
            found[e][block].tubes.clear();
        }
        const std::size_t end = std::min(set_.count, (block + 1) * kBlock);
        for (std::size_t t = block * kBlock; t < end; ++t) {
            for (int e = 0; e < eyeCount_; ++e) {
                // Eyes searched together are placed once; others each on their own.
                const int placedEye = together_ ? e : 0;
                if (e == 0 || !together_) {
                    const FaceCulling* const eyes[2] = {&eyes_[together_ ? 0 : e], &eyes_[1]};
                    placeTube(set_, ring, t, eyes, together_ ? eyeCount_ : 1, p);
                }
                BlockRecords& b = found[e][block];
                const std::size_t before = b.records.size();
                if (p.whole) {
                    Record r{};
                    r.z = -INFINITY;
                    r.kind = kWholeTube;
                    b.records.push_back(r);
                } else {
                    searchTube(p, placedEye, width, height, eyes_[e].rowParity, *depthOf[e], w, b.records);
                }
                if (b.records.size() > before) {
                    b.tubes.emplace_back(static_cast<std::uint32_t>(t), static_cast<std::uint32_t>(before));
                }
            }
        }
    });
    for (int e = 0; e < eyeCount_; ++e) {
        for (std::size_t block = firstBlock; block < lastBlock; ++block) {
            heldRecords_ += found[e][block].records.size();
        }
    }
    if (heldRecords_ > mostHeldRecords_ && lastBlock < blocks_) {
        settle(lastBlock, true);
        ++earlySettlements_;
    }
}

void TubeSearch::settle(std::size_t endBlock, bool release)
{
    const int s = std::min(set_.segments, kMostSegments);
    NearestDepths* const depthOf[2] = {&depths[0], &depths[eyeCount_ == 2 && !sharedDepth_ ? 1 : 0]};
    const std::size_t firstBlock = settledBlocks_;
    const std::size_t tubes = std::min(set_.count, endBlock * kBlock) - std::min(set_.count, firstBlock * kBlock);
    // The second pass: the records that come near enough to the nearest sure depth.
    runBlocks(endBlock - firstBlock, tubes >= kThreadsFrom, [&](std::size_t index, int) {
        const std::size_t block = firstBlock + index;
        for (int e = 0; e < eyeCount_; ++e) {
            const BlockRecords& b = found[e][block];
            const NearestDepths& d = *depthOf[e];
            VisibleTubes& out = kept[e][block];
            out.clear();
            out.words = triangleWords(s);
            for (std::size_t k = 0; k < b.tubes.size(); ++k) {
                const std::size_t firstRecord = b.tubes[k].second;
                const std::size_t last = k + 1 < b.tubes.size() ? b.tubes[k + 1].second : b.records.size();
                std::uint64_t triangles[4] = {0, 0, 0, 0};
                bool any = false;
                for (std::size_t r = firstRecord; r < last; ++r) {
                    const Record& record = b.records[r];
                    if (record.z == -INFINITY || record.z <= d.nearest(record.pixel) + kDepthSlack) {
                        addRecord(record, s, triangles);
                        any = true;
                    }
                }
                if (any) {
                    out.tubes.push_back(b.tubes[k].first);
                    out.triangles.insert(out.triangles.end(), triangles, triangles + out.words);
                }
            }
        }
    });
    for (int e = 0; e < eyeCount_; ++e) {
        VisibleTubes& out = settled_[e];
        for (std::size_t b = firstBlock; b < endBlock; ++b) {
            out.tubes.insert(out.tubes.end(), kept[e][b].tubes.begin(), kept[e][b].tubes.end());
            out.triangles.insert(out.triangles.end(), kept[e][b].triangles.begin(), kept[e][b].triangles.end());
            if (release) {
                found[e][b] = BlockRecords{};
                kept[e][b] = VisibleTubes{};
            }
        }
    }
    settledBlocks_ = endBlock;
    heldRecords_ = 0;
}

void TubeSearch::finish(VisibleTubes& first, VisibleTubes* second)
{
    // A search that had to settle early gives back the rest of its memory too.
    settle(blocks_, earlySettlements_ > 0);
    VisibleTubes* const outs[2] = {&first, second};
    for (int e = 0; e < eyeCount_ && outs[e] != nullptr; ++e) {
        outs[e]->swap(settled_[e]);
        if (earlySettlements_ > 0) {
            settled_[e] = VisibleTubes{};  // the lists the caller had before: not kept for the next search
        }
    }
}

void findVisibleTubeFaces(const TubeSet& set, const FaceCulling& c, VisibleTubes& out)
{
    TubeSearch search;
    search.begin(set, c, nullptr, false);
    for (std::size_t k = 0; k < search.steps(); ++k) {
        search.step(k);
    }
    search.finish(out, nullptr);
}

void findVisibleTubeFacesForTwo(const TubeSet& set, const FaceCulling& a, const FaceCulling& b, bool sharedDepth,
                                VisibleTubes& outA, VisibleTubes& outB)
{
    TubeSearch search;
    search.begin(set, a, &b, sharedDepth);
    for (std::size_t k = 0; k < search.steps(); ++k) {
        search.step(k);
    }
    search.finish(outA, &outB);
}
