// The colour bar and the help text, drawn in window pixels over the finished picture.
#include "render/gl/overlays.h"

#include <GL/gl.h>

#include <algorithm>

#include "core/value_colors.h"

namespace {

// The widest glyph advance of either overlay font, for room that text needs.
constexpr int kCharWidth = 12;
constexpr int kLineHeight = 22;
constexpr int kMargin = 10;

}  // namespace

void beginOverlayPixels(int width, int height)
{
    glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT | GL_CURRENT_BIT | GL_LINE_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LINE_SMOOTH);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glLineWidth(1.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void endOverlayPixels()
{
    glPopAttrib();
}

namespace {

void inverseOf(const float bgColor[4])
{
    glColor3f(1.0f - bgColor[0], 1.0f - bgColor[1], 1.0f - bgColor[2]);
}

// A rectangle's outline through the centres of its edge pixels.
void outline(int x0, int y0, int x1, int y1)
{
    glBegin(GL_LINE_LOOP);
    glVertex2f(x0 + 0.5f, y0 + 0.5f);
    glVertex2f(x1 - 0.5f, y0 + 0.5f);
    glVertex2f(x1 - 0.5f, y1 - 0.5f);
    glVertex2f(x0 + 0.5f, y1 - 0.5f);
    glEnd();
}

void textAt(int x, int y, const std::string& text, void (*drawText)(const char* text))
{
    glRasterPos2i(x, y);
    drawText(text.c_str());
}

}  // namespace

ColorBarPlace colorBarPlace(const Settings& settings, const DataSet& data, int width, int height)
{
    const ColorRange range = colorBarRange(settings, data);
    const std::size_t labelChars = std::max(colorBarLabel(range.lo, range).size(), colorBarLabel(range.hi, range).size());
    ColorBarPlace p;
    const int barWidth = std::clamp(width / 30, 8, 24);
    p.x1 = width - kMargin - kCharWidth * static_cast<int>(labelChars) - 6;
    p.x0 = p.x1 - barWidth;
    p.y0 = height / 5;
    p.y1 = height - height / 5;
    p.labelX = p.x1 + 6;
    return p;
}

bool showsColorBar(const Settings& settings)
{
    return settings.colorBy == ColorBy::Height && viewModeKeepsColors(settings.stereoMode);
}

void drawColorBar(const Settings& settings, const DataSet& data, int width, int height,
                  void (*drawText)(const char* text))
{
    const ColorBarPlace p = colorBarPlace(settings, data, width, height);
    if (width <= 0 || height <= 0 || p.x0 < 0 || p.y1 - p.y0 < 2) {
        return;  // no room for a bar
    }
    beginOverlayPixels(width, height);
    glBegin(GL_QUADS);
    const double step = static_cast<double>(p.y1 - p.y0) / kPaletteSize;
    for (int k = 0; k < kPaletteSize; ++k) {
        const Rgb c = paletteColor(settings.colorMap, kPaletteFirst + k);
        glColor3d(c.r, c.g, c.b);
        const double low = p.y0 + k * step, high = p.y0 + (k + 1) * step;
        glVertex2d(p.x0, low);
        glVertex2d(p.x1, low);
        glVertex2d(p.x1, high);
        glVertex2d(p.x0, high);
    }
    glEnd();
    inverseOf(settings.bgColor);
    outline(p.x0 - 1, p.y0 - 1, p.x1 + 1, p.y1 + 1);
    const ColorRange range = colorBarRange(settings, data);
    // The high end's text hangs from the top of the bar, the low end's stands on its bottom.
    textAt(p.labelX, p.y1 - kLineHeight * 2 / 3, colorBarLabel(range.hi, range), drawText);
    textAt(p.labelX, p.y0, colorBarLabel(range.lo, range), drawText);
    endOverlayPixels();
}

void drawHelpText(const std::vector<std::string>& lines, const float bgColor[4], int width, int height,
                  void (*drawText)(const char* text))
{
    if (lines.empty() || width <= 0 || height <= 0) {
        return;
    }
    std::size_t longest = 0;
    for (const std::string& line : lines) {
        longest = std::max(longest, line.size());
    }
    const int x0 = kMargin, y1 = height - kMargin;
    const int x1 = std::min(width - kMargin, x0 + 2 * kMargin + kCharWidth * static_cast<int>(longest));
    const int y0 = std::max(kMargin, y1 - 2 * kMargin - kLineHeight * static_cast<int>(lines.size()));
    beginOverlayPixels(width, height);
    glColor3f(bgColor[0], bgColor[1], bgColor[2]);
    glRecti(x0, y0, x1, y1);
    inverseOf(bgColor);
    outline(x0, y0, x1, y1);
    int baseline = y1 - kMargin - kLineHeight * 3 / 4;
    for (const std::string& line : lines) {
        if (baseline < y0 + 4) {
            break;  // the window is too low for the rest
        }
        textAt(x0 + kMargin, baseline, line, drawText);
        baseline -= kLineHeight;
    }
    endOverlayPixels();
}
