// A whole data file read into memory, so that a reader parses it in one pass without stdio.
#pragma once

#include <cstddef>
#include <memory>

struct FileBuffer {
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;

    const char* begin() const { return bytes.get(); }
    const char* end() const { return bytes.get() + size; }
};

enum class FileReadResult { ok, unreadable, tooLarge };

// Reads the file at path into buffer (any earlier content is replaced). tooLarge when the
// file does not fit into the memory the viewer may take for a load.
FileReadResult readWholeFile(const char* path, FileBuffer& buffer);

// Asks the system to back a large array that is about to be filled with huge pages, so that
// filling it takes a few hundred page faults fewer per megabyte. Harmless where unsupported.
void adviseHugePages(const void* start, std::size_t bytes);
