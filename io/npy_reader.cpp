// Reader of .npy arrays. Sections: the header (its dictionary of 'descr', 'fortran_order' and
// 'shape'); what the shape is read as; the one walk through the values in the file's order,
// made once for each type of number; the entry point.
#include "io/npy_reader.h"

#include <cstring>
#include <string>
#include <vector>

#include "core/modes.h"
#include "io/binary_values.h"
#include "io/load_limits.h"
#include "io/read_progress.h"
#include "io/reader_common.h"
#include "io/text_lines.h"

namespace {

constexpr char kMagic[] = "\x93NUMPY";
constexpr std::size_t kMagicBytes = 6;
// Values are read in steps of this many, after each of which the pages passed are given back.
constexpr std::size_t kStepValues = std::size_t{1} << 18;
// NumPy writes headers of a few hundred bytes; a longer one is refused rather than copied.
constexpr std::size_t kLongestHeader = std::size_t{1} << 20;

// ---- The header ----

struct NpyHeader {
    BinaryType type = BinaryType::Float64;
    bool swap = false;
    bool fortran = false;
    std::vector<unsigned long long> shape;
    std::size_t dataOffset = 0;
};

// Reads the header's dictionary, a Python literal such as
// {'descr': '<f8', 'fortran_order': False, 'shape': (100, 3), }.
class HeaderReader {
public:
    HeaderReader(const char* name, const char* file, const char* p, const char* end)
        : name_(name), file_(file), p_(p), end_(end)
    {
    }

    bool read(NpyHeader& header, std::string& error)
    {
        bool descr = false, order = false, shape = false;
        if (!take('{')) {
            return fail("the header is not a dictionary: it does not start with '{'", error);
        }
        while (!take('}')) {
            std::string key;
            if (!text(key) || !take(':')) {
                return fail("the header's dictionary expects a key in quotes and ':' here", error);
            }
            if (key == "descr") {
                descr = true;
                if (!typeOf(header, error)) {
                    return false;
                }
            } else if (key == "fortran_order") {
                order = true;
                if (!truth(header.fortran)) {
                    return fail("'fortran_order' is neither True nor False", error);
                }
            } else if (key == "shape") {
                shape = true;
                if (!dimensions(header.shape)) {
                    return fail("'shape' is not a tuple of whole numbers", error);
                }
            } else {
                return fail("the header holds the unknown key '" + key + "'", error);
            }
            if (!take(',') && !(skip(), p_ != end_ && *p_ == '}')) {
                return fail("the header's dictionary expects ',' or '}' here", error);
            }
        }
        if (!descr || !order || !shape) {
            return fail(std::string("the header names no '") + (!descr ? "descr" : !order ? "fortran_order" : "shape") +
                            "'",
                        error);
        }
        return true;
    }

private:
    bool fail(const std::string& reason, std::string& error)
    {
        error = fileByteError(name_, static_cast<unsigned long long>(p_ - file_), reason + "; nothing is loaded");
        return false;
    }

    void skip()
    {
        while (p_ != end_ && (*p_ == ' ' || *p_ == '\n' || *p_ == '\t' || *p_ == '\r')) {
            ++p_;
        }
    }

    bool take(char c)
    {
        skip();
        if (p_ != end_ && *p_ == c) {
            ++p_;
            return true;
        }
        return false;
    }

    bool text(std::string& out)
    {
        skip();
        if (p_ == end_ || (*p_ != '\'' && *p_ != '"')) {
            return false;
        }
        const char quote = *p_;
        const char* close = static_cast<const char*>(std::memchr(p_ + 1, quote, static_cast<std::size_t>(end_ - p_ - 1)));
        if (close == nullptr) {
            return false;
        }
        out.assign(p_ + 1, close);
        p_ = close + 1;
        return true;
    }

    bool truth(bool& value)
    {
        skip();
        for (const bool candidate : {true, false}) {
            const char* word = candidate ? "True" : "False";
            const std::size_t length = std::strlen(word);
            if (static_cast<std::size_t>(end_ - p_) >= length && std::memcmp(p_, word, length) == 0) {
                p_ += length;
                value = candidate;
                return true;
            }
        }
        return false;
    }

    // "(3, 4)", "(5,)" or "()"; Python 2 wrote long integers with an L.
    bool dimensions(std::vector<unsigned long long>& shape)
    {
        if (!take('(')) {
            return false;
        }
        while (!take(')')) {
            skip();
            unsigned long long value = 0;
            const char* digits = p_;
            for (; p_ != end_ && *p_ >= '0' && *p_ <= '9'; ++p_) {
                if (__builtin_mul_overflow(value, 10ull, &value) ||
                    __builtin_add_overflow(value, static_cast<unsigned long long>(*p_ - '0'), &value)) {
                    return false;
                }
            }
            if (p_ == digits) {
                return false;
            }
            if (p_ != end_ && *p_ == 'L') {
                ++p_;
            }
            shape.push_back(value);
            if (!take(',') && !(skip(), p_ != end_ && *p_ == ')')) {
                return false;
            }
        }
        return true;
    }

    // '<f8', '>i4', '|u1', '=f4': byte order, kind and size.
    bool typeOf(NpyHeader& header, std::string& error)
    {
        skip();
        if (p_ != end_ && *p_ == '[') {
            return fail("the array is structured (its 'descr' is a list of fields); arrays of plain numbers are "
                        "read",
                        error);
        }
        const char* at = p_;
        std::string descr;
        if (!text(descr)) {
            return fail("'descr' is not a text in quotes", error);
        }
        struct Known {
            const char* code;
            BinaryType type;
        };
        static const Known kKnown[] = {
            {"f4", BinaryType::Float32}, {"f8", BinaryType::Float64}, {"i1", BinaryType::Int8},
            {"i2", BinaryType::Int16},   {"i4", BinaryType::Int32},   {"i8", BinaryType::Int64},
            {"u1", BinaryType::UInt8},   {"u2", BinaryType::UInt16},  {"u4", BinaryType::UInt32},
            {"u8", BinaryType::UInt64},  {"b1", BinaryType::UInt8}};
        const char order = descr.empty() ? '\0' : descr[0];
        const std::string code = (order == '<' || order == '>' || order == '|' || order == '=') ? descr.substr(1) : descr;
        for (const Known& known : kKnown) {
            if (code == known.code) {
                header.type = known.type;
                header.swap = binarySize(known.type) > 1 &&
                              ((order == '<' && !kLittleEndianMachine) || (order == '>' && kLittleEndianMachine));
                return true;
            }
        }
        p_ = at;
        return fail("values of type '" + descr +
                        "' are not read (floating-point numbers of 4 or 8 bytes, integers and booleans are)",
                    error);
    }

    const char* name_;
    const char* file_;
    const char* p_;
    const char* end_;
};

unsigned littleEndianNumber(const char* p, int bytes)
{
    unsigned value = 0;
    for (int k = bytes - 1; k >= 0; --k) {
        value = (value << 8) | static_cast<unsigned char>(p[k]);
    }
    return value;
}

// Reads the header from head, a copy of the file's start (the whole file is size bytes).
bool readHeader(const char* name, const std::string& head, std::size_t size, NpyHeader& header, std::string& error)
{
    if (!looksLikeNpy(head.data(), head.size()) || head.size() < kMagicBytes + 4) {
        error = fileByteError(name, 0, "is not a NumPy file (it does not start with \"\\x93NUMPY\" and a version); "
                                       "nothing is loaded");
        return false;
    }
    const int major = static_cast<unsigned char>(head[6]), minor = static_cast<unsigned char>(head[7]);
    if (major < 1 || major > 3 || minor != 0) {
        error = fileByteError(name, 6,
                              formatLine("NumPy format version %d.%d is not read (1.0, 2.0 and 3.0 are)", major, minor) +
                                  "; nothing is loaded");
        return false;
    }
    const int lengthBytes = major == 1 ? 2 : 4;
    const std::size_t start = kMagicBytes + 2 + static_cast<std::size_t>(lengthBytes);
    const std::size_t length = size >= start ? littleEndianNumber(head.data() + 8, lengthBytes) : 0;
    const bool pastTheEnd = size < start || length > size - start;
    if (pastTheEnd || start + length > head.size()) {
        error = fileByteError(name, 8,
                              formatLine(pastTheEnd ? "the header of %zu bytes runs past the end of the file (%zu bytes)"
                                                    : "the header of %zu bytes is longer than NumPy writes",
                                         length, size) +
                                  "; nothing is loaded");
        return false;
    }
    header.dataOffset = start + length;
    HeaderReader reader(name, head.data(), head.data() + start, head.data() + header.dataOffset);
    return reader.read(header, error);
}

// ---- What the shape is read as ----

std::string shapeText(const std::vector<unsigned long long>& shape)
{
    std::string text = "(";
    for (std::size_t k = 0; k < shape.size(); ++k) {
        text += (k > 0 ? ", " : "") + std::to_string(shape[k]);
    }
    return text + (shape.size() == 1 ? ",)" : ")");
}

// The array as rows of columns in the file: rows x columns values, element (r, c) at
// r * columns + c in C order, at r + c * rows in Fortran order.
struct ArrayView {
    const char* values;
    std::size_t rows, columns;
    bool fortran;
};

// Where element (r, c) goes: the point of row r (of a K x N x C array in Fortran order the rows
// run through the sets first) and its coordinate c (3: the group), or node (c, r) of a matrix.
struct Placer {
    Point3d* points;
    int* groups;
    Bounds* bounds;
    bool matrix;
    std::size_t sets, perSet;
    bool setsFirst;

    void put(std::size_t r, std::size_t c, double v) const
    {
        if (matrix) {
            Point3d& node = points[r * perSet + c];
            node = Point3d{static_cast<double>(c), static_cast<double>(r), v};
            includeInBounds(*bounds, node);
            return;
        }
        const std::size_t k = setsFirst ? (r % sets) * perSet + r / sets : r;
        static constexpr double Point3d::*kAxis[3] = {&Point3d::x, &Point3d::y, &Point3d::z};
        if (c < 3) {
            points[k].*kAxis[c] = v;
            includeInBounds(*bounds, static_cast<int>(c), v);
        } else {
            groups[k] = static_cast<int>(v);
        }
    }
};

// ---- The walk through the values ----

// Visits (r, c, value) for the columns from first to last - 1 of every row, in the order the
// file holds them, giving back the pages passed after each step (and counting them as read
// when counted).
template <typename T, bool Swap, typename Visit>
void walk(const ArrayView& a, const ByteSpan& bytes, std::size_t first, std::size_t last, bool counted, Visit visit)
{
    const std::size_t stepRows = kStepValues / a.columns + 1;
    const auto step = [&](const char* upTo, std::size_t values) {
        bytes.doneBefore(upTo);
        if (counted) {
            addReadProgress(values * sizeof(T));
        }
    };
    if (!a.fortran) {
        for (std::size_t r0 = 0; r0 < a.rows; r0 += stepRows) {
            const std::size_t r1 = std::min(a.rows, r0 + stepRows);
            for (std::size_t r = r0; r < r1; ++r) {
                const char* row = a.values + r * a.columns * sizeof(T);
                for (std::size_t c = first; c < last; ++c) {
                    visit(r, c, static_cast<double>(loadBinary<T, Swap>(row + c * sizeof(T))));
                }
            }
            step(a.values + r1 * a.columns * sizeof(T), (r1 - r0) * a.columns);
        }
        return;
    }
    for (std::size_t c = first; c < last; ++c) {
        const char* column = a.values + c * a.rows * sizeof(T);
        for (std::size_t r0 = 0; r0 < a.rows; r0 += kStepValues) {
            const std::size_t r1 = std::min(a.rows, r0 + kStepValues);
            for (std::size_t r = r0; r < r1; ++r) {
                visit(r, c, static_cast<double>(loadBinary<T, Swap>(column + r * sizeof(T))));
            }
            step(column + r1 * sizeof(T), r1 - r0);
        }
    }
}

// Whether every value of the fourth column is a whole number within int, as a group is.
bool fourthColumnWhole(const NpyHeader& h, const ArrayView& a, const ByteSpan& bytes)
{
    bool whole = true;
    withBinaryType(h.type, h.swap, [&](auto value, auto swapped) {
        walk<decltype(value), decltype(swapped)::value>(a, bytes, 3, 4, false, [&](std::size_t, std::size_t, double v) {
            whole = whole && v >= -2147483648.0 && v <= 2147483647.0 && v == static_cast<double>(static_cast<long long>(v));
        });
    });
    return whole;
}

// The number of values of the array, checked against the bytes held after the header: the
// report line when the file cannot hold them (or no file could), else empty.
std::string sizeProblem(const char* name, const NpyHeader& h, const std::string& described, std::size_t held,
                        unsigned long long& values)
{
    values = 1;
    unsigned long long needed = 0;
    bool overflows = false;
    for (const unsigned long long d : h.shape) {
        overflows = overflows || __builtin_mul_overflow(values, d, &values);
    }
    overflows = overflows || __builtin_mul_overflow(values, static_cast<unsigned long long>(binarySize(h.type)), &needed);
    if (!overflows && needed <= held) {
        return std::string();
    }
    return fileByteError(name, h.dataOffset,
                         described + (overflows ? " holds more values than any file can"
                                                : formatLine(" needs %llu bytes of values, but the file holds %zu "
                                                             "after its header",
                                                             needed, held)) +
                             "; nothing is loaded");
}

}  // namespace

bool looksLikeNpy(const char* bytes, std::size_t size)
{
    return size >= kMagicBytes && std::memcmp(bytes, kMagic, kMagicBytes) == 0;
}

LoadResult readNpyBytes(const char* name, const ByteSpan& bytes)
{
    NpyHeader h;
    std::string head, error;
    if (!bytes.copy(0, kLongestHeader, head)) {
        return loadFailure(shortenedWhileRead(name));
    }
    if (!readHeader(name, head, static_cast<std::size_t>(bytes.end - bytes.begin), h, error)) {
        return loadFailure(error);
    }
    const std::vector<unsigned long long>& shape = h.shape;
    const std::string described = "the array of shape " + shapeText(shape);
    unsigned long long values = 0;
    const std::string unheld =
        sizeProblem(name, h, described, static_cast<std::size_t>(bytes.end - bytes.begin) - h.dataOffset, values);
    if (!unheld.empty()) {
        return loadFailure(unheld);
    }
    const bool threeD = shape.size() == 3;
    const std::size_t columns = shape.empty() ? 0 : static_cast<std::size_t>(shape.back());
    if ((shape.size() != 2 && !(threeD && (columns == 3 || columns == 4))) || values == 0) {
        return loadFailure(fileError(name, described + (values == 0 ? " holds no values" :
                                                        " is not read: N x 3 (or x 4 with groups) points, an H x W "
                                                        "matrix of heights or K x N x 3 sets of points are") +
                                               "; nothing is loaded"));
    }
    const std::size_t rows = static_cast<std::size_t>(values / columns);
    const ArrayView view{bytes.begin + h.dataOffset, rows, columns, h.fortran};
    bool withGroups = false;
    auto checkGroups = [&] { withGroups = columns == 4 && fourthColumnWhole(h, view, bytes); };
    if (!readGuarded(checkGroups)) {
        return loadFailure(shortenedWhileRead(name));
    }
    const bool matrix = !threeD && columns != 3 && !withGroups;
    const std::size_t sets = matrix ? rows : threeD ? static_cast<std::size_t>(shape[0]) : 1;
    const std::size_t perSet = matrix ? columns : threeD ? static_cast<std::size_t>(shape[1]) : rows;
    const std::size_t count = sets * perSet;
    if (!pointsLoadable(count, sizeof(Point3d) + (withGroups ? sizeof(int) : 0), count)) {
        return loadFailure(fileError(name, described + formatLine(" holds %zu points, more than can be loaded", count) +
                                               "; nothing is loaded"));
    }

    LoadResult result;
    DataSet& data = result.data;
    if (!allocateZeroed(data.coordArray, count, "", result) ||
        (withGroups && !allocateZeroed(data.groupArray, count, "", result))) {
        return loadFailure(fileError(name, formatLine("no memory for %zu points", count)));
    }
    resetBounds(result.rawBounds);
    const Placer placer{data.coordArray.data(), withGroups ? data.groupArray.data() : nullptr, &result.rawBounds, matrix,
                        sets, perSet, threeD && h.fortran};
    auto readValues = [&] {
        withBinaryType(h.type, h.swap, [&](auto value, auto swapped) {
            walk<decltype(value), decltype(swapped)::value>(view, bytes, 0, matrix ? columns : withGroups ? 4 : 3, true,
                                                            [&](std::size_t r, std::size_t c, double v) { placer.put(r, c, v); });
        });
    };
    if (!readGuarded(readValues)) {
        return loadFailure(shortenedWhileRead(name));
    }
    data.fnTrf.nx = static_cast<int>(sets);
    data.fnTrf.pointsPerSet = static_cast<int>(perSet);
    data.loadedFormat = static_cast<int>(withGroups ? DataFormat::Colored : DataFormat::Plain);
    result.normaliseCount = count;
    result.entriesRead = result.entriesExpected = count;
    result.rawBoundsBeforeNormalising = true;
    result.loaded = true;
    if (matrix) {
        reportColumns(result, "column", "row", "value");
    } else {
        reportColumns(result, "1", "2", "3", withGroups ? "4" : "");
    }
    return result;
}
