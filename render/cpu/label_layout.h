// Where labels stand in a picture and which of them are left out: each label beside its
// anchor, off to one side, and none drawn over another, over a title or over what the
// picture reserves (the file name, the colour bar). In window pixels from the lower left.
#pragma once

#include <vector>

struct PixelRect {
    double x0 = 0.0, y0 = 0.0, x1 = 0.0, y1 = 0.0;

    bool empty() const { return !(x1 > x0 && y1 > y0); }
    double width() const { return x1 - x0; }
    double height() const { return y1 - y0; }
    // Whether the two share any area (touching edges do not).
    bool intersects(const PixelRect& other) const
    {
        return x0 < other.x1 && other.x0 < x1 && y0 < other.y1 && other.y0 < y1;
    }
    PixelRect grown(double by) const { return PixelRect{x0 - by, y0 - by, x1 + by, y1 + by}; }
};

// The smallest rectangle holding both; an empty one adds nothing.
PixelRect unite(const PixelRect& a, const PixelRect& b);

// A text's box placed beside anchor: it stands off gap pixels in the direction (dx, dy) (a
// unit vector), so that its nearest side or corner faces the anchor and none of it lies on
// the anchor's side of the line through anchor across that direction. ascent and descent
// are the text's reach above and below its baseline.
PixelRect boxBeside(double anchorX, double anchorY, double dx, double dy, double gap, double width, double ascent,
                    double descent);
// How far a box of this width and height reaches along the direction (dx, dy).
double reachAlong(double dx, double dy, double width, double height);

// Which of a row of labels (in order along their line) stay when every kept label must keep
// at least gap pixels from the next: the first one, then every second, third, ... as many
// as the closest pair needs, so that the kept ones stay evenly spaced.
std::vector<bool> thinEvenly(const std::vector<PixelRect>& row, double gap);

// Takes the candidates in order and keeps each one that keeps gap pixels from everything
// kept before it and from every reserved rectangle; returns whether each was kept and adds
// the kept ones to taken.
std::vector<bool> keepClear(const std::vector<PixelRect>& candidates, std::vector<PixelRect>& taken, double gap);
