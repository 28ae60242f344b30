// The "Data" and "Data with Color" readers: one loop over the points, with or without a
// group number after each.
#include "io/point_readers.h"

#include <algorithm>
#include <vector>

#include "io/group_reader.h"
#include "io/number_scan.h"
#include "io/point_values_split.h"
#include "io/reader_common.h"
#include "io/report_text.h"
#include "io/text_lines.h"

namespace {

LoadResult readPoints(const char* name, const char* begin, const char* end, bool withGroups)
{
    LoadResult result;
    FnTrf dims;
    const char* p = nullptr;
    const std::size_t bytesPerPoint = sizeof(Point3d) + (withGroups ? sizeof(int) : 0);
    if (!readDataHeader(name, DataText{begin, end}, bytesPerPoint, withGroups ? 4 : 3, dims, p, result)) {
        return result;
    }
    const std::size_t count = static_cast<std::size_t>(dims.nx) * static_cast<std::size_t>(dims.pointsPerSet);

    DataSet& data = result.data;
    if (!allocateZeroed(data.coordArray, count, "Can't allocate space for coordinate array", result) ||
        (withGroups && !allocateZeroed(data.groupArray, count, "Can't allocate space for group array", result))) {
        data = DataSet{};
        return result;
    }

    // A large file of plain numbers is read on two threads; any other text, one value after
    // the other below.
    Bounds& bounds = result.rawBounds;
    GroupReader groups;
    std::size_t complete = 0;
    if (readPointValuesOnTwoThreads(p, end, count, data.coordArray.data(), withGroups ? data.groupArray.data() : nullptr,
                                    bounds, groups)) {
        complete = count;
    } else if (end - p >= static_cast<std::ptrdiff_t>(kTwoThreadPointText)) {
        // What the two threads wrote is put back to the origin and group 0, where the reading
        // below leaves the points it does not reach.
        std::fill(data.coordArray.begin(), data.coordArray.end(), Point3d{});
        std::fill(data.groupArray.begin(), data.groupArray.end(), 0);
        groups = GroupReader{};
    }
    // As with fscanf, the first value that does not scan ends the reading: that point keeps
    // what it had read, and it and every later point (left at the origin, group 0) still take
    // part in the bounds.
    if (complete < count) {
        resetBounds(bounds);
    }
    for (; complete < count; ++complete) {
        Point3d& point = data.coordArray[complete];
        double group = 0.0;
        const char* groupAt = nullptr;
        const bool scanned = scanDouble(p, end, point.x) && scanDouble(p, end, point.y) &&
                             scanDouble(p, end, point.z) &&
                             (!withGroups || (groupAt = skipSpace(p, end), scanDouble(p, end, group)));
        includeInBounds(bounds, point);
        if (!scanned) {
            if (complete + 1 < count) {
                includeInBounds(bounds, Point3d{});
            }
            break;
        }
        if (withGroups) {
            data.groupArray[complete] = groups.take(group, groupAt, p);
        }
    }
    std::string stop;
    if (complete < count) {
        // The formatted input may have consumed part of the word that stopped it ("no" of
        // "nothing", taken for the start of "nan"): the report quotes the whole word.
        const char* at = p;
        while (at != begin && !numberScanDetail::isSpace(at[-1])) {
            --at;
        }
        at = skipSpace(at, end);
        if (at == end) {
            stop = formatLine("the file ends at line %lld", lineNumberAt(begin, end));
        } else {
            const char* wordEnd = at;
            while (wordEnd != end && !numberScanDetail::isSpace(*wordEnd)) {
                ++wordEnd;
            }
            stop = formatLine("line %lld: ", lineNumberAt(begin, at)) + quotedExcerpt(at, wordEnd) +
                   " is not a number";
        }
    }
    warnShortRead(name, complete, count, "points", result, stop);
    groups.warn(name, begin, result);

    data.fnTrf = dims;
    data.loadedFormat = static_cast<int>(withGroups ? DataFormat::Colored : DataFormat::Plain);
    result.normaliseCount = count;
    result.rawBoundsBeforeNormalising = withGroups;
    result.showNormalisedBounds = !withGroups;
    result.loaded = true;
    return result;
}

}  // namespace

LoadResult readDataFile(const DataFile& file)
{
    return readTextFile(file, readDataText);
}

LoadResult readColorDataFile(const DataFile& file)
{
    return readTextFile(file, readColorDataText);
}

LoadResult readDataText(const char* name, const char* begin, const char* end)
{
    return readPoints(name, begin, end, false);
}

LoadResult readColorDataText(const char* name, const char* begin, const char* end)
{
    return readPoints(name, begin, end, true);
}
