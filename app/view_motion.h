// Whether the view is moving: changing continuously by a drag in the display window, a held
// movement control or trackball, or a held key. While it moves, frames draw the lighter
// picture; once it has rested for kSettleSeconds, the full picture is drawn, once.
#pragma once

#include <chrono>

// A change of the view lasting this long after the one before counts as the view resting.
constexpr double kSettleSeconds = 0.1;

// A change of what is shown by input: a key, a drag, a panel control.
void noteViewChange();

// Whether a frame drawn now draws the lighter picture: the view changed twice within the
// settle time, the last time less than the settle time ago, and "Lighter picture while
// moving" is on.
bool viewMoving();

// Tells whether the frame drawn last was the lighter picture: only then does the view's rest
// draw the full one.
void noteFrameDrawn(bool lighter);

// The same at a given time, for tests: the two last changes and now.
bool movingAt(std::chrono::steady_clock::time_point before, std::chrono::steady_clock::time_point last,
              std::chrono::steady_clock::time_point now);
