// Placing labels beside their anchors and leaving out those that would collide.
#include "render/cpu/label_layout.h"

#include <algorithm>
#include <cmath>

PixelRect unite(const PixelRect& a, const PixelRect& b)
{
    if (a.empty()) {
        return b;
    }
    if (b.empty()) {
        return a;
    }
    return PixelRect{std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

double reachAlong(double dx, double dy, double width, double height)
{
    return std::fabs(dx) * width + std::fabs(dy) * height;
}

PixelRect boxBeside(double anchorX, double anchorY, double dx, double dy, double gap, double width, double ascent,
                    double descent)
{
    const double height = ascent + descent;
    // The box's centre stands out by the gap and half of the box's own reach that way.
    const double out = gap + reachAlong(dx, dy, width, height) / 2.0;
    const double cx = anchorX + dx * out, cy = anchorY + dy * out;
    return PixelRect{cx - width / 2.0, cy - height / 2.0, cx + width / 2.0, cy + height / 2.0};
}

std::vector<bool> thinEvenly(const std::vector<PixelRect>& row, double gap)
{
    std::vector<bool> kept(row.size(), false);
    for (std::size_t stride = 1; stride <= std::max<std::size_t>(1, row.size()); ++stride) {
        bool apart = true;
        for (std::size_t k = 0; apart && k + stride < row.size(); k += stride) {
            apart = !row[k].grown(gap / 2.0).intersects(row[k + stride].grown(gap / 2.0));
        }
        if (apart) {
            for (std::size_t k = 0; k < row.size(); k += stride) {
                kept[k] = true;
            }
            return kept;
        }
    }
    return kept;
}

std::vector<bool> keepClear(const std::vector<PixelRect>& candidates, std::vector<PixelRect>& taken, double gap)
{
    std::vector<bool> kept(candidates.size(), false);
    for (std::size_t k = 0; k < candidates.size(); ++k) {
        const PixelRect grown = candidates[k].grown(gap);
        if (candidates[k].empty() ||
            std::any_of(taken.begin(), taken.end(), [&](const PixelRect& t) { return grown.intersects(t); })) {
            continue;
        }
        kept[k] = true;
        taken.push_back(candidates[k]);
    }
    return kept;
}
