// The reader of each format, the choice of the format, installing what was read, and the whole
// load with its report.
#include "io/data_loader.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "io/columns_reader.h"
#include "io/data_bytes.h"
#include "io/format_detect.h"
#include "io/maple_reader.h"
#include "io/matrix_reader.h"
#include "io/npy_reader.h"
#include "io/ply_reader.h"
#include "io/point_readers.h"
#include "io/reader_common.h"
#include "io/streamed_points.h"
#include "io/report_text.h"
#include "io/text_lines.h"

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
    case DataFormat::Npy:
    case DataFormat::Ply:
        return readBinaryAs(name, ByteSpan{begin, end}, format);
    }
    refuseIfNothingRead(result);
    return result;
}

LoadResult readBinaryAs(const char* name, const ByteSpan& bytes, DataFormat format)
{
    return format == DataFormat::Npy ? readNpyBytes(name, bytes) : readPlyBytes(name, bytes);
}

namespace {

// The text of bytes read into memory, made ready for the text readers; false with the report
// line in error when it is no text they can take.
bool textOf(const char* name, DataBytes& bytes, DataText& text, std::string& error)
{
    if (bytes.mapped) {
        // Mapped because it starts as a binary file does: its own reader reads it.
        const ByteSpan span = bytes.span();
        const std::optional<DataFormat> binary = binaryFormatOf(span.begin, static_cast<std::size_t>(span.end - span.begin));
        error = fileError(name, std::string("starts as a ") + formatLabel(binary.value_or(DataFormat::Npy)) +
                                    " file does, not as text; nothing is loaded");
        return false;
    }
    return prepareDataText(name, bytes.buffer, text, error);
}

// Reads the content in format: binary formats from their bytes, text formats from its text.
LoadResult readBytesAs(const char* name, DataBytes& bytes, DataFormat format, const std::string& columns)
{
    if (isBinaryFormat(format)) {
        return readBinaryAs(name, bytes.span(), format);
    }
    DataText text;
    std::string error;
    if (!textOf(name, bytes, text, error)) {
        return loadFailure(error);
    }
    return readTextAs(name, text.begin, text.end, format, columns);
}

// The format that the content looks like: a binary one by its magic, else the guess over its
// text; nothing when it is neither.
std::optional<DataFormat> formatOfBytes(const char* name, DataBytes& bytes)
{
    const ByteSpan span = bytes.span();
    const std::size_t size = static_cast<std::size_t>(span.end - span.begin);
    if (const std::optional<DataFormat> binary = binaryFormatOf(span.begin, size)) {
        return binary;
    }
    DataText text;
    std::string error;
    if (!textOf(name, bytes, text, error)) {
        return std::nullopt;
    }
    const std::size_t sample = std::min<std::size_t>(static_cast<std::size_t>(text.end - text.begin), kDetectBytes);
    return detectFormat(text.begin, sample);
}

}  // namespace

LoadResult readDataFileAs(const DataFile& file, DataFormat format, const std::string& columns)
{
    DataBytes bytes;
    std::string error;
    if (!readDataBytes(file, bytes, error)) {
        return loadFailure(error);
    }
    return readBytesAs(file.name, bytes, format, columns);
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
    copyPlacement(read, shown);
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

LoadResult readLoadBytes(const DataFile& file, const LoadSettings& settings, DataBytes& bytes)
{
    if (settings.detectFormat) {
        const std::optional<DataFormat> detected = formatOfBytes(file.name, bytes);
        // Content that is no text gives the text readers' line that says so.
        return readBytesAs(file.name, bytes, detected.value_or(DataFormat::Plain), settings.columns);
    }
    LoadResult result = readBytesAs(file.name, bytes, settings.format, settings.columns);
    if (result.loaded) {
        return result;
    }
    // Read nothing: if the file looks like another format and that format reads it, say so.
    const std::optional<DataFormat> likely = formatOfBytes(file.name, bytes);
    if (!likely || *likely == settings.format ||
        !readBytesAs(file.name, bytes, *likely, settings.columns).loaded) {
        return result;
    }
    return loadFailure(wrongFormatLine(file.name, *likely, settings.chosenIn));
}

}  // namespace

LoadResult readForLoad(const DataFile& file, const LoadSettings& settings)
{
    // A large file of plain numbers is read a window at a time; any other as a whole.
    LoadResult streamed;
    if ((settings.detectFormat || settings.format == DataFormat::Plain) && readPointsStreamed(file, streamed)) {
        return streamed;
    }
    DataBytes bytes;
    std::string error;
    if (!readDataBytes(file, bytes, error)) {
        return loadFailure(error);
    }
    LoadResult result = readLoadBytes(file, settings, bytes);
    if (result.loaded) {
        result.warnings.insert(result.warnings.begin(), bytes.warnings.begin(), bytes.warnings.end());
    }
    return result;
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
