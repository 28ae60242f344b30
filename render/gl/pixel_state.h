// Drawing in window pixels of the current viewport, over what is there: what the texts and
// overlays written over the picture share.
#pragma once

// Window pixels from the viewport's lower left, filled polygons without lighting, depth test,
// culling, texture or fog; blended by alpha where asked. leaveViewportPixels gives back the
// matrices and state found.
void enterViewportPixels(bool blend);
void leaveViewportPixels();
