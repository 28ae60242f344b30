// The legend of text groups, laid out in window pixels and drawn with the overlay text calls.
#include "render/gl/group_legend.h"

#include <GL/gl.h>

#include <algorithm>
#include <utility>

#include "core/colors.h"
#include "core/display_text.h"
#include "core/value_colors.h"
#include "render/gl/overlays.h"

namespace {

// The overlay fonts' widest advance and line height, and the room around the entries.
constexpr int kCharWidth = 12;
constexpr int kLineHeight = 22;
constexpr int kMargin = 10;
constexpr int kPad = 8;
constexpr int kSwatch = 14;
constexpr std::size_t kTextChars = 24;

}  // namespace

bool showsGroupLegend(const Settings& settings, const DataSet& data)
{
    return settings.colorBy == ColorBy::Group && viewModeKeepsColors(settings.stereoMode) &&
           data.loadedFormat == static_cast<int>(DataFormat::Colored) && !data.groupNames.empty();
}

GroupLegendLayout groupLegendLayout(const DataSet& data, int width, int height)
{
    GroupLegendLayout layout;
    layout.swatch = kSwatch;
    const int count = std::min(kLegendGroups, static_cast<int>(data.groupNames.size()));
    const int rows = std::max(1, (height - 2 * kMargin - 2 * kPad) / kLineHeight);
    const int top = height - kMargin - kPad;
    // Columns of rows entries, left to right, as many as the window's width holds.
    std::vector<LegendEntry> entries;
    std::vector<int> columnWidths;
    int used = kPad;
    for (int first = 0; first < count; first += rows) {
        std::size_t longest = 0;
        std::vector<LegendEntry> column;
        for (int g = first; g < std::min(count, first + rows); ++g) {
            const std::string text = shortenWithEllipsis(escapeControlCharacters(data.groupNames[g]), kTextChars);
            longest = std::max(longest, text.size());
            const int y = top - (g - first + 1) * kLineHeight + (kLineHeight - kSwatch) / 2;
            column.push_back(LegendEntry{g, used, y, used + kSwatch + kPad, text});
        }
        const int columnWidth = kSwatch + kPad + kCharWidth * static_cast<int>(longest) + kPad;
        if (!entries.empty() && used + columnWidth > width - 2 * kMargin) {
            break;
        }
        entries.insert(entries.end(), column.begin(), column.end());
        used += columnWidth;
    }
    // Shifted to stand at the right edge.
    layout.x1 = width - kMargin;
    layout.x0 = layout.x1 - used;
    for (LegendEntry& e : entries) {
        e.x += layout.x0;
        e.textX += layout.x0;
    }
    layout.entries = std::move(entries);
    layout.y1 = height - kMargin;
    layout.y0 = layout.y1 - 2 * kPad - std::min(rows, count) * kLineHeight;
    return layout;
}

void drawGroupLegend(const Settings& settings, const DataSet& data, int width, int height,
                     void (*drawText)(const char* text))
{
    if (width <= 0 || height <= 0) {
        return;
    }
    const GroupLegendLayout layout = groupLegendLayout(data, width, height);
    const float* bg = settings.bgColor;
    beginOverlayPixels(width, height);
    glColor3f(bg[0], bg[1], bg[2]);
    glRecti(layout.x0, layout.y0, layout.x1, layout.y1);
    for (const LegendEntry& e : layout.entries) {
        const DataColor c = groupColor(settings, dataColorIndex(e.group));
        glColor3f(c.r, c.g, c.b);
        glRecti(e.x, e.y, e.x + layout.swatch, e.y + layout.swatch);
        glColor3f(1.0f - bg[0], 1.0f - bg[1], 1.0f - bg[2]);
        glRasterPos2i(e.textX, e.y + 1);
        drawText(e.text.c_str());
    }
    endOverlayPixels();
}
