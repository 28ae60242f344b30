// The data's box and its ticks in the data's own units.
#include "render/cpu/data_axes.h"

#include <algorithm>
#include <cmath>

namespace {

// The share of the longest drawn edge below which an axis is taken as seen end-on.
constexpr double kShortestTickedEdge = 0.3;

// Where a model point falls in the picture, in normalised device units, and its depth
// there; far off when it lies behind the eye.
void project(const float m[16], const double p[3], double& x, double& y, double& z)
{
    const double w = m[3] * p[0] + m[7] * p[1] + m[11] * p[2] + m[15];
    if (!(w > 1e-9)) {
        x = y = z = 1e9;
        return;
    }
    x = (m[0] * p[0] + m[4] * p[1] + m[8] * p[2] + m[12]) / w;
    y = (m[1] * p[0] + m[5] * p[1] + m[9] * p[2] + m[13]) / w;
    z = (m[2] * p[0] + m[6] * p[1] + m[10] * p[2] + m[14]) / w;
}

void project(const float m[16], const double p[3], double& x, double& y)
{
    double z = 0.0;
    project(m, p, x, y, z);
}

// One of the four edges parallel to an axis, as the choice of the edge sees it.
struct EdgeSeen {
    TickEdge edge;
    double distance = 0.0;  // of its middle from the box's centre, in the picture
    double x = 0.0, y = 0.0, depth = 0.0;
    bool outline = false;   // the whole box stands on one side of it in the picture
};

// Of two edges on the box's outline, the one nearer the eye; of two as near, the lower one;
// of two as low, the one further left.
bool before(const EdgeSeen& a, const EdgeSeen& b)
{
    constexpr double kSame = 1e-4;
    if (std::fabs(a.depth - b.depth) > kSame) {
        return a.depth < b.depth;
    }
    if (std::fabs(a.y - b.y) > kSame) {
        return a.y < b.y;
    }
    return a.x < b.x - kSame;
}

// Whether every corner of the box falls on one side of the line through the picture's points
// (x0, y0) and (x1, y1): the edge between them is then on the box's outline.
bool onOutline(const double corners[8][2], double x0, double y0, double x1, double y1)
{
    const double dx = x1 - x0, dy = y1 - y0;
    const double length = std::hypot(dx, dy);
    if (!(length > 1e-12)) {
        return false;
    }
    bool left = false, right = false;
    for (int k = 0; k < 8; ++k) {
        const double side = (dx * (corners[k][1] - y0) - dy * (corners[k][0] - x0)) / length;
        left = left || side > 1e-9;
        right = right || side < -1e-9;
    }
    return !(left && right);
}

// The box's corners in the picture, corner k at the high end of axis a where bit a of k is set.
void projectCorners(const std::array<DataAxis, 3>& axes, const float clipFromModel[16], double corners[8][2])
{
    for (int k = 0; k < 8; ++k) {
        double p[3];
        for (int o = 0; o < 3; ++o) {
            const DataAxis& axis = axes[static_cast<std::size_t>(o)];
            p[o] = (k >> o) & 1 ? axis.high : axis.low;
        }
        project(clipFromModel, p, corners[k][0], corners[k][1]);
    }
}

bool edgeOnOutline(const double corners[8][2], const TickEdge& e)
{
    int ends[2] = {0, 1 << e.axis};
    for (int o = 0; o < 3; ++o) {
        if (o != e.axis) {
            ends[0] |= e.at[o] << o;
            ends[1] |= e.at[o] << o;
        }
    }
    return onOutline(corners, corners[ends[0]][0], corners[ends[0]][1], corners[ends[1]][0], corners[ends[1]][1]);
}

}  // namespace

bool edgesOnOutline(const std::array<DataAxis, 3>& axes, const float clipFromModel[16],
                    const std::array<TickEdge, 3>& edges)
{
    double corners[8][2];
    projectCorners(axes, clipFromModel, corners);
    for (const TickEdge& e : edges) {
        const bool flat = axes[static_cast<std::size_t>(e.axis)].low == axes[static_cast<std::size_t>(e.axis)].high;
        if (e.shown && !flat && !edgeOnOutline(corners, e)) {
            return false;
        }
    }
    return true;
}

std::array<DataAxis, 3> dataAxes(const DataSet& data)
{
    std::array<DataAxis, 3> axes;
    for (int a = 0; a < 3; ++a) {
        const AxisMapping mapping = rawAxis(data, a);
        DataAxis& axis = axes[static_cast<std::size_t>(a)];
        axis.low = rawToCube(data.rawMin[a], mapping);
        axis.high = rawToCube(data.rawMax[a], mapping);
        axis.ticks = niceTicks(data.rawMin[a], data.rawMax[a]);
        for (double value : axis.ticks.values) {
            axis.drawn.push_back(rawToCube(value, mapping));
        }
    }
    return axes;
}

bool operator==(const TickEdge& a, const TickEdge& b)
{
    return a.axis == b.axis && a.at[0] == b.at[0] && a.at[1] == b.at[1] && a.at[2] == b.at[2] && a.shown == b.shown;
}

std::array<std::string, 3> axisTitles(const DataSet& data)
{
    std::array<std::string, 3> titles = {"x", "y", "z"};
    for (std::size_t a = 0; a < 3; ++a) {
        if (!data.axisNames[a].empty()) {
            titles[a] = data.axisNames[a];
        }
    }
    return titles;
}

std::array<TickEdge, 3> tickEdges(const std::array<DataAxis, 3>& axes, const float clipFromModel[16])
{
    double centre[3];
    for (int a = 0; a < 3; ++a) {
        centre[a] = (axes[static_cast<std::size_t>(a)].low + axes[static_cast<std::size_t>(a)].high) / 2.0;
    }
    double cx = 0.0, cy = 0.0;
    project(clipFromModel, centre, cx, cy);
    double corners[8][2];
    projectCorners(axes, clipFromModel, corners);
    std::array<TickEdge, 3> edges;
    for (int a = 0; a < 3; ++a) {
        const int b = (a + 1) % 3, c = (a + 2) % 3;
        std::array<EdgeSeen, 4> seen;
        for (int k = 0; k < 4; ++k) {
            EdgeSeen& s = seen[static_cast<std::size_t>(k)];
            TickEdge& e = s.edge;
            e.axis = a;
            e.at[b] = k & 1;
            e.at[c] = (k >> 1) & 1;
            double middle[3];
            middle[a] = centre[a];
            for (int o : {b, c}) {
                const DataAxis& other = axes[static_cast<std::size_t>(o)];
                middle[o] = e.at[o] ? other.high : other.low;
                e.out[o] = e.at[o] ? 1.0 : -1.0;
            }
            project(clipFromModel, middle, s.x, s.y, s.depth);
            s.distance = std::hypot(s.x - cx, s.y - cy);
            s.outline = edgeOnOutline(corners, e);
        }
        // Of the edges on the outline, the one facing the eye carries the ticks, so that they
        // stand in front of the data; where none of the four is on it (the axis seen nearly
        // end-on), the one whose middle stands farthest out.
        const EdgeSeen* chosen = nullptr;
        for (const EdgeSeen& s : seen) {
            if (s.outline && std::isfinite(s.depth) && (chosen == nullptr || before(s, *chosen))) {
                chosen = &s;
            }
        }
        if (chosen == nullptr) {
            for (const EdgeSeen& s : seen) {
                if (std::isfinite(s.distance) && (chosen == nullptr || s.distance > chosen->distance)) {
                    chosen = &s;
                }
            }
        }
        if (chosen != nullptr) {
            edges[static_cast<std::size_t>(a)] = chosen->edge;
        }
    }
    // An edge drawn far shorter than the longest carries no readable ticks.
    double length[3] = {0.0, 0.0, 0.0};
    double longest = 0.0;
    for (int a = 0; a < 3; ++a) {
        const TickEdge& e = edges[static_cast<std::size_t>(a)];
        double ends[2][3];
        for (int end = 0; end < 2; ++end) {
            for (int o = 0; o < 3; ++o) {
                const DataAxis& axis = axes[static_cast<std::size_t>(o)];
                const int side = o == a ? end : e.at[o];
                ends[end][o] = side ? axis.high : axis.low;
            }
        }
        double x0 = 0.0, y0 = 0.0, x1 = 0.0, y1 = 0.0;
        project(clipFromModel, ends[0], x0, y0);
        project(clipFromModel, ends[1], x1, y1);
        length[a] = std::hypot(x1 - x0, y1 - y0);
        if (std::isfinite(length[a])) {
            longest = std::max(longest, length[a]);
        }
    }
    for (int a = 0; a < 3; ++a) {
        const bool flat = axes[static_cast<std::size_t>(a)].low == axes[static_cast<std::size_t>(a)].high;
        edges[static_cast<std::size_t>(a)].shown =
            flat || (std::isfinite(length[a]) && length[a] >= kShortestTickedEdge * longest);
    }
    return edges;
}
