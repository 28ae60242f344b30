// Lights, material, tubes, the axes figure and the file-name overlay.
#pragma once

#include <string>

#include "core/data_set.h"

void initLights();
void setMaterial(float r, float g, float b, float a);
Point3d unitCross(const Point3d& a, const Point3d& b);
void drawTube(const Point3d& a, const Point3d& b, float radius);
void drawAxes(float size);
void drawFileName();

// The lights and the fixed OpenGL state that every new display context gets:
// initLights, depth testing, normalised normals, line antialiasing, smooth shading.
void setUpDisplayState();

// How drawTube turns its local z axis onto the direction from a to b.
struct TubeTurn {
    enum Kind { None, AboutX, Frame };
    Kind kind = None;
    double length = 0.0;
    double angle = 0.0;       // degrees about x, for AboutX
    double matrix[16] = {};   // column order: side, lift, direction, origin; for Frame
};
TubeTurn tubeTurn(const Point3d& a, const Point3d& b);

// The text that the overlay writes for a path: the part after the last forward slash,
// else after the last backslash, else the whole path.
std::string fileNameText(const std::string& path);
