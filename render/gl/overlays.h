// What is drawn over the finished picture besides the file name: the colour bar of colour by
// height at the right, the help text at the top left and the message line at the top, in the
// pictures' type.
#pragma once

#include <string>
#include <vector>

#include "core/data_set.h"
#include "core/settings.h"
#include "render/gl/figure_parts.h"

// The colour bar (colourBarLayout): the steps of the colour map from the low end (bottom)
// to the high end (top), framed, with ticks at round values in the data's units beside it
// and its title above, in the inverse of the background colour.
void drawColorBar(const Settings& settings, const DataSet& data, const FigureFrame& figure, int width, int height);

// The lines of text at the top left, on a box of the background colour, in the inverse of
// it, at textSize pixels per em. A tab parts a line's two columns: the second column of
// every line starts at the same place.
void drawHelpText(const std::vector<std::string>& lines, const float bgColor[4], double textSize, int width,
                  int height);

// The message's line (messageLayout) at the top, centred, on a box like the help text's.
void drawMessage(const std::string& message, const float bgColor[4], double textSize, int width, int height);

// In window pixels of the viewport, in the current colour: the rectangle from (x0, y0) to
// (x1, y1) filled, or a frame of lineWidth drawn around it, outside it.
void fillPixelRect(double x0, double y0, double x1, double y1);
void outlinePixelRect(double x0, double y0, double x1, double y1, double lineWidth);
