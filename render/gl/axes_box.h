// The axes style "box": the data's bounding box with a few ticks on three of its edges,
// labelled in the data's own units.
#pragma once

#include "core/data_set.h"

// Draws the box in the inverse of the background colour, under the model transform of the
// points (the centring translation included); the labels are written with drawText at their
// ticks' raster positions.
void drawAxesBox(const DataSet& data, const float bgColor[4], void (*drawText)(const char* text));
