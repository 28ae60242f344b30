// The anaglyph methods as pairs of colour matrices, desaturation, and the combining of two
// pictures through packed lookup tables.
#include "core/anaglyph.h"

#include <cmath>

namespace {

// The panel's names of the methods, in the order of their values.
constexpr const char* kMethodLabels[kAnaglyphMethodCount] = {
    "Red-cyan (color mask)", "Grey", "Half color", "Full color", "Least squares",
};

int indexOf(AnaglyphMethod method)
{
    const int index = static_cast<int>(method);
    return index >= 0 && index < kAnaglyphMethodCount ? index : 0;
}

// Eric Dubois's least-squares matrices for red-cyan glasses on a CRT-like display, with
// the digits he published them to.
constexpr ColorMatrix kDuboisLeft = {{{0.4561, 0.500484, 0.176381},
                                      {-0.0400822, -0.0378246, -0.0157589},
                                      {-0.0152161, -0.0205971, -0.00546856}}};
constexpr ColorMatrix kDuboisRight = {{{-0.0434706, -0.0879388, -0.00155529},
                                       {0.378476, 0.73364, -0.0184503},
                                       {-0.0721527, -0.112961, 1.2264}}};

ColorMatrix multiply(const ColorMatrix& a, const ColorMatrix& b)
{
    ColorMatrix out;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            double sum = 0.0;
            for (int k = 0; k < 3; ++k) {
                sum += a.m[r][k] * b.m[k][c];
            }
            out.m[r][c] = sum;
        }
    }
    return out;
}

// A matrix row that makes the grey of a colour.
void setGreyRow(ColorMatrix& matrix, int row)
{
    for (int c = 0; c < 3; ++c) {
        matrix.m[row][c] = kGreyWeights[c];
    }
}

constexpr int kFractionBits = 10;
constexpr int kFieldBits = 21;
constexpr std::uint64_t kFieldMask = (std::uint64_t{1} << kFieldBits) - 1;

inline std::uint8_t toByte(std::int64_t sum)
{
    const std::int64_t rounded = (sum + (std::int64_t{1} << (kFractionBits - 1))) >> kFractionBits;
    return static_cast<std::uint8_t>(rounded < 0 ? 0 : (rounded > 255 ? 255 : rounded));
}

template <int kBytes>
void combinePixels(const std::uint64_t (&table)[6][256], const std::int64_t (&bias)[3], const std::uint8_t* left,
                   const std::uint8_t* right, std::uint8_t* out, std::size_t pixelCount)
{
    for (std::size_t p = 0; p < pixelCount; ++p) {
        const std::size_t at = p * kBytes;
        // All six reads come before the first write, so out may be either picture.
        const std::uint64_t packed = table[0][left[at]] + table[1][left[at + 1]] + table[2][left[at + 2]] +
                                     table[3][right[at]] + table[4][right[at + 1]] + table[5][right[at + 2]];
        out[at] = toByte(static_cast<std::int64_t>(packed & kFieldMask) - bias[0]);
        out[at + 1] = toByte(static_cast<std::int64_t>((packed >> kFieldBits) & kFieldMask) - bias[1]);
        out[at + 2] = toByte(static_cast<std::int64_t>(packed >> (2 * kFieldBits)) - bias[2]);
        if (kBytes == 4) {
            out[at + 3] = 255;
        }
    }
}

}  // namespace

const char* const kAnaglyphMethodWords[kAnaglyphMethodCount] = {"mask", "gray", "half-color", "color", "dubois"};

const char* anaglyphMethodWord(AnaglyphMethod method)
{
    return kAnaglyphMethodWords[indexOf(method)];
}

const char* anaglyphMethodLabel(AnaglyphMethod method)
{
    return kMethodLabels[indexOf(method)];
}

std::optional<AnaglyphMethod> anaglyphMethodFromWord(std::string_view word)
{
    for (int k = 0; k < kAnaglyphMethodCount; ++k) {
        if (word == kAnaglyphMethodWords[k]) {
            return static_cast<AnaglyphMethod>(k);
        }
    }
    return std::nullopt;
}

AnaglyphMatrices anaglyphMatrices(AnaglyphMethod method)
{
    AnaglyphMatrices pair;
    switch (method) {
    case AnaglyphMethod::Gray:
        setGreyRow(pair.left, 0);
        setGreyRow(pair.right, 1);
        setGreyRow(pair.right, 2);
        break;
    case AnaglyphMethod::HalfColor:
        setGreyRow(pair.left, 0);
        pair.right.m[1][1] = 1.0;
        pair.right.m[2][2] = 1.0;
        break;
    case AnaglyphMethod::Dubois:
        pair.left = kDuboisLeft;
        pair.right = kDuboisRight;
        break;
    case AnaglyphMethod::ColorMask:
    case AnaglyphMethod::FullColor:
    default:
        // The same mixing; the colour mask method can also be drawn straight through
        // glColorMask, one eye's channels at a time, with nothing to combine afterwards.
        pair.left.m[0][0] = 1.0;
        pair.right.m[1][1] = 1.0;
        pair.right.m[2][2] = 1.0;
        break;
    }
    return pair;
}

ColorMatrix desaturationMatrix(double factor)
{
    if (!(factor > 0.0)) {
        factor = 0.0;  // also for NaN
    } else if (factor > 1.0) {
        factor = 1.0;
    }
    ColorMatrix d;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            d.m[r][c] = factor * kGreyWeights[c] + (r == c ? 1.0 - factor : 0.0);
        }
    }
    return d;
}

void desaturate(const double in[3], double factor, double out[3])
{
    const ColorMatrix d = desaturationMatrix(factor);
    double result[3];
    for (int r = 0; r < 3; ++r) {
        result[r] = d.m[r][0] * in[0] + d.m[r][1] * in[1] + d.m[r][2] * in[2];
    }
    for (int r = 0; r < 3; ++r) {
        out[r] = result[r];
    }
}

AnaglyphMatrices desaturatedAnaglyphMatrices(AnaglyphMethod method, double desaturation)
{
    const AnaglyphMatrices plain = anaglyphMatrices(method);
    const ColorMatrix d = desaturationMatrix(desaturation);
    return {multiply(plain.left, d), multiply(plain.right, d)};
}

AnaglyphMixer::AnaglyphMixer(AnaglyphMethod method, double desaturation)
{
    const AnaglyphMatrices pair = desaturatedAnaglyphMatrices(method, desaturation);
    const ColorMatrix* eyes[2] = {&pair.left, &pair.right};
    for (int i = 0; i < 3; ++i) {
        bias_[i] = 0;
    }
    for (int eye = 0; eye < 2; ++eye) {
        for (int in = 0; in < 3; ++in) {
            std::uint64_t* column = table_[eye * 3 + in];
            for (int v = 0; v < 256; ++v) {
                column[v] = 0;
            }
            for (int out = 0; out < 3; ++out) {
                const double c = eyes[eye]->m[out][in];
                // A negative weight takes most from 255: raising each of its entries by that
                // much keeps them at least 0 without changing their sum's meaning.
                const std::int64_t lift = c < 0.0 ? std::llround(-c * 255.0 * (1 << kFractionBits)) : 0;
                bias_[out] += lift;
                for (int v = 0; v < 256; ++v) {
                    const std::int64_t entry = std::llround(c * v * (1 << kFractionBits)) + lift;
                    column[v] += static_cast<std::uint64_t>(entry) << (kFieldBits * out);
                }
            }
        }
    }
}

bool AnaglyphMixer::combine(const std::uint8_t* left, const std::uint8_t* right, std::uint8_t* out,
                            std::size_t pixelCount, int bytesPerPixel) const
{
    if (bytesPerPixel != 3 && bytesPerPixel != 4) {
        return false;
    }
    if (pixelCount == 0) {
        return true;
    }
    if (left == nullptr || right == nullptr || out == nullptr) {
        return false;
    }
    if (bytesPerPixel == 3) {
        combinePixels<3>(table_, bias_, left, right, out, pixelCount);
    } else {
        combinePixels<4>(table_, bias_, left, right, out, pixelCount);
    }
    return true;
}

bool combineAnaglyph(const std::uint8_t* left, const std::uint8_t* right, std::uint8_t* out,
                     std::size_t pixelCount, int bytesPerPixel, AnaglyphMethod method, double desaturation)
{
    return AnaglyphMixer(method, desaturation).combine(left, right, out, pixelCount, bytesPerPixel);
}
