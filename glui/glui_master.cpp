// GLUI_Master: creates panel windows, routes the display window's events to the
// viewer's handlers, runs the idle pass and pushes live variables into the controls.
#include <GL/freeglut.h>

#include "glui/glui.h"
#include "glui/glui_internal.h"
#include "glui/panel_view.h"

GLUI_Master_Object GLUI_Master;

namespace glui_detail {

bool glutReady() { return glutGet(GLUT_INIT_STATE) != 0; }

// Never destroyed: windows still in GLUI_Master leave the registry during the exit handlers.
std::vector<GLUI*>& registry()
{
    static auto* windows = new std::vector<GLUI*>;
    return *windows;
}

GLUI* findWindow(int glutWindow)
{
    if (glutWindow <= 0)
        return nullptr;
    for (GLUI* glui : registry())
        if (glui->glut_window() == glutWindow)
            return glui;
    return nullptr;
}

void spinStarted() { GLUI_Master.update_idle_registration(); }

}  // namespace glui_detail

namespace {

// The events of the display window go to the viewer unchanged; they can only be
// registered where GLUT runs and a window is current.
bool canRegister() { return glui_detail::glutReady() && glutGetWindow() > 0; }

bool anySpinning(const GLUI_Control& control)
{
    if (control.kind() == GLUI_Kind::Rotation && static_cast<const GLUI_Rotation&>(control).spinning())
        return true;
    for (const auto& child : control.children())
        if (anySpinning(*child))
            return true;
    return false;
}

bool stepSpins(GLUI_Control& control)
{
    bool stepped = false;
    if (control.kind() == GLUI_Kind::Rotation)
        stepped = static_cast<GLUI_Rotation&>(control).step_spin();
    for (const auto& child : control.children())
        stepped = stepSpins(*child) || stepped;
    return stepped;
}

void masterIdle() { GLUI_Master.idle_pass(); }

}  // namespace

GLUI* GLUI_Master_Object::create_glui(const char* name, long, int x, int y)
{
    windows_.push_back(std::make_unique<GLUI>(name, x, y));
    return windows_.back().get();
}

void GLUI_Master_Object::set_glutReshapeFunc(void (*f)(int, int))
{
    if (canRegister())
        glutReshapeFunc(f);
}

void GLUI_Master_Object::set_glutKeyboardFunc(void (*f)(unsigned char, int, int))
{
    if (canRegister())
        glutKeyboardFunc(f);
}

void GLUI_Master_Object::set_glutSpecialFunc(void (*f)(int, int, int))
{
    if (canRegister())
        glutSpecialFunc(f);
}

void GLUI_Master_Object::set_glutMouseFunc(void (*f)(int, int, int, int))
{
    if (canRegister())
        glutMouseFunc(f);
}

void GLUI_Master_Object::set_glutIdleFunc(void (*f)())
{
    idleFunc_ = f;
    update_idle_registration();
}

// An idle function makes GLUT spin without pause; it is installed only while the viewer
// has one or a trackball is turning.
void GLUI_Master_Object::update_idle_registration()
{
    if (!glui_detail::glutReady())
        return;
    bool needed = idleFunc_ != nullptr;
    for (GLUI* glui : glui_detail::registry())
        needed = needed || anySpinning(*glui->main_panel());
    if (needed != idleInstalled_) {
        glutIdleFunc(needed ? masterIdle : nullptr);
        idleInstalled_ = needed;
    }
}

bool GLUI_Master_Object::answering_input() const
{
    for (GLUI* glui : glui_detail::registry()) {
        const GLUI_View* view = glui->view();
        if (view != nullptr && !view->closed && (view->framesWanted > 0 || !view->queuedInput.empty()))
            return true;
    }
    return false;
}

void GLUI_Master_Object::idle_pass()
{
    if (idleFunc_)
        idleFunc_();
    bool stillSpinning = false;
    // By index: a spin step's callback may open new panel windows.
    auto& windows = glui_detail::registry();
    for (size_t i = 0; i < windows.size(); ++i) {
        GLUI* glui = windows[i];
        stepSpins(*glui->main_panel());
        stillSpinning = stillSpinning || anySpinning(*glui->main_panel());
    }
    if (!stillSpinning && !idleFunc_)
        update_idle_registration();
}

void GLUI_Master_Object::get_viewport_area(int* x, int* y, int* width, int* height)
{
    int w = 0, h = 0;
    if (canRegister()) {
        w = glutGet(GLUT_WINDOW_WIDTH);
        h = glutGet(GLUT_WINDOW_HEIGHT);
    }
    if (x)
        *x = 0;
    if (y)
        *y = 0;
    if (width)
        *width = w;
    if (height)
        *height = h;
}

void GLUI_Master_Object::sync_live_all()
{
    for (GLUI* glui : glui_detail::registry())
        glui->sync_live();
}
