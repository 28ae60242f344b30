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

// The same for two eyes at once into outA and outB. When their clip coordinates differ only
// in x (sharesAllButX), the window y, depth and division by w of every vertex are worked
// out once; eyes that differ in more are placed each on its own. sharedDepth: both eyes
// draw into one colour and depth buffer, the second over the first (Anaglyph), so that a
// triangle the other eye's hide is left out too (for eyes searched together).
void findVisibleTubeFacesForTwo(const TubeSet& set, const FaceCulling& a, const FaceCulling& b, bool sharedDepth,
                                VisibleTubes& outA, VisibleTubes& outB);

// The same search in steps, for a frame drawn in slices: begin, then every step in order
// (each a share of the tubes), then finish. One search at a time.
class TubeSearch {
public:
    // For one eye, or two when second is given (as findVisibleTubeFacesForTwo).
    void begin(const TubeSet& set, const FaceCulling& first, const FaceCulling* second, bool sharedDepth);
    std::size_t steps() const { return steps_; }
    void step(std::size_t k);
    // The tubes with triangles to draw for each eye (second: null for one eye).
    void finish(VisibleTubes& first, VisibleTubes* second);

private:
    TubeSet set_;
    FaceCulling eyes_[2];
    int eyeCount_ = 1;
    bool together_ = false;
    bool sharedDepth_ = false;
    std::size_t blocks_ = 0;
    std::size_t steps_ = 0;
};
