// Reader of a sampled surface written by Maple as a GRID structure: the x and y ranges, the
// index ranges of an Array, then one z value per grid node in row order.
#include "io/maple_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "core/data_set.h"
#include "io/file_buffer.h"
#include "io/load_limits.h"
#include "io/number_scan.h"
#include "io/reader_common.h"
#include "io/report_text.h"

namespace {

// The file arrives in pieces of at most 99 characters (a line, or part of a longer one), as a
// line buffer of 100 characters would hold them. A piece ends at a NUL byte, as a C string
// would, and at its first backslash, the mark of a line that continues: so a number broken
// across two lines joins up again.
class PieceReader {
public:
    PieceReader(const char* begin, const char* end) : next_(begin), end_(end) {}

    bool next(std::string_view& piece)
    {
        if (next_ == end_) {
            return false;
        }
        const std::size_t room = std::min<std::size_t>(kPieceLength, static_cast<std::size_t>(end_ - next_));
        const char* lineEnd = static_cast<const char*>(std::memchr(next_, '\n', room));
        const char* stop = lineEnd ? lineEnd + 1 : next_ + room;
        piece = std::string_view(next_, static_cast<std::size_t>(stop - next_));
        next_ = stop;
        for (const char mark : {'\0', '\\'}) {
            const std::size_t at = piece.find(mark);
            if (at != std::string_view::npos) {
                piece = piece.substr(0, at);
            }
        }
        return true;
    }

private:
    static constexpr std::size_t kPieceLength = 99;
    const char* next_;
    const char* end_;
};

bool matchChar(const char*& p, const char* end, char c)
{
    if (p == end || *p != c) {
        return false;
    }
    ++p;
    return true;
}

// "%lf .. %lf,%lf .. %lf" into a, b, c, d.
bool scanRanges(std::string_view text, double range[4])
{
    const char* p = text.data();
    const char* end = p + text.size();
    for (int r = 0; r < 4; r += 2) {
        if (r > 0 && !matchChar(p, end, ',')) {
            return false;
        }
        if (!scanDouble(p, end, range[r])) {
            return false;
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

// Lays the values out on the grid nodes, row by row, the second index varying fastest.
class GridFiller {
public:
    GridFiller(std::vector<Point3d>& nodes, const double range[4], const int index[4])
        : nodes_(nodes), a_(range[0]), c_(range[2]), i_(index[0]), j_(index[2]), j1_(index[2]), j2_(index[3])
    {
        // A single-index range puts every node at the start of that range.
        const long long iSpan = static_cast<long long>(index[1]) - index[0];
        const long long jSpan = static_cast<long long>(index[3]) - index[2];
        dx_ = iSpan == 0 ? 0.0 : (range[1] - range[0]) / static_cast<double>(iSpan);
        dy_ = jSpan == 0 ? 0.0 : (range[3] - range[2]) / static_cast<double>(jSpan);
        zMin_ = HUGE_VAL;
        zMax_ = -HUGE_VAL;
    }

    // Splits text at commas, brackets and line ends and stores one node per value.
    void take(const char* p, const char* end)
    {
        while (p != end) {
            while (p != end && isSeparator(*p)) {
                ++p;
            }
            if (p == end) {
                break;
            }
            // Most tokens are a plain decimal number up to the next separator.
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
            // Blanks are skipped in front of a number; a token of blanks alone holds no value.
            if (skipSpace(token, p) != p) {
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
    static bool isSeparator(char c) { return c == ',' || c == '[' || c == ']' || c == '\n'; }

    void store(double z, bool isNumber)
    {
        if (k_ == nodes_.size()) {
            ++surplus_;
            return;
        }
        numbers_ += isNumber;
        Point3d& node = nodes_[k_++];
        node.x = (static_cast<double>(i_) - 1.0) * dx_ + a_;
        node.y = (static_cast<double>(j_) - 1.0) * dy_ + c_;
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

    std::vector<Point3d>& nodes_;
    double a_, c_, dx_, dy_, zMin_, zMax_;
    long long i_, j_, j1_, j2_;
    std::size_t k_ = 0, numbers_ = 0, surplus_ = 0;
};

}  // namespace

LoadResult readMapleFile(const DataFile& source)
{
    const char* path = source.name;
    LoadResult result;
    FileBuffer file;
    if (!openReaderFile(source, file, result)) {
        return result;
    }
    PieceReader pieces(file.begin(), file.end());
    std::string_view piece;
    pieces.next(piece);

    const std::size_t grid = piece.find("GRID(");
    if (grid == std::string_view::npos) {
        return loadFailure(formatLine("File %s holds no Maple GRID structure: no \"GRID(\" in its first line", path));
    }
    const std::size_t array = piece.find("Array", grid + 5);
    const std::size_t open = array == std::string_view::npos ? array : piece.find("[[", array + 5);
    if (open == std::string_view::npos) {
        return loadFailure(
            formatLine("File %s: the first line of the GRID lacks \"Array\" or \"[[\"; nothing is loaded", path));
    }
    double range[4];
    if (!scanRanges(piece.substr(grid + 5, array - (grid + 5)), range)) {
        return loadFailure(formatLine("File %s: the x and y ranges of the GRID do not scan; nothing is loaded", path));
    }
    int index[4];
    if (!scanIndexRanges(piece.substr(std::min(array + 6, piece.size())), index)) {
        return loadFailure(formatLine("File %s: the index ranges of the GRID do not scan; nothing is loaded", path));
    }
    const long long rows = static_cast<long long>(index[1]) - index[0] + 1;
    const long long columns = static_cast<long long>(index[3]) - index[2] + 1;
    if (rows <= 0 || columns <= 0) {
        return loadFailure(formatLine("File %s: the index ranges %d..%d,%d..%d hold no grid node; nothing is loaded",
                                      path, index[0], index[1], index[2], index[3]));
    }
    if (!dimensionsLoadable(path, rows, columns, sizeof(Point3d), result.error)) {
        return result;
    }

    std::vector<Point3d>& nodes = result.data.coordArray;
    if (!allocateZeroed(nodes, static_cast<std::size_t>(rows * columns), "Can't allocate space for coordinate array",
                        result)) {
        nodes = std::vector<Point3d>();
        return result;
    }
    GridFiller filler(nodes, range, index);

    // The values run from "[[" to the first piece holding "]]". Each piece is split at its last
    // comma: the text before it completes the carried text, the text after it may be the first
    // half of a number and is carried on to the next piece.
    std::string joined;
    std::string carried(piece.substr(open + 2));
    std::size_t close = carried.find("]]");
    bool closed = close != std::string::npos;
    if (closed) {
        filler.take(carried.data(), carried.data() + close);
    }
    while (!closed) {
        if (!pieces.next(piece)) {
            return loadFailure(
                formatLine("File %s ends before the closing \"]]\" of the grid values; nothing is loaded", path));
        }
        close = piece.find("]]");
        closed = close != std::string_view::npos;
        const std::size_t cut = closed ? close : piece.rfind(',');
        if (cut == std::string_view::npos) {
            carried.append(piece);  // no comma: the whole piece continues the carried text
            continue;
        }
        joined.assign(carried);
        joined.append(piece.substr(0, cut));
        filler.take(joined.data(), joined.data() + joined.size());
        if (!closed) {
            carried.assign(piece.substr(cut + 1));
        }
    }

    const std::size_t count = nodes.size();
    warnShortRead(path, filler.numbers(), count, "grid values", result);
    if (filler.surplus() > 0) {
        result.warnings.push_back(formatLine("File %s holds %zu values beyond its %zu grid nodes; they are ignored",
                                             path, filler.surplus(), count));
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
