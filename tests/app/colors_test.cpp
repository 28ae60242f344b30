// Applying the working colour to its six targets, and the initial data colours.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <iterator>

#include "app/viewer_state.h"
#include "core/colors.h"
#include "app/control_actions.h"
#include "tests/panel/panel_window.h"

namespace {

void expectRgb(const float* c, float r, float g, float b)
{
    EXPECT_FLOAT_EQ(c[0], r);
    EXPECT_FLOAT_EQ(c[1], g);
    EXPECT_FLOAT_EQ(c[2], b);
}

void expectSpinners(float r, float g, float b)
{
    EXPECT_FLOAT_EQ(viewer.redSpinner->get_float_val(), r);
    EXPECT_FLOAT_EQ(viewer.greenSpinner->get_float_val(), g);
    EXPECT_FLOAT_EQ(viewer.blueSpinner->get_float_val(), b);
    const float working[3] = {viewer.colorRed, viewer.colorGreen, viewer.colorBlue};
    expectRgb(working, r, g, b);
}

// The user picks a name, a target, and presses "Apply Color Settings".
void applyNamed(int name, int target)
{
    viewer.colorNameList->user_choose(name);
    viewer.applyColorRadio->user_choose(target);
    controlAction(503);
}

}  // namespace

TEST(DataColors, StartFromTheNamedRowsAndLeaveTheFourthFloat)
{
    for (DataColor& c : viewer.dataColors)
        c = {0.5f, 0.5f, 0.5f, 0.25f};
    fillDataColors(viewer.dataColors);

    const float expected[11][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 1, 1},
                                   {1, 0, 1}, {1, 1, 0}, {0.7f, 0.4f, 0.7f}, {0.9f, 0.4f, 0.1f},
                                   {1, 1, 1}, {0, 0, 0}, {0, 0, 0}};
    for (int i = 0; i < kDataColorCount; ++i) {
        const DataColor& c = viewer.dataColors[i];
        const float* e = i < 11 ? expected[i] : expected[10];
        EXPECT_FLOAT_EQ(c.r, e[0]) << "data value " << i;
        EXPECT_FLOAT_EQ(c.g, e[1]) << "data value " << i;
        EXPECT_FLOAT_EQ(c.b, e[2]) << "data value " << i;
        EXPECT_FLOAT_EQ(c.a, 0.25f) << "data value " << i;
    }
    EXPECT_STREQ(namedColorTable.colorNames[0], "custom");
    EXPECT_STREQ(namedColorTable.colorNames[7], "purple");
    EXPECT_STREQ(namedColorTable.colorNames[10], "black");
}

using ColorApply = PanelWindowTest;

TEST_F(ColorApply, NamedColourOnBackgroundMovesTheSpinners)
{
    buildPanel();
    viewer.bgColor[3] = 0.5f;
    applyNamed(1, 0);  // "red" on "Background"
    expectSpinners(1.0f, 0.0f, 0.0f);
    expectRgb(viewer.bgColor, 1.0f, 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(viewer.bgColor[3], 0.5f);
}

TEST_F(ColorApply, CustomTakesTheSpinnersAsTheyStand)
{
    buildPanel();
    viewer.redSpinner->user_set_float(0.2f);
    viewer.greenSpinner->user_set_float(0.3f);
    viewer.blueSpinner->user_set_float(0.4f);
    applyNamed(0, 1);  // "custom" on "Left"
    expectSpinners(0.2f, 0.3f, 0.4f);
    expectRgb(viewer.leftColor, 0.2f, 0.3f, 0.4f);
    EXPECT_FLOAT_EQ(viewer.leftColor[3], 1.0f);
}

TEST_F(ColorApply, ANamedColourOverridesTypedValues)
{
    buildPanel();
    viewer.colorNameList->user_choose(9);  // "white"
    viewer.redSpinner->user_set_float(0.2f);
    viewer.greenSpinner->user_set_float(0.3f);
    viewer.blueSpinner->user_set_float(0.4f);
    viewer.applyColorRadio->user_choose(2);  // "Right"
    controlAction(503);
    expectSpinners(1.0f, 1.0f, 1.0f);
    expectRgb(viewer.rightColor, 1.0f, 1.0f, 1.0f);
}

TEST_F(ColorApply, DataColorChangesOnlyTheChosenValue)
{
    buildPanel();
    DataColor before[kDataColorCount];
    std::copy(std::begin(viewer.dataColors), std::end(viewer.dataColors), before);
    viewer.dataValueList->user_choose(3);
    applyNamed(7, 5);  // "purple" on "Data Color"
    EXPECT_EQ(viewer.curDataValue, 3);
    for (int i = 0; i < kDataColorCount; ++i) {
        const DataColor& c = viewer.dataColors[i];
        const DataColor& e = i == 3 ? DataColor{0.7f, 0.4f, 0.7f, before[3].a} : before[i];
        EXPECT_FLOAT_EQ(c.r, e.r) << i;
        EXPECT_FLOAT_EQ(c.g, e.g) << i;
        EXPECT_FLOAT_EQ(c.b, e.b) << i;
        EXPECT_FLOAT_EQ(c.a, e.a) << i;
    }
}

TEST_F(ColorApply, EveryTargetIsWhiteRightAfterStartUp)
{
    buildPanel();
    float* targets[] = {viewer.bgColor, viewer.leftColor, viewer.rightColor, viewer.light1Diffuse,
                        viewer.light2Diffuse};
    for (int target = 0; target < 5; ++target) {
        applyNamed(0, target);
        expectRgb(targets[target], 1.0f, 1.0f, 1.0f);
    }
    viewer.dataValueList->user_choose(0);
    applyNamed(0, 5);
    const DataColor& c = viewer.dataColors[0];
    EXPECT_FLOAT_EQ(c.r, 1.0f);
    EXPECT_FLOAT_EQ(c.g, 1.0f);
    EXPECT_FLOAT_EQ(c.b, 1.0f);
}

TEST_F(ColorApply, ALightShowsItsNewColourOnlyWhenItsIntensityMoves)
{
    buildPanel();
    applyNamed(1, 4);  // "red" on "Light 2"
    expectRgb(viewer.light2Diffuse, 1.0f, 0.0f, 0.0f);

    float shown[4];
    lightDiffuse(GL_LIGHT1, shown);
    expectRgb(shown, 0.9f, 0.6f, 0.0f);

    viewer.light2IntensitySpinner->user_set_float(0.5f);
    lightDiffuse(GL_LIGHT1, shown);
    expectRgb(shown, 0.5f, 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(shown[3], 1.0f);
}

TEST_F(ColorApply, AnUnknownTargetChangesNothing)
{
    buildPanel();
    viewer.applyColorTo = static_cast<ColorTarget>(6);
    viewer.colorName = 1;
    const ViewerState before = viewer;
    applyColorSettings();
    expectRgb(viewer.bgColor, before.bgColor[0], before.bgColor[1], before.bgColor[2]);
    expectRgb(viewer.light2Diffuse, before.light2Diffuse[0], before.light2Diffuse[1],
              before.light2Diffuse[2]);
    EXPECT_EQ(viewer.curDataValue, before.curDataValue);
}
