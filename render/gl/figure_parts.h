// The parts of a figure around the data, as one frame lays them out: the type's size, the
// colour bar's place, the areas that labels keep clear of and the fit of the view to the
// picture.
#pragma once

#include <string>
#include <vector>

#include "core/data_set.h"
#include "core/settings.h"
#include "render/cpu/color_bar_layout.h"
#include "render/cpu/stereo_projection.h"
#include "render/gl/draw_context.h"

// The type's size (pixels per em) and the lines' width in a picture height pixels high.
double figureTextSize(const Settings& settings, const FigureFrame& figure, int height);
double figureLineWidthOf(const FigureFrame& figure, int height);

// Whether a frame with these settings shows the colour bar: colour by height, in a mode
// that shows the data's own colours.
bool showsColorBar(const Settings& settings);

// The colour bar of the settings and data in a picture of width x height pixels.
ColorBarLayout colorBarLayout(const Settings& settings, const DataSet& data, const FigureFrame& figure, int width,
                              int height);

// The areas of a picture of width x height pixels that the box's labels keep clear of: the
// file name, the colour bar and the legend, where they are shown.
std::vector<PixelRect> reservedAreas(const Settings& settings, const DataSet& data, const FigureFrame& figure,
                                     int width, int height);

// Whether the view is fitted to the picture: the box with ticks is shown, or fitting is asked
// for (orvelle-render --fit).
bool fitsView(const Settings& settings, bool fitAskedFor);

// The fit of the view that brings the data's box (with its labels when the box is shown)
// inside a picture of width x height pixels with the projection p (the centre of view), the
// colour bar's and the legend's columns left free. The user's shift and zoom are not part of it: they apply
// on top.
FittedBox fitViewToPicture(const Settings& settings, const DataSet& data, const FigureFrame& figure,
                           const FrameProjection& p, int width, int height);
