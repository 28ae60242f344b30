// Reader of a sampled surface written for Maple as a GRID structure: the x and y ranges, then
// either the index ranges of an Array or lists whose lengths give the sizes, then one z value
// per grid node in row order.
#pragma once

#include "io/load_result.h"

LoadResult readMapleFile(const DataFile& file);

// The same over text already in memory and prepared (prepareDataText); name only names the
// file in the report lines.
LoadResult readMapleText(const char* name, const char* begin, const char* end);
