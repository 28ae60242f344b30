// Field cutting, field reading and the guess of a table's separator and header line.
#include "io/delimited_fields.h"

#include <climits>

#include "io/text_lines.h"

namespace {

bool isQuote(char c)
{
    return c == '"' || c == '\'';
}

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

const char* FieldCursor::takeQuoted(const char* p, Field& field)
{
    const char quote = *p;
    const char* q = p + 1;
    while (q != end_) {
        if (*q == quote) {
            if (q + 1 != end_ && q[1] == quote) {
                q += 2;
                continue;
            }
            field = Field{p + 1, q, true};
            return q + 1;
        }
        ++q;
    }
    unclosed_ = true;
    const char* last = end_;
    while (last != p + 1 && isBlank(last[-1])) {
        --last;
    }
    field = Field{p + 1, last, true};
    return end_;
}

bool FieldCursor::next(Field& field)
{
    if (done_) {
        return false;
    }
    const char* p = skipBlanks(p_);
    if (blanks_) {
        if (p == end_) {
            done_ = true;
            return false;
        }
        if (isQuote(*p)) {
            p_ = takeQuoted(p, field);
            return true;
        }
        const char* q = p;
        while (q != end_ && !isBlank(*q)) {
            ++q;
        }
        field = Field{p, q, false};
        p_ = q;
        return true;
    }

    const char* searchFrom = p;
    if (p != end_ && isQuote(*p)) {
        const char* after = skipBlanks(takeQuoted(p, field));
        if (after == end_ || *after == separator_) {
            done_ = after == end_;
            p_ = done_ ? end_ : after + 1;
            return true;
        }
        // Text after the closing quote: the field runs on to the separator, quotes and all.
        searchFrom = after;
    }
    const void* found = std::memchr(searchFrom, separator_, static_cast<std::size_t>(end_ - searchFrom));
    const char* stop = found ? static_cast<const char*>(found) : end_;
    const char* last = stop;
    while (last != p && isBlank(last[-1])) {
        --last;
    }
    field = Field{p, last, false};
    done_ = found == nullptr;
    p_ = done_ ? end_ : stop + 1;
    return true;
}

bool numberField(const Field& field, double& value, bool decimalComma)
{
    if (field.begin == field.end) {
        return false;
    }
    const char* p = field.begin;
    double v;
    if (scanDouble(p, field.end, v) && skipSpace(p, field.end) == field.end) {
        value = v;
        return true;
    }
    if (!decimalComma) {
        return false;
    }
    // One decimal comma and no point: "1,5" as a spreadsheet set to a comma locale writes 1.5.
    char text[64];
    const std::size_t length = static_cast<std::size_t>(field.end - field.begin);
    if (length >= sizeof text) {
        return false;
    }
    int commas = 0;
    for (std::size_t k = 0; k < length; ++k) {
        const char c = field.begin[k];
        if (c == '.') {
            return false;
        }
        commas += c == ',';
        text[k] = c == ',' ? '.' : c;
    }
    if (commas != 1) {
        return false;
    }
    p = text;
    if (scanDouble(p, text + length, v) && skipSpace(p, text + length) == text + length) {
        value = v;
        return true;
    }
    return false;
}

bool wholeNumberField(const Field& field, int& value)
{
    const char* p = skipSpace(field.begin, field.end);
    const char* end = field.end;
    while (end != p && numberScanDetail::isSpace(end[-1])) {
        --end;
    }
    const bool negative = p != end && *p == '-';
    if (p != end && (*p == '-' || *p == '+')) {
        ++p;
    }
    if (p == end || end - p > 10) {
        return false;
    }
    long long magnitude = 0;
    for (; p != end; ++p) {
        if (!numberScanDetail::isDigit(*p)) {
            return false;
        }
        magnitude = magnitude * 10 + (*p - '0');
    }
    const long long v = negative ? -magnitude : magnitude;
    if (v < INT_MIN || v > INT_MAX) {
        return false;
    }
    value = static_cast<int>(v);
    return true;
}

bool equalsIgnoringCase(const Field& field, const char* begin, const char* end)
{
    if (field.end - field.begin != end - begin) {
        return false;
    }
    for (const char* p = field.begin; p != field.end; ++p, ++begin) {
        if (lowerAscii(*p) != lowerAscii(*begin)) {
            return false;
        }
    }
    return true;
}

std::size_t countFields(const char* begin, const char* end, Separator separator)
{
    FieldCursor cursor(begin, end, separator);
    Field field;
    std::size_t count = 0;
    while (cursor.next(field)) {
        ++count;
    }
    return count;
}

namespace {

constexpr int kSniffLines = 20;

struct SampleLine {
    const char* begin;
    const char* end;
};

struct SeparatorFit {
    bool everyLineSplits = true;  // each sampled line has two fields or more
    bool rowsAgree = true;        // the rows after the first have one field count
    std::size_t numbers = 0, fields = 0;
};

// Whether a line quotes a field that it never closes: such a line says nothing about the
// layout (the reader refuses it with its line number).
bool quoteUnclosed(const SampleLine& line, Separator sep)
{
    FieldCursor cursor(line.begin, line.end, sep);
    Field field;
    while (cursor.next(field)) {
    }
    return cursor.unclosedQuote();
}

// How well sep cuts the sample: the first line may be a header, so the agreement and the share
// of numbers are judged on the lines after it (on the first alone when there is no other).
SeparatorFit fitOf(Separator sep, const SampleLine* lines, int count)
{
    SeparatorFit fit;
    std::size_t rowFields = 0;
    for (int i = 0; i < count; ++i) {
        const bool judged = i >= 1 || count == 1;
        FieldCursor cursor(lines[i].begin, lines[i].end, sep);
        Field field;
        std::size_t n = 0, numbers = 0;
        while (cursor.next(field)) {
            ++n;
            double v;
            numbers += numberField(field, v, sep != Separator::Comma);
        }
        if (cursor.unclosedQuote()) {
            continue;
        }
        if (n < 2) {
            fit.everyLineSplits = false;
            return fit;
        }
        if (judged) {
            fit.rowsAgree = fit.rowsAgree && (rowFields == 0 || rowFields == n);
            rowFields = n;
            fit.fields += n;
            fit.numbers += numbers;
        }
    }
    return fit;
}

bool betterFit(const SeparatorFit& a, const SeparatorFit& b)
{
    if (a.rowsAgree != b.rowsAgree) {
        return a.rowsAgree;
    }
    return a.numbers * b.fields > b.numbers * a.fields;
}

// A header names the columns: somewhere it holds text where the next line holds a number.
// A line that leaves a quote open is passed over; with no line to compare, the first line is
// a header when any of its fields is not a number.
bool looksLikeHeader(const SampleLine* lines, int count, Separator sep, bool decimalComma)
{
    int next = 1;
    while (next < count && quoteUnclosed(lines[next], sep)) {
        ++next;
    }
    FieldCursor first(lines[0].begin, lines[0].end, sep);
    Field name;
    Field below;
    double v;
    if (next == count) {
        while (first.next(name)) {
            if (!numberField(name, v, decimalComma)) {
                return true;
            }
        }
        return false;
    }
    FieldCursor second(lines[next].begin, lines[next].end, sep);
    while (first.next(name) && second.next(below)) {
        if (!numberField(name, v, decimalComma) && numberField(below, v, decimalComma)) {
            return true;
        }
    }
    return false;
}

}  // namespace

TableLayout sniffTable(const char* begin, const char* end, long long firstLine)
{
    TableLayout layout;
    LineWalker lines(begin, end, firstLine);
    SampleLine sample[kSniffLines];
    int count = 0;
    const char* afterFirst = nullptr;
    long long firstNumber = 0;
    while (count < kSniffLines && lines.next()) {
        if (lines.kind() != LineKind::Content) {
            continue;
        }
        if (count == 0) {
            afterFirst = lines.rest();
            firstNumber = lines.number();
        }
        sample[count++] = SampleLine{lines.begin(), lines.end()};
    }
    if (count == 0) {
        return layout;
    }
    layout.hasContent = true;

    bool found = false;
    SeparatorFit best;
    for (const Separator sep : {Separator::Comma, Separator::Semicolon, Separator::Tab}) {
        const SeparatorFit fit = fitOf(sep, sample, count);
        if (fit.everyLineSplits && (!found || betterFit(fit, best))) {
            best = fit;
            layout.separator = sep;
            found = true;
        }
    }
    layout.decimalComma = layout.separator == Separator::Semicolon || layout.separator == Separator::Tab;
    layout.hasHeader = looksLikeHeader(sample, count, layout.separator, layout.decimalComma);
    if (layout.hasHeader) {
        layout.headerBegin = sample[0].begin;
        layout.headerEnd = sample[0].end;
        layout.rowsBegin = afterFirst;
        layout.rowsFirstLine = firstNumber + 1;
    } else {
        layout.rowsBegin = sample[0].begin;
        layout.rowsFirstLine = firstNumber;
    }
    return layout;
}
