// One complete frame: clear, light, one or two eye passes, file name, swap.
#pragma once

#include "core/data_set.h"

void displayFrame();

// While a frame is drawn in slices (see setFrameSliceBudget), each unfinished slice asks for
// the display callback again through this (a GLUT redisplay in the viewer).
extern void (*requestFrameSlice)();
// Whether the last displayFrame left its frame unfinished, with nothing handed over.
bool frameUnfinished();

// Fixed camera constants of every frame.
constexpr double kFieldOfView = 45.0;
constexpr double kNearPlane = 0.1;
constexpr double kFarPlane = 100000.0;
constexpr double kFrameDegreesToRadians = 0.0174532925;

// Left and right limits of one eye's viewing frustum at the near plane.
struct FrustumLimits {
    double left = 0.0, right = 0.0;
};

// Everything a frame works out before drawing: the shared frustum height, the three
// off-axis frustums and the two eye displacements. drawable is false when the viewport
// has no area or the focal length is 0; the other numbers are then not meaningful.
struct FrameProjection {
    bool drawable = false;
    double ratio = 0.0, radians = 0.0, wd2 = 0.0, ndfl = 0.0;
    double top = 0.0, bottom = 0.0;
    FrustumLimits leftEye, center, rightEye;
    Point3d r, l;
};
FrameProjection frameProjection(int viewportWidth, int viewportHeight, float eyeSeparation,
                                float focalLength, const double vd[3], const double vu[3]);

// The steps in which a window on screen and a headless picture differ. The defaults serve
// the viewer's GLUT window; a headless renderer replaces them before its first frame.
struct FrameOutput {
    // Selects GL_BACK, GL_BACK_LEFT or GL_BACK_RIGHT for the following drawing.
    void (*selectDrawBuffer)(unsigned int buffer);
    // Writes text at the current raster position in the current raster colour.
    void (*drawText)(const char* text);
    // Hands the finished picture over (a buffer swap in the viewer).
    void (*finishFrame)();
};
extern FrameOutput frameOutput;
