// The two panel windows: every control in build order with its label, field, id,
// limits and callback, and what the panel shows right after it is built.
#include <gtest/gtest.h>

#include <GL/freeglut.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/viewer_state.h"
#include "app/control_actions.h"
#include "tests/panel/panel_window.h"

namespace {

using K = GLUI_Kind;

// One control as the tree shows it: depth below the window, and what to check.
struct Row {
    K kind;
    int depth;
    std::string name;
    void* live = nullptr;
    int id = -1;
    bool checkBinding = true;  // live variable, id and callback
    int open = -1;             // rollouts: 1 open, 0 closed
    int spinnerType = 0;
    float low = 0, high = 0, speed = 0;  // speed 0: none set
    bool right = false;
};

Row rollout(int depth, const char* name, bool open)
{
    Row r{K::Rollout, depth, name};
    r.checkBinding = false;
    r.open = open;
    return r;
}
Row plain(K kind, int depth, const char* name)
{
    Row r{kind, depth, name};
    r.checkBinding = false;
    return r;
}
Row bound(K kind, int depth, const char* name, void* live, int id)
{
    Row r{kind, depth, name, live, id};
    return r;
}
Row spinner(int depth, const char* name, void* live, int id, int type, float low, float high,
            float speed, bool right)
{
    Row r{K::Spinner, depth, name, live, id};
    r.spinnerType = type;
    r.low = low;
    r.high = high;
    r.speed = speed;
    r.right = right;
    return r;
}
Row group(int depth, int* live, int id)
{
    return bound(K::RadioGroup, depth, "", live, id);
}

using Tree = std::vector<std::pair<int, const GLUI_Control*>>;

void flatten(const GLUI_Control* control, int depth, Tree& out)
{
    for (const auto& child : control->children()) {
        out.emplace_back(depth, child.get());
        flatten(child.get(), depth + 1, out);
    }
}

void expectTree(GLUI* window, const std::vector<Row>& rows)
{
    ASSERT_NE(window, nullptr);
    Tree tree;
    flatten(window->main_panel(), 0, tree);
    ASSERT_EQ(tree.size(), rows.size());

    for (size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        const GLUI_Control* c = tree[i].second;
        SCOPED_TRACE("row " + std::to_string(i) + " \"" + row.name + "\"");
        ASSERT_EQ(c->kind(), row.kind);
        EXPECT_EQ(tree[i].first, row.depth);
        if (row.kind != K::RadioGroup && row.kind != K::Column) {
            EXPECT_EQ(c->name(), row.name);
        }
        if (row.checkBinding) {
            EXPECT_EQ(c->live_var(), row.live);
            EXPECT_EQ(c->id(), row.id);
            if (row.id == -1) {
                EXPECT_EQ(c->callback(), nullptr);
            } else if (row.id == 0) {
                EXPECT_EQ(c->callback(), static_cast<GLUI_Update_CB>(std::exit));
            } else {
                EXPECT_EQ(c->callback(), controlAction);
            }
        }
        if (row.open != -1) {
            EXPECT_EQ(static_cast<const GLUI_Rollout*>(c)->is_open(), row.open == 1);
        }
        if (row.kind == K::Panel) {
            EXPECT_EQ(static_cast<const GLUI_Panel*>(c)->panel_type(), GLUI_PANEL_EMBOSSED);
        }
        if (row.kind == K::Column) {
            EXPECT_FALSE(static_cast<const GLUI_Column*>(c)->draws_bar());
        }
        if (row.kind == K::Spinner) {
            auto s = static_cast<const GLUI_Spinner*>(c);
            EXPECT_EQ(s->data_type(), row.spinnerType);
            EXPECT_EQ(s->limit_type(), GLUI_LIMIT_CLAMP);
            if (row.spinnerType == GLUI_SPINNER_INT) {
                EXPECT_EQ(s->int_low(), static_cast<int>(row.low));
                EXPECT_EQ(s->int_high(), static_cast<int>(row.high));
            } else {
                EXPECT_FLOAT_EQ(s->float_low(), row.low);
                EXPECT_FLOAT_EQ(s->float_high(), row.high);
            }
            if (row.speed != 0) {
                EXPECT_FLOAT_EQ(s->speed(), row.speed);
            }
            EXPECT_EQ(s->alignment() == GLUI_ALIGN_RIGHT, row.right);
        }
    }
}

std::vector<Row> controlDisplayRows()
{
    ViewerState& v = viewer;
    const int F = GLUI_SPINNER_FLOAT;
    std::vector<Row> rows = {
        rollout(0, "Object Properties", false),
        spinner(1, "Segments:", &v.segments, -1, GLUI_SPINNER_INT, 3, 60, 0, true),
        spinner(1, "Scale:", &v.scale, -1, F, -1000.0f, 1000.0f, 0.001f, true),
        spinner(1, "Thickness:", &v.thickness, -1, F, 0.001f, 10.0f, 0.05f, true),
        rollout(0, "Display Options", false),
        rollout(1, "Mono/Stereo", false),
        group(2, &v.stereoMode.raw, 701),
        plain(K::RadioButton, 3, "MonoView "),
        plain(K::RadioButton, 3, "Anaglyph"),
        plain(K::RadioButton, 3, "StereoView"),
        plain(K::RadioButton, 3, "Side by side"),
        plain(K::RadioButton, 3, "Top and bottom"),
        plain(K::RadioButton, 3, "Row interleaved"),
        plain(K::RadioButton, 3, "Color anaglyph"),
        plain(K::Column, 2, ""),
        bound(K::Listbox, 2, "Method:", &v.anaglyphMethod.raw, -1),
        spinner(2, "Desaturation:", &v.desaturation, -1, F, 0.0f, 1.0f, 0.01f, true),
        bound(K::Checkbox, 2, "Squeezed", &v.squeezeEyes, -1),
        bound(K::Checkbox, 2, "Swap eyes", &v.swapEyes, -1),
        rollout(1, "Axis Scaling", false),
        group(2, &v.axis_data.raw, 801),
        plain(K::RadioButton, 3, "Individual"),
        plain(K::RadioButton, 3, "Uniform "),
        rollout(1, "Data Display", false),
        group(2, &v.displayType.raw, -1),
        plain(K::RadioButton, 3, "Points "),
        plain(K::RadioButton, 3, "Line Sets:Joined "),
        plain(K::RadioButton, 3, "Line Sets:Needled "),
        plain(K::RadioButton, 3, "Surface grid "),
        plain(K::RadioButton, 3, "Surface filled "),
        spinner(1, "Eye Separation:", &v.eyeSeparation, 602, F, 0.0f, 45.0f, 0.05f, true),
        spinner(1, "FocalLength:", &v.focalLength, 601, F, 0.0f, 500.0f, 0.05f, true),
        bound(K::Checkbox, 1, "Show axes", &v.showAxes, -1),
        bound(K::Checkbox, 1, "Show file name", &v.showFileName, -1),
        bound(K::Checkbox, 1, "Show movement controls", &v.showMovementControls, 300),
        rollout(0, "Colors", false),
        bound(K::Listbox, 1, "Color Name:", &v.colorName, 502),
        rollout(1, "rgb", false),
        spinner(2, "red:", &v.colorRed, 502, F, 0.0f, 1.0f, 0.001f, true),
        spinner(2, "green:", &v.colorGreen, 502, F, 0.0f, 1.0f, 0.001f, true),
        spinner(2, "blue:", &v.colorBlue, 502, F, 0.0f, 1.0f, 0.001f, true),
        rollout(1, "Apply Color To:", true),
        group(2, &v.applyColorTo.raw, -1),
    };
    for (const char* name : {"Background", "Left", "Right", "Light 1", "Light 2", "Data Color"})
        rows.push_back(plain(K::RadioButton, 3, name));
    std::vector<Row> rest = {
        bound(K::Listbox, 2, " Data Value:", &v.dataValue, 504),
        bound(K::Button, 1, "Apply Color Settings", nullptr, 503),
        rollout(0, "Lights", false),
        plain(K::Panel, 1, "Light 1"),
        bound(K::Checkbox, 2, "Enabled", &v.light1Enabled, 200),
        spinner(2, "Intensity:", &v.light1Intensity, 250, F, 0.0f, 1.0f, 0, false),
        plain(K::Panel, 1, "Light 2"),
        bound(K::Checkbox, 2, "Enabled", &v.light2Enabled, 201),
        spinner(2, "Intensity:", &v.light2Intensity, 251, F, 0.0f, 1.0f, 0, false),
        rollout(0, "Specify Data File", true),
        bound(K::Button, 1, "Browse for folder", nullptr, 402),
        bound(K::EditText, 1, "Folder:", nullptr, 404),
        bound(K::EditText, 1, "File filter:", nullptr, 404),
        rollout(1, "Data Format", true),
        group(2, &v.dataFormat.raw, 401),
        plain(K::RadioButton, 3, "Data "),
        plain(K::RadioButton, 3, "Maple"),
        plain(K::RadioButton, 3, "Data with Color"),
        plain(K::RadioButton, 3, "Columns"),
        plain(K::RadioButton, 3, "Matrix"),
        plain(K::RadioButton, 3, "NumPy"),
        plain(K::RadioButton, 3, "PLY"),
        bound(K::Listbox, 1, "Files:", &v.chosen_listitem, 403),
        bound(K::Checkbox, 1, "Watch file", &v.watchFile, 405),
        plain(K::StaticText, 0, ""),
        // A section of its own for colour by value, the axes' style, views and saving.
        rollout(0, "Views and Pictures", false),
        rollout(1, "Color by", true),
        group(2, &v.colorBy.raw, -1),
        plain(K::RadioButton, 3, "eye color"),
        plain(K::RadioButton, 3, "height"),
        plain(K::RadioButton, 3, "group"),
        plain(K::RadioButton, 3, "file colours"),
        rollout(1, "Color Map", false),
        group(2, &v.colorMap.raw, -1),
        plain(K::RadioButton, 3, "viridis"),
        plain(K::RadioButton, 3, "gray"),
        plain(K::RadioButton, 3, "coolwarm"),
        bound(K::EditText, 1, "Color range:", nullptr, 920),
        rollout(1, "Axes Style", false),
        group(2, &v.axesStyle.raw, -1),
        plain(K::RadioButton, 3, "axes figure"),
        plain(K::RadioButton, 3, "box with ticks"),
        spinner(1, "Text size:", &v.textSize, -1, F, 0.25f, 8.0f, 0.05f, false),
        bound(K::Checkbox, 1, "Smooth edges", &v.smoothEdges, -1),
        plain(K::Panel, 1, "Views"),
        bound(K::Button, 2, "Front view", nullptr, 911),
        bound(K::Button, 2, "Top view", nullptr, 912),
        bound(K::Button, 2, "Side view", nullptr, 913),
        bound(K::Button, 2, "Three-quarter view", nullptr, 914),
        bound(K::Button, 2, "Fit to window", nullptr, 910),
        bound(K::Button, 1, "Save picture", nullptr, 901),
        bound(K::Button, 1, "Save view", nullptr, 902),
        bound(K::Checkbox, 1, "Lighter picture while moving", &v.lighterWhileMoving, -1),
        spinner(1, "Frame budget while moving:", &v.frameBudget, -1, F, 10.0f, 1000.0f, 5.0f, true),
        plain(K::StaticText, 0, ""),
        bound(K::Button, 0, "Reset View", nullptr, 301),
        bound(K::Button, 0, "Quit", nullptr, 0),
    };
    rows.insert(rows.end(), rest.begin(), rest.end());
    return rows;
}

}  // namespace

using ControlPanel = PanelWindowTest;

TEST_F(ControlPanel, ControlDisplayHoldsTableAInOrder)
{
    testing::internal::CaptureStdout();
    buildPanel();
    std::fflush(stdout);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("GLUI version: 2.01\n", 0), 0u) << out;

    GLUI* window = newestWindow("Control Display");
    EXPECT_EQ(window, viewer.controlWindow);
    EXPECT_EQ(window->main_gfx_window(), viewer.mainWindow);
    expectTree(window, controlDisplayRows());
}

TEST_F(ControlPanel, MovementControlsHoldTableBInColumns)
{
    buildPanel();
    GLUI* window = newestWindow("Movement Controls");
    EXPECT_EQ(window, viewer.movementWindow);
    EXPECT_EQ(window->main_gfx_window(), viewer.mainWindow);

    ViewerState& v = viewer;
    const std::vector<Row> rows = {
        bound(K::Rotation, 0, "Rotate", v.rotateMat, -1),    plain(K::Column, 0, ""),
        bound(K::Translation, 0, "Objects XY", &v.objTrans[0], -1), plain(K::Column, 0, ""),
        bound(K::Translation, 0, "Objects X", &v.objTrans[0], -1),  plain(K::Column, 0, ""),
        bound(K::Translation, 0, "Objects Y", &v.objTrans[1], -1),  plain(K::Column, 0, ""),
        bound(K::Translation, 0, "Objects Z", &v.objTrans[2], -1),  plain(K::Column, 0, ""),
        bound(K::Rotation, 0, "Light 1", v.lightRotateMat, -1),
    };
    expectTree(window, rows);

    const auto& controls = window->main_panel()->children();
    ASSERT_EQ(controls.size(), rows.size());
    EXPECT_EQ(controls[0].get(), viewer.rotateControl);
    EXPECT_FLOAT_EQ(static_cast<GLUI_Rotation*>(controls[0].get())->spin(), 1.0f);
    EXPECT_FLOAT_EQ(static_cast<GLUI_Rotation*>(controls[10].get())->spin(), 0.82f);
    const int types[] = {GLUI_TRANSLATION_XY, GLUI_TRANSLATION_X, GLUI_TRANSLATION_Y,
                         GLUI_TRANSLATION_Z};
    for (int i = 0; i < 4; ++i) {
        auto t = static_cast<GLUI_Translation*>(controls[2 + 2 * i].get());
        EXPECT_EQ(t->trans_type(), types[i]) << t->name();
        EXPECT_FLOAT_EQ(t->speed(), 0.005f) << t->name();
    }
}

TEST_F(ControlPanel, ShowsTheDefaultsRightAfterTheBuild)
{
    buildPanel();
    GLUI_Control* root = viewer.controlWindow->main_panel();
    auto value = [&](K kind, const char* name) { return findControl(root, kind, name); };

    EXPECT_EQ(findControl(root, K::RadioButton, "MonoView ")->parent()->get_int_val(), 0);
    EXPECT_EQ(viewer.axisScalingRadio->get_int_val(), 0);
    EXPECT_EQ(viewer.displayTypeRadio->get_int_val(), 1);
    EXPECT_EQ(viewer.dataFormatRadio->get_int_val(), 0);
    EXPECT_EQ(viewer.applyColorRadio->get_int_val(), 0);
    EXPECT_EQ(value(K::Spinner, "Segments:")->get_int_val(), 8);
    EXPECT_FLOAT_EQ(viewer.scaleSpinner->get_float_val(), 1.0f);
    EXPECT_FLOAT_EQ(viewer.thicknessSpinner->get_float_val(), 0.02f);
    EXPECT_FLOAT_EQ(viewer.eyeSepSpinner->get_float_val(), 2.0f);
    EXPECT_FLOAT_EQ(viewer.focalLengthSpinner->get_float_val(), 20.0f);
    EXPECT_EQ(value(K::Checkbox, "Show axes")->get_int_val(), 0);
    EXPECT_EQ(value(K::Checkbox, "Show file name")->get_int_val(), 1);
    EXPECT_EQ(value(K::Checkbox, "Show movement controls")->get_int_val(), 1);
    EXPECT_FLOAT_EQ(viewer.light1IntensitySpinner->get_float_val(), 1.0f);
    EXPECT_FLOAT_EQ(viewer.light2IntensitySpinner->get_float_val(), 0.4f);
    for (GLUI_Spinner* s : {viewer.redSpinner, viewer.greenSpinner, viewer.blueSpinner})
        EXPECT_FLOAT_EQ(s->get_float_val(), 1.0f);
    for (float component : {viewer.colorRed, viewer.colorGreen, viewer.colorBlue})
        EXPECT_FLOAT_EQ(component, 1.0f);
    EXPECT_EQ(viewer.colorNameList->get_int_val(), 0);
    EXPECT_EQ(viewer.fileList->get_int_val(), 0);

    const std::vector<std::string> names = {"custom", "red",    "green",  "blue",
                                            "cyan",   "magenta", "yellow", "purple",
                                            "orange", "white",  "black"};
    EXPECT_EQ(itemTexts(viewer.colorNameList), names);
    const std::vector<std::string> digits = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    EXPECT_EQ(itemTexts(viewer.dataValueList), digits);
    for (const auto* list : {viewer.colorNameList, viewer.dataValueList})
        for (size_t i = 0; i < list->items().size(); ++i)
            EXPECT_EQ(list->items()[i].first, static_cast<int>(i));

    const std::vector<std::string> files = {"Choose Model", "a.dat", "b.dat"};
    EXPECT_EQ(itemTexts(viewer.fileList), files);
    EXPECT_EQ(viewer.fileList->items()[0].first, 0);
    EXPECT_EQ(std::string(viewer.folderText->get_text()), std::filesystem::current_path().string());
    EXPECT_EQ(viewer.folderText->width(), 200);
    EXPECT_STREQ(viewer.filterText->get_text(), "*.*");
}

TEST_F(ControlPanel, ANewBuildResetsColoursAndTurnsButKeepsOtherSettings)
{
    buildPanel();
    viewer.dataColors[3] = {0.1f, 0.2f, 0.3f, 0.0f};
    viewer.redSpinner->user_set_float(0.3f);
    viewer.rotateMat[0] = 0.5f;
    viewer.lightRotateMat[5] = 0.5f;
    viewer.eyeSeparation = 5.0f;
    viewer.displayType = DisplayType::Filled;
    GLUI* first = viewer.controlWindow;

    buildPanel();
    EXPECT_NE(viewer.controlWindow, first);
    EXPECT_FLOAT_EQ(viewer.dataColors[3].r, 0.0f);
    EXPECT_FLOAT_EQ(viewer.dataColors[3].g, 1.0f);
    EXPECT_FLOAT_EQ(viewer.dataColors[3].b, 1.0f);
    EXPECT_FLOAT_EQ(viewer.colorRed, 1.0f);
    EXPECT_FLOAT_EQ(viewer.rotateMat[0], 1.0f);
    EXPECT_FLOAT_EQ(viewer.lightRotateMat[5], 1.0f);
    EXPECT_FLOAT_EQ(viewer.eyeSeparation, 5.0f);
    EXPECT_FLOAT_EQ(viewer.eyeSepSpinner->get_float_val(), 5.0f);
    EXPECT_EQ(viewer.displayTypeRadio->get_int_val(), 4);
}
