// Reader of a sampled surface written by Maple as a GRID structure: the x and y ranges, the
// index ranges of an Array, then one z value per grid node in row order.
#pragma once

#include "io/load_result.h"

LoadResult readMapleFile(const DataFile& file);
