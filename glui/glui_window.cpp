// A panel window: its control tree and the GLUI calls that add controls to it.
#include <GL/freeglut.h>

#include <algorithm>

#include "glui/glui.h"
#include "glui/glui_internal.h"
#include "glui/panel_view.h"

GLUI::GLUI(const char* name, int x, int y)
    : name_(name ? name : ""),
      mainPanel_(std::make_unique<GLUI_Panel>(this, nullptr, "", GLUI_PANEL_NONE))
{
    glui_detail::registry().push_back(this);
    view_ = glui_detail::openView(*this, x, y);
    if (view_)
        glutWindow_ = glui_detail::viewWindow(*view_);
}

GLUI::~GLUI()
{
    auto& all = glui_detail::registry();
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
    // The view goes first: its Dear ImGui state refers to the controls.
    view_.reset();
}

template <class T, class... Args> T* GLUI::add(GLUI_Control* parent, Args&&... args)
{
    if (!parent)
        parent = mainPanel_.get();
    auto control = std::make_unique<T>(this, parent, std::forward<Args>(args)...);
    return static_cast<T*>(parent->add_child(std::move(control)));
}

namespace {
std::string text(const char* s) { return s ? s : ""; }
}  // namespace

GLUI_Rollout* GLUI::add_rollout(const char* name, int open, int type)
{
    return add_rollout_to_panel(nullptr, name, open, type);
}

GLUI_Rollout* GLUI::add_rollout_to_panel(GLUI_Panel* panel, const char* name, int open, int type)
{
    return add<GLUI_Rollout>(panel, text(name), open != 0, type);
}

GLUI_Panel* GLUI::add_panel(const char* name, int type) { return add_panel_to_panel(nullptr, name, type); }

GLUI_Panel* GLUI::add_panel_to_panel(GLUI_Panel* panel, const char* name, int type)
{
    return add<GLUI_Panel>(panel, text(name), type);
}

GLUI_Spinner* GLUI::add_spinner(const char* name, int dataType, void* liveVar, int id, GLUI_Update_CB callback)
{
    return add_spinner_to_panel(nullptr, name, dataType, liveVar, id, callback);
}

GLUI_Spinner* GLUI::add_spinner_to_panel(GLUI_Panel* panel, const char* name, int dataType, void* liveVar, int id,
                                         GLUI_Update_CB callback)
{
    return add<GLUI_Spinner>(panel, text(name), dataType, liveVar, id, callback);
}

GLUI_RadioGroup* GLUI::add_radiogroup(int* liveVar, int id, GLUI_Update_CB callback)
{
    return add_radiogroup_to_panel(nullptr, liveVar, id, callback);
}

GLUI_RadioGroup* GLUI::add_radiogroup_to_panel(GLUI_Panel* panel, int* liveVar, int id, GLUI_Update_CB callback)
{
    return add<GLUI_RadioGroup>(panel, liveVar, id, callback);
}

GLUI_RadioButton* GLUI::add_radiobutton_to_group(GLUI_RadioGroup* group, const char* name)
{
    if (!group)
        return nullptr;
    auto button = std::make_unique<GLUI_RadioButton>(this, group, text(name));
    return static_cast<GLUI_RadioButton*>(group->add_child(std::move(button)));
}

GLUI_Checkbox* GLUI::add_checkbox(const char* name, int* liveVar, int id, GLUI_Update_CB callback)
{
    return add_checkbox_to_panel(nullptr, name, liveVar, id, callback);
}

GLUI_Checkbox* GLUI::add_checkbox_to_panel(GLUI_Panel* panel, const char* name, int* liveVar, int id,
                                           GLUI_Update_CB callback)
{
    return add<GLUI_Checkbox>(panel, text(name), liveVar, id, callback);
}

GLUI_Listbox* GLUI::add_listbox(const char* name, int* liveVar, int id, GLUI_Update_CB callback)
{
    return add_listbox_to_panel(nullptr, name, liveVar, id, callback);
}

GLUI_Listbox* GLUI::add_listbox_to_panel(GLUI_Panel* panel, const char* name, int* liveVar, int id,
                                         GLUI_Update_CB callback)
{
    return add<GLUI_Listbox>(panel, text(name), liveVar, id, callback);
}

GLUI_Button* GLUI::add_button(const char* name, int id, GLUI_Update_CB callback)
{
    return add_button_to_panel(nullptr, name, id, callback);
}

GLUI_Button* GLUI::add_button_to_panel(GLUI_Panel* panel, const char* name, int id, GLUI_Update_CB callback)
{
    return add<GLUI_Button>(panel, text(name), id, callback);
}

GLUI_EditText* GLUI::add_edittext(const char* name, int dataType, void* liveVar, int id, GLUI_Update_CB callback)
{
    return add_edittext_to_panel(nullptr, name, dataType, liveVar, id, callback);
}

GLUI_EditText* GLUI::add_edittext_to_panel(GLUI_Panel* panel, const char* name, int dataType, void* liveVar,
                                           int id, GLUI_Update_CB callback)
{
    return add<GLUI_EditText>(panel, text(name), dataType, liveVar, id, callback);
}

GLUI_StaticText* GLUI::add_statictext(const char* name) { return add_statictext_to_panel(nullptr, name); }

GLUI_StaticText* GLUI::add_statictext_to_panel(GLUI_Panel* panel, const char* name)
{
    return add<GLUI_StaticText>(panel, text(name));
}

void GLUI::add_column(int drawBar) { add_column_to_panel(nullptr, drawBar); }

void GLUI::add_column_to_panel(GLUI_Panel* panel, int drawBar) { add<GLUI_Column>(panel, drawBar != 0); }

GLUI_Rotation* GLUI::add_rotation(const char* name, float* liveMatrix, int id, GLUI_Update_CB callback)
{
    return add_rotation_to_panel(nullptr, name, liveMatrix, id, callback);
}

GLUI_Rotation* GLUI::add_rotation_to_panel(GLUI_Panel* panel, const char* name, float* liveMatrix, int id,
                                           GLUI_Update_CB callback)
{
    return add<GLUI_Rotation>(panel, text(name), liveMatrix, id, callback);
}

GLUI_Translation* GLUI::add_translation(const char* name, int transType, float* liveVar, int id,
                                        GLUI_Update_CB callback)
{
    return add_translation_to_panel(nullptr, name, transType, liveVar, id, callback);
}

GLUI_Translation* GLUI::add_translation_to_panel(GLUI_Panel* panel, const char* name, int transType,
                                                 float* liveVar, int id, GLUI_Update_CB callback)
{
    return add<GLUI_Translation>(panel, text(name), transType, liveVar, id, callback);
}

void GLUI::show()
{
    visible_ = true;
    if (view_)
        glui_detail::showView(*view_, true);
}

void GLUI::hide()
{
    visible_ = false;
    if (view_)
        glui_detail::showView(*view_, false);
}

void GLUI::sync_live() { mainPanel_->sync_live(); }

void GLUI::request_redraw()
{
    if (view_)
        glui_detail::requestRedraw(*view_);
}
