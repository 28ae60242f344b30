// The panel's "Views and Pictures" section driven as a user would: colour by greyed out in
// Anaglyph, preset views, the colour range typed (a refused one told and undone in its box), and
// saving the view and the picture.
#include <gtest/gtest.h>

#include <GL/freeglut.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app/picture_message.h"
#include "app/picture_saving.h"
#include "app/viewer_state.h"
#include "core/user_message.h"
#include "core/view_presets.h"
#include "glui/glui.h"
#include "tests/panel/panel_window.h"

namespace {

std::string printed(const std::function<void()>& action)
{
    testing::internal::CaptureStdout();
    action();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

void press(const char* name)
{
    static_cast<GLUI_Button*>(findControl(viewer.controlWindow->main_panel(), GLUI_Kind::Button, name))->user_press();
}

GLUI_RadioGroup* stereoRadio()
{
    GLUI_Control* stereo = findControl(viewer.controlWindow->main_panel(), GLUI_Kind::Rollout, "Mono/Stereo");
    return static_cast<GLUI_RadioGroup*>(stereo->children().front().get());
}

}  // namespace

using ViewsPanel = PanelWindowTest;

TEST_F(ViewsPanel, ColorByIsGreyedOutInAnaglyphOnly)
{
    buildPanel();
    ASSERT_NE(viewer.colorByRadio, nullptr);
    EXPECT_TRUE(viewer.colorByRadio->is_enabled());
    stereoRadio()->user_choose(1);
    EXPECT_EQ(viewer.stereoMode, ViewMode::Anaglyph);
    EXPECT_FALSE(viewer.colorByRadio->is_enabled()) << "the eye colours hold in Anaglyph";
    stereoRadio()->user_choose(0);
    EXPECT_TRUE(viewer.colorByRadio->is_enabled());

    // A panel built while Anaglyph is chosen starts greyed out.
    viewer.stereoMode = ViewMode::Anaglyph;
    buildPanel();
    EXPECT_FALSE(viewer.colorByRadio->is_enabled());
}

TEST_F(ViewsPanel, PresetButtonsTurnAndFitRestsTheTrackball)
{
    buildPanel();
    viewer.scale = 2.0f;
    press("Top view");
    EXPECT_EQ(viewer.angleX, presetAngles(PresetView::Top).x);
    press("Three-quarter view");
    EXPECT_EQ(viewer.angleY, presetAngles(PresetView::ThreeQuarter).y);
    viewer.rotateControl->user_begin_drag(0.0f, 0.0f);
    viewer.rotateControl->user_drag_to(0.5f, 0.2f);
    viewer.rotateControl->user_end_drag();
    EXPECT_NE(viewer.rotateMat[0], 1.0f) << "the trackball turned";
    press("Fit to window");
    EXPECT_EQ(viewer.angleY, 0.0f);
    EXPECT_EQ(viewer.scale, 1.0f);
    EXPECT_EQ(viewer.rotateMat[0], 1.0f);
    EXPECT_EQ(viewer.rotateControl->matrix()[0], 1.0f) << "the trackball itself is at rest";
}

TEST_F(ViewsPanel, ChoosingTheBoxWithTicksShowsTheAxes)
{
    buildPanel();
    GLUI_Control* style = findControl(viewer.controlWindow->main_panel(), GLUI_Kind::Rollout, "Axes Style");
    auto* radio = static_cast<GLUI_RadioGroup*>(style->children().front().get());
    ASSERT_EQ(viewer.showAxes, 0);
    radio->user_choose(1);
    EXPECT_EQ(viewer.axesStyle, AxesStyle::Box);
    EXPECT_EQ(viewer.showAxes, 1);
    // Hidden again with "Show axes", they stay hidden while the style stays.
    viewer.showAxes = 0;
    radio->user_choose(0);
    EXPECT_EQ(viewer.showAxes, 0);
}

TEST_F(ViewsPanel, TheColourRangeIsTypedAsLoHi)
{
    buildPanel();
    viewer.colorRangeText->user_set_text("-1.5, 4");
    EXPECT_EQ(viewer.colorRange[0], -1.5f);
    EXPECT_EQ(viewer.colorRange[1], 4.0f);
    // A refused range is told on the console and over the picture, and the box shows the
    // range in use again.
    showUserMessagesOnPicture();
    const std::string refused = printed([] { viewer.colorRangeText->user_set_text("2,2"); });
    listenToUserMessages(nullptr);
    EXPECT_EQ(refused, "Color range not changed: the low and high values of a colour range must differ\n");
    EXPECT_EQ(pictureMessage.textAt(messageClock()), refused);
    pictureMessage.show("", messageClock());
    EXPECT_EQ(viewer.colorRange[1], 4.0f);
    EXPECT_STREQ(viewer.colorRangeText->get_text(), "-1.5,4");
    viewer.colorRangeText->user_set_text("");
    EXPECT_EQ(viewer.colorRange[0], viewer.colorRange[1]) << "empty: the data's own range";
    printed([] { viewer.colorRangeText->user_set_text("1,x"); });
    EXPECT_STREQ(viewer.colorRangeText->get_text(), "") << "back to the data's own range";
}

TEST_F(ViewsPanel, SaveViewWritesBesideTheLoadedFileAndSavePictureWaitsForTheFrame)
{
    buildPanel();
    printed([] { viewer.fileList->user_choose(2); });
    ASSERT_NE(viewer.filename.find("b.dat"), std::string::npos);
    viewer.scale = 1.25f;
    const std::string out = printed([] { press("Save view"); });
    EXPECT_EQ(out, "View saved: " + folder_ + "/b.view\n");
    std::ifstream view(folder_ + "/b.view");
    std::stringstream text;
    text << view.rdbuf();
    EXPECT_NE(text.str().find("scale = 1.25\n"), std::string::npos) << text.str();

    EXPECT_FALSE(pictureSaveRequested());
    press("Save picture");
    EXPECT_TRUE(pictureSaveRequested()) << "saved at the end of the next complete frame";
}
