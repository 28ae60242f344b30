// The display callback: one complete picture per call, in MonoView, Anaglyph or
// StereoView, with off-axis frustums for the two eyes.
#include "render/gl/frame.h"

#include <GL/freeglut.h>
#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "app/viewer_state.h"
#include "render/gl/data_drawing.h"
#include "render/gl/fast_drawing.h"
#include "core/matrix_math.h"
#include "render/gl/scene_parts.h"
#include "render/cpu/second_eye.h"

namespace {

void selectWindowDrawBuffer(unsigned int buffer)
{
    // A window without stereo buffers has one back buffer: the left eye's selection takes
    // it, and the right eye's keeps it, without the errors that naming a missing
    // left or right buffer can raise.
    if (buffer == GL_BACK_LEFT || buffer == GL_BACK_RIGHT) {
        GLboolean stereo = GL_FALSE;
        glGetBooleanv(GL_STEREO, &stereo);
        if (!stereo) {
            if (buffer == GL_BACK_LEFT) {
                glDrawBuffer(GL_BACK);
            }
            return;
        }
    }
    glDrawBuffer(buffer);
}

void drawBitmapText(const char* text)
{
    for (const char* c = text; *c != '\0'; ++c) {
        glutBitmapCharacter(GLUT_BITMAP_HELVETICA_18, static_cast<unsigned char>(*c));
    }
}

void swapWindowBuffers()
{
    glutSwapBuffers();
}

void postRedisplay()
{
    glutPostRedisplay();
}

// A frame left unfinished by a slice, to be continued while the view stays the same.
struct PendingFrame {
    bool unfinished = false;
    std::vector<unsigned char> key;
    std::size_t resumeAt = 0;
};
PendingFrame pending;

template <typename T>
void appendBytes(std::vector<unsigned char>& key, const T& value)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(&value);
    key.insert(key.end(), bytes, bytes + sizeof(T));
}

// Everything that the picture depends on, byte for byte: a slice continues the unfinished
// frame only while this stays the same, and any change starts the frame over.
std::vector<unsigned char> viewKey()
{
    std::vector<unsigned char> key;
    appendBytes(key, viewer.angleMat);
    appendBytes(key, viewer.objTrans);
    appendBytes(key, viewer.rotateMat);
    appendBytes(key, viewer.lightRotateMat);
    appendBytes(key, viewer.scale);
    appendBytes(key, viewer.thickness);
    appendBytes(key, viewer.segments);
    appendBytes(key, viewer.stereoMode);
    appendBytes(key, viewer.windowMode);
    appendBytes(key, viewer.mainWindow);
    appendBytes(key, viewer.eyeSeparation);
    appendBytes(key, viewer.focalLength);
    appendBytes(key, viewer.vp);
    appendBytes(key, viewer.vd);
    appendBytes(key, viewer.vu);
    appendBytes(key, viewer.displayType);
    appendBytes(key, viewer.showAxes);
    appendBytes(key, viewer.showFileName);
    appendBytes(key, viewer.bgColor);
    appendBytes(key, viewer.leftColor);
    appendBytes(key, viewer.rightColor);
    appendBytes(key, viewer.light1Ambient);
    appendBytes(key, viewer.light1Diffuse);
    appendBytes(key, viewer.light1Position);
    appendBytes(key, viewer.light2Ambient);
    appendBytes(key, viewer.light2Diffuse);
    appendBytes(key, viewer.light2Position);
    appendBytes(key, viewer.light1Enabled);
    appendBytes(key, viewer.light2Enabled);
    appendBytes(key, viewer.light1Intensity);
    appendBytes(key, viewer.light2Intensity);
    appendBytes(key, viewer.dataColors);
    appendBytes(key, viewer.viewportWidth);
    appendBytes(key, viewer.viewportHeight);
    appendBytes(key, dataSet.generation);
    appendBytes(key, dataSet.tx);
    appendBytes(key, dataSet.ty);
    appendBytes(key, dataSet.tz);
    const bool reference = referenceDrawing();
    appendBytes(key, reference);
    key.insert(key.end(), viewer.filename.begin(), viewer.filename.end());
    return key;
}

enum StereoMode { kMonoView = 0, kAnaglyph = 1, kStereoView = 2 };

// Switches the diagnostics off while held, when asked, and back as they were.
class DiagnosticsHeld {
public:
    explicit DiagnosticsHeld(bool hold) : saved_(viewer.debugPrint)
    {
        if (hold) {
            viewer.debugPrint = 0;
        }
    }
    ~DiagnosticsHeld() { viewer.debugPrint = saved_; }
    DiagnosticsHeld(const DiagnosticsHeld&) = delete;
    DiagnosticsHeld& operator=(const DiagnosticsHeld&) = delete;

private:
    int saved_;
};

// One eye's pass: its frustum, its draw buffer (0: leave as selected), its colour, its eye.
void drawPass(const FrameProjection& p, const FrustumLimits& frustum, unsigned int drawBuffer,
              const float colour[4], const Point3d& eye)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(frustum.left, frustum.right, p.bottom, p.top, kNearPlane, kFarPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (drawBuffer != 0) {
        frameOutput.selectDrawBuffer(drawBuffer);
    }
    setMaterial(colour[0], colour[1], colour[2], colour[3]);
    drawData(eye);
}

// Tells the drawing, before the left eye's pass, how the right eye's will differ from it.
void announceRightEye(const FrameProjection& p)
{
    double projection[16], leftView[16], rightView[16];
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glFrustum(p.rightEye.left, p.rightEye.right, p.bottom, p.top, kNearPlane, kFarPlane);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    lookFromEye(p.l);
    glGetDoublev(GL_MODELVIEW_MATRIX, leftView);
    glLoadIdentity();
    lookFromEye(p.r);
    glGetDoublev(GL_MODELVIEW_MATRIX, rightView);
    glPopMatrix();
    // A view is a turn and a shift: its inverse turns back by the transpose.
    double inverse[16] = {};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            inverse[c * 4 + r] = leftView[r * 4 + c];
        }
        inverse[12 + r] = -(leftView[r * 4] * leftView[12] + leftView[r * 4 + 1] * leftView[13] +
                            leftView[r * 4 + 2] * leftView[14]);
    }
    inverse[15] = 1.0;
    double change[16];
    multiplyMatrices(rightView, inverse, change);
    announceSecondEye(projection, change);
}

void printFrustum(const char* name, const FrustumLimits& f, const FrameProjection& p)
{
    std::printf("%s Frustum: left = %lf right = %lf top = %lf bottom = %lf nearp = %lf farp = %lf\n", name,
                f.left, f.right, p.top, p.bottom, kNearPlane, kFarPlane);
}

}  // namespace

FrameOutput frameOutput = {selectWindowDrawBuffer, drawBitmapText, swapWindowBuffers};
void (*requestFrameSlice)() = postRedisplay;

bool frameUnfinished()
{
    return pending.unfinished;
}

FrameProjection frameProjection(int viewportWidth, int viewportHeight, float eyeSeparation,
                                float focalLength, const double vd[3], const double vu[3])
{
    FrameProjection p;
    // A minimised window or a focal length of 0 would put infinities into the frustum.
    if (viewportWidth <= 0 || viewportHeight <= 0 || focalLength == 0.0f || !std::isfinite(focalLength) ||
        !std::isfinite(eyeSeparation)) {
        return p;
    }
    p.drawable = true;
    p.ratio = static_cast<double>(viewportWidth) / static_cast<double>(viewportHeight);
    p.radians = kFrameDegreesToRadians * kFieldOfView / 2.0;
    p.wd2 = kNearPlane * std::tan(p.radians);
    p.ndfl = kNearPlane / static_cast<double>(focalLength);
    p.top = p.wd2;
    p.bottom = -p.wd2;

    const double shift = 0.5 * static_cast<double>(eyeSeparation) * p.ndfl;
    p.leftEye = {-p.ratio * p.wd2 + shift, p.ratio * p.wd2 + shift};
    p.center = {-p.ratio * p.wd2, p.ratio * p.wd2};
    p.rightEye = {-p.ratio * p.wd2 - shift, p.ratio * p.wd2 - shift};

    const Point3d right = unitCross(Point3d{vd[0], vd[1], vd[2]}, Point3d{vu[0], vu[1], vu[2]});
    const double half = static_cast<double>(eyeSeparation) / 2.0;
    p.r = {right.x * half, right.y * half, right.z * half};
    p.l = {-p.r.x, -p.r.y, -p.r.z};
    return p;
}

void displayFrame()
{
    viewer.vp[2] = static_cast<double>(viewer.focalLength);
    const FrameProjection p = frameProjection(viewer.viewportWidth, viewer.viewportHeight, viewer.eyeSeparation,
                                              viewer.focalLength, viewer.vd, viewer.vu);
    // A big frame may be drawn in slices, so that the panel windows, served by the same
    // event loop, never wait long for it. An unfinished frame of the same view continues
    // from the back buffer as the last slice left it (nothing swapped it since); the
    // slice runs the whole frame again with writes masked up to where the last one stopped,
    // so every pass finds its projection, model-view, material and draw buffer as before.
    std::vector<unsigned char> key;
    bool resume = false;
    if (frameSliceBudget() > 0.0) {
        key = viewKey();
        resume = pending.unfinished && key == pending.key;
    }
    beginFrameSlice(resume ? pending.resumeAt : 0);
    // A frame drawn in slices prints its diagnostics once, in its first slice.
    const DiagnosticsHeld held(resume);
    if (p.drawable && viewer.debugPrint) {
        std::printf("ratio = %lf radians = %lf wd2 = %lf ndfl = %lf\n", p.ratio, p.radians, p.wd2, p.ndfl);
    }

    // GL_BACK takes in both back buffers of a stereo window, so each eye starts from the
    // background; a frame in StereoView may have left the back-right buffer selected.
    frameOutput.selectDrawBuffer(GL_BACK);
    if (!resume) {
        glClearColor(viewer.bgColor[0], viewer.bgColor[1], viewer.bgColor[2], viewer.bgColor[3]);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    if (p.drawable && viewer.debugPrint) {
        printFrustum("Left", p.leftEye, p);
        printFrustum("Center", p.center, p);
        printFrustum("Right", p.rightEye, p);
    }

    // Light 1 turns only with its own rotation control, not with the eye or the data.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMultMatrixf(viewer.lightRotateMat);
    glLightfv(GL_LIGHT0, GL_POSITION, viewer.light1Position);

    if (p.drawable) {
        if (viewer.debugPrint) {
            std::printf("r = %lf %lf %lf\nl = %lf %lf %lf\n", p.r.x, p.r.y, p.r.z, p.l.x, p.l.y, p.l.z);
        }
        switch (viewer.stereoMode) {
        case kMonoView:
            drawPass(p, p.center, GL_BACK, viewer.leftColor, Point3d{});
            break;
        case kAnaglyph:
            // The right eye is drawn over the left one, depth-tested against it.
            announceRightEye(p);
            drawPass(p, p.leftEye, GL_BACK, viewer.leftColor, p.l);
            forgetSecondEye();
            drawPass(p, p.rightEye, 0, viewer.rightColor, p.r);
            closeSecondEye();
            break;
        case kStereoView:
            announceRightEye(p);
            drawPass(p, p.leftEye, GL_BACK_LEFT, viewer.leftColor, p.l);
            forgetSecondEye();
            // The right eye's picture must not be hidden by depths of the left eye's.
            frameOutput.selectDrawBuffer(GL_BACK_RIGHT);
            glClear(GL_DEPTH_BUFFER_BIT);
            drawPass(p, p.rightEye, 0, viewer.rightColor, p.r);
            closeSecondEye();
            break;
        default:
            break;
        }
    }

    endFrameSlice();
    pending.unfinished = frameSliceStopped();
    if (pending.unfinished) {
        pending.key = std::move(key);
        pending.resumeAt = frameSliceResumePoint();
        glEnable(GL_LIGHTING);
        requestFrameSlice();
        return;
    }

    if (viewer.showFileName) {
        drawFileName();
    }
    glEnable(GL_LIGHTING);
    frameOutput.finishFrame();
}
