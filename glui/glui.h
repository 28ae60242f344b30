// A small panel toolkit offering the GLUI 2.x calls that the viewer's panels use,
// with every widget drawn and driven by Dear ImGui inside its own GLUT window.
//
// Offered (GLUI 2.01 argument order and constants):
//   GLUI_Master: get_version (2.01), create_glui (flags 0 only: a top-level window at x, y;
//     -1 lets the window system place it), set_glutReshapeFunc, set_glutKeyboardFunc,
//     set_glutSpecialFunc, set_glutMouseFunc (registered as they are on the current GLUT
//     window, so the viewer's handlers get the events unchanged), set_glutIdleFunc (the
//     viewer's idle function runs on every pass, followed by one step of every spinning
//     trackball), get_viewport_area (0, 0 and the current window's size: panels are windows
//     of their own), sync_live_all.
//   Beyond GLUI: GLUI_Master.set_live_change_func, told of every live variable a user change
//     writes.
//   GLUI (a panel window): add_rollout, add_rollout_to_panel, add_panel, add_panel_to_panel,
//     add_spinner(_to_panel), add_radiogroup(_to_panel), add_radiobutton_to_group,
//     add_checkbox(_to_panel), add_listbox(_to_panel), add_button(_to_panel),
//     add_edittext(_to_panel), add_statictext(_to_panel), add_column(_to_panel),
//     add_rotation(_to_panel), add_translation(_to_panel), set_main_gfx_window,
//     show, hide, sync_live. A null panel means the window itself.
//   Controls: enable, disable (greyed and inert, children of a panel too), set_int_val,
//     set_float_val, get_int_val, get_float_val, set_text, get_text, set_w, set_alignment;
//     spinners set_float_limits, set_int_limits (GLUI_LIMIT_CLAMP clamps, _WRAP wraps),
//     set_speed; list boxes add_item, delete_item (and, beyond GLUI, replace_items_after);
//     rotations reset, set_spin;
//     translations set_speed, set_x/y/z, get_x/y/z.
//
// Behaviour:
//   - A window is as wide as its controls with every rollout open, so that opening one never
//     widens it, and as high as its controls as they stand, following rollouts opening and
//     closing, down to the bottom of the screen at most: beyond that its controls scroll
//     (mouse wheel, scroll bar). Labels stand left of their values; add_column starts a new
//     column to the right.
//   - Live variables: a user change writes the bound variable first, then calls the
//     control's callback with its id, with the main graphics window current (restored
//     afterwards). Callbacks run after the ImGui frame, so they may open new windows and
//     panels. set_*_val writes the variable at once but calls no callback. A new control
//     shows the value its variable holds; binding a rotation resets its matrix to identity.
//   - sync_live_all pushes every variable into its control; a panel is redrawn only when
//     something it shows changed, or after its own events.
//   - Spinners clamp whatever comes in (typed, dragged, set); values that are not finite
//     are ignored. sync_live shows a variable beyond the limits at the limit and leaves the
//     variable alone. Dragging the box: a hundredth of the range per pixel at speed 1
//     (Shift ten times faster, Alt ten times slower); double-click, Ctrl+click or Enter to
//     type. The two arrows beside it step a float by ten pixels' worth, an int by the speed
//     (at least 1), repeating while held.
//   - A radio group's value is the index of its chosen button; a list box's value is the id
//     of its chosen item. delete_item returns 1 only if the item existed.
//   - Edit texts: the live variable of a GLUI_EDITTEXT_TEXT box is a std::string, of an
//     _INT box an int, of a _FLOAT box a float. The callback comes on Enter, or when the box
//     loses focus after a change.
//   - Rotation: an arcball; dragging turns the matrix (16 floats, column order) in view
//     space. After a release in motion it keeps turning if set_spin gave it a damping factor
//     above 0: each idle pass turns by the last step times that factor (1.0 keeps the speed;
//     factors above 1 are taken as 1).
//   - Translation: XY writes two consecutive floats, X, Y and Z one each; a drag of one
//     pixel moves by the speed (y up).
//   - Keyboard, with the pointer in a panel window: Tab / Shift+Tab and the arrow keys move
//     between controls (Tab wraps around), Space or Enter presses buttons, check boxes,
//     radio buttons and rollout headers, Enter on a spinner or text box starts typing.
//     Space or Enter on a trackball or translation pad hands it the arrow keys (5 degrees,
//     or a 10-pixel drag, a press) until Space, Enter, Tab, Escape or a click.
//
// Not offered / limits: subwindows (create_glui_subwindow), text boxes over several lines,
//   scroll bars other than the window's own, file browsers, trees, GLUI's own fonts and
//   look; key presses in a panel window are not passed on to the main graphics window; list
//   pop-ups are clipped to the panel window, which grows while one is open (as far as the
//   screen's bottom). Before glutInit (unit tests) windows build
//   their control trees without opening any GLUT window.
//
// Index: constants; GLUI_Control and the control classes (panels, spinners, int-valued
// controls, edit texts, rotations, translations); GLUI, one panel window; GLUI_Master_Object.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#define GLUI_VERSION 2.01f

enum {
    GLUI_SPINNER_INT = 2,
    GLUI_SPINNER_FLOAT = 3,
};
enum { GLUI_EDITTEXT_TEXT = 1, GLUI_EDITTEXT_INT = 2, GLUI_EDITTEXT_FLOAT = 3 };
enum { GLUI_LIMIT_NONE = 0, GLUI_LIMIT_CLAMP = 1, GLUI_LIMIT_WRAP = 2 };
enum { GLUI_ALIGN_CENTER = 1, GLUI_ALIGN_RIGHT = 2, GLUI_ALIGN_LEFT = 3 };
enum { GLUI_PANEL_NONE = 0, GLUI_PANEL_EMBOSSED = 1, GLUI_PANEL_RAISED = 2 };
enum {
    GLUI_TRANSLATION_XY = 0,
    GLUI_TRANSLATION_Z = 1,
    GLUI_TRANSLATION_X = 2,
    GLUI_TRANSLATION_Y = 3,
};

using GLUI_Update_CB = void (*)(int id);

class GLUI;
struct GLUI_View;

// What kind of widget a control is; tests and the drawing code switch on it.
enum class GLUI_Kind {
    Panel, Rollout, Column, Spinner, RadioGroup, RadioButton, Checkbox,
    Listbox, Button, EditText, StaticText, Rotation, Translation,
};

class GLUI_Control {
public:
    GLUI_Control(GLUI_Kind kind, GLUI* glui, GLUI_Control* parent, std::string name,
                 void* liveVar, int id, GLUI_Update_CB callback);
    virtual ~GLUI_Control();
    GLUI_Control(const GLUI_Control&) = delete;
    GLUI_Control& operator=(const GLUI_Control&) = delete;

    void enable();
    void disable();
    bool is_enabled() const { return enabled_; }

    virtual void set_int_val(int value);
    virtual void set_float_val(float value);
    virtual int get_int_val() const;
    virtual float get_float_val() const;
    virtual void set_text(const char* text);
    virtual const char* get_text() const;
    void set_w(int width) { width_ = width; }
    void set_alignment(int alignment) { alignment_ = alignment; }
    void set_name(const char* name) { name_ = name ? name : ""; }

    // Pushes the live variable's value into the control (no callback).
    virtual void sync_live();

    // Read access for layout, drawing and tests.
    GLUI_Kind kind() const { return kind_; }
    GLUI* glui() const { return glui_; }
    GLUI_Control* parent() const { return parent_; }
    const std::vector<std::unique_ptr<GLUI_Control>>& children() const { return children_; }
    const std::string& name() const { return name_; }
    void* live_var() const { return liveVar_; }
    int id() const { return id_; }
    GLUI_Update_CB callback() const { return callback_; }
    int width() const { return width_; }
    int alignment() const { return alignment_; }

    // A user change from the widget: writes the live variable, then runs the
    // callback (with the main graphics window current) if there is one.
    void notify_user_change();

    GLUI_Control* add_child(std::unique_ptr<GLUI_Control> child);

protected:
    virtual void write_live() {}
    // The shown value or state changed: the panel window is redrawn.
    void changed();

    GLUI_Kind kind_;
    GLUI* glui_;
    GLUI_Control* parent_;
    std::vector<std::unique_ptr<GLUI_Control>> children_;
    std::string name_;
    void* liveVar_;
    int id_;
    GLUI_Update_CB callback_;
    bool enabled_ = true;
    int width_ = 0;
    int alignment_ = GLUI_ALIGN_LEFT;
};

// A group of controls with an optional title and frame (add_panel_to_panel).
class GLUI_Panel : public GLUI_Control {
public:
    GLUI_Panel(GLUI* glui, GLUI_Control* parent, std::string name, int type,
               GLUI_Kind kind = GLUI_Kind::Panel);
    int panel_type() const { return type_; }

private:
    int type_;
};

// A collapsible panel (add_rollout, add_rollout_to_panel).
class GLUI_Rollout : public GLUI_Panel {
public:
    GLUI_Rollout(GLUI* glui, GLUI_Control* parent, std::string name, bool open, int type);
    bool is_open() const { return open_; }
    void open();
    void close();

private:
    bool open_;
};

// Starts a new column in its parent (add_column).
class GLUI_Column : public GLUI_Control {
public:
    GLUI_Column(GLUI* glui, GLUI_Control* parent, bool drawBar);
    bool draws_bar() const { return drawBar_; }

private:
    bool drawBar_;
};

class GLUI_Spinner : public GLUI_Control {
public:
    GLUI_Spinner(GLUI* glui, GLUI_Control* parent, std::string name, int dataType,
                 void* liveVar, int id, GLUI_Update_CB callback);
    void set_float_limits(float low, float high, int limitType = GLUI_LIMIT_CLAMP);
    void set_int_limits(int low, int high, int limitType = GLUI_LIMIT_CLAMP);
    void set_speed(float speed) { speed_ = speed; }
    void set_int_val(int value) override;
    void set_float_val(float value) override;
    int get_int_val() const override;
    float get_float_val() const override;
    void sync_live() override;

    int data_type() const { return dataType_; }
    float speed() const { return speed_; }
    int limit_type() const { return limitType_; }
    float float_low() const { return floatLow_; }
    float float_high() const { return floatHigh_; }
    int int_low() const { return intLow_; }
    int int_high() const { return intHigh_; }

    // A value typed or dragged by the user: clamped, shown, written, then the callback.
    void user_set_float(float value);
    void user_set_int(int value);

protected:
    void write_live() override;

private:
    float clamp_float(float value) const;
    int clamp_int(int value) const;
    void store_float(float value);  // clamped value into both fields
    void store_int(int value);

    int dataType_;
    float floatValue_ = 0.0f;
    int intValue_ = 0;
    float lastLiveFloat_ = 0.0f;  // the live variable as last seen, to notice outside changes
    int lastLiveInt_ = 0;
    float speed_ = 1.0f;
    int limitType_ = GLUI_LIMIT_NONE;
    float floatLow_ = 0.0f, floatHigh_ = 0.0f;
    int intLow_ = 0, intHigh_ = 0;
};

class GLUI_RadioButton;

// A control whose value is one int kept in step with an int live variable: radio groups,
// check boxes and list boxes.
class GLUI_IntValueControl : public GLUI_Control {
public:
    GLUI_IntValueControl(GLUI_Kind kind, GLUI* glui, GLUI_Control* parent, std::string name, int* liveVar,
                         int id, GLUI_Update_CB callback);
    void set_int_val(int value) override;
    int get_int_val() const override { return value_; }
    void sync_live() override;

protected:
    void write_live() override;
    // A choice of the user: shown at once, then written and passed to the callback.
    void user_set_value(int value);

private:
    int value_ = 0;
    int lastLive_ = 0;  // the live variable as last seen, to notice outside changes
};

// Its value is the index of the chosen button.
class GLUI_RadioGroup : public GLUI_IntValueControl {
public:
    GLUI_RadioGroup(GLUI* glui, GLUI_Control* parent, int* liveVar, int id, GLUI_Update_CB callback);
    int button_count() const { return static_cast<int>(children_.size()); }
    void user_choose(int index);
};

class GLUI_RadioButton : public GLUI_Control {
public:
    GLUI_RadioButton(GLUI* glui, GLUI_RadioGroup* group, std::string name);
};

class GLUI_Checkbox : public GLUI_IntValueControl {
public:
    GLUI_Checkbox(GLUI* glui, GLUI_Control* parent, std::string name, int* liveVar, int id,
                  GLUI_Update_CB callback);
    void user_toggle();
};

// Its value is the id of the chosen item.
class GLUI_Listbox : public GLUI_IntValueControl {
public:
    GLUI_Listbox(GLUI* glui, GLUI_Control* parent, std::string name, int* liveVar, int id,
                 GLUI_Update_CB callback);
    int add_item(int itemId, const char* text);
    int delete_item(int itemId);  // 1 if the item existed and is gone, else 0
    // Beyond GLUI: keeps the first `kept` items and puts texts after them, with the ids
    // firstId, firstId + 1, ...: a whole new list in one step, in time linear in its length
    // (deleting item by item takes a search and a shift per item).
    void replace_items_after(std::size_t kept, int firstId, const std::vector<std::string>& texts);
    const std::vector<std::pair<int, std::string>>& items() const { return items_; }
    // Moves on with every change of the items, so that what is measured from them can be kept.
    unsigned long items_version() const { return itemsVersion_; }
    void user_choose(int itemId);

private:
    std::vector<std::pair<int, std::string>> items_;
    unsigned long itemsVersion_ = 0;
};

class GLUI_Button : public GLUI_Control {
public:
    GLUI_Button(GLUI* glui, GLUI_Control* parent, std::string name, int id, GLUI_Update_CB callback);
    void user_press();
};

class GLUI_EditText : public GLUI_Control {
public:
    GLUI_EditText(GLUI* glui, GLUI_Control* parent, std::string name, int dataType, void* liveVar,
                  int id, GLUI_Update_CB callback);
    void set_text(const char* text) override;
    const char* get_text() const override { return text_.c_str(); }
    // GLUI_EDITTEXT_INT and _FLOAT boxes: the number the text holds (0 if none).
    void set_int_val(int value) override;
    void set_float_val(float value) override;
    int get_int_val() const override;
    float get_float_val() const override;
    void sync_live() override;
    int data_type() const { return dataType_; }
    // The user finished editing (Enter or leaving the box) with this text.
    void user_set_text(const char* text);

protected:
    void write_live() override;

private:
    std::string live_text() const;  // the live variable as text

    int dataType_;
    std::string text_;
    std::string lastLive_;
};

class GLUI_StaticText : public GLUI_Control {
public:
    GLUI_StaticText(GLUI* glui, GLUI_Control* parent, std::string text);
};

// A virtual trackball that writes a 16-float column-order rotation matrix.
class GLUI_Rotation : public GLUI_Control {
public:
    GLUI_Rotation(GLUI* glui, GLUI_Control* parent, std::string name, float* liveMatrix, int id,
                  GLUI_Update_CB callback);
    void reset();                       // back to the identity (written to the live matrix)
    void set_spin(float dampingFactor);  // 0 stops on release; 1.0 keeps spinning at full speed
    float spin() const { return spin_; }
    void sync_live() override;
    const float* matrix() const { return matrix_; }

    // Trackball drag in the widget's own square, coordinates from -1 to 1.
    void user_begin_drag(float x, float y);
    void user_drag_to(float x, float y);
    void user_end_drag();
    // One step of the spin that goes on after a release in motion; false when at rest.
    bool step_spin();
    bool spinning() const;

protected:
    void write_live() override;

private:
    float matrix_[16];
    float spin_ = 0.0f;
    float dragStart_[3] = {0, 0, 1};
    float dragStartMatrix_[16];
    float dragLast_[3] = {0, 0, 1};
    float lastStep_[4] = {0, 0, 0, 1};  // quaternion of the last drag step, x y z w
    bool dragging_ = false;
    bool spinning_ = false;
};

class GLUI_Translation : public GLUI_Control {
public:
    GLUI_Translation(GLUI* glui, GLUI_Control* parent, std::string name, int transType,
                     float* liveVar, int id, GLUI_Update_CB callback);
    void set_speed(float speed) { speed_ = speed; }
    float speed() const { return speed_; }
    int trans_type() const { return transType_; }
    void set_x(float x);
    void set_y(float y);
    void set_z(float z);
    // X, Y and Z translations hold one value; XY holds x then y.
    float get_x() const { return values_[0]; }
    float get_y() const { return transType_ == GLUI_TRANSLATION_XY ? values_[1] : values_[0]; }
    float get_z() const { return values_[0]; }
    void sync_live() override;
    // A drag of the widget by dx, dy pixels (y up), scaled by the speed.
    void user_drag(float dx, float dy);

protected:
    void write_live() override;

private:
    int transType_;
    float speed_ = 1.0f;
    float values_[2] = {0.0f, 0.0f};
};

// One panel window: a top-level GLUT window with its own ImGui context.
class GLUI {
public:
    GLUI(const char* name, int x, int y);
    ~GLUI();

    GLUI_Rollout* add_rollout(const char* name, int open = true, int type = GLUI_PANEL_EMBOSSED);
    GLUI_Rollout* add_rollout_to_panel(GLUI_Panel* panel, const char* name, int open = true,
                                       int type = GLUI_PANEL_EMBOSSED);
    GLUI_Panel* add_panel(const char* name, int type = GLUI_PANEL_EMBOSSED);
    GLUI_Panel* add_panel_to_panel(GLUI_Panel* panel, const char* name, int type = GLUI_PANEL_EMBOSSED);
    GLUI_Spinner* add_spinner(const char* name, int dataType = GLUI_SPINNER_INT, void* liveVar = nullptr,
                              int id = -1, GLUI_Update_CB callback = nullptr);
    GLUI_Spinner* add_spinner_to_panel(GLUI_Panel* panel, const char* name, int dataType = GLUI_SPINNER_INT,
                                       void* liveVar = nullptr, int id = -1, GLUI_Update_CB callback = nullptr);
    GLUI_RadioGroup* add_radiogroup(int* liveVar = nullptr, int id = -1, GLUI_Update_CB callback = nullptr);
    GLUI_RadioGroup* add_radiogroup_to_panel(GLUI_Panel* panel, int* liveVar = nullptr, int id = -1,
                                             GLUI_Update_CB callback = nullptr);
    GLUI_RadioButton* add_radiobutton_to_group(GLUI_RadioGroup* group, const char* name);
    GLUI_Checkbox* add_checkbox(const char* name, int* liveVar = nullptr, int id = -1,
                                GLUI_Update_CB callback = nullptr);
    GLUI_Checkbox* add_checkbox_to_panel(GLUI_Panel* panel, const char* name, int* liveVar = nullptr,
                                         int id = -1, GLUI_Update_CB callback = nullptr);
    GLUI_Listbox* add_listbox(const char* name, int* liveVar = nullptr, int id = -1,
                              GLUI_Update_CB callback = nullptr);
    GLUI_Listbox* add_listbox_to_panel(GLUI_Panel* panel, const char* name, int* liveVar = nullptr,
                                       int id = -1, GLUI_Update_CB callback = nullptr);
    GLUI_Button* add_button(const char* name, int id = -1, GLUI_Update_CB callback = nullptr);
    GLUI_Button* add_button_to_panel(GLUI_Panel* panel, const char* name, int id = -1,
                                     GLUI_Update_CB callback = nullptr);
    GLUI_EditText* add_edittext(const char* name, int dataType = GLUI_EDITTEXT_TEXT, void* liveVar = nullptr,
                                int id = -1, GLUI_Update_CB callback = nullptr);
    GLUI_EditText* add_edittext_to_panel(GLUI_Panel* panel, const char* name,
                                         int dataType = GLUI_EDITTEXT_TEXT, void* liveVar = nullptr,
                                         int id = -1, GLUI_Update_CB callback = nullptr);
    GLUI_StaticText* add_statictext(const char* text);
    GLUI_StaticText* add_statictext_to_panel(GLUI_Panel* panel, const char* text);
    void add_column(int drawBar = true);
    void add_column_to_panel(GLUI_Panel* panel, int drawBar = true);
    GLUI_Rotation* add_rotation(const char* name, float* liveMatrix = nullptr, int id = -1,
                                GLUI_Update_CB callback = nullptr);
    GLUI_Rotation* add_rotation_to_panel(GLUI_Panel* panel, const char* name, float* liveMatrix = nullptr,
                                         int id = -1, GLUI_Update_CB callback = nullptr);
    GLUI_Translation* add_translation(const char* name, int transType, float* liveVar = nullptr,
                                      int id = -1, GLUI_Update_CB callback = nullptr);
    GLUI_Translation* add_translation_to_panel(GLUI_Panel* panel, const char* name, int transType,
                                               float* liveVar = nullptr, int id = -1,
                                               GLUI_Update_CB callback = nullptr);

    void set_main_gfx_window(int windowId) { mainGfxWindow_ = windowId; }
    int main_gfx_window() const { return mainGfxWindow_; }
    void show();
    void hide();
    bool is_visible() const { return visible_; }
    void sync_live();

    const std::string& name() const { return name_; }
    int glut_window() const { return glutWindow_; }
    GLUI_Panel* main_panel() const { return mainPanel_.get(); }

    // The layer's own: asks for a fresh picture of the window (a no-op without a window),
    // and the window's Dear ImGui state (null without a window).
    void request_redraw();
    GLUI_View* view() const { return view_.get(); }

private:
    template <class T, class... Args> T* add(GLUI_Control* parent, Args&&... args);

    std::string name_;
    int glutWindow_ = 0;
    int mainGfxWindow_ = 0;
    bool visible_ = true;
    std::unique_ptr<GLUI_Panel> mainPanel_;
    std::unique_ptr<GLUI_View> view_;
};

class GLUI_Master_Object {
public:
    float get_version() const { return GLUI_VERSION; }
    // flags 0: a window of its own. x, y: screen position of its top-left corner.
    GLUI* create_glui(const char* name, long flags = 0, int x = -1, int y = -1);

    // Route the display window's events to the viewer's handlers (GLUI passes them on
    // unchanged; the idle function runs on every pass of the event loop).
    void set_glutReshapeFunc(void (*f)(int width, int height));
    void set_glutKeyboardFunc(void (*f)(unsigned char key, int x, int y));
    void set_glutSpecialFunc(void (*f)(int key, int x, int y));
    void set_glutMouseFunc(void (*f)(int button, int state, int x, int y));
    void set_glutIdleFunc(void (*f)());

    // The part of the current window free for drawing (all of it: panels are windows of their own).
    void get_viewport_area(int* x, int* y, int* width, int* height);
    void sync_live_all();

    // Beyond GLUI: f is called with a live variable's address each time a user change has
    // written it, before the control's callback, so that the program learns of every change
    // a control makes to its variables (what is built from them can be marked out of date).
    void set_live_change_func(void (*f)(void* liveVar)) { liveChangeFunc_ = f; }
    void live_changed(void* liveVar) const
    {
        if (liveChangeFunc_ != nullptr && liveVar != nullptr)
            liveChangeFunc_(liveVar);
    }

    const std::vector<std::unique_ptr<GLUI>>& windows() const { return windows_; }

    // Beyond GLUI: whether a panel is still answering the user, with input waiting for a
    // frame or frames asked for after it (a click takes a few). A program that draws in
    // slices between the panels' frames keeps its slices short meanwhile.
    bool answering_input() const;

    // One pass of the idle function installed by set_glutIdleFunc: the viewer's idle
    // function, then one step of every spinning trackball. Also callable by tests.
    void idle_pass();
    // Installs or removes that idle function as the viewer's function and spinning trackballs need.
    void update_idle_registration();

private:

    std::vector<std::unique_ptr<GLUI>> windows_;
    void (*idleFunc_)() = nullptr;
    void (*liveChangeFunc_)(void* liveVar) = nullptr;
    bool idleInstalled_ = false;
};

extern GLUI_Master_Object GLUI_Master;
