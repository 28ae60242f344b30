// The content of a data file as its reader takes it: a NumPy or PLY file mapped (known by its
// first bytes), a gzip file inflated, anything else read into memory.
#pragma once

#include <string>
#include <vector>

#include "io/file_buffer.h"
#include "io/file_map.h"
#include "io/load_result.h"

struct DataBytes {
    FileBuffer buffer;
    MappedFile mapping;
    bool mapped = false;
    // Lines about the file that go into a completed load's report (bytes after gzip data).
    std::vector<std::string> warnings;

    // The bytes, from the mapping or from the buffer.
    ByteSpan span() const
    {
        return mapped ? ByteSpan{mapping.begin(), mapping.end(), &mapping} : ByteSpan{buffer.begin(), buffer.end()};
    }
};

// Opens file once and takes its content into bytes; false with the report line in error (it
// cannot be opened or read, or is no regular file).
bool readDataBytes(const DataFile& file, DataBytes& bytes, std::string& error);
