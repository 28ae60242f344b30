// The legend of text groups, laid out in window pixels by the type's measures and drawn in
// the pictures' type.
#include "render/gl/group_legend.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/colors.h"
#include "core/display_text.h"
#include "core/value_colors.h"
#include "render/gl/figure_parts.h"
#include "render/gl/overlays.h"
#include "render/gl/pixel_state.h"
#include "render/gl/type_text.h"

namespace {

// A group's text is cut to this many characters, with an ellipsis.
constexpr std::size_t kTextChars = 24;

// The legend's measures in pixels for type of em pixels per em.
struct LegendMeasures {
    int line, margin, pad, swatch;
    explicit LegendMeasures(double em)
        : line(std::max(1, static_cast<int>(std::lround(1.5 * em)))),
          margin(static_cast<int>(std::lround(0.8 * em))),
          pad(static_cast<int>(std::lround(0.6 * em))),
          swatch(std::max(2, static_cast<int>(std::lround(0.9 * em))))
    {
    }
};

}  // namespace

bool showsGroupLegend(const Settings& settings, const DataSet& data)
{
    return settings.colorBy == ColorBy::Group && viewModeKeepsColors(settings.stereoMode) &&
           data.loadedFormat == static_cast<int>(DataFormat::Colored) && !data.groupNames.empty();
}

GroupLegendLayout groupLegendLayout(const DataSet& data, double textSize, int width, int height)
{
    const LegendMeasures m(textSize);
    GroupLegendLayout layout;
    layout.swatch = m.swatch;
    const int count = std::min(kLegendGroups, static_cast<int>(data.groupNames.size()));
    const int rows = std::max(1, (height - 2 * m.margin - 2 * m.pad) / m.line);
    const int top = height - m.margin - m.pad;
    // Columns of rows entries, left to right, as many as the picture's width holds.
    std::vector<LegendEntry> entries;
    int used = m.pad;
    for (int first = 0; first < count; first += rows) {
        double longest = 0.0;
        std::vector<LegendEntry> column;
        for (int g = first; g < std::min(count, first + rows); ++g) {
            const std::string text = shortenWithEllipsis(escapeControlCharacters(data.groupNames[g]), kTextChars);
            longest = std::max(longest, measureTypeText(text, textSize).width);
            const int y = top - (g - first + 1) * m.line + (m.line - m.swatch) / 2;
            const int textX = used + m.swatch + m.pad;
            column.push_back(LegendEntry{g, used, y, textX, y + m.swatch / 8, text});
        }
        const int columnWidth = m.swatch + m.pad + static_cast<int>(std::ceil(longest)) + m.pad;
        if (!entries.empty() && used + columnWidth > width - 2 * m.margin) {
            break;
        }
        entries.insert(entries.end(), column.begin(), column.end());
        used += columnWidth;
    }
    // Shifted to stand at the right edge.
    layout.x1 = width - m.margin;
    layout.x0 = layout.x1 - used;
    for (LegendEntry& e : entries) {
        e.x += layout.x0;
        e.textX += layout.x0;
    }
    layout.entries = std::move(entries);
    layout.y1 = height - m.margin;
    layout.y0 = layout.y1 - 2 * m.pad - std::min(rows, count) * m.line;
    return layout;
}

void drawGroupLegend(const Settings& settings, const DataSet& data, const FigureFrame& figure, int width,
                     int height)
{
    if (width <= 0 || height <= 0) {
        return;
    }
    const double textSize = figureTextSize(settings, figure, height);
    const GroupLegendLayout layout = groupLegendLayout(data, textSize, width, height);
    const float* bg = settings.bgColor;
    enterViewportPixels(false);
    glColor3f(bg[0], bg[1], bg[2]);
    fillPixelRect(layout.x0, layout.y0, layout.x1, layout.y1);
    for (const LegendEntry& e : layout.entries) {
        const DataColor c = groupColor(settings, dataColorIndex(e.group));
        glColor3f(c.r, c.g, c.b);
        fillPixelRect(e.x, e.y, e.x + layout.swatch, e.y + layout.swatch);
    }
    TextStyle style;
    style.size = textSize;
    for (int k = 0; k < 3; ++k) {
        style.colour[k] = 1.0f - bg[k];
    }
    for (const LegendEntry& e : layout.entries) {
        drawTypeText(e.text, e.textX, e.textY, style);
    }
    leaveViewportPixels();
}
