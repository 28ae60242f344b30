// Reader of the "Data with Color" format: as "Data", with an integer group after each point.
#include "io/color_reader.h"

#include <cstdio>
#include <new>
#include <vector>

#include "app/viewer_state.h"
#include "core/data_set.h"
#include "io/file_buffer.h"
#include "io/number_scan.h"
#include "io/reader_common.h"

void readColorDataFile(const char* path)
{
    FileBuffer file;
    if (!openReaderFile(path, file)) {
        return;
    }
    FnTrf dims = dataSet.fnTrf;
    const char* p = nullptr;
    if (!readDataHeader(path, file, sizeof(Point3d) + sizeof(int), dims, p)) {
        return;
    }
    const std::size_t count = static_cast<std::size_t>(dims.nx) * static_cast<std::size_t>(dims.pointsPerSet);

    // Both arrays are built beside the old ones, so a failure leaves the data set whole.
    std::vector<Point3d> coords;
    std::vector<int> groups;
    if (!allocateZeroed(coords, count, "Can't allocate space for coordinate array\n") ||
        !allocateZeroed(groups, count, "Can't allocate space for group array\n")) {
        return;
    }

    const char* end = file.end();
    Bounds bounds;
    resetBounds(bounds);
    std::size_t complete = 0;
    std::size_t k = 0;
    for (; k < count && p != end; ++k) {
        Point3d& point = coords[k];
        if (scanDouble(p, end, point.x) && scanDouble(p, end, point.y) && scanDouble(p, end, point.z) &&
            scanInt(p, end, groups[k])) {
            ++complete;
        }
        includeInBounds(bounds, point);
    }
    if (k < count) {
        includeInBounds(bounds, Point3d{});  // the rest stays at the origin, in group 0
    }
    reportShortRead(path, complete, count, "points");

    if (viewer.debugPrint) {
        printRawBounds(bounds.min, bounds.max);
    }
    dataSet.coordArray.swap(coords);
    dataSet.groupArray.swap(groups);
    dataSet.fnTrf = dims;
    normaliseDataSet(count, bounds.min, bounds.max, false);
    dataSet.loadedFormat = 2;
    ++dataSet.generation;
}
