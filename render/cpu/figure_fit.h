// Fitting a view to its picture: the size and shift that bring everything fitted (the data's
// box and its labels) inside a target rectangle of the picture, as large as it goes and
// centred in it. The labels keep their size in pixels while the box grows and shrinks, so
// the fit is found by steps, each measuring what the last one gave.
#pragma once

#include <functional>

#include "render/cpu/box_labels.h"
#include "render/cpu/label_layout.h"

// A scale about the scene's centre and a shift across the view (scene units at the centre's
// depth), applied outside the turn and inside the user's own shift and zoom.
struct ViewFit {
    double scale = 1.0;
    double shiftX = 0.0, shiftY = 0.0;
};

// The share of the picture's width and height kept free on each side by a fit.
constexpr double kFitMargin = 0.03;

// The fit that places bounds(fit) (the picture's extent of what is fitted under that fit, in
// pixels; empty when nothing is to be fitted) inside target. unitPixels: how many pixels a
// shift of one scene unit moves the scene's centre in the picture.
ViewFit fitInto(const std::function<PixelRect(const ViewFit&)>& bounds, const PixelRect& target, double unitPixels);

// The picture's rectangle less its margins, of a picture width x height pixels.
PixelRect fitTarget(int width, int height);

// How a picture sees the data's box, before the fit and the user's shift and zoom: its
// frustum (limits at the near plane), the eye on the z axis at the focal length looking down
// -z, the scene's turn (column order) and the data's centring translation.
struct FigureCamera {
    double left = -1.0, right = 1.0, bottom = -1.0, top = 1.0;
    double focalLength = 20.0;
    float turn[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    double centring[3] = {0.0, 0.0, 0.0};
};

// Clip from the box's coordinates (the points' own) under a fit, column order.
void clipFromBox(const FigureCamera& camera, const ViewFit& fit, float out[16]);

// The fit of the box and every label it could carry into target of a picture labels.width x
// labels.height pixels (labels.clipFromModel is set for each step; labels without tick
// labels or titles fit the bare box), and the edges that carry the ticks: chosen once, in
// the view before the fit, where the box stands in the middle of the picture.
struct FittedBox {
    ViewFit fit;
    std::array<TickEdge, 3> edges;
};
FittedBox fitBox(const FigureCamera& camera, BoxLabelInputs labels, const PixelRect& target);
