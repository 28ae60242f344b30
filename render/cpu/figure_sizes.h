// Sizes of what is drawn over and around the data, in proportion to the picture: a figure
// keeps its look at any size, as a figure saved at a higher resolution does.
#pragma once

#include <algorithm>

// The type's size in a picture of the common screen height that sizes are fitted to.
constexpr double kTextShareOfHeight = 0.022;
constexpr double kSmallestTextPixels = 11.0;
constexpr double kLineHeightReference = 600.0;

// How a picture is drawn: its height in drawn pixels, and how many drawn pixels make one
// pixel of the picture written (more than 1 where it is drawn larger and filtered down).
struct PictureScale {
    double drawnHeight = 0.0;
    double pixelScale = 1.0;

    double pictureHeight() const { return drawnHeight / pixelScale; }
};

// Pixels per em (in drawn pixels) of the texts: 2.2% of the picture's height, at least 11
// pixels of the picture, times the text size setting.
inline double textPixels(const PictureScale& scale, double textSize)
{
    return std::max(kSmallestTextPixels, kTextShareOfHeight * scale.pictureHeight()) * textSize * scale.pixelScale;
}

// The width of the box's lines, tick marks and outlines, in drawn pixels: one pixel of a
// picture 600 pixels high, growing with the picture.
inline double figureLineWidth(const PictureScale& scale)
{
    return std::max(1.0, scale.pictureHeight() / kLineHeightReference) * scale.pixelScale;
}
