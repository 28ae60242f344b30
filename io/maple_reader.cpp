// Reader of a sampled surface written for Maple as a GRID structure. Two forms are read:
//   GRID(a .. b,c .. d,Array(i1..i2,j1..j2,[[z,z,...],[...]])), the sizes from the index ranges;
//   GRID(a..b,c..d,[[z,\n z,\n ...],\n[...]]) (often inside PLOT3D( or INTERFACE_PLOT3D( ), the
//   sizes from the lists themselves, whose rows must be of one length.
// A line is cut at its first backslash, the mark of a line that goes on: the backslash, the rest
// of the line and its line end are dropped, so a number broken across two lines joins up again.
//
// Sections: the joined text and its line numbers; the scanners of the ranges; the grid filler
// (shared by both forms); the row measure of the list form; the reader.
#include "io/maple_reader.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/data_set.h"
#include "io/load_limits.h"
#include "io/number_scan.h"
#include "io/reader_common.h"
#include "io/report_text.h"
#include "io/text_lines.h"

namespace {

// ---- The joined text: lines cut at their first backslash (or NUL, where a C string would
// end) and joined to the next; for report lines, the file's line of each place in it ----

class JoinedText {
public:
    JoinedText(const char* begin, const char* end)
    {
        const bool cutsLines = std::memchr(begin, '\\', static_cast<std::size_t>(end - begin)) != nullptr ||
                               std::memchr(begin, '\0', static_cast<std::size_t>(end - begin)) != nullptr;
        if (!cutsLines) {
            text_ = std::string_view(begin, static_cast<std::size_t>(end - begin));
            return;
        }
        joined_.reserve(static_cast<std::size_t>(end - begin));
        for (const char* line = begin; line != end;) {
            const char* lineEnd = static_cast<const char*>(std::memchr(line, '\n', static_cast<std::size_t>(end - line)));
            const char* next = lineEnd ? lineEnd + 1 : end;
            const char* cut = line;
            while (cut != next && *cut != '\\' && *cut != '\0') {
                ++cut;
            }
            if (cut != next) {
                joined_.append(line, cut);
                joins_.push_back(joined_.size());
            } else {
                joined_.append(line, next);
            }
            line = next;
        }
        text_ = joined_;
    }

    std::string_view text() const { return text_; }

    // The file's line of the character at offset: the line ends before it and the joins at or
    // before it (each join stands for a line end that was dropped).
    long long lineOf(std::size_t offset) const
    {
        const std::size_t at = std::min(offset, text_.size());
        const long long ends = static_cast<long long>(std::count(text_.begin(), text_.begin() + at, '\n'));
        const long long joins = std::upper_bound(joins_.begin(), joins_.end(), at) - joins_.begin();
        return 1 + ends + joins;
    }

private:
    std::string joined_;
    std::vector<std::size_t> joins_;
    std::string_view text_;
};

// ---- The scanners of the ranges ----

bool matchChar(const char*& p, const char* end, char c)
{
    if (p == end || *p != c) {
        return false;
    }
    ++p;
    return true;
}

// "%lf .. %lf,%lf .. %lf" into a, b, c, d. A whole number written right before the dots
// ("0..1") would take the first dot as its decimal point; that dot is given back to the "..".
bool scanRanges(std::string_view text, double range[4])
{
    const char* p = text.data();
    const char* end = p + text.size();
    for (int r = 0; r < 4; r += 2) {
        if (r > 0 && !matchChar(p, end, ',')) {
            return false;
        }
        const char* start = skipSpace(p, end);
        if (!scanDouble(p, end, range[r])) {
            return false;
        }
        if (p - start >= 2 && p[-1] == '.' && p != end && *p == '.') {
            --p;
        }
        p = skipSpace(p, end);
        if (!matchChar(p, end, '.') || !matchChar(p, end, '.')) {
            return false;
        }
        p = skipSpace(p, end);
        if (!scanDouble(p, end, range[r + 1])) {
            return false;
        }
    }
    return true;
}

// "%d..%d,%d..%d" into i1, i2, j1, j2.
bool scanIndexRanges(std::string_view text, int index[4])
{
    const char* p = text.data();
    const char* end = p + text.size();
    for (int r = 0; r < 4; r += 2) {
        if (r > 0 && !matchChar(p, end, ',')) {
            return false;
        }
        if (!scanInt(p, end, index[r]) || !matchChar(p, end, '.') || !matchChar(p, end, '.') ||
            !scanInt(p, end, index[r + 1])) {
            return false;
        }
    }
    return true;
}

// ---- The grid filler: lays the values out on the grid nodes, row by row, the second index
// varying fastest. Commas, brackets and line ends separate values; blanks are skipped in front
// of a number, and a piece of blanks alone holds no value. ----

bool isSeparator(char c)
{
    return c == ',' || c == '[' || c == ']' || c == '\n' || c == '\r';
}

// A piece between separators that holds a value (not blanks alone).
bool holdsValue(const char* token, const char* stop)
{
    return skipSpace(token, stop) != stop;
}

class GridFiller {
public:
    GridFiller(std::vector<Point3d>& nodes, const double range[4], const int index[4])
        : nodes_(nodes), x_(range[0], range[1], index[0], index[1]), y_(range[2], range[3], index[2], index[3]),
          i_(index[0]), j_(index[2]), j1_(index[2]), j2_(index[3])
    {
        zMin_ = HUGE_VAL;
        zMax_ = -HUGE_VAL;
    }

    // Splits text at the separators and stores one node per value.
    void take(const char* p, const char* end)
    {
        while (p != end) {
            while (p != end && isSeparator(*p)) {
                ++p;
            }
            if (p == end) {
                break;
            }
            // Most pieces are a plain decimal number up to the next separator.
            double z;
            const char* stop = numberScanDetail::quickDecimal(p, end, z);
            if (stop != nullptr && (stop == end || isSeparator(*stop))) {
                store(z, true);
                p = stop;
                continue;
            }
            const char* token = p;
            while (p != end && !isSeparator(*p)) {
                ++p;
            }
            if (holdsValue(token, p)) {
                const bool isNumber = leadingDouble(token, p, z);
                store(z, isNumber);
            }
        }
    }

    std::size_t stored() const { return k_; }
    std::size_t numbers() const { return numbers_; }
    std::size_t surplus() const { return surplus_; }
    double zMin() const { return zMin_; }
    double zMax() const { return zMax_; }

private:
    void store(double z, bool isNumber)
    {
        if (k_ == nodes_.size()) {
            ++surplus_;
            return;
        }
        numbers_ += isNumber;
        Point3d& node = nodes_[k_++];
        node.x = x_.at(i_);
        node.y = y_.at(j_);
        node.z = z;
        // The strict bounds rule; infinities take no part, as in includeInBounds.
        if (z < zMin_ && z != -HUGE_VAL) {
            zMin_ = z;
        }
        if (z > zMax_ && z != HUGE_VAL) {
            zMax_ = z;
        }
        if (++j_ > j2_) {
            ++i_;
            j_ = j1_;
        }
    }

    // Where the nodes of one index range lie: the first at the range's start, the last at its
    // end, evenly between (counted from the first index, so that a range not starting at 1
    // still spans the declared range). A single-index range puts every node at the start.
    class Axis {
    public:
        Axis(double from, double to, int first, int last) : from_(from), to_(to), first_(first)
        {
            span_ = static_cast<double>(static_cast<long long>(last) - first);
            step_ = span_ == 0.0 ? 0.0 : (to - from) / span_;
        }
        double at(long long index) const
        {
            const double steps = static_cast<double>(index - first_);
            if (std::isfinite(step_)) {
                return steps * step_ + from_;
            }
            // A range wider than the largest double: between the ends without their difference.
            const double t = steps / span_;
            return from_ * (1.0 - t) + to_ * t;
        }

    private:
        double from_, to_, span_, step_;
        long long first_;
    };

    std::vector<Point3d>& nodes_;
    Axis x_, y_;
    double zMin_, zMax_;
    long long i_, j_, j1_, j2_;
    std::size_t k_ = 0, numbers_ = 0, surplus_ = 0;
};

// ---- The list form: the rows counted from their brackets, all of one length ----

struct RowMeasure {
    std::size_t rows = 0;
    std::size_t columns = 0;
    bool ok = false;
    std::size_t badAt = 0;  // where the refusal points, as an offset into the values
    std::string reason;
};

// values: the text after "[[" up to and including the first ']' of the closing "]]".
RowMeasure measureRows(std::string_view values)
{
    RowMeasure m;
    const char* begin = values.data();
    const char* end = begin + values.size();
    bool inRow = true;
    std::size_t row = 1, count = 0;
    auto refuse = [&](const char* at, std::string reason) {
        m.badAt = static_cast<std::size_t>(at - begin);
        m.reason = std::move(reason);
        return m;
    };
    for (const char* p = begin; p != end;) {
        const char c = *p;
        if (c == '[') {
            if (inRow) {
                return refuse(p, formatLine("row %zu: a \"[\" inside a row", row));
            }
            inRow = true;
            ++row;
            count = 0;
            ++p;
        } else if (c == ']') {
            if (!inRow) {
                return refuse(p, formatLine("a \"]\" after row %zu with no row to close", row));
            }
            if (count == 0) {
                return refuse(p, formatLine("row %zu holds no values", row));
            }
            if (row == 1) {
                m.columns = count;
            } else if (count != m.columns) {
                return refuse(p, formatLine("row %zu has %zu values where row 1 has %zu", row, count, m.columns));
            }
            inRow = false;
            ++p;
        } else if (isSeparator(c)) {
            ++p;
        } else {
            const char* token = p;
            while (p != end && !isSeparator(*p)) {
                ++p;
            }
            if (!holdsValue(token, p)) {
                continue;
            }
            if (!inRow) {
                return refuse(token, formatLine("a value outside the brackets of the rows, after row %zu", row));
            }
            ++count;
        }
    }
    m.rows = row;
    m.ok = true;
    return m;
}

// ---- The reader ----

std::string_view firstContentLine(std::string_view text, std::size_t& start)
{
    start = 0;
    for (;;) {
        const std::size_t lineEnd = text.find('\n', start);
        const std::string_view line = text.substr(start, lineEnd == std::string_view::npos ? lineEnd : lineEnd - start);
        const char* p = line.data();
        if (skipSpace(p, p + line.size()) != p + line.size() || lineEnd == std::string_view::npos) {
            return line;
        }
        start = lineEnd + 1;
    }
}

}  // namespace

LoadResult readMapleFile(const DataFile& source)
{
    return readTextFile(source, readMapleText);
}

LoadResult readMapleText(const char* name, const char* begin, const char* end)
{
    const JoinedText joined(begin, end);
    const std::string_view text = joined.text();
    auto refuse = [&](std::size_t at, const std::string& reason) {
        return loadFailure(fileLineError(name, joined.lineOf(at), reason + "; nothing is loaded"));
    };

    std::size_t lineStart = 0;
    const std::string_view first = firstContentLine(text, lineStart);
    const std::size_t gridInLine = first.find("GRID(");
    if (gridInLine == std::string_view::npos) {
        return loadFailure(formatLine("File %s holds no Maple GRID structure: no \"GRID(\" in its first line", name));
    }
    const std::size_t grid = lineStart + gridInLine;
    const std::size_t open = text.find("[[", grid + 5);
    if (open == std::string_view::npos) {
        return refuse(grid, "the GRID has no \"[[\" before its values");
    }
    const std::size_t array = text.substr(0, open).find("Array", grid + 5);
    const bool listForm = array == std::string_view::npos;
    double range[4];
    if (!scanRanges(text.substr(grid + 5, (listForm ? open : array) - (grid + 5)), range)) {
        return refuse(grid, "the x and y ranges of the GRID do not scan");
    }
    const std::size_t close = text.find("]]", open + 2);
    if (close == std::string_view::npos) {
        return loadFailure(
            formatLine("File %s ends before the closing \"]]\" of the grid values; nothing is loaded", name));
    }
    const std::string_view values = text.substr(open + 2, close - (open + 2));

    int index[4];
    if (listForm) {
        const RowMeasure rows = measureRows(text.substr(open + 2, close + 1 - (open + 2)));
        if (!rows.ok) {
            return refuse(open + 2 + rows.badAt, rows.reason);
        }
        if (rows.rows > static_cast<std::size_t>(INT_MAX) || rows.columns > static_cast<std::size_t>(INT_MAX)) {
            return refuse(open, "the grid has too many rows or values to load");
        }
        index[0] = 1;
        index[1] = static_cast<int>(rows.rows);
        index[2] = 1;
        index[3] = static_cast<int>(rows.columns);
    } else if (!scanIndexRanges(text.substr(array + 6, open - std::min(open, array + 6)), index)) {
        return refuse(array, "the index ranges of the GRID do not scan");
    }
    const long long rows = static_cast<long long>(index[1]) - index[0] + 1;
    const long long columns = static_cast<long long>(index[3]) - index[2] + 1;
    if (rows <= 0 || columns <= 0) {
        return refuse(array, formatLine("the index ranges %d..%d,%d..%d hold no grid node", index[0], index[1],
                                        index[2], index[3]));
    }
    LoadResult result;
    if (!dimensionsLoadable(name, joined.lineOf(listForm ? open : array), rows, columns, sizeof(Point3d), 1,
                            values.size(), result.error)) {
        return result;
    }

    std::vector<Point3d>& nodes = result.data.coordArray;
    if (!allocateZeroed(nodes, static_cast<std::size_t>(rows * columns), "Can't allocate space for coordinate array",
                        result)) {
        nodes = std::vector<Point3d>();
        return result;
    }
    GridFiller filler(nodes, range, index);
    filler.take(values.data(), values.data() + values.size());

    const std::size_t count = nodes.size();
    warnShortRead(name, filler.numbers(), count, "grid values", result);
    if (filler.surplus() > 0) {
        result.warnings.push_back(formatLine("File %s holds %zu values beyond its %zu grid nodes; they are ignored",
                                             name, filler.surplus(), count));
    }

    // The x and y bounds are the declared ranges, taken in ascending order; z follows the values.
    Bounds& raw = result.rawBounds;
    raw.min[0] = std::min(range[0], range[1]);
    raw.min[1] = std::min(range[2], range[3]);
    raw.min[2] = filler.zMin();
    raw.max[0] = std::max(range[0], range[1]);
    raw.max[1] = std::max(range[2], range[3]);
    raw.max[2] = filler.zMax();
    result.normaliseCount = filler.stored();
    result.data.fnTrf.nx = static_cast<int>(rows);
    result.data.fnTrf.pointsPerSet = static_cast<int>(columns);
    result.data.loadedFormat = static_cast<int>(DataFormat::Maple);
    result.rawBoundsBeforeNormalising = true;
    result.loaded = true;
    return result;
}
