// A fine filled surface seen from afar: most of its quadrilaterals cover one pixel centre or
// none, and each costs the renderer two triangles' set-up for the pixel or two it makes.
// findSurfacePixels does the renderer's work for the small ones: for each pixel centre it
// finds the nearest small quadrilateral covering it, which is the one the depth test leaves
// there. Larger quadrilaterals, and those reaching behind the eye or beyond the depth range,
// are left to the renderer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Quadrilateral k is gridQuad(pointsPerSet, k) (geometry_cache.h).
struct SurfaceGrid {
    const float* vertices = nullptr;  // sets + 1 rows of pointsPerSet positions
    const float* normals = nullptr;   // per vertex, a quadrilateral's at its fourth; null: none
    int sets = 0;                     // rows of quadrilaterals
    int pointsPerSet = 0;
};

struct SurfaceView {
    float clipFromModel[16];  // projection times model-view, column order
    int width = 0;            // the viewport, in pixels
    int height = 0;
    // Only pixel centres on viewport rows of this parity are found (a pass of a
    // row-interleaved frame draws no others); -1 for every row. Which quadrilaterals are
    // left to the renderer does not depend on it.
    int rowParity = -1;
};

struct SurfacePixels {
    std::vector<float> pixels;   // window x and y of the pixel centre, normalised depth
    std::vector<float> normals;  // the normal of the quadrilateral seen at each pixel, if any
    std::vector<std::uint32_t> quads;  // the numbers of those left to the renderer, in order
};

// A quadrilateral is drawn here when its window bounding box holds at most this many pixel
// centres; larger ones are cheaper for the renderer.
constexpr int kMostCentresPerSmallQuad = 16;

// Finds the pixels and the quadrilaterals left to the renderer into out. Two threads share
// the rows when threads is 2. At most most pixels are handed over at once, in pixel order:
// moreSurfacePixels replaces them with the next ones, so that a picture's worth of pixels
// need not be held twice.
void findSurfacePixels(const SurfaceGrid& grid, const SurfaceView& view, SurfacePixels& out, int threads = 2,
                       std::size_t most = SIZE_MAX);

// The same for two eyes at once when their clip coordinates differ only in x
// (clipDiffersOnlyInX): each vertex's window y, depth and division by w are worked out once
// for both. The first eye's pixels go to firstOut; the second eye's are kept here, in the
// form of the search (no more memory than the search itself), until takeSecondEyePixels.
// False, finding nothing, for eyes that differ in more.
bool findSurfacePixelsForTwo(const SurfaceGrid& grid, const SurfaceView& first, const SurfaceView& second,
                             SurfacePixels& firstOut, int threads = 2, std::size_t most = SIZE_MAX);

// The second eye's quadrilaterals and first pixels of the last findSurfacePixelsForTwo into
// out, once; false when there are none (taken already). Searches for one eye in between do
// not disturb them.
bool takeSecondEyePixels(SurfacePixels& out, std::size_t most = SIZE_MAX);

// The next pixels, at most most of them, of the search or the second eye handed over last
// into out (its quadrilaterals stay); false, with none, when all are handed over.
bool moreSurfacePixels(SurfacePixels& out, std::size_t most = SIZE_MAX);
