// Lines of a text data file held in memory (byte-order mark, either line end, the lines text
// readers skip) and the one-line reports with which a text reader refuses a file.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

#include "io/report_text.h"

// The text after a UTF-8 byte-order mark, or all of it when it starts with none.
inline const char* skipByteOrderMark(const char* begin, const char* end)
{
    if (end - begin >= 3 && static_cast<unsigned char>(begin[0]) == 0xEF &&
        static_cast<unsigned char>(begin[1]) == 0xBB && static_cast<unsigned char>(begin[2]) == 0xBF) {
        return begin + 3;
    }
    return begin;
}

// Blank lines hold only white space; comment lines start (after blanks) with '#' or '%'.
enum class LineKind { Blank, Comment, Content };

inline LineKind classifyLine(const char* begin, const char* end)
{
    for (const char* p = begin; p != end; ++p) {
        const char c = *p;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f') {
            continue;
        }
        return (c == '#' || c == '%') ? LineKind::Comment : LineKind::Content;
    }
    return LineKind::Blank;
}

// Steps through the lines of a text, numbering them. A line ends at '\n'; a '\r' before it is
// left in the line, where the field rules treat it as a blank (a lone '\r' is made '\n' when
// the file is read: unifyLineEnds).
class LineWalker {
public:
    LineWalker(const char* begin, const char* end, long long firstNumber = 1)
        : next_(begin), end_(end), number_(firstNumber - 1)
    {
    }

    // Moves to the next line; false when the text has no more.
    bool next()
    {
        if (next_ == end_) {
            return false;
        }
        begin_ = next_;
        const void* lineFeed = std::memchr(next_, '\n', static_cast<std::size_t>(end_ - next_));
        lineEnd_ = lineFeed ? static_cast<const char*>(lineFeed) : end_;
        next_ = lineFeed ? lineEnd_ + 1 : end_;
        ++number_;
        return true;
    }

    const char* begin() const { return begin_; }
    const char* end() const { return lineEnd_; }
    long long number() const { return number_; }
    LineKind kind() const { return classifyLine(begin_, lineEnd_); }
    // Where the line after this one starts.
    const char* rest() const { return next_; }

private:
    const char* next_;
    const char* end_;
    const char* begin_ = nullptr;
    const char* lineEnd_ = nullptr;
    long long number_;
};

// "File <path>: <reason>" and "File <path>: line <n>: <reason>", with every control
// character shown as '?' so that the report stays one line whatever the path or the file holds.
std::string fileError(const char* path, const std::string& reason);
std::string fileLineError(const char* path, long long line, const std::string& reason);
// "File <path>: byte <offset>: <reason>", for binary files, whose offsets count from 0.
std::string fileByteError(const char* path, unsigned long long offset, const std::string& reason);

// A piece of the file in double quotes for a report line, shortened when long.
std::string quotedExcerpt(const char* begin, const char* end);
