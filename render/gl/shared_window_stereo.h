// The view modes that show both eyes in the ordinary double-buffered window: side by side,
// top and bottom, row interleaved and colour anaglyph.
#pragma once

#include <string>

#include "core/settings.h"
#include "render/cpu/stereo_projection.h"
#include "render/gl/draw_context.h"

// Draws both eyes of the settings' view mode into the current viewport. whole is the
// projection of the whole viewport; windowTop the screen row of the window's top row.
void drawEyesInSharedWindow(const DrawContext& c, const FrameProjection& whole, int windowTop);

// Writes the file name once in each eye's picture where the two stand side by side or
// above each other, and once over the whole picture otherwise.
void drawFileNames(const Settings& settings, const std::string& fileName);

// The material both eyes of a colour anaglyph are drawn in: the left colour once the user
// has chosen one, else a neutral grey, since a red material is lost behind the red filter.
const float* colorAnaglyphMaterial(const Settings& settings);

// The current context is given back: what was kept for it is forgotten.
void forgetSharedWindowStereo(const void* context);
