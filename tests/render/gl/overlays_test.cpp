// Over the picture: the colour bar of colour by height (in both eyes of StereoView, never in
// Anaglyph), the legend of text groups, the help text on and off, the message line for its
// time, and the data's box with its ticks, its labels in the eyes' colours in Anaglyph.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <vector>

#include "app/picture_message.h"
#include "app/viewer_state.h"
#include "core/user_message.h"
#include "core/value_colors.h"
#include "core/view_maths.h"
#include "render/cpu/figure_sizes.h"
#include "render/cpu/message_line.h"
#include "render/gl/frame.h"
#include "render/gl/group_legend.h"
#include "render/gl/offscreen_context.h"
#include "render/gl/overlays.h"
#include "render/gl/type_text.h"

#include "tests/render/gl/picture_probe.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
// The type's size in a frame of that height at "Text size" 1.
const double kTextSize = textPixels(PictureScale{static_cast<double>(kHeight), 1.0}, 1.0);

// A small wavy surface whose raw z runs from -2 to 6.
void loadSurface()
{
    const unsigned long generation = dataSet.generation;
    dataSet = DataSet{};
    dataSet.generation = generation;
    for (int i = 0; i < 10; ++i) {
        for (int j = 0; j < 10; ++j) {
            dataSet.coordArray.push_back({-4.0 + i * 0.9, std::sin(i * 0.5) * std::cos(j * 0.4), -4.0 + j * 0.9});
        }
    }
    dataSet.fnTrf.nx = 10;
    dataSet.fnTrf.pointsPerSet = 10;
    dataSet.loadedFormat = 1;
    dataSet.rawMin[2] = -2.0;
    dataSet.rawMax[2] = 6.0;
    dataSet.rawScale[2] = 1.0 / 8.0;
    ++dataSet.generation;
}

// The clock the message over the picture is shown and read by.
PictureMessage::Clock::time_point testNow = PictureMessage::Clock::time_point{} + std::chrono::hours(1);
PictureMessage::Clock::time_point testClock()
{
    return testNow;
}

class Overlays : public ::testing::Test {
protected:
    void TearDown() override
    {
        listenToUserMessages(nullptr);
        pictureMessage.show("", testNow);
        messageClock = PictureMessage::Clock::now;
        displayState.geometry = GeometryStore();
        closeOffscreenContext();
    }

    void open(bool twoEyes)
    {
        std::string error;
        ASSERT_TRUE(openPictureContext(kWidth, kHeight, twoEyes, error)) << error;
        resetViewerForPicture();
        viewer.showFileName = 0;
        setSetting(viewer.displayType, DisplayType::Filled);
        loadSurface();
    }

    static Picture frame(const std::vector<std::string>& help = {}, int eye = 0)
    {
        FrameInputs in = displayFrameInputs();
        in.helpLines = help;
        displayFrame(in, displayState);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        return Picture{kWidth, kHeight, readOffscreenPicture(eye)};
    }

    // A turn that shows the box's three labelled edges.
    static void turnForTheBox()
    {
        viewer.angleX = 20.0f;
        viewer.angleY = 30.0f;
        buildRotation(viewer.angleX, viewer.angleY, viewer.angleZ, viewer.angleMat);
    }

    // The picture's row of a window row counted from the bottom.
    static int row(int windowY) { return kHeight - 1 - windowY; }

    static void expectColour(const Picture& p, int x, int y, const Rgb& c, const std::string& what)
    {
        const auto want = toBytes(c);
        const unsigned char* px = p.at(x, y);
        for (int ch = 0; ch < 3; ++ch) {
            EXPECT_NEAR(px[ch], want[static_cast<std::size_t>(ch)], 2) << what << " channel " << ch;
        }
    }

    // The bar's pixels at its low end, middle and high end show the map's steps, unlit.
    static void expectBar(const Picture& p, ColorMap map, const std::string& what)
    {
        const PixelRect bar = colorBarLayout(viewer, dataSet, FigureFrame{}, kWidth, kHeight).bar;
        const int x = static_cast<int>((bar.x0 + bar.x1) / 2);
        expectColour(p, x, row(static_cast<int>(bar.y0)), paletteColor(map, kPaletteFirst), what + " low end");
        expectColour(p, x, row(static_cast<int>(bar.y1) - 1), paletteColor(map, kColorSlots - 1), what + " high end");
        // The tick marks and labels beside it, dark on white.
        const Region labels = findRegion(p, [](const unsigned char* px) { return px[0] + px[1] + px[2] < 300; },
                                         static_cast<int>(bar.x1) + 2, row(static_cast<int>(bar.y1)), kWidth,
                                         row(static_cast<int>(bar.y0)) + 1);
        EXPECT_GT(labels.count, 40) << what << ": the tick values are written";
    }
};

TEST_F(Overlays, TheColourBarShowsTheMapWhereTheColoursShow)
{
    open(false);
    const Picture plain = frame();
    const PixelRect bar = colorBarLayout(viewer, dataSet, FigureFrame{}, kWidth, kHeight).bar;
    EXPECT_EQ(findRegion(plain, exactly(0, 0, 0), static_cast<int>(bar.x0), row(static_cast<int>(bar.y1)), kWidth,
                         row(static_cast<int>(bar.y0)))
                  .count,
              0)
        << "no bar with the eye colours";

    viewer.colorBy = ColorBy::Height;
    expectBar(frame(), ColorMap::Viridis, "viridis");
    viewer.colorMap = ColorMap::Coolwarm;
    const Picture coolwarm = frame();
    expectBar(coolwarm, ColorMap::Coolwarm, "coolwarm");
    // The middle of the bar is the middle of the diverging map: nearly white.
    const unsigned char* middle =
        coolwarm.at(static_cast<int>((bar.x0 + bar.x1) / 2), row(static_cast<int>((bar.y0 + bar.y1) / 2)));
    EXPECT_GT(middle[0] + middle[1] + middle[2], 3 * 200);

    viewer.stereoMode = ViewMode::Anaglyph;
    const Picture anaglyph = frame();
    viewer.colorBy = ColorBy::Eye;
    EXPECT_EQ(anaglyph.rgb, frame().rgb) << "Anaglyph shows neither the colours nor their bar";
}

TEST_F(Overlays, TextGroupsShowALegendWhileColouredByGroup)
{
    open(false);
    setSetting(viewer.displayType, DisplayType::Points);
    dataSet.loadedFormat = static_cast<int>(DataFormat::Colored);
    dataSet.groupArray.assign(dataSet.coordArray.size(), 1);
    dataSet.groupNames = {"alpha", "beta", "gamma"};
    ++dataSet.generation;
    const GroupLegendLayout layout = groupLegendLayout(dataSet, kTextSize, kWidth, kHeight);
    ASSERT_EQ(layout.entries.size(), 3u);
    const auto swatchAt = [&](const Picture& p, const LegendEntry& e) {
        return p.at(e.x + layout.swatch / 2, row(e.y + layout.swatch / 2));
    };
    const Picture byEye = frame();
    EXPECT_TRUE(exactly(255, 255, 255)(swatchAt(byEye, layout.entries[1]))) << "no legend coloured by the eyes";

    viewer.colorBy = ColorBy::Group;
    const Picture byGroup = frame();
    const int want[3][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    for (int g = 0; g < 3; ++g) {
        EXPECT_TRUE(exactly(want[g][0], want[g][1], want[g][2])(swatchAt(byGroup, layout.entries[g]))) << g;
    }
    // The type is smoothed: its strokes are the pixels darker than the middle grey.
    const auto dark = [](const unsigned char* px) { return px[0] + px[1] + px[2] < 3 * 128; };
    const Region text = findRegion(byGroup, dark, layout.entries[0].textX, row(layout.y1), kWidth, row(layout.y0));
    EXPECT_GT(text.count, 30) << "the groups' texts";
    viewer.stereoMode = ViewMode::Anaglyph;
    EXPECT_TRUE(exactly(255, 255, 255)(swatchAt(frame(), layout.entries[1]))) << "nor in Anaglyph";

    // Past 50 groups the rest are left out; a lower window takes more columns, and a narrow
    // one shows the columns that fit, all inside it.
    dataSet.groupNames.resize(70, "g");
    for (const int height : {1200, 400, 120}) {
        const GroupLegendLayout many = groupLegendLayout(dataSet, kTextSize, kWidth, height);
        EXPECT_EQ(many.entries.size() < static_cast<std::size_t>(kLegendGroups), height == 120) << height;
        for (std::size_t k = 0; k < many.entries.size(); ++k) {
            const LegendEntry& e = many.entries[k];
            EXPECT_EQ(e.group, static_cast<int>(k));
            EXPECT_TRUE(e.x >= 0 && e.textX + 12 <= kWidth && e.y >= many.y0 && e.y + many.swatch <= height)
                << height << " group " << k;
        }
    }
}

TEST_F(Overlays, BothEyesOfStereoViewShowTheBar)
{
    open(true);
    viewer.stereoMode = ViewMode::Stereo;
    viewer.colorBy = ColorBy::Height;
    viewer.colorMap = ColorMap::Gray;
    frame();
    expectBar(Picture{kWidth, kHeight, readOffscreenPicture(0)}, ColorMap::Gray, "left eye");
    expectBar(Picture{kWidth, kHeight, readOffscreenPicture(1)}, ColorMap::Gray, "right eye");
}

TEST_F(Overlays, TheHelpTextComesAndGoes)
{
    open(false);
    viewer.bgColor[0] = 0.0f;  // a dark blue background: the text is its inverse, yellowish
    viewer.bgColor[1] = 0.0f;
    viewer.bgColor[2] = 0.5f;
    const Picture without = frame();
    const std::vector<std::string> help = {"h or ?   this help, on and off", "w        save the picture"};
    const Picture with = frame(help);
    const Region text = findRegion(with, [](const unsigned char* px) { return px[0] > 200 && px[1] > 200; });
    EXPECT_GT(text.count, 150) << "the lines are written";
    EXPECT_LT(text.maxY, kHeight / 3) << "at the top";
    EXPECT_LT(text.minX, 40) << "from the left";
    EXPECT_NE(with.rgb, without.rgb);
    EXPECT_EQ(frame().rgb, without.rgb) << "without lines the picture is as before";

    // Keys of different widths: the second column starts at one place in both lines (over
    // no data, so that only the help has colour).
    dataSet = DataSet{};
    ++dataSet.generation;
    const Picture columns = frame({"h\tthis help", "Escape / q\tback"});
    const auto inked = [&](int x, int y) { return columns.at(x, y)[0] > 150; };
    // The rows of text: more ink inside the box than its sides' outline gives a row, less than
    // its top and bottom outline have.
    std::vector<std::pair<int, int>> lines;
    for (int y = 0; y < kHeight / 2; ++y) {
        int ink = 0;
        for (int x = 12; x < kWidth / 2; ++x) {
            ink += inked(x, y) ? 1 : 0;
        }
        const bool text = ink > 3 && ink < kWidth / 4;
        // A row or two of little ink (the top of a capital) does not part a line.
        if (text && (lines.empty() || lines.back().second < y - 3)) {
            lines.push_back({y, y});
        } else if (text) {
            lines.back().second = y;
        }
    }
    ASSERT_GE(lines.size(), 2u);
    // Where a line's second column starts: the first ink after a gap wider than any between
    // two words of the keys (from inside the box's outline).
    const auto secondColumn = [&](const std::pair<int, int>& line) {
        int blank = 0;
        bool seen = false;
        for (int x = 12; x < kWidth / 2; ++x) {
            bool ink = false;
            for (int y = line.first; y <= line.second; ++y) {
                ink = ink || inked(x, y);
            }
            if (ink && seen && blank >= 8) {
                return x;
            }
            seen = seen || ink;
            blank = ink ? 0 : blank + 1;
        }
        return -1;
    };
    const int first = secondColumn(lines[0]), second = secondColumn(lines[1]);
    EXPECT_GT(first, 0);
    // Within a pixel: the glyphs' own side bearings differ ("t", "b").
    EXPECT_NEAR(first, second, 1);
}

TEST_F(Overlays, TheBoxStyleDrawsTheDataBoxInsteadOfTheAxesFigure)
{
    open(false);
    turnForTheBox();
    viewer.showAxes = 1;
    const Picture figure = frame();
    EXPECT_GT(findRegion(figure, exactly(0, 255, 0)).count, 10) << "the figure's green y axis";
    viewer.axesStyle = AxesStyle::Box;
    const Picture box = frame();
    EXPECT_EQ(findRegion(box, exactly(0, 255, 0)).count, 0) << "no figure with the box";
    const Region lines = findRegion(box, exactly(0, 0, 0));
    const Region data = findRegion(box, notColour(255, 255, 255));
    EXPECT_GT(lines.count, 300) << "edges, ticks and labels";
    // The box holds the data: its lines reach beyond the surface on every side.
    viewer.showAxes = 0;
    const Region surface = findRegion(frame(), notColour(255, 255, 255));
    EXPECT_LE(lines.minX, surface.minX);
    EXPECT_GE(lines.maxX, surface.maxX);
    EXPECT_LE(lines.minY, surface.minY);
    EXPECT_GE(lines.maxY, surface.maxY);
    EXPECT_GT(data.count, surface.count);
}

TEST_F(Overlays, AMessageShowsOnceAtTheTopForItsTimeThenGoes)
{
    open(false);
    messageClock = testClock;
    showUserMessagesOnPicture();
    const std::string told = "\nPicture saved: /tmp/hill.png\n";
    const PixelRect box = messageLayout(told, kTextSize, kWidth, kHeight, measureTypeText).box;
    // The pixels that the message changes: all on its box, the text's dark on white.
    const auto expectMessage = [&](const Picture& with, const Picture& without, const std::string& what) {
        Region changed;
        int dark = 0, middle = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const unsigned char* px = with.at(x, y);
                if (std::equal(px, px + 3, without.at(x, y))) {
                    continue;
                }
                changed.minX = changed.count == 0 ? x : std::min(changed.minX, x);
                changed.maxX = std::max(changed.maxX, x);
                changed.minY = changed.count == 0 ? y : std::min(changed.minY, y);
                changed.maxY = std::max(changed.maxY, y);
                ++changed.count;
                dark += px[0] + px[1] + px[2] < 300 ? 1 : 0;
                middle += x == kWidth / 2 ? 1 : 0;
            }
        }
        EXPECT_GT(dark, 60) << what << ": the text";
        EXPECT_GT(middle, 0) << what << ": one box across the middle";
        EXPECT_GE(changed.minX, box.x0 - 2) << what;
        EXPECT_LE(changed.maxX, box.x1 + 2) << what;
        EXPECT_GE(changed.minY, row(static_cast<int>(box.y1)) - 2) << what;
        EXPECT_LE(changed.maxY, row(static_cast<int>(box.y0)) + 2) << what;
    };

    const Picture without = frame();
    testing::internal::CaptureStdout();
    tellUser(told);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), told) << "the console line as it was";
    testNow += std::chrono::milliseconds(3900);
    expectMessage(frame(), without, "MonoView");
    testNow += std::chrono::milliseconds(100);
    EXPECT_EQ(frame().rgb, without.rgb) << "gone after its time";

    // The two eyes side by side share the window's one message.
    viewer.stereoMode = ViewMode::SideBySide;
    const Picture halves = frame();
    tellUser(told);
    expectMessage(frame(), halves, "side by side");
}

TEST_F(Overlays, InAnaglyphEachEyesLabelsTakeThatEyesColour)
{
    open(false);
    turnForTheBox();
    viewer.stereoMode = ViewMode::Anaglyph;
    viewer.showAxes = 1;
    viewer.axesStyle = AxesStyle::Box;
    // The box alone: the data's sets are not drawn, their bounds still make the box.
    dataSet.fnTrf.nx = 0;
    ++dataSet.generation;
    const Picture box = frame();
    // Its lines in the inverse of the background, in both eyes, and its labels, each eye's in
    // that eye's colour (smoothed type: its cores clearly coloured).
    const auto red = [](const unsigned char* px) { return px[0] > 200 && px[1] < 120 && px[2] < 120; };
    const auto blue = [](const unsigned char* px) { return px[2] > 200 && px[0] < 120 && px[1] < 120; };
    EXPECT_GT(findRegion(box, red).count, 60) << "the left eye's labels";
    EXPECT_GT(findRegion(box, blue).count, 60) << "the right eye's labels";
    EXPECT_GT(findRegion(box, [](const unsigned char* px) { return px[0] + px[1] + px[2] < 150; }).count, 100)
        << "the box's lines";
}

}  // namespace
