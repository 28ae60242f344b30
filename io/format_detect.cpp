// The format guess: a Maple GRID, the "Data" header with rows of 3 or 4 numbers, a delimited
// table, and otherwise a matrix of heights.
#include "io/format_detect.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "io/delimited_fields.h"
#include "io/gzip_text.h"
#include "io/npy_reader.h"
#include "io/ply_reader.h"
#include "io/text_lines.h"

namespace {

bool startsWith(const char* p, const char* end, const char* word)
{
    const std::size_t length = std::strlen(word);
    return static_cast<std::size_t>(end - p) >= length && std::memcmp(p, word, length) == 0;
}

bool isMapleGrid(const char* p, const char* end)
{
    p = skipSpace(p, end);
    for (const char* wrapper : {"PLOT3D(", "INTERFACE_PLOT3D("}) {
        if (startsWith(p, end, wrapper)) {
            p = skipSpace(p + std::strlen(wrapper), end);
            break;
        }
    }
    return startsWith(p, end, "GRID(");
}

bool isCount(const Field& field)
{
    int value;
    return field.begin != field.end && numberScanDetail::isDigit(*field.begin) && wholeNumberField(field, value);
}

// The fields of a blank-separated line that are numbers, and whether the last is a whole number.
struct NumberRow {
    std::size_t fields = 0;
    bool allNumbers = true;
    bool lastWhole = false;
};

NumberRow numberRow(const char* begin, const char* end)
{
    NumberRow row;
    FieldCursor cursor(begin, end, Separator::Blanks);
    Field field;
    while (cursor.next(field)) {
        ++row.fields;
        double v;
        int whole;
        row.allNumbers = row.allNumbers && numberField(field, v, false);
        row.lastWhole = wholeNumberField(field, whole);
    }
    return row;
}

// A header line "nx pointsPerSet", then rows of 3 numbers (Data) or of 4 with a whole fourth
// (Data with Color). Like their readers, the header must be the very first line.
bool isDataFile(const char* begin, const char* end, DataFormat& format)
{
    LineWalker lines(begin, end);
    if (!lines.next()) {
        return false;
    }
    FieldCursor header(lines.begin(), lines.end(), Separator::Blanks);
    Field nx, perSet, extra;
    if (!header.next(nx) || !header.next(perSet) || header.next(extra) || !isCount(nx) || !isCount(perSet)) {
        return false;
    }
    std::size_t width = 0;
    bool wholeFourth = true;
    while (lines.next()) {
        if (lines.kind() == LineKind::Blank) {
            continue;
        }
        const NumberRow row = numberRow(lines.begin(), lines.end());
        if (!row.allNumbers || (row.fields != 3 && row.fields != 4) || (width != 0 && row.fields != width)) {
            return false;
        }
        width = row.fields;
        wholeFourth = wholeFourth && (width == 3 || row.lastWhole);
    }
    if (width == 4 && !wholeFourth) {
        return false;
    }
    format = width == 4 ? DataFormat::Colored : DataFormat::Plain;
    return true;
}

// Rows of one length, 3 or more, cut by a separator character, or any rows below a header of
// names. Blank-separated rows of one length in blocks parted by blank lines are sets of points
// too: a matrix has no use for blank lines. So are blank-separated rows of 3 numbers, or of 4
// with a whole fourth (x y z and a group), however many: the point file that every program
// writes; wider rows of one length are a matrix.
bool isTable(const char* begin, const char* end)
{
    const TableLayout layout = sniffTable(begin, end);
    if (!layout.hasContent) {
        return false;
    }
    if (layout.hasHeader) {
        return true;
    }
    std::size_t width = 0;
    bool sameWidth = true, blankSinceRow = false, blocks = false, numbers = true, wholeFourth = true;
    LineWalker lines(layout.rowsBegin, end, layout.rowsFirstLine);
    while (lines.next()) {
        const LineKind kind = lines.kind();
        if (kind == LineKind::Blank) {
            blankSinceRow = width != 0;
            continue;
        }
        if (kind == LineKind::Comment) {
            continue;
        }
        const std::size_t fields = countFields(lines.begin(), lines.end(), layout.separator);
        if (layout.separator == Separator::Blanks && numbers && fields <= 4) {
            const NumberRow row = numberRow(lines.begin(), lines.end());
            numbers = row.allNumbers;
            wholeFourth = wholeFourth && (fields != 4 || row.lastWhole);
        }
        sameWidth = sameWidth && (width == 0 || fields == width);
        width = fields;
        blocks = blocks || blankSinceRow;
        blankSinceRow = false;
    }
    if (!sameWidth || width < 3) {
        return false;
    }
    const bool pointColumns = numbers && (width == 3 || (width == 4 && wholeFourth));
    return layout.separator != Separator::Blanks || blocks || pointColumns;
}

}  // namespace

std::optional<DataFormat> binaryFormatOf(const char* bytes, std::size_t size)
{
    if (looksLikeNpy(bytes, size)) {
        return DataFormat::Npy;
    }
    if (looksLikePly(bytes, size)) {
        return DataFormat::Ply;
    }
    return std::nullopt;
}

bool isBinaryFormat(DataFormat format)
{
    return format == DataFormat::Npy || format == DataFormat::Ply;
}

DataFormat detectFormat(const char* bytes, std::size_t size)
{
    if (const std::optional<DataFormat> binary = binaryFormatOf(bytes, size)) {
        return *binary;
    }
    const char* end = bytes + size;
    const char* begin = skipByteOrderMark(bytes, end);
    if (isMapleGrid(begin, end)) {
        return DataFormat::Maple;
    }
    if (size >= kDetectBytes && end[-1] != '\n') {
        const char* p = end;
        while (p != begin && p[-1] != '\n') {
            --p;
        }
        if (p != begin) {
            end = p;
        }
    }
    DataFormat format;
    if (isDataFile(begin, end, format)) {
        return format;
    }
    return isTable(begin, end) ? DataFormat::Columns : DataFormat::Matrix;
}

bool readFileHead(const char* path, std::string& head)
{
    const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    head.resize(kDetectBytes);
    std::size_t got = 0;
    while (ok && got < kDetectBytes) {
        const ssize_t n = read(fd, &head[got], kDetectBytes - got);
        if (n == 0) {
            break;
        }
        if (n < 0 && errno != EINTR) {
            ok = false;
        }
        got += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    close(fd);
    head.resize(got);
    return ok;
}

std::optional<DataFormat> detectFileFormat(const char* path)
{
    std::string head;
    if (!readFileHead(path, head)) {
        return std::nullopt;
    }
    if (looksLikeGzip(head.data(), head.size())) {
        head = inflatedStart(head.data(), head.data() + head.size(), kDetectBytes);
    }
    return detectFormat(head.data(), head.size());
}

namespace {

struct FormatName {
    const char* word;
    const char* label;
    DataFormat format;
};

constexpr FormatName kFormatNames[] = {{"data", "Data", DataFormat::Plain},
                                       {"maple", "Maple", DataFormat::Maple},
                                       {"color", "Data with Color", DataFormat::Colored},
                                       {"columns", "Columns", DataFormat::Columns},
                                       {"matrix", "Matrix", DataFormat::Matrix},
                                       {"npy", "NumPy", DataFormat::Npy},
                                       {"ply", "PLY", DataFormat::Ply}};

bool sameWord(const char* a, const char* b)
{
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        const char lowerA = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a - 'A' + 'a') : *a;
        if (lowerA != *b) {
            return false;
        }
    }
    return *a == *b;
}

}  // namespace

const char* formatWord(DataFormat format)
{
    for (const FormatName& name : kFormatNames) {
        if (name.format == format) {
            return name.word;
        }
    }
    return "unknown";
}

const char* formatLabel(DataFormat format)
{
    for (const FormatName& name : kFormatNames) {
        if (name.format == format) {
            return name.label;
        }
    }
    return "unknown";
}

bool parseFormatWord(const char* word, FormatChoice& choice)
{
    if (sameWord(word, "auto")) {
        choice = FormatChoice{};
        return true;
    }
    for (const FormatName& name : kFormatNames) {
        if (sameWord(word, name.word)) {
            choice.automatic = false;
            choice.format = name.format;
            return true;
        }
    }
    return false;
}
