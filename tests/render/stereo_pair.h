// Matrices for tests of the drawing's processor-side work: a perspective frustum and an
// off-axis stereo pair looking at a model 20 units away.
#pragma once

#include "core/matrix_math.h"

// A perspective frustum as glFrustum makes it (near 1, far 100), column order.
inline void frustum(float left, float right, float bottom, float top, float out[16])
{
    const float n = 1.0f, f = 100.0f;
    for (int k = 0; k < 16; ++k) {
        out[k] = 0.0f;
    }
    out[0] = 2 * n / (right - left);
    out[5] = 2 * n / (top - bottom);
    out[8] = (right + left) / (right - left);
    out[9] = (top + bottom) / (top - bottom);
    out[10] = -(f + n) / (f - n);
    out[11] = -1.0f;
    out[14] = -2 * f * n / (f - n);
}

// The model moved 20 away from the eye along -z.
inline void movedAway(float out[16])
{
    for (int k = 0; k < 16; ++k) {
        out[k] = k % 5 == 0 ? 1.0f : 0.0f;
    }
    out[14] = -20.0f;
}

// Eyes side by side, 2.3 units apart, one of them off-axis: the same y, z and w in the clip
// coordinates, and window positions some 24 pixels apart in a 200 pixel wide view.
inline void offAxisPair(float left[16], float leftView[16], float right[16], float rightView[16])
{
    frustum(-0.5f, 0.5f, -0.375f, 0.375f, left);
    frustum(-0.45f, 0.55f, -0.375f, 0.375f, right);
    movedAway(leftView);
    movedAway(rightView);
    leftView[12] = 1.1f;
    rightView[12] = -1.2f;
}

// The same pair as projection times model-view.
inline void offAxisPair(float leftClip[16], float rightClip[16])
{
    float left[16], right[16], leftView[16], rightView[16];
    offAxisPair(left, leftView, right, rightView);
    multiplyMatrices(left, leftView, leftClip);
    multiplyMatrices(right, rightView, rightClip);
}
