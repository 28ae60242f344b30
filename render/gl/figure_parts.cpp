// Sizes, places and the fit of the parts of a figure around the data.
#include "render/gl/figure_parts.h"

#include <algorithm>
#include <cmath>

#include "core/matrix_math.h"
#include "core/value_colors.h"
#include "render/cpu/box_labels.h"
#include "render/gl/frame.h"
#include "render/gl/group_legend.h"
#include "render/gl/type_text.h"

namespace {

PictureScale pictureScale(const FigureFrame& figure, int height)
{
    return PictureScale{static_cast<double>(height), figure.pixelScale};
}

// The file name's place, written from a tenth of the width and height: in the window's
// bitmap font where the frame's output measures it, else in the pictures' type.
PixelRect fileNameArea(const Settings& settings, const FigureFrame& figure, int width, int height)
{
    const std::string& name = figure.shownFileName;
    if (name.empty()) {
        return PixelRect{};
    }
    const TextExtent extent = frameOutput.measureText != nullptr
                                  ? frameOutput.measureText(name.c_str())
                                  : measureTypeText(name, figureTextSize(settings, figure, height));
    const double x = width / 10.0, y = height / 10.0;
    return PixelRect{x, y - extent.descent, x + extent.width, y + extent.ascent};
}

}  // namespace

double figureTextSize(const Settings& settings, const FigureFrame& figure, int height)
{
    return textPixels(pictureScale(figure, height), settings.textSize);
}

double figureLineWidthOf(const FigureFrame& figure, int height)
{
    return figureLineWidth(pictureScale(figure, height));
}

bool showsColorBar(const Settings& settings)
{
    return settings.colorBy == ColorBy::Height && viewModeKeepsColors(settings.stereoMode);
}

ColorBarLayout colorBarLayout(const Settings& settings, const DataSet& data, const FigureFrame& figure, int width,
                              int height)
{
    const ColorRange range = colorBarRange(settings, data);
    return layOutColorBar(range.lo, range.hi, axisTitles(data)[2], width, height,
                          figureTextSize(settings, figure, height), measureTypeText);
}

namespace {

// The parts written over the picture that the box's labels keep clear of, each laid out once;
// an empty rectangle for a part not shown.
struct OverlayAreas {
    PixelRect fileName, colorBar, legend;

    std::vector<PixelRect> shown() const
    {
        std::vector<PixelRect> areas;
        for (const PixelRect& r : {fileName, colorBar, legend}) {
            if (!r.empty()) {
                areas.push_back(r);
            }
        }
        return areas;
    }
};

OverlayAreas overlayAreas(const Settings& settings, const DataSet& data, const FigureFrame& figure, int width,
                          int height)
{
    OverlayAreas areas;
    areas.fileName = fileNameArea(settings, figure, width, height);
    if (showsColorBar(settings)) {
        areas.colorBar = colorBarLayout(settings, data, figure, width, height).area;
    }
    if (showsGroupLegend(settings, data)) {
        const GroupLegendLayout legend =
            groupLegendLayout(data, figureTextSize(settings, figure, height), width, height);
        areas.legend = PixelRect{static_cast<double>(legend.x0), static_cast<double>(legend.y0),
                                 static_cast<double>(legend.x1), static_cast<double>(legend.y1)};
    }
    return areas;
}

}  // namespace

std::vector<PixelRect> reservedAreas(const Settings& settings, const DataSet& data, const FigureFrame& figure,
                                     int width, int height)
{
    return overlayAreas(settings, data, figure, width, height).shown();
}

bool fitsView(const Settings& settings, bool fitAskedFor)
{
    return fitAskedFor || (settings.showAxes && settings.axesStyle == AxesStyle::Box);
}

FittedBox fitViewToPicture(const Settings& settings, const DataSet& data, const FigureFrame& figure,
                           const FrameProjection& p, int width, int height)
{
    BoxLabelInputs labels;
    labels.axes = dataAxes(data);
    for (const DataAxis& axis : labels.axes) {
        if (!std::isfinite(axis.low) || !std::isfinite(axis.high)) {
            return FittedBox{};
        }
    }
    if (!p.drawable || width <= 0 || height <= 0) {
        return FittedBox{};
    }
    FigureCamera camera;
    camera.left = p.center.left;
    camera.right = p.center.right;
    camera.bottom = p.bottom;
    camera.top = p.top;
    camera.focalLength = settings.focalLength;
    multiplyMatrices(settings.angleMat, settings.rotateMat, camera.turn);
    camera.centring[0] = data.tx;
    camera.centring[1] = data.ty;
    camera.centring[2] = data.tz;

    const bool box = settings.showAxes && settings.axesStyle == AxesStyle::Box;
    if (box) {
        labels.titles = axisTitles(data);
        labels.tickLength = boxTickLength(labels.axes);
    } else {
        // Only the data's box is fitted: no tick carries a label.
        for (DataAxis& axis : labels.axes) {
            axis.drawn.clear();
            axis.ticks = AxisTicks{};
        }
    }
    labels.width = width;
    labels.height = height;
    labels.textSize = figureTextSize(settings, figure, height);
    const OverlayAreas areas = overlayAreas(settings, data, figure, width, height);
    labels.reserved = areas.shown();
    labels.measure = measureTypeText;
    // The colour bar and the legend stand in columns at the right edge: the box keeps left of them.
    PixelRect target = fitTarget(width, height);
    for (const PixelRect& column : {areas.colorBar, areas.legend}) {
        if (!column.empty()) {
            target.x1 = std::min(target.x1, column.x0 - kFitMargin * width);
        }
    }
    return fitBox(camera, labels, target);
}
