// Reader of NumPy's .npy arrays, read where they are mapped rather than parsed as text: an
// N x 3 array is points (N x 4 with whole numbers in the fourth column: points with groups), a
// K x N x 3 (or x 4) array is K sets of N points, any other H x W array a matrix of heights.
// Headers of versions 1.0, 2.0 and 3.0; integers and floating-point numbers of either byte
// order; C or Fortran order.
#pragma once

#include <cstddef>

#include "io/file_map.h"
#include "io/load_result.h"

// Whether bytes start with NumPy's magic "\x93NUMPY".
bool looksLikeNpy(const char* bytes, std::size_t size);

// Reads the array in bytes; name only names the file in the report lines.
LoadResult readNpyBytes(const char* name, const ByteSpan& bytes);
