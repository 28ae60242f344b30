// Where each eye's picture goes in an ordinary double-buffered window: its viewport, the
// aspect ratio of its frustum, and for row interleaving which screen rows carry it.
#pragma once

#include "core/modes.h"

// How two eyes share one window.
enum class EyeArrangement : int {
    Overlaid = 0,        // both eyes over the whole window (anaglyphs, quad-buffered stereo)
    SideBySide = 1,      // first place the left half, second the right half
    TopBottom = 2,       // first place the top half, second the bottom half
    RowInterleaved = 3,  // first place the even screen rows, second the odd ones
};

// The arrangement of a view mode: MonoView, Anaglyph, StereoView and the colour anaglyph
// overlay the eyes.
EyeArrangement arrangementOf(ViewMode mode);

enum class Eye : int { Left = 0, Right = 1 };
// The eye that takes a place (0 or 1) of an arrangement.
Eye eyeAtPlace(int place, bool swapEyes);

// Which of the two places of an arrangement an eye takes: the left eye the first (left
// half, top half, even rows, the left colour of an anaglyph) unless the eyes are swapped.
int eyePlace(Eye eye, bool swapEyes);

// A rectangle of window pixels as glViewport takes it: x, y from the bottom left corner.
struct Viewport {
    int x = 0, y = 0, width = 0, height = 0;
    bool empty() const { return width <= 0 || height <= 0; }
};

// One eye's share of the window. ratio is the width over height of its frustum (0 when
// the viewport is empty, and then the eye is not drawn); heightScale how many times the
// height of the whole window's frustum its frustum takes in.
struct EyeView {
    Viewport viewport;
    double ratio = 0.0;
    double heightScale = 1.0;
};

// The view of one eye in a window of width x height pixels. squeezed applies to side by
// side and top and bottom only: each eye then keeps the whole window's aspect ratio and
// is squeezed into its half, as 3D televisions that stretch each half back expect.
// Unsqueezed, each half keeps its own shape and takes in at least what the whole window's
// frustum does: a half narrower than the window (side by side) takes in more height too,
// so that it shows whole, smaller, what MonoView shows whole.
// An odd side is split so that the first place gets the smaller part: halves never
// overlap and together cover every pixel. Sizes below 0 count as 0.
EyeView eyeView(EyeArrangement arrangement, Eye eye, int width, int height, bool squeezed, bool swapEyes);

// Row interleaving counts rows from the top of the screen, so that a window moved by one
// row keeps each eye on the rows of the screen its glasses or filter pass:
//   screen row = windowTop + (height - 1 - glRow)
// with glRow counted from the bottom of the window as OpenGL counts it, windowTop the
// screen row of the window's topmost drawable row (may be negative), height its height.
long long screenRowOfGlRow(int glRow, int windowTop, int height);
// The eye that a row of the window (glRow counted from the bottom) belongs to.
Eye eyeOfGlRow(int glRow, int windowTop, int height, bool swapEyes);
// The parity (0 or 1) of the OpenGL rows that carry the left eye: the stencil pattern
// only needs drawing again when this changes, on a move or a resize by an odd number of
// rows, or when the eyes are swapped.
int leftEyeRowParity(int windowTop, int height, bool swapEyes);

// The parity of the rows py of a viewport starting at window row viewportY that are window
// rows of windowParity (counted from the bottom); -1 (every row) stays -1.
inline int viewportRowParity(int windowParity, int viewportY)
{
    return windowParity < 0 ? -1 : (windowParity ^ (viewportY & 1));
}
