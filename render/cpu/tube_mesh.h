// Capped tubes as indexed triangles with the vertices and normals that the GLU quadric
// gives drawTube's cylinder and discs, for drawing many tubes from vertex arrays.
#pragma once

#include <cstddef>
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
    std::vector<std::uint8_t> colors;  // red, green, blue, alpha per vertex; empty when uncoloured
    std::vector<std::uint32_t> indices;
    std::vector<std::uint32_t> tubeStarts;  // the first index of each tube

    std::size_t vertexCount() const { return positions.size() / 3; }
    void clear();
};

// The local axes of the tube from a to b carried into data coordinates, as drawTube turns
// them: x and y span its rings, z runs from a to b; and its length.
struct TubeAxes {
    double x[3], y[3], z[3];
    double length;
};
TubeAxes tubeAxes(const Point3d& a, const Point3d& b);

// A set of one tube's triangles as bits in words of 64, numbered in appendTube's order:
// side quadrilateral k gives triangles 2k and 2k + 1, the cap at the start its fan's
// triangles 2s + i, the cap at the end 3s + i (s the segments; for a tube of length 0 the
// side's numbers stay unused). A tube of s segments takes triangleWords(s) words.
inline int triangleWords(int segments)
{
    return (4 * segments + 63) / 64;
}
inline void addTriangle(std::uint64_t* set, int triangle)
{
    set[static_cast<std::size_t>(triangle) >> 6] |= std::uint64_t{1} << (triangle & 63);
}
inline bool hasTriangle(const std::uint64_t* set, int triangle)
{
    return ((set[static_cast<std::size_t>(triangle) >> 6] >> (triangle & 63)) & 1u) != 0;
}

// Appends the triangles of the tube from a to b that the set holds, with exactly the
// vertices and in the order that appendTube gives them, and only the vertices they use.
// Records no tube start.
void appendTubeTriangles(const TubeRing& ring, const Point3d& a, const Point3d& b, float radius,
                         const std::uint64_t* triangles, MeshArrays& mesh);

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

// Gives the vertices from firstVertex on, those of one tube from a to b, their colours: the
// ring and the cap at a take colorA, those at b colorB (four bytes each), so that the colour
// runs along the tube from the one end's to the other's.
void colorTubeVertices(MeshArrays& mesh, std::size_t firstVertex, const Point3d& a, const Point3d& b,
                       const unsigned char colorA[4], const unsigned char colorB[4]);
