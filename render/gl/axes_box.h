// The axes style "box": the data's bounding box with ticks on three of its edges, labelled in
// the data's own units, and each axis's title.
#pragma once

#include "core/data_set.h"
#include "core/settings.h"
#include "render/gl/draw_context.h"

// Draws the box in lineColour (red, green, blue) under the model transform of the points (the
// centring translation included), with lines and tick marks as wide as the figure's lines;
// its labels and titles, laid out in the current viewport clear of the file name and the
// colour bar, are written in the pictures' type in labelColour.
void drawAxesBox(const DataSet& data, const Settings& settings, const FigureFrame& figure, const float lineColour[3],
                 const float labelColour[3]);
