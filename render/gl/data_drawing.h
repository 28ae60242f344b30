// Drawing of the loaded data set for one eye pass.
#pragma once

#include "core/vector_maths.h"
#include "render/gl/draw_context.h"

void drawData(const DrawContext& context, const Point3d& offset);
// Multiplies the model-view matrix by the view from the eye displaced by offset, with the
// camera at (0, 0, focalLength).
void lookFromEye(float focalLength, const Point3d& offset);
