// Lights, material, tubes, the axes figure and the file-name overlay.
#pragma once

#include "data/data_set.h"

void initLights();
void setMaterial(float r, float g, float b, float a);
Point3d unitCross(const Point3d& a, const Point3d& b);
void drawTube(const Point3d& a, const Point3d& b, float radius);
void drawAxes(float size);
void drawFileName();
