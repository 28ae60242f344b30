// Tubes drawn on the processor into finished pixels: the triangles of each tube's faces turned
// towards the eye (as the tube mesh has them) are rasterised with the renderer's own rule
// (corners at 1/256 of a pixel, pixel centres covered inside or on a left or bottom edge),
// lit per vertex by the fixed-function lighting and shaded across each triangle, and kept
// where they are nearest, per pixel. The renderer is then handed one lit point per covered
// pixel instead of the tubes' triangles: the picture and the depths are those that drawing
// the triangles leaves, within the renderer's rounding, for a fraction of its work.
//
// It holds where the search of the visible triangles holds (filled, opaque tubes under the
// depth test seen through a perspective frustum, tube_visibility.h) and the lighting is the
// one fixed_lighting.h works out. A tube that reaches in front of the near plane or out of
// the depth range would be cut by the renderer: it is left to the renderer whole.
#pragma once

#include <cstdint>
#include <vector>

#include "render/cpu/draw_range.h"
#include "render/cpu/fixed_lighting.h"
#include "render/cpu/geometry_cache.h"
#include "render/cpu/tube_faces.h"
#include "render/cpu/tube_visibility.h"

// How the tubes are lit: the pass's lighting, the normals' way into eye coordinates, and a
// material per colour group of the tubes (groups: runs of tube numbers in order, as the
// kept geometry has them); coloured per vertex (by height, or in the file's colours), each
// end's colour stands for the ambient and diffuse material (vertexColors: the range whose
// colouring gives them).
struct TubeShading {
    FixedLighting lighting;
    float normalToEye[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};  // column order, the model-view's inverse transposed
    const std::vector<ColorGroup>* groups = nullptr;
    std::vector<Material> materials;  // one per group
    const DrawRange* vertexColors = nullptr;
};

// What the rasterising leaves for one pass: the covered pixels as window x, y (the pixel
// centre, in the viewport) and normalised depth, their colours (red, green, blue, alpha), and
// the tubes left to the renderer, in the set's order.
struct TubePixels {
    std::vector<float> pixels;
    std::vector<std::uint8_t> colors;
    std::vector<std::uint32_t> wholeTubes;
    std::size_t size() const { return colors.size() / 4; }
};

// The rasterising of one pass in steps, for a frame drawn in slices: begin, every step in
// order (each a share of the tubes, as many as take about 15 ms by the steps before), then
// finish. Two threads share many tubes. One at a time.
class TubeRaster {
public:
    void begin(const TubeSet& set, const FaceCulling& culling, const TubeShading& shading);
    std::size_t steps() const { return steps_; }
    void step(std::size_t k);
    void finish(TubePixels& out);

private:
    TubeSet set_;
    FaceCulling culling_;
    const TubeShading* shading_ = nullptr;
    std::size_t steps_ = 0;
    std::size_t stepTubes_ = 0;
};

// All steps at once.
void rasteriseTubes(const TubeSet& set, const FaceCulling& culling, const TubeShading& shading, TubePixels& out);
