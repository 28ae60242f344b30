// The legend of groups that a file names by text: a swatch of each group's data colour and
// the group's text, at the top right of the picture, while the data are coloured by group.
#pragma once

#include <string>
#include <vector>

#include "core/data_set.h"
#include "core/settings.h"
#include "render/gl/draw_context.h"

// The most groups the legend lists; the rest are left out.
constexpr int kLegendGroups = 50;

// Whether a frame with these settings and data shows the legend: coloured by group, in a mode
// that shows the data's own colours, with groups named by text.
bool showsGroupLegend(const Settings& settings, const DataSet& data);

// Where each group's swatch stands (its lower left corner, in window pixels from the lower
// left) and its text's baseline starts, and the box around them all, for type of textSize
// pixels per em. Groups run down in columns; the legend takes as many columns, from the
// right, as the picture's height asks for and its width holds.
struct LegendEntry {
    int group;
    int x, y;
    int textX, textY;
    std::string text;
};
struct GroupLegendLayout {
    std::vector<LegendEntry> entries;
    int swatch = 0;
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};
GroupLegendLayout groupLegendLayout(const DataSet& data, double textSize, int width, int height);

// The legend on a box of the background colour, its texts in the pictures' type at the
// figure's size, in the background's inverse.
void drawGroupLegend(const Settings& settings, const DataSet& data, const FigureFrame& figure, int width,
                     int height);
