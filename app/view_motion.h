// Whether the view is moving, and the picture at rest. The view moves while it changes
// continuously: a drag in the display window, a held movement control or trackball, a held
// key. Every change is drawn at once, as the lighter picture where "Lighter picture while
// moving" is on (the full one where that fits the frame budget), and unsmoothed; once the
// view has rested for kSettleSeconds, the picture at rest is drawn, once: the full picture,
// with smoothed edges where "Smooth edges" is on. So a change after a rest answers at once
// however long the picture at rest takes. A picture asked for with w is the picture at rest.
#pragma once

// A change of the view lasting this long after the one before counts as the view resting.
constexpr double kSettleSeconds = 0.1;
// Samples per pixel of the picture at rest with "Smooth edges" on.
constexpr int kRestSamples = 4;

// A change of what is shown by input: a key, a drag, a panel control.
void noteViewChange();

// Whether a frame drawn now draws the lighter picture: the view changed less than the
// settle time ago, and "Lighter picture while moving" is on.
bool viewMoving();

// Samples per pixel of the frame about to be drawn: kRestSamples for the picture at rest or
// one to be saved while "Smooth edges" is on, else 1.
int smoothSamplesOfNextFrame();

// Tells how the frame drawn last was drawn: unless it was the picture at rest (the full
// picture, smoothed as "Smooth edges" says), the view's rest draws it.
void noteFrameDrawn(bool lighter, int smoothSamples);
