// Reader of the "Data" format: a header "nx pointsPerSet", then x y z of every point in set order.
#include "io/plain_reader.h"

#include <cstdio>
#include <new>
#include <vector>

#include "core/data_set.h"
#include "io/file_buffer.h"
#include "io/number_scan.h"
#include "io/reader_common.h"

void readDataFile(const char* path)
{
    FileBuffer file;
    if (!openReaderFile(path, file)) {
        return;
    }
    FnTrf dims = dataSet.fnTrf;
    const char* p = nullptr;
    if (!readDataHeader(path, file, sizeof(Point3d), dims, p)) {
        return;
    }
    const std::size_t count = static_cast<std::size_t>(dims.nx) * static_cast<std::size_t>(dims.pointsPerSet);

    // The new points are built beside the old ones, so a failure leaves the data set whole.
    std::vector<Point3d> coords;
    if (!allocateZeroed(coords, count, "Can't allocate space for coordinate array\n")) {
        return;
    }

    // As with fscanf, the first value that does not scan ends that point's scan; the next point
    // starts where it stopped. Points not read keep 0 and still take part in the bounds.
    const char* end = file.end();
    Bounds bounds;
    resetBounds(bounds);
    std::size_t complete = 0;
    std::size_t k = 0;
    for (; k < count && p != end; ++k) {
        Point3d& point = coords[k];
        if (scanDouble(p, end, point.x) && scanDouble(p, end, point.y) && scanDouble(p, end, point.z)) {
            ++complete;
        }
        includeInBounds(bounds, point);
    }
    if (k < count) {
        includeInBounds(bounds, Point3d{});  // the rest stays at the origin
    }
    reportShortRead(path, complete, count, "points");

    dataSet.coordArray.swap(coords);
    dataSet.fnTrf = dims;
    normaliseDataSet(count, bounds.min, bounds.max, true);
    dataSet.loadedFormat = 0;
    ++dataSet.generation;
}
