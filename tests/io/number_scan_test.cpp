// The buffer scanners against the C library itself: on many random and hand-picked inputs,
// scanDouble and scanInt must agree with fscanf on success, value and stream position, and
// leadingDouble with strtod.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "io/number_scan.h"

namespace {

struct LibraryScan {
    bool ok;
    double value;
    long position;
};

template <typename T>
LibraryScan fscanfOnText(const std::string& text, const char* format, T& value)
{
    FILE* f = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    const int got = std::fscanf(f, format, &value);
    const long position = std::ftell(f);
    std::fclose(f);
    return {got == 1, 0.0, position};
}

bool sameDouble(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

void expectDoubleScanLikeFscanf(const std::string& text)
{
    double expected = -7.0;
    const LibraryScan lib = fscanfOnText(text, "%lf", expected);
    double actual = -7.0;
    const char* p = text.data();
    const bool ok = scanDouble(p, text.data() + text.size(), actual);
    EXPECT_EQ(ok, lib.ok) << '"' << text << '"';
    EXPECT_EQ(p - text.data(), lib.position) << '"' << text << '"';
    EXPECT_TRUE(sameDouble(actual, expected)) << '"' << text << "\": " << actual << " vs " << expected;
}

void expectIntScanLikeFscanf(const std::string& text)
{
    int expected = -7;
    const LibraryScan lib = fscanfOnText(text, "%d", expected);
    int actual = -7;
    const char* p = text.data();
    const bool ok = scanInt(p, text.data() + text.size(), actual);
    EXPECT_EQ(ok, lib.ok) << '"' << text << '"';
    EXPECT_EQ(p - text.data(), lib.position) << '"' << text << '"';
    EXPECT_EQ(actual, expected) << '"' << text << '"';
}

void expectLeadingDoubleLikeStrtod(const std::string& text)
{
    char* stop = nullptr;
    const double expected = std::strtod(text.c_str(), &stop);
    double actual = -7.0;
    const bool ok = leadingDouble(text.data(), text.data() + text.size(), actual);
    EXPECT_EQ(ok, stop != text.c_str()) << '"' << text << '"';
    EXPECT_TRUE(sameDouble(actual, expected)) << '"' << text << "\": " << actual << " vs " << expected;
}

const char* const kCorners[] = {
    "0", "-0", "+1", "1.", ".5", "-.5", ".", "-", "+.", "- 5", "-x", "1e", "1e+", "1e+x", "1E-3", "1e5e3",
    "1.5.3", ".e", "0x", "0xg", "0x1p3", "0X1.8P+1", "0x.p1", "0xp1", "0x1pq", "00x1", "0x1e", "inf", "INFINITY",
    "infx", "infinix", "infin", "nax", "na", "nan", "-nan", "nan(12)", "1e999", "-1e999", "4.9e-324", "1e-400",
    "123456789012345678901234567890", "0.1000000000000000055511151231257827", "  \n\t 42", "7abc", "1,5",
    "9223372036854775807", "9223372036854775808", "-9223372036854775809", "99999999999", "2147483648", "007"};

std::string randomText(std::mt19937& rng)
{
    static const char alphabet[] = "0123456789..eE+-xXpPnNaAiIfFty \n\t,[]";
    static const char* const pieces[] = {"inf", "nan", "infinity", "0x", "1e", "e+", "99999999999999999999"};
    std::string text;
    const int parts = 1 + static_cast<int>(rng() % 6);
    for (int i = 0; i < parts; ++i) {
        if (rng() % 5 == 0) {
            text += pieces[rng() % (sizeof pieces / sizeof *pieces)];
        } else {
            text += alphabet[rng() % (sizeof alphabet - 1)];
        }
    }
    return text;
}

// A decimal number with long runs of digits and a random character after it, as the quick
// paths see them (eight bytes at a time).
std::string randomDecimal(std::mt19937& rng)
{
    std::string text = rng() % 3 == 0 ? "-" : "";
    const auto digits = [&](unsigned most) {
        for (unsigned n = rng() % (most + 1); n > 0; --n) {
            text += static_cast<char>('0' + rng() % 10);
        }
    };
    digits(14);
    if (rng() % 4 != 0) {
        text += '.';
        digits(14);
    }
    if (rng() % 8 == 0) {
        text += "e-";
        digits(3);
    }
    static const char followers[] = " \n,]xe.5";
    text += followers[rng() % (sizeof followers - 1)];
    return text + "  12345678 9";
}

}  // namespace

TEST(NumberScan, AgreesWithTheCLibraryOnHandPickedForms)
{
    for (const char* text : kCorners) {
        expectDoubleScanLikeFscanf(text);
        expectIntScanLikeFscanf(text);
        expectLeadingDoubleLikeStrtod(text);
    }
}

TEST(NumberScan, AgreesWithTheCLibraryOnRandomTexts)
{
    std::mt19937 rng(20261207);
    for (int i = 0; i < 20000 && !HasFailure(); ++i) {
        const std::string text = randomText(rng);
        expectDoubleScanLikeFscanf(text);
        expectIntScanLikeFscanf(text);
        expectLeadingDoubleLikeStrtod(text);
    }
}

TEST(NumberScan, AgreesWithTheCLibraryOnLongDecimals)
{
    std::mt19937 rng(99);
    for (int i = 0; i < 20000 && !HasFailure(); ++i) {
        const std::string text = randomDecimal(rng);
        expectDoubleScanLikeFscanf(text);
        expectLeadingDoubleLikeStrtod(text.substr(0, text.find_first_of(",]")));
    }
}

TEST(NumberScan, SuccessiveScansStopWhereFscanfStops)
{
    // One fscanf("%lf") after another over the same stream, as the readers scan their points.
    const std::string text = "1 2 - 3 4.5e 6 0x1p4 infinite 7 nan 8";
    FILE* f = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    const char* p = text.data();
    const char* end = p + text.size();
    for (int i = 0; i < 12; ++i) {
        double expected = -1.0, actual = -1.0;
        const bool libOk = std::fscanf(f, "%lf", &expected) == 1;
        EXPECT_EQ(scanDouble(p, end, actual), libOk) << "scan " << i;
        EXPECT_EQ(p - text.data(), std::ftell(f)) << "scan " << i;
        EXPECT_TRUE(sameDouble(actual, expected)) << "scan " << i;
    }
    std::fclose(f);
}
