// The scene's rotation matrix from its three angles.
#include "core/view_maths.h"

#include <cmath>

void buildRotation(double angleX, double angleY, double angleZ, float out[16])
{
    const double a = angleX * kDegreesToRadians;
    const double b = angleY * kDegreesToRadians;
    const double c = angleZ * kDegreesToRadians;
    const double ca = std::cos(a), sa = std::sin(a);
    const double cb = std::cos(b), sb = std::sin(b);
    const double cc = std::cos(c), sc = std::sin(c);

    const double m[16] = {
        cb * cc, cb * sc, -sb, 0.0,
        sa * sb * cc - ca * sc, sa * sb * sc + ca * cc, sa * cb, 0.0,
        ca * sb * cc + sa * sc, ca * sb * sc - sa * cc, ca * cb, 0.0,
        0.0, 0.0, 0.0, 1.0,
    };
    for (int i = 0; i < 16; ++i) {
        out[i] = static_cast<float>(m[i]);
    }
}
