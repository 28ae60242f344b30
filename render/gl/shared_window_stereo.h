// The view modes that show both eyes in the ordinary double-buffered window: side by side,
// top and bottom, row interleaved and colour anaglyph.
#pragma once

#include <functional>
#include <string>

#include "core/settings.h"
#include "render/cpu/stereo_projection.h"
#include "render/gl/draw_context.h"

// Draws both eyes of the settings' view mode into the current viewport. whole is the
// projection of the whole viewport; windowTop the screen row of the window's top row.
void drawEyesInSharedWindow(const DrawContext& c, const FrameProjection& whole, int windowTop);

// Calls draw once in each eye's picture, its viewport made current, where the two stand side
// by side or above each other, and once with the whole picture's viewport otherwise: what is
// written over the picture (file name, colour bar, help) then reaches both eyes.
void drawOverEachEyePicture(const Settings& settings, const std::function<void(int width, int height)>& draw);

// The material both eyes of a colour anaglyph are drawn in: the left colour once the user
// has chosen one, else a neutral grey, since a red material is lost behind the red filter.
const float* colorAnaglyphMaterial(const Settings& settings);

// The current context is given back: what was kept for it is forgotten.
void forgetSharedWindowStereo(const void* context);
