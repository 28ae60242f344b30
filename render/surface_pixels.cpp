// The pixel centres that the small quadrilaterals of a filled surface cover, each with the
// depth and normal of the nearest one, found as the renderer finds them: a quadrilateral is
// the triangles (0, 1, 3) and (1, 2, 3), a centre on an edge counts as covered, and the
// depth is interpolated linearly in the window.
#include "render/surface_pixels.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <thread>


namespace {

constexpr float kFar = std::numeric_limits<float>::infinity();

// A vertex in the window: x and y in pixels, z the normalised depth; usable is false
// behind the eye, beyond the depth range or not finite.
struct WindowVertex {
    float x, y, z;
    bool usable;
};

// Rows of quadrilaterals that a thread takes at a time. The threads take the blocks in
// turn from a shared count, so that one slowed down by other work leaves more to the other.
constexpr int kRowsPerBlock = 8;

// What one thread finds over its blocks: the nearest depth at each pixel (kFar where none),
// the number of the quadrilateral seen there, the pixels in the order first covered, and
// the quadrilaterals left to the renderer (ascending, as a thread takes ascending blocks).
struct Part {
    std::vector<float> depth;
    std::vector<std::uint32_t> owner;
    std::vector<std::uint32_t> touched;
    std::vector<std::uint32_t> quads;
    std::vector<WindowVertex> rows;
};

Part parts[2];

void placeRow(const SurfaceGrid& grid, const SurfaceView& view, int row, WindowVertex* out)
{
    const float* m = view.clipFromModel;
    const float* p = grid.vertices + static_cast<std::size_t>(row) * grid.pointsPerSet * 3;
    const float halfWidth = 0.5f * static_cast<float>(view.width);
    const float halfHeight = 0.5f * static_cast<float>(view.height);
    for (int j = 0; j < grid.pointsPerSet; ++j, p += 3) {
        const float cw = m[3] * p[0] + m[7] * p[1] + m[11] * p[2] + m[15];
        const float cx = m[0] * p[0] + m[4] * p[1] + m[8] * p[2] + m[12];
        const float cy = m[1] * p[0] + m[5] * p[1] + m[9] * p[2] + m[13];
        const float cz = m[2] * p[0] + m[6] * p[1] + m[10] * p[2] + m[14];
        WindowVertex& w = out[j];
        w.usable = false;
        if (cw > 0.0f) {
            const float inv = 1.0f / cw;
            w.x = (cx * inv + 1.0f) * halfWidth;
            w.y = (cy * inv + 1.0f) * halfHeight;
            w.z = cz * inv;
            w.usable = std::isfinite(w.x) && std::isfinite(w.y) && w.z >= -1.0f && w.z <= 1.0f;
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

void findInRows(const SurfaceGrid& grid, const SurfaceView& view, int firstRow, int endRow, Part& part)
{
    const int ny = grid.pointsPerSet;
    part.rows.resize(static_cast<std::size_t>(ny) * 2);
    WindowVertex* low = part.rows.data();
    WindowVertex* high = low + ny;
    placeRow(grid, view, firstRow, low);
    const int lastX = view.width - 1, lastY = view.height - 1;
    for (int i = firstRow; i < endRow; ++i) {
        placeRow(grid, view, i + 1, high);
        const std::uint32_t firstQuad = static_cast<std::uint32_t>(i) * static_cast<std::uint32_t>(ny - 1);
        for (int j = 0; j + 1 < ny; ++j) {
            const std::uint32_t quad = firstQuad + static_cast<std::uint32_t>(j);
            const WindowVertex& a = low[j];
            const WindowVertex& b = high[j];
            const WindowVertex& c = high[j + 1];
            const WindowVertex& d = low[j + 1];
            if (!(a.usable && b.usable && c.usable && d.usable)) {
                part.quads.push_back(quad);  // the renderer clips it
                continue;
            }
            const float x0 = std::min(std::min(a.x, b.x), std::min(c.x, d.x));
            const float x1 = std::max(std::max(a.x, b.x), std::max(c.x, d.x));
            const float y0 = std::min(std::min(a.y, b.y), std::min(c.y, d.y));
            const float y1 = std::max(std::max(a.y, b.y), std::max(c.y, d.y));
            // Centres px + 0.5 within [x0, x1], and inside the viewport.
            const int px0 = std::max(ceilingWithin(x0 - 0.5f, view.width), 0);
            const int px1 = std::min(floorWithin(x1 - 0.5f, view.width), lastX);
            const int py0 = std::max(ceilingWithin(y0 - 0.5f, view.height), 0);
            const int py1 = std::min(floorWithin(y1 - 0.5f, view.height), lastY);
            if (px1 < px0 || py1 < py0) {
                continue;  // no pixel centre: nothing to draw
            }
            if ((px1 - px0 + 1) * (py1 - py0 + 1) > kMostCentresPerSmallQuad) {
                part.quads.push_back(quad);
                continue;
            }
            for (int py = py0; py <= py1; ++py) {
                const float cy = static_cast<float>(py) + 0.5f;
                for (int px = px0; px <= px1; ++px) {
                    const float cx = static_cast<float>(px) + 0.5f;
                    float z = depthIn(a, b, d, cx, cy);
                    if (z == kFar) {
                        z = depthIn(b, c, d, cx, cy);
                        if (z == kFar) {
                            continue;
                        }
                    }
                    const std::size_t pixel = static_cast<std::size_t>(py) * view.width + px;
                    float& nearest = part.depth[pixel];
                    if (nearest == kFar) {
                        part.touched.push_back(static_cast<std::uint32_t>(pixel));
                    } else if (!(z < nearest)) {
                        continue;  // the depth test keeps the first drawn of equal depths
                    }
                    nearest = z;
                    part.owner[pixel] = quad;
                }
            }
        }
        std::swap(low, high);
    }
}

// Takes blocks of rows from next until none is left.
void findInBlocks(const SurfaceGrid& grid, const SurfaceView& view, std::atomic<int>& next, Part& part)
{
    for (;;) {
        const int first = next.fetch_add(kRowsPerBlock);
        if (first >= grid.sets) {
            return;
        }
        findInRows(grid, view, first, std::min(first + kRowsPerBlock, grid.sets), part);
    }
}

void prepare(Part& part, std::size_t pixels)
{
    if (part.depth.size() != pixels) {
        part.depth.assign(pixels, kFar);
        part.owner.assign(pixels, 0);
    }
    part.touched.clear();
    part.quads.clear();
}

}  // namespace

void findSurfacePixels(const SurfaceGrid& grid, const SurfaceView& view, SurfacePixels& out, int threads)
{
    out.pixels.clear();
    out.normals.clear();
    out.quads.clear();
    if (grid.sets <= 0 || grid.pointsPerSet < 2 || view.width <= 0 || view.height <= 0) {
        return;
    }
    const std::size_t pixels = static_cast<std::size_t>(view.width) * view.height;
    prepare(parts[0], pixels);
    prepare(parts[1], pixels);
    std::atomic<int> next{0};
    std::thread other;
    if (threads >= 2 && grid.sets > kRowsPerBlock) {
        other = std::thread(findInBlocks, std::cref(grid), std::cref(view), std::ref(next), std::ref(parts[1]));
    }
    findInBlocks(grid, view, next, parts[0]);
    if (other.joinable()) {
        other.join();
    }

    // Of equal depths the depth test keeps the first drawn: the lower number.
    Part& first = parts[0];
    Part& second = parts[1];
    for (std::uint32_t pixel : second.touched) {
        float& nearest = first.depth[pixel];
        if (nearest == kFar) {
            first.touched.push_back(pixel);
        }
        const float z = second.depth[pixel];
        if (z < nearest || (z == nearest && second.owner[pixel] < first.owner[pixel])) {
            nearest = z;
            first.owner[pixel] = second.owner[pixel];
        }
        second.depth[pixel] = kFar;
    }
    out.quads.resize(first.quads.size() + second.quads.size());
    std::merge(first.quads.begin(), first.quads.end(), second.quads.begin(), second.quads.end(), out.quads.begin());
    out.pixels.resize(first.touched.size() * 3);
    if (grid.normals != nullptr) {
        out.normals.resize(first.touched.size() * 3);
    }
    const std::uint32_t width = static_cast<std::uint32_t>(view.width);
    float* p = out.pixels.data();
    float* n = out.normals.data();
    for (std::uint32_t pixel : first.touched) {
        *p++ = static_cast<float>(pixel % width) + 0.5f;
        *p++ = static_cast<float>(pixel / width) + 0.5f;
        *p++ = first.depth[pixel];
        if (grid.normals != nullptr) {
            // The normal sits on the quadrilateral's fourth vertex, P(i, j + 1).
            const std::uint32_t quad = first.owner[pixel];
            const std::size_t perRow = static_cast<std::size_t>(grid.pointsPerSet) - 1;
            const std::size_t closing = quad / perRow * grid.pointsPerSet + quad % perRow + 1;
            const float* normal = grid.normals + closing * 3;
            *n++ = normal[0];
            *n++ = normal[1];
            *n++ = normal[2];
        }
        first.depth[pixel] = kFar;
    }
}
