// Drawing of the loaded data set for one eye pass: camera, model transform and the
// five display types over the three format paths.
#include "render/gl/data_drawing.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstddef>
#include <cstdio>

#include "app/viewer_state.h"
#include "render/cpu/draw_range.h"
#include "render/gl/fast_drawing.h"
#include "render/gl/scene_parts.h"

namespace {

// Off in the viewer; tests and orvelle-render --reference switch it on.
bool immediateModeOnly = false;

void setPointColor(const DrawRange& range, int i, int j)
{
    const DataColor& c = viewer.dataColors[dataColorIndex(groupAt(range, i, j))];
    setMaterial(c.r, c.g, c.b, c.a);
}

void vertexOf(const Point3d& p)
{
    glVertex3f(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z));
}

// Shift, rotations, trackball and scale: everything but the data's own centring.
void applyViewTransform()
{
    glTranslatef(viewer.objTrans[0], viewer.objTrans[1], -viewer.objTrans[2]);
    glMultMatrixf(viewer.angleMat);
    glMultMatrixf(viewer.rotateMat);
    glScalef(viewer.scale, viewer.scale, viewer.scale);
}

void applyCentring()
{
    glTranslated(dataSet.tx, dataSet.ty, dataSet.tz);
}

void emitPoints(const DrawRange& range)
{
    glBegin(GL_POINTS);
    for (int i = 0; i <= range.lastSet; ++i) {
        for (int j = 0; j < range.ny; ++j) {
            if (range.colored) {
                setPointColor(range, i, j);
            }
            vertexOf(pointAt(range, i, j));
        }
    }
    glEnd();
}

void printTubeColor(const DrawRange& range, int i, int j)
{
    const Point3d& a = pointAt(range, i, j);
    const Point3d& b = pointAt(range, i, j + 1);
    const int g = groupAt(range, i, j);
    const double s = viewer.scale;
    std::printf("color %d %lf xyz = %5.1lf %5.1lf %5.1lf to xyz = %5.1lf %5.1lf %5.1lf\n", g,
                viewer.dataColors[dataColorIndex(g)].r, s * a.x, s * a.y, s * a.z, s * b.x, s * b.y, s * b.z);
}

// The diagnostics of coloured joined line sets, one line per tube, when drawn from arrays.
void printTubeColors(const DrawRange& range)
{
    for (int i = 0; i <= range.lastSet; ++i) {
        for (int j = 0; j + 1 < range.ny; ++j) {
            printTubeColor(range, i, j);
        }
    }
}

void emitJoinedTubes(const DrawRange& range)
{
    const float radius = viewer.thickness;
    for (int i = 0; i <= range.lastSet; ++i) {
        for (int j = 0; j + 1 < range.ny; ++j) {
            if (range.colored) {
                setPointColor(range, i, j);
            }
            drawTube(pointAt(range, i, j), pointAt(range, i, j + 1), radius);
            if (range.colored && viewer.debugPrint) {
                printTubeColor(range, i, j);
            }
        }
    }
}

void emitNeedles(const DrawRange& range)
{
    const float radius = viewer.thickness;
    const double floorY = dataSet.ymin;
    for (int i = 0; i <= range.lastSet; ++i) {
        Point3d prev{pointAt(range, i, 0).x, floorY, pointAt(range, i, 0).z};
        for (int j = 0; j < range.ny; ++j) {
            const Point3d& p = pointAt(range, i, j);
            const Point3d foot{p.x, floorY, p.z};
            if (range.colored) {
                setPointColor(range, i, j);
            }
            drawTube(prev, foot, radius);
            drawTube(foot, p, radius);
            prev = foot;
        }
    }
}

void emitSurface(const DrawRange& range, bool flatNormals)
{
    glBegin(GL_QUADS);
    for (int i = 0; i <= range.lastSet; ++i) {
        for (int j = 0; j + 1 < range.ny; ++j) {
            const Point3d& p00 = pointAt(range, i, j);
            const Point3d& p10 = pointAt(range, i + 1, j);
            const Point3d& p11 = pointAt(range, i + 1, j + 1);
            const Point3d& p01 = pointAt(range, i, j + 1);
            if (flatNormals) {
                const Point3d n = triangleNormal(p00, p10, p11);
                glNormal3f(static_cast<float>(n.x), static_cast<float>(n.y), static_cast<float>(n.z));
            }
            if (range.colored) {
                setPointColor(range, i, j);
            }
            vertexOf(p00);
            vertexOf(p10);
            vertexOf(p11);
            vertexOf(p01);
        }
    }
    glEnd();
}

// True when the arrays hold every point that the dimensions announce.
bool dataSetComplete()
{
    const FnTrf& f = dataSet.fnTrf;
    if (f.nx <= 0 || f.pointsPerSet <= 0) {
        return false;
    }
    const std::size_t count = static_cast<std::size_t>(f.nx) * static_cast<std::size_t>(f.pointsPerSet);
    return count <= dataSet.coordArray.size();
}

void drawLoadedData()
{
    const int format = dataSet.loadedFormat;
    const int type = viewer.displayType;
    const int lastSet = lastSetDrawn(format, type, dataSet.fnTrf.nx);
    if (lastSet < 0 || !dataSetComplete()) {
        return;
    }
    const DrawRange range{lastSet, dataSet.fnTrf.pointsPerSet, format == kColored};
    const float pixels = viewer.thickness * 100.0f;

    switch (type) {
    case kPoints:
        glPointSize(pixels);
        glEnable(GL_POINT_SMOOTH);
        glPushMatrix();
        applyViewTransform();
        applyCentring();
        if (immediateModeOnly) {
            emitPoints(range);
        } else {
            drawPointsFast(range);
        }
        glPopMatrix();
        break;
    case kJoined:
    case kNeedled:
        // Each tube adds the centring translation itself.
        glPushMatrix();
        applyViewTransform();
        if (!immediateModeOnly && drawTubesFast(range, type)) {
            if (type == kJoined && range.colored && viewer.debugPrint) {
                printTubeColors(range);
            }
        } else if (type == kJoined) {
            emitJoinedTubes(range);
        } else {
            emitNeedles(range);
        }
        glPopMatrix();
        break;
    case kGrid:
    case kFilled:
        glLineWidth(pixels);
        glPushMatrix();
        applyViewTransform();
        applyCentring();
        glPolygonMode(GL_FRONT_AND_BACK, type == kGrid ? GL_LINE : GL_FILL);
        if (immediateModeOnly) {
            emitSurface(range, format == kPlain);
        } else {
            drawSurfaceFast(range, type);
        }
        glPopMatrix();
        break;
    default:
        break;
    }
}

}  // namespace

int lastSetDrawn(int loadedFormat, int displayType, int nx)
{
    if (loadedFormat < kPlain || loadedFormat > kColored || displayType < kPoints || displayType > kFilled) {
        return -1;
    }
    if (displayType == kGrid || displayType == kFilled || loadedFormat == kMaple) {
        return nx - 2;
    }
    if (displayType == kNeedled && loadedFormat == kColored) {
        return nx - 2;
    }
    return nx - 1;
}

void setReferenceDrawing(bool on)
{
    immediateModeOnly = on;
}

bool referenceDrawing()
{
    return immediateModeOnly;
}

int dataColorIndex(int value)
{
    if (value < 0) {
        return 0;
    }
    return value % kDataColorCount;
}

Point3d& normalise(Point3d& v)
{
    const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (length == 0.0) {
        v = Point3d{};
        return v;
    }
    v.x /= length;
    v.y /= length;
    v.z /= length;
    return v;
}

Point3d triangleNormal(const Point3d& a, const Point3d& b, const Point3d& c)
{
    Point3d u{b.x - a.x, b.y - a.y, b.z - a.z};
    Point3d w{c.x - a.x, c.y - a.y, c.z - a.z};
    normalise(u);
    normalise(w);
    Point3d n{u.y * w.z - u.z * w.y, u.z * w.x - u.x * w.z, u.x * w.y - u.y * w.x};
    return normalise(n);
}

namespace {

// The eye displaced by offset from the viewpoint, and the point it looks at.
void eyeAndCentre(const Point3d& offset, double eye[3], double centre[3])
{
    eye[0] = viewer.vp[0] + offset.x;
    eye[1] = viewer.vp[1] + offset.y;
    eye[2] = viewer.vp[2] + offset.z;
    for (int k = 0; k < 3; ++k) {
        centre[k] = eye[k] + viewer.vd[k];
    }
}

}  // namespace

void lookFromEye(const Point3d& offset)
{
    double eye[3], centre[3];
    eyeAndCentre(offset, eye, centre);
    gluLookAt(eye[0], eye[1], eye[2], centre[0], centre[1], centre[2], viewer.vu[0], viewer.vu[1],
              viewer.vu[2]);
}

void drawData(const Point3d& offset)
{
    glLoadIdentity();
    glPushMatrix();

    lookFromEye(offset);
    if (viewer.debugPrint) {
        double eye[3], centre[3];
        eyeAndCentre(offset, eye, centre);
        std::printf("vp: %lf %lf %lf\nvd: %lf %lf %lf\nvu: %lf %lf %lf\n", eye[0], eye[1], eye[2], centre[0],
                    centre[1], centre[2], viewer.vu[0], viewer.vu[1], viewer.vu[2]);
    }

    drawLoadedData();

    // The axes stand at the centre of the data and turn, shift and scale with it.
    if (viewer.showAxes) {
        glPushMatrix();
        applyViewTransform();
        drawAxes(2.0f);
        glPopMatrix();
    }
    glPopMatrix();
}
