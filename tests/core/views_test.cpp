// Saved views as text, preset views, colour slots of heights and the raw units a data set
// keeps for its ticks and colour bar.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/colors.h"
#include "core/data_set.h"
#include "core/settings_table.h"
#include "core/value_colors.h"
#include "core/view_file.h"
#include "core/view_maths.h"
#include "core/view_presets.h"

namespace {

const SettingRow& rowNamed(const std::string& name)
{
    for (const SettingRow& row : settingRows()) {
        if (name == row.name) {
            return row;
        }
    }
    throw std::runtime_error("no row " + name);
}

bool sameRow(const Settings& a, const Settings& b, const SettingRow& row)
{
    return std::memcmp(bytesOf(a, row), bytesOf(b, row), sizeOf(row)) == 0;
}

// A view far from the defaults in every row it holds.
Settings unusualView()
{
    Settings s;
    fillDataColors(s.dataColors);
    s.dataFormat = DataFormat::Maple;
    s.axis_data = AxisScaling::Uniform;
    s.displayType = DisplayType::Filled;
    s.stereoMode = ViewMode::TopBottom;
    s.swapEyes = 1;
    s.squeezeEyes = 1;
    s.anaglyphMethod = AnaglyphMethod::Gray;
    s.desaturation = 0.25f;
    s.focalLength = 33.3f;
    s.focalRatio = 17.0f;
    s.eyeSeparation = 1.0f / 3.0f;
    s.scale = -0.7f;
    s.thickness = 0.123456789f;
    s.segments = 17;
    s.angleX = 12.5f;
    s.angleY = -370.25f;
    s.angleZ = 1e-7f;
    s.objTrans[0] = 0.1f;
    s.objTrans[2] = -4.0f;
    const float turn[16] = {0.6f, 0.8f, 0, 0, -0.8f, 0.6f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::memcpy(s.rotateMat, turn, sizeof turn);
    s.lightRotateMat[5] = -1.0f;
    s.bgColor[1] = 0.2f;
    s.leftColor[2] = 0.5f;
    s.rightColor[0] = 0.3f;
    giveDataColor(s.dataColors[3], 0.0f, 0.25f, 1.0f);
    giveDataColor(s.dataColors[42], 1.0f, 0.0f, 0.0f);
    s.colorBy = ColorBy::Height;
    s.colorMap = ColorMap::Coolwarm;
    s.colorRange[0] = -2.5f;
    s.colorRange[1] = 1e6f;
    s.showAxes = 1;
    s.axesStyle = AxesStyle::Box;
    s.showFileName = 0;
    s.textSize = 1.75f;
    return s;
}

}  // namespace

TEST(ViewText, EveryRowOfAViewReadsBackToTheSameBytes)
{
    const Settings saved = unusualView();
    const std::string text = viewText(saved);
    Settings read;
    fillDataColors(read.dataColors);
    std::string error;
    ASSERT_TRUE(applyViewText(text, read, error)) << error << "\n" << text;
    for (const std::string& name : viewRowNames()) {
        EXPECT_TRUE(sameRow(saved, read, rowNamed(name))) << name << "\n" << text;
    }
    float turn[16];
    buildRotation(saved.angleX, saved.angleY, saved.angleZ, turn);
    EXPECT_EQ(std::memcmp(read.angleMat, turn, sizeof turn), 0) << "the turn follows the angles read";
    // Only the data colours that differ from the panel's are written.
    EXPECT_NE(text.find("dataColors = 3=0,0.25,1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("dataColors = 42=1,0,0\n"), std::string::npos) << text;
    std::size_t lines = 0;
    for (std::size_t at = text.find("dataColors"); at != std::string::npos; at = text.find("dataColors", at + 1)) {
        ++lines;
    }
    EXPECT_EQ(lines, 2u);
    EXPECT_NE(text.find("stereoMode = top-bottom\n"), std::string::npos) << "choices by their option's word";
    EXPECT_NE(text.find("colorMap = coolwarm\n"), std::string::npos);
}

TEST(ViewText, SettingsOutsideAViewAreNeitherWrittenNorTakenAndCommentsAreSkipped)
{
    Settings s;
    s.debugPrint = 1;
    s.light1Intensity = 0.25f;
    const std::string text = viewText(s);
    EXPECT_EQ(text.find("debugPrint"), std::string::npos);
    EXPECT_EQ(text.find("light1Intensity"), std::string::npos);

    Settings read;
    std::string error;
    ASSERT_TRUE(applyViewText("# a comment\n\n  thickness =  0.5  \r\nsegments=4\nthickness = 0.25\n", read, error))
        << error;
    EXPECT_EQ(read.thickness, 0.25f) << "the last of a repeated name counts";
    EXPECT_EQ(read.segments, 4);
    EXPECT_EQ(read.scale, 1.0f) << "rows that are not given stay";
}

TEST(ViewText, ABadLineIsRefusedWithItsNumberAndChangesNothing)
{
    struct Case {
        std::string text;
        std::string said;
    };
    const std::vector<Case> cases = {
        {"scale = 2\nthickness 0.5\n", "line 2: expected name = value"},
        {"scale = 2\n\n# note\nwidth = 3\n", "line 4: no setting is called 'width'"},
        {"debugPrint = 1\n", "line 1: 'debugPrint' is not part of a view"},
        {"scale = 2\nsegments = 61\n", "line 2: bad value for segments: '61' (3 to 60)"},
        {"thickness = 0.1x\n", "line 1: bad value for thickness"},
        {"displayType = lines\n", "(points, joined, needled, grid or filled)"},
        {"bgColor = 1,1,1\n", "line 1: bad value for bgColor"},
        {"bgColor = 1,1,1,2\n", "line 1: bad value for bgColor"},
        {"angles = 1,2,3,4\n", "line 1: bad value for angles"},
        {"rotateMat = 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0\n", "16 numbers"},
        {"rotateMat = 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,7\n", "line 1: bad value for rotateMat"},
        {"dataColors = 50=1,0,0\n", "VALUE 0 to 49"},
        {"showAxes = 2\n", "(0 or 1)"},
        {"scale = nan\n", "line 1: bad value for scale"},
        {"colorRange = 1e39,2\n", "line 1: bad value for colorRange"},
    };
    for (const Case& c : cases) {
        Settings s;
        const Settings before = s;
        std::string error;
        EXPECT_FALSE(applyViewText(c.text, s, error)) << c.text;
        EXPECT_NE(error.find(c.said), std::string::npos) << c.text << " said: " << error;
        EXPECT_EQ(s.scale, before.scale) << c.text << ": a refused file changes nothing";
        EXPECT_EQ(s.thickness, before.thickness) << c.text;
    }
}

TEST(PresetViews, EachPresetTurnsTheNamedSideTowardsTheEye)
{
    // Where the turn takes a unit axis: column a of angleMat.
    const auto towardsEye = [](const Settings& s, int axis) { return s.angleMat[axis * 4 + 2]; };
    const auto upward = [](const Settings& s, int axis) { return s.angleMat[axis * 4 + 1]; };
    Settings s;
    s.rotateMat[1] = 0.5f;  // a trackball turned earlier
    s.objTrans[0] = 2.0f;
    s.scale = 3.0f;

    applyPresetView(s, PresetView::Front);
    for (int k = 0; k < 16; ++k) {
        EXPECT_NEAR(s.angleMat[k], k % 5 == 0 ? 1.0f : 0.0f, 1e-6f) << k;
        EXPECT_EQ(s.rotateMat[k], k % 5 == 0 ? 1.0f : 0.0f) << "the trackball is at rest";
    }
    EXPECT_EQ(s.objTrans[0], 2.0f) << "a preset keeps the shift";
    EXPECT_EQ(s.scale, 3.0f) << "and the scale";

    applyPresetView(s, PresetView::Top);
    EXPECT_NEAR(towardsEye(s, 1), 1.0f, 1e-6f) << "+y faces the eye from above";
    EXPECT_NEAR(upward(s, 2), -1.0f, 1e-6f) << "-z points up the picture";

    applyPresetView(s, PresetView::Side);
    EXPECT_NEAR(towardsEye(s, 0), 1.0f, 1e-6f) << "+x faces the eye";
    EXPECT_NEAR(upward(s, 1), 1.0f, 1e-6f) << "y stays up";

    applyPresetView(s, PresetView::ThreeQuarter);
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_GT(towardsEye(s, axis), 0.2f) << "three sides are seen, axis " << axis;
    }
    EXPECT_GT(upward(s, 1), 0.5f) << "y still points mostly up";
    EXPECT_EQ(s.angleX, presetAngles(PresetView::ThreeQuarter).x);
}

TEST(PresetViews, FittingPutsBackTurnShiftAndScaleOnly)
{
    Settings s;
    s.angleY = 40.0f;
    buildRotation(s.angleX, s.angleY, s.angleZ, s.angleMat);
    s.rotateMat[2] = 0.3f;
    s.objTrans[1] = -1.5f;
    s.scale = 0.25f;
    s.thickness = 0.5f;
    s.eyeSeparation = 3.0f;
    s.bgColor[0] = 0.0f;
    s.colorBy = ColorBy::Height;
    fitView(s, 1.0f);
    const Settings defaults;
    for (int k = 0; k < 16; ++k) {
        EXPECT_EQ(s.angleMat[k], defaults.angleMat[k]) << k;
    }
    EXPECT_EQ(std::memcmp(s.rotateMat, defaults.rotateMat, sizeof s.rotateMat), 0);
    EXPECT_EQ(s.objTrans[1], 0.0f);
    EXPECT_EQ(s.scale, 1.0f);
    EXPECT_EQ(s.thickness, 0.5f);
    EXPECT_EQ(s.eyeSeparation, 3.0f);
    EXPECT_EQ(s.bgColor[0], 0.0f);
    EXPECT_EQ(s.colorBy, ColorBy::Height);
}

TEST(HeightColours, TheEndsAndMiddleOfTheRangeTakeTheEndsAndMiddleOfThePalette)
{
    DataSet data;  // drawn z equals raw z
    Settings s;
    s.colorBy = ColorBy::Height;
    s.colorRange[0] = -2.0f;
    s.colorRange[1] = 2.0f;
    ValueColoring c = valueColoringFor(s, data);
    EXPECT_EQ(heightSlot(c, -2.0), kPaletteFirst);
    EXPECT_EQ(heightSlot(c, 2.0), kColorSlots - 1);
    EXPECT_EQ(heightSlot(c, 0.0), kPaletteFirst + (kPaletteSize - 1) / 2);
    EXPECT_EQ(heightSlot(c, -100.0), kPaletteFirst) << "beyond the range: clamped";
    EXPECT_EQ(heightSlot(c, 100.0), kColorSlots - 1);
    EXPECT_EQ(heightSlot(c, std::nan("")), kPaletteFirst);

    s.colorRange[0] = 2.0f;  // a reversed range runs the other way
    s.colorRange[1] = -2.0f;
    c = valueColoringFor(s, data);
    EXPECT_EQ(heightSlot(c, 2.0), kPaletteFirst);
    EXPECT_EQ(heightSlot(c, -2.0), kColorSlots - 1);

    // The palette's ends are the colour map's ends.
    for (ColorMap map : {ColorMap::Viridis, ColorMap::Gray, ColorMap::Coolwarm}) {
        EXPECT_EQ(toBytes(paletteColor(map, kPaletteFirst)), toBytes(colorAt(map, 0.0)));
        EXPECT_EQ(toBytes(paletteColor(map, kColorSlots - 1)), toBytes(colorAt(map, 1.0)));
    }
    EXPECT_EQ(toBytes(paletteColor(ColorMap::Gray, kPaletteFirst + (kPaletteSize - 1) / 2)),
              (std::array<unsigned char, 3>{128, 128, 128}));
}

TEST(HeightColours, EqualEndsTakeTheDataRangeAndAnaglyphKeepsTheEyeColours)
{
    DataSet data;
    Bounds raw;
    resetBounds(raw);
    data.coordArray = {{0, 0, 100}, {1, 1, 300}, {2, 3, 200}};
    for (const Point3d& p : data.coordArray) {
        includeInBounds(raw, p);
    }
    normaliseDataSet(data, data.coordArray.size(), raw, AxisScaling::Individual);
    Settings s;
    s.colorBy = ColorBy::Height;
    const ColorRange range = colorBarRange(s, data);
    EXPECT_EQ(range.lo, 100.0);
    EXPECT_EQ(range.hi, 300.0);
    EXPECT_FALSE(range.fromUser);
    const ValueColoring c = valueColoringFor(s, data);
    EXPECT_EQ(heightSlot(c, data.coordArray[0].z), kPaletteFirst);
    EXPECT_EQ(heightSlot(c, data.coordArray[1].z), kColorSlots - 1);
    EXPECT_EQ(heightSlot(c, data.coordArray[2].z), kPaletteFirst + (kPaletteSize - 1) / 2);

    s.colorRange[0] = s.colorRange[1] = 7.0f;
    EXPECT_EQ(colorBarRange(s, data).hi, 300.0) << "equal ends: the data's range";
    s.colorRange[1] = 8.0f;
    EXPECT_TRUE(colorBarRange(s, data).fromUser);

    for (ViewMode mode : {ViewMode::Mono, ViewMode::Stereo}) {
        s.stereoMode = mode;
        EXPECT_EQ(valueColoringFor(s, data).by, ColorBy::Height);
    }
    s.stereoMode = ViewMode::Anaglyph;
    EXPECT_EQ(valueColoringFor(s, data).by, ColorBy::Eye);
    s.colorBy = ColorBy::Group;
    EXPECT_EQ(valueColoringFor(s, data).by, ColorBy::Eye);
}

TEST(RawUnits, TheDataSetKeepsHowEachAxisWasPlaced)
{
    DataSet data;
    Bounds raw;
    resetBounds(raw);
    data.coordArray = {{-1, 10, 0.5}, {3, 30, 0.75}};
    for (const Point3d& p : data.coordArray) {
        includeInBounds(raw, p);
    }
    const std::vector<Point3d> rawPoints = data.coordArray;
    for (AxisScaling scaling : {AxisScaling::Individual, AxisScaling::Uniform}) {
        data.coordArray = rawPoints;
        normaliseDataSet(data, data.coordArray.size(), raw, scaling);
        EXPECT_EQ(data.rawMin[0], -1.0);
        EXPECT_EQ(data.rawMax[1], 30.0);
        EXPECT_EQ(data.rawMax[2], 0.75);
        for (std::size_t k = 0; k < rawPoints.size(); ++k) {
            const double drawn[3] = {data.coordArray[k].x, data.coordArray[k].y, data.coordArray[k].z};
            const double given[3] = {rawPoints[k].x, rawPoints[k].y, rawPoints[k].z};
            for (int a = 0; a < 3; ++a) {
                EXPECT_NEAR(cubeToRaw(drawn[a], rawAxis(data, a)), given[a], 1e-6 * (1 + std::fabs(given[a])))
                    << "axis " << a;
            }
        }
    }
    EXPECT_NEAR(data.rawScale[0], 1.0 / 20.0, 1e-9) << "uniform: every axis by the smallest scale";
}

TEST(HeightColours, TheColourBarsEndsAreLabelledInTheDataUnits)
{
    const auto labels = [](double lo, double hi) {
        const ColorRange range{lo, hi, false};
        return colorBarLabel(lo, range) + " " + colorBarLabel(hi, range);
    };
    EXPECT_EQ(labels(0.0, 1.0), "0 1");
    EXPECT_EQ(labels(-0.3469, 0.9876), "-0.35 0.99");
    EXPECT_EQ(labels(100.0, 180.0), "100 180");
    EXPECT_EQ(labels(2.0, -1.0), "2 -1") << "a reversed bar";
    EXPECT_EQ(labels(1e-9, 3e-9), "1e-9 3e-9");
    EXPECT_EQ(labels(1234567.0, 1234987.0), "1234567 1234987");
}
