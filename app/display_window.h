// Opening the display window in the buffer mode that the view mode needs.
#pragma once

// Returns the window mode in force afterwards (1 double-buffered, 2 quad-buffered stereo).
int openDisplayWindow();
