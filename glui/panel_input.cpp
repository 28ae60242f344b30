// Input of the panel windows: the GLUT callbacks pick the window, switch to its ImGui
// context and feed the event in, in order, at most one change of a button or key per frame.
#include <GL/freeglut.h>

#include <algorithm>
#include <cfloat>

#include "backends/imgui_impl_glut.h"
#include "glui/glui_internal.h"
#include "glui/panel_view.h"
#include "imgui.h"
#include "imgui_internal.h"

namespace {

constexpr int kFramesAfterInput = GLUI_View::kFramesAfterInput;
constexpr int kFramesAfterChange = GLUI_View::kFramesAfterChange;
constexpr int kAnyKey = -100;  // stands for every key in changedSinceFrame (buttons are -1 to -3)

// The panel window GLUT is calling about, with its ImGui context made current.
GLUI_View* eventView()
{
    GLUI* glui = glui_detail::findWindow(glutGetWindow());
    GLUI_View* view = glui ? glui->view() : nullptr;
    if (!view || view->closed)
        return nullptr;
    ImGui::SetCurrentContext(view->context);
    return view;
}

void updateModifiers()
{
    ImGuiIO& io = ImGui::GetIO();
    int mods = glutGetModifiers();
    io.KeyCtrl = (mods & GLUT_ACTIVE_CTRL) != 0;
    io.KeyShift = (mods & GLUT_ACTIVE_SHIFT) != 0;
    io.KeyAlt = (mods & GLUT_ACTIVE_ALT) != 0;
}

// The KeysDown entries a GLUT character stands for; GLUT reports Ctrl+letter as 1..26.
std::vector<int> keyIndices(unsigned char c)
{
    if (c >= 1 && c <= 26)
        return {c, c - 1 + 'a', c - 1 + 'A'};
    if (c >= 'a' && c <= 'z')
        return {c, c - 'a' + 'A'};
    if (c >= 'A' && c <= 'Z')
        return {c, c - 'A' + 'a'};
    return {c};
}

const int kNavDown = 256 + GLUT_KEY_DOWN;
const int kNavUp = 256 + GLUT_KEY_UP;

void pressKeys(GLUI_View& view, int glutKey, const std::vector<int>& indices, bool tabMove = false)
{
    std::vector<int> keys;
    for (int index : indices)
        if (index >= 0 && index < IM_ARRAYSIZE(ImGui::GetIO().KeysDown))
            keys.push_back(index);
    std::vector<int>& held = view.keysHeldBy[glutKey];
    held.insert(held.end(), keys.begin(), keys.end());
    auto kind = tabMove ? GLUI_View::InputEvent::TabKeys : GLUI_View::InputEvent::Keys;
    view.input({kind, -1, keys, true, 0.0f, 0.0f});
}

void releaseKeys(GLUI_View& view, int glutKey)
{
    std::vector<int> keys;
    keys.swap(view.keysHeldBy[glutKey]);
    if (!keys.empty())
        view.input({GLUI_View::InputEvent::Keys, -1, keys, false, 0.0f, 0.0f});
}

// One arrow key's worth of turning or shifting for a trackball or pad held by the keyboard:
// 5 degrees, or the shift of a 10-pixel drag. Runs outside any frame, like every user change.
void stepPad(GLUI_Control& control, int dx, int dy)
{
    const float turn = 0.0871557f;  // sin(5 degrees): that far from the ball's centre
    const float pixels = 10.0f;
    if (control.kind() == GLUI_Kind::Rotation) {
        auto& ball = static_cast<GLUI_Rotation&>(control);
        ball.user_begin_drag(0.0f, 0.0f);
        ball.user_drag_to(dx * turn, dy * turn);
        ball.user_drag_to(dx * turn, dy * turn);  // at rest before the release: no spin
        ball.user_end_drag();
    } else if (control.kind() == GLUI_Kind::Translation) {
        static_cast<GLUI_Translation&>(control).user_drag(dx * pixels, dy * pixels);
    }
}

void onDisplay()
{
    if (GLUI_View* view = eventView())
        view->frame();
}

void onReshape(int width, int height)
{
    GLUI_View* view = eventView();
    if (!view)
        return;
    view->width = width;
    view->height = height;
    ImGui_ImplGLUT_ReshapeFunc(width, height);
    view->wantFrames(kFramesAfterChange);
}

void onMotion(int x, int y)
{
    GLUI_View* view = eventView();
    if (!view)
        return;
    view->input({GLUI_View::InputEvent::Move, -1, {}, false, static_cast<float>(x), static_cast<float>(y)});
    view->wantFrames(kFramesAfterInput);
}

void onMouse(int button, int state, int x, int y)
{
    GLUI_View* view = eventView();
    if (!view)
        return;
    updateModifiers();
    int b = button == GLUT_LEFT_BUTTON ? 0 : button == GLUT_RIGHT_BUTTON ? 1 : button == GLUT_MIDDLE_BUTTON ? 2 : -1;
    if (state == GLUT_DOWN)
        view->adjusting = nullptr;
    if (b >= 0)
        view->input({GLUI_View::InputEvent::Button, b, {}, state == GLUT_DOWN, static_cast<float>(x),
                     static_cast<float>(y)});
    view->wantFrames(kFramesAfterInput);
}

void onWheel(int button, int dir, int x, int y)
{
    GLUI_View* view = eventView();
    if (!view)
        return;
    ImGui_ImplGLUT_MouseWheelFunc(button, dir, x, y);
    view->wantFrames(kFramesAfterInput);
}

// Leaving the window takes the pointer out of ImGui's sight, so nothing stays hovered.
void onEntry(int state)
{
    GLUI_View* view = eventView();
    if (!view || state != GLUT_LEFT)
        return;
    view->input({GLUI_View::InputEvent::Move, -1, {}, false, -FLT_MAX, -FLT_MAX});
    view->wantFrames(kFramesAfterChange);
}

void onKeyboard(unsigned char c, int, int)
{
    GLUI_View* view = eventView();
    if (!view)
        return;
    updateModifiers();
    ImGuiIO& io = ImGui::GetIO();
    ImGuiContext& g = *ImGui::GetCurrentContext();
    bool editing = io.WantTextInput;
    bool enter = c == '\r' || c == '\n';
    if (c == '\t' || c == 27)
        view->adjusting = nullptr;
    bool focusHidden = !editing && g.NavDisableHighlight && g.NavId != 0;
    if (focusHidden && (c == '\t' || enter || c == ' ')) {
        // Keys act on the control with keyboard focus (the first, or the one last clicked):
        // the first Tab only shows where it is.
        g.NavDisableHighlight = false;
        g.NavDisableMouseHover = true;
        if (c == '\t') {
            view->wantFrames(kFramesAfterInput);
            return;
        }
    }
    if (c == '\t' && !editing) {
        // Tab walks through every control (ImGui 1.86 would visit text fields only).
        pressKeys(*view, c, {io.KeyShift ? kNavUp : kNavDown}, true);
    } else if (enter && !editing && !view->enterTypes) {
        // Enter presses a button, check box or rollout header as Space does.
        pressKeys(*view, c, {' '});
    } else {
        if (c >= 32 && c != 127)
            view->input({GLUI_View::InputEvent::Char, c, {}, true, 0.0f, 0.0f});
        pressKeys(*view, c, keyIndices(c));
    }
    view->wantFrames(kFramesAfterInput);
}

void onKeyboardUp(unsigned char c, int, int)
{
    GLUI_View* view = eventView();
    if (!view)
        return;
    updateModifiers();
    releaseKeys(*view, c);
    view->wantFrames(kFramesAfterInput);
}

void setModifierKey(int key, bool down)
{
    ImGuiIO& io = ImGui::GetIO();
    if (key == GLUT_KEY_SHIFT_L || key == GLUT_KEY_SHIFT_R)
        io.KeyShift = down;
    else if (key == GLUT_KEY_CTRL_L || key == GLUT_KEY_CTRL_R)
        io.KeyCtrl = down;
    else if (key == GLUT_KEY_ALT_L || key == GLUT_KEY_ALT_R)
        io.KeyAlt = down;
}

void onSpecial(int key, int, int)
{
    GLUI_View* view = eventView();
    if (!view)
        return;
    updateModifiers();
    setModifierKey(key, true);
    if (view->adjusting && view->adjusting->is_enabled()) {
        int dx = (key == GLUT_KEY_RIGHT) - (key == GLUT_KEY_LEFT);
        int dy = (key == GLUT_KEY_UP) - (key == GLUT_KEY_DOWN);
        if (dx != 0 || dy != 0) {
            stepPad(*view->adjusting, dx, dy);
            view->wantFrames(kFramesAfterInput);
            return;
        }
    }
    pressKeys(*view, 256 + key, {256 + key});
    view->wantFrames(kFramesAfterInput);
}

void onSpecialUp(int key, int, int)
{
    GLUI_View* view = eventView();
    if (!view)
        return;
    updateModifiers();
    setModifierKey(key, false);
    releaseKeys(*view, 256 + key);
    view->wantFrames(kFramesAfterInput);
}

// freeglut makes the closing window's GL context current: the right moment to let go of ImGui.
void onClose()
{
    if (GLUI_View* view = eventView())
        view->shutDown();
}

}  // namespace

void registerPanelCallbacks()
{
    glutDisplayFunc(onDisplay);
    glutReshapeFunc(onReshape);
    glutMotionFunc(onMotion);
    glutPassiveMotionFunc(onMotion);
    glutMouseFunc(onMouse);
    glutMouseWheelFunc(onWheel);
    glutEntryFunc(onEntry);
    glutKeyboardFunc(onKeyboard);
    glutKeyboardUpFunc(onKeyboardUp);
    glutSpecialFunc(onSpecial);
    glutSpecialUpFunc(onSpecialUp);
    glutCloseFunc(onClose);
}

namespace {

// The entries of changedSinceFrame an event would change.
std::vector<int> changeKeys(const GLUI_View::InputEvent& event)
{
    if (event.kind == GLUI_View::InputEvent::Button)
        return {-1 - event.button};
    // One key change per frame: a Tab and the Enter after it must not reach ImGui together,
    // or Enter would act on the control Tab was leaving.
    if (event.kind == GLUI_View::InputEvent::Keys || event.kind == GLUI_View::InputEvent::TabKeys)
        return {kAnyKey};
    return {};
}

// Whether the event must wait for the next frame: it changes what ImGui has not yet seen
// change this frame, or it moves the pointer away from a button change ImGui has not yet
// seen (the release of a click would otherwise land where the next click is made).
bool mustWait(const std::vector<int>& changedSinceFrame, const GLUI_View::InputEvent& event)
{
    for (int change : changeKeys(event))
        if (std::find(changedSinceFrame.begin(), changedSinceFrame.end(), change) != changedSinceFrame.end())
            return true;
    if (event.kind == GLUI_View::InputEvent::Move)
        return std::any_of(changedSinceFrame.begin(), changedSinceFrame.end(),
                           [](int change) { return change < 0 && change != kAnyKey; });
    return false;
}

void applyInput(GLUI_View& view, const GLUI_View::InputEvent& event)
{
    ImGuiIO& io = ImGui::GetIO();
    switch (event.kind) {
    case GLUI_View::InputEvent::Move:
        io.MousePos = ImVec2(event.x, event.y);
        break;
    case GLUI_View::InputEvent::Button:
        io.MousePos = ImVec2(event.x, event.y);
        io.MouseDown[event.button] = event.down;
        break;
    case GLUI_View::InputEvent::Keys:
    case GLUI_View::InputEvent::TabKeys:
        for (int key : event.keys)
            io.KeysDown[key] = event.down;
        // The frame that sees Tab's move lets it wrap around.
        if (event.kind == GLUI_View::InputEvent::TabKeys)
            view.tabMove = true;
        break;
    case GLUI_View::InputEvent::Char:
        io.AddInputCharacter(static_cast<unsigned>(event.button));
        break;
    }
}

}  // namespace

void GLUI_View::input(InputEvent event)
{
    if (!queuedInput.empty() || mustWait(changedSinceFrame, event)) {
        queuedInput.push_back(std::move(event));
        return;
    }
    applyInput(*this, event);
    const std::vector<int> changes = changeKeys(event);
    changedSinceFrame.insert(changedSinceFrame.end(), changes.begin(), changes.end());
}

void GLUI_View::afterFrameInput()
{
    changedSinceFrame.clear();
    while (!queuedInput.empty()) {
        const InputEvent& event = queuedInput.front();
        if (mustWait(changedSinceFrame, event))
            return;
        const std::vector<int> changes = changeKeys(event);
        applyInput(*this, event);
        changedSinceFrame.insert(changedSinceFrame.end(), changes.begin(), changes.end());
        queuedInput.pop_front();
    }
}
