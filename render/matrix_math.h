// Column-order 4 x 4 matrices, as OpenGL keeps them.
#pragma once

// out = a times b.
void multiplyMatrices(const float a[16], const float b[16], float out[16]);
void multiplyMatrices(const double a[16], const double b[16], double out[16]);

// The inverse of an affine matrix; false when it has none (a scale of 0).
bool affineInverse(const float m[16], double out[16]);
