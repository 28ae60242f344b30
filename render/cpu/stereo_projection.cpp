// The off-axis stereo projection of a frame.
#include "render/cpu/stereo_projection.h"

#include <cmath>
#include <initializer_list>

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

namespace {

// The share of the view's half width and height that a fitted box may take.
constexpr double kFitMargin = 0.9;

// Whether the box's corners, scaled by scale about the origin, fall inside the view at the
// focal plane seen from the eyes at eyeX beside the centre: halfWidth and halfHeight are the
// view's half sizes there.
bool boxInView(const double low[3], const double high[3], double scale, double focal, double halfWidth,
               double halfHeight, double eyeX)
{
    for (int corner = 0; corner < 8; ++corner) {
        const double x = scale * ((corner & 1) ? high[0] : low[0]);
        const double y = scale * ((corner & 2) ? high[1] : low[1]);
        const double z = scale * ((corner & 4) ? high[2] : low[2]);
        if (!(z < focal - kNearPlane)) {
            return false;
        }
        const double along = focal / (focal - z);
        for (double eye : {-eyeX, eyeX}) {
            if (std::fabs(eye + (x - eye) * along) > halfWidth || std::fabs(y * along) > halfHeight) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

double scaleToFitView(const double low[3], const double high[3], double ratio, float focalLength,
                      float eyeSeparation)
{
    const double focal = static_cast<double>(focalLength);
    bool measurable = ratio > 0.0 && std::isfinite(ratio) && focal > kNearPlane && std::isfinite(focal) &&
                      std::isfinite(static_cast<double>(eyeSeparation));
    for (int a = 0; a < 3; ++a) {
        measurable = measurable && std::isfinite(low[a]) && std::isfinite(high[a]);
    }
    if (!measurable) {
        return 1.0;
    }
    const double halfHeight = kFitMargin * focal * std::tan(kDegreesToRadians * kFieldOfView / 2.0);
    const double halfWidth = ratio * halfHeight;
    const double eyeX = std::fabs(static_cast<double>(eyeSeparation)) / 2.0;
    if (boxInView(low, high, 1.0, focal, halfWidth, halfHeight, eyeX)) {
        return 1.0;
    }
    // A smaller box lies inside wherever a larger one does: halve the interval to a
    // thousandth of the scale.
    double inside = 0.0, outside = 1.0;
    while (outside - inside > 1e-3) {
        const double middle = (inside + outside) / 2.0;
        (boxInView(low, high, middle, focal, halfWidth, halfHeight, eyeX) ? inside : outside) = middle;
    }
    return inside > 0.0 ? inside : 1.0;
}

FrameProjection frameProjectionOfRatio(double ratio, float eyeSeparation, float focalLength, const double vd[3],
                                       const double vu[3], double heightScale)
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
    const double top = heightScale > 0.0 && std::isfinite(heightScale) ? p.wd2 * heightScale : p.wd2;
    p.top = top;
    p.bottom = -top;

    const double shift = 0.5 * static_cast<double>(eyeSeparation) * p.ndfl;
    p.leftEye = {-p.ratio * top + shift, p.ratio * top + shift};
    p.center = {-p.ratio * top, p.ratio * top};
    p.rightEye = {-p.ratio * top - shift, p.ratio * top - shift};

    const Point3d right = unitCross(Point3d{vd[0], vd[1], vd[2]}, Point3d{vu[0], vu[1], vu[2]});
    const double half = static_cast<double>(eyeSeparation) / 2.0;
    p.r = {right.x * half, right.y * half, right.z * half};
    p.l = {-p.r.x, -p.r.y, -p.r.z};
    return p;
}
