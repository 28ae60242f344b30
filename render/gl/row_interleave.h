// Keeping each eye's pass of a row-interleaved frame to the window rows of its place: the
// rows are marked once in the stencil buffer, or, in a window without one, blocked in the
// depth buffer before each pass.
#pragma once

#include "render/cpu/stereo_layout.h"

// Marks the window rows of area whose parity (rows counted from the bottom of the window) is
// firstPlaceParity in the stencil buffer, unless the current context has them marked for
// the same area and parity already. False, and nothing marked, without a stencil buffer.
bool markInterleavedRows(const Viewport& area, int firstPlaceParity);
// Keeps the following drawing to the marked rows (place 0) or the others (place 1).
void keepToRowsOf(int place);
// Lets the drawing reach every row again.
void stopKeepingToRows();

// The way without a stencil buffer: gives the rows of area that do not belong to place the
// nearest depth, so that nothing drawn afterwards passes the depth test there. Follows a
// clear of the depth buffer; writes nothing while depth writes are masked (the part of a
// frame that an earlier slice has drawn already).
void blockRowsOfOtherPlace(const Viewport& area, int firstPlaceParity, int place);

// Makes markInterleavedRows answer as in a window without a stencil buffer (tests of the
// depth-buffer way).
void forceDepthRowBlocking(bool force);

// The current context is given back: its marks are forgotten.
void forgetInterleavedRows(const void* context);
