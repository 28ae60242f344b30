// Drawing over what the viewport holds, without the scene's matrices: what the texts and
// overlays written over the picture, and the mixing of the anaglyph's eyes, share.
#pragma once

// Saves the attribute groups named (glPushAttrib's bits) and the pixel store, and starts both
// matrices from the identity; popDrawingState gives all of it back.
void pushDrawingState(unsigned int attributes);
void popDrawingState();

// Window pixels from the viewport's lower left, filled polygons without lighting, depth test,
// culling, texture or fog; blended by alpha where asked. leaveViewportPixels gives back the
// matrices and state found.
void enterViewportPixels(bool blend);
void leaveViewportPixels();
