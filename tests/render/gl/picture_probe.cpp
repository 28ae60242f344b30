// Pixel classes and measurements used by the picture tests.
#include "tests/render/gl/picture_probe.h"

#include "app/viewer_state.h"
#include "core/colors.h"
#include "render/gl/offscreen_context.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

Region findRegion(const Picture& picture, const PixelTest& test, int x0, int y0, int x1, int y1)
{
    if (x1 < 0) {
        x1 = picture.width;
    }
    if (y1 < 0) {
        y1 = picture.height;
    }
    Region region;
    double sumX = 0.0;
    double sumY = 0.0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            if (!test(picture.at(x, y))) {
                continue;
            }
            if (region.count == 0) {
                region.minX = region.maxX = x;
                region.minY = region.maxY = y;
            }
            ++region.count;
            sumX += x + 0.5;
            sumY += y + 0.5;
            region.minX = x < region.minX ? x : region.minX;
            region.maxX = x > region.maxX ? x : region.maxX;
            region.minY = y < region.minY ? y : region.minY;
            region.maxY = y > region.maxY ? y : region.maxY;
        }
    }
    if (region.count > 0) {
        region.centreX = sumX / region.count;
        region.centreY = sumY / region.count;
    }
    return region;
}

bool isReddish(const unsigned char* px)
{
    return px[0] > px[1] + 60 && px[0] > px[2] + 60;
}

bool isGreenish(const unsigned char* px)
{
    return px[1] > px[0] + 60 && px[1] > px[2] + 60;
}

bool isBluish(const unsigned char* px)
{
    return px[2] > px[0] + 60 && px[2] > px[1] + 60;
}

PixelTest exactly(int r, int g, int b)
{
    return [r, g, b](const unsigned char* px) {
        return std::abs(px[0] - r) <= 1 && std::abs(px[1] - g) <= 1 && std::abs(px[2] - b) <= 1;
    };
}

PixelTest notColour(int r, int g, int b)
{
    const PixelTest same = exactly(r, g, b);
    return [same](const unsigned char* px) { return !same(px); };
}

bool openPictureContext(int width, int height, bool twoEyes, std::string& error)
{
    if (!openOffscreenContext(width, height, twoEyes, viewer, error)) {
        return false;
    }
    viewer.viewportWidth = width;
    viewer.viewportHeight = height;
    viewer.quadric = offscreenQuadric();
    return true;
}

void resetViewerForPicture()
{
    ViewerState fresh;
    fresh.quadric = viewer.quadric;
    fresh.viewportWidth = viewer.viewportWidth;
    fresh.viewportHeight = viewer.viewportHeight;
    viewer = fresh;
    fillDataColors(viewer.dataColors);
    // Each test puts its own points in place: nothing kept from an earlier test may serve.
    displayState.geometry.clear();
}
