// Column-order 4 x 4 matrices, as OpenGL keeps them.
#pragma once

// out = a times b.
void multiplyMatrices(const float a[16], const float b[16], float out[16]);
void multiplyMatrices(const double a[16], const double b[16], double out[16]);

// The inverse of an affine matrix; false when it has none (a scale of 0).
bool affineInverse(const float m[16], double out[16]);

// Whether two projection-times-model-view matrices give the same clip y, z and w to every
// point (within rounding), as the two eyes of an off-axis stereo pair do: then only the
// window x of a point differs between them.
bool clipDiffersOnlyInX(const float a[16], const float b[16]);

// Whether two numbers, or each element of two matrices, agree up to rounding (a relative 1e-5).
bool nearlyEqual(float x, float y);
bool nearlySameMatrix(const float a[16], const float b[16]);
