// Opening the display window in the buffer mode that the view mode needs.
#pragma once

// Returns the window mode in force afterwards (1 double-buffered, 2 quad-buffered stereo).
// StereoView asked for in the double-buffered window of a display without stereo keeps
// that window, with the message "No stereo -- set to double buffer".
int openDisplayWindow();

// True when the open window already has the buffer mode the view mode needs: quad-buffered
// for StereoView, double-buffered for every other mode (they share one window). No window
// yet (10) fits nothing.
bool displayWindowFits(int windowMode, int stereoMode);

// Asks for the display window to be drawn again, when there is one (the actions and loads
// also run without any window).
void requestRedisplay();

// Builds both panel windows for the display window, wired to the viewer's record, the control
// action and the file list.
void buildViewerPanels();
