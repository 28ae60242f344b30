// The pictures' type drawn as textured quads, from a glyph texture per context and size.
#include "render/gl/type_text.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <list>
#include <map>
#include <vector>

#include "render/gl/gl_context_id.h"
#include "render/gl/pixel_state.h"

namespace {

// Sizes are baked to the nearest eighth of a pixel; a window resized by hand asks for many
// sizes, of which each context keeps the latest few. Each glyph is baked at kPhases places
// between whole pixels across and as many up and down, so that a text stands where its
// layout puts it to a quarter of a pixel, as it does in a picture drawn larger.
constexpr double kSizeStep = 0.125;
constexpr std::size_t kKeptSizes = 6;
constexpr int kPadding = 1;
constexpr int kPhases = 4;

struct GlyphSlot {
    int x = 0, y = 0;  // in the texture, rows from the top
    int width = 0, height = 0;
    int left = 0, top = 0;
};

// The glyphs of one size in one texture, packed in shelves; a copy of the texture's texels
// lets it grow without baking everything again.
struct GlyphTexture {
    double size = 0.0;
    GLuint texture = 0;
    int width = 0, height = 0;
    std::vector<unsigned char> texels;
    std::map<unsigned long, GlyphSlot> glyphs;  // by code point and phases (glyphKey)
    int shelfX = kPadding, shelfY = kPadding, shelfHeight = 0;
    unsigned long use = 0;
};

struct ContextTextures {
    const void* context = nullptr;
    unsigned long faceVersion = 0;
    std::vector<GlyphTexture> sizes;
};

std::list<ContextTextures> contexts;
unsigned long uses = 0;
double frameTypeSize = 13.0;
bool warned = false;

const TypeFace& faceWarnedOnce()
{
    const TypeFace& face = pictureFace();
    if (!face.trueType() && !warned) {
        warned = true;
        std::printf("Type face not read (%s): texts are written in the small stroke font\n", face.missing().c_str());
        std::fflush(stdout);
    }
    return face;
}

// Texel rows as the coverage arrays hold them: one byte each, packed.
void unpackTightly()
{
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
}

void upload(GlyphTexture& t)
{
    glBindTexture(GL_TEXTURE_2D, t.texture);
    unpackTightly();
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, t.width, t.height, 0, GL_ALPHA, GL_UNSIGNED_BYTE, t.texels.data());
}

// Room for a glyph of width x height; false when the texture is full.
bool place(GlyphTexture& t, int width, int height, GlyphSlot& slot)
{
    if (t.shelfX + width + kPadding > t.width) {
        t.shelfX = kPadding;
        t.shelfY += t.shelfHeight + kPadding;
        t.shelfHeight = 0;
    }
    if (width + 2 * kPadding > t.width || t.shelfY + height + kPadding > t.height) {
        return false;
    }
    slot.x = t.shelfX;
    slot.y = t.shelfY;
    t.shelfX += width + kPadding;
    t.shelfHeight = std::max(t.shelfHeight, height);
    return true;
}

// Doubles the texture's height, keeping what it holds (the rows stay where they are).
void grow(GlyphTexture& t)
{
    t.height *= 2;
    t.texels.resize(static_cast<std::size_t>(t.width) * t.height, 0);
    upload(t);
}

unsigned long glyphKey(char32_t code, int phaseX, int phaseY)
{
    return (static_cast<unsigned long>(code) * kPhases + static_cast<unsigned long>(phaseX)) * kPhases +
           static_cast<unsigned long>(phaseY);
}

// The glyph moved right by phaseX and down by phaseY quarters of a pixel.
const GlyphSlot& glyphOf(GlyphTexture& t, const TypeFace& face, char32_t code, int phaseX, int phaseY)
{
    const unsigned long key = glyphKey(code, phaseX, phaseY);
    const auto found = t.glyphs.find(key);
    if (found != t.glyphs.end()) {
        return found->second;
    }
    const GlyphImage image =
        face.glyph(code, t.size, static_cast<double>(phaseX) / kPhases, static_cast<double>(phaseY) / kPhases);
    GlyphSlot slot;
    slot.width = image.width;
    slot.height = image.height;
    slot.left = image.left;
    slot.top = image.top;
    if (image.width > 0 && image.height > 0) {
        while (!place(t, image.width, image.height, slot)) {
            grow(t);
        }
        for (int row = 0; row < image.height; ++row) {
            std::copy_n(&image.coverage[static_cast<std::size_t>(row) * image.width], image.width,
                        &t.texels[static_cast<std::size_t>(slot.y + row) * t.width + slot.x]);
        }
        glBindTexture(GL_TEXTURE_2D, t.texture);
        unpackTightly();
        glTexSubImage2D(GL_TEXTURE_2D, 0, slot.x, slot.y, image.width, image.height, GL_ALPHA, GL_UNSIGNED_BYTE,
                        image.coverage.data());
    }
    return t.glyphs.emplace(key, slot).first->second;
}

int powerOfTwoAtLeast(int n)
{
    int p = 64;
    while (p < n) {
        p *= 2;
    }
    return p;
}

GlyphTexture& textureFor(double size)
{
    ContextTextures& c = entryOfCurrentContext(contexts);
    if (c.faceVersion != pictureFaceVersion()) {
        for (GlyphTexture& t : c.sizes) {
            glDeleteTextures(1, &t.texture);
        }
        c.sizes.clear();
        c.faceVersion = pictureFaceVersion();
    }
    ++uses;
    for (GlyphTexture& t : c.sizes) {
        if (t.size == size) {
            t.use = uses;
            return t;
        }
    }
    if (c.sizes.size() >= kKeptSizes) {
        const auto oldest = std::min_element(c.sizes.begin(), c.sizes.end(),
                                             [](const GlyphTexture& a, const GlyphTexture& b) { return a.use < b.use; });
        glDeleteTextures(1, &oldest->texture);
        c.sizes.erase(oldest);
    }
    GlyphTexture t;
    t.size = size;
    t.use = uses;
    // Room for the digits and letters of a few labels at first; it grows as glyphs come.
    t.width = powerOfTwoAtLeast(static_cast<int>(std::ceil(size)) * 16);
    t.height = powerOfTwoAtLeast(static_cast<int>(std::ceil(size)) * 4);
    t.texels.assign(static_cast<std::size_t>(t.width) * t.height, 0);
    glGenTextures(1, &t.texture);
    glBindTexture(GL_TEXTURE_2D, t.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    upload(t);
    c.sizes.push_back(std::move(t));
    return c.sizes.back();
}

void drawGlyphs(const TypeFace& face, const std::vector<PlacedGlyph>& glyphs, double x, double baseline, double size)
{
    if (!face.trueType()) {
        glDisable(GL_TEXTURE_2D);
        glBegin(GL_QUADS);
        for (const PlacedGlyph& g : glyphs) {
            for (const StrokeQuad& q : face.strokes(g.code, size)) {
                glVertex2d(x + g.x + q.x0, baseline + q.y0);
                glVertex2d(x + g.x + q.x1, baseline + q.y0);
                glVertex2d(x + g.x + q.x1, baseline + q.y1);
                glVertex2d(x + g.x + q.x0, baseline + q.y1);
            }
        }
        glEnd();
        return;
    }
    GlyphTexture& t = textureFor(size);
    // Each glyph's place in whole pixels and the phases of its remainder: the baseline in the
    // row above it, the glyph moved down from there by its phase.
    struct Placed {
        char32_t code;
        double left, top;
        int phaseX, phaseY;
    };
    std::vector<Placed> placed;
    const double up = std::ceil(baseline);
    int phaseY = static_cast<int>(std::lround((up - baseline) * kPhases));
    const double row = phaseY == kPhases ? up - 1.0 : up;
    phaseY %= kPhases;
    for (const PlacedGlyph& g : glyphs) {
        const double pen = x + g.x, whole = std::floor(pen);
        int phaseX = static_cast<int>(std::lround((pen - whole) * kPhases));
        placed.push_back(Placed{g.code, whole + (phaseX == kPhases ? 1.0 : 0.0), row, phaseX % kPhases, phaseY});
    }
    // Bake what is missing first: baking binds and may grow the texture.
    for (const Placed& p : placed) {
        glyphOf(t, face, p.code, p.phaseX, p.phaseY);
    }
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, t.texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    const double w = t.width, h = t.height;
    glBegin(GL_QUADS);
    for (const Placed& p : placed) {
        const GlyphSlot& s = glyphOf(t, face, p.code, p.phaseX, p.phaseY);
        if (s.width == 0 || s.height == 0) {
            continue;
        }
        const double left = p.left + s.left, top = p.top + s.top;
        const double u0 = s.x / w, u1 = (s.x + s.width) / w, v0 = s.y / h, v1 = (s.y + s.height) / h;
        glTexCoord2d(u0, v1);
        glVertex2d(left, top - s.height);
        glTexCoord2d(u1, v1);
        glVertex2d(left + s.width, top - s.height);
        glTexCoord2d(u1, v0);
        glVertex2d(left + s.width, top);
        glTexCoord2d(u0, v0);
        glVertex2d(left, top);
    }
    glEnd();
}

double bakedSize(double size)
{
    return std::max(kSizeStep, std::round(size / kSizeStep) * kSizeStep);
}

}  // namespace

TextExtent measureTypeText(const std::string& text, double size)
{
    return faceWarnedOnce().measure(text, bakedSize(size));
}

void drawTypeText(const std::string& text, double x, double y, const TextStyle& style)
{
    if (text.empty() || !(style.size > 0.0) || !std::isfinite(x) || !std::isfinite(y)) {
        return;
    }
    const TypeFace& face = faceWarnedOnce();
    const double size = bakedSize(style.size);
    const std::vector<PlacedGlyph> glyphs = face.layout(decodeUtf8(text), size);
    if (style.anchor != TextAnchor::Left) {
        const double width = face.measure(text, size).width;
        x -= style.anchor == TextAnchor::Centre ? width / 2.0 : width;
    }
    enterViewportPixels(true);
    glColor4f(style.colour[0], style.colour[1], style.colour[2], 1.0f);
    drawGlyphs(face, glyphs, x, y, size);
    leaveViewportPixels();
}

void setFrameTypeSize(double size)
{
    frameTypeSize = size;
}

void drawTypeAtRasterPosition(const char* text)
{
    GLboolean valid = GL_FALSE;
    glGetBooleanv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
    if (!valid || text == nullptr || *text == '\0') {
        return;
    }
    GLfloat position[4];
    GLfloat colour[4];
    GLint viewport[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
    glGetFloatv(GL_CURRENT_RASTER_COLOR, colour);
    glGetIntegerv(GL_VIEWPORT, viewport);
    TextStyle style;
    style.size = frameTypeSize;
    std::copy_n(colour, 3, style.colour);
    drawTypeText(text, position[0] - viewport[0], position[1] - viewport[1], style);
}

void forgetTypeTextures(const void* context)
{
    forgetContextEntry(contexts, context, [](ContextTextures& c) {
        for (GlyphTexture& t : c.sizes) {
            glDeleteTextures(1, &t.texture);
        }
    });
}
