// Drawing and driving of the value controls with Dear ImGui: spinners, radio groups,
// check boxes, list boxes, buttons, edit texts and static texts.
#include <algorithm>
#include <climits>
#include <cmath>

#include "glui/imgui_widgets.h"
#include "imgui_internal.h"
#include "imgui_stdlib.h"

namespace glui_draw {

namespace {

constexpr float kSpinnerBox = 80.0f;
constexpr float kEditBox = 120.0f;
constexpr float kButtonWidth = 100.0f;
constexpr int kListRows = 8;  // visible rows of an open list box

}  // namespace

float textWidth(const std::string& text) { return ImGui::CalcTextSize(text.c_str(), nullptr, true).x; }

float labelWidth(const GLUI_Control& c)
{
    return c.name().empty() ? 0.0f : textWidth(c.name()) + ImGui::GetStyle().ItemInnerSpacing.x;
}

void drawLabel(const GLUI_Control& c)
{
    if (c.name().empty())
        return;
    ImGui::AlignTextToFramePadding();
    ImGui::TextUnformatted(c.name().c_str());
    ImGui::SameLine(0.0f, ImGui::GetStyle().ItemInnerSpacing.x);
}

void align(const GLUI_Control& c, float width, float columnWidth)
{
    float room = columnWidth - width;
    if (room <= 0.0f)
        return;
    if (c.alignment() == GLUI_ALIGN_RIGHT)
        ImGui::SetCursorPosX(ImGui::GetCursorPosX() + room);
    else if (c.alignment() == GLUI_ALIGN_CENTER)
        ImGui::SetCursorPosX(ImGui::GetCursorPosX() + std::floor(room * 0.5f));
}

void markMain(GLUI_View& view, const GLUI_Control& c)
{
    if (view.measuring)
        return;
    ImVec2 min = ImGui::GetItemRectMin(), max = ImGui::GetItemRectMax();
    view.drawnAt[&c] = {min.x, min.y, max.x, max.y};
}

void noteTypingFocus(GLUI_View& view)
{
    if (!view.measuring && ImGui::IsItemFocused())
        view.enterTypes = true;
}

// A value box to drag or type in, and GLUI's two arrows that step it (held, they repeat).

float drawSpinner(GLUI_View& view, GLUI_Spinner& s, float columnWidth)
{
    const float arrow = ImGui::GetFrameHeight();
    const float gap = 1.0f;
    float width = labelWidth(s) + kSpinnerBox + 2.0f * (arrow + gap);
    align(s, width, columnWidth);
    drawLabel(s);
    ImGui::SetNextItemWidth(kSpinnerBox);
    bool limited = s.limit_type() == GLUI_LIMIT_CLAMP;
    ImGuiSliderFlags flags = limited ? ImGuiSliderFlags_AlwaysClamp : ImGuiSliderFlags_None;
    bool isFloat = s.data_type() == GLUI_SPINNER_FLOAT;
    float step = 0.0f;  // change per pixel of drag; an arrow click steps a float by ten of them, an int by the speed
    if (isFloat) {
        float value = s.get_float_val();
        float range = s.float_high() - s.float_low();
        // A hundredth of the range at speed 1 (Shift drags ten times faster, Alt ten times slower).
        step = limited ? std::max(s.speed() * range / 100.0f, std::min(range / 2000.0f, 0.001f))
                       : s.speed() * 0.01f * std::max(1.0f, std::fabs(value));
        if (ImGui::DragFloat("##value", &value, step, limited ? s.float_low() : 0.0f,
                             limited ? s.float_high() : 0.0f, "%.3f", flags))
            later(view, [&s, value] { s.user_set_float(value); });
    } else {
        int value = s.get_int_val();
        float range = static_cast<float>(s.int_high()) - static_cast<float>(s.int_low());
        step = limited ? std::max(s.speed() * range / 100.0f, 0.05f) : s.speed() * 0.2f;
        if (ImGui::DragInt("##value", &value, step, limited ? s.int_low() : 0, limited ? s.int_high() : 0, "%d",
                           flags))
            later(view, [&s, value] { s.user_set_int(value); });
    }
    noteTypingFocus(view);
    markMain(view, s);

    ImGui::PushButtonRepeat(true);
    int direction = 0;
    ImGui::SameLine(0.0f, gap);
    if (ImGui::ArrowButton("##up", ImGuiDir_Up))
        direction = 1;
    ImGui::SameLine(0.0f, gap);
    if (ImGui::ArrowButton("##down", ImGuiDir_Down))
        direction = -1;
    ImGui::PopButtonRepeat();
    if (direction != 0) {
        if (isFloat) {
            float value = s.get_float_val() + static_cast<float>(direction) * step * 10.0f;
            later(view, [&s, value] { s.user_set_float(value); });
        } else {
            int delta = std::max(1, static_cast<int>(std::lround(std::min(s.speed(), 1e6f))));
            long long value = static_cast<long long>(s.get_int_val()) + direction * delta;
            int clamped = static_cast<int>(std::min<long long>(INT_MAX, std::max<long long>(INT_MIN, value)));
            later(view, [&s, clamped] { s.user_set_int(clamped); });
        }
    }
    return width;
}

float drawRadioGroup(GLUI_View& view, GLUI_RadioGroup& group, float columnWidth)
{
    float width = 0.0f;
    float box = ImGui::GetFrameHeight() + ImGui::GetStyle().ItemInnerSpacing.x;
    for (const auto& button : group.children())
        width = std::max(width, box + textWidth(button->name()));
    ImGui::BeginGroup();
    int index = 0;
    for (const auto& button : group.children()) {
        ImGui::PushID(button.get());
        align(group, width, columnWidth);
        if (ImGui::RadioButton(button->name().c_str(), group.get_int_val() == index))
            later(view, [&group, index] { group.user_choose(index); });
        ImGui::PopID();
        ++index;
    }
    ImGui::EndGroup();
    return width;
}

float drawCheckbox(GLUI_View& view, GLUI_Checkbox& box, float columnWidth)
{
    float width = ImGui::GetFrameHeight() + ImGui::GetStyle().ItemInnerSpacing.x + textWidth(box.name());
    align(box, width, columnWidth);
    bool checked = box.get_int_val() != 0;
    if (ImGui::Checkbox(box.name().c_str(), &checked))
        later(view, [&box] { box.user_toggle(); });
    return width;
}

float drawListbox(GLUI_View& view, GLUI_Listbox& list, float columnWidth)
{
    const ImGuiStyle& style = ImGui::GetStyle();
    auto measured = view.listWidths.find(&list);
    if (measured == view.listWidths.end() || measured->second.first != list.items_version()) {
        float widest = 40.0f;
        for (const auto& item : list.items())
            widest = std::max(widest, textWidth(item.second));
        measured = view.listWidths.insert_or_assign(&list, std::make_pair(list.items_version(), widest)).first;
    }
    const float textW = measured->second.second;
    const char* shown = "";
    for (const auto& item : list.items()) {
        if (item.first == list.get_int_val()) {
            shown = item.second.c_str();
            break;
        }
    }
    float box = textW + style.FramePadding.x * 2.0f + ImGui::GetFrameHeight();
    float width = labelWidth(list) + box;
    align(list, width, columnWidth);
    drawLabel(list);
    ImGui::SetNextItemWidth(box);
    float top = ImGui::GetCursorScreenPos().y;
    bool opened = ImGui::BeginCombo("##list", shown);
    if (opened) {
        // Pop-ups cannot leave the panel's window: it grows for the open list.
        int rows = std::min<int>(kListRows, std::max<int>(1, static_cast<int>(list.items().size())));
        float listHeight = rows * (ImGui::GetFontSize() + style.ItemSpacing.y) + style.WindowPadding.y * 2.0f;
        view.popupBottom = std::max(view.popupBottom, top + ImGui::GetFrameHeight() + listHeight + 4.0f);
        // Only the rows in sight are laid out, so a list of 100,000 names opens at once.
        const auto& items = list.items();
        int chosenRow = -1;
        for (std::size_t k = 0; k < items.size() && chosenRow < 0; ++k) {
            if (items[k].first == list.get_int_val())
                chosenRow = static_cast<int>(k);
        }
        ImGuiListClipper clipper;
        clipper.Begin(static_cast<int>(items.size()));
        if (chosenRow >= 0)
            clipper.ForceDisplayRangeByIndices(chosenRow, chosenRow + 1);
        while (clipper.Step()) {
            for (int row = clipper.DisplayStart; row < clipper.DisplayEnd; ++row) {
                const auto& item = items[static_cast<std::size_t>(row)];
                ImGui::PushID(row);
                bool chosen = row == chosenRow;
                if (ImGui::Selectable(item.second.c_str(), chosen)) {
                    int id = item.first;
                    later(view, [&list, id] { list.user_choose(id); });
                }
                if (chosen)
                    ImGui::SetItemDefaultFocus();
                ImGui::PopID();
            }
        }
        ImGui::EndCombo();
    }
    return width;
}

float drawButton(GLUI_View& view, GLUI_Button& button, float columnWidth)
{
    float width = std::max(kButtonWidth, textWidth(button.name()) + ImGui::GetStyle().FramePadding.x * 2.0f);
    align(button, width, columnWidth);
    if (ImGui::Button(button.name().c_str(), ImVec2(width, 0.0f)))
        later(view, [&button] { button.user_press(); });
    return width;
}

// The callback comes when the user is done: Enter, or leaving the box after a change.
float drawEditText(GLUI_View& view, GLUI_EditText& edit, float columnWidth)
{
    float label = labelWidth(edit);
    float box = edit.width() > 0 ? std::max(60.0f, edit.width() - label) : kEditBox;
    float width = label + box;
    align(edit, width, columnWidth);
    drawLabel(edit);
    // The measuring pass leaves a text being typed alone.
    std::string measured;
    std::string& buffer = view.measuring ? measured : view.editBuffers[&edit];
    if (view.measuring || ImGui::GetActiveID() != ImGui::GetID("##text"))
        buffer = edit.get_text();
    ImGui::SetNextItemWidth(box);
    bool enter = ImGui::InputText("##text", &buffer, ImGuiInputTextFlags_EnterReturnsTrue);
    noteTypingFocus(view);
    markMain(view, edit);
    bool left = ImGui::IsItemDeactivatedAfterEdit() && buffer != edit.get_text();
    if (enter || left) {
        std::string text = buffer;
        later(view, [&edit, text] { edit.user_set_text(text.c_str()); });
    }
    return width;
}

float drawStaticText(const GLUI_Control& text, float columnWidth)
{
    if (text.name().empty()) {
        ImGui::Dummy(ImVec2(0.0f, ImGui::GetTextLineHeight()));
        return 0.0f;
    }
    float width = textWidth(text.name());
    align(text, width, columnWidth);
    ImGui::TextUnformatted(text.name().c_str());
    return width;
}

}  // namespace glui_draw
