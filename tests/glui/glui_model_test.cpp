// The panel layer's model without any window: values, limits, live variables and the
// order of write and callback, list items, radio values, trackball and translation arithmetic.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "glui/glui.h"

namespace {

// What each callback saw when it ran: the id, and the live variable's value at that moment.
struct Call {
    int id;
    float live;
};
std::vector<Call> calls;
float* watchedFloat = nullptr;
int* watchedInt = nullptr;

void recordCall(int id)
{
    calls.push_back({id, watchedFloat ? *watchedFloat : watchedInt ? static_cast<float>(*watchedInt) : 0.0f});
}

class GluiModel : public ::testing::Test {
protected:
    void SetUp() override
    {
        calls.clear();
        watchedFloat = nullptr;
        watchedInt = nullptr;
        // Owned by the test: its controls point at the test's own variables.
        owned = std::make_unique<GLUI>("Model Panel", 10, 10);
        glui = owned.get();
    }
    std::unique_ptr<GLUI> owned;
    GLUI* glui = nullptr;
};

float angleAboutY(const float* m) { return std::atan2(m[8], m[10]); }

TEST_F(GluiModel, WithoutGlutTheTreeIsBuiltWithoutAWindow)
{
    glui = GLUI_Master.create_glui("Model Panel", 0, 10, 10);
    ASSERT_EQ(GLUI_Master.windows().back().get(), glui);
    EXPECT_EQ(glui->glut_window(), 0);
    EXPECT_EQ(glui->name(), "Model Panel");
    EXPECT_FLOAT_EQ(GLUI_Master.get_version(), 2.01f);
    GLUI_Rollout* rollout = glui->add_rollout("Object Properties", false);
    GLUI_Panel* inner = glui->add_panel_to_panel(rollout, "Light 1");
    GLUI_Checkbox* box = glui->add_checkbox_to_panel(inner, "Enabled");
    glui->add_statictext("");
    ASSERT_EQ(glui->main_panel()->children().size(), 2u);
    EXPECT_EQ(glui->main_panel()->children()[0].get(), rollout);
    EXPECT_FALSE(rollout->is_open());
    EXPECT_EQ(box->parent(), inner);
    EXPECT_EQ(inner->parent(), rollout);
    EXPECT_EQ(inner->panel_type(), GLUI_PANEL_EMBOSSED);
    EXPECT_EQ(glui->main_panel()->children()[1]->kind(), GLUI_Kind::StaticText);
    int x = -1, y = -1, w = -1, h = -1;
    GLUI_Master.get_viewport_area(&x, &y, &w, &h);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(w, 0);
}

TEST_F(GluiModel, FloatSpinnerClampsEverySourceOfValues)
{
    float thickness = 0.02f;
    GLUI_Spinner* s = glui->add_spinner("Thickness:", GLUI_SPINNER_FLOAT, &thickness, -1, nullptr);
    EXPECT_FLOAT_EQ(s->get_float_val(), 0.02f);  // a new control shows its variable
    s->set_float_limits(0.001f, 10.0f, GLUI_LIMIT_CLAMP);
    s->set_float_val(25.0f);
    EXPECT_FLOAT_EQ(s->get_float_val(), 10.0f);
    EXPECT_FLOAT_EQ(thickness, 10.0f);  // written at once
    s->user_set_float(-3.0f);
    EXPECT_FLOAT_EQ(thickness, 0.001f);
    // Not a number and infinity leave the value alone instead of reaching the view.
    s->user_set_float(std::nanf(""));
    s->set_float_val(INFINITY);
    EXPECT_FLOAT_EQ(thickness, 0.001f);

    // Limits set after a value clamp the value already held.
    float scale = 5000.0f;
    GLUI_Spinner* scaleSpinner = glui->add_spinner("Scale:", GLUI_SPINNER_FLOAT, &scale);
    scaleSpinner->set_float_limits(-1000.0f, 1000.0f);
    EXPECT_FLOAT_EQ(scale, 1000.0f);
    // Reversed limits are taken the right way round.
    scaleSpinner->set_float_limits(1.0f, 0.0f);
    scaleSpinner->set_float_val(0.5f);
    EXPECT_FLOAT_EQ(scale, 0.5f);
}

TEST_F(GluiModel, IntSpinnerClampsAndRoundsFloats)
{
    int segments = 8;
    GLUI_Spinner* s = glui->add_spinner("Segments:", GLUI_SPINNER_INT, &segments);
    s->set_int_limits(3, 60, GLUI_LIMIT_CLAMP);
    s->set_alignment(GLUI_ALIGN_RIGHT);
    EXPECT_EQ(s->alignment(), GLUI_ALIGN_RIGHT);
    s->set_int_val(100);
    EXPECT_EQ(segments, 60);
    s->user_set_int(-7);
    EXPECT_EQ(segments, 3);
    s->set_float_val(7.6f);
    EXPECT_EQ(segments, 8);
    s->set_float_val(1e30f);  // far outside int's range: clamped, not undefined
    EXPECT_EQ(segments, 60);
    EXPECT_FLOAT_EQ(s->get_float_val(), 60.0f);
}

TEST_F(GluiModel, UserChangeWritesTheFieldBeforeTheCallback)
{
    float focal = 20.0f;
    watchedFloat = &focal;
    GLUI_Spinner* s = glui->add_spinner("FocalLength:", GLUI_SPINNER_FLOAT, &focal, 601, recordCall);
    s->set_float_limits(0.0f, 500.0f);
    s->set_float_val(30.0f);  // the program's own change: no callback
    EXPECT_TRUE(calls.empty());
    s->user_set_float(600.0f);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].id, 601);
    EXPECT_FLOAT_EQ(calls[0].live, 500.0f);

    int mode = 0;
    watchedFloat = nullptr;
    watchedInt = &mode;
    GLUI_RadioGroup* group = glui->add_radiogroup(&mode, 701, recordCall);
    glui->add_radiobutton_to_group(group, "MonoView ");
    glui->add_radiobutton_to_group(group, "Anaglyph");
    glui->add_radiobutton_to_group(group, "StereoView");
    group->user_choose(2);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].id, 701);
    EXPECT_FLOAT_EQ(calls[1].live, 2.0f);
    EXPECT_EQ(group->get_int_val(), 2);
}

TEST_F(GluiModel, RadioGroupValueIsTheIndexOfTheChosenButton)
{
    int displayType = 1;
    GLUI_RadioGroup* group = glui->add_radiogroup(&displayType);
    for (const char* name : {"Points ", "Line Sets:Joined ", "Line Sets:Needled "})
        glui->add_radiobutton_to_group(group, name);
    EXPECT_EQ(group->button_count(), 3);
    EXPECT_EQ(group->get_int_val(), 1);
    group->user_choose(0);
    EXPECT_EQ(displayType, 0);
    group->user_choose(3);  // no such button: nothing changes
    group->user_choose(-1);
    EXPECT_EQ(displayType, 0);
    EXPECT_EQ(glui->add_radiobutton_to_group(nullptr, "x"), nullptr);
    EXPECT_EQ(group->children()[1]->name(), "Line Sets:Joined ");
}

TEST_F(GluiModel, ListboxValueIsItemIdAndDeleteNeedsAnExistingItem)
{
    int chosen = 0;
    watchedInt = &chosen;
    GLUI_Listbox* list = glui->add_listbox("Files:", &chosen, 403, recordCall);
    list->add_item(0, "Choose Model");
    list->add_item(1, "a.dat");
    list->add_item(2, "b.dat");
    EXPECT_EQ(list->delete_item(7), 0);
    EXPECT_EQ(list->items().size(), 3u);
    EXPECT_EQ(list->delete_item(1), 1);
    EXPECT_EQ(list->delete_item(1), 0);  // already gone
    ASSERT_EQ(list->items().size(), 2u);
    EXPECT_EQ(list->items()[1].second, "b.dat");
    list->user_choose(2);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_FLOAT_EQ(calls[0].live, 2.0f);
    list->set_int_val(0);
    EXPECT_EQ(chosen, 0);
    EXPECT_EQ(calls.size(), 1u);
}

TEST_F(GluiModel, SyncLivePushesFieldsWithoutWritingThem)
{
    float eye = 2.0f;
    int showAxes = 0;
    GLUI_Spinner* s = glui->add_spinner("Eye Separation:", GLUI_SPINNER_FLOAT, &eye, 602, recordCall);
    s->set_float_limits(0.0f, 45.0f);
    GLUI_Checkbox* box = glui->add_checkbox("Show axes", &showAxes);
    eye = 3.5f;
    showAxes = 1;
    GLUI_Master.sync_live_all();
    EXPECT_FLOAT_EQ(s->get_float_val(), 3.5f);
    EXPECT_EQ(box->get_int_val(), 1);
    // Beyond the limits the control shows the limit while the field keeps what the program set.
    eye = 100.0f;
    GLUI_Master.sync_live_all();
    EXPECT_FLOAT_EQ(s->get_float_val(), 45.0f);
    EXPECT_FLOAT_EQ(eye, 100.0f);
    EXPECT_TRUE(calls.empty());
    box->user_toggle();
    EXPECT_EQ(showAxes, 0);
}

TEST_F(GluiModel, EditTextReportsFinishedTextAndKeepsNumbersValid)
{
    GLUI_EditText* folder = glui->add_edittext("Folder:", GLUI_EDITTEXT_TEXT, nullptr, 404, recordCall);
    folder->set_w(200);
    EXPECT_EQ(folder->width(), 200);
    folder->set_text("/data");
    EXPECT_STREQ(folder->get_text(), "/data");
    EXPECT_TRUE(calls.empty());
    folder->user_set_text("/tmp");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].id, 404);
    EXPECT_STREQ(folder->get_text(), "/tmp");
    folder->set_text(nullptr);
    EXPECT_STREQ(folder->get_text(), "");

    std::string filter = "*.*";
    GLUI_EditText* bound = glui->add_edittext("File filter:", GLUI_EDITTEXT_TEXT, &filter);
    EXPECT_STREQ(bound->get_text(), "*.*");
    bound->user_set_text("*.dat");
    EXPECT_EQ(filter, "*.dat");

    int count = 4;
    GLUI_EditText* number = glui->add_edittext("Count:", GLUI_EDITTEXT_INT, &count);
    number->user_set_text("12");
    EXPECT_EQ(count, 12);
    number->user_set_text("twelve");  // not a number: the field keeps its value
    EXPECT_EQ(count, 12);
    EXPECT_EQ(number->get_int_val(), 0);
}

TEST_F(GluiModel, RotationDragTurnsTheMatrixLikeATrackball)
{
    float mat[16];
    for (float& v : mat)
        v = 7.0f;
    GLUI_Rotation* r = glui->add_rotation("Rotate", mat);
    for (int i = 0; i < 16; ++i)  // binding resets the matrix
        EXPECT_FLOAT_EQ(mat[i], i % 5 == 0 ? 1.0f : 0.0f) << i;
    // From the centre half-way to the right edge: a turn of 30 degrees about the y axis.
    r->user_begin_drag(0.0f, 0.0f);
    r->user_drag_to(0.5f, 0.0f);
    r->user_drag_to(0.5f, 0.0f);  // at rest before the release
    r->user_end_drag();
    EXPECT_NEAR(mat[8], 0.5f, 1e-5f);
    EXPECT_NEAR(mat[10], std::sqrt(0.75f), 1e-5f);
    EXPECT_NEAR(mat[5], 1.0f, 1e-5f);
    EXPECT_NEAR(mat[15], 1.0f, 1e-6f);
    EXPECT_FALSE(r->spinning());  // released at rest: no spin even though none was asked for

    // An upward drag turns about -x: the front of the ball moves up.
    r->reset();
    r->user_begin_drag(0.0f, 0.0f);
    r->user_drag_to(0.0f, 0.5f);
    r->user_end_drag();
    EXPECT_NEAR(mat[9], 0.5f, 1e-5f);  // the z axis tipped up by 30 degrees
    EXPECT_NEAR(mat[0], 1.0f, 1e-5f);
    r->reset();
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(mat[i], i % 5 == 0 ? 1.0f : 0.0f) << i;
}

TEST_F(GluiModel, SpinGoesOnAfterAReleaseInMotionSlowedByTheDamping)
{
    float mat[16];
    GLUI_Rotation* r = glui->add_rotation("Light 1", mat);
    auto flick = [&](float damping) {
        r->reset();
        r->set_spin(damping);
        r->user_begin_drag(0.0f, 0.0f);
        r->user_drag_to(0.1f, 0.0f);
        r->user_end_drag();
    };

    flick(0.0f);
    EXPECT_FALSE(r->spinning());
    EXPECT_FALSE(r->step_spin());

    flick(1.0f);
    ASSERT_TRUE(r->spinning());
    float step = std::asin(0.1f);
    float before = angleAboutY(mat);
    EXPECT_TRUE(r->step_spin());
    EXPECT_NEAR(angleAboutY(mat) - before, step, 1e-4f);
    EXPECT_TRUE(r->step_spin());
    EXPECT_NEAR(angleAboutY(mat) - before, 2.0f * step, 1e-4f);

    flick(0.5f);
    before = angleAboutY(mat);
    r->step_spin();
    float first = angleAboutY(mat) - before;
    before = angleAboutY(mat);
    r->step_spin();
    float second = angleAboutY(mat) - before;
    EXPECT_NEAR(first, step, 1e-4f);
    EXPECT_NEAR(second, step * 0.5f, 1e-4f);
    // It comes to rest by itself.
    int steps = 0;
    while (r->step_spin() && steps < 1000)
        ++steps;
    EXPECT_LT(steps, 100);
    EXPECT_FALSE(r->spinning());

    // A factor above 1 would speed the turn up without end: it is taken as 1.
    flick(3.0f);
    EXPECT_FLOAT_EQ(r->spin(), 1.0f);
    // The idle pass steps a spinning trackball.
    before = angleAboutY(mat);
    GLUI_Master.idle_pass();
    EXPECT_NEAR(angleAboutY(mat) - before, step, 1e-4f);
    // A new press stops the spin.
    r->user_begin_drag(0.0f, 0.0f);
    EXPECT_FALSE(r->spinning());
    r->user_end_drag();
}

TEST_F(GluiModel, TranslationWritesItsFloatsScaledByTheSpeed)
{
    float objTrans[3] = {0.0f, 0.0f, 0.0f};
    GLUI_Translation* xy = glui->add_translation("Objects XY", GLUI_TRANSLATION_XY, objTrans);
    GLUI_Translation* y = glui->add_translation("Objects Y", GLUI_TRANSLATION_Y, &objTrans[1]);
    GLUI_Translation* z = glui->add_translation("Objects Z", GLUI_TRANSLATION_Z, &objTrans[2]);
    xy->set_speed(0.005f);
    y->set_speed(0.005f);
    z->set_speed(0.5f);
    xy->user_drag(100.0f, -40.0f);
    EXPECT_FLOAT_EQ(objTrans[0], 0.5f);
    EXPECT_FLOAT_EQ(objTrans[1], -0.2f);
    EXPECT_FLOAT_EQ(objTrans[2], 0.0f);
    y->sync_live();  // the idle pass shows XY's change in Y before the user drags it
    y->user_drag(50.0f, 20.0f);  // horizontal movement does not move Y
    EXPECT_FLOAT_EQ(objTrans[0], 0.5f);
    EXPECT_FLOAT_EQ(objTrans[1], -0.1f);
    z->user_drag(0.0f, 2.0f);
    EXPECT_FLOAT_EQ(objTrans[2], 1.0f);
    EXPECT_FLOAT_EQ(z->get_z(), 1.0f);
    // The field changed by the program reaches the controls that show it.
    objTrans[1] = 3.0f;
    GLUI_Master.sync_live_all();
    EXPECT_FLOAT_EQ(y->get_y(), 3.0f);
    EXPECT_FLOAT_EQ(xy->get_y(), 3.0f);
    y->set_y(1.5f);
    EXPECT_FLOAT_EQ(objTrans[1], 1.5f);
}

TEST_F(GluiModel, DisabledStateAndIdleFunction)
{
    GLUI_Spinner* s = glui->add_spinner("Intensity:", GLUI_SPINNER_FLOAT);
    s->disable();
    EXPECT_FALSE(s->is_enabled());
    s->enable();
    EXPECT_TRUE(s->is_enabled());

    static int idleCalls = 0;
    idleCalls = 0;
    GLUI_Master.set_glutIdleFunc([] { ++idleCalls; });
    GLUI_Master.idle_pass();
    GLUI_Master.idle_pass();
    EXPECT_EQ(idleCalls, 2);
    GLUI_Master.set_glutIdleFunc(nullptr);
    GLUI_Master.idle_pass();
    EXPECT_EQ(idleCalls, 2);
}

}  // namespace
