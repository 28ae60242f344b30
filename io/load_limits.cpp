// Limits of a load, checked before any array is allocated.
#include "io/load_limits.h"

#include <algorithm>
#include <climits>
#include <limits>

#include <unistd.h>

#include "io/report_text.h"

std::size_t loadMemoryBound(std::size_t dataBytes)
{
    constexpr std::size_t kMost = std::numeric_limits<std::size_t>::max();
    if (dataBytes > (kMost - kLoadHeadroomBytes) / 3) {
        return kMost;
    }
    return kLoadHeadroomBytes + 3 * dataBytes;
}

std::size_t inflatedLimit()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) {
        return std::size_t{1} << 31;
    }
    return static_cast<std::size_t>(pages) / 2 * static_cast<std::size_t>(pageSize);
}

std::size_t valuesTextCanHold(std::size_t textBytes)
{
    return textBytes / kLeastBytesPerValue + textBytes % kLeastBytesPerValue;
}

bool pointsLoadable(std::size_t points, std::size_t bytesPerPoint, std::size_t heldPoints)
{
    if (points > static_cast<std::size_t>(INT_MAX)) {
        return false;
    }
    // Both counts are within int here, so neither product overflows.
    const std::size_t held = std::min(points, heldPoints);
    return points * bytesPerPoint <= loadMemoryBound(held * bytesPerPoint);
}

bool dimensionsLoadable(const char* name, long long line, long long rows, long long columns,
                        std::size_t bytesPerPoint, std::size_t valuesPerPoint, std::size_t textBytes,
                        std::string& error)
{
    if (rows < 0 || columns < 0) {
        error = formatLine("File %s: line %lld: dimensions %lld x %lld are negative; nothing is loaded", name, line,
                           rows, columns);
        return false;
    }
    // Both factors are within int here, so the product cannot overflow a long long.
    const bool countsFit = rows <= INT_MAX && columns <= INT_MAX && rows * columns <= INT_MAX;
    if (!countsFit) {
        error = formatLine("File %s: line %lld: dimensions %lld x %lld are too large to load; nothing is loaded", name,
                           line, rows, columns);
        return false;
    }
    const std::size_t points = static_cast<std::size_t>(rows * columns);
    const std::size_t held = valuesTextCanHold(textBytes) / valuesPerPoint;
    if (!pointsLoadable(points, bytesPerPoint, held)) {
        error = formatLine("File %s: line %lld: dimensions %lld x %lld promise %zu points, but the %zu bytes that "
                           "follow can hold at most %zu; nothing is loaded",
                           name, line, rows, columns, points, textBytes, held);
        return false;
    }
    return true;
}
