// Colour by height, by group and by the file's colours: the drawings from kept vertex arrays (assisted and plain)
// against the immediate-mode reference, the direction of the colour map, colours that blend
// across a quadrilateral and along a tube, the eye colours of Anaglyph and kept geometry that
// follows every change of the colouring.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "app/viewer_state.h"
#include "core/colors.h"
#include "core/value_colors.h"
#include "core/view_maths.h"
#include "render/gl/frame.h"
#include "render/gl/offscreen_context.h"

#include "tests/render/gl/picture_probe.h"
#include "tests/support/wave_grid.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
// Pixels that may differ between the two paths, as for the eye colours: a few along edges.
constexpr double kEdgeFraction = 0.002;

// A wavy grid of nx sets of ny points, x across the sets and z along them, with data values
// for format 2; wave 0 leaves it flat in the plane y = 0.
void loadGrid(int nx, int ny, int format, double wave = 1.0)
{
    const unsigned long generation = dataSet.generation;
    dataSet = waveGrid(nx, ny, format, wave);
    dataSet.generation = generation;
    // The raw z of the grid runs from 100 to 180: the defaults of a data set put in place
    // directly would map the cube onto itself.
    dataSet.rawMin[2] = 100.0;
    dataSet.rawMax[2] = 180.0;
    dataSet.rawScale[2] = 1.0 / 80.0;
    ++dataSet.generation;
}

void turnTo(float x, float y)
{
    viewer.angleX = x;
    viewer.angleY = y;
    buildRotation(viewer.angleX, viewer.angleY, viewer.angleZ, viewer.angleMat);
}

class ColorByValue : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string error;
        ASSERT_TRUE(openPictureContext(kWidth, kHeight, false, error)) << error;
    }
    static void TearDownTestSuite()
    {
        displayState.referenceDrawing = false;
        displayState.geometry = GeometryStore();
        displayState.geometry.clear();
        closeOffscreenContext();
    }

    void SetUp() override
    {
        resetViewerForPicture();
        viewer.showFileName = 0;
        turnTo(30.0f, 25.0f);
        displayState.referenceDrawing = false;
        displayState.drawing = DrawingPath::Assisted;
        displayState.geometry = GeometryStore();
    }

    static Picture frame(bool reference, DrawingPath drawing = DrawingPath::Assisted)
    {
        displayState.referenceDrawing = reference;
        displayState.drawing = drawing;
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glNormal3f(0.0f, 0.0f, 1.0f);
        displayViewerFrame();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        return Picture{kWidth, kHeight, readOffscreenPicture(0)};
    }

    // Pixels that differ by more than 3 in a channel.
    static int differing(const Picture& a, const Picture& b)
    {
        int count = 0;
        for (std::size_t k = 0; k + 2 < a.rgb.size(); k += 3) {
            int worst = 0;
            for (int ch = 0; ch < 3; ++ch) {
                worst = std::max(worst, std::abs(a.rgb[k + ch] - b.rgb[k + ch]));
            }
            count += worst > 3 ? 1 : 0;
        }
        return count;
    }

    // The reference, then the plain and the assisted drawing each twice (built, then drawn
    // from what was kept); returns the assisted picture.
    static Picture expectSameAsReference(const std::string& what)
    {
        const Picture reference = frame(true);
        EXPECT_GT(findRegion(reference, notColour(255, 255, 255)).count, 200) << what << ": nothing drawn";
        frame(false, DrawingPath::Plain);
        const Picture plain = frame(false, DrawingPath::Plain);
        EXPECT_LE(differing(reference, plain), kEdgeFraction * kWidth * kHeight) << what << " (plain)";
        frame(false);
        const Picture fast = frame(false);
        EXPECT_LE(differing(reference, fast), kEdgeFraction * kWidth * kHeight) << what << " (assisted)";
        return fast;
    }

    // The brightness (sum of the channels) down the picture's column x, from y0 to y1.
    static std::vector<int> column(const Picture& picture, int x, int y0, int y1)
    {
        std::vector<int> values;
        for (int y = y0; y <= y1; ++y) {
            const unsigned char* px = picture.at(x, y);
            values.push_back(px[0] + px[1] + px[2]);
        }
        return values;
    }

    // Expects the gray map to brighten steadily down the fullest column drawn left of the
    // colour bar (through a plane or along a tube): many distinct shades, none darker than
    // the one above by more than a rounding step. One colour per quadrilateral or per tube
    // would give one shade.
    static void expectSmoothGradient(const Picture& picture, const std::string& what)
    {
        int bestX = -1, bestCount = 0, y0 = 0, y1 = 0;
        for (int x = 0; x < kWidth * 2 / 3; ++x) {
            const Region drawn = findRegion(picture, notColour(255, 255, 255), x, 0, x + 1, kHeight);
            if (drawn.count > bestCount) {
                bestX = x;
                bestCount = drawn.count;
                y0 = drawn.minY + 3;
                y1 = drawn.maxY - 3;
            }
        }
        ASSERT_GT(bestCount, 60) << what;
        const std::vector<int> values = column(picture, bestX, y0, y1);
        const std::set<int> shades(values.begin(), values.end());
        EXPECT_GT(shades.size(), values.size() / 3) << what;
        for (std::size_t k = 1; k < values.size(); ++k) {
            EXPECT_GE(values[k], values[k - 1] - 3) << what << " at row " << y0 + static_cast<int>(k);
        }
        EXPECT_GT(values.back(), values.front() + 120) << what;
    }
};

TEST_F(ColorByValue, EveryDisplayTypeAndFormatLooksAsInImmediateMode)
{
    setSetting(viewer.thickness, 0.1f);
    for (ColorBy by : {ColorBy::Height, ColorBy::Group}) {
        viewer.colorBy = by;
        for (int format = 0; format < 3; ++format) {
            loadGrid(9, 11, format);
            for (int type = 0; type < 5; ++type) {
                setSetting(viewer.displayType, static_cast<DisplayType>(type));
                expectSameAsReference("by " + std::to_string(static_cast<int>(by)) + " format " +
                                      std::to_string(format) + " type " + std::to_string(type));
            }
        }
    }
}

TEST_F(ColorByValue, TheFilesOwnColoursShowByGroupAndByFileInEveryDrawing)
{
    // Each set in red, green or blue, as a scanner's file gives them point by point.
    const auto loadColoured = [](int nx, int ny) {
        loadGrid(nx, ny, 0);
        for (int i = 0; i < nx; ++i) {
            for (int j = 0; j < ny; ++j) {
                const std::uint8_t c[4] = {std::uint8_t(i % 3 == 0 ? 255 : 0), std::uint8_t(i % 3 == 1 ? 255 : 0),
                                           std::uint8_t(i % 3 == 2 ? 255 : 0), 255};
                dataSet.pointColors.insert(dataSet.pointColors.end(), c, c + 4);
            }
        }
    };
    setSetting(viewer.thickness, 0.1f);
    loadColoured(9, 11);
    setSetting(viewer.displayType, DisplayType::Filled);
    const Picture byEye = frame(false);
    EXPECT_EQ(findRegion(byEye, isGreenish).count, 0) << "the eye colours hide the file's";
    for (ColorBy by : {ColorBy::Group, ColorBy::File}) {
        viewer.colorBy = by;
        for (int type = 0; type < 5; ++type) {
            setSetting(viewer.displayType, static_cast<DisplayType>(type));
            // Tubes both ways: as pixels found on the processor and as triangles.
            const DisplayType shown = static_cast<DisplayType>(type);
            const bool tubed = shown == DisplayType::Joined || shown == DisplayType::Needled;
            for (const TubeDrawing tubes : {TubeDrawing::Pixels, TubeDrawing::Triangles}) {
                if (!tubed && tubes == TubeDrawing::Triangles) {
                    continue;  // nothing of it is tubes
                }
                displayState.tubeChoice.fix(tubes);
                const std::string what = "by " + std::to_string(static_cast<int>(by)) + " type " +
                                         std::to_string(type) + " tubes " + std::to_string(static_cast<int>(tubes));
                const Picture p = expectSameAsReference(what);
                EXPECT_GT(findRegion(p, isGreenish).count, 20) << what;
                EXPECT_GT(findRegion(p, isReddish).count, 20) << what;
            }
            displayState.tubeChoice.unfix();
        }
    }
    // Enough points for the assisted drawing to merge points of one colour: these keep theirs.
    loadColoured(200, 200);
    setSetting(viewer.displayType, DisplayType::Points);
    setSetting(viewer.thickness, 0.01f);
    EXPECT_GT(findRegion(expectSameAsReference("many points"), isGreenish).count, 500);
}

TEST_F(ColorByValue, FineSurfacesThinTubesAndManyPointsLookAsInImmediateMode)
{
    // Where the eye colours take short cuts (pixels of a fine surface, lines for thin tubes,
    // merged points), colours of their own take the plain way or follow the same rule.
    viewer.colorBy = ColorBy::Height;
    loadGrid(200, 200, 0);
    for (int type : {0, 3, 4}) {
        setSetting(viewer.displayType, static_cast<DisplayType>(type));
        setSetting(viewer.thickness, 0.01f);
        expectSameAsReference("fine, type " + std::to_string(type));
    }
    loadGrid(12, 12, 0, 0.6);
    setSetting(viewer.displayType, DisplayType::Joined);
    setSetting(viewer.thickness, 0.05f);
    expectSameAsReference("tubes a few pixels across");
    displayState.geometry = GeometryStore(4096);  // tubes generated per frame
    setSetting(viewer.displayType, DisplayType::Needled);
    expectSameAsReference("needles generated per frame");
}

TEST_F(ColorByValue, TheGrayMapBrightensTowardsHighZ)
{
    // A flat plane seen from above: z runs down the picture, so the gray map must brighten
    // from the top of the plane to its bottom, in the reference and the fast drawing.
    viewer.colorBy = ColorBy::Height;
    viewer.colorMap = ColorMap::Gray;
    loadGrid(20, 20, 1, 0.0);
    setSetting(viewer.displayType, DisplayType::Filled);
    turnTo(90.0f, 0.0f);
    const Picture picture = expectSameAsReference("gray plane");
    // The plane, left of the colour bar.
    const Region plane = findRegion(picture, notColour(255, 255, 255), 0, 0, kWidth * 2 / 3);
    ASSERT_GT(plane.count, 5000);
    const auto brightness = [&](int y) {
        const unsigned char* px = picture.at(static_cast<int>(plane.centreX), y);
        return px[0] + px[1] + px[2];
    };
    const int top = brightness(plane.minY + 3), middle = brightness(static_cast<int>(plane.centreY)),
              bottom = brightness(plane.maxY - 3);
    EXPECT_LT(top + 60, middle) << top << " " << middle << " " << bottom;
    EXPECT_LT(middle + 60, bottom) << top << " " << middle << " " << bottom;

    // A fixed range above all the data's z values puts the whole plane at the dark end.
    viewer.colorRange[0] = 500.0f;
    viewer.colorRange[1] = 600.0f;
    const Picture dark = expectSameAsReference("range above the data");
    const unsigned char* low = dark.at(static_cast<int>(plane.centreX), plane.maxY - 3);
    EXPECT_LT(low[0] + low[1] + low[2], top + 30);
}

TEST_F(ColorByValue, HeightBlendsAcrossAQuadrilateralAndAlongATube)
{
    // One quadrilateral of a flat plane seen from above, its z running down the picture from
    // the low end of the range to the high end, and two tubes lying along z: the gray map
    // must run smoothly across each in every format and every drawing.
    viewer.colorBy = ColorBy::Height;
    viewer.colorMap = ColorMap::Gray;
    turnTo(90.0f, 0.0f);
    const auto expectEveryDrawing = [&](const std::string& what) {
        expectSmoothGradient(frame(true), what + " (reference)");
        frame(false, DrawingPath::Plain);
        expectSmoothGradient(frame(false, DrawingPath::Plain), what + " (plain)");
        frame(false);
        expectSmoothGradient(frame(false), what + " (assisted)");
        expectSameAsReference(what);
    };
    for (int format = 0; format < 3; ++format) {
        loadGrid(2, 2, format, 0.0);
        for (DisplayType type : {DisplayType::Filled, DisplayType::Joined}) {
            setSetting(viewer.displayType, type);
            setSetting(viewer.thickness, 0.3f);
            expectEveryDrawing("format " + std::to_string(format) + " type " + std::to_string(static_cast<int>(type)));
        }
    }
    // Needles stand up towards the eye; their floor tubes run along z.
    loadGrid(2, 6, 0, 0.0);
    setSetting(viewer.displayType, DisplayType::Needled);
    expectEveryDrawing("needles");
}

TEST_F(ColorByValue, AnaglyphKeepsTheEyeColoursAndGroupsColourEachSet)
{
    loadGrid(9, 11, 0);
    setSetting(viewer.displayType, DisplayType::Filled);
    viewer.stereoMode = ViewMode::Anaglyph;
    const Picture eyes = frame(false);
    viewer.colorBy = ColorBy::Height;
    EXPECT_EQ(frame(false).rgb, eyes.rgb) << "the two-material Anaglyph shows only its eye colours";
    viewer.colorBy = ColorBy::Group;
    EXPECT_EQ(frame(false).rgb, eyes.rgb);

    // MonoView by group: the sets take the data colours 0 to 7, red, green and blue among them
    // (the surface turned so that the side its normals leave, -y, faces the eye and the lights).
    viewer.stereoMode = ViewMode::Mono;
    turnTo(-30.0f, 25.0f);
    loadGrid(9, 11, 1);
    const Picture groups = expectSameAsReference("sets by group");
    EXPECT_GT(findRegion(groups, isReddish).count, 100);
    EXPECT_GT(findRegion(groups, isGreenish).count, 100);
    EXPECT_GT(findRegion(groups, isBluish).count, 100);
}

TEST_F(ColorByValue, GroupsPastTheNamedColoursTakeThePaletteUnlessGivenAColour)
{
    // 50 sets of points seen from below (where both lights reach the points' normal), one
    // column of points a set, coloured by group: every set from the eleventh on has a data
    // colour that the table leaves black.
    loadGrid(50, 6, 0, 0.0);
    setSetting(viewer.displayType, DisplayType::Points);
    setSetting(viewer.thickness, 0.03f);
    viewer.colorBy = ColorBy::Group;
    turnTo(-90.0f, 0.0f);
    viewer.scale = 2.5f;  // the columns of points apart
    const auto colours = [](const Picture& p) {
        std::map<std::array<unsigned char, 3>, int> counts;
        for (std::size_t k = 0; k + 2 < p.rgb.size(); k += 3) {
            if (!(p.rgb[k] == 255 && p.rgb[k + 1] == 255 && p.rgb[k + 2] == 255)) {
                ++counts[{p.rgb[k], p.rgb[k + 1], p.rgb[k + 2]}];
            }
        }
        return counts;
    };
    const auto commonest = [](const std::map<std::array<unsigned char, 3>, int>& counts) {
        return std::max_element(counts.begin(), counts.end(),
                                [](const auto& a, const auto& b) { return a.second < b.second; });
    };
    // Group 9's named "black" is a colour given: here it is another.
    giveDataColor(viewer.dataColors[9], 0.5f, 0.2f, 0.8f);
    const auto palette = colours(expectSameAsReference("groups by the palette"));

    // The same with every colour given as the table has it: the table's black of the 40
    // groups from 10 on, all in one material.
    for (DataColor& c : viewer.dataColors) {
        c.given = 1;
    }
    const auto table = colours(frame(false));
    const auto black = commonest(table);
    ASSERT_GT(black->second, 500) << "the black material colours most of the points";
    const auto blackIn = [&](const std::map<std::array<unsigned char, 3>, int>& counts) {
        const auto found = counts.find(black->first);
        return found == counts.end() ? 0 : found->second;
    };
    EXPECT_EQ(blackIn(palette), 0) << "no point in the black material";

    EXPECT_GE(palette.size(), 25u) << "ten given colours and the palette's twenty";

    // Given under "Colors" (or by an option or a view), a group's colour wins.
    for (int g = 10; g < kDataColorCount; ++g) {
        viewer.dataColors[g].given = 0;
    }
    giveDataColor(viewer.dataColors[30], 0.0f, 0.0f, 0.0f);
    const int withGroup30 = blackIn(colours(expectSameAsReference("group 30 given black")));
    EXPECT_GT(withGroup30, 10);
    EXPECT_LT(withGroup30, black->second / 20);
}

TEST_F(ColorByValue, KeptGeometryFollowsTheColouring)
{
    loadGrid(8, 10, 0);
    setSetting(viewer.displayType, DisplayType::Joined);
    setSetting(viewer.thickness, 0.12f);
    frame(false);
    unsigned long builds = displayState.geometry.buildCount();
    const auto expectBuilds = [&](const std::string& what, bool rebuilds) {
        frame(false);
        EXPECT_EQ(displayState.geometry.buildCount(), builds + (rebuilds ? 1 : 0)) << what;
        builds = displayState.geometry.buildCount();
        expectSameAsReference(what);
        builds = displayState.geometry.buildCount();
    };
    viewer.colorBy = ColorBy::Height;
    expectBuilds("colour by height", true);
    viewer.colorMap = ColorMap::Coolwarm;
    expectBuilds("another colour map: the vertices' colours are made again", true);
    viewer.colorRange[0] = 120.0f;
    viewer.colorRange[1] = 130.0f;
    expectBuilds("a fixed range", true);
    viewer.stereoMode = ViewMode::Anaglyph;
    expectBuilds("Anaglyph shows the eye colours", true);
    viewer.stereoMode = ViewMode::Stereo;
    expectBuilds("StereoView shows the colours again", true);
    viewer.colorBy = ColorBy::Group;
    expectBuilds("colour by group", true);
}

}  // namespace
