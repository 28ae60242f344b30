// Number scanning over text held in memory: reads exactly what the C library's formatted
// input ("%lf", "%d") and strtod would read, but parses the common decimal forms much faster.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Skips what the formatted input counts as white space (blank, tab, line ends, vertical tab, form feed).
inline const char* skipSpace(const char* p, const char* end);

// Like one " %lf" of fscanf on the text from p to end: skips white space and converts one number.
// On success stores it and returns true. Either way p moves past every character the formatted
// input would have consumed, so a failed scan leaves p where the next fscanf would start.
inline bool scanDouble(const char*& p, const char* end, double& value);

// Like one " %d" of fscanf: an optional sign and decimal digits; values beyond the range of long
// saturate and are then narrowed to int, as the C library does.
bool scanInt(const char*& p, const char* end, int& value);

// Like strtod on the text from p to end (white space skipped in front, the longest number that
// starts there). Returns false and 0.0 when no number starts there.
bool leadingDouble(const char* p, const char* end, double& value);

// ---- Inline parts: the quick path of every number; the rest is in number_scan.cpp ----

namespace numberScanDetail {

// scanDouble for everything the quick path does not take, starting at a non-blank character.
bool scanDoubleFull(const char*& p, const char* end, double& value);

inline bool isSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

inline bool isDigit(char c)
{
    return static_cast<unsigned char>(c - '0') < 10;
}

// Appends the run of digits at q to mantissa and returns where the run ends. Eight bytes are
// looked at together: the first byte that is not a digit ends the run, and the digits before
// it are converted as one eight-digit number padded with leading zeros.
inline const char* takeDigits(const char* q, const char* end, std::uint64_t& mantissa)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    static constexpr std::uint64_t kScale[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};
    while (end - q >= 8) {
        std::uint64_t word;
        std::memcpy(&word, q, 8);
        // High bit of each byte that is not an ASCII digit; exact up to the first such byte.
        const std::uint64_t notDigit =
            ((word + 0x4646464646464646ULL) | (word - 0x3030303030303030ULL)) & 0x8080808080808080ULL;
        const unsigned run = notDigit == 0 ? 8 : static_cast<unsigned>(__builtin_ctzll(notDigit)) / 8;
        if (run == 0) {
            return q;
        }
        if (run < 8) {
            word = (word << (8 * (8 - run))) | (0x3030303030303030ULL >> (8 * run));
        }
        word -= 0x3030303030303030ULL;
        word = word * 10 + (word >> 8);
        const std::uint64_t mask = 0x000000FF000000FFULL;
        const std::uint64_t value =
            (((word & mask) * 0x000F424000000064ULL) + (((word >> 16) & mask) * 0x0000271000000001ULL)) >> 32;
        mantissa = mantissa * (run == 8 ? 100000000ULL : kScale[run]) + value;
        q += run;
        if (run < 8) {
            return q;
        }
    }
#endif
    while (q != end && isDigit(*q)) {
        mantissa = mantissa * 10 + static_cast<unsigned>(*q - '0');
        ++q;
    }
    return q;
}

// The common form of numbers in data files: an optional '-', digits, an optional fraction, no
// exponent. With the mantissa exact in a double and a power of ten up to 10^19 (also exact),
// one division gives the correctly rounded value, as strtod would. Returns where the number
// ends, or nullptr when the text is not of that form; the caller decides whether the character
// there ends the number.
inline const char* quickDecimal(const char* p, const char* end, double& value)
{
    static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,
                                              1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19};
    const char* q = p;
    const bool negative = *q == '-';
    q += negative;
    std::uint64_t mantissa = 0;
    const char* digits = q;
    q = takeDigits(q, end, mantissa);
    std::ptrdiff_t count = q - digits;
    std::ptrdiff_t fraction = 0;
    if (q != end && *q == '.') {
        const char* first = ++q;
        q = takeDigits(q, end, mantissa);
        fraction = q - first;
        count += fraction;
    }
    // More than 19 digits may have wrapped the mantissa; such numbers take the full path.
    if (count == 0 || count > 19 || mantissa > (std::uint64_t{1} << 53)) {
        return nullptr;
    }
    const double magnitude = static_cast<double>(mantissa) / kPowersOfTen[fraction];
    value = negative ? -magnitude : magnitude;
    return q;
}

}  // namespace numberScanDetail

inline const char* skipSpace(const char* p, const char* end)
{
    while (p != end && numberScanDetail::isSpace(*p)) {
        ++p;
    }
    return p;
}

inline bool scanDouble(const char*& p, const char* end, double& value)
{
    p = skipSpace(p, end);
    if (p == end) {
        return false;
    }
    // A number of the quick form ends the formatted scan only where white space follows it;
    // anything else (an 'e', an 'x', a second '.') may continue it and takes the full path.
    double quick;
    const char* stop = numberScanDetail::quickDecimal(p, end, quick);
    if (stop != nullptr && (stop == end || numberScanDetail::isSpace(*stop))) {
        p = stop;
        value = quick;
        return true;
    }
    return numberScanDetail::scanDoubleFull(p, end, value);
}
