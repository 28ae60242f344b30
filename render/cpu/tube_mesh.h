// Capped tubes as indexed triangles with the vertices and normals that the GLU quadric
// gives drawTube's cylinder and discs, for drawing many tubes from vertex arrays.
#pragma once

#include <cstdint>
#include <vector>

#include "core/data_set.h"

// Sines and cosines of the slice angles, computed as the quadric computes them: the
// cylinder's and the discs' angles are worked out in slightly different ways.
struct TubeRing {
    int segments = 0;
    std::vector<float> cylinderSin, cylinderCos;  // segments + 1 entries, the last repeats the first
    std::vector<float> discSin, discCos;
};
TubeRing tubeRing(int segments);

// Vertex arrays for GL_TRIANGLES drawn with glDrawElements.
struct MeshArrays {
    std::vector<float> positions;  // x, y, z per vertex
    std::vector<float> normals;    // x, y, z per vertex
    std::vector<std::uint32_t> indices;
    std::vector<std::uint32_t> tubeStarts;  // the first index of each tube

    std::size_t vertexCount() const { return positions.size() / 3; }
    void clear();
};

// Vertices and indices that one tube adds (a tube of length 0 adds fewer).
int tubeVertexCount(int segments);
int tubeIndexCount(int segments);

// Appends the tube from a to b of the given radius in data coordinates (without the
// centring translation): a cylinder of one stack, then the cap at a facing away from b,
// then the cap at b facing away from a, each of one loop. With lighting from directional
// lights this shades exactly as drawTube's cylinder of `segments` stacks and discs of
// `segments` loops, whose extra rings lie in the same planes with the same normals. A tube
// of length 0 is its two caps alone, as drawTube draws it.
void appendTube(const TubeRing& ring, const Point3d& a, const Point3d& b, float radius, MeshArrays& mesh);
