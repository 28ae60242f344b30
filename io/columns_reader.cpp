// Reader of delimited text columns. Two passes over the file in memory: the first counts sets
// and rows (so the arrays are allocated once, at their final size), the second reads the rows.
//
// Sections: the choice of columns (by options, by header names, the default group column);
// the first pass (SetShape, measureSets); the second pass (RowReader: the quick path for
// common rows, the general path with its report lines, the padding of short sets); the two
// entry points at the end.
#include "io/columns_reader.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "core/modes.h"
#include "io/delimited_fields.h"
#include "io/load_limits.h"
#include "io/reader_common.h"
#include "io/text_lines.h"

namespace {

enum Role { kX = 0, kY = 1, kZ = 2, kGroup = 3 };
constexpr unsigned kCoordinateRoles = (1u << kX) | (1u << kY) | (1u << kZ);
constexpr std::size_t kNoColumn = std::numeric_limits<std::size_t>::max();
// Column numbers beyond this are refused before any row is read.
constexpr std::size_t kHighestColumn = 1000000;
constexpr int kGroupSampleRows = 20;

// The 0-based column of each role; kNoColumn for a data set without groups.
struct ColumnChoice {
    std::size_t column[4] = {0, 1, 2, kNoColumn};
    bool chosen = false;      // by the options rather than by default
    bool textGroups = false;  // the group column holds text: each distinct value is a group

    std::size_t needed() const
    {
        std::size_t n = 0;
        for (const std::size_t c : column) {
            if (c != kNoColumn) {
                n = std::max(n, c + 1);
            }
        }
        return n;
    }
    bool hasGroup() const { return column[kGroup] != kNoColumn; }
    unsigned rolesOf(std::size_t field) const
    {
        return (column[kX] == field ? 1u << kX : 0u) | (column[kY] == field ? 1u << kY : 0u) |
               (column[kZ] == field ? 1u << kZ : 0u) | (column[kGroup] == field ? 1u << kGroup : 0u);
    }
};

bool sameText(const Field& field, const Field& other)
{
    const std::size_t length = static_cast<std::size_t>(field.end - field.begin);
    return length == static_cast<std::size_t>(other.end - other.begin) &&
           std::memcmp(field.begin, other.begin, length) == 0;
}

// The column the header names name in; an exact match first, else one that differs only in case.
std::size_t columnNamed(const TableLayout& layout, const Field& name)
{
    for (const bool exact : {true, false}) {
        FieldCursor header(layout.headerBegin, layout.headerEnd, layout.separator);
        Field field;
        for (std::size_t column = 0; header.next(field); ++column) {
            if (exact ? sameText(field, name) : equalsIgnoringCase(field, name.begin, name.end)) {
                return column;
            }
        }
    }
    return kNoColumn;
}

std::string headerNames(const TableLayout& layout)
{
    constexpr std::size_t kShown = 12;
    FieldCursor header(layout.headerBegin, layout.headerEnd, layout.separator);
    Field field;
    std::string names;
    std::size_t count = 0;
    while (header.next(field)) {
        if (count++ == kShown) {
            names += ", ...";
            break;
        }
        names += (count > 1 ? ", " : "") + quotedExcerpt(field.begin, field.end);
    }
    return names;
}

// The header's name of a column; false without a header or a name there.
bool headerField(const TableLayout& layout, std::size_t column, Field& field)
{
    if (!layout.hasHeader) {
        return false;
    }
    FieldCursor header(layout.headerBegin, layout.headerEnd, layout.separator);
    for (std::size_t k = 0; header.next(field); ++k) {
        if (k == column) {
            return true;
        }
    }
    return false;
}

// " (\"name\")" for a column the header names, for report lines; empty without a header.
std::string nameOfColumn(const TableLayout& layout, std::size_t column)
{
    Field field;
    return headerField(layout, column, field) ? " (" + quotedExcerpt(field.begin, field.end) + ")" : std::string();
}

// What the report calls a column: its name in the header, else its number from 1.
std::string columnTitle(const TableLayout& layout, std::size_t column)
{
    Field field;
    return headerField(layout, column, field) ? std::string(field.begin, field.end) : std::to_string(column + 1);
}

// The header's name of a column as a title for its axis: control characters shown as '?',
// a long name cut short on a character's boundary; empty without a header.
std::string titleOfColumn(const TableLayout& layout, std::size_t column)
{
    constexpr std::size_t kLongestTitle = 48;
    Field field;
    if (!headerField(layout, column, field)) {
        return std::string();
    }
    std::string title(field.begin, field.end);
    if (title.size() > kLongestTitle) {
        std::size_t cut = kLongestTitle;
        while (cut > 0 && (static_cast<unsigned char>(title[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        title = title.substr(0, cut) + "...";
    }
    for (char& c : title) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            c = '?';
        }
    }
    return title;
}

bool allDigits(const Field& field)
{
    if (field.begin == field.end) {
        return false;
    }
    for (const char* p = field.begin; p != field.end; ++p) {
        if (!numberScanDetail::isDigit(*p)) {
            return false;
        }
    }
    return true;
}

// The columns the options choose; false with the report line in error.
bool chooseColumns(const char* path, const std::string& text, const TableLayout& layout, ColumnChoice& choice,
                   std::string& error)
{
    FieldCursor entries(text.data(), text.data() + text.size(), Separator::Comma);
    Field entry;
    std::size_t count = 0;
    while (entries.next(entry)) {
        if (count == 4) {
            count = 5;
            break;
        }
        std::size_t column = kNoColumn;
        if (entry.begin == entry.end) {
            error = fileError(path, "the column choice \"" + text + "\" has an empty entry");
            return false;
        }
        if (!entry.quoted && allDigits(entry)) {
            const std::size_t digits = static_cast<std::size_t>(entry.end - entry.begin);
            std::size_t number = 0;
            for (const char* p = entry.begin; p != entry.end && digits <= 7; ++p) {
                number = number * 10 + static_cast<std::size_t>(*p - '0');
            }
            if (number == 0 || digits > 7 || number > kHighestColumn) {
                error = fileError(path, "there is no column " + std::string(entry.begin, entry.end) +
                                            "; columns are numbered from 1");
                return false;
            }
            column = number - 1;
        } else if (!layout.hasHeader) {
            error = fileError(path, "column " + quotedExcerpt(entry.begin, entry.end) +
                                        " is chosen by name, but the file has no header line of names");
            return false;
        } else {
            column = columnNamed(layout, entry);
            if (column == kNoColumn) {
                error = fileError(path, "no column is named " + quotedExcerpt(entry.begin, entry.end) +
                                            "; the header names " + headerNames(layout));
                return false;
            }
        }
        choice.column[count++] = column;
    }
    if (count != 3 && count != 4) {
        error = fileError(path, "the column choice \"" + text + "\" needs 3 entries (x,y,z) or 4 (x,y,z,group)");
        return false;
    }
    choice.chosen = true;
    return true;
}

// What the first rows hold in a column that may give the groups: whole numbers (the data
// values), text (any value that is not a number), or neither (other numbers, or no such
// column in the first row). A row too short for it is refused later, naming its line.
enum class GroupValues { None, Whole, Text };

GroupValues groupValuesIn(const TableLayout& layout, const char* end, std::size_t column)
{
    LineWalker lines(layout.rowsBegin, end, layout.rowsFirstLine);
    int rows = 0;
    bool text = false, fractional = false;
    while (rows < kGroupSampleRows && lines.next()) {
        if (lines.kind() != LineKind::Content) {
            continue;
        }
        FieldCursor cursor(lines.begin(), lines.end(), layout.separator);
        Field field;
        std::size_t k = 0;
        while (k <= column && cursor.next(field)) {
            ++k;
        }
        if (k <= column && rows == 0) {
            return GroupValues::None;
        }
        int group;
        double value;
        if (k > column && !wholeNumberField(field, group)) {
            const bool number = numberField(field, value, layout.decimalComma);
            text = text || !number;
            fractional = fractional || number;
        }
        ++rows;
    }
    return text ? GroupValues::Text : (fractional || rows == 0) ? GroupValues::None : GroupValues::Whole;
}

// The groups of a column of text, numbered from 0 in the order their values first appear.
class TextGroups {
public:
    int number(const Field& field)
    {
        const std::string_view value(field.begin, static_cast<std::size_t>(field.end - field.begin));
        const auto found = numbers_.find(value);
        if (found != numbers_.end()) {
            return found->second;
        }
        const int next = static_cast<int>(names_.size());
        names_.emplace_back(value);
        numbers_.emplace(value, next);
        return next;
    }

    std::vector<std::string> names() { return std::move(names_); }

private:
    // The keys point into the text being read, which outlives the reading.
    std::unordered_map<std::string_view, int> numbers_;
    std::vector<std::string> names_;
};

// How the rows fall into sets: one or more blank lines end a set; comment lines do not.
struct SetShape {
    std::size_t sets = 0;
    std::size_t rows = 0;
    std::size_t longest = 0;
    std::size_t shortest = 0;
};

SetShape measureSets(const TableLayout& layout, const char* end)
{
    SetShape shape;
    std::size_t length = 0;
    auto closeSet = [&] {
        shape.shortest = shape.sets == 0 ? length : std::min(shape.shortest, length);
        shape.longest = std::max(shape.longest, length);
        ++shape.sets;
        length = 0;
    };
    LineWalker lines(layout.rowsBegin, end, layout.rowsFirstLine);
    while (lines.next()) {
        switch (lines.kind()) {
        case LineKind::Content:
            ++length;
            ++shape.rows;
            break;
        case LineKind::Blank:
            if (length > 0) {
                closeSet();
            }
            break;
        case LineKind::Comment:
            break;
        }
    }
    if (length > 0) {
        closeSet();
    }
    return shape;
}

// The second pass: reads the rows in file order and appends them, each set padded to the
// longest as it ends, to arrays reserved at their final size.
class RowReader {
public:
    RowReader(const char* path, const TableLayout& layout, const ColumnChoice& choice, LoadResult& result)
        : path_(path), layout_(layout), choice_(choice), result_(result), needed_(choice.needed()),
          separator_(static_cast<char>(layout.separator)), blanks_(layout.separator == Separator::Blanks)
    {
    }

    // False with result_.error set when a row is refused.
    bool readRows(const char* end, std::size_t longest)
    {
        std::vector<Point3d>& points = result_.data.coordArray;
        std::vector<int>* groups = choice_.hasGroup() ? &result_.data.groupArray : nullptr;
        resetBounds(result_.rawBounds);
        std::size_t filled = 0;
        long long number = layout_.rowsFirstLine;
        const char* p = layout_.rowsBegin;
        for (; p != end; ++number) {
            Point3d point;
            int group = 0;
            const char* next = nullptr;
            if (referenceLine_ == 0 || !quickRow(p, end, point, group, next)) {
                LineWalker line(p, end, number);
                line.next();
                next = line.rest();
                const LineKind kind = line.kind();
                if (kind != LineKind::Content) {
                    if (kind == LineKind::Blank && filled > 0) {
                        endSet(filled, longest);
                        filled = 0;
                    }
                    p = next;
                    continue;
                }
                if (!readRow(line, point, group)) {
                    return false;
                }
            }
            points.push_back(point);
            includeInBounds(result_.rawBounds, point);
            if (groups != nullptr) {
                groups->push_back(group);
            }
            ++filled;
            p = next;
        }
        if (filled > 0) {
            endSet(filled, longest);
        }
        return true;
    }

    std::size_t paddedSets() const { return paddedSets_; }
    std::vector<std::string> groupNames() { return textGroups_.names(); }

private:
    // Repeats the last point of a set (and its group) up to the common length.
    void endSet(std::size_t filled, std::size_t length)
    {
        if (filled == length) {
            return;
        }
        ++paddedSets_;
        std::vector<Point3d>& points = result_.data.coordArray;
        std::vector<int>& groups = result_.data.groupArray;
        const Point3d last = points.back();
        points.insert(points.end(), length - filled, last);
        if (choice_.hasGroup()) {
            const int group = groups.back();
            groups.insert(groups.end(), length - filled, group);
        }
    }

    bool inlineBlank(char c) const { return c == ' ' || (c == '\t' && separator_ != '\t'); }

    const char* skipInlineBlanks(const char* p, const char* end) const
    {
        while (p != end && inlineBlank(*p)) {
            ++p;
        }
        return p;
    }

    // A whole number of up to nine digits, as wholeNumberField reads it; nullptr otherwise.
    static const char* quickWhole(const char* p, const char* end, int& value)
    {
        const bool negative = *p == '-';
        const char* digits = p + negative;
        const char* q = digits;
        int magnitude = 0;
        while (q != end && numberScanDetail::isDigit(*q) && q - digits < 9) {
            magnitude = magnitude * 10 + (*q - '0');
            ++q;
        }
        if (q == digits) {
            return nullptr;
        }
        value = negative ? -magnitude : magnitude;
        return q;
    }

    // The common row read in one pass from its first byte: as many fields as the first row,
    // each a plain decimal (the group a short whole number), unquoted, and nothing else on the
    // line. Anything else, and blank and comment lines, give false and take the general path,
    // which reads the same rows to the same values.
    bool quickRow(const char* p, const char* end, Point3d& point, int& group, const char*& next) const
    {
        double xyz[3] = {0.0, 0.0, 0.0};
        for (std::size_t field = 0; field < referenceFields_; ++field) {
            p = skipInlineBlanks(p, end);
            if (p == end) {
                return false;
            }
            const unsigned roles = choice_.rolesOf(field);
            const char* stop = nullptr;
            if (roles == (1u << kGroup)) {
                stop = choice_.textGroups ? nullptr : quickWhole(p, end, group);
            } else if ((roles & (1u << kGroup)) == 0) {
                // Columns not chosen are read too: a row of numbers stays on this path.
                double value = 0.0;
                stop = numberScanDetail::quickDecimal(p, end, value);
                for (int axis = 0; axis < 3; ++axis) {
                    if (roles & (1u << axis)) {
                        xyz[axis] = value;
                    }
                }
            }
            if (stop == nullptr) {
                return false;
            }
            p = stop;
            if (blanks_) {
                if (p != end && !inlineBlank(*p) && *p != '\r' && *p != '\n') {
                    return false;
                }
            } else if (field + 1 < referenceFields_) {
                p = skipInlineBlanks(p, end);
                if (p == end || *p != separator_) {
                    return false;
                }
                ++p;
            }
        }
        while (p != end && (inlineBlank(*p) || *p == '\r')) {
            ++p;
        }
        if (p != end && *p != '\n') {
            return false;
        }
        next = p == end ? end : p + 1;
        point = Point3d{xyz[0], xyz[1], xyz[2]};
        return true;
    }

    bool refuse(const LineWalker& line, const std::string& reason)
    {
        result_.error = fileLineError(path_, line.number(), reason);
        return false;
    }

    bool readRow(const LineWalker& line, Point3d& point, int& group)
    {
        FieldCursor cursor(line.begin(), line.end(), layout_.separator);
        Field field;
        double xyz[3] = {0.0, 0.0, 0.0};
        std::size_t fields = 0;
        for (;; ++fields) {
            const unsigned roles = fields < needed_ ? choice_.rolesOf(fields) : 0u;
            if (roles & kCoordinateRoles) {
                double value;
                bool isNumber;
                if (!cursor.nextNumber(field, value, isNumber, layout_.decimalComma)) {
                    break;
                }
                if (!isNumber) {
                    if (cursor.unclosedQuote()) {
                        return refuse(line, "a quoted field is not closed");
                    }
                    return refuse(line, formatLine("column %zu", fields + 1) + nameOfColumn(layout_, fields) +
                                            " is not a number: " + quotedExcerpt(field.begin, field.end));
                }
                for (int axis = 0; axis < 3; ++axis) {
                    if (roles & (1u << axis)) {
                        xyz[axis] = value;
                    }
                }
            } else if (!cursor.next(field)) {
                break;
            }
            if ((roles & (1u << kGroup)) && choice_.textGroups) {
                group = textGroups_.number(field);
            } else if ((roles & (1u << kGroup)) && !wholeNumberField(field, group)) {
                if (cursor.unclosedQuote()) {
                    return refuse(line, "a quoted field is not closed");
                }
                return refuse(line, "group " + quotedExcerpt(field.begin, field.end) +
                                        formatLine(" in column %zu is not a whole number", fields + 1));
            }
        }
        if (cursor.unclosedQuote()) {
            return refuse(line, "a quoted field is not closed");
        }
        if (fields < needed_) {
            return refuse(line, formatLine("expected %zu %s, found %zu", needed_,
                                           choice_.chosen ? "fields" : "numbers", fields));
        }
        if (referenceLine_ == 0) {
            referenceLine_ = line.number();
            referenceFields_ = fields;
        } else if (fields != referenceFields_) {
            return refuse(line, formatLine("%zu fields where line %lld has %zu", fields, referenceLine_,
                                           referenceFields_));
        }
        point = Point3d{xyz[0], xyz[1], xyz[2]};
        return true;
    }

    const char* path_;
    const TableLayout& layout_;
    const ColumnChoice& choice_;
    LoadResult& result_;
    std::size_t needed_;
    char separator_;
    bool blanks_;
    long long referenceLine_ = 0;
    std::size_t referenceFields_ = 0;
    std::size_t paddedSets_ = 0;
    TextGroups textGroups_;
};

}  // namespace

LoadResult readColumnsFile(const DataFile& source, const ColumnsOptions& options)
{
    return readTextFile(source, [&](const char* name, const char* begin, const char* end) {
        return readColumnsText(name, begin, end, options);
    });
}

LoadResult readColumnsText(const char* path, const char* begin, const char* end, const ColumnsOptions& options)
{
    const TableLayout layout = sniffTable(skipByteOrderMark(begin, end), end);
    if (!layout.hasContent) {
        return loadFailure(fileError(path, "holds no data rows, only blank and comment lines"));
    }
    ColumnChoice choice;
    std::string error;
    if (!options.columns.empty()) {
        if (!chooseColumns(path, options.columns, layout, choice, error)) {
            return loadFailure(error);
        }
        choice.textGroups = choice.hasGroup() && groupValuesIn(layout, end, choice.column[kGroup]) == GroupValues::Text;
    } else {
        const GroupValues fourth = groupValuesIn(layout, end, 3);
        choice.column[kGroup] = fourth == GroupValues::None ? kNoColumn : 3;
        choice.textGroups = fourth == GroupValues::Text;
    }

    const SetShape shape = measureSets(layout, end);
    if (shape.rows == 0) {
        return loadFailure(fileError(path, "has a header line but no data rows"));
    }
    const std::size_t bytesPerPoint = sizeof(Point3d) + (choice.hasGroup() ? sizeof(int) : 0);
    const bool countsFit =
        shape.sets <= static_cast<std::size_t>(std::numeric_limits<int>::max()) / shape.longest;
    if (!countsFit || !pointsLoadable(shape.sets * shape.longest, bytesPerPoint, shape.rows)) {
        return loadFailure(fileError(
            path, formatLine("%zu sets of up to %zu points are too many to load", shape.sets, shape.longest)));
    }
    const std::size_t count = shape.sets * shape.longest;

    LoadResult result;
    if (!reserveExactly(result.data.coordArray, count) ||
        (choice.hasGroup() && !reserveExactly(result.data.groupArray, count))) {
        return loadFailure(fileError(path, formatLine("no memory for %zu points", count)));
    }
    RowReader reader(path, layout, choice, result);
    if (!reader.readRows(end, shape.longest)) {
        return loadFailure(result.error);
    }
    if (reader.paddedSets() > 0) {
        const bool one = reader.paddedSets() == 1;
        result.warnings.push_back(fileError(
            path, formatLine("sets have %zu to %zu points; %zu shorter set%s padded to %zu points by "
                             "repeating %s last point",
                             shape.shortest, shape.longest, reader.paddedSets(), one ? " is" : "s are",
                             shape.longest, one ? "its" : "their")));
    }
    result.data.groupNames = reader.groupNames();
    for (std::size_t a = 0; a < 3; ++a) {
        result.data.axisNames[a] = titleOfColumn(layout, choice.column[a]);
    }
    result.data.fnTrf.nx = static_cast<int>(shape.sets);
    result.data.fnTrf.pointsPerSet = static_cast<int>(shape.longest);
    result.data.loadedFormat = static_cast<int>(choice.hasGroup() ? DataFormat::Colored : DataFormat::Plain);
    result.normaliseCount = count;
    result.entriesRead = result.entriesExpected = shape.rows;
    result.rawBoundsBeforeNormalising = true;
    result.loaded = true;
    reportColumns(result, columnTitle(layout, choice.column[kX]), columnTitle(layout, choice.column[kY]),
                  columnTitle(layout, choice.column[kZ]),
                  choice.hasGroup() ? columnTitle(layout, choice.column[kGroup]) : std::string());
    return result;
}
