// The colour bar's place, ticks and title.
#include "render/cpu/color_bar_layout.h"

#include <algorithm>
#include <cmath>

#include "core/axis_ticks.h"
#include "render/cpu/figure_fit.h"

namespace {

// In ems: the bar's width, its tick marks, the gap from the marks to their labels and from
// the bar's top to the title's baseline.
constexpr double kBarWidth = 1.2;
constexpr double kTickLength = 0.35;
constexpr double kLabelGap = 0.3;
constexpr double kTitleGap = 0.7;

}  // namespace

ColorBarLayout layOutColorBar(double lo, double hi, const std::string& title, int width, int height,
                              double textSize, const std::function<TextExtent(const std::string&, double)>& measure)
{
    const auto extentOf = [&](const std::string& text) {
        return measure ? measure(text, textSize) : pictureFace().measure(text, textSize);
    };
    ColorBarLayout layout;
    const AxisTicks ticks = niceTicks(lo, hi);
    double widest = 0.0;
    for (const std::string& label : ticks.labels) {
        widest = std::max(widest, extentOf(label).width);
    }
    const double em = textSize;
    layout.tickLength = kTickLength * em;
    // From the right margin inwards: the labels, their gap, the marks, then the bar.
    const double right = width - kFitMargin * width;
    layout.bar.x1 = right - widest - kLabelGap * em - layout.tickLength;
    layout.bar.x0 = layout.bar.x1 - kBarWidth * em;
    layout.bar.y0 = height / 5.0;
    layout.bar.y1 = height - height / 5.0;
    layout.area = layout.bar;

    const double span = hi - lo;
    std::vector<PixelRect> row;
    for (std::size_t k = 0; k < ticks.values.size(); ++k) {
        ColorBarTick tick;
        const double t = span != 0.0 ? (ticks.values[k] - lo) / span : 0.5;
        tick.y = layout.bar.y0 + t * (layout.bar.y1 - layout.bar.y0);
        tick.label = ticks.labels[k];
        const TextExtent extent = extentOf(tick.label);
        tick.labelX = layout.bar.x1 + layout.tickLength + kLabelGap * em;
        // The label's capitals stand centred on its tick.
        tick.labelY = tick.y - extent.ascent / 2.0;
        row.push_back(PixelRect{tick.labelX, tick.labelY - extent.descent, tick.labelX + extent.width,
                                tick.labelY + extent.ascent});
        layout.ticks.push_back(tick);
    }
    // Ticks may run either way up the bar; labels are thinned in the order they stand.
    std::vector<std::size_t> order(row.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        order[k] = k;
    }
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return row[a].y0 < row[b].y0; });
    std::vector<PixelRect> sorted;
    for (std::size_t k : order) {
        sorted.push_back(row[k]);
    }
    const std::vector<bool> kept = thinEvenly(sorted, 0.2 * em);
    for (std::size_t k = 0; k < order.size(); ++k) {
        layout.ticks[order[k]].labelled = kept[k];
        if (kept[k]) {
            layout.area = unite(layout.area, sorted[k]);
        }
    }
    layout.area = unite(layout.area, PixelRect{layout.bar.x1, layout.bar.y0, layout.bar.x1 + layout.tickLength,
                                               layout.bar.y1});

    layout.title = title;
    if (!title.empty()) {
        const TextExtent extent = extentOf(title);
        // Centred over the bar, but never past the right margin.
        layout.titleX = std::min((layout.bar.x0 + layout.bar.x1) / 2.0 - extent.width / 2.0, right - extent.width);
        layout.titleY = layout.bar.y1 + kTitleGap * em;
        layout.area = unite(layout.area, PixelRect{layout.titleX, layout.titleY - extent.descent,
                                                   layout.titleX + extent.width, layout.titleY + extent.ascent});
    }
    return layout;
}
