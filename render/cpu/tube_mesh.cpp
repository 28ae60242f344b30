// Capped tubes as indexed triangles, built to match the quadric's cylinder and discs.
#include "render/cpu/tube_mesh.h"

#include <algorithm>
#include <cmath>

#include "core/vector_maths.h"

namespace {

// The quadric's own value of pi.
constexpr double kQuadricPi = 3.14159265358979323846;

using TubeFrame = TubeAxes;

TubeFrame tubeFrame(const TubeTurn& turn)
{
    TubeFrame f{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, turn.length};
    if (turn.kind == TubeTurn::AboutX) {
        const double rad = turn.angle * kQuadricPi / 180.0;
        const double c = std::cos(rad), s = std::sin(rad);
        f = TubeFrame{{1, 0, 0}, {0, c, s}, {0, -s, c}, turn.length};
    } else if (turn.kind == TubeTurn::Frame) {
        for (int k = 0; k < 3; ++k) {
            f.x[k] = turn.matrix[k];
            f.y[k] = turn.matrix[4 + k];
            f.z[k] = turn.matrix[8 + k];
        }
    }
    return f;
}

void pushVertex(MeshArrays& mesh, const Point3d& origin, const TubeFrame& f, double lx, double ly, double lz,
                double nx, double ny, double nz)
{
    for (int k = 0; k < 3; ++k) {
        const double p = (k == 0 ? origin.x : k == 1 ? origin.y : origin.z) + f.x[k] * lx + f.y[k] * ly + f.z[k] * lz;
        mesh.positions.push_back(static_cast<float>(p));
    }
    for (int k = 0; k < 3; ++k) {
        mesh.normals.push_back(static_cast<float>(f.x[k] * nx + f.y[k] * ny + f.z[k] * nz));
    }
}

// The vertex of the side's ring i at height z (0 or the length).
void pushSideVertex(MeshArrays& mesh, const TubeRing& ring, const Point3d& a, const TubeFrame& f, double r, int i,
                    double z)
{
    const double sx = ring.cylinderSin[i], cy = ring.cylinderCos[i];
    const double rs = static_cast<float>(r) * sx, rc = static_cast<float>(r) * cy;
    pushVertex(mesh, a, f, rs, rc, z, sx, cy, 0.0);
}

// One disc of one loop: a fan from the centre over the rim, in the quadric's order. The
// quadric repeats the first rim vertex at the end; here it is shared.
void appendCap(const TubeRing& ring, const Point3d& origin, const TubeFrame& f, double radius, double z,
               bool outside, MeshArrays& mesh)
{
    const int s = ring.segments;
    const std::uint32_t centre = static_cast<std::uint32_t>(mesh.vertexCount());
    const double nz = outside ? 1.0 : -1.0;
    const double r = static_cast<float>(radius);
    pushVertex(mesh, origin, f, 0.0, 0.0, z, 0.0, 0.0, nz);
    for (int k = 0; k < s; ++k) {
        pushVertex(mesh, origin, f, r * ring.discSin[k], r * ring.discCos[k], z, 0.0, 0.0, nz);
    }
    const auto rim = [&](int k) { return centre + 1 + static_cast<std::uint32_t>(k % s); };
    for (int i = 0; i < s; ++i) {
        // The outside disc runs its rim backwards.
        const std::uint32_t fan[3] = {centre, outside ? rim(s - i) : rim(i), outside ? rim(2 * s - i - 1) : rim(i + 1)};
        mesh.indices.insert(mesh.indices.end(), fan, fan + 3);
    }
}

}  // namespace

void MeshArrays::clear()
{
    positions.clear();
    normals.clear();
    colors.clear();
    indices.clear();
    tubeStarts.clear();
    positions.shrink_to_fit();
    normals.shrink_to_fit();
    colors.shrink_to_fit();
    indices.shrink_to_fit();
    tubeStarts.shrink_to_fit();
}

TubeRing tubeRing(int segments)
{
    TubeRing ring;
    ring.segments = segments;
    for (int i = 0; i <= segments; ++i) {
        const int k = i == segments ? 0 : i;
        const float cylinderAngle = static_cast<float>(2 * kQuadricPi * k / segments);
        ring.cylinderSin.push_back(static_cast<float>(std::sin(cylinderAngle)));
        ring.cylinderCos.push_back(static_cast<float>(std::cos(cylinderAngle)));
        const float discAngle = static_cast<float>(((kQuadricPi * 360.0) / 180.0) * k / segments);
        ring.discSin.push_back(static_cast<float>(std::sin(discAngle)));
        ring.discCos.push_back(static_cast<float>(std::cos(discAngle)));
    }
    return ring;
}

int tubeVertexCount(int segments)
{
    return 2 * segments + 2 * (segments + 1);
}

int tubeIndexCount(int segments)
{
    return 6 * segments + 2 * 3 * segments;
}

void appendTube(const TubeRing& ring, const Point3d& a, const Point3d& b, float radius, MeshArrays& mesh)
{
    const int s = ring.segments;
    const TubeTurn turn = tubeTurn(a, b);
    const TubeFrame f = tubeFrame(turn);
    const double r = radius;
    const double length = turn.length;
    mesh.tubeStarts.push_back(static_cast<std::uint32_t>(mesh.indices.size()));

    // The quadric refuses a cylinder of length 0; its caps still come.
    if (length != 0.0) {
        const std::uint32_t first = static_cast<std::uint32_t>(mesh.vertexCount());
        for (int i = 0; i < s; ++i) {
            pushSideVertex(mesh, ring, a, f, r, i, 0.0);
            pushSideVertex(mesh, ring, a, f, r, i, length);
        }
        // Quadrilateral i of the quadric's strip: low i, high i, high i + 1, low i + 1; the
        // strip's last pair repeats its first, which is shared here.
        for (int i = 0; i < s; ++i) {
            const std::uint32_t lo = first + 2 * i, hi = lo + 1;
            const std::uint32_t lo1 = first + 2 * ((i + 1) % s), hi1 = lo1 + 1;
            const std::uint32_t quad[6] = {lo, hi, hi1, lo, hi1, lo1};
            mesh.indices.insert(mesh.indices.end(), quad, quad + 6);
        }
    }
    appendCap(ring, a, f, r, 0.0, false, mesh);
    appendCap(ring, a, f, r, length, true, mesh);
}

TubeAxes tubeAxes(const Point3d& a, const Point3d& b)
{
    return tubeFrame(tubeTurn(a, b));
}

void appendTubeTriangles(const TubeRing& ring, const Point3d& a, const Point3d& b, float radius,
                         const std::uint64_t* triangles, MeshArrays& mesh)
{
    const int s = ring.segments;
    const TubeFrame f = tubeFrame(tubeTurn(a, b));
    const double r = radius;
    const double length = f.length;
    constexpr std::uint32_t kNone = ~std::uint32_t{0};
    // Each vertex made once, when a triangle first needs it: the side's rings at either end,
    // and each cap's centre and rim.
    std::uint32_t side[2][64], rim[2][64], centre[2] = {kNone, kNone};
    for (int e = 0; e < 2; ++e) {
        for (int k = 0; k < s; ++k) {
            side[e][k] = rim[e][k] = kNone;
        }
    }
    const auto sideVertex = [&](int end, int k) {
        if (side[end][k] == kNone) {
            side[end][k] = static_cast<std::uint32_t>(mesh.vertexCount());
            pushSideVertex(mesh, ring, a, f, r, k, end == 0 ? 0.0 : length);
        }
        return side[end][k];
    };
    // As appendCap makes them: the radius as a float, the disc's own angles.
    const double capRadius = static_cast<float>(r);
    const auto capCentre = [&](int end) {
        if (centre[end] == kNone) {
            centre[end] = static_cast<std::uint32_t>(mesh.vertexCount());
            pushVertex(mesh, a, f, 0.0, 0.0, end == 0 ? 0.0 : length, 0.0, 0.0, end == 0 ? -1.0 : 1.0);
        }
        return centre[end];
    };
    const auto rimVertex = [&](int end, int k) {
        k %= s;
        if (rim[end][k] == kNone) {
            rim[end][k] = static_cast<std::uint32_t>(mesh.vertexCount());
            pushVertex(mesh, a, f, capRadius * ring.discSin[k], capRadius * ring.discCos[k],
                       end == 0 ? 0.0 : length, 0.0, 0.0, end == 0 ? -1.0 : 1.0);
        }
        return rim[end][k];
    };
    if (length != 0.0) {
        for (int i = 0; i < s; ++i) {
            const int k = (i + 1) % s;
            if (hasTriangle(triangles, 2 * i)) {
                const std::uint32_t t[3] = {sideVertex(0, i), sideVertex(1, i), sideVertex(1, k)};
                mesh.indices.insert(mesh.indices.end(), t, t + 3);
            }
            if (hasTriangle(triangles, 2 * i + 1)) {
                const std::uint32_t t[3] = {sideVertex(0, i), sideVertex(1, k), sideVertex(0, k)};
                mesh.indices.insert(mesh.indices.end(), t, t + 3);
            }
        }
    }
    for (int i = 0; i < s; ++i) {
        if (hasTriangle(triangles, 2 * s + i)) {
            const std::uint32_t t[3] = {capCentre(0), rimVertex(0, i), rimVertex(0, i + 1)};
            mesh.indices.insert(mesh.indices.end(), t, t + 3);
        }
    }
    for (int i = 0; i < s; ++i) {
        if (hasTriangle(triangles, 3 * s + i)) {
            // The outside disc runs its rim backwards.
            const std::uint32_t t[3] = {capCentre(1), rimVertex(1, s - i), rimVertex(1, 2 * s - i - 1)};
            mesh.indices.insert(mesh.indices.end(), t, t + 3);
        }
    }
}

void colorTubeVertices(MeshArrays& mesh, std::size_t firstVertex, const Point3d& a, const Point3d& b,
                       const unsigned char colorA[4], const unsigned char colorB[4])
{
    const double d[3] = {b.x - a.x, b.y - a.y, b.z - a.z};
    const double lengthSquared = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    mesh.colors.resize(mesh.vertexCount() * 4);
    for (std::size_t v = firstVertex; v < mesh.vertexCount(); ++v) {
        const float* p = &mesh.positions[v * 3];
        // Every vertex lies in the plane of one end: which one is told by its distance along
        // the tube, half way being far from either.
        const double along = (p[0] - a.x) * d[0] + (p[1] - a.y) * d[1] + (p[2] - a.z) * d[2];
        const unsigned char* color = along > 0.5 * lengthSquared ? colorB : colorA;
        std::copy(color, color + 4, &mesh.colors[v * 4]);
    }
}
