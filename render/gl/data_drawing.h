// Drawing of the loaded data set for one eye pass.
#pragma once

#include "core/vector_maths.h"
#include "render/gl/draw_context.h"

// The data and the axes for the eye displaced by offset, whose pass colour is eyeColour: the
// box's labels stand in the scene, so in a mode that keeps only the eyes' colours they are
// written in the eye's colour, and in the data's text colour otherwise.
void drawData(const DrawContext& context, const Point3d& offset, const float eyeColour[3]);
// Multiplies the model-view matrix by the view from the eye displaced by offset, with the
// camera at (0, 0, focalLength).
void lookFromEye(float focalLength, const Point3d& offset);
