// Panel windows under X: a real GLUT window per panel sized to its controls, real clicks
// and keys through X (xdotool) into the GLUT callbacks and Dear ImGui, callbacks after the frame.
#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "glui/glui.h"
#include "glui/panel_view.h"
#include "imgui.h"
#include "imgui_internal.h"

namespace {

int displayWindow = 0;

void drawDisplay()
{
    glClearColor(0.1f, 0.1f, 0.2f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glutSwapBuffers();
}

bool haveDisplay() { return std::getenv("DISPLAY") != nullptr && *std::getenv("DISPLAY") != '\0'; }

// GLUT is set up once per process, with one display window standing in for the viewer's.
void initGlutOnce()
{
    if (displayWindow)
        return;
    int argc = 1;
    char name[] = "glui_window_test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(0, 0);
    glutInitWindowSize(200, 150);
    displayWindow = glutCreateWindow("Glui Test Display");
    glutDisplayFunc(drawDisplay);
}

// Runs GLUT's event handling for a while, or until the condition holds.
bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 2000)
{
    auto start = std::chrono::steady_clock::now();
    while (true) {
        glutMainLoopEvent();
        if (done && done())
            return true;
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        if (ms.count() > timeoutMs)
            return false;
        usleep(5000);
    }
}

void pump(int ms) { pumpUntil(nullptr, ms); }

std::string run(const std::string& command)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        out += buffer;
    pclose(pipe);
    return out;
}

// The X window with exactly this title, as a user (or xdotool) finds it.
std::string xWindow(const std::string& title)
{
    std::string out = run("xdotool search --name '^" + title + "$' 2>/dev/null");
    return out.substr(0, out.find('\n'));
}

int glutSize(const GLUI& glui, int what)
{
    int previous = glutGetWindow();
    glutSetWindow(glui.glut_window());
    int value = glutGet(what);
    glutSetWindow(previous);
    return value;
}

// Waits until the panel has drawn and its size has stopped changing.
void settle(const GLUI& glui)
{
    int lastW = -1, lastH = -1, stable = 0;
    pumpUntil([&] {
        int w = glutSize(glui, GLUT_WINDOW_WIDTH), h = glutSize(glui, GLUT_WINDOW_HEIGHT);
        stable = (w == lastW && h == lastH && glui.view()->framesDrawn > 0) ? stable + 1 : 0;
        lastW = w;
        lastH = h;
        return stable > 20;
    });
}

void xdo(const GLUI& glui, const std::string& actions)
{
    std::string id = xWindow(glui.name());
    ASSERT_FALSE(id.empty()) << glui.name();
    std::string command = "xdotool " + actions;
    size_t at;
    while ((at = command.find("WIN")) != std::string::npos)
        command.replace(at, 3, id);
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// Window coordinates of a point inside the control's last drawn widget.
std::string pointIn(const GLUI& glui, const GLUI_Control* control, float fx = 0.5f, float fy = 0.5f)
{
    auto found = glui.view()->drawnAt.find(control);
    if (found == glui.view()->drawnAt.end())
        return "0 0";
    const GLUI_View::Rect& r = found->second;
    int x = static_cast<int>(r.x0 + (r.x1 - r.x0) * fx), y = static_cast<int>(r.y0 + (r.y1 - r.y0) * fy);
    return std::to_string(x) + " " + std::to_string(y);
}

void click(const GLUI& glui, const GLUI_Control* control, float fx = 0.5f, float fy = 0.5f)
{
    // Press and release arrive together: the layer must hold the release back for ImGui.
    xdo(glui, "mousemove --window WIN " + pointIn(glui, control, fx, fy) + " click 1");
}

class GluiWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!haveDisplay())
            GTEST_SKIP() << "no X display";
        initGlutOnce();
    }
    std::unique_ptr<GLUI> panel(const char* title, int x, int y)
    {
        auto glui = std::make_unique<GLUI>(title, x, y);
        glui->set_main_gfx_window(displayWindow);
        return glui;
    }
};

TEST_F(GluiWindow, PanelWindowIsTitledPlacedAndFollowsItsRollouts)
{
    float values[3] = {1.0f, 2.0f, 3.0f};
    auto glui = panel("Glui Sizing Panel", 300, 40);
    GLUI_Rollout* rollout = glui->add_rollout("Object Properties", false);
    for (float& v : values)
        glui->add_spinner_to_panel(rollout, "Value:", GLUI_SPINNER_FLOAT, &v);
    glui->add_button("Quit");
    settle(*glui);
    EXPECT_FALSE(xWindow("Glui Sizing Panel").empty());
    EXPECT_EQ(glutSize(*glui, GLUT_WINDOW_X), 300);
    EXPECT_EQ(glutSize(*glui, GLUT_WINDOW_Y), 40);
    int closedW = glutSize(*glui, GLUT_WINDOW_WIDTH), closedH = glutSize(*glui, GLUT_WINDOW_HEIGHT);
    EXPECT_GT(closedW, 100);  // room for the header and the button
    EXPECT_GT(closedH, 30);

    // A click on the header opens the rollout: the window grows by three rows of spinners.
    click(*glui, rollout, 0.5f, 0.05f);
    settle(*glui);
    EXPECT_TRUE(rollout->is_open());
    int openH = glutSize(*glui, GLUT_WINDOW_HEIGHT);
    EXPECT_GE(openH, closedH + 3 * 15);

    rollout->close();
    settle(*glui);
    EXPECT_EQ(glutSize(*glui, GLUT_WINDOW_HEIGHT), closedH);
    EXPECT_EQ(glutSize(*glui, GLUT_WINDOW_WIDTH), closedW);

    // Hidden and shown again, as the movement window is.
    glui->hide();
    EXPECT_FALSE(glui->is_visible());
    glui->show();
    EXPECT_TRUE(glui->is_visible());
}

int lastPressed = 0;
void pressed(int id) { lastPressed = id; }

TEST_F(GluiWindow, PanelKeepsItsWidthAndScrollsWhatTheScreenCannotHold)
{
    // A short rollout with a wide control, and one with more rows than the screen's height.
    auto glui = panel("Glui Tall Panel", 600, 40);
    int choice = 0;
    GLUI_Rollout* wide = glui->add_rollout("Wide", false);
    GLUI_RadioGroup* group = glui->add_radiogroup_to_panel(wide, &choice);
    glui->add_radiobutton_to_group(group, "A choice with a long name that widens the rollout");
    GLUI_Rollout* many = glui->add_rollout("Many", false);
    std::vector<int> boxes(80, 0);
    for (int& box : boxes)
        glui->add_checkbox_to_panel(many, "Box", &box);
    GLUI_Button* last = glui->add_button("Last", 7, pressed);
    settle(*glui);
    const int closedW = glutSize(*glui, GLUT_WINDOW_WIDTH), closedH = glutSize(*glui, GLUT_WINDOW_HEIGHT);
    EXPECT_GT(closedW, 300) << "as wide as the wide rollout open";

    click(*glui, wide, 0.5f, 0.5f);
    settle(*glui);
    ASSERT_TRUE(wide->is_open());
    EXPECT_EQ(glutSize(*glui, GLUT_WINDOW_WIDTH), closedW);
    EXPECT_GT(glutSize(*glui, GLUT_WINDOW_HEIGHT), closedH);

    // Every rollout open: the window reaches the screen's bottom edge and no further.
    many->open();
    glui->request_redraw();
    settle(*glui);
    const int screenH = glutGet(GLUT_SCREEN_HEIGHT);
    EXPECT_EQ(glutSize(*glui, GLUT_WINDOW_HEIGHT), screenH - 40);
    EXPECT_EQ(glutSize(*glui, GLUT_WINDOW_WIDTH), closedW);
    ASSERT_GT(80 * 20, screenH) << "the test needs a screen lower than its rows";
    EXPECT_GT(glui->view()->drawnAt.at(last).y0, screenH - 40) << "the last button lies below the window";

    // The wheel scrolls the controls until the last button is in sight, and it answers a click.
    for (int turn = 0; turn < 40 && glui->view()->drawnAt.at(last).y1 > screenH - 40; ++turn) {
        xdo(*glui, "mousemove --window WIN 100 100 click --repeat 5 --delay 20 5");
        settle(*glui);
    }
    ASSERT_LE(glui->view()->drawnAt.at(last).y1, screenH - 40);
    click(*glui, last);
    ASSERT_TRUE(pumpUntil([] { return lastPressed == 7; }));
}

TEST_F(GluiWindow, ColumnsStandSideBySide)
{
    float m1[16], m2[16], t[2];
    auto glui = panel("Glui Column Panel", 300, 300);
    GLUI_Rotation* left = glui->add_rotation("Rotate", m1);
    glui->add_column(0);
    GLUI_Translation* middle = glui->add_translation("Objects XY", GLUI_TRANSLATION_XY, t);
    glui->add_column(0);
    GLUI_Rotation* right = glui->add_rotation("Light 1", m2);
    settle(*glui);
    const auto& at = glui->view()->drawnAt;
    EXPECT_FLOAT_EQ(at.at(left).y0, at.at(middle).y0);
    EXPECT_FLOAT_EQ(at.at(middle).y0, at.at(right).y0);
    EXPECT_LT(at.at(left).x1, at.at(middle).x0);
    EXPECT_LT(at.at(middle).x1, at.at(right).x0);
    EXPECT_GT(glutSize(*glui, GLUT_WINDOW_WIDTH), glutSize(*glui, GLUT_WINDOW_HEIGHT));
}

// What a callback saw of its surroundings.
struct CallbackView {
    int calls = 0;
    int currentWindow = 0;
    bool insideFrame = true;
};
CallbackView seen;
GLUI* builtByCallback = nullptr;
CallbackView seenInNewWindow;

void newWindowButton(int)
{
    ++seenInNewWindow.calls;
    seenInNewWindow.currentWindow = glutGetWindow();
}

void openAnotherPanel(int)
{
    ++seen.calls;
    seen.currentWindow = glutGetWindow();
    ImGuiContext* context = ImGui::GetCurrentContext();
    seen.insideFrame = context && context->WithinFrameScope;
    // Like the view-mode change: a new pair of windows built from inside a callback.
    if (!builtByCallback) {
        builtByCallback = GLUI_Master.create_glui("Glui Built By Callback", 0, 600, 300);
        builtByCallback->add_button("Another", 7, newWindowButton);
        builtByCallback->set_main_gfx_window(displayWindow);
    }
}

TEST_F(GluiWindow, ClickRunsTheCallbackAfterTheFrameInTheDisplayWindow)
{
    auto glui = panel("Glui Callback Panel", 300, 200);
    GLUI_Button* button = glui->add_button("Open", 5, openAnotherPanel);
    settle(*glui);
    click(*glui, button);
    ASSERT_TRUE(pumpUntil([] { return seen.calls > 0; }));
    EXPECT_EQ(seen.calls, 1);
    EXPECT_EQ(seen.currentWindow, displayWindow);
    EXPECT_FALSE(seen.insideFrame);

    ASSERT_NE(builtByCallback, nullptr);
    settle(*builtByCallback);
    EXPECT_FALSE(xWindow("Glui Built By Callback").empty());
    EXPECT_GT(builtByCallback->view()->framesDrawn, 0);
    click(*builtByCallback, builtByCallback->main_panel()->children()[0].get());
    ASSERT_TRUE(pumpUntil([] { return seenInNewWindow.calls > 0; }));
    EXPECT_EQ(seenInNewWindow.currentWindow, displayWindow);

    // The earlier window keeps working.
    click(*glui, button);
    ASSERT_TRUE(pumpUntil([] { return seen.calls > 1; }));
}

float typedEye = 2.0f;
float eyeInCallback = -1.0f;
void eyeChanged(int) { eyeInCallback = typedEye; }

TEST_F(GluiWindow, SpinnerTakesTypedAndDraggedValuesWithinItsLimits)
{
    auto glui = panel("Glui Spinner Panel", 300, 400);
    GLUI_Spinner* s = glui->add_spinner("Eye Separation:", GLUI_SPINNER_FLOAT, &typedEye, 602, eyeChanged);
    s->set_float_limits(0.0f, 45.0f);
    s->set_speed(0.05f);
    s->set_alignment(GLUI_ALIGN_RIGHT);
    settle(*glui);
    // Double-click to type; Enter ends typing. 99 is clamped to the upper limit.
    xdo(*glui, "mousemove --window WIN " + pointIn(*glui, s) + " click --repeat 2 --delay 80 1");
    pump(300);
    xdo(*glui, "key ctrl+a BackSpace type 99");
    pump(200);
    xdo(*glui, "key Return");
    ASSERT_TRUE(pumpUntil([] { return typedEye == 45.0f; })) << typedEye;
    EXPECT_FLOAT_EQ(eyeInCallback, 45.0f);
    EXPECT_FLOAT_EQ(s->get_float_val(), 45.0f);

    // A drag to the left lowers the value.
    s->set_float_val(10.0f);
    settle(*glui);
    xdo(*glui, "mousemove --window WIN " + pointIn(*glui, s) + " mousedown 1");
    pump(150);
    for (int i = 1; i <= 4; ++i) {
        xdo(*glui, "mousemove_relative -- -10 0");
        pump(60);
    }
    xdo(*glui, "mouseup 1");
    pump(200);
    EXPECT_LT(typedEye, 10.0f);
    EXPECT_GE(typedEye, 0.0f);

    // GLUI's arrows step the value, and stop at the limit.
    int segments = 59;
    GLUI_Spinner* count = glui->add_spinner("Segments:", GLUI_SPINNER_INT, &segments);
    count->set_int_limits(3, 60);
    settle(*glui);
    const GLUI_View::Rect& box = glui->view()->drawnAt.at(count);
    float side = box.y1 - box.y0;
    std::string up = std::to_string(static_cast<int>(box.x1 + 1.0f + side * 0.5f)) + " " +
                     std::to_string(static_cast<int>((box.y0 + box.y1) * 0.5f));
    xdo(*glui, "mousemove --window WIN " + up + " click 1");
    ASSERT_TRUE(pumpUntil([&] { return segments == 60; }));
    xdo(*glui, "click 1");
    pump(300);
    EXPECT_EQ(segments, 60);
    std::string down = std::to_string(static_cast<int>(box.x1 + 2.0f + side * 1.5f)) + " " +
                       std::to_string(static_cast<int>((box.y0 + box.y1) * 0.5f));
    xdo(*glui, "mousemove --window WIN " + down + " click 1");
    EXPECT_TRUE(pumpUntil([&] { return segments == 59; }));
}

int navButtonCalls = 0;
int navChecked = 0;
void navButton(int) { ++navButtonCalls; }

TEST_F(GluiWindow, KeyboardMovesBetweenControlsAndActs)
{
    auto glui = panel("Glui Keyboard Panel", 600, 40);
    glui->add_button("First", 1, navButton);
    glui->add_checkbox("Second", &navChecked);
    GLUI_Checkbox* off = glui->add_checkbox("Disabled", nullptr);
    off->disable();
    settle(*glui);
    // The pointer rests in the window (focus follows it) but on no control.
    xdo(*glui, "mousemove --window WIN 2 2");
    pump(100);
    xdo(*glui, "key Tab");
    pump(150);
    xdo(*glui, "key Return");
    ASSERT_TRUE(pumpUntil([] { return navButtonCalls == 1; }));
    xdo(*glui, "key Tab");
    pump(150);
    xdo(*glui, "key space");
    ASSERT_TRUE(pumpUntil([] { return navChecked == 1; }));
    // Tab skips the disabled control and, past the last one, comes back to the first.
    xdo(*glui, "key Tab");
    pump(150);
    xdo(*glui, "key Return");
    EXPECT_TRUE(pumpUntil([] { return navButtonCalls == 2; }));
    // A disabled control ignores clicks.
    click(*glui, off, 0.1f, 0.5f);
    pump(200);
    EXPECT_EQ(off->get_int_val(), 0);
}

TEST_F(GluiWindow, PanelsAtRestDrawNothingUntilAFieldChanges)
{
    int flag = 0;
    float amount = 1.0f;
    auto glui = panel("Glui Idle Panel", 600, 300);
    glui->add_checkbox("Flag", &flag);
    GLUI_Spinner* s = glui->add_spinner("Amount:", GLUI_SPINNER_FLOAT, &amount);
    settle(*glui);
    long before = glui->view()->framesDrawn;
    for (int i = 0; i < 50; ++i) {
        GLUI_Master.sync_live_all();
        glutMainLoopEvent();
        usleep(2000);
    }
    EXPECT_EQ(glui->view()->framesDrawn, before);
    amount = 4.0f;
    GLUI_Master.sync_live_all();
    pump(200);
    EXPECT_GT(glui->view()->framesDrawn, before);
    EXPECT_FLOAT_EQ(s->get_float_val(), 4.0f);
}

int answeredClicks = 0;
void countClick(int) { ++answeredClicks; }

// A click takes the panel a few frames; until they are drawn it says that it is answering,
// and the display window keeps its slices of a slow frame short meanwhile.
TEST_F(GluiWindow, SaysItIsAnsweringUntilTheFramesOfAClickAreDrawn)
{
    auto glui = panel("Glui Answering Panel", 640, 200);
    GLUI_Button* button = glui->add_button("Press", 7, countClick);
    settle(*glui);
    EXPECT_FALSE(GLUI_Master.answering_input());
    click(*glui, button);
    ASSERT_TRUE(pumpUntil([] { return GLUI_Master.answering_input(); }));
    ASSERT_TRUE(pumpUntil([] { return !GLUI_Master.answering_input(); }));
    EXPECT_EQ(answeredClicks, 1);
    const long drawn = glui->view()->framesDrawn;
    pump(200);
    EXPECT_FALSE(GLUI_Master.answering_input());
    EXPECT_EQ(glui->view()->framesDrawn, drawn);
}

int firstClicks = 0, secondClicks = 0;
void countFirst(int) { ++firstClicks; }
void countSecond(int) { ++secondClicks; }

// Clicks made while the program is busy all wait in the queue: each must reach ImGui where
// it was made, the pointer's move to the next one waiting for the frame that sees the last.
TEST_F(GluiWindow, ClicksQueuedWhileBusyEachReachTheirControl)
{
    auto glui = panel("Glui Queued Clicks Panel", 640, 200);
    GLUI_Button* first = glui->add_button("First", 8, countFirst);
    GLUI_Button* second = glui->add_button("Second", 9, countSecond);
    settle(*glui);
    firstClicks = secondClicks = 0;
    xdo(*glui, "mousemove --window WIN " + pointIn(*glui, first) + " click 1 mousemove --window WIN " +
                   pointIn(*glui, second) + " click 1");
    ASSERT_TRUE(pumpUntil([] { return secondClicks > 0; }));
    pump(200);
    EXPECT_EQ(firstClicks, 1);
    EXPECT_EQ(secondClicks, 1);
}

TEST_F(GluiWindow, TrackballFollowsAMouseDrag)
{
    float m[16];
    auto glui = panel("Glui Trackball Panel", 600, 500);
    GLUI_Rotation* ball = glui->add_rotation("Rotate", m);
    settle(*glui);
    xdo(*glui, "mousemove --window WIN " + pointIn(*glui, ball, 0.5f, 0.4f) + " mousedown 1");
    pump(150);
    for (int i = 0; i < 3; ++i) {
        xdo(*glui, "mousemove_relative 6 0");
        pump(60);
    }
    xdo(*glui, "mouseup 1");
    pump(200);
    EXPECT_GT(m[8], 0.05f);  // turned about +y: the front moved right with the pointer
    EXPECT_NEAR(m[5], 1.0f, 1e-3f);
    EXPECT_FALSE(ball->spinning());  // no spin asked for

    // Without a mouse: Tab to the ball, Space hands it the arrow keys, 5 degrees a press.
    ball->reset();
    float shift[2] = {0.0f, 0.0f};
    glui->add_column(0);
    GLUI_Translation* pad = glui->add_translation("Objects XY", GLUI_TRANSLATION_XY, shift);
    pad->set_speed(0.5f);
    settle(*glui);
    xdo(*glui, "mousemove --window WIN 1 1");
    pump(100);
    for (const char* key : {"Tab", "space", "Right"}) {
        xdo(*glui, std::string("key ") + key);
        pump(150);
    }
    EXPECT_NEAR(std::atan2(m[8], m[10]), 0.0872665f, 1e-4f);
    // Space again gives the arrows back to moving between controls: Right goes to the pad.
    for (const char* key : {"space", "Right", "space", "Up", "Up"}) {
        xdo(*glui, std::string("key ") + key);
        pump(150);
    }
    EXPECT_NEAR(std::atan2(m[8], m[10]), 0.0872665f, 1e-4f);
    EXPECT_FLOAT_EQ(shift[0], 0.0f);
    EXPECT_FLOAT_EQ(shift[1], 10.0f);  // two presses of 10 pixels at speed 0.5
}

int folderCalls = 0;
std::string folderSeen;
GLUI_EditText* folderBox = nullptr;
void folderChanged(int id)
{
    ++folderCalls;
    folderSeen = std::to_string(id) + ":" + folderBox->get_text();
}
int chosenItem = 0;
int chosenInCallback = -1;
void itemChosen(int) { chosenInCallback = chosenItem; }

TEST_F(GluiWindow, TextBoxAndListTakeTheirValuesFromTheUser)
{
    auto glui = panel("Glui Text Panel", 300, 500);
    folderBox = glui->add_edittext("Folder:", GLUI_EDITTEXT_TEXT, nullptr, 404, folderChanged);
    folderBox->set_w(200);
    folderBox->set_text("/data");
    GLUI_Listbox* files = glui->add_listbox("Files:", &chosenItem, 403, itemChosen);
    files->add_item(0, "Choose Model");
    files->add_item(5, "points.dat");
    files->add_item(9, "surface.mpl");
    settle(*glui);

    // Typing alone calls nothing; Enter hands over the finished text.
    xdo(*glui, "mousemove --window WIN " + pointIn(*glui, folderBox, 0.9f) + " click 1");
    pump(200);
    xdo(*glui, "key End type /x");
    pump(200);
    EXPECT_EQ(folderCalls, 0);
    xdo(*glui, "key Return");
    ASSERT_TRUE(pumpUntil([] { return folderCalls == 1; }));
    EXPECT_EQ(folderSeen, "404:/data/x");

    // Opening the list grows the window for its pop-up; the chosen item's id is the value.
    int before = glutSize(*glui, GLUT_WINDOW_HEIGHT);
    click(*glui, files);
    settle(*glui);
    EXPECT_GT(glutSize(*glui, GLUT_WINDOW_HEIGHT), before);
    const GLUI_View::Rect& box = glui->view()->drawnAt.at(files);
    // Rows follow the box: the third row is "surface.mpl".
    const float row = 17.0f;  // the default 13-pixel font and 4 pixels of spacing
    int x = static_cast<int>(box.x0 + 20.0f);
    int y = static_cast<int>(box.y1 + 8.0f + 2.5f * row);
    xdo(*glui, "mousemove --window WIN " + std::to_string(x) + " " + std::to_string(y) + " click 1");
    ASSERT_TRUE(pumpUntil([] { return chosenInCallback >= 0; }));
    EXPECT_EQ(chosenItem, 9);
    EXPECT_EQ(chosenInCallback, 9);
    settle(*glui);
    EXPECT_EQ(glutSize(*glui, GLUT_WINDOW_HEIGHT), before);
}

int keysToViewer = 0;
void viewerKey(unsigned char, int, int) { ++keysToViewer; }
int viewportW = -1, viewportH = -1;
void viewerReshape(int, int)
{
    int x, y;
    GLUI_Master.get_viewport_area(&x, &y, &viewportW, &viewportH);
}

TEST_F(GluiWindow, DisplayWindowEventsReachTheViewerUnchanged)
{
    glutSetWindow(displayWindow);
    GLUI_Master.set_glutKeyboardFunc(viewerKey);
    GLUI_Master.set_glutReshapeFunc(viewerReshape);
    std::string id = xWindow("Glui Test Display");
    ASSERT_FALSE(id.empty());
    ASSERT_EQ(std::system(("xdotool mousemove --window " + id + " 20 20 key x").c_str()), 0);
    EXPECT_TRUE(pumpUntil([] { return keysToViewer == 1; }));
    glutReshapeWindow(220, 170);
    EXPECT_TRUE(pumpUntil([] { return viewportW == 220 && viewportH == 170; }));
}

TEST_F(GluiWindow, TrackballReleasedInMotionSpinsThroughTheIdlePass)
{
    float m[16];
    auto glui = panel("Glui Spin Panel", 600, 500);
    GLUI_Rotation* ball = glui->add_rotation("Light 1", m);
    ball->set_spin(1.0f);
    settle(*glui);
    xdo(*glui, "mousemove --window WIN " + pointIn(*glui, ball, 0.5f, 0.4f) + " mousedown 1");
    pump(150);
    xdo(*glui, "mousemove_relative 8 0");
    pump(60);
    // The last movement and the release arrive together: a release in motion.
    xdo(*glui, "mousemove_relative 8 0 mouseup 1");
    pump(200);
    ASSERT_TRUE(ball->spinning());
    float before = std::atan2(m[8], m[10]);
    GLUI_Master.idle_pass();
    GLUI_Master.idle_pass();
    EXPECT_GT(std::atan2(m[8], m[10]), before);
    ball->reset();
    EXPECT_FALSE(ball->spinning());
}

}  // namespace
