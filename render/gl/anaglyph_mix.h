// Colour anaglyphs in one window: the first eye's picture is kept, the second eye is drawn
// on a cleared buffer, and both are mixed by the method's colour matrices into the window.
#pragma once

#include "core/modes.h"
#include "render/cpu/stereo_layout.h"

enum class AnaglyphMixPath {
    None,       // nothing mixed yet
    Shader,     // one pass of a fragment shader over both pictures as textures
    Processor,  // both pictures read back, mixed by AnaglyphMixer and drawn back
};

// After the first eye's pass: keeps its picture of area (window pixels) from the buffer
// being drawn.
void keepFirstEyePicture(const Viewport& area);
// After the second eye's pass: replaces area by the mix of the kept picture (taken by the
// method's left matrix) and the second eye's (by its right matrix), each moved towards
// grey by desaturation first.
void mixWithFirstEyePicture(const Viewport& area, AnaglyphMethod method, double desaturation);

// The shader mixes where the context offers OpenGL 2.0 and compiles it, the processor
// otherwise; force makes the processor mix everywhere (tests of that path).
void forceProcessorMix(bool force);
// The path of the last mix.
AnaglyphMixPath lastAnaglyphMixPath();

// The current context is given back: what was kept for it is forgotten.
void forgetAnaglyphMixObjects(const void* context);
