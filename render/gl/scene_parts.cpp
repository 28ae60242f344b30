// The fixed furniture of the scene: lights, material, capped tubes, the axes figure
// and the file name written into the picture.
#include "render/gl/scene_parts.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "app/viewer_state.h"
#include "render/gl/frame.h"

void initLights()
{
    glEnable(GL_LIGHTING);
    glEnable(GL_NORMALIZE);
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_AMBIENT, viewer.light1Ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, viewer.light1Diffuse);
    glLightfv(GL_LIGHT0, GL_POSITION, viewer.light1Position);

    glEnable(GL_LIGHT1);
    glLightfv(GL_LIGHT1, GL_AMBIENT, viewer.light2Ambient);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, viewer.light2Diffuse);
    glLightfv(GL_LIGHT1, GL_POSITION, viewer.light2Position);
}

void setUpDisplayState()
{
    // The light positions are given under an identity model-view matrix, so that
    // Light 2 stays fixed relative to the viewer.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    initLights();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_NORMALIZE);
    glEnable(GL_LINE_SMOOTH);
    glShadeModel(GL_SMOOTH);
}

void setMaterial(float r, float g, float b, float a)
{
    const GLfloat colour[4] = {r, g, b, a};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, colour);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, colour);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 60.0f);
}

Point3d unitCross(const Point3d& a, const Point3d& b)
{
    Point3d c{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    const double length = std::sqrt(c.x * c.x + c.y * c.y + c.z * c.z);
    c.x /= length;
    c.y /= length;
    c.z /= length;
    return c;
}

TubeTurn tubeTurn(const Point3d& a, const Point3d& b)
{
    TubeTurn turn;
    const Point3d d{b.x - a.x, b.y - a.y, b.z - a.z};
    turn.length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    if (turn.length == 0.0) {
        return turn;
    }
    if (d.x == 0.0 && d.z == 0.0) {
        // A vertical tube: the frame below would need a cross product with the y axis,
        // which vanishes, so a quarter turn about x does it.
        turn.kind = TubeTurn::AboutX;
        turn.angle = a.y < b.y ? -90.0 : 90.0;
        return turn;
    }
    const Point3d side = unitCross(Point3d{0.0, 1.0, 0.0}, d);
    const Point3d lift = unitCross(d, side);
    const Point3d u{d.x / turn.length, d.y / turn.length, d.z / turn.length};
    const double columns[16] = {side.x, side.y, side.z, 0.0, lift.x, lift.y, lift.z, 0.0,
                                u.x,    u.y,    u.z,    0.0, 0.0,    0.0,    0.0,    1.0};
    turn.kind = TubeTurn::Frame;
    for (int k = 0; k < 16; ++k) {
        turn.matrix[k] = columns[k];
    }
    return turn;
}

void drawTube(const Point3d& a, const Point3d& b, float radius)
{
    GLUquadric* quadric = viewer.quadric;
    if (quadric == nullptr) {
        return;  // no display context has been set up yet
    }
    const TubeTurn turn = tubeTurn(a, b);
    const int segments = viewer.segments;

    glPushMatrix();
    glTranslated(dataSet.tx + a.x, dataSet.ty + a.y, dataSet.tz + a.z);
    if (turn.kind == TubeTurn::AboutX) {
        glRotated(turn.angle, 1.0, 0.0, 0.0);
    } else if (turn.kind == TubeTurn::Frame) {
        glMultMatrixd(turn.matrix);
    }

    gluQuadricOrientation(quadric, GLU_OUTSIDE);
    gluQuadricDrawStyle(quadric, GLU_FILL);
    gluQuadricNormals(quadric, GLU_SMOOTH);
    gluCylinder(quadric, radius, radius, turn.length, segments, segments);

    // The cap at a faces away from b, the cap at b away from a.
    gluQuadricNormals(quadric, GLU_FLAT);
    gluQuadricOrientation(quadric, GLU_INSIDE);
    gluDisk(quadric, 0.0, radius, segments, segments);
    glTranslated(0.0, 0.0, turn.length);
    gluQuadricOrientation(quadric, GLU_OUTSIDE);
    gluDisk(quadric, 0.0, radius, segments, segments);
    glPopMatrix();
}

void drawAxes(float size)
{
    glDisable(GL_LIGHTING);
    glPushMatrix();
    glScalef(size, size, size);
    glBegin(GL_LINES);
    glColor3f(1.0f, 0.0f, 0.0f);
    // A letter X beside the end of the x axis, then the axis itself.
    glVertex3f(0.8f, 0.05f, 0.0f);
    glVertex3f(1.0f, 0.25f, 0.0f);
    glVertex3f(0.8f, 0.25f, 0.0f);
    glVertex3f(1.0f, 0.05f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(1.0f, 0.0f, 0.0f);
    glColor3f(0.0f, 1.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 1.0f, 0.0f);
    glColor3f(0.0f, 0.0f, 1.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 1.0f);
    glEnd();
    glPopMatrix();
    glEnable(GL_LIGHTING);
}

std::string fileNameText(const std::string& path)
{
    std::string::size_type cut = path.rfind('/');
    if (cut == std::string::npos) {
        cut = path.rfind('\\');
    }
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

void drawFileName()
{
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, 100.0, 0.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // The raster colour is taken when the position is set, so the colour comes first.
    glColor3f(1.0f - viewer.bgColor[0], 1.0f - viewer.bgColor[1], 1.0f - viewer.bgColor[2]);
    glRasterPos2i(10, 10);
    if (viewer.filename.empty()) {
        return;
    }
    const std::string text = fileNameText(viewer.filename);
    frameOutput.drawText(text.c_str());
}
