// Layout of a panel window with Dear ImGui: columns side by side, framed panels and
// rollouts that fold, every control under its own id, and the window's measured size.
#include <algorithm>

#include "glui/imgui_widgets.h"
#include "imgui_internal.h"

using namespace glui_draw;

namespace {

constexpr float kInset = 8.0f;  // panels and rollouts indent their controls by this much

float drawChildren(GLUI_View& view, const GLUI_Control& parent);

// A group with a frame and its title on the frame's top edge.
float drawPanel(GLUI_View& view, const GLUI_Panel& panel, float columnWidth)
{
    bool framed = panel.panel_type() != GLUI_PANEL_NONE;
    if (!framed && panel.name().empty())
        return drawChildren(view, panel);
    ImDrawList* draw = ImGui::GetWindowDrawList();
    ImVec2 top = ImGui::GetCursorScreenPos();
    ImGui::BeginGroup();
    float title = textWidth(panel.name());
    if (!panel.name().empty()) {
        ImGui::SetCursorPosX(ImGui::GetCursorPosX() + kInset);
        ImGui::TextUnformatted(panel.name().c_str());
    } else {
        ImGui::Dummy(ImVec2(0.0f, kInset * 0.5f));
    }
    ImGui::Indent(kInset);
    float inner = drawChildren(view, panel);
    ImGui::Unindent(kInset);
    ImGui::Dummy(ImVec2(0.0f, kInset * 0.25f));
    ImGui::EndGroup();
    float width = std::max(title + kInset * 2.0f, inner + kInset * 2.0f);
    if (framed) {
        float right = top.x + std::max(width, columnWidth);
        float y = top.y + ImGui::GetTextLineHeight() * 0.5f;
        draw->AddRect(ImVec2(top.x, y), ImVec2(right, ImGui::GetItemRectMax().y), ImGui::GetColorU32(ImGuiCol_Border),
                      2.0f);
        if (!panel.name().empty()) {
            // The title interrupts the frame's top edge.
            ImVec2 a(top.x + kInset - 2.0f, top.y);
            ImVec2 b(top.x + kInset + title + 2.0f, top.y + ImGui::GetTextLineHeight());
            draw->AddRectFilled(a, b, ImGui::GetColorU32(ImGuiCol_WindowBg));
            draw->AddText(ImVec2(top.x + kInset, top.y), ImGui::GetColorU32(ImGuiCol_Text), panel.name().c_str());
        }
    }
    return width;
}

// A header the width of its column that folds its controls away; the window follows its size.
float drawRollout(GLUI_View& view, GLUI_Rollout& rollout, float columnWidth)
{
    const ImGuiStyle& style = ImGui::GetStyle();
    float arrow = ImGui::GetFontSize() + style.FramePadding.x;
    float headerText = arrow + textWidth(rollout.name()) + style.FramePadding.x * 2.0f;
    ImVec2 top = ImGui::GetCursorScreenPos();
    ImGui::BeginGroup();
    float headerWidth = std::max(headerText, columnWidth);
    if (ImGui::Button("##header", ImVec2(headerWidth, 0.0f))) {
        if (rollout.is_open())
            rollout.close();
        else
            rollout.open();
    }
    ImDrawList* draw = ImGui::GetWindowDrawList();
    ImVec2 min = ImGui::GetItemRectMin();
    ImU32 text = ImGui::GetColorU32(ImGuiCol_Text);
    ImGui::RenderArrow(draw, ImVec2(min.x + style.FramePadding.x, min.y + style.FramePadding.y), text,
                       rollout.is_open() ? ImGuiDir_Down : ImGuiDir_Right, 1.0f);
    draw->AddText(ImVec2(min.x + style.FramePadding.x + arrow, min.y + style.FramePadding.y), text,
                  rollout.name().c_str());
    float width = headerText;
    // The measuring pass lays out every rollout as if open.
    const bool open = rollout.is_open() || view.measuring;
    if (open) {
        ImGui::Indent(kInset);
        float inner = drawChildren(view, rollout);
        ImGui::Unindent(kInset);
        ImGui::Dummy(ImVec2(0.0f, kInset * 0.25f));
        width = std::max(width, inner + kInset * 2.0f);
    }
    ImGui::EndGroup();
    if (open && rollout.panel_type() != GLUI_PANEL_NONE)
        draw->AddRect(top, ImVec2(top.x + std::max(width, columnWidth), ImGui::GetItemRectMax().y),
                      ImGui::GetColorU32(ImGuiCol_Border), 2.0f);
    return width;
}

float drawControl(GLUI_View& view, GLUI_Control& c, float columnWidth)
{
    ImGui::PushID(&c);
    // Greyed out and inert, like GLUI's disabled controls; the children of a disabled panel too.
    bool disabled = !c.is_enabled();
    if (disabled)
        ImGui::BeginDisabled();
    float width = 0.0f;
    // Spinners and text boxes mark their value box themselves; for the rest the last widget.
    bool marked = c.kind() == GLUI_Kind::Spinner || c.kind() == GLUI_Kind::EditText;
    switch (c.kind()) {
    case GLUI_Kind::Panel:
        width = drawPanel(view, static_cast<GLUI_Panel&>(c), columnWidth);
        break;
    case GLUI_Kind::Rollout:
        width = drawRollout(view, static_cast<GLUI_Rollout&>(c), columnWidth);
        break;
    case GLUI_Kind::Spinner:
        width = drawSpinner(view, static_cast<GLUI_Spinner&>(c), columnWidth);
        break;
    case GLUI_Kind::RadioGroup:
        width = drawRadioGroup(view, static_cast<GLUI_RadioGroup&>(c), columnWidth);
        break;
    case GLUI_Kind::Checkbox:
        width = drawCheckbox(view, static_cast<GLUI_Checkbox&>(c), columnWidth);
        break;
    case GLUI_Kind::Listbox:
        width = drawListbox(view, static_cast<GLUI_Listbox&>(c), columnWidth);
        break;
    case GLUI_Kind::Button:
        width = drawButton(view, static_cast<GLUI_Button&>(c), columnWidth);
        break;
    case GLUI_Kind::EditText:
        width = drawEditText(view, static_cast<GLUI_EditText&>(c), columnWidth);
        break;
    case GLUI_Kind::StaticText:
        width = drawStaticText(c, columnWidth);
        break;
    case GLUI_Kind::Rotation:
        width = drawRotation(view, static_cast<GLUI_Rotation&>(c), columnWidth);
        break;
    case GLUI_Kind::Translation:
        width = drawTranslation(view, static_cast<GLUI_Translation&>(c), columnWidth);
        break;
    case GLUI_Kind::Column:
    case GLUI_Kind::RadioButton:
        break;
    }
    if (disabled)
        ImGui::EndDisabled();
    if (!marked)
        markMain(view, c);
    ImGui::PopID();
    return width;
}

// The controls of a container, split into columns side by side at each column control.
// Each column is as wide as its widest control of the previous frame, so that aligned
// controls and headers line up without feeding their own width back into the layout.
float drawChildren(GLUI_View& view, const GLUI_Control& parent)
{
    const auto& children = parent.children();
    std::vector<float>& widths = view.columnWidths[&parent];
    std::vector<float> measured;
    const float gap = ImGui::GetStyle().ItemSpacing.x * 2.0f;
    ImGui::BeginGroup();
    size_t i = 0;
    const GLUI_Column* startedBy = nullptr;
    while (true) {
        size_t column = measured.size();
        if (column > 0) {
            ImVec2 previousMin = ImGui::GetItemRectMin(), previousMax = ImGui::GetItemRectMax();
            ImGui::SameLine(0.0f, gap);
            if (startedBy && startedBy->draws_bar()) {
                float x = ImGui::GetCursorScreenPos().x - gap * 0.5f;
                ImGui::GetWindowDrawList()->AddLine(ImVec2(x, previousMin.y), ImVec2(x, previousMax.y),
                                                    ImGui::GetColorU32(ImGuiCol_Separator), 1.0f);
            }
        }
        float previousWidth = column < widths.size() ? widths[column] : 0.0f;
        float width = 0.0f;
        ImGui::BeginGroup();
        for (; i < children.size() && children[i]->kind() != GLUI_Kind::Column; ++i)
            width = std::max(width, drawControl(view, *children[i], previousWidth));
        ImGui::EndGroup();
        measured.push_back(width);
        if (i >= children.size())
            break;
        startedBy = static_cast<const GLUI_Column*>(children[i].get());
        ++i;
    }
    ImGui::EndGroup();
    widths = measured;
    float total = 0.0f;
    for (float w : measured)
        total += w;
    return total + gap * static_cast<float>(measured.size() - 1);
}

bool anyRolloutClosed(const GLUI_Control& parent)
{
    for (const auto& child : parent.children()) {
        if (child->kind() == GLUI_Kind::Rollout && !static_cast<const GLUI_Rollout&>(*child).is_open())
            return true;
        if (anyRolloutClosed(*child))
            return true;
    }
    return false;
}

// The size of the controls with every rollout open, in a window of its own that takes no
// input and lies beyond the panel's edge. It runs first, so that the shown controls line up
// in columns as wide as those of the open rollouts.
ImVec2 measureOpen(GLUI_View& view)
{
    ImGui::SetNextWindowPos(ImVec2(-100000.0f, 0.0f));
    ImGui::SetNextWindowSize(ImGui::GetIO().DisplaySize);
    ImGuiWindowFlags flags = ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoInputs | ImGuiWindowFlags_NoMove |
                             ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoFocusOnAppearing |
                             ImGuiWindowFlags_NoBringToFrontOnFocus | ImGuiWindowFlags_NoBackground;
    ImGui::Begin("##measure", nullptr, flags);
    view.measuring = true;
    const float width = drawChildren(view, *view.glui.main_panel());
    view.measuring = false;
    const float height = ImGui::GetItemRectMax().y - ImGui::GetWindowPos().y;
    ImGui::End();
    return ImVec2(width, height);
}

}  // namespace

void drawPanelControls(GLUI_View& view)
{
    ImGuiIO& io = ImGui::GetIO();
    const ImVec2 open = anyRolloutClosed(*view.glui.main_panel()) ? measureOpen(view) : ImVec2(0.0f, 0.0f);
    ImGui::SetNextWindowPos(ImVec2(0.0f, 0.0f));
    ImGui::SetNextWindowSize(io.DisplaySize);
    // A window too low for its controls scrolls them, with the wheel and a scroll bar.
    ImGuiWindowFlags flags = ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoCollapse |
                             ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings |
                             ImGuiWindowFlags_NoBringToFrontOnFocus;
    ImGui::Begin("##panel", nullptr, flags);
    view.popupBottom = 0.0f;
    view.enterTypes = false;
    const float width = std::max(drawChildren(view, *view.glui.main_panel()), open.x);
    const ImGuiStyle& style = ImGui::GetStyle();
    view.contentHeight = ImGui::GetItemRectMax().y + ImGui::GetScrollY() + style.WindowPadding.y;
    // Where some rollouts open would need a scroll bar, room for it is kept whether it shows
    // or not, so the width never changes.
    const float tallest = std::max(view.contentHeight, open.y + style.WindowPadding.y);
    const bool mayScroll = view.maxHeight > 0.0f && tallest > view.maxHeight;
    view.contentWidth =
        std::max(width, 40.0f) + style.WindowPadding.x * 2.0f + (mayScroll ? style.ScrollbarSize : 0.0f);
    // A Tab move that finds nothing further down starts again at the top.
    if (view.tabMove)
        ImGui::NavMoveRequestTryWrapping(ImGui::GetCurrentWindow(), ImGuiNavMoveFlags_LoopY);
    ImGui::End();
}
