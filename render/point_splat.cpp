// Smooth points of one colour as the pixels they cover, found on the processor.
#include "render/point_splat.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <limits>
#include <thread>

namespace {

// From this many points on, two threads find the covered pixels.
constexpr std::size_t kSplatThreadsFrom = 1u << 17;

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

}  // namespace

void splatPoints(const std::vector<float>& points, const float clipFromModel[16], int width, int height,
                 float reach, std::vector<float>& passed, std::vector<float>& covered)
{
    SplatView v;
    std::copy(clipFromModel, clipFromModel + 16, v.m);
    v.width = std::max(width, 0);
    v.height = std::max(height, 0);
    v.reach = reach;
    const std::size_t pixels = static_cast<std::size_t>(v.width) * v.height;
    for (SplatPart& part : splatParts) {
        if (part.depth.size() != pixels) {
            part.depth.assign(pixels, std::numeric_limits<float>::infinity());
        }
        part.touched.clear();
        part.passed.clear();
    }
    const std::size_t count = points.size() / 3;
    std::atomic<std::size_t> next{0};
    std::thread other;
    if (count >= kSplatThreadsFrom) {
        other = std::thread(splatBlocks, points.data(), count, std::cref(v), std::ref(next), std::ref(splatParts[1]));
    }
    splatBlocks(points.data(), count, v, next, splatParts[0]);
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
    passed = whole.passed;
    passed.insert(passed.end(), second.passed.begin(), second.passed.end());
    covered.resize(whole.touched.size() * 3);
    float* out = covered.data();
    for (std::uint32_t pixel : whole.touched) {
        *out++ = static_cast<float>(pixel % static_cast<std::uint32_t>(v.width)) + 0.5f;
        *out++ = static_cast<float>(pixel / static_cast<std::uint32_t>(v.width)) + 0.5f;
        *out++ = whole.depth[pixel];
        whole.depth[pixel] = std::numeric_limits<float>::infinity();
    }
}

