// A font drawn with plain OpenGL quads, for pictures made without a window system,
// where GLUT's bitmap fonts cannot be used.
#pragma once

// Pixel scale of the font's 7-pixel capitals: about the size of Helvetica 18.
constexpr float kOverlayFontScale = 2.0f;

// Writes text with its baseline at the current raster position, in the raster colour,
// as glutBitmapCharacter would. Writes nothing when the raster position is invalid.
void drawOverlayText(const char* text);
