// The one callback of every panel control that has an id, and the colour apply behind
// "Apply Color Settings".
#pragma once

void controlAction(int id);

// Copies the working colour (or the chosen named colour) to the chosen target.
void applyColorSettings();

// Greys the "Color by" choice out in the two-material Anaglyph, whose eye colours hold.
void updateColorControls();
