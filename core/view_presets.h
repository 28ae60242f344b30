// The preset views (keys 1 to 4 and their buttons) and the fit of the data to the window
// (key 0): turns and framings put in place at once, without touching anything else.
#pragma once

#include "core/settings.h"

enum class PresetView : int {
    Front = 0,         // along -z, as after a load: x to the right, y up
    Top = 1,           // from above (+y), x to the right, -z up the picture
    Side = 2,          // from the right (+x), -z to the right, y up
    ThreeQuarter = 3,  // from the front, the right and a little above
};

struct PresetAngles {
    float x, y, z;  // degrees about x, then y, then z
};
PresetAngles presetAngles(PresetView view);

// Turns the scene to the preset: its angles (and the turn built from them) and the
// trackball at rest. Shift and scale stay.
void applyPresetView(Settings& settings, PresetView view);

// The data fitted to the window again: the turn, the trackball and the shift as a reset of
// the view leaves them, and the scale that fits the data to the window (1, a reset's, where
// they fit as they are); colours, thickness and stereo settings stay.
void fitView(Settings& settings, float fittedScale);

// Turns the scene by degrees about the picture's vertical axis through the centre of the
// data, on top of the turn it has (a frame of a turntable): the turn matrix is turned, the
// angles stay those of the view it started from.
void turnAboutVertical(Settings& settings, double degrees);
