// The fuzzed loads and their checks: what a load promises whatever the bytes.
#include "tests/fuzz/fuzz_entries.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "core/data_set.h"
#include "io/data_loader.h"
#include "io/format_detect.h"
#include "io/gzip_text.h"
#include "io/number_scan.h"
#include "io/reader_common.h"

namespace {

void check(bool promise, const char* what)
{
    if (!promise) {
        std::fprintf(stderr, "broken promise: %s\n", what);
        std::abort();
    }
}

// What every load result promises: a failure holds nothing and says why in one line; a load
// holds its dimensions' points (and a group each for coloured data), and after install every
// normalised coordinate of a finite raw value is finite and inside the cube (within rounding).
void checkLoad(LoadResult& result, AxisScaling scaling)
{
    if (!result.loaded) {
        check(!result.error.empty(), "a failed load says why");
        check(result.error.find('\n') == std::string::npos, "a refusal is one line");
        check(result.data.coordArray.empty(), "a failed load holds no points");
        return;
    }
    const DataSet& read = result.data;
    const std::size_t count = static_cast<std::size_t>(read.fnTrf.nx) * static_cast<std::size_t>(read.fnTrf.pointsPerSet);
    check(read.fnTrf.nx >= 0 && read.fnTrf.pointsPerSet >= 0, "dimensions are not negative");
    check(read.coordArray.size() == count, "the points fill the dimensions");
    check(read.loadedFormat != static_cast<int>(DataFormat::Colored) || read.groupArray.size() == count,
          "coloured data has a group per point");
    check(result.normaliseCount <= count, "only points that exist are normalised");
    check(read.pointColors.empty() || read.pointColors.size() == 4 * count, "a colour for every point or none");
    for (std::size_t k = 0; !read.groupNames.empty() && k < read.groupArray.size(); ++k) {
        check(read.groupArray[k] >= 0 && static_cast<std::size_t>(read.groupArray[k]) < read.groupNames.size(),
              "every text group has its text");
    }
    for (const std::string& warning : result.warnings) {
        check(warning.find('\n') == std::string::npos, "a warning is one line");
    }
    std::vector<bool> finiteRaw(count);
    for (std::size_t k = 0; k < count; ++k) {
        const Point3d& p = read.coordArray[k];
        finiteRaw[k] = std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
    }
    DataSet shown;
    const std::size_t normalised = result.normaliseCount;
    installLoad(result, shown, scaling);
    for (std::size_t k = 0; k < normalised; ++k) {
        if (!finiteRaw[k]) {
            continue;
        }
        const Point3d& p = shown.coordArray[k];
        for (const double v : {p.x, p.y, p.z}) {
            check(std::isfinite(v) && v >= -5.001 && v <= 5.001, "a finite value lands in the cube");
        }
    }
}

// The fuzz input as a file's content that the loader reads: the last byte (usually the line end
// of a seed file) chooses the axis scaling and the columns, the rest is the file.
int fuzzLoad(const std::uint8_t* data, std::size_t size, DataFormat format, bool detect)
{
    if (size == 0) {
        return 0;
    }
    const std::uint8_t flags = data[size - 1];
    const AxisScaling scaling = (flags & 1) ? AxisScaling::Uniform : AxisScaling::Individual;
    FileBuffer buffer;
    buffer.size = size - 1;
    buffer.bytes.reset(new char[size]);
    std::memcpy(buffer.bytes.get(), data, size - 1);
    DataText text;
    std::string error;
    if (!prepareDataText("fuzz.dat", buffer, text, error)) {
        check(!error.empty() && error.find('\n') == std::string::npos, "a refused file says why in one line");
        return 0;
    }
    if (detect) {
        const std::size_t sample = static_cast<std::size_t>(text.end - text.begin);
        format = detectFormat(text.begin, sample < kDetectBytes ? sample : kDetectBytes);
    }
    // A column choice by number exercises the chosen-columns path of the columns reader.
    const std::string columns = (flags & 2) ? "3,1,2" : "";
    LoadResult result = readTextAs("fuzz.dat", text.begin, text.end, format, columns);
    checkLoad(result, scaling);
    return 0;
}

// The fuzz input as the bytes of a binary file, read by its reader where a mapping would be.
int fuzzBinary(const std::uint8_t* data, std::size_t size, DataFormat format)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    LoadResult result = readBinaryAs("fuzz.bin", ByteSpan{bytes, bytes + size}, format);
    checkLoad(result, AxisScaling::Individual);
    return 0;
}

bool sameDouble(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

int fuzzDataReader(const std::uint8_t* data, std::size_t size)
{
    return fuzzLoad(data, size, DataFormat::Plain, false);
}

int fuzzColorReader(const std::uint8_t* data, std::size_t size)
{
    return fuzzLoad(data, size, DataFormat::Colored, false);
}

int fuzzMapleReader(const std::uint8_t* data, std::size_t size)
{
    return fuzzLoad(data, size, DataFormat::Maple, false);
}

int fuzzColumnsReader(const std::uint8_t* data, std::size_t size)
{
    return fuzzLoad(data, size, DataFormat::Columns, false);
}

int fuzzMatrixReader(const std::uint8_t* data, std::size_t size)
{
    return fuzzLoad(data, size, DataFormat::Matrix, false);
}

int fuzzDetectedLoad(const std::uint8_t* data, std::size_t size)
{
    return fuzzLoad(data, size, DataFormat::Plain, true);
}

// scanDouble and scanInt read what sscanf's "%lf" and "%d" read, and leadingDouble what strtod
// reads, on the same text: the same success, value and (on success) characters consumed.
int fuzzNumberScan(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (text.find('\0') != std::string::npos) {
        return 0;  // the C library stops at a NUL; the scanners go on
    }
    const char* begin = text.c_str();
    const char* end = begin + text.size();

    const char* p = begin;
    double scanned = 0.0, expected = 0.0;
    int consumed = 0;
    const bool ours = scanDouble(p, end, scanned);
    const bool theirs = std::sscanf(begin, "%lf%n", &expected, &consumed) == 1;
    check(ours == theirs, "scanDouble succeeds where %lf does");
    if (ours) {
        check(sameDouble(scanned, expected), "scanDouble reads the value %lf reads");
        check(p - begin == consumed, "scanDouble consumes what %lf consumes");
    }

    p = begin;
    int whole = 0, expectedWhole = 0;
    const bool oursInt = scanInt(p, end, whole);
    const bool theirsInt = std::sscanf(begin, "%d%n", &expectedWhole, &consumed) == 1;
    check(oursInt == theirsInt, "scanInt succeeds where %d does");
    if (oursInt) {
        check(whole == expectedWhole, "scanInt reads the value %d reads");
        check(p - begin == consumed, "scanInt consumes what %d consumes");
    }

    double leading = 0.0;
    char* stop = nullptr;
    const double byStrtod = std::strtod(begin, &stop);
    const bool oursLeading = leadingDouble(begin, end, leading);
    check(oursLeading == (stop != begin), "leadingDouble finds a number where strtod does");
    check(sameDouble(leading, stop != begin ? byStrtod : 0.0), "leadingDouble reads strtod's value");
    return 0;
}

int fuzzNpyReader(const std::uint8_t* data, std::size_t size)
{
    return fuzzBinary(data, size, DataFormat::Npy);
}

int fuzzPlyReader(const std::uint8_t* data, std::size_t size)
{
    return fuzzBinary(data, size, DataFormat::Ply);
}

// The fuzz input as a gzip file: inflated within a small limit, then read as the format its
// content shows, as a load of a .gz file goes.
int fuzzGzipLoad(const std::uint8_t* data, std::size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    FileBuffer content;
    const InflateReport report = inflateGzipBytes("fuzz.gz", bytes, bytes + size, std::size_t{16} << 20, content);
    for (const std::string& line : report.warnings) {
        check(line.find('\n') == std::string::npos, "a warning is one line");
    }
    if (!report.error.empty()) {
        check(report.error.find('\n') == std::string::npos && content.size == 0, "a refused stream gives nothing");
        return 0;
    }
    check(content.size <= (std::size_t{16} << 20), "the content stays within the limit");
    if (const std::optional<DataFormat> binary = binaryFormatOf(content.begin(), content.size)) {
        LoadResult result = readBinaryAs("fuzz.gz", ByteSpan{content.begin(), content.end()}, *binary);
        checkLoad(result, AxisScaling::Uniform);
        return 0;
    }
    DataText text;
    std::string error;
    if (!prepareDataText("fuzz.gz", content, text, error)) {
        return 0;
    }
    const std::size_t sample = static_cast<std::size_t>(text.end - text.begin);
    LoadResult result = readTextAs("fuzz.gz", text.begin, text.end,
                                   detectFormat(text.begin, sample < kDetectBytes ? sample : kDetectBytes));
    checkLoad(result, AxisScaling::Uniform);
    return 0;
}

const NamedFuzzEntry kFuzzEntries[10] = {{"data_reader", fuzzDataReader},     {"color_reader", fuzzColorReader},
                                        {"maple_reader", fuzzMapleReader},   {"columns_reader", fuzzColumnsReader},
                                        {"matrix_reader", fuzzMatrixReader}, {"detected_load", fuzzDetectedLoad},
                                        {"number_scan", fuzzNumberScan},     {"npy_reader", fuzzNpyReader},
                                        {"ply_reader", fuzzPlyReader},       {"gzip_load", fuzzGzipLoad}};
