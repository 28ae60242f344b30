// The pictures' type face: DejaVu Sans through stb_truetype (whose implementation libstb
// already holds), or the stroke font of stb_easy_font where the face's file is missing.
#include "render/cpu/type_face.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include <stb_truetype.h>

// The header defines helpers as static functions that this file does not all use.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb_easy_font.h>
#pragma GCC diagnostic pop

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The stroke font: capitals 7 units high, descenders 2 below; 9.6 units to the em give its
// capitals the share of the em that DejaVu Sans gives its own (0.73).
constexpr double kStrokeUnitsPerEm = 9.6;
constexpr double kStrokeCapitals = 7.0;
constexpr double kStrokeDescent = 2.0;

// The stroke font knows the printable ASCII characters; any other shows as '?'.
char strokeChar(char32_t code)
{
    return code >= 32 && code <= 126 ? static_cast<char>(code) : '?';
}

int strokeAdvance(char32_t code)
{
    char text[2] = {strokeChar(code), '\0'};
    return stb_easy_font_width(text);
}

std::unique_ptr<TypeFace> shownFace;
std::string shownFacePath = kPictureFacePath;
unsigned long shownFaceVersion = 0;

}  // namespace

struct TypeFace::Font {
    std::vector<unsigned char> bytes;
    stbtt_fontinfo info{};
    // Font units: the em, the capitals' height and the descenders' depth.
    double unitsPerEm = 2048.0;
    double capitals = 0.0;
    double descent = 0.0;
};

std::u32string decodeUtf8(const std::string& text)
{
    std::u32string codes;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        const unsigned char lead = *p;
        int extra = 0;
        char32_t code = 0;
        char32_t least = 0;
        if (lead < 0x80) {
            codes.push_back(lead);
            ++p;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, code = lead & 0x1F, least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, code = lead & 0x0F, least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, code = lead & 0x07, least = 0x10000;
        } else {
            codes.push_back(kReplacement);
            ++p;
            continue;
        }
        int k = 1;
        for (; k <= extra && p + k < end && (p[k] & 0xC0) == 0x80; ++k) {
            code = (code << 6) | (p[k] & 0x3F);
        }
        if (k <= extra || code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            codes.push_back(kReplacement);
            p += k;  // the well-formed start of the sequence, at least its lead byte
            continue;
        }
        codes.push_back(code);
        p += k;
    }
    return codes;
}

TypeFace::TypeFace(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        missing_ = "cannot open " + path;
        return;
    }
    auto font = std::make_unique<Font>();
    font->bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    const int offset = font->bytes.empty() ? -1 : stbtt_GetFontOffsetForIndex(font->bytes.data(), 0);
    if (offset < 0 || !stbtt_InitFont(&font->info, font->bytes.data(), offset)) {
        missing_ = path + " is no TrueType face";
        return;
    }
    font->unitsPerEm = 1.0 / stbtt_ScaleForMappingEmToPixels(&font->info, 1.0f);
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    font->capitals = stbtt_GetCodepointBox(&font->info, 'H', &x0, &y0, &x1, &y1) ? y1 : 0.73 * font->unitsPerEm;
    font->descent = stbtt_GetCodepointBox(&font->info, 'p', &x0, &y0, &x1, &y1) ? -y0 : 0.23 * font->unitsPerEm;
    font_ = std::move(font);
}

TypeFace::~TypeFace() = default;

double TypeFace::advance(char32_t code, char32_t next, double size) const
{
    if (!font_) {
        return strokeAdvance(code) * size / kStrokeUnitsPerEm;
    }
    int width = 0, bearing = 0;
    stbtt_GetCodepointHMetrics(&font_->info, static_cast<int>(code), &width, &bearing);
    const int kern = next != 0 ? stbtt_GetCodepointKernAdvance(&font_->info, static_cast<int>(code),
                                                               static_cast<int>(next))
                               : 0;
    return (width + kern) * size / font_->unitsPerEm;
}

std::vector<PlacedGlyph> TypeFace::layout(const std::u32string& text, double size) const
{
    std::vector<PlacedGlyph> glyphs;
    glyphs.reserve(text.size());
    double x = 0.0;
    for (std::size_t k = 0; k < text.size(); ++k) {
        glyphs.push_back(PlacedGlyph{text[k], x});
        x += advance(text[k], k + 1 < text.size() ? text[k + 1] : 0, size);
    }
    return glyphs;
}

TextExtent TypeFace::measure(const std::string& text, double size) const
{
    const std::u32string codes = decodeUtf8(text);
    TextExtent extent;
    for (std::size_t k = 0; k < codes.size(); ++k) {
        extent.width += advance(codes[k], k + 1 < codes.size() ? codes[k + 1] : 0, size);
    }
    extent.ascent = capHeight(size);
    extent.descent = descent(size);
    return extent;
}

double TypeFace::capHeight(double size) const
{
    return font_ ? font_->capitals * size / font_->unitsPerEm : kStrokeCapitals * size / kStrokeUnitsPerEm;
}

double TypeFace::descent(double size) const
{
    return font_ ? font_->descent * size / font_->unitsPerEm : kStrokeDescent * size / kStrokeUnitsPerEm;
}

GlyphImage TypeFace::glyph(char32_t code, double size, double shiftX, double shiftY) const
{
    GlyphImage image;
    if (!font_) {
        return image;
    }
    const float scale = static_cast<float>(size / font_->unitsPerEm);
    int width = 0, height = 0, xoff = 0, yoff = 0;
    unsigned char* bitmap =
        stbtt_GetCodepointBitmapSubpixel(&font_->info, scale, scale, static_cast<float>(shiftX),
                                         static_cast<float>(shiftY), static_cast<int>(code), &width, &height, &xoff,
                                         &yoff);
    if (bitmap == nullptr) {
        return image;
    }
    image.width = width;
    image.height = height;
    image.left = xoff;
    image.top = -yoff;
    image.coverage.assign(bitmap, bitmap + static_cast<std::size_t>(width) * height);
    stbtt_FreeBitmap(bitmap, nullptr);
    return image;
}

std::vector<StrokeQuad> TypeFace::strokes(char32_t code, double size) const
{
    std::vector<StrokeQuad> quads;
    if (font_) {
        return quads;
    }
    char text[2] = {strokeChar(code), '\0'};
    // Each quad is four vertices of 16 bytes: x, y, z as floats and a colour.
    struct Vertex {
        float x, y, z;
        unsigned char colour[4];
    };
    Vertex vertices[4 * 64];
    const int count = stb_easy_font_print(0.0f, 0.0f, text, nullptr, vertices, sizeof vertices);
    const double scale = size / kStrokeUnitsPerEm;
    for (int q = 0; q < count; ++q) {
        const Vertex& a = vertices[4 * q];
        const Vertex& c = vertices[4 * q + 2];
        // The font's y runs down from the top of the capitals.
        quads.push_back(StrokeQuad{a.x * scale, (kStrokeCapitals - c.y) * scale, c.x * scale,
                                   (kStrokeCapitals - a.y) * scale});
    }
    return quads;
}

const TypeFace& pictureFace()
{
    if (!shownFace) {
        shownFace = std::make_unique<TypeFace>(shownFacePath);
    }
    return *shownFace;
}

void usePictureFaceFile(const std::string& path)
{
    shownFacePath = path;
    shownFace.reset();
    ++shownFaceVersion;
}

unsigned long pictureFaceVersion()
{
    return shownFaceVersion;
}
