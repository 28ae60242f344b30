// The control tree: what every control shares (live variable, id, callback, enabled
// state) and the simple controls: panels, rollouts, columns, radio groups, check boxes,
// buttons and static texts.
#include <GL/freeglut.h>

#include "glui/glui.h"
#include "glui/glui_internal.h"

GLUI_Control::GLUI_Control(GLUI_Kind kind, GLUI* glui, GLUI_Control* parent, std::string name,
                           void* liveVar, int id, GLUI_Update_CB callback)
    : kind_(kind), glui_(glui), parent_(parent), name_(std::move(name)), liveVar_(liveVar), id_(id),
      callback_(callback)
{
}

GLUI_Control::~GLUI_Control() = default;

void GLUI_Control::changed()
{
    if (glui_)
        glui_->request_redraw();
}

void GLUI_Control::enable()
{
    if (!enabled_) {
        enabled_ = true;
        changed();
    }
}

void GLUI_Control::disable()
{
    if (enabled_) {
        enabled_ = false;
        changed();
    }
}

void GLUI_Control::set_int_val(int) {}
void GLUI_Control::set_float_val(float) {}
int GLUI_Control::get_int_val() const { return 0; }
float GLUI_Control::get_float_val() const { return 0.0f; }

// Controls without a value of their own (buttons, static texts, panels) show their name.
void GLUI_Control::set_text(const char* text)
{
    name_ = text ? text : "";
    changed();
}

const char* GLUI_Control::get_text() const { return name_.c_str(); }

void GLUI_Control::sync_live()
{
    for (auto& child : children_)
        child->sync_live();
}

void GLUI_Control::notify_user_change()
{
    write_live();
    GLUI_Master.live_changed(liveVar_);
    if (!callback_)
        return;
    // The callback's GL and GLUT calls are meant for the main graphics window, not the panel.
    int previous = 0;
    int mainWindow = glui_ ? glui_->main_gfx_window() : 0;
    bool switchWindow = glui_detail::glutReady() && mainWindow > 0;
    if (switchWindow) {
        previous = glutGetWindow();
        glutSetWindow(mainWindow);
    }
    callback_(id_);
    if (switchWindow && previous > 0)
        glutSetWindow(previous);
}

GLUI_Control* GLUI_Control::add_child(std::unique_ptr<GLUI_Control> child)
{
    children_.push_back(std::move(child));
    changed();
    return children_.back().get();
}

GLUI_Panel::GLUI_Panel(GLUI* glui, GLUI_Control* parent, std::string name, int type, GLUI_Kind kind)
    : GLUI_Control(kind, glui, parent, std::move(name), nullptr, -1, nullptr), type_(type)
{
}

GLUI_Rollout::GLUI_Rollout(GLUI* glui, GLUI_Control* parent, std::string name, bool open, int type)
    : GLUI_Panel(glui, parent, std::move(name), type, GLUI_Kind::Rollout), open_(open)
{
}

void GLUI_Rollout::open()
{
    if (!open_) {
        open_ = true;
        changed();
    }
}

void GLUI_Rollout::close()
{
    if (open_) {
        open_ = false;
        changed();
    }
}

GLUI_Column::GLUI_Column(GLUI* glui, GLUI_Control* parent, bool drawBar)
    : GLUI_Control(GLUI_Kind::Column, glui, parent, "", nullptr, -1, nullptr), drawBar_(drawBar)
{
}

GLUI_IntValueControl::GLUI_IntValueControl(GLUI_Kind kind, GLUI* glui, GLUI_Control* parent, std::string name,
                                           int* liveVar, int id, GLUI_Update_CB callback)
    : GLUI_Control(kind, glui, parent, std::move(name), liveVar, id, callback)
{
    // A new control shows the value its variable already holds.
    if (liveVar)
        value_ = lastLive_ = *liveVar;
}

// Like GLUI, a list box's value may name an item that is not (or not yet) in the list;
// nothing is shown then.
void GLUI_IntValueControl::set_int_val(int value)
{
    value_ = value;
    write_live();
    changed();
}

void GLUI_IntValueControl::sync_live()
{
    if (!liveVar_)
        return;
    int live = *static_cast<int*>(liveVar_);
    if (live != lastLive_) {
        value_ = lastLive_ = live;
        changed();
    }
}

void GLUI_IntValueControl::write_live()
{
    if (liveVar_)
        *static_cast<int*>(liveVar_) = lastLive_ = value_;
}

void GLUI_IntValueControl::user_set_value(int value)
{
    value_ = value;
    changed();
    notify_user_change();
}

GLUI_RadioGroup::GLUI_RadioGroup(GLUI* glui, GLUI_Control* parent, int* liveVar, int id,
                                 GLUI_Update_CB callback)
    : GLUI_IntValueControl(GLUI_Kind::RadioGroup, glui, parent, "", liveVar, id, callback)
{
}

void GLUI_RadioGroup::user_choose(int index)
{
    if (index < 0 || index >= button_count())
        return;
    user_set_value(index);
}

GLUI_RadioButton::GLUI_RadioButton(GLUI* glui, GLUI_RadioGroup* group, std::string name)
    : GLUI_Control(GLUI_Kind::RadioButton, glui, group, std::move(name), nullptr, -1, nullptr)
{
}

GLUI_Checkbox::GLUI_Checkbox(GLUI* glui, GLUI_Control* parent, std::string name, int* liveVar, int id,
                             GLUI_Update_CB callback)
    : GLUI_IntValueControl(GLUI_Kind::Checkbox, glui, parent, std::move(name), liveVar, id, callback)
{
}

void GLUI_Checkbox::user_toggle()
{
    user_set_value(get_int_val() ? 0 : 1);
}

GLUI_Button::GLUI_Button(GLUI* glui, GLUI_Control* parent, std::string name, int id, GLUI_Update_CB callback)
    : GLUI_Control(GLUI_Kind::Button, glui, parent, std::move(name), nullptr, id, callback)
{
}

void GLUI_Button::user_press() { notify_user_change(); }

GLUI_StaticText::GLUI_StaticText(GLUI* glui, GLUI_Control* parent, std::string text)
    : GLUI_Control(GLUI_Kind::StaticText, glui, parent, std::move(text), nullptr, -1, nullptr)
{
}
