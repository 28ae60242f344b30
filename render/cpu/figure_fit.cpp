// The fit of a view to its picture, by steps.
#include "render/cpu/figure_fit.h"

#include <algorithm>
#include <cmath>

#include "core/matrix_math.h"
#include "render/cpu/stereo_projection.h"

namespace {

constexpr int kSteps = 16;
constexpr double kSmallest = 0.02, kLargest = 50.0;

bool inside(const PixelRect& inner, const PixelRect& outer)
{
    return inner.x0 >= outer.x0 && inner.y0 >= outer.y0 && inner.x1 <= outer.x1 && inner.y1 <= outer.y1;
}

// Moves the fit's shift so that the middle of b comes onto the middle of target.
void centre(ViewFit& fit, const PixelRect& b, const PixelRect& target, double unitPixels)
{
    fit.shiftX += ((target.x0 + target.x1) - (b.x0 + b.x1)) / 2.0 / unitPixels;
    fit.shiftY += ((target.y0 + target.y1) - (b.y0 + b.y1)) / 2.0 / unitPixels;
}

}  // namespace

PixelRect fitTarget(int width, int height)
{
    const double mx = kFitMargin * width, my = kFitMargin * height;
    return PixelRect{mx, my, width - mx, height - my};
}

ViewFit fitInto(const std::function<PixelRect(const ViewFit&)>& bounds, const PixelRect& target, double unitPixels)
{
    ViewFit fit;
    if (target.empty() || !(unitPixels > 0.0) || !std::isfinite(unitPixels)) {
        return fit;
    }
    // Each step scales by what the target has room for and moves the middle of what was
    // measured onto the target's middle; the labels, which do not scale, make the steps
    // converge rather than land at once.
    for (int step = 0; step < kSteps; ++step) {
        const PixelRect b = bounds(fit);
        if (b.empty()) {
            return fit;
        }
        const double ratio = std::min(target.width() / b.width(), target.height() / b.height());
        if (!std::isfinite(ratio)) {
            return fit;
        }
        centre(fit, b, target, unitPixels);
        fit.scale = std::clamp(fit.scale * ratio, kSmallest, kLargest);
        if (std::fabs(ratio - 1.0) < 1e-3) {
            break;
        }
    }
    // Whatever the steps left over the edge is taken back a little at a time.
    for (int step = 0; step < kSteps; ++step) {
        const PixelRect b = bounds(fit);
        if (b.empty() || inside(b, target) || fit.scale <= kSmallest) {
            break;
        }
        fit.scale = std::max(kSmallest, fit.scale * 0.97);
        centre(fit, b, target, unitPixels);
    }
    return fit;
}

void clipFromBox(const FigureCamera& camera, const ViewFit& fit, float out[16])
{
    const double n = kNearPlane, f = kFarPlane;
    const double l = camera.left, r = camera.right, b = camera.bottom, t = camera.top;
    float projection[16] = {};
    projection[0] = static_cast<float>(2.0 * n / (r - l));
    projection[5] = static_cast<float>(2.0 * n / (t - b));
    projection[8] = static_cast<float>((r + l) / (r - l));
    projection[9] = static_cast<float>((t + b) / (t - b));
    projection[10] = static_cast<float>(-(f + n) / (f - n));
    projection[11] = -1.0f;
    projection[14] = static_cast<float>(-2.0 * f * n / (f - n));
    // The view and the fit: the eye's distance, the shift across, the scale.
    const float s = static_cast<float>(fit.scale);
    const float placed[16] = {s, 0, 0, 0, 0, s, 0, 0, 0, 0, s, 0, static_cast<float>(fit.shiftX),
                              static_cast<float>(fit.shiftY), static_cast<float>(-camera.focalLength), 1};
    const float centring[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, static_cast<float>(camera.centring[0]),
                                static_cast<float>(camera.centring[1]), static_cast<float>(camera.centring[2]), 1};
    float turned[16], model[16];
    multiplyMatrices(camera.turn, centring, turned);
    multiplyMatrices(placed, turned, model);
    multiplyMatrices(projection, model, out);
}

FittedBox fitBox(const FigureCamera& camera, BoxLabelInputs labels, const PixelRect& target)
{
    FittedBox fitted;
    clipFromBox(camera, fitted.fit, labels.clipFromModel);
    fitted.edges = tickEdges(labels.axes, labels.clipFromModel);
    if (labels.width <= 0 || labels.height <= 0 || !(camera.top > camera.bottom) || !(camera.focalLength > 0.0)) {
        return fitted;
    }
    labels.fixedEdges = true;
    // What stands where the labels would is left to the labels' own layout: the fit takes in
    // every label that could be drawn.
    labels.reserved.clear();
    // A shift of one unit at the focal length moves the centre by this many pixels.
    const double unitPixels = labels.height * kNearPlane / ((camera.top - camera.bottom) * camera.focalLength);
    // The edges on the outline depend on where the fit puts the box (seen off the middle of
    // the picture, the box shows another side). A fit of the labels of one choice of edges
    // serves when those edges stay on the outline in its view; else each round fits the
    // labels of every choice met so far, until the fitted view chooses one of them.
    const auto fitChoices = [&](const std::vector<std::array<TickEdge, 3>>& choices) {
        FittedBox result;
        result.fit = fitInto(
            [&](const ViewFit& fit) {
                clipFromBox(camera, fit, labels.clipFromModel);
                PixelRect reach;
                for (const std::array<TickEdge, 3>& edges : choices) {
                    labels.edges = edges;
                    reach = unite(reach, layOutBoxLabels(labels).reach);
                }
                return reach;
            },
            target, unitPixels);
        clipFromBox(camera, result.fit, labels.clipFromModel);
        result.edges = tickEdges(labels.axes, labels.clipFromModel);
        return result;
    };
    std::vector<std::array<TickEdge, 3>> choices = {fitted.edges};
    constexpr int kRounds = 4;
    for (int round = 0; round < kRounds; ++round) {
        FittedBox alone = fitChoices({choices.back()});
        clipFromBox(camera, alone.fit, labels.clipFromModel);
        if (edgesOnOutline(labels.axes, labels.clipFromModel, choices.back())) {
            alone.edges = choices.back();
            return alone;
        }
        fitted = choices.size() > 1 ? fitChoices(choices) : alone;
        if (std::find(choices.begin(), choices.end(), fitted.edges) != choices.end()) {
            break;
        }
        choices.push_back(fitted.edges);
    }
    return fitted;
}
