// Fields of delimited text: a line cut at a separator character or at runs of blanks, quoted
// fields, a field read as one number, and the guess of a table's separator and header line.
#pragma once

#include <cstddef>

#include "io/number_scan.h"

// What stands between fields; Blanks means runs of blanks and tabs.
enum class Separator : char { Blanks = ' ', Comma = ',', Semicolon = ';', Tab = '\t' };

struct Field {
    // The text without its quotes and without the blanks around it.
    const char* begin = nullptr;
    const char* end = nullptr;
    bool quoted = false;
};

// Whether the field holds exactly one number, read with the formatted-input rules (so "nan",
// "inf" and hexadecimal count). With decimalComma a field like "1,5" reads as 1.5.
bool numberField(const Field& field, double& value, bool decimalComma);

// Whether the field holds exactly one whole number within the range of int.
bool wholeNumberField(const Field& field, int& value);

// Whether the field says text, as a header's names do.
bool equalsIgnoringCase(const Field& field, const char* begin, const char* end);

// The fields of one line, left to right. A field may be quoted with " or ' (a doubled quote
// inside stands for one); a separator or blank inside quotes belongs to the field.
class FieldCursor {
public:
    FieldCursor(const char* begin, const char* end, Separator separator)
        : p_(begin), end_(end), separator_(static_cast<char>(separator)), blanks_(separator == Separator::Blanks)
    {
    }

    // The next field; false when the line has no more.
    bool next(Field& field);

    // The next field read as a number: the common plain decimal is read in the same pass that
    // finds the field's end. isNumber says whether the whole field was one number.
    bool nextNumber(Field& field, double& value, bool& isNumber, bool decimalComma)
    {
        if (done_) {
            return false;
        }
        const char* p = skipBlanks(p_);
        if (p != end_ && *p != '"' && *p != '\'') {
            const char* stop = numberScanDetail::quickDecimal(p, end_, value);
            if (stop != nullptr) {
                if (blanks_) {
                    if (stop == end_ || isBlank(*stop)) {
                        field = Field{p, stop, false};
                        p_ = stop;
                        isNumber = true;
                        return true;
                    }
                } else {
                    const char* after = skipBlanks(stop);
                    if (after == end_ || *after == separator_) {
                        field = Field{p, stop, false};
                        done_ = after == end_;
                        p_ = done_ ? end_ : after + 1;
                        isNumber = true;
                        return true;
                    }
                }
            }
        }
        if (!next(field)) {
            return false;
        }
        isNumber = numberField(field, value, decimalComma);
        return true;
    }

    // Whether a quoted field ran to the end of the line without its closing quote.
    bool unclosedQuote() const { return unclosed_; }

private:
    // Blanks around fields; a tab is a separator, not a blank, when tabs separate.
    bool isBlank(char c) const
    {
        return c == ' ' || c == '\r' || c == '\v' || c == '\f' || (c == '\t' && separator_ != '\t');
    }
    const char* skipBlanks(const char* p) const
    {
        while (p != end_ && isBlank(*p)) {
            ++p;
        }
        return p;
    }
    // From an opening quote at p: the field's text, and where the text after the closing quote starts.
    const char* takeQuoted(const char* p, Field& field);

    const char* p_;
    const char* end_;
    char separator_;
    bool blanks_;
    bool done_ = false;
    bool unclosed_ = false;
};

// The number of fields of a line.
std::size_t countFields(const char* begin, const char* end, Separator separator);

// What the first lines of a table say about it.
struct TableLayout {
    bool hasContent = false;  // false when the text holds only blank and comment lines
    Separator separator = Separator::Blanks;
    bool decimalComma = false;  // fields may be written as "1,5" (never with comma separators)
    bool hasHeader = false;     // the first content line names the columns
    const char* headerBegin = nullptr;
    const char* headerEnd = nullptr;
    // Where the rows start: the line after the header, or the first content line. Blank and
    // comment lines before it are already passed.
    const char* rowsBegin = nullptr;
    long long rowsFirstLine = 1;
};

// Guesses separator and header from the first content lines of text (after any byte-order mark).
TableLayout sniffTable(const char* begin, const char* end, long long firstLine = 1);
