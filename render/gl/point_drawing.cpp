// Points drawn from the kept vertex arrays; many smooth points of one colour as the pixels
// they cover.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <vector>

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

// The pixels that a smooth point covers: those whose centres lie nearer than this to the
// point's position in the window (the renderer's rule, found by probing it), at least a
// pixel's width for the smallest points.
double smoothPointReach(float size)
{
    return std::max(0.5 * size, 1.0);
}

// Finds the pixels that points cover in this pass, in steps, each a chunk of the frame, so
// that a frame of many points drawn in slices spreads the work over its slices; kept for
// the slices that follow. With a second eye announced, its pixels are found at once and the
// second eye's pass takes them over. Null while the finding is unfinished (the slice has
// stopped in it, and draws nothing more).
const SplatResult* splatThisPass(SecondEye& secondEye, const SplatSource& points, const PassTransform& t, float reach)
{
    static KeptPassWork<SplatResult> kept;
    static SplatSteps splat;
    static SliceWork splatBegun;
    static bool splatHasSecond = false;
    SplatResult& out = kept.result();
    if (kept.foundBefore()) {
        return &out;
    }
    float clipFromModel[16];
    multiplyMatrices(t.projection, t.modelview, clipFromModel);
    const DrawnArrays drawn{points.floats != nullptr ? static_cast<const void*>(points.floats) : points.doubles, nullptr,
                            points.count * 3, 0, reach};
    // A pass of a row-interleaved frame finds the pixels of its own rows only.
    const int passRows = keptRowParity();
    if (secondEye.splat.takeFor(secondEye, drawn, t, clipFromModel, passRows)) {
        out.passed.swap(secondEye.splatFound.passed);
        out.covered.swap(secondEye.splatFound.covered);
        ++secondEye.sharedPasses;
        kept.found(0);
        return &out;
    }
    if (frameSliceStopped()) {
        return nullptr;
    }
    if (!splatBegun.reusable()) {
        splatHasSecond = secondEye.splat.startFor(secondEye, drawn, t);
        const int rows[2] = {viewportRowParity(passRows, t.viewport[1]),
                             viewportRowParity(secondEye.splat.rowParity, t.viewport[1])};
        splat.begin(points, clipFromModel, splatHasSecond ? secondEye.splat.clipFromModel : nullptr, t.viewport[2],
                    t.viewport[3], reach, rows);
        splatBegun.done();
    }
    if (!runChunkedSteps(splat.steps(), [&](std::size_t k) { splat.step(k); })) {
        return nullptr;
    }
    splat.finish(out, splatHasSecond ? &secondEye.splatFound : nullptr);
    kept.found(splat.steps());
    return &out;
}

}  // namespace

void drawPointsFast(const DrawContext& c, const DrawRange& range)
{
    if (frameSliceStopped()) {
        return;  // the slice draws nothing more, and what is found here is kept for the next
    }
    const GeometryCache& cache = c.geometry.geometryFor(range, DisplayType::Points, geometryInputs(c));
    GLfloat size = 1.0f;
    glGetFloatv(GL_POINT_SIZE, &size);
    const bool smooth = glIsEnabled(GL_POINT_SMOOTH) == GL_TRUE;
    const double reach = smoothPointReach(size);
    const PassTransform t = currentTransform();
    double inverse[16];
    std::size_t all = 0;
    for (const ColorGroup& g : cache.groups) {
        all += g.count;
    }
    // The lighter picture: the same share of each colour's points, from the start of its
    // evenly spread sample.
    // Points in the file's colours are drawn whole.
    const double drawn = cache.pointColors.empty() ? c.lighter.pointShare() * static_cast<double>(all)
                                                   : static_cast<double>(all);
    const GeometryCache& sampled = drawn < static_cast<double>(all) ? c.geometry.keptPointSample() : cache;
    const bool lighter = !sampled.sample.empty() && drawn < static_cast<double>(sampled.sample.size() / 3);
    std::vector<ColorGroup> groups = lighter ? sampled.sampleGroups : cache.groups;
    if (lighter) {
        const double share = drawn / static_cast<double>(sampled.sample.size() / 3);
        for (ColorGroup& g : groups) {
            g.count = std::min(g.count, static_cast<std::size_t>(std::ceil(share * static_cast<double>(g.count))));
        }
    }
    const std::size_t count = groups.size() == 1 ? groups.front().count : 0;
    glEnableClientState(GL_VERTEX_ARRAY);
    // The lighter picture's points are splatted however few: the renderer's smooth points cost
    // tens of milliseconds for some ten thousand, and the share would fall further and further.
    if ((count >= kSplatFrom || (lighter && count > 0)) && cache.pointColors.empty() && smooth &&
        reach <= kSplatReach &&
        affineInverse(t.modelview, inverse)) {
        const SplatSource source = lighter ? SplatSource{sampled.sample.data(), nullptr, count}
                                   : cache.points.empty() ? SplatSource{nullptr, range.data->coordArray.data(), count}
                                                          : SplatSource{cache.points.data(), nullptr, count};
        const SplatResult* splat = splatThisPass(c.secondEye, source, t, static_cast<float>(reach));
        if (splat != nullptr) {
            useGroupMaterial(c.settings, cache.groups.front().colorIndex);
            glVertexPointer(3, GL_FLOAT, 0, splat->passed.data());
            drawArraysChunked(GL_POINTS, 0, splat->passed.size() / 3, 1);
            drawSplattedPixels(t, splat->covered);
        }
    } else {
        const GeometryCache& kept = lighter ? sampled : c.geometry.keptPoints();
        glVertexPointer(3, GL_FLOAT, 0, lighter ? kept.sample.data() : kept.points.data());
        vertexColorArray(kept.pointColors);
        for (const ColorGroup& g : groups) {
            useGroupMaterial(c.settings, g.colorIndex);
            drawArraysChunked(GL_POINTS, g.first, g.count, 1);
        }
        glDisableClientState(GL_COLOR_ARRAY);
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    leaveStateAsDrawn(c.settings, cache);
}
