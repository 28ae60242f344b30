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
// (each a share of the tubes), then finish. One search at a time. The records of the
// triangles that may show wait for the nearest depths of all tubes; where they would take
// much memory (10^6 short needles), the tubes searched so far are settled against the
// nearest depths found so far instead. Those only grow nearer, so what is kept then is
// what the whole search keeps and perhaps a little more, and the picture is the same.
class TubeSearch {
public:
    TubeSearch();
    // For one eye, or two when second is given (as findVisibleTubeFacesForTwo).
    void begin(const TubeSet& set, const FaceCulling& first, const FaceCulling* second, bool sharedDepth);
    std::size_t steps() const { return steps_; }
    void step(std::size_t k);
    // The tubes with triangles to draw for each eye (second: null for one eye).
    void finish(VisibleTubes& first, VisibleTubes* second);

    // Whether the lists found for this many tubes are large enough to be given back before
    // the next search begins, rather than kept as room for its lists (which it reserves whole).
    static bool releasesEarlierLists(std::size_t tubes);

    // How many times the tubes searched so far were settled before the finish, and the
    // records held before they are (tests make it small).
    std::size_t earlySettlements() const { return earlySettlements_; }
    void holdAtMost(std::size_t records) { mostHeldRecords_ = records; }

private:
    // Turns the records of the blocks searched but not yet settled, up to endBlock, into the
    // triangles each eye draws, appended to settled_; release: their records' memory is
    // given back.
    void settle(std::size_t endBlock, bool release);

    TubeSet set_;
    FaceCulling eyes_[2];
    int eyeCount_ = 1;
    bool together_ = false;
    bool sharedDepth_ = false;
    std::size_t blocks_ = 0;
    std::size_t steps_ = 0;
    std::size_t settledBlocks_ = 0;
    std::size_t heldRecords_ = 0;
    std::size_t earlySettlements_ = 0;
    std::size_t mostHeldRecords_;
    VisibleTubes settled_[2];
};
