// The pixel centres that the small quadrilaterals of a filled surface cover, each with the
// depth and normal of the nearest one, found as the renderer finds them: a quadrilateral is
// the triangles (0, 1, 3) and (1, 2, 3), a centre on an edge counts as covered, and the
// depth is interpolated linearly in the window.
#include "render/cpu/surface_pixels.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "core/matrix_math.h"
#include "render/cpu/block_runner.h"

namespace {

constexpr float kFar = std::numeric_limits<float>::infinity();

// A vertex in the window: x and y in pixels, z the normalised depth; usable is false
// behind the eye, beyond the depth range or not finite.
struct WindowVertex {
    float x, y, z;
    bool usable;
};

// Rows of quadrilaterals that a thread takes at a time. The threads take the blocks from
// opposite ends (block_runner.h), so that one slowed down by other work leaves more to the
// other and the two seldom lower the keys of the same pixels at once.
constexpr int kRowsPerBlock = 8;

// What a pixel shows, as one number: the depth's bits turned to sort as the depths do,
// above the quadrilateral seen as the number of the vertex that closes it (and carries its
// normal; the numbers rise with the quadrilaterals' order). The least number is the nearest
// quadrilateral and, of equal depths, the first drawn: what the depth test keeps.
using PixelKey = std::uint64_t;
constexpr PixelKey kNothing = ~PixelKey{0};

inline PixelKey keyOf(float z, std::uint32_t closing)
{
    std::uint32_t bits;
    const float positiveZero = z + 0.0f;  // -0 and 0 are equal depths
    std::memcpy(&bits, &positiveZero, sizeof bits);
    bits = (bits & 0x80000000u) != 0 ? ~bits : bits | 0x80000000u;
    return static_cast<PixelKey>(bits) << 32 | closing;
}

inline float depthOf(PixelKey key)
{
    std::uint32_t bits = static_cast<std::uint32_t>(key >> 32);
    bits = (bits & 0x80000000u) != 0 ? bits & 0x7fffffffu : ~bits;
    float z;
    std::memcpy(&z, &bits, sizeof z);
    return z;
}

// What the search finds for one eye: a key per pixel (kNothing where nothing covers it),
// lowered by both threads at once, so that one picture's worth of memory serves both; and
// a bit per quadrilateral, set for those left to the renderer (far fewer bytes than their
// numbers when most are, and in order however the threads shared the rows).
struct EyeFinds {
    std::unique_ptr<std::atomic<PixelKey>[]> keys;
    std::size_t pixels = 0;
    std::vector<std::atomic<std::uint64_t>> left;
};

// finds[eye]; rows[thread][eye] holds two rows of vertices in the window.
EyeFinds finds[2];
std::vector<WindowVertex> rows[2][2];

// Leaves quadrilateral quad to the renderer.
inline void leave(EyeFinds& f, std::uint32_t quad)
{
    // Blocks of rows meet within a word, so two threads may set bits of the same one.
    f.left[quad >> 6].fetch_or(std::uint64_t{1} << (quad & 63u), std::memory_order_relaxed);
}

// The eyes of one search: the second, when there is one, differs from the first only in
// the window x of each vertex.
struct Eyes {
    const SurfaceView* view[2];
    int count;
};

// Places a row of vertices in the window of each eye; the second eye's y, depth and
// division by w are the first eye's.
void placeRow(const SurfaceGrid& grid, const Eyes& eyes, int row, WindowVertex* out[2])
{
    const float* m = eyes.view[0]->clipFromModel;
    const float* n = eyes.view[eyes.count - 1]->clipFromModel;
    const float* p = grid.vertices + static_cast<std::size_t>(row) * grid.pointsPerSet * 3;
    const float halfWidth = 0.5f * static_cast<float>(eyes.view[0]->width);
    const float halfHeight = 0.5f * static_cast<float>(eyes.view[0]->height);
    for (int j = 0; j < grid.pointsPerSet; ++j, p += 3) {
        const float cw = m[3] * p[0] + m[7] * p[1] + m[11] * p[2] + m[15];
        const float cx = m[0] * p[0] + m[4] * p[1] + m[8] * p[2] + m[12];
        const float cy = m[1] * p[0] + m[5] * p[1] + m[9] * p[2] + m[13];
        const float cz = m[2] * p[0] + m[6] * p[1] + m[10] * p[2] + m[14];
        WindowVertex& w = out[0][j];
        w.usable = false;
        if (cw > 0.0f) {
            const float inv = 1.0f / cw;
            w.x = (cx * inv + 1.0f) * halfWidth;
            w.y = (cy * inv + 1.0f) * halfHeight;
            w.z = cz * inv;
            const bool heightAndDepthUsable = std::isfinite(w.y) && w.z >= -1.0f && w.z <= 1.0f;
            w.usable = std::isfinite(w.x) && heightAndDepthUsable;
            if (eyes.count == 2) {
                WindowVertex& v = out[1][j];
                v.x = ((n[0] * p[0] + n[4] * p[1] + n[8] * p[2] + n[12]) * inv + 1.0f) * halfWidth;
                v.y = w.y;
                v.z = w.z;
                v.usable = std::isfinite(v.x) && heightAndDepthUsable;
            }
        } else if (eyes.count == 2) {
            out[1][j].usable = false;
        }
    }
}

// The ceiling and floor of v, exact for v within a viewport's size of the viewport (the
// integer conversion truncates towards zero); v beyond that is clamped to just outside.
inline int ceilingWithin(float v, int size)
{
    v = std::min(std::max(v, -2.0f), static_cast<float>(size) + 1.0f);
    const int i = static_cast<int>(v);
    return i + (v > static_cast<float>(i) ? 1 : 0);
}

inline int floorWithin(float v, int size)
{
    v = std::min(std::max(v, -2.0f), static_cast<float>(size) + 1.0f);
    const int i = static_cast<int>(v);
    return i - (v < static_cast<float>(i) ? 1 : 0);
}

// The depth of triangle (a, b, c) at (px, py) when it covers that point, edges included;
// kFar when it does not or has no area.
inline float depthIn(const WindowVertex& a, const WindowVertex& b, const WindowVertex& c, float px, float py)
{
    const float area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    const float wa = (c.x - b.x) * (py - b.y) - (c.y - b.y) * (px - b.x);
    const float wb = (a.x - c.x) * (py - c.y) - (a.y - c.y) * (px - c.x);
    const float wc = (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
    const bool inside = area > 0.0f ? (wa >= 0.0f && wb >= 0.0f && wc >= 0.0f)
                                    : area < 0.0f && (wa <= 0.0f && wb <= 0.0f && wc <= 0.0f);
    return inside ? (wa * a.z + wb * b.z + wc * c.z) / area : kFar;
}

// The rows of pixel centres py + 0.5 that a quadrilateral with corners a, b, c, d spans,
// within the viewport's height: py0 to py1, none when py1 < py0. The eyes of a pair share them.
inline void centreRows(const WindowVertex& a, const WindowVertex& b, const WindowVertex& c, const WindowVertex& d,
                       int height, int& py0, int& py1)
{
    const float y0 = std::min(std::min(a.y, b.y), std::min(c.y, d.y));
    const float y1 = std::max(std::max(a.y, b.y), std::max(c.y, d.y));
    py0 = std::max(ceilingWithin(y0 - 0.5f, height), 0);
    py1 = std::min(floorWithin(y1 - 0.5f, height), height - 1);
}

// Quadrilateral quad, closed by vertex closing, with usable corners a, b, c, d in the window
// and centre rows py0 to py1 (at least one): its covered pixel centres into part when it is
// small, else it is left to the renderer.
void placeQuad(const WindowVertex& a, const WindowVertex& b, const WindowVertex& c, const WindowVertex& d,
               std::uint32_t quad, std::uint32_t closing, int py0, int py1, const SurfaceView& view,
               EyeFinds& part)
{
    const float x0 = std::min(std::min(a.x, b.x), std::min(c.x, d.x));
    const float x1 = std::max(std::max(a.x, b.x), std::max(c.x, d.x));
    // Centres px + 0.5 within [x0, x1], and inside the viewport.
    const int px0 = std::max(ceilingWithin(x0 - 0.5f, view.width), 0);
    const int px1 = std::min(floorWithin(x1 - 0.5f, view.width), view.width - 1);
    if (px1 < px0) {
        return;  // no pixel centre: nothing to draw
    }
    if ((px1 - px0 + 1) * (py1 - py0 + 1) > kMostCentresPerSmallQuad) {
        leave(part, quad);
        return;
    }
    const int step = view.rowParity < 0 ? 1 : 2;
    const int firstRow = view.rowParity < 0 || (py0 & 1) == view.rowParity ? py0 : py0 + 1;
    for (int py = firstRow; py <= py1; py += step) {
        const float cy = static_cast<float>(py) + 0.5f;
        const std::size_t rowStart = static_cast<std::size_t>(py) * view.width;
        for (int px = px0; px <= px1; ++px) {
            const float cx = static_cast<float>(px) + 0.5f;
            float z = depthIn(a, b, d, cx, cy);
            if (z == kFar) {
                z = depthIn(b, c, d, cx, cy);
            }
            if (z == kFar) {
                continue;
            }
            std::atomic<PixelKey>& cell = part.keys[rowStart + px];
            const PixelKey key = keyOf(z, closing);
            PixelKey seen = cell.load(std::memory_order_relaxed);
            while (key < seen && !cell.compare_exchange_weak(seen, key, std::memory_order_relaxed)) {
            }
        }
    }
}

void findInRows(const SurfaceGrid& grid, const Eyes& eyes, int firstRow, int endRow, int thread)
{
    EyeFinds* part = finds;
    std::vector<WindowVertex>* rowsOfEyes = rows[thread];
    const int ny = grid.pointsPerSet;
    const int height = eyes.view[0]->height;
    WindowVertex* low[2];
    WindowVertex* high[2];
    for (int e = 0; e < eyes.count; ++e) {
        rowsOfEyes[e].resize(static_cast<std::size_t>(ny) * 2);
        low[e] = rowsOfEyes[e].data();
        high[e] = low[e] + ny;
    }
    placeRow(grid, eyes, firstRow, low);
    for (int i = firstRow; i < endRow; ++i) {
        placeRow(grid, eyes, i + 1, high);
        const std::uint32_t firstQuad = static_cast<std::uint32_t>(i) * static_cast<std::uint32_t>(ny - 1);
        for (int j = 0; j + 1 < ny; ++j) {
            // Quadrilateral i * (ny - 1) + j is closed by vertex P(i, j + 1), i * ny + j + 1.
            const std::uint32_t quad = firstQuad + static_cast<std::uint32_t>(j);
            const std::uint32_t closing = quad + static_cast<std::uint32_t>(i) + 1;
            bool usable[2];
            for (int e = 0; e < eyes.count; ++e) {
                usable[e] = low[e][j].usable && high[e][j].usable && high[e][j + 1].usable && low[e][j + 1].usable;
                if (!usable[e]) {
                    leave(part[e], quad);  // the renderer clips it
                }
            }
            // The eyes differ only in x, so the rows of centres are those of a usable eye.
            const int seen = usable[0] ? 0 : eyes.count - 1;
            if (!usable[seen]) {
                continue;
            }
            int py0 = 0, py1 = -1;
            centreRows(low[seen][j], high[seen][j], high[seen][j + 1], low[seen][j + 1], height, py0, py1);
            if (py1 < py0) {
                continue;  // no pixel centre: nothing to draw
            }
            for (int e = 0; e < eyes.count; ++e) {
                if (usable[e]) {
                    placeQuad(low[e][j], high[e][j], high[e][j + 1], low[e][j + 1], quad, closing, py0, py1,
                              *eyes.view[e], part[e]);
                }
            }
        }
        for (int e = 0; e < eyes.count; ++e) {
            std::swap(low[e], high[e]);
        }
    }
}

void clear(EyeFinds& f)
{
    for (std::size_t k = 0; k < f.pixels; ++k) {
        f.keys[k].store(kNothing, std::memory_order_relaxed);
    }
}

void prepare(EyeFinds& f, std::size_t pixels)
{
    if (f.pixels != pixels) {
        f.keys.reset(new std::atomic<PixelKey>[pixels]);
        f.pixels = pixels;
        clear(f);
    }
}

// The quadrilaterals left to the renderer, in order.
void listLeft(const EyeFinds& f, std::vector<std::uint32_t>& out)
{
    out.clear();
    for (std::size_t w = 0; w < f.left.size(); ++w) {
        std::uint64_t bits = f.left[w].load(std::memory_order_relaxed);
        while (bits != 0) {
            const int bit = __builtin_ctzll(bits);
            out.push_back(static_cast<std::uint32_t>(w * 64 + static_cast<std::size_t>(bit)));
            bits &= bits - 1;
        }
    }
}

// The pixels of one eye's finds being handed over, in pixel order and in batches: the next
// pixel to look at, and the grid whose normals they show. Each pixel's key is set back to
// kNothing as it is handed over, so that the finds are ready for the next search once all
// are; a search clears finds left part-way.
struct Handing {
    EyeFinds* finds = nullptr;
    SurfaceGrid grid;
    int width = 0;
    std::size_t next = 0;

    bool unfinished(const EyeFinds& f) const { return finds == &f && next < f.pixels; }
};
Handing handing;

// The handing over fetches normals this many pixels ahead: neighbouring pixels show
// quadrilaterals far apart in the grid.
constexpr int kNormalsAhead = 16;

// Hands the next pixels of the finds being handed over to out, at most most of them.
void handOn(std::size_t most, SurfacePixels& out)
{
    out.pixels.clear();
    out.normals.clear();
    if (handing.finds == nullptr) {
        return;
    }
    const SurfaceGrid& grid = handing.grid;
    const int width = handing.width;
    const int height = static_cast<int>(handing.finds->pixels / static_cast<std::size_t>(width));
    std::size_t count = 0;
    // Row by row, so that no pixel costs a division.
    int y = static_cast<int>(handing.next / static_cast<std::size_t>(width));
    int x = static_cast<int>(handing.next % static_cast<std::size_t>(width));
    for (; y < height && count < most; ++y, x = 0) {
        std::atomic<PixelKey>* row = handing.finds->keys.get() + static_cast<std::size_t>(y) * width;
        for (; x < width && count < most; ++x) {
            const PixelKey key = row[x].load(std::memory_order_relaxed);
            if (key == kNothing) {
                continue;
            }
            row[x].store(kNothing, std::memory_order_relaxed);
            ++count;
            if (grid.normals != nullptr && x + kNormalsAhead < width) {
                const auto ahead = static_cast<std::uint32_t>(row[x + kNormalsAhead].load(std::memory_order_relaxed));
                __builtin_prefetch(grid.normals + static_cast<std::size_t>(ahead) * 3);
            }
            out.pixels.push_back(static_cast<float>(x) + 0.5f);
            out.pixels.push_back(static_cast<float>(y) + 0.5f);
            out.pixels.push_back(depthOf(key));
            if (grid.normals != nullptr) {
                const float* normal = grid.normals + static_cast<std::size_t>(static_cast<std::uint32_t>(key)) * 3;
                out.normals.push_back(normal[0]);
                out.normals.push_back(normal[1]);
                out.normals.push_back(normal[2]);
            }
        }
        if (x < width) {
            break;  // the batch is full within this row
        }
    }
    handing.next = std::min(static_cast<std::size_t>(y) * width + x, handing.finds->pixels);
}

// Ends the handing over, clearing finds left part-way so that they are ready for a search.
void stopHanding()
{
    if (handing.finds != nullptr && handing.unfinished(*handing.finds)) {
        clear(*handing.finds);
    }
    handing.finds = nullptr;
}

// Starts handing over the pixels of f.
void startHanding(EyeFinds& f, const SurfaceGrid& grid, int width)
{
    stopHanding();
    handing.finds = &f;
    handing.grid = grid;
    handing.width = width;
    handing.next = 0;
}

// The second eye's finds of the last search for two, left in finds[1]
// until taken (a search for one eye uses finds[0] only).
struct PendingSecondEye {
    bool pending = false;
    SurfaceGrid grid;
    int width = 0;
};
PendingSecondEye secondEye;

void find(const SurfaceGrid& grid, const Eyes& eyes, SurfacePixels& out, std::size_t most, int threads)
{
    out.pixels.clear();
    out.normals.clear();
    out.quads.clear();
    const SurfaceView& view = *eyes.view[0];
    stopHanding();
    if (grid.sets <= 0 || grid.pointsPerSet < 2 || view.width <= 0 || view.height <= 0) {
        return;
    }
    const std::size_t pixels = static_cast<std::size_t>(view.width) * view.height;
    const std::size_t quadWords = (static_cast<std::size_t>(grid.sets) * (grid.pointsPerSet - 1) + 63) / 64;
    for (int e = 0; e < eyes.count; ++e) {
        prepare(finds[e], pixels);
        std::vector<std::atomic<std::uint64_t>>& left = finds[e].left;
        if (left.size() != quadWords) {
            std::vector<std::atomic<std::uint64_t>>(quadWords).swap(left);  // zeroed
        }
        for (std::atomic<std::uint64_t>& word : left) {
            word.store(0, std::memory_order_relaxed);
        }
    }
    if (eyes.count == 2 && secondEye.pending) {
        clear(finds[1]);  // finds of a second eye that were never taken must not mix with the new ones
    }
    const std::size_t blocks = static_cast<std::size_t>((grid.sets + kRowsPerBlock - 1) / kRowsPerBlock);
    runBlocks(blocks, threads >= 2 && grid.sets > kRowsPerBlock, [&](std::size_t block, int thread) {
        const int first = static_cast<int>(block) * kRowsPerBlock;
        findInRows(grid, eyes, first, std::min(first + kRowsPerBlock, grid.sets), thread);
    });
    listLeft(finds[0], out.quads);
    startHanding(finds[0], grid, view.width);
    handOn(most, out);
    if (eyes.count == 2) {
        secondEye.pending = true;
        secondEye.grid = grid;
        secondEye.width = view.width;
    }
}

}  // namespace

void findSurfacePixels(const SurfaceGrid& grid, const SurfaceView& view, SurfacePixels& out, int threads,
                       std::size_t most)
{
    const Eyes eyes{{&view, &view}, 1};
    find(grid, eyes, out, most, threads);
}

bool findSurfacePixelsForTwo(const SurfaceGrid& grid, const SurfaceView& first, const SurfaceView& second,
                             SurfacePixels& firstOut, int threads, std::size_t most)
{
    if (first.width != second.width || first.height != second.height ||
        !clipDiffersOnlyInX(first.clipFromModel, second.clipFromModel)) {
        return false;
    }
    const Eyes eyes{{&first, &second}, 2};
    find(grid, eyes, firstOut, most, threads);
    return true;
}

bool takeSecondEyePixels(SurfacePixels& out, std::size_t most)
{
    if (!secondEye.pending) {
        return false;
    }
    secondEye.pending = false;
    listLeft(finds[1], out.quads);
    startHanding(finds[1], secondEye.grid, secondEye.width);
    handOn(most, out);
    return true;
}

bool moreSurfacePixels(SurfacePixels& out, std::size_t most)
{
    if (handing.finds == nullptr || !handing.unfinished(*handing.finds)) {
        out.pixels.clear();
        out.normals.clear();
        return false;
    }
    handOn(most, out);
    return !out.pixels.empty();
}
