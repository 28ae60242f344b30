// Drawing of the loaded data set for one eye pass.
#pragma once

#include "data/data_set.h"

void drawData(const Point3d& offset);
Point3d& normalise(Point3d& v);
Point3d triangleNormal(const Point3d& a, const Point3d& b, const Point3d& c);
