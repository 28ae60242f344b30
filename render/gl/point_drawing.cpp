// Points drawn from the kept vertex arrays; many smooth points of one colour as the pixels
// they cover.
#include <GL/gl.h>

#include <algorithm>

#include "core/matrix_math.h"
#include "render/cpu/point_splat.h"
#include "render/cpu/stereo_layout.h"
#include "render/gl/chunked_drawing.h"
#include "render/gl/fast_drawing.h"
#include "render/gl/pass_state.h"
#include "render/gl/row_interleave.h"

namespace {

// From this many points of one colour on, drawing the pixels they cover costs less than
// drawing the points; up to this reach in pixels the covered pixels are quick to find.
constexpr std::size_t kSplatFrom = 1u << 15;
constexpr double kSplatReach = 4.0;

// What the splatting found for each pass of the frame, kept so that frames do not allocate
// and a frame drawn in slices splats once.
constexpr int kKeptPasses = 4;
SplatResult splats[kKeptPasses + 1];
SliceWork splatWork[kKeptPasses];

// The pixels that a smooth point covers: those whose centres lie nearer than this to the
// point's position in the window (the renderer's rule, found by probing it), at least a
// pixel's width for the smallest points.
double smoothPointReach(float size)
{
    return std::max(0.5 * size, 1.0);
}

// Finds the pixels that points cover in this pass into out. With a second eye announced,
// they are found for both eyes at once and the second eye's pass takes its own over.
void splatThisPass(SecondEye& secondEye, const std::vector<float>& points, const PassTransform& t, float reach,
                   SplatResult& out)
{
    float clipFromModel[16];
    multiplyMatrices(t.projection, t.modelview, clipFromModel);
    const int width = t.viewport[2], height = t.viewport[3];
    const DrawnArrays drawn{points.data(), nullptr, points.size(), 0, reach};
    // A pass of a row-interleaved frame finds the pixels of its own rows only.
    const int passRows = keptRowParity();
    if (secondEye.splat.takeFor(secondEye, drawn, t, clipFromModel, passRows)) {
        out.passed.swap(secondEye.splatFound.passed);
        out.covered.swap(secondEye.splatFound.covered);
        ++secondEye.sharedPasses;
    } else if (secondEye.splat.startFor(secondEye, drawn, t)) {
        const int rows[2] = {viewportRowParity(passRows, t.viewport[1]),
                             viewportRowParity(secondEye.splat.rowParity, t.viewport[1])};
        splatPointsForTwo(points, clipFromModel, secondEye.splat.clipFromModel, width, height, reach, out,
                          secondEye.splatFound, rows);
    } else {
        splatPoints(points, clipFromModel, width, height, reach, out, viewportRowParity(passRows, t.viewport[1]));
    }
}

}  // namespace

void drawPointsFast(const DrawContext& c, const DrawRange& range)
{
    if (frameSliceStopped()) {
        return;  // the slice draws nothing more, and what is found here is kept for the next
    }
    const GeometryCache& cache = c.geometry.geometryFor(range, DisplayType::Points, geometryInputs(c));
    glEnableClientState(GL_VERTEX_ARRAY);
    GLfloat size = 1.0f;
    glGetFloatv(GL_POINT_SIZE, &size);
    const bool smooth = glIsEnabled(GL_POINT_SMOOTH) == GL_TRUE;
    const double reach = smoothPointReach(size);
    const PassTransform t = currentTransform();
    double inverse[16];
    if (cache.points.size() / 3 >= kSplatFrom && cache.groups.size() == 1 && cache.pointColors.empty() && smooth &&
        reach <= kSplatReach && affineInverse(t.modelview, inverse)) {
        const int pass = slicedFramePass() >= 0 && slicedFramePass() < kKeptPasses ? slicedFramePass() : kKeptPasses;
        SplatResult& splat = splats[pass];
        if (pass == kKeptPasses || !splatWork[pass].reusable()) {
            splatThisPass(c.secondEye, cache.points, t, static_cast<float>(reach), splat);
            if (pass < kKeptPasses) {
                splatWork[pass].done();
            }
        }
        useGroupMaterial(c.settings, cache.groups.front().colorIndex);
        glVertexPointer(3, GL_FLOAT, 0, splat.passed.data());
        drawArraysChunked(GL_POINTS, 0, splat.passed.size() / 3, 1);
        drawSplattedPixels(t, splat.covered);
    } else {
        glVertexPointer(3, GL_FLOAT, 0, cache.points.data());
        vertexColorArray(cache.pointColors);
        for (const ColorGroup& g : cache.groups) {
            useGroupMaterial(c.settings, g.colorIndex);
            drawArraysChunked(GL_POINTS, g.first, g.count, 1);
        }
        glDisableClientState(GL_COLOR_ARRAY);
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    leaveStateAsDrawn(c.settings, cache);
}

