// Many smooth points of one colour drawn as the pixels they cover: each covered pixel once,
// at the nearest depth of the points covering it, which is what the depth test leaves there
// when all of them are drawn. All of them have the same lit colour, so the picture and the
// depths are those of all the points, for a fraction of the renderer's work.
#pragma once

#include <vector>

// What the splatting finds for one eye: the points that the picture's edge or the clipping
// planes cut, for the renderer (x, y, z each), and the covered pixels as window x, y (the
// pixel centre) and normalised depth.
struct SplatResult {
    std::vector<float> passed;
    std::vector<float> covered;
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
