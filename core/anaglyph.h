// Colour anaglyphs: the ways of mixing a left and a right picture into one picture for
// red-cyan glasses, the desaturation that eases rivalry, and the per-pixel combining.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/modes.h"

// The weights that make a grey of red, green and blue.
constexpr double kGreyWeights[3] = {0.299, 0.587, 0.114};

// The words a method is given on a command line as, in the order of the methods' values:
// mask, gray, half-color, color, dubois.
extern const char* const kAnaglyphMethodWords[kAnaglyphMethodCount];
// The word of a method, and the method a word names (nothing for an unknown word).
const char* anaglyphMethodWord(AnaglyphMethod method);
std::optional<AnaglyphMethod> anaglyphMethodFromWord(std::string_view word);
// The method's name in the panel's list.
const char* anaglyphMethodLabel(AnaglyphMethod method);

// A 3 x 3 colour matrix: m[out][in], applied to a column of red, green, blue.
struct ColorMatrix {
    double m[3][3] = {};
};

// What a method makes of the two eyes' colours L and R (each 0 to 1):
// out = clamp(left * L + right * R, 0, 1).
struct AnaglyphMatrices {
    ColorMatrix left, right;
};
AnaglyphMatrices anaglyphMatrices(AnaglyphMethod method);

// Moves a colour towards its grey: factor 0 leaves it, 1 makes it grey. The factor is
// taken into 0..1; a factor that is not a number leaves the colour as it is.
ColorMatrix desaturationMatrix(double factor);
void desaturate(const double in[3], double factor, double out[3]);

// The method's matrices with the desaturation folded in: each eye's matrix times the
// desaturation matrix, since the colours are desaturated before they are mixed.
AnaglyphMatrices desaturatedAnaglyphMatrices(AnaglyphMethod method, double desaturation);

// Combines two pictures of bytes into one, pixel by pixel, for pictures read back from a
// window or drawn by hand. Exact rule, for every output channel:
//   out = clamp(floor(sum of T[v] over the six eye channels + 1/2), 0, 255)
// where T[v] = round(c * v * 1024) / 1024 for the channel value v (0..255) and the
// matrix entry c of desaturatedAnaglyphMatrices. It differs from the exact real
// clamp(left * L + right * R) by less than 0.51 of a step, so never by more than one step.
class AnaglyphMixer {
public:
    AnaglyphMixer(AnaglyphMethod method, double desaturation);

    // pixelCount pixels of bytesPerPixel (3: R, G, B; 4: R, G, B, A) bytes each, one after
    // another without row padding (read RGB with GL_PACK_ALIGNMENT 1, or read RGBA). out
    // may be left or right itself; its alpha, with 4 bytes per pixel, becomes 255. Returns
    // false, and writes nothing, for another bytesPerPixel or a missing picture.
    bool combine(const std::uint8_t* left, const std::uint8_t* right, std::uint8_t* out,
                 std::size_t pixelCount, int bytesPerPixel) const;

private:
    // For each of the six eye channels (left R, G, B, right R, G, B) and each value, the
    // contributions to the output red, green and blue in steps of 1/1024, each raised by
    // a bias so that all are at least 0 and six of them fit their 21 bits when packed.
    std::uint64_t table_[6][256];
    std::int64_t bias_[3];
};

// One call of AnaglyphMixer for a single picture.
bool combineAnaglyph(const std::uint8_t* left, const std::uint8_t* right, std::uint8_t* out,
                     std::size_t pixelCount, int bytesPerPixel, AnaglyphMethod method, double desaturation);
