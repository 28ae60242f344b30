// Where the colour bar of colour by height stands and what it says: the bar at the right of
// the picture, ticks at round values of the mapped range beside it, and its title above it.
// In pixels of the picture from its lower left, sized in proportion to the type.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "render/cpu/label_layout.h"
#include "render/cpu/type_face.h"

struct ColorBarTick {
    double y = 0.0;  // the height on the bar of the tick's value
    std::string label;
    double labelX = 0.0, labelY = 0.0;  // the left end of the label's baseline
    bool labelled = true;               // false where it would run into the one before
};

struct ColorBarLayout {
    PixelRect bar;  // the coloured bar: the map's low end at its bottom
    std::vector<ColorBarTick> ticks;
    double tickLength = 0.0;
    std::string title;
    double titleX = 0.0, titleY = 0.0;  // the left end of the title's baseline
    PixelRect area;                     // the bar, its ticks, labels and title
};

// lo and hi: the values at the map's ends (either order); textSize: pixels per em.
ColorBarLayout layOutColorBar(double lo, double hi, const std::string& title, int width, int height,
                              double textSize,
                              const std::function<TextExtent(const std::string&, double)>& measure = nullptr);
