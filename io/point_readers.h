// Readers of the two point formats: "Data", a header "nx pointsPerSet" then x y z of every
// point in set order, and "Data with Color", the same with an integer group after each point.
#pragma once

#include "io/load_result.h"

LoadResult readDataFile(const DataFile& file);
LoadResult readColorDataFile(const DataFile& file);

// The same over text already in memory and prepared (prepareDataText); name only names the
// file in the report lines.
LoadResult readDataText(const char* name, const char* begin, const char* end);
LoadResult readColorDataText(const char* name, const char* begin, const char* end);
