// Steps the readers share: opening a file, the header of the "Data" formats, the warning
// for a file that ends early, and building an array beside the data set that is shown.
#pragma once

#include <cstddef>
#include <new>
#include <string>
#include <vector>

#include "io/file_buffer.h"
#include "io/load_result.h"

// Reads the whole file. On failure sets the result's error (missing or unreadable, too large,
// empty) and returns false.
bool openReaderFile(const DataFile& source, FileBuffer& file, LoadResult& result);

// Scans the header line of a "Data" or "Data with Color" file ("%d %d": a dimension the line
// does not supply keeps its value in dims), records the dimensions in the result, and checks
// that the data set can be built. points is set to the first character after the header line.
// Returns false, with the result's error naming the file and the dimensions, when the load
// must stop.
bool readDataHeader(const char* name, const FileBuffer& file, std::size_t bytesPerPoint, FnTrf& dims,
                    const char*& points, LoadResult& result);

// The warning of a load that found fewer complete entries than it expected.
void warnShortRead(const char* name, std::size_t read, std::size_t expected, const char* what, LoadResult& result);

// Builds a zero-filled array of count elements. On a real allocation failure sets the
// result's error to failureLine and returns false.
template <typename T>
bool allocateZeroed(std::vector<T>& array, std::size_t count, const char* failureLine, LoadResult& result)
{
    try {
        array.reserve(count);
        adviseHugePages(array.data(), count * sizeof(T));
        array.resize(count);
    } catch (const std::bad_alloc&) {
        result.error = failureLine;
        return false;
    }
    return true;
}
