// Reader of a matrix of heights: one row of z values per line, blank or comma separated,
// read as a surface over the column index (x) and the row index (y).
#pragma once

#include "io/load_result.h"

LoadResult readMatrixFile(const DataFile& file);

// The same over text already in memory; path only names the file in the report lines.
LoadResult readMatrixText(const char* path, const char* begin, const char* end);
