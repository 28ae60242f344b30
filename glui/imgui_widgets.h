// Shared pieces of the ImGui drawing of controls: measuring, labels, alignment, and the
// queue of user changes that run after the frame.
#pragma once

#include <string>
#include <utility>

#include "glui/panel_view.h"
#include "imgui.h"

namespace glui_draw {

float textWidth(const std::string& text);
// Label left of its value, as GLUI lays out spinners, list boxes and edit texts.
float labelWidth(const GLUI_Control& c);
void drawLabel(const GLUI_Control& c);
// Moves the cursor so that a control of this width stands as its alignment asks in its column.
void align(const GLUI_Control& c, float width, float columnWidth);
// The widget a test or tool should aim at when it acts on this control.
void markMain(GLUI_View& view, const GLUI_Control& c);
// Enter types into the field that has keyboard focus, and presses anything else.
void noteTypingFocus(GLUI_View& view);

template <class F> void later(GLUI_View& view, F change)
{
    if (!view.measuring)
        view.pending.emplace_back(std::move(change));
}

// Each draws one control at the cursor and returns the width it needs; columnWidth is the
// width of its column in the previous frame, for alignment.
float drawSpinner(GLUI_View& view, GLUI_Spinner& s, float columnWidth);
float drawRadioGroup(GLUI_View& view, GLUI_RadioGroup& group, float columnWidth);
float drawCheckbox(GLUI_View& view, GLUI_Checkbox& box, float columnWidth);
float drawListbox(GLUI_View& view, GLUI_Listbox& list, float columnWidth);
float drawButton(GLUI_View& view, GLUI_Button& button, float columnWidth);
float drawEditText(GLUI_View& view, GLUI_EditText& edit, float columnWidth);
float drawStaticText(const GLUI_Control& text, float columnWidth);
float drawRotation(GLUI_View& view, GLUI_Rotation& rotation, float columnWidth);
float drawTranslation(GLUI_View& view, GLUI_Translation& t, float columnWidth);

}  // namespace glui_draw
