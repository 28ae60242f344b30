// Cross products, normals and the turn of a tube.
#include "core/vector_maths.h"

#include <cmath>

Point3d unitCross(const Point3d& a, const Point3d& b)
{
    Point3d c{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    const double length = std::sqrt(c.x * c.x + c.y * c.y + c.z * c.z);
    c.x /= length;
    c.y /= length;
    c.z /= length;
    return c;
}

Point3d& normalise(Point3d& v)
{
    const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (length == 0.0) {
        v = Point3d{};
        return v;
    }
    v.x /= length;
    v.y /= length;
    v.z /= length;
    return v;
}

Point3d triangleNormal(const Point3d& a, const Point3d& b, const Point3d& c)
{
    Point3d u{b.x - a.x, b.y - a.y, b.z - a.z};
    Point3d w{c.x - a.x, c.y - a.y, c.z - a.z};
    normalise(u);
    normalise(w);
    Point3d n{u.y * w.z - u.z * w.y, u.z * w.x - u.x * w.z, u.x * w.y - u.y * w.x};
    return normalise(n);
}

TubeTurn tubeTurn(const Point3d& a, const Point3d& b)
{
    TubeTurn turn;
    const Point3d d{b.x - a.x, b.y - a.y, b.z - a.z};
    turn.length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    if (turn.length == 0.0) {
        return turn;
    }
    if (d.x == 0.0 && d.z == 0.0) {
        // A vertical tube: the frame below would need a cross product with the y axis,
        // which vanishes, so a quarter turn about x does it.
        turn.kind = TubeTurn::AboutX;
        turn.angle = a.y < b.y ? -90.0 : 90.0;
        return turn;
    }
    const Point3d side = unitCross(Point3d{0.0, 1.0, 0.0}, d);
    const Point3d lift = unitCross(d, side);
    const Point3d u{d.x / turn.length, d.y / turn.length, d.z / turn.length};
    const double columns[16] = {side.x, side.y, side.z, 0.0, lift.x, lift.y, lift.z, 0.0,
                                u.x,    u.y,    u.z,    0.0, 0.0,    0.0,    0.0,    1.0};
    turn.kind = TubeTurn::Frame;
    for (int k = 0; k < 16; ++k) {
        turn.matrix[k] = columns[k];
    }
    return turn;
}
