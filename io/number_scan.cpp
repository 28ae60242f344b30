// Number scanning with the C library's formatted-input rules over a memory buffer.
// Plain decimals take the quick path of number_scan.h, numbers with an exponent fast_float;
// everything rarer (a leading '+', hexadecimal, "inf", "nan", an 'e' without exponent digits)
// is collected character by character the way glibc's scanf collects it and converted with
// strtod, so the results match fscanf exactly.
#include "io/number_scan.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <fast_float/fast_float.h>

namespace {

using numberScanDetail::isDigit;
using numberScanDetail::isSpace;
using numberScanDetail::quickDecimal;

inline bool isHexDigit(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

inline char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The quick form: starts with a digit or '.', or '-' and one of these.
inline bool plainStart(const char* p, const char* end)
{
    if (*p == '-') {
        ++p;
        if (p == end) {
            return false;
        }
    }
    return isDigit(*p) || *p == '.';
}

// Where fast_float stopped, the formatted input might have taken more: an 'e' that starts no
// exponent, or the 'x' of a hexadecimal prefix. Any other character ends the number for both.
inline bool quickStopIsFinal(const char* stop, const char* end)
{
    if (stop == end) {
        return true;
    }
    const char c = lower(*stop);
    return c != 'e' && c != 'x';
}

// Matches the letters of word (lower case) one by one, as scanf reads them: a mismatching
// character has been read and is consumed. Returns false on a mismatch or the end of the text.
bool matchWord(const char*& q, const char* end, const char* word, std::string& text)
{
    for (; *word != '\0'; ++word) {
        if (q == end) {
            return false;
        }
        const char c = *q++;
        if (lower(c) != *word) {
            return false;
        }
        text += c;
    }
    return true;
}

// glibc's collection of a floating-point input item, starting at a non-blank character.
bool scanDoubleSlow(const char*& p, const char* end, double& value)
{
    const char* q = p;
    std::string text;
    std::size_t signLength = 0;
    if (*q == '-' || *q == '+') {
        text += *q++;
        signLength = 1;
        if (q == end) {
            p = q;
            return false;
        }
    }

    const char first = lower(*q);
    if (first == 'n' || first == 'i') {
        text += *q++;
        const bool matched = first == 'n' ? matchWord(q, end, "an", text) : matchWord(q, end, "nf", text);
        if (!matched) {
            p = q;
            return false;
        }
        if (first == 'i' && q != end && lower(*q) == 'i') {
            text += *q++;
            if (!matchWord(q, end, "nity", text)) {
                p = q;
                return false;
            }
        }
    } else {
        bool hex = false, gotDigit = false, gotDot = false, gotExponent = false;
        char exponentChar = 'e';
        if (*q == '0') {
            text += *q++;
            if (q != end && lower(*q) == 'x') {
                text += *q++;
                hex = true;
                exponentChar = 'p';
            } else {
                gotDigit = true;
            }
        }
        for (; q != end; ++q) {
            const char c = *q;
            if (isDigit(c) || (hex && !gotExponent && isHexDigit(c))) {
                gotDigit = true;
            } else if (gotExponent && lower(text.back()) == exponentChar && (c == '-' || c == '+')) {
            } else if (gotDigit && !gotExponent && lower(c) == exponentChar) {
                gotExponent = gotDot = true;
            } else if (!gotDot && c == '.') {
                gotDot = true;
            } else {
                break;
            }
            text += c;
        }
        if (text.size() == signLength || (hex && text.size() == signLength + 2)) {
            p = q;
            return false;
        }
    }

    p = q;
    char* stop = nullptr;
    const double v = std::strtod(text.c_str(), &stop);
    if (stop == text.c_str()) {
        return false;
    }
    value = v;
    return true;
}

}  // namespace

bool numberScanDetail::scanDoubleFull(const char*& p, const char* end, double& value)
{
    if (plainStart(p, end)) {
        double v = 0.0;
        const auto result = fast_float::from_chars(p, end, v);
        if (result.ec == std::errc() && quickStopIsFinal(result.ptr, end)) {
            p = result.ptr;
            value = v;
            return true;
        }
    }
    return scanDoubleSlow(p, end, value);
}

bool scanInt(const char*& p, const char* end, int& value)
{
    p = skipSpace(p, end);
    if (p == end) {
        return false;
    }
    const char* q = p;
    const bool negative = *q == '-';
    if (*q == '-' || *q == '+') {
        ++q;
    }
    const char* digits = q;
    // Accumulate the magnitude as strtol does, saturating at the limits of long.
    constexpr std::uint64_t kLongMax = 0x7fffffffffffffffULL;
    const std::uint64_t limit = negative ? kLongMax + 1 : kLongMax;
    std::uint64_t magnitude = 0;
    for (; q != end && isDigit(*q); ++q) {
        const unsigned digit = static_cast<unsigned>(*q - '0');
        magnitude = (magnitude > (limit - digit) / 10) ? limit : magnitude * 10 + digit;
    }
    p = q;
    if (q == digits) {
        return false;
    }
    // Negate in unsigned arithmetic, then keep the low 32 bits as the library's narrowing does.
    const std::uint64_t bits = negative ? (~magnitude + 1) : magnitude;
    value = static_cast<int>(static_cast<std::uint32_t>(bits));
    return true;
}

bool leadingDouble(const char* p, const char* end, double& value)
{
    p = skipSpace(p, end);
    if (p != end && plainStart(p, end)) {
        // strtod takes the longest number: only an exponent or a hexadecimal prefix could go on.
        const char* stop = quickDecimal(p, end, value);
        if (stop != nullptr && (stop == end || (lower(*stop) != 'e' && lower(*stop) != 'x'))) {
            return true;
        }
        const auto result = fast_float::from_chars(p, end, value);
        if (result.ec == std::errc() && (result.ptr == end || lower(*result.ptr) != 'x')) {
            return true;
        }
    }
    const std::string text(p, end);
    char* stop = nullptr;
    value = std::strtod(text.c_str(), &stop);
    return stop != text.c_str();
}
