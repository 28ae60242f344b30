// How large a data set a load may build, so that a wild header is refused before anything is
// allocated instead of exhausting memory.
#pragma once

#include <cstddef>
#include <string>

// Bytes a single load may allocate: half of the machine's physical memory.
std::size_t loadByteLimit();

// Whether rows x columns points of bytesPerPoint bytes may be loaded: both counts not negative,
// their product within the range of int (the drawing counts points with int), and the arrays
// within loadByteLimit. If not, error is the report line naming the file and the dimensions.
bool dimensionsLoadable(const char* path, long long rows, long long columns, std::size_t bytesPerPoint,
                        std::string& error);
