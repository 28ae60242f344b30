// What each control id does to the settings, to OpenGL's lights, to the panel and to
// the file list, driven through the controls as a user would.
#include <gtest/gtest.h>

#include <GL/freeglut.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "app/file_list.h"
#include "app/navigation.h"
#include "app/viewer_state.h"
#include "io/platform_dirs.h"
#include "app/control_actions.h"
#include "tests/panel/panel_window.h"

namespace {

std::string printed(const std::function<void()>& action)
{
    testing::internal::CaptureStdout();
    action();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

void expectLinkFinite()
{
    EXPECT_TRUE(std::isfinite(viewer.eyeSeparation)) << viewer.eyeSeparation;
    EXPECT_TRUE(std::isfinite(viewer.focalRatio)) << viewer.focalRatio;
    EXPECT_GT(viewer.focalRatio, 0.0f);
}

void setFocal(float value)
{
    viewer.focalLength = value;
    controlAction(601);
    expectLinkFinite();
}

void setEye(float value)
{
    viewer.eyeSeparation = value;
    controlAction(602);
    expectLinkFinite();
}

// What the fake folder chooser answers; empty means the user cancelled.
std::string chooserAnswer;

bool fakeChooser(const char* title, std::string& path)
{
    EXPECT_STREQ(title, "Select Directory");
    path = chooserAnswer;
    return !chooserAnswer.empty();
}

}  // namespace

TEST(FocalLink, EyeSeparationFollowsTheFocalLength)
{
    viewer = ViewerState{};
    EXPECT_FLOAT_EQ(viewer.eyeSeparation, 2.0f);
    resetView();
    EXPECT_FLOAT_EQ(viewer.eyeSeparation, 1.0f);
    setFocal(40.0f);
    EXPECT_FLOAT_EQ(viewer.eyeSeparation, 2.0f);
    setEye(4.0f);
    EXPECT_FLOAT_EQ(viewer.focalRatio, 10.0f);
    EXPECT_FLOAT_EQ(viewer.focalLength, 40.0f);
    setFocal(20.0f);
    EXPECT_FLOAT_EQ(viewer.eyeSeparation, 2.0f);
}

TEST(FocalLink, ZerosNeverMakeNanOrInfinity)
{
    viewer = ViewerState{};
    setEye(0.0f);  // an infinite ratio: the last finite one stays
    EXPECT_FLOAT_EQ(viewer.focalRatio, 20.0f);
    setFocal(100.0f);  // and the eye separation stays 0
    EXPECT_EQ(viewer.eyeSeparation, 0.0f);
    setFocal(0.0f);
    setEye(0.0f);  // 0 / 0
    EXPECT_EQ(viewer.eyeSeparation, 0.0f);
    EXPECT_FLOAT_EQ(viewer.focalRatio, 20.0f);
    setEye(5.0f);  // a ratio of 0 would make the next focal length infinite
    EXPECT_FLOAT_EQ(viewer.focalRatio, 20.0f);
    setFocal(60.0f);
    EXPECT_FLOAT_EQ(viewer.eyeSeparation, 3.0f);
    setEye(6.0f);
    EXPECT_FLOAT_EQ(viewer.focalRatio, 10.0f);
}

using ControlActions = PanelWindowTest;

TEST_F(ControlActions, LightSwitchesFollowTheirCheckBoxes)
{
    buildPanel();
    GLUI_Control* root = viewer.controlWindow->main_panel();
    const GLenum lights[] = {GL_LIGHT0, GL_LIGHT1};
    const char* panels[] = {"Light 1", "Light 2"};
    int* fields[] = {&viewer.light1Enabled, &viewer.light2Enabled};
    GLUI_Spinner* spinners[] = {viewer.light1IntensitySpinner, viewer.light2IntensitySpinner};

    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(panels[i]);
        GLUI_Control* panel = findControl(root, GLUI_Kind::Panel, panels[i]);
        auto box = static_cast<GLUI_Checkbox*>(findControl(panel, GLUI_Kind::Checkbox, "Enabled"));
        ASSERT_NE(box, nullptr);
        box->user_toggle();
        EXPECT_EQ(*fields[i], 0);
        EXPECT_FALSE(glIsEnabled(lights[i]));
        EXPECT_TRUE(glIsEnabled(lights[1 - i]));
        EXPECT_FALSE(spinners[i]->is_enabled());
        box->user_toggle();
        EXPECT_EQ(*fields[i], 1);
        EXPECT_TRUE(glIsEnabled(lights[i]));
        EXPECT_TRUE(spinners[i]->is_enabled());
    }
}

TEST_F(ControlActions, IntensityScalesTheStoredDiffuseColour)
{
    buildPanel();
    float shown[4];
    viewer.light1IntensitySpinner->user_set_float(0.0f);
    lightDiffuse(GL_LIGHT0, shown);
    EXPECT_FLOAT_EQ(shown[0] + shown[1] + shown[2], 0.0f);
    EXPECT_FLOAT_EQ(shown[3], 1.0f);
    EXPECT_FLOAT_EQ(viewer.light1Diffuse[2], 1.0f);

    viewer.light1IntensitySpinner->user_set_float(0.5f);
    lightDiffuse(GL_LIGHT0, shown);
    EXPECT_FLOAT_EQ(shown[0], 0.3f);
    EXPECT_FLOAT_EQ(shown[1], 0.3f);
    EXPECT_FLOAT_EQ(shown[2], 0.5f);

    viewer.light2Diffuse[3] = 0.75f;
    viewer.light2IntensitySpinner->user_set_float(2.0f);  // clamped to 1
    lightDiffuse(GL_LIGHT1, shown);
    EXPECT_FLOAT_EQ(shown[0], 0.9f);
    EXPECT_FLOAT_EQ(shown[1], 0.6f);
    EXPECT_FLOAT_EQ(shown[2], 0.0f);
    EXPECT_FLOAT_EQ(shown[3], 0.75f);
    float light1[4];
    lightDiffuse(GL_LIGHT0, light1);
    EXPECT_FLOAT_EQ(light1[2], 0.5f);
}

TEST_F(ControlActions, MovementWindowAndResetView)
{
    buildPanel();
    GLUI_Control* root = viewer.controlWindow->main_panel();
    auto box = static_cast<GLUI_Checkbox*>(
        findControl(root, GLUI_Kind::Checkbox, "Show movement controls"));
    box->user_toggle();
    EXPECT_FALSE(viewer.movementWindow->is_visible());
    box->user_toggle();
    EXPECT_TRUE(viewer.movementWindow->is_visible());

    viewer.focalLengthSpinner->user_set_float(60.0f);
    EXPECT_FLOAT_EQ(viewer.eyeSeparation, 3.0f);
    viewer.rotateMat[1] = 0.5f;
    viewer.objTrans[0] = 3.0f;
    static_cast<GLUI_Button*>(findControl(root, GLUI_Kind::Button, "Reset View"))->user_press();
    EXPECT_FLOAT_EQ(viewer.eyeSeparation, 1.0f);
    EXPECT_FLOAT_EQ(viewer.focalLength, 20.0f);
    EXPECT_FLOAT_EQ(viewer.rotateMat[1], 0.0f);
    EXPECT_FLOAT_EQ(viewer.objTrans[0], 0.0f);
    viewer.eyeSepSpinner->user_set_float(0.0f);
    viewer.focalLengthSpinner->user_set_float(0.0f);
    expectLinkFinite();
}

TEST_F(ControlActions, PickingFilesLoadsAndReloads)
{
    buildPanel();
    std::string out = printed([] { viewer.fileList->user_choose(2); });
    EXPECT_NE(out.find("list=2\n"), std::string::npos) << out;
    EXPECT_EQ(viewer.loadedListitem, 2);
    EXPECT_NE(viewer.filename.find("b.dat"), std::string::npos);

    out = printed([] { viewer.axisScalingRadio->user_choose(1); });
    EXPECT_NE(out.find("list=2\n"), std::string::npos) << out;
    EXPECT_EQ(viewer.axis_data, AxisScaling::Uniform);

    out = printed([] { viewer.dataFormatRadio->user_choose(1); });
    EXPECT_NE(out.find("list=2\n"), std::string::npos) << out;
    EXPECT_EQ(viewer.dataFormat, DataFormat::Maple);
}

TEST_F(ControlActions, ChooseModelLoadsNothingAndForgetsTheLoadedItem)
{
    buildPanel();
    printed([] { viewer.fileList->user_choose(1); });
    ASSERT_EQ(viewer.loadedListitem, 1);

    std::string out = printed([] { viewer.fileList->user_choose(0); });
    EXPECT_EQ(viewer.loadedListitem, 0);
    EXPECT_EQ(out.find("list="), std::string::npos) << out;
    out = printed([] { viewer.axisScalingRadio->user_choose(1); });
    EXPECT_EQ(out.find("list="), std::string::npos) << out;
    out = printed([] { viewer.dataFormatRadio->user_choose(2); });
    EXPECT_EQ(out.find("list="), std::string::npos) << out;
}

TEST_F(ControlActions, CancelledBrowseChangesNothing)
{
    buildPanel();
    setFolderChooser(fakeChooser);
    chooserAnswer.clear();
    const std::string folderBefore = viewer.folderText->get_text();
    const auto itemsBefore = itemTexts(viewer.fileList);
    viewer.filename = "a.dat";
    GLUI_Control* root = viewer.controlWindow->main_panel();
    auto browse =
        static_cast<GLUI_Button*>(findControl(root, GLUI_Kind::Button, "Browse for folder"));

    const std::string out = printed([&] { browse->user_press(); });
    setFolderChooser(nullptr);
    EXPECT_EQ(out, "\nfiledir= (null)\n");
    EXPECT_EQ(viewer.folderText->get_text(), folderBefore);
    EXPECT_EQ(itemTexts(viewer.fileList), itemsBefore);
    EXPECT_EQ(viewer.filename, "a.dat");
}

TEST_F(ControlActions, ChosenFolderIsListedAndTheNameBlanked)
{
    const std::string other = makeFolder("other");
    writeFile(other, "c.dat", "1 1\n0 0 0\n");
    buildPanel();
    printed([] { viewer.fileList->user_choose(1); });

    setFolderChooser(fakeChooser);
    chooserAnswer = other;
    GLUI_Control* root = viewer.controlWindow->main_panel();
    auto browse =
        static_cast<GLUI_Button*>(findControl(root, GLUI_Kind::Button, "Browse for folder"));
    const std::string out = printed([&] { browse->user_press(); });
    setFolderChooser(nullptr);

    EXPECT_NE(out.find("\nfiledir= " + other + "\n"), std::string::npos) << out;
    EXPECT_NE(out.find("chosen_listitem=1\n"), std::string::npos) << out;
    EXPECT_EQ(viewer.filedir, other);
    EXPECT_EQ(viewer.folderText->get_text(), other);
    const std::vector<std::string> items = {"Choose Model", "c.dat"};
    EXPECT_EQ(itemTexts(viewer.fileList), items);
    EXPECT_EQ(viewer.filename, "\t\t\t         ");
    EXPECT_EQ(viewer.chosen_listitem, 0);
    EXPECT_EQ(viewer.fileList->get_int_val(), 0);
}

TEST_F(ControlActions, EditedFolderOrFilterRelists)
{
    const std::string other = makeFolder("other");
    writeFile(other, "c.dat", "1 1\n0 0 0\n");
    writeFile(other, "d.txt", "1 1\n0 0 0\n");
    buildPanel();

    viewer.folderText->user_set_text(other.c_str());
    using Names = std::vector<std::string>;
    EXPECT_EQ(itemTexts(viewer.fileList), (Names{"Choose Model", "c.dat", "d.txt"}));
    viewer.filterText->user_set_text("*.txt");
    EXPECT_EQ(itemTexts(viewer.fileList), (Names{"Choose Model", "d.txt"}));
    EXPECT_EQ(viewer.fileFilter, "*.txt");
}

TEST_F(ControlActions, ColourChoicesAndUnknownIdsOnlyRedraw)
{
    buildPanel();
    viewer.colorNameList->user_choose(1);
    viewer.dataValueList->user_choose(3);
    controlAction(999);
    controlAction(-1);
    EXPECT_FLOAT_EQ(viewer.bgColor[1], 1.0f);
    EXPECT_FLOAT_EQ(viewer.colorGreen, 1.0f);
    EXPECT_EQ(viewer.curDataValue, 0);
    EXPECT_FLOAT_EQ(viewer.dataColors[3].r, 0.0f);
}

TEST_F(ControlActions, ViewModeOpensAWindowOnlyWhenTheBufferModeChanges)
{
    buildPanel();
    GLUI_Control* root = viewer.controlWindow->main_panel();
    auto stereo = static_cast<GLUI_RadioGroup*>(
        findControl(root, GLUI_Kind::RadioButton, "MonoView ")->parent());
    const int display = viewer.mainWindow;
    const size_t panels = GLUI_Master.windows().size();

    stereo->user_choose(1);  // Anaglyph draws in the same double-buffered window
    EXPECT_EQ(viewer.stereoMode, ViewMode::Anaglyph);
    EXPECT_EQ(viewer.mainWindow, display);
    EXPECT_EQ(GLUI_Master.windows().size(), panels);

    stereo->user_choose(2);  // needs another kind of window where the display has one
    EXPECT_EQ(viewer.stereoMode, ViewMode::Stereo);
    if (viewer.windowMode == WindowMode::QuadBuffered) {
        EXPECT_NE(viewer.mainWindow, display);
        EXPECT_EQ(GLUI_Master.windows().size(), panels + 2);
        EXPECT_NE(viewer.controlWindow->main_panel(), root);
        return;
    }
    // No stereo here: the open window and panels stay, however often it is chosen.
    for (int k = 0; k < 5; ++k) {
        stereo->user_choose(0);
        stereo->user_choose(2);
    }
    EXPECT_EQ(viewer.stereoMode, ViewMode::Stereo);
    EXPECT_EQ(viewer.mainWindow, display);
    EXPECT_EQ(GLUI_Master.windows().size(), panels);
    EXPECT_EQ(viewer.controlWindow->main_panel(), root);

    // The modes that draw both eyes in the ordinary window open nothing either, and each
    // enables the options beside the group that apply to it.
    struct Enabled {
        ViewMode mode;
        bool method, squeeze, swap;
    };
    const Enabled modes[] = {
        {ViewMode::Mono, false, false, false},        {ViewMode::Anaglyph, false, false, true},
        {ViewMode::Stereo, false, false, true},       {ViewMode::SideBySide, false, true, true},
        {ViewMode::TopBottom, false, true, true},     {ViewMode::Interleaved, false, false, true},
        {ViewMode::ColorAnaglyph, true, false, true}, {ViewMode::Mono, false, false, false},
    };
    for (const Enabled& e : modes) {
        stereo->user_choose(static_cast<int>(e.mode));
        EXPECT_EQ(viewer.stereoMode, e.mode);
        EXPECT_EQ(viewer.mainWindow, display);
        EXPECT_EQ(GLUI_Master.windows().size(), panels);
        const int mode = static_cast<int>(e.mode);
        EXPECT_EQ(viewer.anaglyphMethodList->is_enabled(), e.method) << mode;
        EXPECT_EQ(viewer.desaturationSpinner->is_enabled(), e.method) << mode;
        EXPECT_EQ(viewer.squeezeCheckbox->is_enabled(), e.squeeze) << mode;
        EXPECT_EQ(viewer.swapEyesCheckbox->is_enabled(), e.swap) << mode;
    }
}

TEST_F(ControlActions, ColumnsAndMatrixRoundTripThroughThePanel)
{
    // A spreadsheet's table (semicolons, a header, a group column) and a matrix of heights.
    writeFile(folder_, "c-table.csv", "x;y;z;station\r\n0;0;1;2\r\n1;0;2;2\r\n2;1;3;5\r\n");
    writeFile(folder_, "d-heights.txt", "1 2 3 4\n2 3 4 5\n3 4 5 6\n");
    buildPanel();
    forgetFiles();
    const unsigned long loads = dataSet.generation;
    GLUI_Control* root = viewer.controlWindow->main_panel();
    ASSERT_EQ(viewer.dataFormatRadio->button_count(), 7);

    viewer.dataFormatRadio->user_choose(3);  // "Columns": nothing asked for yet, nothing read
    EXPECT_EQ(viewer.dataFormat, DataFormat::Columns);
    std::string out = printed([] { viewer.fileList->user_choose(3); });
    EXPECT_NE(out.find("list=3\n\nfilename = c-table.csv\n"), std::string::npos) << out;
    EXPECT_EQ(viewer.filename, "c-table.csv");
    ASSERT_EQ(dataSet.coordArray.size(), 3u);
    EXPECT_EQ(dataSet.groupArray, (std::vector<int>{2, 2, 5}));

    out = printed([] { viewer.fileList->user_choose(4); });
    EXPECT_EQ(dataSet.generation, loads + 2) << "heights read as a table of four columns\n" << out;
    out = printed([] { viewer.dataFormatRadio->user_choose(4); });  // "Matrix": the same file again
    EXPECT_NE(out.find("list=4\n\nfilename = d-heights.txt\n"), std::string::npos) << out;
    EXPECT_EQ(dataSet.generation, loads + 3);
    EXPECT_EQ(dataSet.coordArray.size(), 12u) << "a grid of 3 rows of 4 heights";
    EXPECT_EQ(dataSet.fnTrf.nx * dataSet.fnTrf.pointsPerSet, 12);

    // "Watch file" sits below "Files:" and takes its id to the action.
    auto watch = static_cast<GLUI_Checkbox*>(findControl(root, GLUI_Kind::Checkbox, "Watch file"));
    ASSERT_NE(watch, nullptr);
    watch->user_toggle();
    EXPECT_EQ(viewer.watchFile, 1);
    watch->user_toggle();
    EXPECT_EQ(viewer.watchFile, 0);
}
