// Text in the pictures' type (render/cpu/type_face), drawn with OpenGL: each size's glyphs
// are baked into a texture of their own per context, and a text is a row of textured quads
// placed by the face's advance widths and kerning, blended over the picture by coverage.
// Where the face is missing, the stroke font is drawn as plain quads instead, after one
// warning line.
//
// Every call draws in window pixels of the current viewport, from its lower left, without
// lighting or depth test, and leaves the OpenGL state as it found it: it may be called from
// an eye's pass (each eye in its own viewport and colour) or over the finished picture.
#pragma once

#include <string>

#include "render/cpu/type_face.h"

enum class TextAnchor { Left, Centre, Right };

struct TextStyle {
    double size = 13.0;                  // pixels per em
    float colour[3] = {0.0f, 0.0f, 0.0f};  // red, green, blue, 0 to 1
    TextAnchor anchor = TextAnchor::Left;
};

// Writes text (UTF-8) with its baseline through (x, y), starting, centred or ending there.
void drawTypeText(const std::string& text, double x, double y, const TextStyle& style);

// The text's width and reach above and below the baseline at size.
TextExtent measureTypeText(const std::string& text, double size);

// The type size of the frame being drawn, for drawTypeAtRasterPosition; the frame sets it.
void setFrameTypeSize(double size);
// Writes text at the current raster position in the current raster colour at the frame's
// type size, as GLUT's bitmap characters are written in a window: the pictures drawn
// without one use it for what the window writes in its bitmap font.
void drawTypeAtRasterPosition(const char* text);

// Gives up the textures kept for a context that is going away (deleting them when it is the
// current one).
void forgetTypeTextures(const void* context);
