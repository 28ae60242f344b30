// The anaglyph methods held against their published numbers, worked out here in doubles
// from scratch: mixing of sample colours, desaturation, and the combining of pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "core/anaglyph.h"
#include "core/settings.h"

namespace {

// The viewer's default desaturation (checked against Settings below).
constexpr double kDesaturation = 0.65;

using Rgb = std::array<double, 3>;  // 0 to 255

constexpr AnaglyphMethod kAllMethods[] = {AnaglyphMethod::ColorMask, AnaglyphMethod::Gray,
                                          AnaglyphMethod::HalfColor, AnaglyphMethod::FullColor,
                                          AnaglyphMethod::Dubois};

// Dubois's red-cyan least-squares projection as one 3 x 6 matrix: each output channel
// from the left eye's red, green, blue, then the right eye's.
constexpr double kDubois[3][6] = {
    {0.4561, 0.500484, 0.176381, -0.0434706, -0.0879388, -0.00155529},
    {-0.0400822, -0.0378246, -0.0157589, 0.378476, 0.73364, -0.0184503},
    {-0.0152161, -0.0205971, -0.00546856, -0.0721527, -0.112961, 1.2264},
};

double grey(const Rgb& c)
{
    return 0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2];
}

Rgb desaturated(const Rgb& c, double factor)
{
    const double g = grey(c);
    return {c[0] + factor * (g - c[0]), c[1] + factor * (g - c[1]), c[2] + factor * (g - c[2])};
}

// What a method must show for two colours, before rounding and clamping.
Rgb expectedMix(AnaglyphMethod method, const Rgb& left, const Rgb& right)
{
    switch (method) {
    case AnaglyphMethod::Gray:
        return {grey(left), grey(right), grey(right)};
    case AnaglyphMethod::HalfColor:
        return {grey(left), right[1], right[2]};
    case AnaglyphMethod::Dubois: {
        Rgb out{};
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                out[i] += kDubois[i][j] * left[j] + kDubois[i][j + 3] * right[j];
            }
        }
        return out;
    }
    case AnaglyphMethod::ColorMask:
    case AnaglyphMethod::FullColor:
    default:
        return {left[0], right[1], right[2]};
    }
}

double clampByte(double v)
{
    return std::min(255.0, std::max(0.0, v));
}

// One pixel through the mixer.
Rgb mixOne(AnaglyphMethod method, double desaturation, const Rgb& left, const Rgb& right)
{
    std::uint8_t l[3], r[3], out[3];
    for (int k = 0; k < 3; ++k) {
        l[k] = static_cast<std::uint8_t>(left[k]);
        r[k] = static_cast<std::uint8_t>(right[k]);
    }
    EXPECT_TRUE(combineAnaglyph(l, r, out, 1, 3, method, desaturation));
    return {double(out[0]), double(out[1]), double(out[2])};
}

void expectMixWithinOneStep(AnaglyphMethod method, double desaturation, const Rgb& left, const Rgb& right)
{
    const Rgb want = expectedMix(method, desaturated(left, desaturation), desaturated(right, desaturation));
    const Rgb got = mixOne(method, desaturation, left, right);
    for (int k = 0; k < 3; ++k) {
        EXPECT_LE(std::fabs(got[k] - clampByte(want[k])), 1.0)
            << anaglyphMethodWord(method) << " desaturation " << desaturation << " channel " << k << " left ("
            << left[0] << "," << left[1] << "," << left[2] << ") right (" << right[0] << "," << right[1] << ","
            << right[2] << ")";
    }
}

const std::vector<Rgb>& sampleColours()
{
    static const std::vector<Rgb> colours = {
        {0, 0, 0},     {255, 255, 255}, {255, 0, 0},   {0, 255, 0},   {0, 0, 255},    {0, 255, 255},
        {255, 0, 255}, {255, 255, 0},   {128, 64, 32}, {10, 200, 90}, {77, 77, 77},   {250, 128, 5},
        {1, 2, 254},   {200, 30, 220},  {255, 1, 0},   {3, 251, 252}, {127, 128, 129}};
    return colours;
}

TEST(AnaglyphNames, WordsAndLabelsOfEveryMethod)
{
    EXPECT_FLOAT_EQ(Settings{}.desaturation, static_cast<float>(kDesaturation));
    EXPECT_EQ(Settings{}.anaglyphMethod, AnaglyphMethod::Dubois);
    const char* words[] = {"mask", "gray", "half-color", "color", "dubois"};
    const char* labels[] = {"Red-cyan (color mask)", "Grey", "Half color", "Full color", "Least squares"};
    for (int k = 0; k < kAnaglyphMethodCount; ++k) {
        const AnaglyphMethod method = kAllMethods[k];
        EXPECT_STREQ(anaglyphMethodWord(method), words[k]);
        EXPECT_STREQ(anaglyphMethodLabel(method), labels[k]);
        const auto parsed = anaglyphMethodFromWord(words[k]);
        ASSERT_TRUE(parsed.has_value()) << words[k];
        EXPECT_EQ(*parsed, method);
    }
    EXPECT_FALSE(anaglyphMethodFromWord("").has_value());
    EXPECT_FALSE(anaglyphMethodFromWord("Dubois").has_value());
    EXPECT_FALSE(anaglyphMethodFromWord("half").has_value());
    EXPECT_FALSE(anaglyphMethodFromWord("colour").has_value());
}

TEST(AnaglyphMatrices, DuboisAsPublished)
{
    const AnaglyphMatrices pair = anaglyphMatrices(AnaglyphMethod::Dubois);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            EXPECT_DOUBLE_EQ(pair.left.m[i][j], kDubois[i][j]) << i << "," << j;
            EXPECT_DOUBLE_EQ(pair.right.m[i][j], kDubois[i][j + 3]) << i << "," << j;
        }
    }
}

TEST(AnaglyphMatrices, EachMethodMixesSampleColoursAsItsNumbersSay)
{
    for (const AnaglyphMethod method : kAllMethods) {
        for (const Rgb& left : sampleColours()) {
            for (const Rgb& right : sampleColours()) {
                expectMixWithinOneStep(method, 0.0, left, right);
            }
        }
    }
}

TEST(AnaglyphMatrices, DuboisClampsWhereItsSumsLeaveTheRange)
{
    // White in both eyes: the blue sum is above 1 and the green of pure left red below 0.
    const Rgb white = mixOne(AnaglyphMethod::Dubois, 0.0, {255, 255, 255}, {255, 255, 255});
    EXPECT_EQ(white[2], 255.0);
    const Rgb leftRed = mixOne(AnaglyphMethod::Dubois, 0.0, {255, 0, 0}, {0, 0, 0});
    EXPECT_NEAR(leftRed[0], 0.4561 * 255, 1.0);
    EXPECT_EQ(leftRed[1], 0.0);
    EXPECT_EQ(leftRed[2], 0.0);
}

TEST(AnaglyphDesaturation, NoneHalfAndFull)
{
    const double colour[3] = {0.9, 0.2, 0.4};
    const double g = 0.299 * 0.9 + 0.587 * 0.2 + 0.114 * 0.4;
    double out[3];
    desaturate(colour, 0.0, out);
    EXPECT_DOUBLE_EQ(out[0], 0.9);
    EXPECT_DOUBLE_EQ(out[1], 0.2);
    EXPECT_DOUBLE_EQ(out[2], 0.4);
    desaturate(colour, 1.0, out);
    for (double v : out) {
        EXPECT_NEAR(v, g, 1e-12);
    }
    desaturate(colour, kDesaturation, out);
    EXPECT_NEAR(out[0], 0.9 + 0.65 * (g - 0.9), 1e-12);
    EXPECT_NEAR(out[1], 0.2 + 0.65 * (g - 0.2), 1e-12);
    EXPECT_NEAR(out[2], 0.4 + 0.65 * (g - 0.4), 1e-12);
    // The grey of a colour stays where it was at every factor.
    EXPECT_NEAR(0.299 * out[0] + 0.587 * out[1] + 0.114 * out[2], g, 1e-12);
}

TEST(AnaglyphDesaturation, FactorsOutsideTheRangeAreTakenIn)
{
    const double colour[3] = {0.1, 0.8, 0.3};
    double below[3], none[3], above[3], full[3], notANumber[3];
    desaturate(colour, -0.5, below);
    desaturate(colour, 0.0, none);
    desaturate(colour, 3.0, above);
    desaturate(colour, 1.0, full);
    desaturate(colour, std::nan(""), notANumber);
    for (int k = 0; k < 3; ++k) {
        EXPECT_DOUBLE_EQ(below[k], none[k]);
        EXPECT_DOUBLE_EQ(above[k], full[k]);
        EXPECT_DOUBLE_EQ(notANumber[k], colour[k]);
    }
    // The input may be the output.
    double inPlace[3] = {0.1, 0.8, 0.3};
    desaturate(inPlace, 1.0, inPlace);
    EXPECT_NEAR(inPlace[0], full[0], 1e-12);
    EXPECT_NEAR(inPlace[2], full[2], 1e-12);
}

TEST(AnaglyphDesaturation, ComesBeforeTheMixingInEveryMethod)
{
    for (const AnaglyphMethod method : kAllMethods) {
        for (const double factor : {0.65, 1.0, 0.3}) {
            for (const Rgb& left : sampleColours()) {
                for (const Rgb& right : sampleColours()) {
                    expectMixWithinOneStep(method, factor, left, right);
                }
            }
        }
    }
}

TEST(AnaglyphDesaturation, GreyMethodDoesNotChangeWithTheFactor)
{
    const Rgb left = {250, 20, 90}, right = {5, 180, 240};
    const Rgb plain = mixOne(AnaglyphMethod::Gray, 0.0, left, right);
    EXPECT_EQ(mixOne(AnaglyphMethod::Gray, 0.65, left, right), plain);
    EXPECT_EQ(mixOne(AnaglyphMethod::Gray, 1.0, left, right), plain);
    // A full colour mix at factor 1 is the grey mix.
    EXPECT_EQ(mixOne(AnaglyphMethod::FullColor, 1.0, left, right), plain);
}

TEST(AnaglyphCombining, RandomColoursStayWithinOneStepOfTheExactMix)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    for (const AnaglyphMethod method : kAllMethods) {
        for (const double factor : {0.0, 0.65, 1.0}) {
            AnaglyphMixer mixer(method, factor);
            double worst = 0.0;
            for (int n = 0; n < 4000; ++n) {
                std::uint8_t l[3], r[3], out[3];
                Rgb left, right;
                for (int k = 0; k < 3; ++k) {
                    l[k] = static_cast<std::uint8_t>(byte(random));
                    r[k] = static_cast<std::uint8_t>(byte(random));
                    left[k] = l[k];
                    right[k] = r[k];
                }
                ASSERT_TRUE(mixer.combine(l, r, out, 1, 3));
                const Rgb want = expectedMix(method, desaturated(left, factor), desaturated(right, factor));
                for (int k = 0; k < 3; ++k) {
                    worst = std::max(worst, std::fabs(out[k] - clampByte(want[k])));
                }
            }
            EXPECT_LE(worst, 0.51) << anaglyphMethodWord(method) << " " << factor;
        }
    }
}

// Two 3 x 2 pictures, one of every kind of pixel, combined with and without alpha.
struct SmallPair {
    std::vector<Rgb> left = {{255, 0, 0}, {0, 0, 0}, {30, 60, 90}, {255, 255, 255}, {12, 250, 7}, {100, 100, 100}};
    std::vector<Rgb> right = {{0, 255, 255}, {0, 0, 0}, {200, 10, 40}, {0, 0, 0}, {90, 90, 250}, {255, 255, 255}};

    std::vector<std::uint8_t> bytes(const std::vector<Rgb>& picture, int bytesPerPixel) const
    {
        std::vector<std::uint8_t> out;
        for (const Rgb& c : picture) {
            for (int k = 0; k < 3; ++k) {
                out.push_back(static_cast<std::uint8_t>(c[k]));
            }
            if (bytesPerPixel == 4) {
                out.push_back(17);  // whatever alpha a read-back brings
            }
        }
        return out;
    }
};

TEST(AnaglyphCombining, SmallPicturesWithThreeAndFourBytesPerPixel)
{
    const SmallPair pair;
    for (const int bytesPerPixel : {3, 4}) {
        for (const AnaglyphMethod method : kAllMethods) {
            const auto left = pair.bytes(pair.left, bytesPerPixel);
            const auto right = pair.bytes(pair.right, bytesPerPixel);
            std::vector<std::uint8_t> out(left.size(), 0xAB);
            ASSERT_TRUE(combineAnaglyph(left.data(), right.data(), out.data(), pair.left.size(), bytesPerPixel,
                                        method, kDesaturation));
            for (std::size_t p = 0; p < pair.left.size(); ++p) {
                const Rgb want = expectedMix(method, desaturated(pair.left[p], kDesaturation),
                                             desaturated(pair.right[p], kDesaturation));
                for (int k = 0; k < 3; ++k) {
                    EXPECT_LE(std::fabs(out[p * bytesPerPixel + k] - clampByte(want[k])), 1.0)
                        << anaglyphMethodWord(method) << " pixel " << p << " channel " << k;
                }
                if (bytesPerPixel == 4) {
                    EXPECT_EQ(out[p * 4 + 3], 255) << "pixel " << p;
                }
            }
        }
    }
}

TEST(AnaglyphCombining, EitherPictureMayBeTheOutput)
{
    const SmallPair pair;
    const auto left = pair.bytes(pair.left, 3);
    const auto right = pair.bytes(pair.right, 3);
    std::vector<std::uint8_t> separate(left.size());
    ASSERT_TRUE(combineAnaglyph(left.data(), right.data(), separate.data(), 6, 3, AnaglyphMethod::Dubois, 0.65));

    auto intoLeft = left;
    ASSERT_TRUE(combineAnaglyph(intoLeft.data(), right.data(), intoLeft.data(), 6, 3, AnaglyphMethod::Dubois, 0.65));
    EXPECT_EQ(intoLeft, separate);
    auto intoRight = right;
    ASSERT_TRUE(
        combineAnaglyph(left.data(), intoRight.data(), intoRight.data(), 6, 3, AnaglyphMethod::Dubois, 0.65));
    EXPECT_EQ(intoRight, separate);
}

TEST(AnaglyphCombining, RefusesWhatItCannotCombineWithoutWriting)
{
    const SmallPair pair;
    const auto left = pair.bytes(pair.left, 4);
    const auto right = pair.bytes(pair.right, 4);
    std::vector<std::uint8_t> out(left.size(), 0x5A);
    const AnaglyphMixer mixer(AnaglyphMethod::Gray, 0.0);
    EXPECT_FALSE(mixer.combine(left.data(), right.data(), out.data(), 6, 2));
    EXPECT_FALSE(mixer.combine(left.data(), right.data(), out.data(), 6, 5));
    EXPECT_FALSE(mixer.combine(nullptr, right.data(), out.data(), 6, 4));
    EXPECT_FALSE(mixer.combine(left.data(), nullptr, out.data(), 6, 4));
    EXPECT_FALSE(mixer.combine(left.data(), right.data(), nullptr, 6, 4));
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](std::uint8_t v) { return v == 0x5A; }));
    // Nothing to combine is not a failure, even without pictures.
    EXPECT_TRUE(mixer.combine(nullptr, nullptr, nullptr, 0, 3));
}

}  // namespace
