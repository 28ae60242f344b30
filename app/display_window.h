// Opening the display window in the buffer mode that the view mode needs.
#pragma once

// Returns the window mode in force afterwards (1 double-buffered, 2 quad-buffered stereo).
int openDisplayWindow();

// True when the open window already has the buffer mode the view mode needs: the same
// mode, or both double-buffered (MonoView and Anaglyph share a window). No window yet (10)
// fits nothing.
bool displayWindowFits(int windowMode, int stereoMode);
