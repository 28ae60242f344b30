// The reader of each format, the choice of the format, installing what was read, and the whole
// load with its report.
#include "io/data_loader.h"

#include <algorithm>
#include <utility>

#include "io/columns_reader.h"
#include "io/format_detect.h"
#include "io/maple_reader.h"
#include "io/matrix_reader.h"
#include "io/point_readers.h"
#include "io/reader_common.h"
#include "io/report_text.h"

LoadResult readTextAs(const char* name, const char* begin, const char* end, DataFormat format,
                      const std::string& columns)
{
    LoadResult result;
    switch (format) {
    case DataFormat::Plain:
        result = readDataText(name, begin, end);
        break;
    case DataFormat::Maple:
        result = readMapleText(name, begin, end);
        break;
    case DataFormat::Colored:
        result = readColorDataText(name, begin, end);
        break;
    case DataFormat::Columns:
        result = readColumnsText(name, begin, end, ColumnsOptions{columns});
        break;
    case DataFormat::Matrix:
        result = readMatrixText(name, begin, end);
        break;
    }
    refuseIfNothingRead(result);
    return result;
}

LoadResult readDataFileAs(const DataFile& file, DataFormat format, const std::string& columns)
{
    return readTextFile(file, [&](const char* name, const char* begin, const char* end) {
        return readTextAs(name, begin, end, format, columns);
    });
}

NormaliseReport installLoad(LoadResult& result, DataSet& shown, AxisScaling scaling)
{
    DataSet& read = result.data;
    const NormaliseReport report = normaliseDataSet(read, result.normaliseCount, result.rawBounds, scaling);
    shown.coordArray.swap(read.coordArray);
    if (read.loadedFormat == static_cast<int>(DataFormat::Colored)) {
        shown.groupArray.swap(read.groupArray);
        shown.groupNames.swap(read.groupNames);
    }
    shown.pointColors.swap(read.pointColors);
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

namespace {

std::string wrongFormatLine(const char* name, DataFormat likely, FormatChosenIn chosenIn)
{
    const char* label = formatLabel(likely);
    if (chosenIn == FormatChosenIn::CommandLine) {
        return formatLine("%s looks like a %s file; use --format %s", name, label, formatWord(likely));
    }
    return formatLine("%s looks like a %s file; choose %s under Data Format", name, label, label);
}

}  // namespace

LoadResult readForLoad(const DataFile& file, const LoadSettings& settings)
{
    LoadResult result;
    FileBuffer buffer;
    DataText text;
    if (!openDataText(file, buffer, text, result)) {
        return result;
    }
    const std::size_t sample = std::min<std::size_t>(static_cast<std::size_t>(text.end - text.begin), kDetectBytes);
    if (settings.detectFormat) {
        const DataFormat detected = detectFormat(text.begin, sample);
        return readTextAs(file.name, text.begin, text.end, detected, settings.columns);
    }
    result = readTextAs(file.name, text.begin, text.end, settings.format, settings.columns);
    if (result.loaded) {
        return result;
    }
    // Read nothing: if the file looks like another format and that format reads it, say so.
    const DataFormat likely = detectFormat(text.begin, sample);
    if (likely == settings.format || !readTextAs(file.name, text.begin, text.end, likely, settings.columns).loaded) {
        return result;
    }
    return loadFailure(wrongFormatLine(file.name, likely, settings.chosenIn));
}

bool loadDataFile(const DataFile& file, const LoadSettings& settings, DataSet& shown)
{
    LoadResult result = readForLoad(file, settings);
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
