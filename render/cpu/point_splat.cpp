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

// Splats the points first to first + count - 1 of the source.
void splatRange(const SplatSource& source, std::size_t first, std::size_t count, const SplatView& v, EyePart* eye)
{
    const float* m = v.first;
    const float* n = v.second;
    const float r = v.reach, r2 = r * r;
    const float halfWidth = 0.5f * static_cast<float>(v.width);
    const float halfHeight = 0.5f * static_cast<float>(v.height);
    for (std::size_t k = first; k < first + count; ++k) {
        float p[3];
        if (source.floats != nullptr) {
            p[0] = source.floats[3 * k];
            p[1] = source.floats[3 * k + 1];
            p[2] = source.floats[3 * k + 2];
        } else {
            p[0] = static_cast<float>(source.doubles[k].x);
            p[1] = static_cast<float>(source.doubles[k].y);
            p[2] = static_cast<float>(source.doubles[k].z);
        }
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

// Whether the threads' depths hold an unfinished splatting's work (a frame left unfinished
// and begun anew): then they are cleared before the next.
bool depthsInUse = false;

}  // namespace

void SplatSteps::begin(const SplatSource& points, const float firstClipFromModel[16],
                       const float* secondClipFromModel, int width, int height, float reach, const int rowParities[2],
                       std::size_t stepPoints)
{
    stepPoints_ = std::max<std::size_t>(stepPoints, 1);
    points_ = points;
    std::copy(firstClipFromModel, firstClipFromModel + 16, first_);
    two_ = secondClipFromModel != nullptr;
    if (two_) {
        std::copy(secondClipFromModel, secondClipFromModel + 16, second_);
    }
    // Eyes whose clip coordinates differ only in x share each point's y, depth and w; others
    // are splatted one after the other, each into its own depths.
    together_ = two_ && clipDiffersOnlyInX(first_, second_);
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    reach_ = reach;
    rows_[0] = rowParities != nullptr ? rowParities[0] : -1;
    rows_[1] = rowParities != nullptr ? rowParities[1] : -1;
    const std::size_t pixels = static_cast<std::size_t>(width_) * height_;
    for (auto& thread : parts) {
        for (int e = 0; e < (two_ ? 2 : 1); ++e) {
            if (thread[e].depth.size() != pixels || depthsInUse) {
                thread[e].depth.assign(pixels, kFar);
            }
            thread[e].passed.clear();
        }
    }
    depthsInUse = true;
    perEye_ = (points.count + stepPoints_ - 1) / stepPoints_;
    steps_ = two_ && !together_ ? 2 * perEye_ : perEye_;
}

void SplatSteps::step(std::size_t k)
{
    // The second of two eyes splatted apart writes into the second depths of each thread.
    const bool secondApart = two_ && !together_ && k >= perEye_;
    const std::size_t s = secondApart ? k - perEye_ : k;
    const SplatView v{secondApart ? second_ : first_,
                      together_ ? second_ : nullptr,
                      width_,
                      height_,
                      reach_,
                      {secondApart ? rows_[1] : rows_[0], rows_[1]}};
    const std::size_t first = s * stepPoints_;
    const std::size_t count = std::min(stepPoints_, points_.count - first);
    const std::size_t blocks = (count + kSplatBlock - 1) / kSplatBlock;
    runBlocks(blocks, points_.count >= kSplatThreadsFrom, [&](std::size_t block, int thread) {
        const std::size_t at = first + block * kSplatBlock;
        splatRange(points_, at, std::min(kSplatBlock, first + count - at), v,
                   secondApart ? &parts[thread][1] : parts[thread]);
    });
}

void SplatSteps::finish(SplatResult& first, SplatResult* second)
{
    collect(parts[0][0], parts[1][0], width_, rows_[0], first);
    if (two_ && second != nullptr) {
        collect(parts[0][1], parts[1][1], width_, rows_[1], *second);
    }
    depthsInUse = false;
}

void splatPoints(const std::vector<float>& points, const float clipFromModel[16], int width, int height,
                 float reach, SplatResult& out, int rowParity)
{
    SplatSteps splat;
    const int rows[2] = {rowParity, -1};
    splat.begin(SplatSource{points.data(), nullptr, points.size() / 3}, clipFromModel, nullptr, width, height, reach,
                rows);
    for (std::size_t k = 0; k < splat.steps(); ++k) {
        splat.step(k);
    }
    splat.finish(out, nullptr);
}

void splatPointsForTwo(const std::vector<float>& points, const float firstClipFromModel[16],
                       const float secondClipFromModel[16], int width, int height, float reach, SplatResult& first,
                       SplatResult& second, const int rowParities[2])
{
    SplatSteps splat;
    const int none[2] = {-1, -1};
    splat.begin(SplatSource{points.data(), nullptr, points.size() / 3}, firstClipFromModel, secondClipFromModel, width,
                height, reach, rowParities != nullptr ? rowParities : none);
    for (std::size_t k = 0; k < splat.steps(); ++k) {
        splat.step(k);
    }
    splat.finish(first, &second);
}
