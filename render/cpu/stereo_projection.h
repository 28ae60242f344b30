// The numbers of a frame's projection: the camera, the shared frustum height, the off-axis
// frustums of the centre and the two eyes, and the eyes' displacements.
#pragma once

#include "core/vector_maths.h"

// Fixed camera constants of every frame.
constexpr double kFieldOfView = 45.0;
constexpr double kNearPlane = 0.1;
constexpr double kFarPlane = 100000.0;

// The camera looks down -z with y up, from (0, 0, focal length).
constexpr double kViewDirection[3] = {0.0, 0.0, -1.0};
constexpr double kViewUp[3] = {0.0, 1.0, 0.0};

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
// The scale, at most 1, at which a box of drawn coordinates (low to high on each axis, the
// origin at the centre of the view), seen from the front by the centre's eye or, with an eye
// separation, by both eyes, lies inside the view of width over height ratio with a small
// margin at every side: 1 where the box fits as it is (the framing of a reset view), less
// in a view too narrow (or too low) for it. 1 for a view or box that cannot be measured.
double scaleToFitView(const double low[3], const double high[3], double ratio, float focalLength,
                      float eyeSeparation);

// The same for a view of the given width over height (an eye's share of the window) whose
// frustum takes in heightScale times the usual height (and as much more width); not
// drawable when ratio is not a positive finite number.
FrameProjection frameProjectionOfRatio(double ratio, float eyeSeparation, float focalLength, const double vd[3],
                                       const double vu[3], double heightScale = 1.0);
