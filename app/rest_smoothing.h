// "Smooth edges" in the display window: frames drawn while the scene changes are drawn as they
// always were, and once nothing has changed for a moment the picture at rest is drawn once
// more with smoothed edges. A picture asked for with w is drawn smoothed at once.
#pragma once

// Samples per pixel of the frame about to be drawn: kRestSamples for the picture at rest or
// one to be saved while "Smooth edges" is on, else 1.
int smoothSamplesOfNextFrame();

// After each display callback: a complete unsmoothed frame asks for the smoothed one after
// kRestMilliseconds, unless another frame comes first.
void frameDrawn(int smoothSamples, bool complete);

constexpr int kRestSamples = 4;
constexpr unsigned kRestMilliseconds = 300;
