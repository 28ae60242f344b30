// Files compressed with gzip (results.csv.gz): inflated with zlib into memory, where the
// readers take them as they take a file read as it is.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "io/file_buffer.h"

// Whether bytes start with gzip's magic bytes, 1f 8b.
bool looksLikeGzip(const char* bytes, std::size_t size);

// What inflating found besides the content: why it stopped (empty when it did not), and lines
// about content that went ahead (bytes after the gzip data that are not read).
struct InflateReport {
    std::string error;
    std::vector<std::string> warnings;
};

// Inflates the gzip file open as file, every member of it, into buffer, reading the compressed
// bytes in steps and counting them as read progress. A stream that ends early, damaged data
// and content beyond limit bytes are refused with one line naming the file (name) and the
// compressed byte where it happened.
InflateReport inflateGzipFile(const char* name, const OpenFile& file, std::size_t limit, FileBuffer& buffer);

// The same over compressed bytes in memory.
InflateReport inflateGzipBytes(const char* name, const char* begin, const char* end, std::size_t limit,
                               FileBuffer& buffer);

// text compressed as gzip does it at level (1 fastest to 9 smallest), without a name or a time in
// its header, so that the same text always gives the same bytes (samples, tests, benchmarks).
std::string gzipCompressed(const std::string& text, int level);

// As much of the content (at most most bytes) as the compressed bytes from begin to end give,
// for a look at a file's start; empty when they give none.
std::string inflatedStart(const char* begin, const char* end, std::size_t most);
