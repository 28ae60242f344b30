// Opening a data file, checking its text, and reading the header line of the "Data" formats.
#include "io/reader_common.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

#include "io/load_limits.h"
#include "io/number_scan.h"
#include "io/report_text.h"
#include "io/text_check.h"
#include "io/text_lines.h"

bool prepareDataText(const char* name, FileBuffer& buffer, DataText& text, std::string& error)
{
    if (buffer.size == 0) {
        error = formatLine("File %s is empty; nothing is loaded", name);
        return false;
    }
    std::string reason;
    if (!looksLikeText(buffer.begin(), buffer.end(), reason)) {
        error = fileError(name, reason + "; nothing is loaded");
        return false;
    }
    unifyLineEnds(buffer.begin(), buffer.end());
    text.begin = skipByteOrderMark(buffer.begin(), buffer.end());
    text.end = buffer.end();
    return true;
}

bool openDataText(const DataFile& source, FileBuffer& file, DataText& text, LoadResult& result)
{
    const FileReadStatus status = readRegularFile(source.path, file);
    if (status.outcome != FileReadOutcome::ok) {
        result.error = fileReadProblem(source.name, status);
        return false;
    }
    return prepareDataText(source.name, file, text, result.error);
}

long long lineNumberAt(const char* begin, const char* at)
{
    return 1 + static_cast<long long>(std::count(begin, at, '\n'));
}

namespace {

enum class HeaderNumber { ok, missing, notWhole, tooLarge };

// One number of the header: a sign and digits, which a character that would make it a decimal
// ('.', an exponent) must not follow; whatever else follows is left, as the formatted input of
// "%d" leaves it. word is the text of the number, or of what stands in its place.
HeaderNumber scanHeaderNumber(const char*& p, const char* end, long long& value, std::string& word)
{
    p = skipSpace(p, end);
    if (p == end) {
        return HeaderNumber::missing;
    }
    const char* start = p;
    const char* q = p;
    const bool negative = *q == '-';
    if (*q == '-' || *q == '+') {
        ++q;
    }
    const char* digits = q;
    unsigned long long magnitude = 0;
    bool large = false;
    for (; q != end && numberScanDetail::isDigit(*q); ++q) {
        magnitude = magnitude * 10 + static_cast<unsigned>(*q - '0');
        large = large || magnitude > static_cast<unsigned long long>(INT_MAX) + 1;
    }
    const char* wordEnd = q;
    while (wordEnd != end && !numberScanDetail::isSpace(*wordEnd)) {
        ++wordEnd;
    }
    word.assign(start, std::min<std::size_t>(static_cast<std::size_t>(wordEnd - start), 40));
    if (q == digits || (q != end && (*q == '.' || *q == 'e' || *q == 'E'))) {
        return HeaderNumber::notWhole;
    }
    p = q;
    if (large || (!negative && magnitude > static_cast<unsigned long long>(INT_MAX))) {
        word.assign(start, static_cast<std::size_t>(q - start));
        return HeaderNumber::tooLarge;
    }
    value = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    return HeaderNumber::ok;
}

}  // namespace

bool readDataHeader(const char* name, const DataText& text, std::size_t bytesPerPoint,
                    std::size_t valuesPerPoint, FnTrf& dims, const char*& points, LoadResult& result,
                    std::size_t wholeBytes)
{
    const char* p = text.begin;
    long long counts[2] = {0, 0};
    static const char* const kWhat[2] = {"number of sets", "number of points per set"};
    long long firstLine = 1;
    for (int k = 0; k < 2; ++k) {
        std::string word;
        const HeaderNumber scanned = scanHeaderNumber(p, text.end, counts[k], word);
        const long long line = lineNumberAt(text.begin, p);
        switch (scanned) {
        case HeaderNumber::ok:
            firstLine = line;
            continue;
        case HeaderNumber::missing:
            result.error = k == 0 ? fileLineError(name, 1, "no header: the file holds only white space")
                                  : fileLineError(name, firstLine,
                                                  formatLine("the header gives the number of sets, %lld, but no "
                                                             "number of points per set",
                                                             counts[0]));
            return false;
        case HeaderNumber::notWhole:
            result.error = fileLineError(name, line,
                                         "the header's " + std::string(kWhat[k]) + " is not a whole number: " +
                                             quotedExcerpt(word.data(), word.data() + word.size()));
            return false;
        case HeaderNumber::tooLarge:
            result.error = fileLineError(name, line,
                                         "the header's " + std::string(kWhat[k]) + ", " + word +
                                             formatLine(", is too large (the most is %d)", INT_MAX));
            return false;
        }
    }
    dims.nx = static_cast<int>(counts[0]);
    dims.pointsPerSet = static_cast<int>(counts[1]);
    const long long headerLine = lineNumberAt(text.begin, p);
    const char* lineEnd = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(text.end - p)));
    points = lineEnd ? lineEnd + 1 : text.end;
    result.headerRead = true;
    result.header = dims;
    const std::size_t headerBytes = static_cast<std::size_t>(points - text.begin);
    const std::size_t after = wholeBytes > headerBytes ? wholeBytes - headerBytes
                                                       : static_cast<std::size_t>(text.end - points);
    return dimensionsLoadable(name, headerLine, dims.nx, dims.pointsPerSet, bytesPerPoint, valuesPerPoint, after,
                              result.error);
}

std::string dimensionsLine(const FnTrf& dims)
{
    return formatLine("fnTrf.nx = %d points per set = %d", dims.nx, dims.pointsPerSet);
}

void reportColumns(LoadResult& result, const std::string& x, const std::string& y, const std::string& z,
                   const std::string& group)
{
    result.readLines.push_back(dimensionsLine(result.data.fnTrf));
    std::string line = "columns: x = " + x + ", y = " + y + ", z = " + z;
    if (!group.empty()) {
        line += ", group = " + group;
    }
    result.readLines.push_back(line);
}

void warnShortRead(const char* name, std::size_t read, std::size_t expected, const char* what, LoadResult& result,
                   const std::string& detail)
{
    result.entriesRead = read;
    result.entriesExpected = expected;
    if (read < expected) {
        std::string line = formatLine("File %s ends early or holds text that is not a number: %zu of %zu %s read",
                                      name, read, expected, what);
        if (!detail.empty()) {
            line += "; " + detail;
        }
        result.warnings.push_back(line);
    }
}

void refuseIfNothingRead(LoadResult& result)
{
    if (!result.loaded || result.entriesExpected == 0 || result.entriesRead > 0) {
        return;
    }
    const std::string reason = result.warnings.empty() ? std::string("nothing could be read") : result.warnings.front();
    LoadResult failed = loadFailure(reason + "; nothing is loaded");
    failed.headerRead = result.headerRead;
    failed.header = result.header;
    result = std::move(failed);
}
