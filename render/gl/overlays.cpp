// The colour bar, the help text and the message line, drawn in window pixels over the finished picture.
#include "render/gl/overlays.h"

#include <GL/gl.h>

#include <algorithm>

#include "core/value_colors.h"
#include "render/cpu/message_line.h"
#include "render/gl/pixel_state.h"
#include "render/gl/type_text.h"

namespace {

TextStyle inverseStyle(const float bgColor[4], double size)
{
    TextStyle style;
    style.size = size;
    for (int k = 0; k < 3; ++k) {
        style.colour[k] = 1.0f - bgColor[k];
    }
    return style;
}

// The help lines' columns: the text before a tab and after it.
std::pair<std::string, std::string> columnsOf(const std::string& line)
{
    const std::string::size_type tab = line.find('\t');
    if (tab == std::string::npos) {
        return {line, std::string()};
    }
    return {line.substr(0, tab), line.substr(tab + 1)};
}

// A box of the background colour, framed in its inverse, that text is written on; leaves the
// inverse as the current colour. In window pixels (enterViewportPixels).
void drawTextBox(const PixelRect& box, const float bgColor[4], const TextStyle& style)
{
    glColor3f(bgColor[0], bgColor[1], bgColor[2]);
    fillPixelRect(box.x0, box.y0, box.x1, box.y1);
    glColor3fv(style.colour);
    outlinePixelRect(box.x0, box.y0, box.x1, box.y1, std::max(1.0, style.size / 13.0));
}

}  // namespace

void fillPixelRect(double x0, double y0, double x1, double y1)
{
    glBegin(GL_QUADS);
    glVertex2d(x0, y0);
    glVertex2d(x1, y0);
    glVertex2d(x1, y1);
    glVertex2d(x0, y1);
    glEnd();
}

void outlinePixelRect(double x0, double y0, double x1, double y1, double lineWidth)
{
    fillPixelRect(x0 - lineWidth, y0 - lineWidth, x1 + lineWidth, y0);
    fillPixelRect(x0 - lineWidth, y1, x1 + lineWidth, y1 + lineWidth);
    fillPixelRect(x0 - lineWidth, y0, x0, y1);
    fillPixelRect(x1, y0, x1 + lineWidth, y1);
}

void drawColorBar(const Settings& settings, const DataSet& data, const FigureFrame& figure, int width, int height)
{
    const ColorBarLayout layout = colorBarLayout(settings, data, figure, width, height);
    const PixelRect& bar = layout.bar;
    if (width <= 0 || height <= 0 || bar.x0 < 0.0 || bar.height() < 2.0) {
        return;  // no room for a bar
    }
    const double line = figureLineWidthOf(figure, height);
    const double textSize = figureTextSize(settings, figure, height);
    enterViewportPixels(false);
    glBegin(GL_QUADS);
    const double step = bar.height() / kPaletteSize;
    for (int k = 0; k < kPaletteSize; ++k) {
        const Rgb c = paletteColor(settings.colorMap, kPaletteFirst + k);
        glColor3d(c.r, c.g, c.b);
        const double low = bar.y0 + k * step, high = bar.y0 + (k + 1) * step;
        glVertex2d(bar.x0, low);
        glVertex2d(bar.x1, low);
        glVertex2d(bar.x1, high);
        glVertex2d(bar.x0, high);
    }
    glEnd();
    const TextStyle style = inverseStyle(settings.bgColor, textSize);
    glColor3fv(style.colour);
    outlinePixelRect(bar.x0, bar.y0, bar.x1, bar.y1, line);
    for (const ColorBarTick& tick : layout.ticks) {
        fillPixelRect(bar.x1, tick.y - line / 2.0, bar.x1 + layout.tickLength, tick.y + line / 2.0);
    }
    for (const ColorBarTick& tick : layout.ticks) {
        if (tick.labelled) {
            drawTypeText(tick.label, tick.labelX, tick.labelY, style);
        }
    }
    drawTypeText(layout.title, layout.titleX, layout.titleY, style);
    leaveViewportPixels();
}

void drawHelpText(const std::vector<std::string>& lines, const float bgColor[4], double textSize, int width,
                  int height)
{
    if (lines.empty() || width <= 0 || height <= 0) {
        return;
    }
    const double em = textSize, pad = 0.8 * em, lineHeight = 1.5 * em, columnGap = 1.2 * em;
    double keysWidth = 0.0, actionsWidth = 0.0;
    for (const std::string& line : lines) {
        const auto columns = columnsOf(line);
        keysWidth = std::max(keysWidth, measureTypeText(columns.first, em).width);
        actionsWidth = std::max(actionsWidth, measureTypeText(columns.second, em).width);
    }
    const double second = actionsWidth > 0.0 ? columnGap + actionsWidth : 0.0;
    const double x0 = pad, y1 = height - pad;
    const double x1 = std::min(width - pad, x0 + 2 * pad + keysWidth + second);
    const double y0 = std::max(pad, y1 - 2 * pad - lineHeight * static_cast<double>(lines.size()) + 0.5 * em);
    enterViewportPixels(false);
    const TextStyle style = inverseStyle(bgColor, em);
    drawTextBox(PixelRect{x0, y0, x1, y1}, bgColor, style);
    double baseline = y1 - pad - pictureFace().capHeight(em);
    for (const std::string& line : lines) {
        if (baseline < y0 + 0.2 * em) {
            break;  // the window is too low for the rest
        }
        const auto columns = columnsOf(line);
        drawTypeText(columns.first, x0 + pad, baseline, style);
        drawTypeText(columns.second, x0 + pad + keysWidth + columnGap, baseline, style);
        baseline -= lineHeight;
    }
    leaveViewportPixels();
}

void drawMessage(const std::string& message, const float bgColor[4], double textSize, int width, int height)
{
    const MessageLayout layout = messageLayout(message, textSize, width, height, measureTypeText);
    if (layout.line.empty()) {
        return;
    }
    enterViewportPixels(false);
    const TextStyle style = inverseStyle(bgColor, textSize);
    drawTextBox(layout.box, bgColor, style);
    drawTypeText(layout.line, layout.x, layout.baseline, style);
    leaveViewportPixels();
}
