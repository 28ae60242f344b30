// Lights, material, tubes, the axes figure and the file-name overlay.
#pragma once

#include <string>

#include "core/settings.h"
#include "core/vector_maths.h"

struct GLUquadric;

// Switches both lights on with their stored colours and positions.
void initLights(const Settings& settings);
void setMaterial(float r, float g, float b, float a);
// A capped tube from a to b of the given radius and slices, shifted by offset (the data
// set's centring translation).
void drawTube(GLUquadric* quadric, const Point3d& offset, const Point3d& a, const Point3d& b, float radius,
              int segments);
// drawTube with a colour at each end (four bytes each) in place of the material: the
// cylinder, which the quadric would draw in one colour, is drawn here with the quadric's
// slices in one stack, its ring at a in colorA and at b in colorB; each cap takes the colour
// of its end. Expects colour material on.
void drawColoredTube(GLUquadric* quadric, const Point3d& offset, const Point3d& a, const Point3d& b, float radius,
                     int segments, const unsigned char colorA[4], const unsigned char colorB[4]);
void drawAxes(float size);
// Writes the bare name of fileName at the lower left in the inverse of the background colour,
// with drawText at the current raster position.
void drawFileName(const float bgColor[4], const std::string& fileName, void (*drawText)(const char* text));

// The lights and the fixed OpenGL state that every new display context gets:
// initLights, depth testing, normalised normals, line antialiasing, smooth shading.
void setUpDisplayState(const Settings& settings);

// The text that the overlay writes for a path: the part after the last forward slash,
// else after the last backslash, else the whole path.
std::string fileNameText(const std::string& path);
