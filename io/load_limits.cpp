// Limits of a load, checked before any array is allocated.
#include "io/load_limits.h"

#include <climits>

#include <unistd.h>

#include "io/report_text.h"

std::size_t loadByteLimit()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) {
        return std::size_t{1} << 30;  // unknown machine: a modest gigabyte
    }
    return static_cast<std::size_t>(pages) / 2 * static_cast<std::size_t>(pageSize);
}

bool dimensionsLoadable(const char* path, long long rows, long long columns, std::size_t bytesPerPoint,
                        std::string& error)
{
    if (rows < 0 || columns < 0) {
        error = formatLine("File %s: dimensions %lld x %lld are negative; nothing is loaded", path, rows, columns);
        return false;
    }
    // Both factors are below 2^32 here, so the product cannot overflow a long long.
    const bool countsFit = rows <= INT_MAX && columns <= INT_MAX && rows * columns <= INT_MAX;
    if (!countsFit || static_cast<std::size_t>(rows * columns) > loadByteLimit() / bytesPerPoint) {
        error = formatLine("File %s: dimensions %lld x %lld are too large to load; nothing is loaded", path, rows,
                           columns);
        return false;
    }
    return true;
}
