// The passes of a frame's eyes, and the announcement of the second eye.
#include "render/gl/eye_pass.h"

#include <GL/gl.h>

#include "core/matrix_math.h"
#include "render/gl/data_drawing.h"
#include "render/gl/frame.h"
#include "render/gl/scene_parts.h"

EyeCamera centreCamera(const FrameProjection& p)
{
    return EyeCamera{p.center, p.bottom, p.top, Point3d{}};
}

EyeCamera eyeCamera(const FrameProjection& p, Eye eye)
{
    return eye == Eye::Left ? EyeCamera{p.leftEye, p.bottom, p.top, p.l}
                            : EyeCamera{p.rightEye, p.bottom, p.top, p.r};
}

void drawEyePass(const DrawContext& c, const EyeCamera& camera, unsigned int drawBuffer, const float colour[4])
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(camera.frustum.left, camera.frustum.right, camera.bottom, camera.top, kNearPlane, kFarPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (drawBuffer != 0) {
        frameOutput.selectDrawBuffer(drawBuffer);
    }
    setMaterial(colour[0], colour[1], colour[2], colour[3]);
    drawData(c, camera.displacement, colour);
}

void announceSecondEye(SecondEye& secondEye, float focalLength, const EyeCamera& first, const EyeCamera& second,
                       bool sharedDepth, int secondRowParity)
{
    double projection[16], firstView[16], secondView[16];
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glFrustum(second.frustum.left, second.frustum.right, second.bottom, second.top, kNearPlane, kFarPlane);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    lookFromEye(focalLength, first.displacement);
    glGetDoublev(GL_MODELVIEW_MATRIX, firstView);
    glLoadIdentity();
    lookFromEye(focalLength, second.displacement);
    glGetDoublev(GL_MODELVIEW_MATRIX, secondView);
    glPopMatrix();
    // A view is a turn and a shift: its inverse turns back by the transpose.
    double inverse[16] = {};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            inverse[c * 4 + r] = firstView[r * 4 + c];
        }
        inverse[12 + r] = -(firstView[r * 4] * firstView[12] + firstView[r * 4 + 1] * firstView[13] +
                            firstView[r * 4 + 2] * firstView[14]);
    }
    inverse[15] = 1.0;
    double change[16];
    multiplyMatrices(secondView, inverse, change);
    secondEye.announce(projection, change, sharedDepth, secondRowParity);
}
