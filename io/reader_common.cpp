// Opening a data file and reading the header line of the "Data" formats.
#include "io/reader_common.h"

#include <cstring>

#include "io/load_limits.h"
#include "io/number_scan.h"
#include "io/report_text.h"

bool openReaderFile(const DataFile& source, FileBuffer& file, LoadResult& result)
{
    const char* path = source.name;
    switch (readWholeFile(source.path, file)) {
    case FileReadResult::ok:
        break;
    case FileReadResult::unreadable:
        result.error = formatLine("File %s does not exist", path);
        return false;
    case FileReadResult::tooLarge:
        result.error = formatLine("File %s is too large to read into memory", path);
        return false;
    }
    if (file.size == 0) {
        result.error = formatLine("File %s is empty; nothing is loaded", path);
        return false;
    }
    return true;
}

bool readDataHeader(const char* name, const FileBuffer& file, std::size_t bytesPerPoint, FnTrf& dims,
                    const char*& points, LoadResult& result)
{
    // The header is the whole first line, however long; the points start after its line end.
    const char* lineEnd = static_cast<const char*>(std::memchr(file.begin(), '\n', file.size));
    points = lineEnd ? lineEnd + 1 : file.end();
    // The line is scanned as a C string would be, so it ends at a NUL byte.
    const char* textEnd = lineEnd ? lineEnd : file.end();
    if (const void* nul = std::memchr(file.begin(), '\0', static_cast<std::size_t>(textEnd - file.begin()))) {
        textEnd = static_cast<const char*>(nul);
    }
    const char* p = file.begin();
    if (scanInt(p, textEnd, dims.nx)) {
        scanInt(p, textEnd, dims.pointsPerSet);
    }
    result.headerRead = true;
    result.header = dims;
    return dimensionsLoadable(name, dims.nx, dims.pointsPerSet, bytesPerPoint, result.error);
}

void warnShortRead(const char* name, std::size_t read, std::size_t expected, const char* what, LoadResult& result)
{
    if (read < expected) {
        result.warnings.push_back(formatLine("File %s ends early or holds text that is not a number: %zu of %zu %s read",
                                             name, read, expected, what));
    }
}
