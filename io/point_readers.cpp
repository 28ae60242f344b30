// The "Data" and "Data with Color" readers: one loop over the points, with or without a
// group number after each.
#include "io/point_readers.h"

#include <vector>

#include "io/file_buffer.h"
#include "io/number_scan.h"
#include "io/reader_common.h"

namespace {

LoadResult readPoints(const DataFile& source, FnTrf dims, bool withGroups)
{
    LoadResult result;
    FileBuffer file;
    if (!openReaderFile(source, file, result)) {
        return result;
    }
    const char* p = nullptr;
    const std::size_t bytesPerPoint = sizeof(Point3d) + (withGroups ? sizeof(int) : 0);
    if (!readDataHeader(source.name, file, bytesPerPoint, dims, p, result)) {
        return result;
    }
    const std::size_t count = static_cast<std::size_t>(dims.nx) * static_cast<std::size_t>(dims.pointsPerSet);

    DataSet& data = result.data;
    if (!allocateZeroed(data.coordArray, count, "Can't allocate space for coordinate array", result) ||
        (withGroups && !allocateZeroed(data.groupArray, count, "Can't allocate space for group array", result))) {
        data = DataSet{};
        return result;
    }

    // As with fscanf, the first value that does not scan ends that point's scan; the next point
    // starts where it stopped. Points not read keep 0 (group 0) and still take part in the bounds.
    const char* end = file.end();
    Bounds& bounds = result.rawBounds;
    resetBounds(bounds);
    std::size_t complete = 0;
    std::size_t k = 0;
    for (; k < count && p != end; ++k) {
        Point3d& point = data.coordArray[k];
        if (scanDouble(p, end, point.x) && scanDouble(p, end, point.y) && scanDouble(p, end, point.z) &&
            (!withGroups || scanInt(p, end, data.groupArray[k]))) {
            ++complete;
        }
        includeInBounds(bounds, point);
    }
    if (k < count) {
        includeInBounds(bounds, Point3d{});  // the rest stays at the origin
    }
    warnShortRead(source.name, complete, count, "points", result);

    data.fnTrf = dims;
    data.loadedFormat = static_cast<int>(withGroups ? DataFormat::Colored : DataFormat::Plain);
    result.normaliseCount = count;
    result.rawBoundsBeforeNormalising = withGroups;
    result.showNormalisedBounds = !withGroups;
    result.loaded = true;
    return result;
}

}  // namespace

LoadResult readDataFile(const DataFile& file, FnTrf previousDims)
{
    return readPoints(file, previousDims, false);
}

LoadResult readColorDataFile(const DataFile& file, FnTrf previousDims)
{
    return readPoints(file, previousDims, true);
}
