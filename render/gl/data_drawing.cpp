// Drawing of the loaded data set for one eye pass: camera, model transform and the
// five display types over the three format paths.
#include "render/gl/data_drawing.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdio>

#include "core/colors.h"
#include "core/value_colors.h"
#include "render/cpu/draw_range.h"
#include "render/cpu/stereo_projection.h"
#include "render/gl/axes_box.h"
#include "render/gl/chunked_drawing.h"
#include "render/gl/fast_drawing.h"
#include "render/gl/frame.h"
#include "render/gl/pass_state.h"
#include "render/gl/plain_drawing.h"
#include "render/gl/scene_parts.h"

namespace {

void setPointColor(const DrawContext& c, const DrawRange& range, int i, int j)
{
    useGroupMaterial(c.settings, pointColorSlot(range, i, j));
}

void vertexOf(const Point3d& p)
{
    glVertex3f(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z));
}

// Shift, the fit of the view to the picture, rotations, trackball and scale: everything but
// the data's own centring. The user's shift and zoom act on top of the fit.
void applyViewTransform(const Settings& s, const ViewFit& fit)
{
    glTranslatef(s.objTrans[0], s.objTrans[1], -s.objTrans[2]);
    glTranslated(fit.shiftX, fit.shiftY, 0.0);
    glScaled(fit.scale, fit.scale, fit.scale);
    glMultMatrixf(s.angleMat);
    glMultMatrixf(s.rotateMat);
    glScalef(s.scale, s.scale, s.scale);
}

void applyCentring(const DataSet& data)
{
    glTranslated(data.tx, data.ty, data.tz);
}

Point3d centring(const DataSet& data)
{
    return Point3d{data.tx, data.ty, data.tz};
}

void emitPoints(const DrawContext& c, const DrawRange& range)
{
    glBegin(GL_POINTS);
    for (int i = 0; i <= range.lastSet; ++i) {
        for (int j = 0; j < range.ny; ++j) {
            const Point3d& p = pointAt(range, i, j);
            if (fileColors(range)) {
                glColor4ubv(vertexColorAt(range, pointIndex(range, i, j), p.z).data());
            } else if (ownColors(range)) {
                setPointColor(c, range, i, j);
            }
            vertexOf(p);
        }
    }
    glEnd();
}

void printTubeColor(const DrawContext& c, const DrawRange& range, int i, int j)
{
    const Point3d& a = pointAt(range, i, j);
    const Point3d& b = pointAt(range, i, j + 1);
    const int g = groupAt(range, i, j);
    const double s = c.settings.scale;
    std::printf("color %d %lf xyz = %5.1lf %5.1lf %5.1lf to xyz = %5.1lf %5.1lf %5.1lf\n", g,
                c.settings.dataColors[dataColorIndex(g)].r, s * a.x, s * a.y, s * a.z, s * b.x, s * b.y, s * b.z);
}

// The diagnostics of coloured joined line sets, one line per tube, when drawn from arrays.
void printTubeColors(const DrawContext& c, const DrawRange& range)
{
    for (int i = 0; i <= range.lastSet; ++i) {
        for (int j = 0; j + 1 < range.ny; ++j) {
            printTubeColor(c, range, i, j);
        }
    }
}

// A tube of point j of set i, from a (at or above point jA of the set) to b (at or above point
// jB): in its point's material, or in its ends' colours from end to end.
void emitTube(const DrawContext& c, const DrawRange& range, int i, int j, int jA, int jB, const Point3d& a,
              const Point3d& b)
{
    if (vertexColors(range)) {
        const std::array<unsigned char, 4> colorA = vertexColorAt(range, pointIndex(range, i, jA), a.z);
        const std::array<unsigned char, 4> colorB = vertexColorAt(range, pointIndex(range, i, jB), b.z);
        drawColoredTube(c.quadric, centring(c.data), a, b, c.settings.thickness, c.settings.segments, colorA.data(),
                        colorB.data());
        return;
    }
    if (ownColors(range)) {
        useGroupMaterial(c.settings, pointColorSlot(range, i, j));
    }
    drawTube(c.quadric, centring(c.data), a, b, c.settings.thickness, c.settings.segments);
}

void emitJoinedTubes(const DrawContext& c, const DrawRange& range)
{
    for (int i = 0; i <= range.lastSet; ++i) {
        for (int j = 0; j + 1 < range.ny; ++j) {
            const Point3d& a = pointAt(range, i, j);
            const Point3d& b = pointAt(range, i, j + 1);
            emitTube(c, range, i, j, j, j + 1, a, b);
            if (range.colored && c.diagnostics) {
                printTubeColor(c, range, i, j);
            }
        }
    }
}

void emitNeedles(const DrawContext& c, const DrawRange& range)
{
    const double floorY = c.data.ymin;
    for (int i = 0; i <= range.lastSet; ++i) {
        Point3d prev{pointAt(range, i, 0).x, floorY, pointAt(range, i, 0).z};
        for (int j = 0; j < range.ny; ++j) {
            const Point3d& p = pointAt(range, i, j);
            const Point3d foot{p.x, floorY, p.z};
            emitTube(c, range, i, j, j > 0 ? j - 1 : 0, j, prev, foot);
            emitTube(c, range, i, j, j, j, foot, p);
            prev = foot;
        }
    }
}

// Point j of set i as a corner of a quadrilateral, in its own colour when the vertices carry theirs.
void surfaceVertex(const DrawRange& range, int i, int j)
{
    const Point3d& p = pointAt(range, i, j);
    if (vertexColors(range)) {
        glColor4ubv(vertexColorAt(range, pointIndex(range, i, j), p.z).data());
    }
    vertexOf(p);
}

void emitSurface(const DrawContext& c, const DrawRange& range, bool flatNormals)
{
    glBegin(GL_QUADS);
    for (int i = 0; i <= range.lastSet; ++i) {
        for (int j = 0; j + 1 < range.ny; ++j) {
            const Point3d& p00 = pointAt(range, i, j);
            const Point3d& p10 = pointAt(range, i + 1, j);
            const Point3d& p11 = pointAt(range, i + 1, j + 1);
            if (flatNormals) {
                const Point3d n = triangleNormal(p00, p10, p11);
                glNormal3f(static_cast<float>(n.x), static_cast<float>(n.y), static_cast<float>(n.z));
            }
            if (ownColors(range) && !vertexColors(range)) {
                useGroupMaterial(c.settings, pointColorSlot(range, i, j));
            }
            surfaceVertex(range, i, j);
            surfaceVertex(range, i + 1, j);
            surfaceVertex(range, i + 1, j + 1);
            surfaceVertex(range, i, j + 1);
        }
    }
    glEnd();
}

// The context of a lighter picture: other settings (fewer slices of tubes), or a grid of
// fewer rows and columns with its own kept geometry, which is then drawn in full.
DrawContext lighterContext(const DrawContext& c, const Settings& settings, const DataSet& data, GeometryStore& geometry)
{
    static const LighterPicture full;
    return DrawContext{settings,    data,       c.geometryVersion, c.quadric,   c.diagnostics,
                       c.reference, geometry,   c.secondEye,       c.plain,     c.buffers,
                       c.tubeFrame, full,         c.coarseGrid,      c.figure};
}

void drawDisplayType(const DrawContext& c, const DrawRange& range, DisplayType type);

// A lighter picture of the assisted drawing (lighter_picture.h): tubes of fewer slices or
// as lines, grids and surfaces of every k-th row and column. False when the full picture is
// to be drawn.
bool drawLighter(const DrawContext& c, const DrawRange& range, DisplayType type)
{
    if (c.lighter.full() || c.reference || c.plain) {
        return false;
    }
    if (type == DisplayType::Joined || type == DisplayType::Needled) {
        Settings fewer = c.settings;
        fewer.segments = c.lighter.tubeSegments(c.settings.segments);
        const DrawContext lc = lighterContext(c, fewer, c.data, c.geometry);
        glPushMatrix();
        applyViewTransform(c.settings, c.figure.fit);
        const bool drawn = drawTubesFast(lc, range, type, c.lighter.tubesAsLines(c.settings.segments),
                                         c.lighter.lineShare(c.settings.segments));
        glPopMatrix();
        return drawn;
    }
    if (type == DisplayType::Grid || type == DisplayType::Filled) {
        const int step = c.lighter.gridStep();
        if (step <= 1) {
            return false;
        }
        const DataSet& coarse = c.coarseGrid.of(c.data, step);
        DrawRange coarseRange;
        if (!drawRangeOf(coarse, type, coarseRange)) {
            return true;
        }
        // The colours of the full data's heights.
        coarseRange.coloring = range.coloring;
        const DrawContext lc = lighterContext(c, c.settings, coarse, c.coarseGrid.geometry());
        drawDisplayType(lc, coarseRange, type);
        return true;
    }
    return false;
}

void drawDisplayType(const DrawContext& c, const DrawRange& range, DisplayType type)
{
    const Settings& settings = c.settings;
    // Points and grid lines are sized in pixels of the picture written.
    const float pixels = settings.thickness * 100.0f * static_cast<float>(c.figure.pixelScale);

    switch (type) {
    case DisplayType::Points: {
        glPointSize(pixels);
        glEnable(GL_POINT_SMOOTH);
        // A multisampled picture would draw wide points as squares: points keep the round
        // outline of an unsmoothed one.
        const GLboolean multisample = glIsEnabled(GL_MULTISAMPLE);
        glDisable(GL_MULTISAMPLE);
        glPushMatrix();
        applyViewTransform(settings, c.figure.fit);
        applyCentring(c.data);
        if (c.reference) {
            emitPoints(c, range);
        } else if (c.plain) {
            drawPointsPlain(c, range);
        } else {
            drawPointsFast(c, range);
        }
        glPopMatrix();
        if (multisample) {
            glEnable(GL_MULTISAMPLE);
        }
        break;
    }
    case DisplayType::Joined:
    case DisplayType::Needled:
        if (drawLighter(c, range, type)) {
            break;
        }
        // Each tube adds the centring translation itself.
        glPushMatrix();
        applyViewTransform(settings, c.figure.fit);
        if (!c.reference && (c.plain ? drawTubesPlain(c, range, type) : drawTubesFast(c, range, type))) {
            if (type == DisplayType::Joined && range.colored && c.diagnostics) {
                printTubeColors(c, range);
            }
        } else if (type == DisplayType::Joined) {
            emitJoinedTubes(c, range);
        } else {
            emitNeedles(c, range);
        }
        glPopMatrix();
        break;
    case DisplayType::Grid:
    case DisplayType::Filled:
        if (drawLighter(c, range, type)) {
            break;
        }
        glLineWidth(pixels);
        glPushMatrix();
        applyViewTransform(settings, c.figure.fit);
        applyCentring(c.data);
        glPolygonMode(GL_FRONT_AND_BACK, type == DisplayType::Grid ? GL_LINE : GL_FILL);
        if (c.reference) {
            emitSurface(c, range, surfaceHasNormals(range, type));
        } else if (c.plain) {
            drawSurfacePlain(c, range, type);
        } else {
            drawSurfaceFast(c, range, type);
        }
        glPopMatrix();
        break;
    }
}

void drawLoadedData(const DrawContext& c)
{
    const Settings& settings = c.settings;
    const DisplayType type = settings.displayType;
    DrawRange range;
    if (!drawRangeOf(c.data, type, range)) {
        return;
    }
    range.coloring = valueColoringFor(settings, c.data);
    // The data's own colours are lit white, so that they stay the colours of the colour bar.
    const bool trueColors = range.coloring.by != ColorBy::Eye;
    if (trueColors) {
        beginTrueColorLights();
    }
    // Coloured by height, points keep a step of the colour map each; surfaces and tubes, and
    // points in the file's colours, colour their vertices.
    const bool colorVertices = vertexColors(range) && (type != DisplayType::Points || fileColors(range));
    if (colorVertices) {
        beginVertexColors();
    }
    drawDisplayType(c, range, type);
    if (colorVertices) {
        endVertexColors();
    }
    if (trueColors) {
        endTrueColorLights();
    }
}

// The eye displaced by offset from the viewpoint, and the point it looks at.
void eyeAndCentre(float focalLength, const Point3d& offset, double eye[3], double centre[3])
{
    // The viewpoint is (0, 0, focal length); adding the offset to it (not taking the offset
    // alone) keeps the sign of a zero component what gluLookAt has always been given.
    const double viewpoint[3] = {0.0, 0.0, static_cast<double>(focalLength)};
    eye[0] = viewpoint[0] + offset.x;
    eye[1] = viewpoint[1] + offset.y;
    eye[2] = viewpoint[2] + offset.z;
    for (int k = 0; k < 3; ++k) {
        centre[k] = eye[k] + kViewDirection[k];
    }
}

}  // namespace

void lookFromEye(float focalLength, const Point3d& offset)
{
    double eye[3], centre[3];
    eyeAndCentre(focalLength, offset, eye, centre);
    gluLookAt(eye[0], eye[1], eye[2], centre[0], centre[1], centre[2], kViewUp[0], kViewUp[1], kViewUp[2]);
}

void drawData(const DrawContext& c, const Point3d& offset, const float eyeColour[3])
{
    beginFramePass();
    glLoadIdentity();
    glPushMatrix();

    lookFromEye(c.settings.focalLength, offset);
    if (c.diagnostics) {
        double eye[3], centre[3];
        eyeAndCentre(c.settings.focalLength, offset, eye, centre);
        std::printf("vp: %lf %lf %lf\nvd: %lf %lf %lf\nvu: %lf %lf %lf\n", eye[0], eye[1], eye[2], centre[0],
                    centre[1], centre[2], kViewUp[0], kViewUp[1], kViewUp[2]);
    }

    drawLoadedData(c);

    // The axes stand at the centre of the data and turn, shift and scale with it; the box
    // is placed as the points are.
    if (c.settings.showAxes) {
        glPushMatrix();
        applyViewTransform(c.settings, c.figure.fit);
        if (c.settings.axesStyle == AxesStyle::Box) {
            applyCentring(c.data);
            const float* bg = c.settings.bgColor;
            const float inverse[3] = {1.0f - bg[0], 1.0f - bg[1], 1.0f - bg[2]};
            drawAxesBox(c.data, c.settings, c.figure, inverse,
                        viewModeKeepsColors(c.settings.stereoMode) ? inverse : eyeColour);
        } else {
            drawAxes(2.0f);
        }
        glPopMatrix();
    }
    glPopMatrix();
}
