// Looking at rendered pictures: pixel classes, counts, centroids and bounding boxes.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // rows from top to bottom

    const unsigned char* at(int x, int y) const { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
};

using PixelTest = std::function<bool(const unsigned char* px)>;

// Where the pixels that pass a test lie; y counted from the top.
struct Region {
    int count = 0;
    double centreX = 0.0, centreY = 0.0;
    int minX = 0, maxX = -1, minY = 0, maxY = -1;
};
Region findRegion(const Picture& picture, const PixelTest& test, int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1);

// Lit red, blue or green material: one channel clearly above the other two.
bool isReddish(const unsigned char* px);
bool isBluish(const unsigned char* px);
bool isGreenish(const unsigned char* px);
// Within one step of the given colour in 0 to 255.
PixelTest exactly(int r, int g, int b);
// Anything but the given colour.
PixelTest notColour(int r, int g, int b);

// Opens the offscreen context for the viewer's record (set up with its settings, the
// viewport and quadric noted in it) and points the viewer's frame at it.
bool openPictureContext(int width, int height, bool twoEyes, std::string& error);

// Puts every setting back to its default and the data colours as the panel fills them,
// keeping what the open context owns (the quadric and the viewport size).
void resetViewerForPicture();

