// Tubes rasterised on the processor: per tube, the faces turned towards the eye found, their
// corners placed in the window, and their covered pixel centres depth-tested against the
// nearest fragment so far, which keeps its depth and its colour in one word.
//
// Index:
//   the picture of nearest fragments ..... kEmpty, orderedBits, Cells
//   a tube in the window ................. RingTables, View, Corner, PlacedTube, placeTube
//   colours .............................. TubeColors, TubeWork::ringColor, capColor
//   faces ................................ offerFragment, rasteriseTriangle, rasteriseCap
//   the steps ............................ TubeRaster
#include "render/cpu/tube_raster.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

#include "core/value_colors.h"
#include "render/cpu/block_runner.h"
#include "render/cpu/depth_order.h"
#include "render/cpu/tube_mesh.h"

namespace {

constexpr int kMostSegments = 60;
constexpr int kMostCorners = 4 * kMostSegments + 2;

// From this many tubes on two threads rasterise, this many tubes at a time.
constexpr std::size_t kThreadsFrom = 1024;
constexpr std::size_t kBlock = 256;
// A step of a frame drawn in slices takes about this long: as many tubes as the last steps'
// time per tube gives (tubes long on screen take thousands of times longer than short ones),
// between these many.
constexpr double kStepSeconds = 0.015;
constexpr std::size_t kFewestStepTubes = 2 * kBlock, kMostStepTubes = 32768;
double secondsPerTube = 1.0e-6;

// Corners are placed to 1/256 of a pixel, as the renderer places them; the centre of pixel
// px lies at px * 256 + 128.
constexpr std::int64_t kSubpixel = 256;
constexpr std::int64_t kHalfPixel = kSubpixel / 2;
// Window positions beyond this many pixels are the renderer's to clip.
constexpr float kFarthestPixel = 1.0e6f;
// The renderer clips what reaches out of the depth range; a tube this near to its ends is
// left to it.
constexpr float kClipReach = 1.0e-3f;

// A place in 1/256 of a pixel, rounded to the nearest (an even one at a tie), as the
// renderer rounds it.
inline std::int32_t subpixel(float v)
{
#if defined(__SSE__)
    return _mm_cvtss_si32(_mm_set_ss(v * static_cast<float>(kSubpixel)));
#else
    return static_cast<std::int32_t>(std::lrint(v * static_cast<float>(kSubpixel)));
#endif
}

// The first pixel centre at or after a place, and the last at or before one (the shift
// rounds towards minus infinity).
inline int firstCentreFrom(std::int32_t low)
{
    return (low - static_cast<std::int32_t>(kHalfPixel) + static_cast<std::int32_t>(kSubpixel - 1)) >> 8;
}

inline int lastCentreTo(std::int32_t high)
{
    return (high - static_cast<std::int32_t>(kHalfPixel)) >> 8;
}

// ---------------------------------------------------------------------------------------
// The picture of nearest fragments: per pixel a word whose high half is the depth as bits
// that sort as the depths do, and whose low half the colour (red in the lowest byte), so
// that the nearest fragment is the least word. Two threads lower the words at once.

constexpr std::uint64_t kEmpty = ~std::uint64_t{0};

struct Cells {
    std::unique_ptr<std::uint64_t[]> words;
    std::size_t size = 0;
    bool clean = false;  // every word is kEmpty

    void prepare(std::size_t pixels)
    {
        if (size != pixels) {
            words.reset(new std::uint64_t[pixels]);
            size = pixels;
            clean = false;
        }
        if (!clean) {
            std::fill_n(words.get(), pixels, kEmpty);
        }
        clean = false;
    }
};
Cells cells;

// The tubes each block leaves to the renderer.
std::vector<std::vector<std::uint32_t>> wholeOfBlock;
// The terms of each colour group's material.
std::vector<MaterialTerms> groupTerms;

// ---------------------------------------------------------------------------------------
// A tube in the window.

// The sines and cosines of the side's ring and of the caps' rims, and what judges whether a
// side face is turned towards the eye (as the search of visible triangles judges it).
struct RingTables {
    int s = 0;
    float sinv[kMostSegments], cosv[kMostSegments];
    float discSin[kMostSegments], discCos[kMostSegments];
    float atX[kMostSegments], atY[kMostSegments];
    float normalX[kMostSegments], normalY[kMostSegments], normalSquared[kMostSegments];
};

RingTables ringTables(int segments, float radius)
{
    const TubeRing full = tubeRing(segments);
    RingTables t;
    t.s = segments;
    for (int k = 0; k < segments; ++k) {
        t.sinv[k] = full.cylinderSin[k];
        t.cosv[k] = full.cylinderCos[k];
        t.discSin[k] = full.discSin[k];
        t.discCos[k] = full.discCos[k];
    }
    for (int k = 0; k < segments; ++k) {
        const int k1 = k + 1 == segments ? 0 : k + 1;
        t.atX[k] = radius * t.sinv[k];
        t.atY[k] = radius * t.cosv[k];
        t.normalX[k] = t.sinv[k] + t.sinv[k1];
        t.normalY[k] = t.cosv[k] + t.cosv[k1];
        t.normalSquared[k] = t.normalX[k] * t.normalX[k] + t.normalY[k] * t.normalY[k];
    }
    return t;
}

// Whether a face counts as turned towards the eye: its normal's dot product with the way to
// the eye and the squares of both lengths; faces seen edge-on count as turned towards it.
inline bool turnedToEye(float dot, float normalSquared, float waySquared)
{
    return dot > 0.0f || dot * dot <= 1.0e-6f * normalSquared * waySquared;
}

struct View {
    const TubeSet* set;
    const FaceCulling* culling;
    const TubeShading* shading;
    const RingTables* ring;
    int width, height;
    int rowParity;
};

// A corner: its place to 1/256 of a pixel, and its depth.
struct Corner {
    std::int32_t x, y;
    float z;
};

// Corner numbers: the side's ring k at end e is e s + k, the cap's rim k at end e is
// 2 s + e s + k, the centre of end e's cap is 4 s + e. Only the corners of the faces turned
// towards the eye are placed.
struct PlacedTube {
    int s = 0;
    bool side = false;
    std::size_t tube = 0;  // its number in the set
    Point3d a, b;
    TubeAxes axes;
    std::uint64_t facing = 0;  // side quadrilateral k: bit k; start cap: bit s; end cap: bit s + 1
    Corner corner[kMostCorners];
};

// The tube's clip coordinates: a corner's are the start's plus its place along the axis and
// its sine and cosine round the ring times those of the tube's axes.
struct TubeClip {
    float start[4], along[4], ringX[4], ringY[4];

    void at(float end, float sine, float cosine, float c[4]) const
    {
        for (int r = 0; r < 4; ++r) {
            c[r] = start[r] + end * along[r] + sine * ringX[r] + cosine * ringY[r];
        }
    }
};

// Whether every corner of the tube surely lies in front of the eye and inside the depth
// range, judged from its ends' centres and how far a ring reaches from them.
bool surelyInDepthRange(const TubeClip& t)
{
    const float reachW = std::fabs(t.ringX[3]) + std::fabs(t.ringY[3]);
    const float reachZ = std::fabs(t.ringX[2]) + std::fabs(t.ringY[2]);
    for (int end = 0; end < 2; ++end) {
        const float w = t.start[3] + static_cast<float>(end) * t.along[3] - reachW;
        const float zLow = t.start[2] + static_cast<float>(end) * t.along[2] - reachZ;
        const float zHigh = zLow + 2.0f * reachZ;
        if (!(w > 0.0f && zHigh < (1.0f - kClipReach) * w && zLow > (kClipReach - 1.0f) * w)) {
            return false;
        }
    }
    return true;
}

// Whether every corner lies in front of the eye and inside the depth range, corner by corner.
bool inDepthRange(const TubeClip& t, const RingTables& ring, bool side)
{
    for (int end = 0; end < 2; ++end) {
        for (int k = 0; k < ring.s; ++k) {
            float c[4];
            for (int kind = side ? 0 : 1; kind < 2; ++kind) {
                t.at(static_cast<float>(end), kind == 0 ? ring.sinv[k] : ring.discSin[k],
                     kind == 0 ? ring.cosv[k] : ring.discCos[k], c);
                const float z = c[2] / c[3];
                if (!(c[3] > 0.0f && z > kClipReach - 1.0f && z < 1.0f - kClipReach)) {
                    return false;
                }
            }
        }
    }
    return true;
}

// The pixel centres that a tube may cover and the nearest depth it may reach, judged from
// its ends' centres and how far a ring reaches from them: every corner lies within.
struct TubeReach {
    int x0, x1, y0, y1;
    float zNear;
};

bool tubeReach(const View& v, const TubeClip& t, TubeReach& out)
{
    float reach[4];
    for (int r = 0; r < 4; ++r) {
        reach[r] = std::sqrt(t.ringX[r] * t.ringX[r] + t.ringY[r] * t.ringY[r]);
    }
    float xLow = INFINITY, xHigh = -INFINITY, yLow = INFINITY, yHigh = -INFINITY, zLow = INFINITY;
    for (int end = 0; end < 2; ++end) {
        const float e = static_cast<float>(end);
        float c[4];
        for (int r = 0; r < 4; ++r) {
            c[r] = t.start[r] + e * t.along[r];
        }
        if (!(c[3] - reach[3] > 0.0f)) {
            return false;
        }
        // x / w over the box of x and w takes its extremes at the box's corners.
        for (int sw = -1; sw <= 1; sw += 2) {
            const float inv = 1.0f / (c[3] + static_cast<float>(sw) * reach[3]);
            for (int sv = -1; sv <= 1; sv += 2) {
                const float x = (c[0] + static_cast<float>(sv) * reach[0]) * inv;
                const float y = (c[1] + static_cast<float>(sv) * reach[1]) * inv;
                const float z = (c[2] + static_cast<float>(sv) * reach[2]) * inv;
                xLow = std::min(xLow, x);
                xHigh = std::max(xHigh, x);
                yLow = std::min(yLow, y);
                yHigh = std::max(yHigh, y);
                zLow = std::min(zLow, z);
            }
        }
    }
    const float halfWidth = 0.5f * static_cast<float>(v.width), halfHeight = 0.5f * static_cast<float>(v.height);
    // A little more than the rounding of the window positions, on every side.
    constexpr float kSlack = 1.0f / 64.0f;
    out.x0 = std::max(0, static_cast<int>(std::ceil((xLow + 1.0f) * halfWidth - 0.5f - kSlack)));
    out.x1 = std::min(v.width - 1, static_cast<int>(std::floor((xHigh + 1.0f) * halfWidth - 0.5f + kSlack)));
    out.y0 = std::max(0, static_cast<int>(std::ceil((yLow + 1.0f) * halfHeight - 0.5f - kSlack)));
    out.y1 = std::min(v.height - 1, static_cast<int>(std::floor((yHigh + 1.0f) * halfHeight - 0.5f + kSlack)));
    if (v.rowParity >= 0 && (out.y0 & 1) != v.rowParity) {
        ++out.y0;
    }
    out.zNear = zLow;
    return true;
}

// Whether every pixel centre the tube may cover holds a fragment already as near as the
// tube comes anywhere: then none of its fragments would stay. Only small tubes are looked at.
bool hiddenAlready(const View& v, const TubeReach& r)
{
    constexpr int kMostLooks = 48;
    const int rowStep = v.rowParity >= 0 ? 2 : 1;
    if ((r.x1 - r.x0 + 1) * ((r.y1 - r.y0) / rowStep + 1) > kMostLooks) {
        return false;
    }
    const std::uint64_t nearest = static_cast<std::uint64_t>(orderedBits(r.zNear)) << 32;
    for (int y = r.y0; y <= r.y1; y += rowStep) {
        const std::uint64_t* row = &cells.words[static_cast<std::size_t>(y) * static_cast<std::size_t>(v.width)];
        for (int x = r.x0; x <= r.x1; ++x) {
            if ((__atomic_load_n(&row[x], __ATOMIC_RELAXED) & 0xffffffff00000000u) > nearest) {
                return false;
            }
        }
    }
    return true;
}

// Asks for the words of the pixels about a tube's first point to be fetched from memory,
// ahead of the tube's turn: tubes of scattered data land anywhere in the picture, and
// waiting for each one's words would take a third of the time.
void fetchAhead(const View& v, std::size_t t)
{
    constexpr int kRows = 2;
    const Point3d& p = v.set->data->coordArray[v.set->tubes[t].point];
    const float* m = v.culling->clipFromModel;
    const float x = static_cast<float>(p.x), y = static_cast<float>(p.y), z = static_cast<float>(p.z);
    const float w = m[3] * x + m[7] * y + m[11] * z + m[15];
    if (!(w > 0.0f)) {
        return;
    }
    const float inv = 1.0f / w;
    const float wx = ((m[0] * x + m[4] * y + m[8] * z + m[12]) * inv + 1.0f) * 0.5f * static_cast<float>(v.width);
    const float wy = ((m[1] * x + m[5] * y + m[9] * z + m[13]) * inv + 1.0f) * 0.5f * static_cast<float>(v.height);
    if (!(wx >= 0.0f && wx < static_cast<float>(v.width) && wy >= 0.0f && wy < static_cast<float>(v.height))) {
        return;
    }
    const int px = static_cast<int>(wx), py = static_cast<int>(wy);
    for (int row = std::max(0, py - kRows); row <= std::min(v.height - 1, py + kRows); ++row) {
        __builtin_prefetch(&cells.words[static_cast<std::size_t>(row) * static_cast<std::size_t>(v.width) + px], 1);
    }
}

// What becomes of a tube: rasterised, left to the renderer (it reaches out of the depth range
// or far beyond the window), or nothing (it covers no pixel centre, or only ones where
// something nearer is drawn already).
enum class TubeFate { Rasterise, Renderer, Nothing };

// Finds tube t's faces turned towards the eye and places their corners.
TubeFate placeTube(const View& v, std::size_t t, PlacedTube& p)
{
    tubeSegmentEnds(*v.set->data, v.set->tubes[t], p.a, p.b);
    p.tube = t;
    p.axes = tubeAxes(p.a, p.b);
    const TubeAxes& axes = p.axes;
    const RingTables& ring = *v.ring;
    const int s = ring.s;
    p.s = s;
    p.side = axes.length != 0.0;
    const float length = static_cast<float>(axes.length);

    const float r = v.set->radius;
    const float at[3] = {static_cast<float>(p.a.x), static_cast<float>(p.a.y), static_cast<float>(p.a.z)};
    float ax[3], ay[3], az[3];
    for (int k = 0; k < 3; ++k) {
        ax[k] = static_cast<float>(axes.x[k]) * r;
        ay[k] = static_cast<float>(axes.y[k]) * r;
        az[k] = static_cast<float>(axes.z[k]) * length;
    }
    const float* m = v.culling->clipFromModel;
    TubeClip clip;
    for (int r0 = 0; r0 < 4; ++r0) {
        clip.start[r0] = m[r0] * at[0] + m[4 + r0] * at[1] + m[8 + r0] * at[2] + m[12 + r0];
        clip.ringX[r0] = m[r0] * ax[0] + m[4 + r0] * ax[1] + m[8 + r0] * ax[2];
        clip.ringY[r0] = m[r0] * ay[0] + m[4 + r0] * ay[1] + m[8 + r0] * ay[2];
        clip.along[r0] = m[r0] * az[0] + m[4 + r0] * az[1] + m[8 + r0] * az[2];
    }
    const bool sure = surelyInDepthRange(clip);
    if (!sure && !inDepthRange(clip, ring, p.side)) {
        return TubeFate::Renderer;
    }
    TubeReach reach;
    if (sure && tubeReach(v, clip, reach) && (reach.x0 > reach.x1 || reach.y0 > reach.y1 || hiddenAlready(v, reach))) {
        return TubeFate::Nothing;
    }

    // Which faces the eye sees, judged in the tube's own axes.
    const float* eye = v.culling->eye;
    const double to[3] = {eye[0] - p.a.x, eye[1] - p.a.y, eye[2] - p.a.z};
    const float o[3] = {static_cast<float>(to[0] * axes.x[0] + to[1] * axes.x[1] + to[2] * axes.x[2]),
                        static_cast<float>(to[0] * axes.y[0] + to[1] * axes.y[1] + to[2] * axes.y[2]),
                        static_cast<float>(to[0] * axes.z[0] + to[1] * axes.z[1] + to[2] * axes.z[2])};
    std::uint64_t facing = 0;
    if (p.side) {
        for (int k = 0; k < s; ++k) {
            const float d0 = o[0] - ring.atX[k], d1 = o[1] - ring.atY[k];
            const float dot = ring.normalX[k] * d0 + ring.normalY[k] * d1;
            const float dd = d0 * d0 + d1 * d1 + o[2] * o[2];
            facing |= static_cast<std::uint64_t>(turnedToEye(dot, ring.normalSquared[k], dd)) << k;
        }
    }
    if (turnedToEye(-o[2], 1.0f, o[0] * o[0] + o[1] * o[1] + o[2] * o[2])) {
        facing |= std::uint64_t{1} << s;
    }
    const float endZ = o[2] - length;
    if (turnedToEye(endZ, 1.0f, o[0] * o[0] + o[1] * o[1] + endZ * endZ)) {
        facing |= std::uint64_t{1} << (s + 1);
    }
    p.facing = facing;

    const float halfWidth = 0.5f * static_cast<float>(v.width), halfHeight = 0.5f * static_cast<float>(v.height);
    bool near = true;
    const auto place = [&](int n, float end, float sine, float cosine) {
        float c[4];
        clip.at(end, sine, cosine, c);
        const float inv = 1.0f / c[3];
        const float x = (c[0] * inv + 1.0f) * halfWidth, y = (c[1] * inv + 1.0f) * halfHeight;
        near = near && std::fabs(x) < kFarthestPixel && std::fabs(y) < kFarthestPixel;
        p.corner[n] = Corner{subpixel(x), subpixel(y), c[2] * inv};
    };
    // The side's corners of the quadrilaterals turned towards the eye, at both ends.
    const std::uint64_t all = (std::uint64_t{1} << s) - 1;
    const std::uint64_t quads = facing & all;
    const std::uint64_t ringUsed = quads | (((quads << 1) | (quads >> (s - 1))) & all);
    for (int end = 0; end < 2; ++end) {
        const float e = static_cast<float>(end);
        for (int k = 0; k < s; ++k) {
            if (((ringUsed >> k) & 1u) != 0) {
                place(end * s + k, e, ring.sinv[k], ring.cosv[k]);
            }
        }
        if (((facing >> (s + end)) & 1u) != 0) {
            // The mesh's caps take the discs' own angles.
            for (int k = 0; k < s; ++k) {
                place(2 * s + end * s + k, e, ring.discSin[k], ring.discCos[k]);
            }
            place(4 * s + end, e, 0.0f, 0.0f);
        }
    }
    return near ? TubeFate::Rasterise : TubeFate::Renderer;
}

// ---------------------------------------------------------------------------------------
// Colours: lit per corner, each made when a fragment that needs it first comes nearest. The
// side's normals in eye coordinates are sin k X + cos k Y for the images X, Y of the tube's
// cross axes, so that their dot products with each light's directions follow from X's and Y's.

struct TubeColors {
    bool prepared = false;
    std::uint64_t ringMade[2] = {0, 0};
    bool capMade[2] = {false, false};
    MaterialTerms ends[2];
    // Per light: X and Y dotted with the way to the light and the halfway vector; X, Y and Z
    // dotted with themselves and each other.
    float xl[kMostLights], yl[kMostLights], xh[kMostLights], yh[kMostLights];
    float xx, xy, yy;
    float z[3];
    float ring[2][kMostSegments][4];  // side ring k at end e, RGBA from 0 to 1
    float cap[2][4];
};

// What rasterising one tube needs at hand.
struct TubeWork {
    const View* view;
    const PlacedTube* placed;
    const MaterialTerms* group;
    TubeColors colors;

    void prepareColors()
    {
        TubeColors& c = colors;
        const TubeShading& sh = *view->shading;
        const float* n = sh.normalToEye;
        const TubeAxes& axes = placed->axes;
        float x[3], y[3];
        for (int r = 0; r < 3; ++r) {
            x[r] = n[r] * static_cast<float>(axes.x[0]) + n[3 + r] * static_cast<float>(axes.x[1]) +
                   n[6 + r] * static_cast<float>(axes.x[2]);
            y[r] = n[r] * static_cast<float>(axes.y[0]) + n[3 + r] * static_cast<float>(axes.y[1]) +
                   n[6 + r] * static_cast<float>(axes.y[2]);
            c.z[r] = n[r] * static_cast<float>(axes.z[0]) + n[3 + r] * static_cast<float>(axes.z[1]) +
                     n[6 + r] * static_cast<float>(axes.z[2]);
        }
        const FixedLighting& lighting = sh.lighting;
        for (int l = 0; l < lighting.lightCount; ++l) {
            const float* d = lighting.lights[l].direction;
            const float* h = lighting.lights[l].halfway;
            c.xl[l] = x[0] * d[0] + x[1] * d[1] + x[2] * d[2];
            c.yl[l] = y[0] * d[0] + y[1] * d[1] + y[2] * d[2];
            c.xh[l] = x[0] * h[0] + x[1] * h[1] + x[2] * h[2];
            c.yh[l] = y[0] * h[0] + y[1] * h[1] + y[2] * h[2];
        }
        c.xx = x[0] * x[0] + x[1] * x[1] + x[2] * x[2];
        c.xy = x[0] * y[0] + x[1] * y[1] + x[2] * y[2];
        c.yy = y[0] * y[0] + y[1] * y[1] + y[2] * y[2];
        c.ends[0] = c.ends[1] = *group;
        if (sh.vertexColors != nullptr) {
            const Material material = sh.materials.empty() ? Material{} : sh.materials.front();
            std::size_t ends[2];
            tubeSegmentPoints(*view->set->data, view->set->tubes[placed->tube], ends[0], ends[1]);
            for (int e = 0; e < 2; ++e) {
                const std::array<unsigned char, 4> b =
                    vertexColorAt(*sh.vertexColors, ends[e], e == 0 ? placed->a.z : placed->b.z);
                const float color[4] = {b[0] / 255.0f, b[1] / 255.0f, b[2] / 255.0f, b[3] / 255.0f};
                c.ends[e] = materialTerms(lighting, material, color);
            }
        }
        c.prepared = true;
    }

    const float* ringColor(int end, int k)
    {
        TubeColors& c = colors;
        if (((c.ringMade[end] >> k) & 1u) != 0) {
            return c.ring[end][k];
        }
        if (!c.prepared) {
            prepareColors();
        }
        const RingTables& ring = *view->ring;
        const float sine = ring.sinv[k], cosine = ring.cosv[k];
        const float squared = sine * sine * c.xx + 2.0f * sine * cosine * c.xy + cosine * cosine * c.yy;
        const float scale = squared > 0.0f ? 1.0f / std::sqrt(squared) : 0.0f;
        float toLight[kMostLights], halfway[kMostLights];
        for (int l = 0; l < view->shading->lighting.lightCount; ++l) {
            toLight[l] = (sine * c.xl[l] + cosine * c.yl[l]) * scale;
            halfway[l] = (sine * c.xh[l] + cosine * c.yh[l]) * scale;
        }
        litColorFromDots(c.ends[end], toLight, halfway, c.ring[end][k]);
        c.ringMade[end] |= std::uint64_t{1} << k;
        return c.ring[end][k];
    }

    const float* capColor(int end)
    {
        TubeColors& c = colors;
        if (!c.capMade[end]) {
            if (!c.prepared) {
                prepareColors();
            }
            const float normal[3] = {end == 0 ? -c.z[0] : c.z[0], end == 0 ? -c.z[1] : c.z[1],
                                     end == 0 ? -c.z[2] : c.z[2]};
            litColor(view->shading->lighting, c.ends[end], normal, c.cap[end]);
            c.capMade[end] = true;
        }
        return c.cap[end];
    }
};

inline std::uint32_t packColor(const float c[4])
{
    std::uint32_t word = 0;
    for (int k = 0; k < 4; ++k) {
        word |= static_cast<std::uint32_t>(c[k] * 255.0f + 0.5f) << (8 * k);
    }
    return word;
}

// ---------------------------------------------------------------------------------------
// Faces.

// Lowers the word of pixel (px, py) to the fragment at depth z, its colour made only when it
// may come nearest.
template <typename Colour>
inline void offerFragment(const View& v, int px, int py, float z, const Colour& colour)
{
    std::uint64_t* cell = &cells.words[static_cast<std::size_t>(py) * static_cast<std::size_t>(v.width) + px];
    const std::uint64_t depth = static_cast<std::uint64_t>(orderedBits(z)) << 32;
    std::uint64_t seen = __atomic_load_n(cell, __ATOMIC_RELAXED);
    if (depth >= (seen & 0xffffffff00000000u)) {
        return;  // as near or nearer already (at an equal depth the one drawn first stays)
    }
    const std::uint64_t word = depth | colour();

    while (word < seen && !__atomic_compare_exchange_n(cell, &seen, word, true, __ATOMIC_RELAXED, __ATOMIC_RELAXED)) {
    }
}

// The pixel centres in the box of some corners, within the window and, for a pass of row
// interleaving, on its rows; false when there are none.
struct CentreBox {
    int x0, x1, y0, y1;
};

inline bool centresIn(const View& v, std::int32_t minX, std::int32_t maxX, std::int32_t minY, std::int32_t maxY,
                      CentreBox& box)
{
    box.x0 = std::max(0, firstCentreFrom(minX));
    box.x1 = std::min(v.width - 1, lastCentreTo(maxX));
    box.y0 = std::max(0, firstCentreFrom(minY));
    box.y1 = std::min(v.height - 1, lastCentreTo(maxY));
    if (v.rowParity >= 0 && (box.y0 & 1) != v.rowParity) {
        ++box.y0;
    }
    return box.x0 <= box.x1 && box.y0 <= box.y1;
}

// An edge from one corner to the next of a face wound counter-clockwise: e(x, y) = dx (y -
// y0) - dy (x - x0) is positive inside. A centre on the edge counts when the edge bounds
// the face on the left or from below, as the renderer has it; the bias makes "e >= 0" say
// whether a centre counts.
struct EdgeWalk {
    std::int64_t at, stepX, stepY;
    std::int64_t bias;
};

inline EdgeWalk edgeFrom(const Corner& from, const Corner& to, const CentreBox& box, int rowStep)
{
    const std::int64_t dx = to.x - from.x, dy = to.y - from.y;
    const bool counts = dy < 0 || (dy == 0 && dx > 0);
    const std::int64_t cx = static_cast<std::int64_t>(box.x0) * kSubpixel + kHalfPixel;
    const std::int64_t cy = static_cast<std::int64_t>(box.y0) * kSubpixel + kHalfPixel;
    const std::int64_t bias = counts ? 0 : 1;
    return EdgeWalk{dx * (cy - from.y) - dy * (cx - from.x) - bias, -dy * kSubpixel, dx * kSubpixel * rowStep, bias};
}

// A triangle set up for walking the pixel centres of a box: its corners counter-clockwise,
// its edges (edge k from corner k to corner k + 1, whose value weighs the corner across from
// it) at the box's first centre, and the corners' depths.
struct TriangleWalk {
    int q[3];
    EdgeWalk e[3];
    float inverseArea;
    float z[3];
    bool turned;  // its corners were given clockwise

    // False when the triangle has no area.
    bool setUp(const Corner* c, int i0, int i1, int i2, const CentreBox& box, int rowStep)
    {
        q[0] = i0;
        q[1] = i1;
        q[2] = i2;
        std::int64_t area = static_cast<std::int64_t>(c[i1].x - c[i0].x) * (c[i2].y - c[i0].y) -
                            static_cast<std::int64_t>(c[i2].x - c[i0].x) * (c[i1].y - c[i0].y);
        if (area == 0) {
            return false;
        }
        turned = area < 0;
        if (turned) {
            std::swap(q[1], q[2]);
            area = -area;
        }
        for (int k = 0; k < 3; ++k) {
            e[k] = edgeFrom(c[q[k]], c[q[k == 2 ? 0 : k + 1]], box, rowStep);
            z[k] = c[q[k]].z;
        }
        inverseArea = 1.0f / static_cast<float>(area);
        return true;
    }
};

// Walks the centres of a box over count triangles (one, or the two of a quadrilateral): each
// centre a triangle covers is offered its depth and colour there, the corners' mixed by the
// centre's place in it (colorOf(corners, weights)). Triangles apart offer a centre once:
// that the first covers it tells that the second does not.
template <typename ColorOf>
void walkTriangles(const View& v, const CentreBox& box, int rowStep, TriangleWalk* t, int count, bool apart,
                   const ColorOf& colorOf)
{
    for (int py = box.y0; py <= box.y1; py += rowStep) {
        std::int64_t e[2][3];
        for (int k = 0; k < count; ++k) {
            for (int edge = 0; edge < 3; ++edge) {
                e[k][edge] = t[k].e[edge].at;
            }
        }
        for (int px = box.x0; px <= box.x1; ++px) {
            for (int k = 0; k < count; ++k) {
                if ((e[k][0] | e[k][1] | e[k][2]) < 0) {
                    continue;
                }
                const TriangleWalk& w = t[k];
                const float weights[3] = {static_cast<float>(e[k][1] + w.e[1].bias) * w.inverseArea,
                                          static_cast<float>(e[k][2] + w.e[2].bias) * w.inverseArea,
                                          static_cast<float>(e[k][0] + w.e[0].bias) * w.inverseArea};
                const float z = weights[0] * w.z[0] + weights[1] * w.z[1] + weights[2] * w.z[2];
                offerFragment(v, px, py, z, [&] { return static_cast<std::uint64_t>(colorOf(w.q, weights)); });
                if (apart) {
                    break;
                }
            }
            for (int k = 0; k < count; ++k) {
                for (int edge = 0; edge < 3; ++edge) {
                    e[k][edge] += t[k].e[edge].stepX;
                }
            }
        }
        for (int k = 0; k < count; ++k) {
            for (int edge = 0; edge < 3; ++edge) {
                t[k].e[edge].at += t[k].e[edge].stepY;
            }
        }
    }
}

// Rasterises the triangle of corners i0, i1, i2.
template <typename ColorOf>
void rasteriseTriangle(TubeWork& w, int i0, int i1, int i2, const ColorOf& colorOf)
{
    const View& v = *w.view;
    const Corner* c = w.placed->corner;
    CentreBox box;
    if (!centresIn(v, std::min({c[i0].x, c[i1].x, c[i2].x}), std::max({c[i0].x, c[i1].x, c[i2].x}),
                   std::min({c[i0].y, c[i1].y, c[i2].y}), std::max({c[i0].y, c[i1].y, c[i2].y}), box)) {
        return;
    }
    const int rowStep = v.rowParity >= 0 ? 2 : 1;
    TriangleWalk t;
    if (t.setUp(c, i0, i1, i2, box, rowStep)) {
        walkTriangles(v, box, rowStep, &t, 1, true, colorOf);
    }
}

// Rasterises the quadrilateral of corners i0 to i3 as its two triangles (i0, i1, i2) and
// (i0, i2, i3), in one walk of the box of its corners. Wound the same way they lie on either
// side of their diagonal; a quadrilateral seen so nearly edge-on that rounding folds it
// has them overlap.
template <typename ColorOf>
void rasteriseQuadrilateral(TubeWork& w, int i0, int i1, int i2, int i3, const ColorOf& colorOf)
{
    const View& v = *w.view;
    const Corner* c = w.placed->corner;
    CentreBox box;
    if (!centresIn(v, std::min({c[i0].x, c[i1].x, c[i2].x, c[i3].x}), std::max({c[i0].x, c[i1].x, c[i2].x, c[i3].x}),
                   std::min({c[i0].y, c[i1].y, c[i2].y, c[i3].y}), std::max({c[i0].y, c[i1].y, c[i2].y, c[i3].y}),
                   box)) {
        return;
    }
    const int rowStep = v.rowParity >= 0 ? 2 : 1;
    TriangleWalk t[2];
    const bool first = t[0].setUp(c, i0, i1, i2, box, rowStep);
    const bool second = t[1].setUp(c, i0, i2, i3, box, rowStep);
    if (first && second) {
        walkTriangles(v, box, rowStep, t, 2, t[0].turned == t[1].turned, colorOf);
    } else if (first || second) {
        walkTriangles(v, box, rowStep, &t[first ? 0 : 1], 1, true, colorOf);
    }
}

// Rasterises end's cap, a fan of triangles from its centre over its rim of one colour and one
// plane. When the centre lies inside the rim, the fan's triangles cover exactly the centres
// that the rim's polygon covers (the rule gives a centre on a spoke to one of its two
// triangles), and the polygon is rasterised at once; otherwise the fan, triangle by triangle.
void rasteriseCap(TubeWork& w, int end)
{
    const View& v = *w.view;
    const int s = w.placed->s;
    const Corner* c = w.placed->corner;
    const int first = 2 * s + end * s, centre = 4 * s + end;
    std::int32_t minX = c[first].x, maxX = minX, minY = c[first].y, maxY = minY;
    for (int k = 1; k < s; ++k) {
        minX = std::min(minX, c[first + k].x);
        maxX = std::max(maxX, c[first + k].x);
        minY = std::min(minY, c[first + k].y);
        maxY = std::max(maxY, c[first + k].y);
    }
    CentreBox box;
    if (!centresIn(v, minX, maxX, minY, maxY, box)) {
        return;
    }
    const auto colour = [&] { return static_cast<std::uint64_t>(packColor(w.capColor(end))); };
    // The rim's winding, and whether the centre lies strictly inside every rim edge.
    std::int64_t area = 0;
    for (int k = 0; k < s; ++k) {
        const Corner& p = c[first + k];
        const Corner& q = c[first + (k + 1 == s ? 0 : k + 1)];
        area += static_cast<std::int64_t>(p.x - c[centre].x) * (q.y - c[centre].y) -
                static_cast<std::int64_t>(q.x - c[centre].x) * (p.y - c[centre].y);
    }
    const int rowStep = v.rowParity >= 0 ? 2 : 1;
    EdgeWalk edges[kMostSegments];
    bool polygon = area != 0;
    // The rim's corners counter-clockwise.
    const auto rim = [&](int k) { return first + (area > 0 ? k : s - 1 - k); };
    for (int k = 0; k < s && polygon; ++k) {
        const Corner& p = c[rim(k)];
        const Corner& q = c[rim(k + 1 == s ? 0 : k + 1)];
        const std::int64_t inside = static_cast<std::int64_t>(q.x - p.x) * (c[centre].y - p.y) -
                                    static_cast<std::int64_t>(q.y - p.y) * (c[centre].x - p.x);
        polygon = inside > 0;
        edges[k] = edgeFrom(p, q, box, rowStep);
    }
    if (!polygon) {
        const auto flat = [&](const int*, const float*) { return colour(); };
        for (int k = 0; k < s; ++k) {
            rasteriseTriangle(w, centre, first + k, first + (k + 1 == s ? 0 : k + 1), flat);
        }
        return;
    }
    // The plane of depths through the centre and two rim corners a third of the way round
    // from each other; a centre's depth stays within the corners' depths.
    const Corner& o = c[centre];
    const Corner& p = c[first];
    const Corner& q = c[first + std::max(1, s / 3)];
    const float dx1 = static_cast<float>(p.x - o.x), dy1 = static_cast<float>(p.y - o.y), dz1 = p.z - o.z;
    const float dx2 = static_cast<float>(q.x - o.x), dy2 = static_cast<float>(q.y - o.y), dz2 = q.z - o.z;
    const float det = dx1 * dy2 - dx2 * dy1;
    const float gx = det != 0.0f ? (dz1 * dy2 - dz2 * dy1) / det : 0.0f;
    const float gy = det != 0.0f ? (dz2 * dx1 - dz1 * dx2) / det : 0.0f;
    float zLow = o.z, zHigh = o.z;
    for (int k = 0; k < s; ++k) {
        zLow = std::min(zLow, c[first + k].z);
        zHigh = std::max(zHigh, c[first + k].z);
    }
    for (int py = box.y0; py <= box.y1; py += rowStep) {
        const float cy = static_cast<float>(static_cast<std::int64_t>(py) * kSubpixel + kHalfPixel - o.y);
        for (int px = box.x0; px <= box.x1; ++px) {
            const int dxPixels = px - box.x0;
            bool inside = true;
            for (int k = 0; k < s && inside; ++k) {
                inside = edges[k].at + dxPixels * edges[k].stepX >= 0;
            }
            if (inside) {
                const float cx = static_cast<float>(static_cast<std::int64_t>(px) * kSubpixel + kHalfPixel - o.x);
                const float z = std::clamp(o.z + gx * cx + gy * cy, zLow, zHigh);
                offerFragment(v, px, py, z, colour);
            }
        }
        for (int k = 0; k < s; ++k) {
            edges[k].at += edges[k].stepY;
        }
    }
}

void rasteriseTube(TubeWork& w)
{
    const PlacedTube& p = *w.placed;
    const int s = p.s;
    if (p.side) {
        // A corner's colour is its end's ring colour at its place round the ring.
        const auto colorOf = [&](const int* q, const float* weights) {
            float mixed[4] = {0.0f, 0.0f, 0.0f, 0.0f};
            for (int k = 0; k < 3; ++k) {
                const int end = q[k] >= s ? 1 : 0;
                const float* color = w.ringColor(end, q[k] - end * s);
                for (int ch = 0; ch < 4; ++ch) {
                    mixed[ch] += weights[k] * color[ch];
                }
            }
            return packColor(mixed);
        };
        for (int k = 0; k < s; ++k) {
            if (((p.facing >> k) & 1u) == 0) {
                continue;
            }
            const int k1 = k + 1 == s ? 0 : k + 1;
            // The quadrilateral's two triangles as the mesh has them.
            rasteriseQuadrilateral(w, k, s + k, s + k1, k1, colorOf);
        }
    }
    for (int end = 0; end < 2; ++end) {
        if (((p.facing >> (s + end)) & 1u) != 0) {
            rasteriseCap(w, end);
        }
    }
}

// The group of tube t, from group g on (groups are runs of tube numbers in order).
std::size_t groupOf(const std::vector<ColorGroup>& groups, std::size_t t, std::size_t g)
{
    while (g + 1 < groups.size() && t >= groups[g].first + groups[g].count) {
        ++g;
    }
    return g;
}

}  // namespace

void TubeRaster::begin(const TubeSet& set, const FaceCulling& culling, const TubeShading& shading)
{
    set_ = set;
    culling_ = culling;
    shading_ = &shading;
    const std::size_t pixels = static_cast<std::size_t>(std::max(0.0f, culling.width)) *
                               static_cast<std::size_t>(std::max(0.0f, culling.height));
    cells.prepare(pixels);
    const std::size_t blocks = (set.count + kBlock - 1) / kBlock;
    if (wholeOfBlock.size() < blocks) {
        wholeOfBlock.resize(blocks);
    }
    for (std::size_t b = 0; b < blocks; ++b) {
        wholeOfBlock[b].clear();
    }
    const double fit = kStepSeconds / secondsPerTube;
    stepTubes_ = fit >= static_cast<double>(kMostStepTubes)
                     ? kMostStepTubes
                     : std::max(kFewestStepTubes, static_cast<std::size_t>(fit) / kBlock * kBlock);
    steps_ = set.count == 0 ? 0 : (set.count + stepTubes_ - 1) / stepTubes_;
    groupTerms.clear();
    for (const Material& m : shading.materials) {
        groupTerms.push_back(materialTerms(shading.lighting, m, nullptr));
    }
    if (groupTerms.empty()) {
        groupTerms.push_back(materialTerms(shading.lighting, Material{}, nullptr));
    }
}

void TubeRaster::step(std::size_t k)
{
    const int segments = std::min(std::max(set_.segments, 3), kMostSegments);
    const RingTables ring = ringTables(segments, set_.radius);
    const View view{&set_, &culling_, shading_, &ring, static_cast<int>(culling_.width),
                    static_cast<int>(culling_.height), culling_.rowParity};
    const auto stepStart = std::chrono::steady_clock::now();
    const std::size_t perStep = stepTubes_ / kBlock;
    const std::size_t blocks = (set_.count + kBlock - 1) / kBlock;
    const std::size_t firstBlock = k * perStep, lastBlock = std::min(blocks, firstBlock + perStep);
    const std::size_t tubes = std::min(set_.count, lastBlock * kBlock) - firstBlock * kBlock;
    const std::vector<ColorGroup>* groups = shading_->groups;
    const bool grouped = groups != nullptr && !groups->empty();
    runBlocks(lastBlock - firstBlock, tubes >= kThreadsFrom, [&](std::size_t index, int) {
        const std::size_t block = firstBlock + index;
        auto placed = std::make_unique<PlacedTube>();
        auto work = std::make_unique<TubeWork>();
        std::size_t g = 0;
        if (grouped) {
            const auto after = std::upper_bound(groups->begin(), groups->end(), block * kBlock,
                                                [](std::size_t t, const ColorGroup& group) { return t < group.first; });
            g = after == groups->begin() ? 0 : static_cast<std::size_t>(after - groups->begin()) - 1;
        }
        const std::size_t end = std::min(set_.count, (block + 1) * kBlock);
        constexpr std::size_t kFetchAhead = 6;
        for (std::size_t t = block * kBlock; t < end; ++t) {
            if (t + kFetchAhead < set_.count) {
                fetchAhead(view, t + kFetchAhead);
            }
            const TubeFate fate = placeTube(view, t, *placed);
            if (fate != TubeFate::Rasterise) {
                if (fate == TubeFate::Renderer) {
                    wholeOfBlock[block].push_back(static_cast<std::uint32_t>(t));
                }
                continue;
            }
            if (grouped) {
                g = groupOf(*groups, t, g);
            }
            work->view = &view;
            work->placed = placed.get();
            work->group = &groupTerms[std::min(g, groupTerms.size() - 1)];
            work->colors.prepared = false;
            work->colors.ringMade[0] = work->colors.ringMade[1] = 0;
            work->colors.capMade[0] = work->colors.capMade[1] = false;
            rasteriseTube(*work);
        }
    });
    // The time a tube takes, for the size of the next steps: the newest step weighs half.
    if (tubes > 0) {
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - stepStart).count();
        secondsPerTube = 0.5 * secondsPerTube + 0.5 * std::max(seconds, 1.0e-9) / static_cast<double>(tubes);
    }
}

void TubeRaster::finish(TubePixels& out)
{
    out.pixels.clear();
    out.colors.clear();
    out.wholeTubes.clear();
    const std::size_t blocks = (set_.count + kBlock - 1) / kBlock;
    for (std::size_t b = 0; b < blocks; ++b) {
        out.wholeTubes.insert(out.wholeTubes.end(), wholeOfBlock[b].begin(), wholeOfBlock[b].end());
    }
    // The covered pixels in pixel order, leaving every word empty for the next pass.
    const int width = static_cast<int>(culling_.width), height = static_cast<int>(culling_.height);
    const int parity = culling_.rowParity;
    for (int y = std::max(parity, 0); y < height; y += parity < 0 ? 1 : 2) {
        std::uint64_t* row = cells.words.get() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            const std::uint64_t word = row[x];
            if (word == kEmpty) {
                continue;
            }
            row[x] = kEmpty;
            out.pixels.push_back(static_cast<float>(x) + 0.5f);
            out.pixels.push_back(static_cast<float>(y) + 0.5f);
            out.pixels.push_back(depthOfBits(static_cast<std::uint32_t>(word >> 32)));
            for (int k = 0; k < 4; ++k) {
                out.colors.push_back(static_cast<std::uint8_t>(word >> (8 * k)));
            }
        }
    }
    cells.clean = true;
}

void rasteriseTubes(const TubeSet& set, const FaceCulling& culling, const TubeShading& shading, TubePixels& out)
{
    TubeRaster raster;
    raster.begin(set, culling, shading);
    for (std::size_t k = 0; k < raster.steps(); ++k) {
        raster.step(k);
    }
    raster.finish(out);
}
