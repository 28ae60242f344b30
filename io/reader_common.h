// Steps the three readers share: opening a file with the load report's first lines, the
// header of the "Data" formats, and the warning for a file that ends early.
#pragma once

#include <cstddef>
#include <cstdio>
#include <new>
#include <vector>

#include "core/data_set.h"
#include "io/file_buffer.h"

// Prints "\nfilename = %s\n" and reads the whole file. On failure prints one line (missing or
// unreadable, too large, empty) and returns false; the data set is not touched.
bool openReaderFile(const char* path, FileBuffer& file);

// Scans the header line of a "Data" or "Data with Color" file ("%d %d": a dimension the line
// does not supply keeps its value in dims), prints the dimensions and the scale lines, and checks
// that the data set can be built. points is set to the first character after the header line.
// Returns false, after one line naming the file and the dimensions, when the load must stop.
bool readDataHeader(const char* path, const FileBuffer& file, std::size_t bytesPerPoint, FnTrf& dims,
                    const char*& points);

// The warning of a load that found fewer complete entries than it expected.
void reportShortRead(const char* path, std::size_t read, std::size_t expected, const char* what);

// Builds a zero-filled array of count elements beside whatever the data set holds now.
// On a real allocation failure prints failureLine and returns false.
template <typename T>
bool allocateZeroed(std::vector<T>& array, std::size_t count, const char* failureLine)
{
    try {
        array.reserve(count);
        adviseHugePages(array.data(), count * sizeof(T));
        array.resize(count);
    } catch (const std::bad_alloc&) {
        std::fputs(failureLine, stdout);
        return false;
    }
    return true;
}
