// Reader of a matrix of heights. The first pass counts the rows and the values of the first
// row, so the grid is allocated once at its final size; the second reads the values.
#include "io/matrix_reader.h"

#include <limits>
#include <new>

#include "core/modes.h"
#include "io/delimited_fields.h"
#include "io/load_limits.h"
#include "io/reader_common.h"
#include "io/text_lines.h"

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

const char* skipBlanks(const char* p, const char* end)
{
    while (p != end && isBlank(*p)) {
        ++p;
    }
    return p;
}

const char* valueEnd(const char* p, const char* end)
{
    while (p != end && !isBlank(*p) && *p != ',') {
        ++p;
    }
    return p;
}

// The values a line holds, without reading them.
std::size_t countValues(const char* p, const char* end)
{
    std::size_t count = 0;
    for (;;) {
        while (p != end && (isBlank(*p) || *p == ',')) {
            ++p;
        }
        if (p == end) {
            return count;
        }
        ++count;
        p = valueEnd(p, end);
    }
}

class MatrixRows {
public:
    MatrixRows(const char* path, std::size_t columns, LoadResult& result)
        : path_(path), columns_(columns), result_(result)
    {
        resetBounds(result_.rawBounds);
    }

    // Reads one line of values into grid row `row`; false with the report line when refused.
    bool read(const LineWalker& line, std::size_t row)
    {
        Point3d* nodes = result_.data.coordArray.data() + row * columns_;
        const char* p = line.begin();
        const char* end = line.end();
        std::size_t column = 0;
        bool afterComma = false;
        for (;;) {
            p = skipBlanks(p, end);
            if (p == end) {
                break;
            }
            if (*p == ',') {
                return refuse(line, formatLine("value %zu is empty (two commas in a row)", column + 1));
            }
            if (column == columns_) {
                return refuse(line, formatLine("%zu values where line %lld has %zu", countValues(line.begin(), end),
                                               firstLine_, columns_));
            }
            double z;
            const char* stop = numberScanDetail::quickDecimal(p, end, z);
            if (stop == nullptr || (stop != end && !isBlank(*stop) && *stop != ',')) {
                stop = valueEnd(p, end);
                if (!numberField(Field{p, stop, false}, z, false)) {
                    return refuse(line, formatLine("value %zu is not a number: ", column + 1) +
                                            quotedExcerpt(p, stop));
                }
            }
            nodes[column] = Point3d{static_cast<double>(column), static_cast<double>(row), z};
            includeInBounds(result_.rawBounds, nodes[column]);
            ++column;
            p = skipBlanks(stop, end);
            afterComma = p != end && *p == ',';
            p += afterComma;
        }
        if (afterComma) {
            return refuse(line, formatLine("the row ends with a comma after value %zu", column));
        }
        if (column != columns_) {
            return refuse(line, formatLine("%zu values where line %lld has %zu", column, firstLine_, columns_));
        }
        return true;
    }

    void setFirstLine(long long line) { firstLine_ = line; }

private:
    bool refuse(const LineWalker& line, const std::string& reason)
    {
        result_.error = fileLineError(path_, line.number(), reason);
        return false;
    }

    const char* path_;
    std::size_t columns_;
    LoadResult& result_;
    long long firstLine_ = 0;
};

}  // namespace

LoadResult readMatrixFile(const DataFile& source)
{
    return readTextFile(source, readMatrixText);
}

LoadResult readMatrixText(const char* path, const char* begin, const char* end)
{
    begin = skipByteOrderMark(begin, end);
    std::size_t rows = 0, columns = 0;
    long long firstLine = 0;
    LineWalker count(begin, end);
    while (count.next()) {
        if (count.kind() != LineKind::Content) {
            continue;
        }
        if (rows++ == 0) {
            columns = countValues(count.begin(), count.end());
            firstLine = count.number();
        }
    }
    if (rows == 0) {
        return loadFailure(fileError(path, "holds no rows of values"));
    }
    if (columns == 0) {
        return loadFailure(fileLineError(path, firstLine, "holds commas but no values"));
    }
    const bool countsFit = rows <= static_cast<std::size_t>(std::numeric_limits<int>::max()) / columns;
    if (!countsFit || !pointsLoadable(rows * columns, sizeof(Point3d), rows * columns)) {
        return loadFailure(
            fileError(path, formatLine("%zu rows of %zu values are too many to load", rows, columns)));
    }

    LoadResult result;
    if (!allocateZeroed(result.data.coordArray, rows * columns, "", result)) {
        return loadFailure(fileError(path, formatLine("no memory for %zu values", rows * columns)));
    }
    MatrixRows reader(path, columns, result);
    reader.setFirstLine(firstLine);
    std::size_t row = 0;
    LineWalker lines(begin, end);
    while (lines.next()) {
        if (lines.kind() == LineKind::Content && !reader.read(lines, row++)) {
            return loadFailure(result.error);
        }
    }
    result.data.fnTrf.nx = static_cast<int>(rows);
    result.data.fnTrf.pointsPerSet = static_cast<int>(columns);
    result.data.loadedFormat = static_cast<int>(DataFormat::Plain);
    result.normaliseCount = rows * columns;
    result.entriesRead = result.entriesExpected = rows * columns;
    result.rawBoundsBeforeNormalising = true;
    result.loaded = true;
    reportColumns(result, "column", "row", "value");
    return result;
}
