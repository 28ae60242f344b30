// Scenes of tubes for tests of the drawing's processor-side work, and what drawing every
// triangle of their mesh under the depth test leaves at each pixel centre, worked out by
// brute force in double precision.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <vector>

#include "render/cpu/geometry_cache.h"
#include "render/cpu/tube_faces.h"
#include "render/cpu/tube_mesh.h"
#include "render/cpu/tube_visibility.h"
#include "tests/render/stereo_pair.h"

// A helix of many short joined tubes, as a data set of one set of points: seen from the
// side, neighbouring tubes overlap many times over on screen.
struct Helix {
    Helix(const Helix&) = delete;  // its set points into it
    DataSet data;
    std::vector<TubeSegment> tubes;
    TubeSet set;

    Helix(int points, double turns, float radius)
    {
        for (int k = 0; k < points; ++k) {
            const double t = turns * 2.0 * M_PI * k / (points - 1);
            data.coordArray.push_back({3.0 * std::cos(t), -4.0 + 8.0 * k / (points - 1), 3.0 * std::sin(t)});
        }
        data.fnTrf = FnTrf{1, points};
        for (int k = 0; k + 1 < points; ++k) {
            tubes.push_back(TubeSegment{static_cast<std::uint32_t>(k), TubeSegment::Joined});
        }
        set = TubeSet{&data, tubes.data(), tubes.size(), radius, 8};
    }
};

// What shows at a pixel centre: the tube, its triangle (numbered as appendTubeTriangles
// numbers them) and the depth there; by pixel, numbered row by row from the bottom.
struct TubeWinner {
    std::uint32_t tube = 0;
    int triangle = 0;
    double z = 0.0;
};
using Winners = std::map<int, TubeWinner>;

// What the depth test keeps at each pixel centre of a width x height view when every
// triangle of every tube that faces the eye is drawn in order. A tube's faces turned away lie behind those turned towards the eye. A
// centre is covered by the triangles it lies in, exactly; depths equal to a thousandth of
// the search's rounding allowance go to the first drawn, as the depth test gives them.
inline Winners depthTestWinners(const TubeSet& set, const float clip[16], const float eye[3], int width, int height)
{
    const TubeRing ring = tubeRing(set.segments);
    Winners best;
    for (std::size_t t = 0; t < set.count; ++t) {
        Point3d a, b;
        tubeSegmentEnds(*set.data, set.tubes[t], a, b);
        MeshArrays mesh;
        appendTube(ring, a, b, set.radius, mesh);
        // Window position and depth of each vertex.
        std::vector<double> wx, wy, wz;
        for (std::size_t v = 0; v < mesh.vertexCount(); ++v) {
            const float* p = &mesh.positions[v * 3];
            double c[4];
            for (int r = 0; r < 4; ++r) {
                c[r] = clip[r] * p[0] + clip[4 + r] * p[1] + clip[8 + r] * p[2] + clip[12 + r];
            }
            wx.push_back((c[0] / c[3] + 1.0) * 0.5 * width);
            wy.push_back((c[1] / c[3] + 1.0) * 0.5 * height);
            wz.push_back(c[2] / c[3]);
        }
        const int firstLocal = mesh.indices.size() / 3 == static_cast<std::size_t>(2 * set.segments) ? 2 * set.segments : 0;
        for (std::size_t k = 0; k < mesh.indices.size() / 3; ++k) {
            const std::uint32_t* tri = &mesh.indices[k * 3];
            // A side quadrilateral's plane has the normal of its corners' sum; a cap's is flat.
            const int local = firstLocal + static_cast<int>(k);
            const std::uint32_t at = local < 2 * set.segments ? mesh.indices[(k - k % 2) * 3] : tri[0];
            float normal[3];
            for (int r = 0; r < 3; ++r) {
                normal[r] = mesh.normals[at * 3 + r] +
                            (local < 2 * set.segments ? mesh.normals[mesh.indices[(k - k % 2) * 3 + 5] * 3 + r] : 0.0f);
            }
            double dot = 0.0, nn = 0.0, dd = 0.0;
            for (int r = 0; r < 3; ++r) {
                const double d = eye[r] - mesh.positions[at * 3 + r];
                dot += normal[r] * d;
                nn += normal[r] * normal[r];
                dd += d * d;
            }
            const bool away = dot < 0.0 && dot * dot > 1.0e-6 * nn * dd;
            if (away) {
                continue;
            }
            const double x0 = wx[tri[0]], y0 = wy[tri[0]], x1 = wx[tri[1]], y1 = wy[tri[1]], x2 = wx[tri[2]], y2 = wy[tri[2]];
            const double area = (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0);
            if (std::fabs(area) < 1e-9) {
                continue;
            }
            for (int py = static_cast<int>(std::floor(std::min({y0, y1, y2}))); py <= std::max({y0, y1, y2}); ++py) {
                for (int px = static_cast<int>(std::floor(std::min({x0, x1, x2}))); px <= std::max({x0, x1, x2}); ++px) {
                    if (px < 0 || py < 0 || px >= width || py >= height) {
                        continue;
                    }
                    const double cx = px + 0.5, cy = py + 0.5;
                    const double l0 = ((x1 - cx) * (y2 - cy) - (x2 - cx) * (y1 - cy)) / area;
                    const double l1 = ((x2 - cx) * (y0 - cy) - (x0 - cx) * (y2 - cy)) / area;
                    const double l2 = 1.0 - l0 - l1;
                    if (l0 < 0.0 || l1 < 0.0 || l2 < 0.0) {
                        continue;
                    }
                    const double z = l0 * wz[tri[0]] + l1 * wz[tri[1]] + l2 * wz[tri[2]];
                    const int pixel = py * width + px;
                    const auto it = best.find(pixel);
                    if (it == best.end() || z < it->second.z - 1e-9) {
                        best[pixel] = TubeWinner{static_cast<std::uint32_t>(t), firstLocal + static_cast<int>(k), z};
                    }
                }
            }
        }
    }
    return best;
}


// Two joined tubes seen from the model's origin: the first runs through the eye's place
// (from z 5 to z -5), the second lies wholly in front of it.
struct ThroughTheNearPlane {
    ThroughTheNearPlane(const ThroughTheNearPlane&) = delete;  // its set points into it
    ThroughTheNearPlane(int width, int height, float radius)
    {
        float projection[16], modelview[16];
        frustum(-0.5f, 0.5f, -0.375f, 0.375f, projection);
        movedAway(modelview);
        modelview[14] = 0.0f;  // the eye at the model's origin
        culling = cullingFor(projection, modelview, width, height);
        data.coordArray = {{0.0, 0.0, 5.0}, {0.0, 0.0, -5.0}, {0.3, 0.2, -9.0}};
        data.fnTrf = FnTrf{1, 3};
        tubes = {TubeSegment{0, TubeSegment::Joined}, TubeSegment{1, TubeSegment::Joined}};
        set = TubeSet{&data, tubes.data(), tubes.size(), radius, 8};
    }
    FaceCulling culling;
    DataSet data;
    std::vector<TubeSegment> tubes;
    TubeSet set;
};
