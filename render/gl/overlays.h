// What is drawn over the finished picture besides the file name: the colour bar of colour by
// height at the right, and the help text at the top left.
#pragma once

#include <string>
#include <vector>

#include "core/data_set.h"
#include "core/settings.h"

// Window pixels from the lower left over the finished picture, without lighting or depth
// test, until endOverlayPixels puts the state back.
void beginOverlayPixels(int width, int height);
void endOverlayPixels();

// Where the colour bar of the settings and data stands in a viewport of width by height
// pixels, in window pixels from the lower left, and where its labels start: right of it,
// with room for the longer of the two.
struct ColorBarPlace {
    int x0, y0, x1, y1;
    int labelX;
};
ColorBarPlace colorBarPlace(const Settings& settings, const DataSet& data, int width, int height);

// Whether a frame with these settings shows the colour bar: colour by height, in a mode
// that shows the data's own colours.
bool showsColorBar(const Settings& settings);

// The colour bar: the steps of the colour map from the low end (bottom) to the high end (top),
// framed, with the end values in the data's units beside it, in the inverse of the
// background colour.
void drawColorBar(const Settings& settings, const DataSet& data, int width, int height,
                  void (*drawText)(const char* text));

// The lines of text at the top left, on a box of the background colour.
void drawHelpText(const std::vector<std::string>& lines, const float bgColor[4], int width, int height,
                  void (*drawText)(const char* text));
