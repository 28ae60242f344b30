// Points and vectors of three doubles, and the few operations on them that the data set,
// the drawing and the tubes share.
#pragma once

struct Point3d {
    double x = 0.0, y = 0.0, z = 0.0;
};

// The normalised cross product a x b (NaNs when a and b are parallel).
Point3d unitCross(const Point3d& a, const Point3d& b);
// Scales v to length 1 in place and returns it; a vector of length 0 becomes (0, 0, 0).
Point3d& normalise(Point3d& v);
// The normal of the triangle a, b, c from the normalised edges a-b and a-c.
Point3d triangleNormal(const Point3d& a, const Point3d& b, const Point3d& c);

// How a tube from a to b turns its local z axis onto the direction from a to b.
struct TubeTurn {
    enum Kind { None, AboutX, Frame };
    Kind kind = None;
    double length = 0.0;
    double angle = 0.0;      // degrees about x, for AboutX
    double matrix[16] = {};  // column order: side, lift, direction, origin; for Frame
};
TubeTurn tubeTurn(const Point3d& a, const Point3d& b);
