// Capped tubes as indexed triangles, built to match the quadric's cylinder and discs.
#include "render/cpu/tube_mesh.h"

#include <cmath>

#include "core/vector_maths.h"

namespace {

// The quadric's own value of pi.
constexpr double kQuadricPi = 3.14159265358979323846;

// The local x, y and z axes of a tube carried into data coordinates, as drawTube turns them.
struct TubeFrame {
    double x[3], y[3], z[3];
};

TubeFrame tubeFrame(const TubeTurn& turn)
{
    TubeFrame f{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    if (turn.kind == TubeTurn::AboutX) {
        const double rad = turn.angle * kQuadricPi / 180.0;
        const double c = std::cos(rad), s = std::sin(rad);
        f = TubeFrame{{1, 0, 0}, {0, c, s}, {0, -s, c}};
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
    indices.clear();
    tubeStarts.clear();
    positions.shrink_to_fit();
    normals.shrink_to_fit();
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
            const double sx = ring.cylinderSin[i], cy = ring.cylinderCos[i];
            const double rs = static_cast<float>(r) * sx, rc = static_cast<float>(r) * cy;
            pushVertex(mesh, a, f, rs, rc, 0.0, sx, cy, 0.0);
            pushVertex(mesh, a, f, rs, rc, length, sx, cy, 0.0);
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
