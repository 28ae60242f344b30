// An OpenGL context without a window (EGL on Mesa's surfaceless platform), drawing into
// framebuffer objects, so that the viewer's own frame can be rendered to a picture.
#pragma once

#include <string>
#include <vector>

#include "core/settings.h"

struct GLUquadric;

// Opens the context with one colour buffer, or two for the left and right eyes, of
// width by height pixels, sets it up as the viewer sets up its display window
// (lights of the settings, fixed state, tube quadric, viewport) and points the frame's
// output at it. On failure returns false and says why in error.
bool openOffscreenContext(int width, int height, bool twoEyes, const Settings& settings, std::string& error);

// The largest side of a picture that the open context can draw (0 when none is open).
int offscreenLargestSide();

// The quadric of the open context's immediate-mode tubes (null when none is open).
GLUquadric* offscreenQuadric();

// Gives back the context and restores the frame's window output.
void closeOffscreenContext();

// One eye's picture (0: left or only, 1: right) as RGB rows from top to bottom.
std::vector<unsigned char> readOffscreenPicture(int eye);
