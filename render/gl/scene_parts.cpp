// The fixed furniture of the scene: lights, material, capped tubes, the axes figure
// and the file name written into the picture.
#include "render/gl/scene_parts.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "render/cpu/tube_mesh.h"



void initLights(const Settings& settings)
{
    glEnable(GL_LIGHTING);
    glEnable(GL_NORMALIZE);
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_AMBIENT, settings.light1Ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, settings.light1Diffuse);
    glLightfv(GL_LIGHT0, GL_POSITION, settings.light1Position);

    glEnable(GL_LIGHT1);
    glLightfv(GL_LIGHT1, GL_AMBIENT, settings.light2Ambient);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, settings.light2Diffuse);
    glLightfv(GL_LIGHT1, GL_POSITION, settings.light2Position);
}

void setUpDisplayState(const Settings& settings)
{
    // The light positions are given under an identity model-view matrix, so that
    // Light 2 stays fixed relative to the viewer.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    initLights(settings);
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

namespace {

// Moves the model-view to the local frame of the tube from a to b: its axis along z.
TubeTurn enterTubeFrame(const Point3d& offset, const Point3d& a, const Point3d& b)
{
    const TubeTurn turn = tubeTurn(a, b);
    glPushMatrix();
    glTranslated(offset.x + a.x, offset.y + a.y, offset.z + a.z);
    if (turn.kind == TubeTurn::AboutX) {
        glRotated(turn.angle, 1.0, 0.0, 0.0);
    } else if (turn.kind == TubeTurn::Frame) {
        glMultMatrixd(turn.matrix);
    }
    return turn;
}

}  // namespace

void drawTube(GLUquadric* quadric, const Point3d& offset, const Point3d& a, const Point3d& b, float radius,
              int segments)
{
    if (quadric == nullptr) {
        return;  // no display context has been set up yet
    }
    const TubeTurn turn = enterTubeFrame(offset, a, b);

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

void drawColoredTube(GLUquadric* quadric, const Point3d& offset, const Point3d& a, const Point3d& b, float radius,
                     int segments, const unsigned char colorA[4], const unsigned char colorB[4])
{
    if (quadric == nullptr || segments < 2) {
        return;
    }
    const TubeTurn turn = enterTubeFrame(offset, a, b);
    const TubeRing ring = tubeRing(segments);
    const float r = radius;
    // One stack, as the kept mesh has it: the quadric's rings between the ends would each be
    // lit in a colour of its own and clamped there, where the blend of the two ends' lit
    // colours is not. The quadric refuses a cylinder of length 0.
    if (turn.length != 0.0) {
        const float length = static_cast<float>(turn.length);
        glBegin(GL_QUAD_STRIP);
        for (int i = 0; i <= segments; ++i) {
            const float sine = ring.cylinderSin[i], cosine = ring.cylinderCos[i];
            glNormal3f(sine, cosine, 0.0f);
            glColor4ubv(colorA);
            glVertex3f(r * sine, r * cosine, 0.0f);
            glColor4ubv(colorB);
            glVertex3f(r * sine, r * cosine, length);
        }
        glEnd();
    }
    gluQuadricDrawStyle(quadric, GLU_FILL);
    gluQuadricNormals(quadric, GLU_FLAT);
    gluQuadricOrientation(quadric, GLU_INSIDE);
    glColor4ubv(colorA);
    gluDisk(quadric, 0.0, radius, segments, segments);
    glTranslated(0.0, 0.0, turn.length);
    gluQuadricOrientation(quadric, GLU_OUTSIDE);
    glColor4ubv(colorB);
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

void drawFileName(const float bgColor[4], const std::string& fileName, void (*drawText)(const char* text))
{
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, 100.0, 0.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // The raster colour is taken when the position is set, so the colour comes first.
    glColor3f(1.0f - bgColor[0], 1.0f - bgColor[1], 1.0f - bgColor[2]);
    glRasterPos2i(10, 10);
    if (fileName.empty()) {
        return;
    }
    const std::string text = fileNameText(fileName);
    drawText(text.c_str());
}
