// The "Data" and "Data with Color" readers: one loop over the points, with or without a
// group number after each.
#include "io/point_readers.h"

#include <cmath>
#include <climits>
#include <vector>

#include "io/number_scan.h"
#include "io/reader_common.h"
#include "io/report_text.h"
#include "io/text_lines.h"

namespace {

// A group written as a number that is not a whole one within int ("1.5"): the point keeps
// its place (the number is read whole, so nothing after it shifts), and the group is the
// number's whole part, clamped to int. The first such group is named in a warning.
class GroupReader {
public:
    int take(double value, const char* at, const char* after)
    {
        // The range test comes first: converting a double beyond int is undefined.
        if (value >= INT_MIN && value <= INT_MAX && static_cast<double>(static_cast<int>(value)) == value) {
            return static_cast<int>(value);
        }
        if (odd_++ == 0) {
            firstAt_ = at;
            firstEnd_ = after;
            firstValue_ = value;
        }
        if (std::isnan(value)) {
            return 0;
        }
        return value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : static_cast<int>(std::trunc(value));
    }

    void warn(const char* name, const char* begin, LoadResult& result) const
    {
        if (odd_ == 0) {
            return;
        }
        std::string line = fileLineError(name, lineNumberAt(begin, firstAt_),
                                         "group " + quotedExcerpt(firstAt_, firstEnd_) +
                                             formatLine(" is not a whole number; it is taken as %d",
                                                        std::isnan(firstValue_) ? 0 : clamped(firstValue_)));
        if (odd_ > 1) {
            line += formatLine(" (and %zu more groups like it)", odd_ - 1);
        }
        result.warnings.push_back(line);
    }

private:
    static int clamped(double v)
    {
        return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : static_cast<int>(std::trunc(v));
    }

    std::size_t odd_ = 0;
    const char* firstAt_ = nullptr;
    const char* firstEnd_ = nullptr;
    double firstValue_ = 0.0;
};

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

    // As with fscanf, the first value that does not scan ends the reading: that point keeps
    // what it had read, and it and every later point (left at the origin, group 0) still take
    // part in the bounds.
    Bounds& bounds = result.rawBounds;
    resetBounds(bounds);
    GroupReader groups;
    std::size_t complete = 0;
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
