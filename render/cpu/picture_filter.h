// Shrinking a picture drawn larger: each pixel the mean of the k x k pixels it stands for
// (a box filter), which is how a picture drawn at k times its size is smoothed.
#pragma once

#include <vector>

// rgb: width x height pixels of three bytes each, rows in order; width and height are those
// of the picture drawn larger and must be multiples of k. Returns the picture of
// width / k x height / k pixels.
std::vector<unsigned char> shrinkByBoxFilter(const std::vector<unsigned char>& rgb, int width, int height, int k);
