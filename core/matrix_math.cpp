// Products and inverses of the matrices that the drawing reads back from OpenGL.
#include "core/matrix_math.h"

#include <algorithm>
#include <cmath>

namespace {

template <typename Number>
void multiplyInto(const Number a[16], const Number b[16], Number out[16])
{
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            Number s = 0;
            for (int k = 0; k < 4; ++k) {
                s += a[k * 4 + r] * b[c * 4 + k];
            }
            out[c * 4 + r] = s;
        }
    }
}

}  // namespace

void multiplyMatrices(const float a[16], const float b[16], float out[16])
{
    multiplyInto(a, b, out);
}

void multiplyMatrices(const double a[16], const double b[16], double out[16])
{
    multiplyInto(a, b, out);
}

bool affineInverse(const float m[16], double out[16])
{
    const double a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9], g = m[2], h = m[6], i = m[10];
    const double det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    if (det == 0.0 || !std::isfinite(det)) {
        return false;
    }
    const double l[9] = {(e * i - f * h) / det, (c * h - b * i) / det, (b * f - c * e) / det,
                         (f * g - d * i) / det, (a * i - c * g) / det, (c * d - a * f) / det,
                         (d * h - e * g) / det, (b * g - a * h) / det, (a * e - b * d) / det};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            out[col * 4 + row] = l[row * 3 + col];
        }
        out[12 + row] = -(l[row * 3] * m[12] + l[row * 3 + 1] * m[13] + l[row * 3 + 2] * m[14]);
        out[row * 4 + 3] = 0.0;
    }
    out[15] = 1.0;
    return true;
}

bool clipDiffersOnlyInX(const float a[16], const float b[16])
{
    for (int row = 1; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            const float x = a[column * 4 + row], y = b[column * 4 + row];
            if (std::fabs(x - y) > 1.0e-6f * (1.0f + std::max(std::fabs(x), std::fabs(y)))) {
                return false;
            }
        }
    }
    return true;
}

bool nearlyEqual(float x, float y)
{
    return std::fabs(x - y) <= 1.0e-5f * (1.0f + std::max(std::fabs(x), std::fabs(y)));
}

bool nearlySameMatrix(const float a[16], const float b[16])
{
    for (int k = 0; k < 16; ++k) {
        if (!nearlyEqual(a[k], b[k])) {
            return false;
        }
    }
    return true;
}
