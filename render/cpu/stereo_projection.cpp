// The off-axis stereo projection of a frame.
#include "render/cpu/stereo_projection.h"

#include <cmath>

#include "core/view_maths.h"

FrameProjection frameProjection(int viewportWidth, int viewportHeight, float eyeSeparation,
                                float focalLength, const double vd[3], const double vu[3])
{
    // A minimised window would put infinities into the frustum.
    if (viewportWidth <= 0 || viewportHeight <= 0) {
        return FrameProjection{};
    }
    return frameProjectionOfRatio(static_cast<double>(viewportWidth) / static_cast<double>(viewportHeight),
                                  eyeSeparation, focalLength, vd, vu);
}

FrameProjection frameProjectionOfRatio(double ratio, float eyeSeparation, float focalLength, const double vd[3],
                                       const double vu[3])
{
    FrameProjection p;
    // A focal length of 0 would put infinities into the frustum.
    if (!(ratio > 0.0) || !std::isfinite(ratio) || focalLength == 0.0f || !std::isfinite(focalLength) ||
        !std::isfinite(eyeSeparation)) {
        return p;
    }
    p.drawable = true;
    p.ratio = ratio;
    p.radians = kDegreesToRadians * kFieldOfView / 2.0;
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
