// Whether the view is moving: changing continuously by a drag in the display window, a held
// movement control or trackball, or a held key. Every change is drawn at once as the lighter
// picture (the full one where that fits the frame budget); once the view has rested for
// kSettleSeconds, the full picture is drawn, once. So a change after a rest answers at once
// however long the full picture takes.
#pragma once

#include <chrono>

// A change of the view lasting this long after the one before counts as the view resting.
constexpr double kSettleSeconds = 0.1;

// A change of what is shown by input: a key, a drag, a panel control.
void noteViewChange();

// Whether a frame drawn now draws the lighter picture: the view changed less than the
// settle time ago, and "Lighter picture while moving" is on.
bool viewMoving();

// Tells whether the frame drawn last was the lighter picture: only then does the view's rest
// draw the full one.
void noteFrameDrawn(bool lighter);


