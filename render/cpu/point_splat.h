// Many smooth points of one colour drawn as the pixels they cover: each covered pixel once,
// at the nearest depth of the points covering it, which is what the depth test leaves there
// when all of them are drawn. All of them have the same lit colour, so the picture and the
// depths are those of all the points, for a fraction of the renderer's work.
#pragma once

#include <cstddef>
#include <vector>

#include "core/data_set.h"

// What the splatting finds for one eye: the points that the picture's edge or the clipping
// planes cut, for the renderer (x, y, z each), and the covered pixels as window x, y (the
// pixel centre) and normalised depth.
struct SplatResult {
    std::vector<float> passed;
    std::vector<float> covered;
};

// The points splatted: count points as floats (x, y, z each) or as the data set's doubles,
// which are taken as floats as the kept arrays take them.
struct SplatSource {
    const float* floats = nullptr;
    const Point3d* doubles = nullptr;
    std::size_t count = 0;
};

// points: x, y, z each; clipFromModel: projection times model-view (column order); the
// viewport width x height pixels; reach: the distance from a point's window position within
// which a pixel centre is covered. rowParity: only pixels on viewport rows of that parity
// are found (a pass of a row-interleaved frame draws no others); -1 for every row. Two
// threads share the points when there are many.
void splatPoints(const std::vector<float>& points, const float clipFromModel[16], int width, int height,
                 float reach, SplatResult& out, int rowParity = -1);

// The same for two eyes at once, into first and second. When their clip coordinates differ
// only in x (clipDiffersOnlyInX), each point's window y, depth and division by w are worked
// out once for both; otherwise the eyes are splatted one after the other.
// Each eye keeps to the rows of its own parity (rowParities, -1 for every row).
void splatPointsForTwo(const std::vector<float>& points, const float firstClipFromModel[16],
                       const float secondClipFromModel[16], int width, int height, float reach, SplatResult& first,
                       SplatResult& second, const int rowParities[2] = nullptr);

// The same in steps, for a frame drawn in slices: begin, every step in order (each a share
// of the points), then finish. For one eye, or two when secondClipFromModel is given
// (differing from the first only in x, else the second is splatted after the first). One
// splatting at a time; stepPoints: the points of a step.
class SplatSteps {
public:
    static constexpr std::size_t kStepPoints = std::size_t{1} << 22;
    void begin(const SplatSource& points, const float firstClipFromModel[16], const float* secondClipFromModel,
               int width, int height, float reach, const int rowParities[2], std::size_t stepPoints = kStepPoints);
    std::size_t steps() const { return steps_; }
    void step(std::size_t k);
    void finish(SplatResult& first, SplatResult* second);

private:
    SplatSource points_;
    float first_[16], second_[16];
    bool two_ = false, together_ = false;
    int width_ = 0, height_ = 0;
    float reach_ = 0.0f;
    int rows_[2] = {-1, -1};
    std::size_t steps_ = 0, perEye_ = 0, stepPoints_ = kStepPoints;
};
