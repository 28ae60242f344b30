// Drawing of the loaded data set for one eye pass.
#pragma once

#include "core/data_set.h"

void drawData(const Point3d& offset);
// Multiplies the model-view matrix by the view from the eye displaced by offset.
void lookFromEye(const Point3d& offset);
Point3d& normalise(Point3d& v);
Point3d triangleNormal(const Point3d& a, const Point3d& b, const Point3d& c);

// The last set (counted from 0) that a data format shows in a display type, or -1 for none.
int lastSetDrawn(int loadedFormat, int displayType, int nx);

// The entry of the 50 data colours that a data value is drawn in: negative values take
// entry 0, values of 50 and more repeat the table (value % 50).
int dataColorIndex(int value);

// Immediate mode for every primitive on every pass, nothing kept between frames: the
// reference that the drawing from kept vertex arrays is held against (tests and
// orvelle-render --reference switch it on; the viewer leaves it off).
void setReferenceDrawing(bool on);
bool referenceDrawing();
