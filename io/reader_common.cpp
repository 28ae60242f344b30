// Opening a data file and reading the header line of the "Data" formats.
#include "io/reader_common.h"

#include <cstdio>
#include <cstring>

#include "app/viewer_state.h"
#include "io/load_limits.h"
#include "io/number_scan.h"

bool openReaderFile(const char* path, FileBuffer& file)
{
    std::printf("\nfilename = %s\n", path);
    switch (readWholeFile(path, file)) {
    case FileReadResult::ok:
        break;
    case FileReadResult::unreadable:
        std::printf("File %s does not exist\n", path);
        return false;
    case FileReadResult::tooLarge:
        std::printf("File %s is too large to read into memory\n", path);
        return false;
    }
    if (file.size == 0) {
        std::printf("File %s is empty; nothing is loaded\n", path);
        return false;
    }
    return true;
}

bool readDataHeader(const char* path, const FileBuffer& file, std::size_t bytesPerPoint, FnTrf& dims,
                    const char*& points)
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

    std::printf("fnTrf.nx = %d points per set = %d\n", dims.nx, dims.pointsPerSet);
    std::printf("scale = %lf segments = %d thickness = %lf\n", viewer.scale, viewer.segments, viewer.thickness);
    return dimensionsLoadable(path, dims.nx, dims.pointsPerSet, bytesPerPoint);
}

void reportShortRead(const char* path, std::size_t read, std::size_t expected, const char* what)
{
    if (read < expected) {
        std::printf("File %s ends early or holds text that is not a number: %zu of %zu %s read\n", path, read,
                    expected, what);
    }
}
