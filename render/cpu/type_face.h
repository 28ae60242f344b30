// The type face of the texts written over and into the pictures: DejaVu Sans, rasterised
// with coverage by stb_truetype at any size, or, where the face's file is missing, the small
// stroke font of stb_easy_font scaled to the same size. Measuring and laying out text need
// no OpenGL: the label layout and the fit of the picture use them.
#pragma once

#include <memory>
#include <string>
#include <vector>

// Where Debian's fonts-dejavu-core installs the face.
constexpr const char* kPictureFacePath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// The UTF-8 text as code points; a byte that does not start a well-formed sequence stands
// for U+FFFD.
std::u32string decodeUtf8(const std::string& text);

// One glyph of a laid-out text: its code point and the pen's x where it starts.
struct PlacedGlyph {
    char32_t code = 0;
    double x = 0.0;
};

// A text's extent at a size: its advance width and how far its glyphs reach above and below
// the baseline (the face's capitals and descenders, so that texts of one size line up).
struct TextExtent {
    double width = 0.0;
    double ascent = 0.0;
    double descent = 0.0;
};

// A glyph's coverage, rows from the top: its top-left corner stands left pixels right of the
// pen and top pixels above the baseline.
struct GlyphImage {
    int width = 0, height = 0;
    int left = 0, top = 0;
    std::vector<unsigned char> coverage;
};

// A rectangle of the stroke font, in pixels from the pen on the baseline, y up.
struct StrokeQuad {
    double x0, y0, x1, y1;
};

class TypeFace {
public:
    // Reads the face from path; a file that cannot be read or is no TrueType face leaves the
    // stroke font, and missing() says why.
    explicit TypeFace(const std::string& path);
    ~TypeFace();
    TypeFace(const TypeFace&) = delete;
    TypeFace& operator=(const TypeFace&) = delete;

    // Whether the TrueType face was read.
    bool trueType() const { return font_ != nullptr; }
    // Why not, as one line ("cannot open ..."); empty when it was.
    const std::string& missing() const { return missing_; }

    // Each glyph's place along the baseline, by advance widths and kerning, at size pixels
    // per em.
    std::vector<PlacedGlyph> layout(const std::u32string& text, double size) const;
    TextExtent measure(const std::string& text, double size) const;
    // The height of the capitals above the baseline, and the depth of the descenders below it.
    double capHeight(double size) const;
    double descent(double size) const;

    // The glyph's coverage at size (TrueType only; empty for the stroke font or a glyph of
    // no ink, such as a space), moved right by shiftX and down by shiftY (parts of a pixel,
    // for glyphs placed between whole pixels).
    GlyphImage glyph(char32_t code, double size, double shiftX = 0.0, double shiftY = 0.0) const;
    // The stroke font's rectangles of one glyph at size (the stroke font only).
    std::vector<StrokeQuad> strokes(char32_t code, double size) const;

private:
    double advance(char32_t code, char32_t next, double size) const;

    struct Font;
    std::unique_ptr<Font> font_;
    std::string missing_;
};

// The face of every picture: DejaVu Sans from kPictureFacePath, read on first use.
const TypeFace& pictureFace();
// Reads the pictures' face from another file from now on (tests: a missing file gives the
// stroke font).
void usePictureFaceFile(const std::string& path);
// Moves on whenever the pictures' face is replaced, so that glyphs kept from it are dropped.
unsigned long pictureFaceVersion();
