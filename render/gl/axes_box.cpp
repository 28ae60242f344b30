// The data's box with its ticks, their labels in the data's units and the axes' titles.
#include "render/gl/axes_box.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "core/matrix_math.h"
#include "render/cpu/box_labels.h"
#include "render/gl/figure_parts.h"
#include "render/gl/type_text.h"

namespace {

void vertexAt(const std::array<DataAxis, 3>& axes, int x, int y, int z)
{
    glVertex3d(x ? axes[0].high : axes[0].low, y ? axes[1].high : axes[1].low, z ? axes[2].high : axes[2].low);
}

}  // namespace

void drawAxesBox(const DataSet& data, const Settings& settings, const FigureFrame& figure, const float lineColour[3],
                 const float labelColour[3])
{
    BoxLabelInputs in;
    in.axes = dataAxes(data);
    for (const DataAxis& axis : in.axes) {
        if (!std::isfinite(axis.low) || !std::isfinite(axis.high)) {
            return;  // nothing loaded whose units could be told
        }
    }
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    float modelview[16], projection[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    multiplyMatrices(projection, modelview, in.clipFromModel);
    in.titles = axisTitles(data);
    in.width = viewport[2];
    in.height = viewport[3];
    in.textSize = figureTextSize(settings, figure, viewport[3]);
    in.tickLength = boxTickLength(in.axes);
    in.reserved = reservedAreas(settings, data, figure, viewport[2], viewport[3]);
    in.measure = measureTypeText;
    in.fixedEdges = figure.fixedEdges;
    in.edges = figure.edges;
    const BoxLayout layout = layOutBoxLabels(in);

    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT);
    glDisable(GL_LIGHTING);
    glLineWidth(static_cast<float>(figureLineWidthOf(figure, viewport[3])));
    glColor3fv(lineColour);
    glBegin(GL_LINES);
    for (int a = 0; a < 2; ++a) {
        for (int b = 0; b < 2; ++b) {
            vertexAt(in.axes, 0, a, b);  // the four edges along x
            vertexAt(in.axes, 1, a, b);
            vertexAt(in.axes, a, 0, b);  // along y
            vertexAt(in.axes, a, 1, b);
            vertexAt(in.axes, a, b, 0);  // along z
            vertexAt(in.axes, a, b, 1);
        }
    }
    // Each axis's tick marks on its edge, pointing away from the box.
    for (const TickEdge& e : layout.edges) {
        if (!e.shown) {
            continue;
        }
        const DataAxis& axis = in.axes[static_cast<std::size_t>(e.axis)];
        double at[3];
        for (int o = 0; o < 3; ++o) {
            const DataAxis& other = in.axes[static_cast<std::size_t>(o)];
            at[o] = e.at[o] ? other.high : other.low;
        }
        for (double drawn : axis.drawn) {
            at[e.axis] = drawn;
            glVertex3dv(at);
            glVertex3d(at[0] + e.out[0] * in.tickLength, at[1] + e.out[1] * in.tickLength,
                       at[2] + e.out[2] * in.tickLength);
        }
    }
    glEnd();
    glPopAttrib();

    TextStyle style;
    style.size = in.textSize;
    std::copy_n(labelColour, 3, style.colour);
    for (const BoxLabel& label : layout.labels) {
        drawTypeText(label.text, label.x, label.y, style);
    }
}
