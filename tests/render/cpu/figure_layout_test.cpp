// The layout of a figure without a renderer: the type face and its fallback, the box's labels
// over a sweep of turns (apart from each other, from the file name and the colour bar, and
// outside the box), the fit of the view, the colour bar's ticks, the message line and the box
// filter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "core/data_set.h"
#include "core/view_maths.h"
#include "render/cpu/box_labels.h"
#include "render/cpu/color_bar_layout.h"
#include "render/cpu/figure_fit.h"
#include "render/cpu/figure_sizes.h"
#include "render/cpu/message_line.h"
#include "render/cpu/picture_filter.h"
#include "render/cpu/stereo_projection.h"
#include "render/cpu/type_face.h"

#include "tests/support/loaded_points.h"

namespace {


// The centre camera of a picture of width x height at the default focal length, turned.
FigureCamera cameraOf(int width, int height, double ax, double ay, double az, const DataSet& data)
{
    const FrameProjection p = frameProjection(width, height, 1.0f, 20.0f, kViewDirection, kViewUp);
    FigureCamera camera;
    camera.left = p.center.left;
    camera.right = p.center.right;
    camera.bottom = p.bottom;
    camera.top = p.top;
    buildRotation(ax, ay, az, camera.turn);
    camera.centring[0] = data.tx;
    camera.centring[1] = data.ty;
    camera.centring[2] = data.tz;
    return camera;
}

// The convex hull of points, counter-clockwise (Andrew's monotone chain).
std::vector<std::pair<double, double>> hullOf(std::vector<std::pair<double, double>> points)
{
    std::sort(points.begin(), points.end());
    std::vector<std::pair<double, double>> hull(2 * points.size());
    const auto cross = [](const auto& o, const auto& a, const auto& b) {
        return (a.first - o.first) * (b.second - o.second) - (a.second - o.second) * (b.first - o.first);
    };
    std::size_t k = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], points[i]) <= 0) --k;
        hull[k++] = points[i];
    }
    for (std::size_t i = points.size() - 1, t = k + 1; i > 0; --i) {
        while (k >= t && cross(hull[k - 2], hull[k - 1], points[i - 1]) <= 0) --k;
        hull[k++] = points[i - 1];
    }
    hull.resize(k - 1);
    return hull;
}

// Whether a rectangle and a convex polygon share area deeper than slack pixels (separating axes).
bool overlapsHull(const PixelRect& r, const std::vector<std::pair<double, double>>& hull, double slack)
{
    const std::pair<double, double> corners[4] = {{r.x0, r.y0}, {r.x1, r.y0}, {r.x1, r.y1}, {r.x0, r.y1}};
    std::vector<std::pair<double, double>> axes = {{1, 0}, {0, 1}};
    for (std::size_t i = 0; i < hull.size(); ++i) {
        const auto& a = hull[i];
        const auto& b = hull[(i + 1) % hull.size()];
        axes.push_back({-(b.second - a.second), b.first - a.first});
    }
    for (const auto& axis : axes) {
        const double length = std::hypot(axis.first, axis.second);
        double r0 = 1e300, r1 = -1e300, h0 = 1e300, h1 = -1e300;
        for (const auto& c : corners) {
            const double d = (c.first * axis.first + c.second * axis.second) / length;
            r0 = std::min(r0, d), r1 = std::max(r1, d);
        }
        for (const auto& c : hull) {
            const double d = (c.first * axis.first + c.second * axis.second) / length;
            h0 = std::min(h0, d), h1 = std::max(h1, d);
        }
        if (r1 <= h0 + slack || h1 <= r0 + slack) {
            return false;
        }
    }
    return true;
}

class FigureLayout : public ::testing::Test {
protected:
    void SetUp() override
    {
        data = loadedPoints({{0, -1, 100}, {10, 1, 200}, {4, 0.5, 130}});
        data.axisNames[2] = "height above ground";
        labels.axes = dataAxes(data);
        labels.titles = axisTitles(data);
        labels.width = kWidth;
        labels.height = kHeight;
        labels.textSize = textPixels(PictureScale{kHeight}, 1.0);
        labels.tickLength = boxTickLength(labels.axes);
        // The file name at a tenth of the width and height, and a colour bar at the right.
        fileName = PixelRect{80, 56, 200, 73};
        bar = layOutColorBar(100.0, 200.0, "height above ground", kWidth, kHeight, labels.textSize);
        labels.reserved = {fileName, bar.area};
        target = fitTarget(kWidth, kHeight);
        target.x1 = bar.area.x0 - kFitMargin * kWidth;
    }

    static constexpr int kWidth = 800;
    static constexpr int kHeight = 600;
    DataSet data;
    BoxLabelInputs labels;
    PixelRect fileName, target;
    ColorBarLayout bar;
};

TEST(TypeFace, TheFaceIsMeasuredInProportionAndKerned)
{
    const TypeFace face(kPictureFacePath);
    if (!face.trueType()) GTEST_SKIP() << face.missing();
    // DejaVu Sans: capitals 0.73 of the em, descenders 0.21.
    EXPECT_NEAR(face.capHeight(100.0), 72.9, 0.5);
    EXPECT_NEAR(face.descent(100.0), 20.8, 0.5);
    const TextExtent small = face.measure("0.25", 13.0), large = face.measure("0.25", 47.5);
    EXPECT_NEAR(large.width / small.width, 47.5 / 13.0, 0.01);
    // A kerned pair stands closer than its glyphs' advances.
    EXPECT_LT(face.measure("AV", 100.0).width, face.measure("A", 100.0).width + face.measure("V", 100.0).width - 1.0);
    const std::vector<PlacedGlyph> glyphs = face.layout(decodeUtf8("x=2"), 20.0);
    ASSERT_EQ(glyphs.size(), 3u);
    EXPECT_LT(glyphs[0].x, glyphs[1].x);
    EXPECT_LT(glyphs[1].x, glyphs[2].x);
    // A glyph's coverage: a capital stands on the baseline, its top at the capitals' height.
    const GlyphImage h = face.glyph('H', 40.0);
    EXPECT_NEAR(h.top, face.capHeight(40.0), 1.0);
    EXPECT_EQ(h.coverage.size(), static_cast<std::size_t>(h.width * h.height));
    EXPECT_EQ(*std::max_element(h.coverage.begin(), h.coverage.end()), 255);
    EXPECT_TRUE(face.glyph(' ', 40.0).coverage.empty());
}

TEST(TypeFace, WithoutTheFileTheStrokeFontStandsInAtTheSameSize)
{
    const TypeFace face("/nonexistent/DejaVuSans.ttf");
    EXPECT_FALSE(face.trueType());
    EXPECT_NE(face.missing().find("/nonexistent/DejaVuSans.ttf"), std::string::npos);
    EXPECT_NEAR(face.capHeight(96.0), 70.0, 1e-9) << "the stroke capitals take the face's share of the em";
    const std::vector<StrokeQuad> strokes = face.strokes('H', 96.0);
    ASSERT_FALSE(strokes.empty());
    double top = 0.0, bottom = 1e9;
    for (const StrokeQuad& q : strokes) {
        top = std::max(top, q.y1);
        bottom = std::min(bottom, q.y0);
    }
    EXPECT_NEAR(top, 70.0, 1e-6);
    EXPECT_NEAR(bottom, 0.0, 1e-6) << "standing on the baseline";
    EXPECT_GT(face.measure("10", 96.0).width, face.measure("1", 96.0).width);
    // Bytes outside printable ASCII are drawn as '?', never read past the font's table.
    EXPECT_EQ(face.strokes(0x00B1, 20.0).size(), face.strokes('?', 20.0).size());

    // The pictures' face follows the file asked for, and says that it changed.
    const unsigned long version = pictureFaceVersion();
    usePictureFaceFile("/nonexistent/DejaVuSans.ttf");
    EXPECT_FALSE(pictureFace().trueType());
    usePictureFaceFile(kPictureFacePath);
    EXPECT_EQ(pictureFaceVersion(), version + 2);
}

TEST(TypeFace, Utf8DecodesAndMarksBadBytes)
{
    EXPECT_EQ(decodeUtf8("\xC2\xB1" "2\xC2\xB0"), (std::u32string{0xB1, '2', 0xB0}));
    EXPECT_EQ(decodeUtf8("a\xE2\x82\xAC"), (std::u32string{'a', 0x20AC}));
    EXPECT_EQ(decodeUtf8("\xFF" "b"), (std::u32string{0xFFFD, 'b'}));
    EXPECT_EQ(decodeUtf8("\xE2\x82"), (std::u32string{0xFFFD})) << "cut short";
    EXPECT_EQ(decodeUtf8("\xC0\xAF"), (std::u32string{0xFFFD})) << "over-long";
}

TEST(TypeSizes, TextAndLinesGrowWithThePicture)
{
    EXPECT_NEAR(textPixels(PictureScale{600}, 1.0), 13.2, 1e-9);
    EXPECT_NEAR(textPixels(PictureScale{2160}, 1.0) / textPixels(PictureScale{600}, 1.0), 3.6, 1e-9);
    EXPECT_EQ(textPixels(PictureScale{240}, 1.0), 11.0) << "never below 11 pixels";
    EXPECT_NEAR(textPixels(PictureScale{600}, 2.0), 26.4, 1e-9);
    // Drawn twice as large: twice the pixels, as a picture twice as high but for the floor.
    EXPECT_EQ(textPixels(PictureScale{480, 2.0}, 1.0), 22.0);
    EXPECT_EQ(figureLineWidth(PictureScale{600}), 1.0);
    EXPECT_EQ(figureLineWidth(PictureScale{2400}), 4.0);
}

TEST(LabelLayout, BoxesStandBesideTheirAnchorsAndCollisionsAreLeftOut)
{
    // Off to the right of an anchor at the origin: the box starts the gap away.
    const PixelRect right = boxBeside(0, 0, 1, 0, 5, 40, 10, 3);
    EXPECT_DOUBLE_EQ(right.x0, 5.0);
    EXPECT_DOUBLE_EQ(right.height(), 13.0);
    // Off diagonally: no part of it on the anchor's side.
    const double d = std::sqrt(0.5);
    const PixelRect corner = boxBeside(0, 0, -d, -d, 4, 30, 10, 2);
    EXPECT_GE(-(corner.x1 * d + corner.y1 * d), 4.0 - 1e-9);

    // Five labels, each overlapping its neighbours: every second stays.
    std::vector<PixelRect> row;
    for (int k = 0; k < 5; ++k) {
        row.push_back(PixelRect{k * 30.0, 0, k * 30.0 + 40, 10});
    }
    EXPECT_EQ(thinEvenly(row, 2.0), (std::vector<bool>{true, false, true, false, true}));
    std::vector<PixelRect> taken = {PixelRect{55, 0, 65, 10}};
    EXPECT_EQ(keepClear({row[0], row[2], row[4]}, taken, 1.0), (std::vector<bool>{true, false, true}));
    EXPECT_EQ(taken.size(), 3u);
}

TEST_F(FigureLayout, OverASweepOfTurnsLabelsStayApartOutsideTheBoxAndInsideThePicture)
{
    std::mt19937 random(24);
    std::uniform_real_distribution<double> angle(-180.0, 180.0);
    int tickLabels = 0, titles = 0, filled = 0;
    constexpr int kTurns = 200;
    for (int turn = 0; turn < kTurns; ++turn) {
        const double ax = angle(random), ay = angle(random), az = angle(random);
        SCOPED_TRACE("turn " + std::to_string(ax) + "," + std::to_string(ay) + "," + std::to_string(az));
        const FigureCamera camera = cameraOf(kWidth, kHeight, ax, ay, az, data);
        const FittedBox fitted = fitBox(camera, labels, target);
        BoxLabelInputs placed = labels;
        placed.fixedEdges = true;
        placed.edges = fitted.edges;
        clipFromBox(camera, fitted.fit, placed.clipFromModel);
        const BoxLayout layout = layOutBoxLabels(placed);

        for (std::size_t i = 0; i < layout.labels.size(); ++i) {
            const PixelRect& a = layout.labels[i].box;
            for (std::size_t j = i + 1; j < layout.labels.size(); ++j) {
                ASSERT_FALSE(a.intersects(layout.labels[j].box))
                    << layout.labels[i].text << " and " << layout.labels[j].text;
            }
            for (const PixelRect& reserved : labels.reserved) {
                ASSERT_FALSE(a.intersects(reserved)) << layout.labels[i].text;
            }
        }
        // Inside the target, and as large as it goes in one direction at least (with every
        // label that could stand there: the fit does not wait for the ones left out).
        const PixelRect& b = layout.reach;
        EXPECT_TRUE(layout.bounds.x0 >= b.x0 && layout.bounds.y0 >= b.y0 && layout.bounds.x1 <= b.x1 &&
                    layout.bounds.y1 <= b.y1);
        EXPECT_GE(b.x0, target.x0 - 0.5);
        EXPECT_GE(b.y0, target.y0 - 0.5);
        EXPECT_LE(b.x1, target.x1 + 0.5);
        EXPECT_LE(b.y1, target.y1 + 0.5);
        filled += b.width() > 0.9 * target.width() || b.height() > 0.9 * target.height() ? 1 : 0;
        // Tick labels outside the box's outline (a pixel of anti-aliasing aside).
        std::vector<std::pair<double, double>> corners;
        for (int k = 0; k < 8; ++k) {
            const double p[3] = {(k & 1) ? placed.axes[0].high : placed.axes[0].low,
                                 (k & 2) ? placed.axes[1].high : placed.axes[1].low,
                                 (k & 4) ? placed.axes[2].high : placed.axes[2].low};
            double x = 0.0, y = 0.0;
            ASSERT_TRUE(projectToViewport(placed.clipFromModel, kWidth, kHeight, p, x, y));
            corners.push_back({x, y});
        }
        const auto hull = hullOf(corners);
        for (const BoxLabel& label : layout.labels) {
            if (!label.title) {
                EXPECT_FALSE(overlapsHull(label.box, hull, 1.0)) << label.text << " of axis " << label.axis;
                ++tickLabels;
            } else {
                ++titles;
            }
        }
    }
    // Nearly every fit fills the picture in one direction (a view whose outline changes
    // with the fit's own shift fits the labels of both outlines, and is smaller).
    EXPECT_GE(filled, kTurns * 95 / 100);
    // Most turns keep most of the labels: the thinning is not all there is.
    EXPECT_GT(tickLabels, kTurns * 8);
    EXPECT_GT(titles, kTurns * 2);
}

TEST_F(FigureLayout, AFrontViewKeepsEveryLabelAndTheFitCentresTheBox)
{
    const FigureCamera camera = cameraOf(kWidth, kHeight, 0.0, 0.0, 0.0, data);
    const FittedBox fitted = fitBox(camera, labels, target);
    BoxLabelInputs placed = labels;
    clipFromBox(camera, fitted.fit, placed.clipFromModel);
    // Where the file name stands, the x labels under it are left out.
    const BoxLayout named = layOutBoxLabels(placed);
    EXPECT_LT(named.labels.size(), 13u);
    for (const BoxLabel& label : named.labels) {
        EXPECT_FALSE(label.box.grown(1.0).intersects(fileName)) << label.text;
    }
    placed.reserved = {bar.area};
    const BoxLayout layout = layOutBoxLabels(placed);
    // x and y show their ticks (z runs towards the eye); 6 + 5 labels and two titles.
    EXPECT_EQ(layout.labels.size(), 13u);
    EXPECT_FALSE(layout.edges[2].shown);
    // Seen from the front the x labels hang below the box, the y labels stand at its left.
    for (const BoxLabel& label : layout.labels) {
        if (label.axis == 0 && !label.title) {
            EXPECT_LT(label.box.y1, kHeight / 2.0);
        }
        if (label.axis == 1 && !label.title) {
            EXPECT_LT(label.box.x1, kWidth / 2.0);
        }
    }
    EXPECT_NEAR((layout.bounds.x0 + layout.bounds.x1) / 2.0, (target.x0 + target.x1) / 2.0, 2.0);
    EXPECT_NEAR((layout.bounds.y0 + layout.bounds.y1) / 2.0, (target.y0 + target.y1) / 2.0, 2.0);
    // Bare, without labels, the box alone fills the target.
    BoxLabelInputs bare = labels;
    for (DataAxis& axis : bare.axes) {
        axis.drawn.clear();
        axis.ticks = AxisTicks{};
    }
    bare.titles = {"", "", ""};
    EXPECT_GT(fitBox(camera, bare, target).fit.scale, fitted.fit.scale);
}

TEST(ColorBarLayout, TicksStandAtRoundValuesWhereTheMapHasThem)
{
    // The hill's raw extremes: round ticks between them, none at the raw ends.
    const ColorBarLayout up = layOutColorBar(0.003, 0.992, "z", 800, 600, 13.2);
    ASSERT_EQ(up.ticks.size(), 4u);
    EXPECT_EQ(up.ticks.front().label, "0.2");
    EXPECT_EQ(up.ticks[1].label, "0.4");
    EXPECT_EQ(up.ticks.back().label, "0.8");
    for (const ColorBarTick& tick : up.ticks) {
        const double value = std::stod(tick.label);
        EXPECT_NEAR(tick.y, up.bar.y0 + (value - 0.003) / 0.989 * up.bar.height(), 1e-6) << tick.label;
        EXPECT_TRUE(tick.labelled);
    }
    EXPECT_LE(up.area.x1, 800 * (1.0 - kFitMargin) + 1e-9) << "within the right margin";
    EXPECT_GT(up.titleY, up.bar.y1);
    EXPECT_GE(up.area.y1, up.titleY);
    // The other way up: the high value at the bottom.
    const ColorBarLayout down = layOutColorBar(2.0, -1.0, "z", 800, 600, 13.2);
    EXPECT_GT(down.ticks.front().y, down.ticks.back().y);
    // A bar too short for every label keeps them evenly apart.
    const ColorBarLayout squat = layOutColorBar(0.0, 1.0, "z", 800, 100, 13.2);
    const auto labelled = std::count_if(squat.ticks.begin(), squat.ticks.end(),
                                        [](const ColorBarTick& t) { return t.labelled; });
    EXPECT_GE(labelled, 2);
    EXPECT_LT(labelled, static_cast<long>(squat.ticks.size()));
}

TEST(PictureFilter, EachPixelIsTheMeanOfItsBlock)
{
    // 4 x 2 pixels shrunk by 2: two pixels, the means of their 2 x 2 blocks.
    std::vector<unsigned char> rgb(4 * 2 * 3, 0);
    const auto set = [&](int x, int y, int value) { rgb[(y * 4 + x) * 3] = static_cast<unsigned char>(value); };
    set(0, 0, 255);
    set(1, 1, 255);
    set(2, 0, 10);
    set(3, 0, 20);
    set(2, 1, 30);
    set(3, 1, 41);
    const std::vector<unsigned char> small = shrinkByBoxFilter(rgb, 4, 2, 2);
    ASSERT_EQ(small.size(), 6u);
    EXPECT_EQ(small[0], 128);
    EXPECT_EQ(small[3], 25);
    EXPECT_EQ(small[1], 0);
    EXPECT_EQ(shrinkByBoxFilter(rgb, 4, 2, 1), rgb);
}

}  // namespace

TEST(MessageLine, LinesAreJoinedAndCutToThePicturesWidth)
{
    EXPECT_EQ(messageLine("\nf.mpl looks like a Maple file\n\n\tchoose Maple\r\n"),
              "f.mpl looks like a Maple file; choose Maple");
    EXPECT_EQ(messageLine("Picture saved: /tmp/a.png\n"), "Picture saved: /tmp/a.png");
    EXPECT_EQ(messageLine("\n \n"), "");

    // Ten pixels a byte: what fits is kept whole, the rest cut before the ellipsis, never
    // inside a character of several bytes.
    const auto tenPerByte = [](const std::string& text, double) {
        return TextExtent{10.0 * static_cast<double>(text.size()), 8.0, 2.0};
    };
    EXPECT_EQ(cutToWidth("abcdef", 13.0, 60.0, tenPerByte), "abcdef");
    EXPECT_EQ(cutToWidth("abcdefgh", 13.0, 60.0, tenPerByte), "abc...");
    EXPECT_EQ(cutToWidth("a\xc3\xa9\xc3\xa9" "bcd", 13.0, 70.0, tenPerByte), "a\xc3\xa9...");
    EXPECT_EQ(cutToWidth("abcdefgh", 13.0, 25.0, tenPerByte), "");

    // In the picture's type: centred at the top, inside the picture at any width.
    const auto face = [](const std::string& text, double size) { return pictureFace().measure(text, size); };
    const std::string longer(400, 'x');
    for (const int width : {120, 640, 1600}) {
        const MessageLayout layout = messageLayout("View saved: " + longer, 13.0, width, 480, face);
        ASSERT_FALSE(layout.line.empty()) << width;
        EXPECT_EQ(layout.line.substr(layout.line.size() - 3), "...");
        EXPECT_GE(layout.box.x0, 0.0);
        EXPECT_LE(layout.box.x1, width);
        EXPECT_NEAR(layout.box.x0 + layout.box.x1, width, 1e-9) << "centred";
        EXPECT_LT(layout.box.y1, 480.0);
        EXPECT_GT(layout.box.y0, 480.0 - 4.0 * 13.0) << "one line at the top";
        EXPECT_LE(face(layout.line, 13.0).width, layout.box.width() - 2.0 * layout.pad + 1e-9);
    }
    EXPECT_TRUE(messageLayout("", 13.0, 640, 480, face).line.empty());
}
