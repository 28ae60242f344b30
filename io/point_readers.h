// Readers of the two point formats: "Data", a header "nx pointsPerSet" then x y z of every
// point in set order, and "Data with Color", the same with an integer group after each point.
#pragma once

#include "io/load_result.h"

// previousDims: what a header that lacks a dimension keeps (the dimensions of the data set
// shown now).
LoadResult readDataFile(const DataFile& file, FnTrf previousDims);
LoadResult readColorDataFile(const DataFile& file, FnTrf previousDims);
