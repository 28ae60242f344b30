// Printing a load's report from its result, in the words and order the viewer has always used.
#include "io/load_report.h"

#include <cstdio>

#include "core/user_message.h"
#include "io/reader_common.h"
#include "io/report_text.h"

namespace {

void printTriple(const char* format, const double v[3])
{
    std::printf(format, v[0], v[1], v[2]);
}

void printRawBounds(const Bounds& raw)
{
    printTriple("Before min = %lf %lf %lf\n", raw.min);
    printTriple("Before max = %lf %lf %lf\n", raw.max);
}

}  // namespace

void printLoadReport(const char* path, const LoadResult& result, const ReportedSettings& quoted)
{
    std::printf("\nfilename = %s\n", path);
    if (result.headerRead) {
        std::printf("%s\n", dimensionsLine(result.header).c_str());
        std::printf("scale = %lf segments = %d thickness = %lf\n", quoted.scale, quoted.segments, quoted.thickness);
    }
    if (result.loaded) {
        for (const std::string& line : result.readLines) {
            std::printf("%s\n", oneLine(line).c_str());
        }
    }
    // What the user is told: why a load failed, and what a load that went ahead met.
    std::string told;
    if (!result.error.empty()) {
        told += oneLine(result.error) + "\n";
    }
    for (const std::string& warning : result.warnings) {
        told += oneLine(warning) + "\n";
    }
    if (!told.empty()) {
        tellUser(told);
    }
}

void printNormaliseDiagnostics(const NormaliseReport& report, const DataSet& data, const char* fileName,
                               bool rawBoundsFirst, bool showNormalisedBounds)
{
    if (rawBoundsFirst) {
        printRawBounds(report.raw);
    }
    printRawBounds(report.raw);
    const AxisScales& s = report.rawScales;
    std::printf("Before scaleFactor= %lf sx = %lf sy = %lf  sz = %lf\n", s.scaleFactor, s.sx, s.sy, s.sz);
    std::printf("axis_data = %d\n", static_cast<int>(report.scaling));
    if (showNormalisedBounds) {
        printTriple("After min = %lf %lf %lf\n", report.normalised.min);
        printTriple("After max = %lf %lf %lf\n", report.normalised.max);
    }
    std::printf("%s\n", fileName);
    std::printf("scaleFactor= %lf sx = %lf sy = %lf  sz = %lf\n", data.scaleFactor, data.sx, data.sy, data.sz);
    std::printf("translate:\ttx = %lf ty = %lf tz = %lf\n", data.tx, data.ty, data.tz);
}
