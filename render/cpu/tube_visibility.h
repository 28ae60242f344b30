// Which triangles of the tubes can show. A filled triangle makes fragments only at the
// pixel centres it covers, and thin tubes seen from afar overlap many times over: along a
// finely sampled line each pixel lies under several tubes, of which the depth test keeps
// one. The search finds, for every pixel centre, an upper bound of the depth that a tube
// surely covering it leaves there, and keeps only the triangles that may cover a centre at
// a depth within the renderer's rounding of that bound: every other triangle covers no
// centre, or is behind a kept one wherever it covers one, and would leave no trace in the
// picture or the depths. Drawing the kept triangles in their order therefore gives the
// picture of all of them.
//
// It holds for filled, opaque tubes under the usual depth test, seen through a perspective
// frustum (FaceCulling, tube_faces.h). A tube that reaches in front of the near plane is
// kept whole; the faces of a tube too large on screen for the search, or seen so nearly
// edge-on that their depths are uncertain, are kept whole when they face the eye.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "render/cpu/geometry_cache.h"
#include "render/cpu/tube_faces.h"

// The tubes looked at, in drawing order.
struct TubeSet {
    const DataSet* data = nullptr;
    const TubeSegment* tubes = nullptr;
    std::size_t count = 0;
    float radius = 0.0f;
    int segments = 0;
};

// The tubes with triangles to draw, in the set's order: their numbers in the set, and for
// each its triangles (words words of bits, as appendTubeTriangles takes them).
struct VisibleTubes {
    int words = 1;
    std::vector<std::uint32_t> tubes;
    std::vector<std::uint64_t> triangles;

    std::size_t size() const { return tubes.size(); }
    const std::uint64_t* trianglesOf(std::size_t k) const { return triangles.data() + k * words; }
    void clear()
    {
        tubes.clear();
        triangles.clear();
    }
    void swap(VisibleTubes& other)
    {
        std::swap(words, other.words);
        tubes.swap(other.tubes);
        triangles.swap(other.triangles);
    }
};

// The tubes with triangles to draw for one eye's culling into out. Two threads share many
// tubes.
void findVisibleTubeFaces(const TubeSet& set, const FaceCulling& c, VisibleTubes& out);

// The same for two eyes whose clip coordinates differ only in x (sharesAllButX), the window
// y, depth and division by w of every vertex worked out once. sharedDepth: both eyes draw
// into one colour and depth buffer, the second over the first (Anaglyph), so a face that
// the other eye's faces hide is left out too. Eyes that differ in more are searched one
// after the other.
void findVisibleTubeFacesForTwo(const TubeSet& set, const FaceCulling& a, const FaceCulling& b, bool sharedDepth,
                                VisibleTubes& outA, VisibleTubes& outB);
