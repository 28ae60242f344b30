// Smooth points of one colour as the pixels they cover, found on the processor.
#include "render/cpu/point_splat.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "core/matrix_math.h"
#include "render/cpu/block_runner.h"

namespace {

constexpr float kFar = std::numeric_limits<float>::infinity();

// From this many points on, two threads find the covered pixels.
constexpr std::size_t kSplatThreadsFrom = 1u << 17;

// Points that a thread takes at a time (see block_runner.h).
constexpr std::size_t kSplatBlock = 1u << 14;

// What one thread finds for one eye: the nearest depth of each pixel (kFar where none
// covers it) and the points it left to the renderer.
struct EyePart {
    std::vector<float> depth;
    std::vector<float> passed;
};

struct SplatView {
    const float* first;   // projection times model-view of the first eye
    const float* second;  // of the second eye, differing only in x; null for one eye
    int width, height;
    float reach;
    int rowParity[2];  // of each eye: the only rows it covers, -1 for all
};

// parts[thread][eye]
EyePart parts[2][2];

// Lowers the depth of every pixel whose centre lies nearer than the reach to (wx, wy) to z,
// the cover test and the depth test taken without branches: the pixels around a point are
// a handful, and whether each is covered is a toss-up. Only rows of rowParity, unless -1.
inline void splatAt(float* depth, int width, float wx, float wy, float z, float r, float r2, int rowParity)
{
    // Pixel centres px + 0.5 strictly within r of wx: px from above wx - r - 0.5 to below
    // wx + r - 0.5 (the distance settles the corners).
    const int x0 = static_cast<int>(wx - r + 0.5f), x1 = static_cast<int>(wx + r - 0.5f);
    const int y0 = static_cast<int>(wy - r + 0.5f), y1 = static_cast<int>(wy + r - 0.5f);
    const int step = rowParity < 0 ? 1 : 2;
    const int firstRow = rowParity < 0 || (y0 & 1) == rowParity ? y0 : y0 + 1;
    for (int py = firstRow; py <= y1; py += step) {
        const float dy = static_cast<float>(py) + 0.5f - wy;
        const float dy2 = dy * dy;
        float* row = depth + static_cast<std::size_t>(py) * width;
        for (int px = x0; px <= x1; ++px) {
            const float dx = static_cast<float>(px) + 0.5f - wx;
            const float candidate = dx * dx + dy2 < r2 ? z : kFar;
            row[px] = std::min(row[px], candidate);
        }
    }
}

// Whether a point at window (wx, wy) and depth z lies wholly inside the picture and the
// depth range, reach r from every edge.
inline bool wellInside(float wx, float wy, float z, float r, int width, int height)
{
    return wx > r && wx < static_cast<float>(width) - r && wy > r && wy < static_cast<float>(height) - r &&
           z >= -1.0f && z <= 1.0f;
}

void splatRange(const float* p, std::size_t count, const SplatView& v, EyePart* eye)
{
    const float* m = v.first;
    const float* n = v.second;
    const float r = v.reach, r2 = r * r;
    const float halfWidth = 0.5f * static_cast<float>(v.width);
    const float halfHeight = 0.5f * static_cast<float>(v.height);
    for (std::size_t k = 0; k < count; ++k, p += 3) {
        const float cw = m[3] * p[0] + m[7] * p[1] + m[11] * p[2] + m[15];
        const float cy = m[1] * p[0] + m[5] * p[1] + m[9] * p[2] + m[13];
        const float cz = m[2] * p[0] + m[6] * p[1] + m[10] * p[2] + m[14];
        float wy = -1.0f, z = 0.0f, inv = 0.0f;
        const bool ahead = cw > 0.0f;
        if (ahead) {
            inv = 1.0f / cw;
            wy = (cy * inv + 1.0f) * halfHeight;
            z = cz * inv;
        }
        for (int e = 0; e < (n != nullptr ? 2 : 1); ++e) {
            const float* q = e == 0 ? m : n;
            const float wx = ahead ? ((q[0] * p[0] + q[4] * p[1] + q[8] * p[2] + q[12]) * inv + 1.0f) * halfWidth
                                   : -1.0f;
            if (wellInside(wx, wy, z, r, v.width, v.height)) {
                splatAt(eye[e].depth.data(), v.width, wx, wy, z, r, r2, v.rowParity[e]);
            } else {
                eye[e].passed.insert(eye[e].passed.end(), p, p + 3);
            }
        }
    }
}

// The covered pixels of one eye from both threads' depths, in pixel order, leaving the
// depths at kFar for the next frame; the points passed by both threads. Only rows of
// rowParity hold any, unless it is -1.
void collect(EyePart& a, EyePart& b, int width, int rowParity, SplatResult& out)
{
    out.passed = a.passed;
    out.passed.insert(out.passed.end(), b.passed.begin(), b.passed.end());
    out.covered.clear();
    const int height = static_cast<int>(a.depth.size() / static_cast<std::size_t>(std::max(width, 1)));
    for (int y = std::max(rowParity, 0); y < height; y += rowParity < 0 ? 1 : 2) {
        float* da = a.depth.data() + static_cast<std::size_t>(y) * width;
        float* db = b.depth.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            if (da[x] == kFar && db[x] == kFar) {
                continue;
            }
            const float z = std::min(da[x], db[x]);
            da[x] = kFar;
            db[x] = kFar;
            out.covered.push_back(static_cast<float>(x) + 0.5f);
            out.covered.push_back(static_cast<float>(y) + 0.5f);
            out.covered.push_back(z);
        }
    }
}

// Splats for the first eye into first and, when the view has a second, for it into second.
void splat(const std::vector<float>& points, const SplatView& v, SplatResult& first, SplatResult* second)
{
    const int eyes = v.second != nullptr ? 2 : 1;
    const std::size_t pixels = static_cast<std::size_t>(v.width) * v.height;
    for (auto& thread : parts) {
        for (int e = 0; e < eyes; ++e) {
            if (thread[e].depth.size() != pixels) {
                thread[e].depth.assign(pixels, kFar);
            }
            thread[e].passed.clear();
        }
    }
    const std::size_t count = points.size() / 3;
    const std::size_t blocks = (count + kSplatBlock - 1) / kSplatBlock;
    runBlocks(blocks, count >= kSplatThreadsFrom, [&](std::size_t block, int thread) {
        const std::size_t first = block * kSplatBlock;
        splatRange(points.data() + first * 3, std::min(kSplatBlock, count - first), v, parts[thread]);
    });
    collect(parts[0][0], parts[1][0], v.width, v.rowParity[0], first);
    if (eyes == 2) {
        collect(parts[0][1], parts[1][1], v.width, v.rowParity[1], *second);
    }
}

}  // namespace

void splatPoints(const std::vector<float>& points, const float clipFromModel[16], int width, int height,
                 float reach, SplatResult& out, int rowParity)
{
    const SplatView v{clipFromModel, nullptr, std::max(width, 0), std::max(height, 0), reach, {rowParity, -1}};
    splat(points, v, out, nullptr);
}

void splatPointsForTwo(const std::vector<float>& points, const float firstClipFromModel[16],
                       const float secondClipFromModel[16], int width, int height, float reach, SplatResult& first,
                       SplatResult& second, const int rowParities[2])
{
    const int firstRows = rowParities != nullptr ? rowParities[0] : -1;
    const int secondRows = rowParities != nullptr ? rowParities[1] : -1;
    if (!clipDiffersOnlyInX(firstClipFromModel, secondClipFromModel)) {
        splatPoints(points, firstClipFromModel, width, height, reach, first, firstRows);
        splatPoints(points, secondClipFromModel, width, height, reach, second, secondRows);
        return;
    }
    const SplatView v{firstClipFromModel, secondClipFromModel, std::max(width, 0), std::max(height, 0), reach,
                      {firstRows, secondRows}};
    splat(points, v, first, &second);
}
