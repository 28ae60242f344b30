// The data's box and its ticks in the data's own units.
#include "render/cpu/data_axes.h"

#include <algorithm>
#include <cmath>

namespace {

// The share of the longest drawn edge below which an axis is taken as seen end-on.
constexpr double kShortestTickedEdge = 0.3;

// Where a model point falls in the picture, in normalised device units; far off when it
// lies behind the eye.
void project(const float m[16], const double p[3], double& x, double& y)
{
    const double w = m[3] * p[0] + m[7] * p[1] + m[11] * p[2] + m[15];
    if (!(w > 1e-9)) {
        x = y = 1e9;
        return;
    }
    x = (m[0] * p[0] + m[4] * p[1] + m[8] * p[2] + m[12]) / w;
    y = (m[1] * p[0] + m[5] * p[1] + m[9] * p[2] + m[13]) / w;
}

}  // namespace

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

std::array<TickEdge, 3> tickEdges(const std::array<DataAxis, 3>& axes, const float clipFromModel[16])
{
    double centre[3];
    for (int a = 0; a < 3; ++a) {
        centre[a] = (axes[static_cast<std::size_t>(a)].low + axes[static_cast<std::size_t>(a)].high) / 2.0;
    }
    double cx = 0.0, cy = 0.0;
    project(clipFromModel, centre, cx, cy);
    std::array<TickEdge, 3> edges;
    for (int a = 0; a < 3; ++a) {
        const int b = (a + 1) % 3, c = (a + 2) % 3;
        double best = -1.0;
        for (int k = 0; k < 4; ++k) {
            TickEdge e;
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
            double x = 0.0, y = 0.0;
            project(clipFromModel, middle, x, y);
            // Farther out wins; lower in the picture breaks a near tie.
            const double score = std::hypot(x - cx, y - cy) - 0.05 * y;
            if (std::isfinite(score) && score > best) {
                best = score;
                edges[static_cast<std::size_t>(a)] = e;
            }
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
