// The rotation control: a virtual trackball (Shoemake's arcball) that turns a 16-float
// column-order rotation matrix, and keeps turning after a release in motion when it spins.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "glui/glui.h"
#include "glui/glui_internal.h"

namespace {

constexpr float kRestAngle = 1e-4f;  // radians per step below which a turn counts as rest

void identity(float* m)
{
    for (int i = 0; i < 16; ++i)
        m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

// A point of the widget's square (-1..1, y up) on the unit sphere; outside the ball, on its rim.
void toSphere(float x, float y, float* v)
{
    if (!std::isfinite(x) || !std::isfinite(y))
        x = y = 0.0f;
    float r2 = x * x + y * y;
    if (r2 <= 1.0f) {
        v[0] = x;
        v[1] = y;
        v[2] = std::sqrt(1.0f - r2);
    } else {
        float r = std::sqrt(r2);
        v[0] = x / r;
        v[1] = y / r;
        v[2] = 0.0f;
    }
}

// The quaternion (x y z w) that turns unit vector a onto unit vector b.
void quatBetween(const float* a, const float* b, float* q)
{
    float axis[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    float len = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
    float d = std::min(1.0f, std::max(-1.0f, a[0] * b[0] + a[1] * b[1] + a[2] * b[2]));
    if (len < 1e-7f) {
        q[0] = q[1] = q[2] = 0.0f;
        q[3] = 1.0f;
        return;
    }
    float half = 0.5f * std::acos(d);
    float s = std::sin(half) / len;
    q[0] = axis[0] * s;
    q[1] = axis[1] * s;
    q[2] = axis[2] * s;
    q[3] = std::cos(half);
}

float quatAngle(const float* q) { return 2.0f * std::acos(std::min(1.0f, std::fabs(q[3]))); }

void quatToMatrix(const float* q, float* m)
{
    float x = q[0], y = q[1], z = q[2], w = q[3];
    identity(m);
    m[0] = 1 - 2 * (y * y + z * z);
    m[1] = 2 * (x * y + w * z);
    m[2] = 2 * (x * z - w * y);
    m[4] = 2 * (x * y - w * z);
    m[5] = 1 - 2 * (x * x + z * z);
    m[6] = 2 * (y * z + w * x);
    m[8] = 2 * (x * z + w * y);
    m[9] = 2 * (y * z - w * x);
    m[10] = 1 - 2 * (x * x + y * y);
}

// out = a * b, all column order; out may be b.
void multiply(const float* a, const float* b, float* out)
{
    float r[16];
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += a[k * 4 + row] * b[c * 4 + k];
            r[c * 4 + row] = sum;
        }
    std::memcpy(out, r, sizeof r);
}

// Keeps the turning part a rotation despite rounding over many spin steps (Gram-Schmidt on columns).
void orthonormalise(float* m)
{
    float* c0 = m;
    float* c1 = m + 4;
    float* c2 = m + 8;
    auto dot = [](const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
    auto normalise = [&](float* a) {
        float len = std::sqrt(dot(a, a));
        if (len > 0.0f)
            for (int i = 0; i < 3; ++i)
                a[i] /= len;
    };
    normalise(c0);
    float d = dot(c0, c1);
    for (int i = 0; i < 3; ++i)
        c1[i] -= d * c0[i];
    normalise(c1);
    c2[0] = c0[1] * c1[2] - c0[2] * c1[1];
    c2[1] = c0[2] * c1[0] - c0[0] * c1[2];
    c2[2] = c0[0] * c1[1] - c0[1] * c1[0];
}

}  // namespace

GLUI_Rotation::GLUI_Rotation(GLUI* glui, GLUI_Control* parent, std::string name, float* liveMatrix, int id,
                             GLUI_Update_CB callback)
    : GLUI_Control(GLUI_Kind::Rotation, glui, parent, std::move(name), liveMatrix, id, callback)
{
    identity(matrix_);
    identity(dragStartMatrix_);
    // Binding a matrix resets it: the trackball and the matrix start in agreement.
    write_live();
}

void GLUI_Rotation::reset()
{
    identity(matrix_);
    spinning_ = false;
    dragging_ = false;
    write_live();
    changed();
}

// A factor above 1 would speed the turn up on every step without end.
void GLUI_Rotation::set_spin(float dampingFactor)
{
    spin_ = std::isfinite(dampingFactor) ? std::min(1.0f, std::max(0.0f, dampingFactor)) : 0.0f;
    if (spin_ == 0.0f)
        spinning_ = false;
}

void GLUI_Rotation::user_begin_drag(float x, float y)
{
    toSphere(x, y, dragStart_);
    std::memcpy(dragLast_, dragStart_, sizeof dragLast_);
    std::memcpy(dragStartMatrix_, matrix_, sizeof matrix_);
    lastStep_[0] = lastStep_[1] = lastStep_[2] = 0.0f;
    lastStep_[3] = 1.0f;
    dragging_ = true;
    spinning_ = false;
}

void GLUI_Rotation::user_drag_to(float x, float y)
{
    if (!dragging_)
        return;
    float v[3];
    toSphere(x, y, v);
    // Both the whole turn since the press and the last step, which a release hands to the spin.
    quatBetween(dragLast_, v, lastStep_);
    std::memcpy(dragLast_, v, sizeof v);
    if (quatAngle(lastStep_) == 0.0f)
        return;
    float q[4], turn[16];
    quatBetween(dragStart_, v, q);
    quatToMatrix(q, turn);
    multiply(turn, dragStartMatrix_, matrix_);
    changed();
    notify_user_change();
}

void GLUI_Rotation::user_end_drag()
{
    if (!dragging_)
        return;
    dragging_ = false;
    if (spin_ > 0.0f && quatAngle(lastStep_) > kRestAngle) {
        spinning_ = true;
        glui_detail::spinStarted();
    }
}

bool GLUI_Rotation::spinning() const { return spinning_; }

bool GLUI_Rotation::step_spin()
{
    if (!spinning_ || dragging_)
        return false;
    float turn[16];
    quatToMatrix(lastStep_, turn);
    multiply(turn, matrix_, matrix_);
    orthonormalise(matrix_);
    // Slow the turn by the damping factor: the same axis, the angle times the factor.
    float angle = quatAngle(lastStep_) * spin_;
    if (angle < kRestAngle) {
        spinning_ = false;
    } else if (spin_ < 1.0f) {
        float s = std::sqrt(lastStep_[0] * lastStep_[0] + lastStep_[1] * lastStep_[1] + lastStep_[2] * lastStep_[2]);
        float scale = s > 0.0f ? std::sin(0.5f * angle) / s : 0.0f;
        float sign = lastStep_[3] < 0.0f ? -1.0f : 1.0f;
        for (int i = 0; i < 3; ++i)
            lastStep_[i] *= scale * sign;
        lastStep_[3] = std::cos(0.5f * angle);
    }
    changed();
    notify_user_change();
    return true;
}

void GLUI_Rotation::write_live()
{
    if (liveVar_)
        std::memcpy(liveVar_, matrix_, sizeof matrix_);
}

void GLUI_Rotation::sync_live()
{
    if (!liveVar_ || std::memcmp(liveVar_, matrix_, sizeof matrix_) == 0)
        return;
    std::memcpy(matrix_, liveVar_, sizeof matrix_);
    changed();
}
