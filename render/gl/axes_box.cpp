// The data's box with its ticks and their labels in the data's units.
#include "render/gl/axes_box.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "core/matrix_math.h"
#include "render/cpu/data_axes.h"

namespace {

// Tick marks reach out of the box by this share of its largest side; labels start beyond.
constexpr double kTickShare = 0.03;

struct Vec {
    double v[3];
};

void vertex(const Vec& p)
{
    glVertex3dv(p.v);
}

Vec corner(const std::array<DataAxis, 3>& axes, int x, int y, int z)
{
    return Vec{{x ? axes[0].high : axes[0].low, y ? axes[1].high : axes[1].low, z ? axes[2].high : axes[2].low}};
}

// The ticks of one axis along the edge through at, marks pointing along out.
void ticksAlong(const DataAxis& axis, int which, Vec at, const Vec& out, const char* name,
                void (*drawText)(const char* text))
{
    if (axis.drawn.empty()) {
        return;
    }
    glBegin(GL_LINES);
    for (double drawn : axis.drawn) {
        at.v[which] = drawn;
        vertex(at);
        vertex(Vec{{at.v[0] + out.v[0], at.v[1] + out.v[1], at.v[2] + out.v[2]}});
    }
    glEnd();
    for (std::size_t k = 0; k < axis.drawn.size(); ++k) {
        at.v[which] = axis.drawn[k];
        glRasterPos3d(at.v[0] + 2 * out.v[0], at.v[1] + 2 * out.v[1], at.v[2] + 2 * out.v[2]);
        drawText(axis.ticks.labels[k].c_str());
    }
    // The axis's name beyond the middle of its edge, farther out than the labels.
    at.v[which] = (axis.low + axis.high) / 2.0;
    glRasterPos3d(at.v[0] + 5 * out.v[0], at.v[1] + 5 * out.v[1], at.v[2] + 5 * out.v[2]);
    drawText(name);
}

}  // namespace

void drawAxesBox(const DataSet& data, const float bgColor[4], void (*drawText)(const char* text))
{
    const std::array<DataAxis, 3> axes = dataAxes(data);
    for (const DataAxis& axis : axes) {
        if (!std::isfinite(axis.low) || !std::isfinite(axis.high)) {
            return;  // nothing loaded whose units could be told
        }
    }
    double largest = 0.0;
    for (const DataAxis& axis : axes) {
        largest = std::max(largest, std::fabs(axis.high - axis.low));
    }
    const double tick = kTickShare * (largest > 0.0 ? largest : 1.0);

    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    // The raster colour of the labels is taken from the colour when their position is set.
    glColor3f(1.0f - bgColor[0], 1.0f - bgColor[1], 1.0f - bgColor[2]);
    glBegin(GL_LINES);
    for (int a = 0; a < 2; ++a) {
        for (int b = 0; b < 2; ++b) {
            vertex(corner(axes, 0, a, b));  // the four edges along x
            vertex(corner(axes, 1, a, b));
            vertex(corner(axes, a, 0, b));  // along y
            vertex(corner(axes, a, 1, b));
            vertex(corner(axes, a, b, 0));  // along z
            vertex(corner(axes, a, b, 1));
        }
    }
    glEnd();
    // Each axis's ticks on an edge of the box's outline in this view, pointing away from it.
    float modelview[16], projection[16], clipFromModel[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    multiplyMatrices(projection, modelview, clipFromModel);
    const char* const names[3] = {"x", "y", "z"};
    for (const TickEdge& e : tickEdges(axes, clipFromModel)) {
        if (!e.shown) {
            continue;
        }
        const Vec at = corner(axes, e.at[0], e.at[1], e.at[2]);
        const Vec out{{e.out[0] * tick, e.out[1] * tick, e.out[2] * tick}};
        ticksAlong(axes[static_cast<std::size_t>(e.axis)], e.axis, at, out, names[e.axis], drawText);
    }
    glPopAttrib();
}
