// The reader of each format, installing what it read, and the whole load with its report.
#include "io/data_loader.h"

#include <optional>
#include <utility>

#include "io/columns_reader.h"
#include "io/format_detect.h"
#include "io/maple_reader.h"
#include "io/matrix_reader.h"
#include "io/point_readers.h"

LoadResult readDataFileAs(const DataFile& file, DataFormat format, const DataSet& shown, const std::string& columns)
{
    switch (format) {
    case DataFormat::Plain:
        return readDataFile(file, shown.fnTrf);
    case DataFormat::Maple:
        return readMapleFile(file);
    case DataFormat::Colored:
        return readColorDataFile(file, shown.fnTrf);
    case DataFormat::Columns:
        return readColumnsFile(file, ColumnsOptions{columns});
    case DataFormat::Matrix:
        return readMatrixFile(file);
    }
    return loadFailure("");
}

NormaliseReport installLoad(LoadResult& result, DataSet& shown, AxisScaling scaling)
{
    DataSet& read = result.data;
    const NormaliseReport report = normaliseDataSet(read, result.normaliseCount, result.rawBounds, scaling);
    shown.coordArray.swap(read.coordArray);
    if (read.loadedFormat == static_cast<int>(DataFormat::Colored)) {
        shown.groupArray.swap(read.groupArray);
    }
    shown.fnTrf = read.fnTrf;
    shown.loadedFormat = read.loadedFormat;
    shown.scaleFactor = read.scaleFactor;
    shown.sx = read.sx;
    shown.sy = read.sy;
    shown.sz = read.sz;
    shown.tx = read.tx;
    shown.ty = read.ty;
    shown.tz = read.tz;
    shown.xmin = read.xmin;
    shown.ymin = read.ymin;
    shown.zmin = read.zmin;
    for (int a = 0; a < 3; ++a) {
        shown.rawMin[a] = read.rawMin[a];
        shown.rawMax[a] = read.rawMax[a];
        shown.rawScale[a] = read.rawScale[a];
    }
    ++shown.generation;
    read = DataSet{};
    return report;
}

LoadSettings loadSettingsFrom(const Settings& settings)
{
    LoadSettings load;
    load.format = settings.dataFormat;
    load.scaling = settings.axis_data;
    load.quoted = ReportedSettings{settings.scale, settings.segments, settings.thickness};
    load.diagnostics = settings.debugPrint != 0;
    return load;
}

bool loadDataFile(const DataFile& file, const LoadSettings& settings, DataSet& shown)
{
    DataFormat format = settings.format;
    if (settings.detectFormat) {
        if (const std::optional<DataFormat> detected = detectFileFormat(file.path)) {
            format = *detected;
        }
    }
    LoadResult result = readDataFileAs(file, format, shown, settings.columns);
    printLoadReport(file.name, result, settings.quoted);
    if (!result.loaded) {
        return false;
    }
    const NormaliseReport report = installLoad(result, shown, settings.scaling);
    if (settings.diagnostics) {
        printNormaliseDiagnostics(report, shown, file.name, result.rawBoundsBeforeNormalising,
                                  result.showNormalisedBounds);
    }
    return true;
}
