// Keeping each eye's pass of a row-interleaved frame to the window rows of its place: the
// rows are marked once in the stencil buffer, or, in a window without one, blocked in the
// depth buffer before each pass.
#pragma once

#include "render/cpu/stereo_layout.h"

// Marks the window rows of area whose parity (rows counted from the bottom of the window) is
// firstPlaceParity in the stencil buffer, unless the current context has them marked for
// the same area and parity already. False, and nothing marked, without a stencil buffer.
bool markInterleavedRows(const Viewport& area, int firstPlaceParity);
// Keeps the following drawing to the window rows of the given parity: by the stencil marks
// made for firstPlaceParity, or, where there are none (markInterleavedRows said false), by
// blocking the other rows of area in the depth buffer. The depth way follows a clear of the
// depth buffer, and writes nothing while depth writes are masked (the part of a frame that
// an earlier slice has drawn already).
void keepToRows(const Viewport& area, int firstPlaceParity, int parity, bool stencil);
// Lets the drawing reach every row again.
void stopKeepingToRows();
// The parity of the window rows that the drawing is kept to, or -1 for every row: drawing
// that knows its pixels beforehand leaves out the others.
int keptRowParity();

// Makes markInterleavedRows answer as in a window without a stencil buffer (tests of the
// depth-buffer way).
void forceDepthRowBlocking(bool force);

// The current context is given back: its marks are forgotten.
void forgetInterleavedRows(const void* context);
