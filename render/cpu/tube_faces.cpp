// The faces of the tubes towards the eye that may cover a pixel centre.
#include "render/cpu/tube_faces.h"

#include <algorithm>
#include <cmath>

#include "core/matrix_math.h"
#include "render/cpu/block_runner.h"
#include "render/cpu/stereo_projection.h"

namespace {

// From this many tubes on, two threads find the faces to draw, this many tubes at a time.
constexpr std::size_t kCullingThreadsFrom = 2048;
constexpr std::size_t kCulledTubeBlock = 256;

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
            // One at a time: a three-element insert costs a library copy call per face.
            out.push_back(t[k]);
            out.push_back(t[k + 1]);
            out.push_back(t[k + 2]);
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

// Appends the faces to draw of one tube whose window positions are placed: the side's
// quadrilaterals whose plane faces the eye and the cap that faces it, those of them that
// may cover a pixel centre. t: the tube's indices, its side's s quadrilaterals (low i,
// high i, high i + 1, low i, high i + 1, low i + 1), when it has a side (side is then 6 s),
// then its two caps' fans of s triangles from their centres.
void appendPlacedTube(const MeshArrays& mesh, const std::uint32_t* t, std::size_t side, std::size_t s,
                      std::uint32_t base, const float* window, const FaceCulling& c, std::vector<std::uint32_t>& out)
{
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
    const std::uint32_t* caps = t + side;
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

// One tube of the mesh: its indices, its side's index count (0 for a tube of length 0),
// and whether it has the shape that appendPlacedTube expects.
struct TubeIndices {
    const std::uint32_t* t;
    std::size_t count, side;
    bool shaped;
};

TubeIndices tubeIndices(const MeshArrays& mesh, std::size_t tube, std::size_t s)
{
    const std::size_t start = mesh.tubeStarts[tube];
    const std::size_t stop = tube + 1 < mesh.tubeStarts.size() ? mesh.tubeStarts[tube + 1] : mesh.indices.size();
    TubeIndices ti{mesh.indices.data() + start, stop - start, 0, false};
    ti.side = ti.count == 12 * s ? 6 * s : 0;
    ti.shaped = ti.count == ti.side + 6 * s;
    return ti;
}

// Whether the tube reaches in front of the near plane, where its inside may show.
bool cutByNearPlane(const MeshArrays& mesh, const TubeIndices& ti, std::size_t s, float radius, const FaceCulling& c)
{
    const float reach = radius * c.scale * 1.01f + static_cast<float>(kNearPlane);
    const std::uint32_t* caps = ti.t + ti.side;
    return eyeDepth(mesh, caps[0], c) <= reach || eyeDepth(mesh, caps[3 * s], c) <= reach;
}

// A tube's vertices follow each other from its first index on: its side's, then each cap's
// centre and rim.
std::size_t placedVertexCount(const TubeIndices& ti, std::size_t s)
{
    return (ti.side > 0 ? 2 * s : 0) + 2 * (s + 1);
}

// Appends to out the triangles to draw of tubes first to end.
void appendFrontFaces(const MeshArrays& mesh, std::size_t first, std::size_t end, int segments, float radius,
                      const FaceCulling& c, std::vector<std::uint32_t>& out)
{
    const std::size_t s = static_cast<std::size_t>(segments);
    for (std::size_t tube = first; tube < end; ++tube) {
        const TubeIndices ti = tubeIndices(mesh, tube, s);
        const std::size_t vertices = placedVertexCount(ti, s);
        float window[2 * kMostTubeVertices];
        if (!ti.shaped || cutByNearPlane(mesh, ti, s, radius, c) || vertices > kMostTubeVertices ||
            !placeInWindow(mesh, ti.t[0], vertices, c, window)) {
            out.insert(out.end(), ti.t, ti.t + ti.count);
            continue;
        }
        appendPlacedTube(mesh, ti.t, ti.side, s, ti.t[0], window, c, out);
    }
}

// The same for two eyes whose clip coordinates differ only in x (see sharesAllButX): the
// window y and the division by w are worked out once for both.
void appendFrontFacesOfTwo(const MeshArrays& mesh, std::size_t first, std::size_t end, int segments, float radius,
                           const FaceCulling& a, const FaceCulling& b, std::vector<std::uint32_t>& outA,
                           std::vector<std::uint32_t>& outB)
{
    const std::size_t s = static_cast<std::size_t>(segments);
    const float* ma = a.clipFromModel;
    const float* mb = b.clipFromModel;
    const float halfWidth = 0.5f * a.width, halfHeight = 0.5f * a.height;
    for (std::size_t tube = first; tube < end; ++tube) {
        const TubeIndices ti = tubeIndices(mesh, tube, s);
        const std::size_t vertices = placedVertexCount(ti, s);
        const bool wholeA = !ti.shaped || cutByNearPlane(mesh, ti, s, radius, a);
        const bool wholeB = !ti.shaped || cutByNearPlane(mesh, ti, s, radius, b);
        bool placed = !(wholeA && wholeB) && vertices <= kMostTubeVertices;
        float windowA[2 * kMostTubeVertices], windowB[2 * kMostTubeVertices];
        if (placed) {
            const float* p = &mesh.positions[static_cast<std::size_t>(ti.t[0]) * 3];
            for (std::size_t k = 0; k < vertices; ++k, p += 3) {
                const float cw = ma[3] * p[0] + ma[7] * p[1] + ma[11] * p[2] + ma[15];
                if (!(cw > 0.0f)) {
                    placed = false;
                    break;
                }
                const float inv = 1.0f / cw;
                const float y = ((ma[1] * p[0] + ma[5] * p[1] + ma[9] * p[2] + ma[13]) * inv + 1.0f) * halfHeight;
                windowA[2 * k] = ((ma[0] * p[0] + ma[4] * p[1] + ma[8] * p[2] + ma[12]) * inv + 1.0f) * halfWidth;
                windowB[2 * k] = ((mb[0] * p[0] + mb[4] * p[1] + mb[8] * p[2] + mb[12]) * inv + 1.0f) * halfWidth;
                windowA[2 * k + 1] = y;
                windowB[2 * k + 1] = y;
            }
        }
        if (wholeA || !placed) {
            outA.insert(outA.end(), ti.t, ti.t + ti.count);
        } else {
            appendPlacedTube(mesh, ti.t, ti.side, s, ti.t[0], windowA, a, outA);
        }
        if (wholeB || !placed) {
            outB.insert(outB.end(), ti.t, ti.t + ti.count);
        } else {
            appendPlacedTube(mesh, ti.t, ti.side, s, ti.t[0], windowB, b, outB);
        }
    }
}

// Each block's faces, kept apart until the blocks are joined in order; the second list of
// each block for a second eye.
std::vector<std::vector<std::uint32_t>> blockIndices, secondBlockIndices;

void joinBlocks(const std::vector<std::vector<std::uint32_t>>& blocks, std::size_t count,
                std::vector<std::uint32_t>& out)
{
    for (std::size_t b = 0; b < count; ++b) {
        out.insert(out.end(), blocks[b].begin(), blocks[b].end());
    }
}

}  // namespace

FaceCulling cullingFor(const float projection[16], const float modelview[16], int width, int height)
{
    FaceCulling c;
    const float* p = projection;
    if (p[3] != 0.0f || p[7] != 0.0f || p[11] != -1.0f || p[15] != 0.0f) {
        return c;
    }
    double inverse[16];
    if (!affineInverse(modelview, inverse)) {
        return c;
    }
    const float* m = modelview;
    for (int k = 0; k < 3; ++k) {
        c.eye[k] = static_cast<float>(inverse[12 + k]);
        c.depthRow[k] = -m[4 * k + 2];
        const float column = std::sqrt(m[4 * k] * m[4 * k] + m[4 * k + 1] * m[4 * k + 1] + m[4 * k + 2] * m[4 * k + 2]);
        c.scale = std::max(c.scale, column);
    }
    c.depthRow[3] = -m[14];
    multiplyMatrices(projection, modelview, c.clipFromModel);
    c.width = static_cast<float>(width);
    c.height = static_cast<float>(height);
    c.on = true;
    return c;
}

void findFrontFaces(const MeshArrays& mesh, std::size_t first, std::size_t end, int segments, float radius,
                    const FaceCulling& c, std::vector<std::uint32_t>& out)
{
    if (end - first < kCullingThreadsFrom) {
        appendFrontFaces(mesh, first, end, segments, radius, c, out);
        return;
    }
    const std::size_t blocks = (end - first + kCulledTubeBlock - 1) / kCulledTubeBlock;
    if (blockIndices.size() < blocks) {
        blockIndices.resize(blocks);
    }
    runBlocks(blocks, true, [&](std::size_t block, int) {
        const std::size_t from = first + block * kCulledTubeBlock;
        blockIndices[block].clear();
        appendFrontFaces(mesh, from, std::min(end, from + kCulledTubeBlock), segments, radius, c,
                         blockIndices[block]);
    });
    joinBlocks(blockIndices, blocks, out);
}

bool sharesAllButX(const FaceCulling& a, const FaceCulling& b)
{
    return a.on && b.on && a.width == b.width && a.height == b.height &&
           clipDiffersOnlyInX(a.clipFromModel, b.clipFromModel);
}

void findFrontFacesOfTwo(const MeshArrays& mesh, std::size_t first, std::size_t end, int segments, float radius,
                         const FaceCulling& a, const FaceCulling& b, std::vector<std::uint32_t>& outA,
                         std::vector<std::uint32_t>& outB)
{
    if (!sharesAllButX(a, b)) {
        findFrontFaces(mesh, first, end, segments, radius, a, outA);
        findFrontFaces(mesh, first, end, segments, radius, b, outB);
        return;
    }
    if (end - first < kCullingThreadsFrom) {
        appendFrontFacesOfTwo(mesh, first, end, segments, radius, a, b, outA, outB);
        return;
    }
    const std::size_t blocks = (end - first + kCulledTubeBlock - 1) / kCulledTubeBlock;
    blockIndices.resize(std::max(blockIndices.size(), blocks));
    secondBlockIndices.resize(std::max(secondBlockIndices.size(), blocks));
    runBlocks(blocks, true, [&](std::size_t block, int) {
        const std::size_t from = first + block * kCulledTubeBlock;
        blockIndices[block].clear();
        secondBlockIndices[block].clear();
        appendFrontFacesOfTwo(mesh, from, std::min(end, from + kCulledTubeBlock), segments, radius, a, b,
                              blockIndices[block], secondBlockIndices[block]);
    });
    joinBlocks(blockIndices, blocks, outA);
    joinBlocks(secondBlockIndices, blocks, outB);
}
