// Many smooth points of one colour drawn as the pixels they cover: each covered pixel once,
// at the nearest depth of the points covering it, which is what the depth test leaves there
// when all of them are drawn. All of them have the same lit colour, so the picture and the
// depths are those of all the points, for a fraction of the renderer's work.
#pragma once

#include <vector>

// points: x, y, z each; clipFromModel: projection times model-view (column order); the
// viewport width x height pixels; reach: the distance from a point's window position within
// which a pixel centre is covered. Points that the picture's edge or the clipping planes
// cut go to passed, for the renderer; the covered pixels go to covered as window x, y (the
// pixel centre) and normalised depth. Two threads share the points when there are many.
void splatPoints(const std::vector<float>& points, const float clipFromModel[16], int width, int height,
                 float reach, std::vector<float>& passed, std::vector<float>& covered);
