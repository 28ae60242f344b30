// A frame drawn in slices seen from outside: how far it is, when that is shown, and whether
// a change of the view waits for it or throws it away.
#pragma once

#include <chrono>

#include "core/settings.h"

// A frame that takes longer than this shows how far it is while it is drawn.
constexpr double kShowProgressAfter = 0.5;

// What the frames drawn in slices leave for the ones that follow.
struct SliceHistory {
    std::chrono::steady_clock::time_point begun;  // the first slice of the frame under way
    double lastFrameSeconds = 0.0;  // the time the last frame handed over took, all slices
    bool restarted = false;         // the frame under way replaced one thrown away
    // The settings the unfinished frame is drawn with, kept should the view change before
    // it is done (see finishBeforeChange).
    Settings settings;
    // The view changed while the frame was finished with its old settings: once it is
    // handed over, the changed view is drawn.
    bool changedMeanwhile = false;
};

// Whether an unfinished frame is finished with its own settings, its picture shown and the
// changed view drawn next, when the view changes under it (only the view: the same data,
// kept geometry, viewport and window). What the user expects: when the frame is at least
// half done, it is nearly there; when the last whole frame took half a second or less,
// finishing costs little, and throwing frames away under a continuous change (a drag, a
// spinning trackball) would show none at all; and the frame under way replaced one thrown
// away already, at most one frame is given up between two that are shown. Otherwise a
// frame barely begun is thrown away and the changed view drawn at once.
bool finishBeforeChange(double doneFraction, double lastFrameSeconds, bool restarted);

// The share of a sliced frame drawn, from the chunks drawn so far and all the chunks its
// slices have met (the frame's chunks as far as they are known).
double sliceFraction(std::size_t drawn, std::size_t met);

// Shows that a frame is being drawn and how far it is: the words "Drawing" and the
// percentage in the pictures' type of textSize pixels per em, and a bar, at the lower right
// of a viewport of width x height, both in proportion to the type, drawn into the
// front buffer over the picture that keepShownPicture kept (over the background colour
// when there is none of that size). The display window's way of showing progress.
void drawProgressOverlay(double fraction, int width, int height, const float background[4], double textSize);

// Keeps a copy of the picture in the back buffer, about to be shown, for drawProgressOverlay:
// the window's front buffer holds no copy of what is on the screen to draw over. Taken
// after slow frames, whose successors are likely slow too.
void keepShownPicture(int width, int height);
