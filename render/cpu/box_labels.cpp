// Laying out the box's tick labels and axis titles in the viewport.
#include "render/cpu/box_labels.h"

#include <algorithm>
#include <cmath>

namespace {

// Tick marks reach out of the box by this share of its largest side.
constexpr double kTickShare = 0.03;
// In ems: from a tick mark's end to its label, from the labels to the title, and the room
// kept free around every label.
constexpr double kLabelGap = 0.4;
constexpr double kTitleGap = 0.6;
constexpr double kApart = 0.3;

struct Point2 {
    double x = 0.0, y = 0.0;
};

void cornerOf(const std::array<DataAxis, 3>& axes, const int at[3], double p[3])
{
    for (int a = 0; a < 3; ++a) {
        p[a] = at[a] ? axes[static_cast<std::size_t>(a)].high : axes[static_cast<std::size_t>(a)].low;
    }
}

PixelRect pointRect(const Point2& p)
{
    return PixelRect{p.x, p.y, p.x + 1e-9, p.y + 1e-9};
}

// One axis's labels and title where they would stand before any is left out.
struct AxisCandidates {
    std::vector<BoxLabel> ticks;
    BoxLabel title;
    bool hasTitle = false;
};

}  // namespace

bool projectToViewport(const float m[16], int width, int height, const double p[3], double& x, double& y)
{
    const double w = m[3] * p[0] + m[7] * p[1] + m[11] * p[2] + m[15];
    if (!(w > 1e-9)) {
        return false;
    }
    const double nx = (m[0] * p[0] + m[4] * p[1] + m[8] * p[2] + m[12]) / w;
    const double ny = (m[1] * p[0] + m[5] * p[1] + m[9] * p[2] + m[13]) / w;
    x = (nx + 1.0) * 0.5 * width;
    y = (ny + 1.0) * 0.5 * height;
    return std::isfinite(x) && std::isfinite(y);
}

double boxTickLength(const std::array<DataAxis, 3>& axes)
{
    double largest = 0.0;
    for (const DataAxis& axis : axes) {
        largest = std::max(largest, std::fabs(axis.high - axis.low));
    }
    return kTickShare * (largest > 0.0 ? largest : 1.0);
}

BoxLayout layOutBoxLabels(const BoxLabelInputs& in)
{
    const auto measure = [&](const std::string& text) {
        return in.measure ? in.measure(text, in.textSize) : pictureFace().measure(text, in.textSize);
    };
    const auto project = [&](const double p[3], Point2& out) {
        return projectToViewport(in.clipFromModel, in.width, in.height, p, out.x, out.y);
    };
    BoxLayout layout;
    layout.edges = in.fixedEdges ? in.edges : tickEdges(in.axes, in.clipFromModel);

    // The box's corners, and the middle of their projections to tell outward from inward.
    Point2 centre;
    for (int k = 0; k < 8; ++k) {
        const int at[3] = {k & 1, (k >> 1) & 1, (k >> 2) & 1};
        double p[3];
        cornerOf(in.axes, at, p);
        Point2 q;
        if (!project(p, q)) {
            layout.bounds = layout.reach = PixelRect{};
            return layout;  // a box reaching behind the eye has no outline to label
        }
        centre.x += q.x / 8.0;
        centre.y += q.y / 8.0;
        layout.bounds = unite(layout.bounds, pointRect(q));
    }

    const double em = in.textSize;
    std::array<AxisCandidates, 3> candidates;
    for (int a = 0; a < 3; ++a) {
        const TickEdge& e = layout.edges[static_cast<std::size_t>(a)];
        const DataAxis& axis = in.axes[static_cast<std::size_t>(a)];
        if (!e.shown) {
            continue;
        }
        int lowEnd[3] = {e.at[0], e.at[1], e.at[2]}, highEnd[3] = {e.at[0], e.at[1], e.at[2]};
        lowEnd[a] = 0;
        highEnd[a] = 1;
        double p0[3], p1[3], middle[3], tickEnd[3];
        cornerOf(in.axes, lowEnd, p0);
        cornerOf(in.axes, highEnd, p1);
        for (int o = 0; o < 3; ++o) {
            middle[o] = (p0[o] + p1[o]) / 2.0;
            tickEnd[o] = middle[o] + e.out[o] * in.tickLength;
        }
        Point2 q0, q1, mid, tip;
        if (!project(p0, q0) || !project(p1, q1) || !project(middle, mid) || !project(tickEnd, tip)) {
            continue;
        }
        // Across the edge in the picture, away from the box.
        double nx = -(q1.y - q0.y), ny = q1.x - q0.x;
        double length = std::hypot(nx, ny);
        if (length < 1e-6) {
            nx = tip.x - mid.x, ny = tip.y - mid.y;
            length = std::hypot(nx, ny);
        }
        if (length < 1e-9) {
            continue;
        }
        nx /= length;
        ny /= length;
        if (nx * (mid.x - centre.x) + ny * (mid.y - centre.y) < 0.0) {
            nx = -nx;
            ny = -ny;
        }
        const double reach = std::max(0.0, (tip.x - mid.x) * nx + (tip.y - mid.y) * ny);
        double deepest = 0.0;
        for (std::size_t k = 0; k < axis.drawn.size() && k < axis.ticks.labels.size(); ++k) {
            double at[3] = {middle[0], middle[1], middle[2]};
            at[a] = axis.drawn[k];
            double end[3] = {at[0] + e.out[0] * in.tickLength, at[1] + e.out[1] * in.tickLength,
                             at[2] + e.out[2] * in.tickLength};
            Point2 q, markEnd;
            if (!project(at, q) || !project(end, markEnd)) {
                continue;
            }
            layout.bounds = unite(layout.bounds, pointRect(markEnd));
            BoxLabel label;
            label.text = axis.ticks.labels[k];
            label.axis = a;
            const TextExtent extent = measure(label.text);
            label.box = boxBeside(q.x + nx * reach, q.y + ny * reach, nx, ny, kLabelGap * em, extent.width,
                                  extent.ascent, extent.descent);
            label.x = label.box.x0;
            label.y = label.box.y0 + extent.descent;
            deepest = std::max(deepest, reachAlong(nx, ny, label.box.width(), label.box.height()));
            candidates[static_cast<std::size_t>(a)].ticks.push_back(label);
        }
        const std::string& name = in.titles[static_cast<std::size_t>(a)];
        if (!name.empty()) {
            BoxLabel& title = candidates[static_cast<std::size_t>(a)].title;
            title.text = name;
            title.axis = a;
            title.title = true;
            const TextExtent extent = measure(name);
            const double out = reach + (deepest > 0.0 ? kLabelGap * em + deepest : 0.0);
            title.box = boxBeside(mid.x + nx * out, mid.y + ny * out, nx, ny, kTitleGap * em, extent.width,
                                  extent.ascent, extent.descent);
            title.x = title.box.x0;
            title.y = title.box.y0 + extent.descent;
            candidates[static_cast<std::size_t>(a)].hasTitle = true;
        }
    }

    layout.reach = layout.bounds;
    for (const AxisCandidates& c : candidates) {
        for (const BoxLabel& label : c.ticks) {
            layout.reach = unite(layout.reach, label.box);
        }
        if (c.hasTitle) {
            layout.reach = unite(layout.reach, c.title.box);
        }
    }

    // Titles first, then each axis's labels, thinned evenly, against everything kept before.
    std::vector<PixelRect> taken = in.reserved;
    const double apart = kApart * em;
    for (const AxisCandidates& c : candidates) {
        if (c.hasTitle && keepClear({c.title.box}, taken, apart).front()) {
            layout.labels.push_back(c.title);
        }
    }
    for (const AxisCandidates& c : candidates) {
        std::vector<PixelRect> row;
        for (const BoxLabel& label : c.ticks) {
            row.push_back(label.box);
        }
        const std::vector<bool> even = thinEvenly(row, apart);
        std::vector<PixelRect> thinned;
        std::vector<const BoxLabel*> thinnedLabels;
        for (std::size_t k = 0; k < row.size(); ++k) {
            if (even[k]) {
                thinned.push_back(row[k]);
                thinnedLabels.push_back(&c.ticks[k]);
            }
        }
        const std::vector<bool> kept = keepClear(thinned, taken, apart);
        for (std::size_t k = 0; k < kept.size(); ++k) {
            if (kept[k]) {
                layout.labels.push_back(*thinnedLabels[k]);
            }
        }
    }
    for (const BoxLabel& label : layout.labels) {
        layout.bounds = unite(layout.bounds, label.box);
    }
    return layout;
}
