// Reader of PLY point clouds (as scanners and photogrammetry write them), read where they are
// mapped: the x, y, z of the vertex element, of any number type, and its red, green and blue
// as each point's colour; ascii, binary_little_endian and binary_big_endian. Other elements
// (faces, edges) are passed over with one warning line.
#pragma once

#include <cstddef>

#include "io/file_map.h"
#include "io/load_result.h"

// Whether bytes start with "ply" and a line end, as every PLY file does.
bool looksLikePly(const char* bytes, std::size_t size);

// Reads the vertices in bytes; name only names the file in the report lines.
LoadResult readPlyBytes(const char* name, const ByteSpan& bytes);
