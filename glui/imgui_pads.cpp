// The trackball and the translation pads: drags in a square of their own, drawn with
// ImGui's draw list, each under its centred name.
#include <algorithm>
#include <cmath>

#include "glui/imgui_widgets.h"
#include "imgui_internal.h"

namespace glui_draw {

namespace {

constexpr float kWidgetSide = 80.0f;

// A name centred under a trackball or translation pad, as GLUI labels them.
void drawCaption(const GLUI_Control& c, float width)
{
    float w = textWidth(c.name());
    float x = ImGui::GetCursorPosX();
    ImGui::SetCursorPosX(x + std::max(0.0f, std::floor((width - w) * 0.5f)));
    ImGui::TextUnformatted(c.name().c_str());
}

// The turned sphere: three great circles, the front half bright and the back half faint.
void drawBall(ImDrawList* draw, ImVec2 centre, float radius, const float* m, bool enabled)
{
    ImU32 rim = ImGui::GetColorU32(ImGuiCol_Border);
    ImU32 front = ImGui::GetColorU32(enabled ? ImGuiCol_PlotLines : ImGuiCol_TextDisabled);
    ImU32 back = ImGui::GetColorU32(ImGuiCol_TextDisabled, 0.4f);
    draw->AddCircleFilled(centre, radius, ImGui::GetColorU32(ImGuiCol_FrameBg), 32);
    draw->AddCircle(centre, radius, rim, 32, 1.0f);
    const int segments = 36;
    for (int circle = 0; circle < 3; ++circle) {
        ImVec2 last;
        float lastZ = 0.0f;
        for (int i = 0; i <= segments; ++i) {
            float a = 6.2831853f * static_cast<float>(i) / segments;
            float p[3] = {0.0f, 0.0f, 0.0f};
            p[(circle + 1) % 3] = std::cos(a);
            p[(circle + 2) % 3] = std::sin(a);
            float x = m[0] * p[0] + m[4] * p[1] + m[8] * p[2];
            float y = m[1] * p[0] + m[5] * p[1] + m[9] * p[2];
            float z = m[2] * p[0] + m[6] * p[1] + m[10] * p[2];
            ImVec2 here(centre.x + x * radius * 0.9f, centre.y - y * radius * 0.9f);
            if (i > 0)
                draw->AddLine(last, here, (z + lastZ) >= 0.0f ? front : back, 1.5f);
            last = here;
            lastZ = z;
        }
    }
}

// Pointer position in the pad's own square: -1..1 with y up.
ImVec2 padPoint(ImVec2 corner, float side)
{
    ImVec2 mouse = ImGui::GetIO().MousePos;
    return ImVec2((mouse.x - corner.x) / side * 2.0f - 1.0f, 1.0f - (mouse.y - corner.y) / side * 2.0f);
}

void drawArrow(ImDrawList* draw, ImVec2 tip, ImGuiDir dir, ImU32 colour)
{
    const float s = 6.0f;
    switch (dir) {
    case ImGuiDir_Up:
        draw->AddTriangleFilled(tip, ImVec2(tip.x - s, tip.y + s), ImVec2(tip.x + s, tip.y + s), colour);
        break;
    case ImGuiDir_Down:
        draw->AddTriangleFilled(tip, ImVec2(tip.x + s, tip.y - s), ImVec2(tip.x - s, tip.y - s), colour);
        break;
    case ImGuiDir_Left:
        draw->AddTriangleFilled(tip, ImVec2(tip.x + s, tip.y + s), ImVec2(tip.x + s, tip.y - s), colour);
        break;
    default:
        draw->AddTriangleFilled(tip, ImVec2(tip.x - s, tip.y - s), ImVec2(tip.x - s, tip.y + s), colour);
        break;
    }
}

// Space or Enter on a focused pad hands the arrow keys to it (panel_input.cpp moves it),
// until pressed again or the focus leaves it.
void keyboardMode(GLUI_View& view, GLUI_Control& c)
{
    if (view.measuring)
        return;
    ImGuiContext& g = *ImGui::GetCurrentContext();
    if (g.NavActivatePressedId == ImGui::GetItemID() && g.NavActivatePressedId != 0)
        view.adjusting = view.adjusting == &c ? nullptr : &c;
    else if (view.adjusting == &c && !ImGui::IsItemFocused())
        view.adjusting = nullptr;
    if (view.adjusting == &c)
        ImGui::GetWindowDrawList()->AddRect(ImGui::GetItemRectMin(), ImGui::GetItemRectMax(),
                                            ImGui::GetColorU32(ImGuiCol_NavHighlight), 4.0f, 0, 3.0f);
}

// Held with the mouse (a pad pressed with Space is held by the keyboard instead).
bool heldByMouse(bool state)
{
    return state && ImGui::GetCurrentContext()->ActiveIdSource == ImGuiInputSource_Mouse;
}

}  // namespace

float drawRotation(GLUI_View& view, GLUI_Rotation& rotation, float columnWidth)
{
    float width = std::max(kWidgetSide, textWidth(rotation.name()));
    align(rotation, width, columnWidth);
    ImGui::BeginGroup();
    float x = ImGui::GetCursorPosX();
    ImGui::SetCursorPosX(x + std::floor((width - kWidgetSide) * 0.5f));
    ImVec2 corner = ImGui::GetCursorScreenPos();
    ImGui::InvisibleButton("##ball", ImVec2(kWidgetSide, kWidgetSide));
    ImVec2 at = padPoint(corner, kWidgetSide);
    if (heldByMouse(ImGui::IsItemActivated()))
        later(view, [&rotation, at] { rotation.user_begin_drag(at.x, at.y); });
    else if (heldByMouse(ImGui::IsItemActive()))
        later(view, [&rotation, at] { rotation.user_drag_to(at.x, at.y); });
    if (ImGui::IsItemDeactivated())
        later(view, [&rotation, at] {
            rotation.user_drag_to(at.x, at.y);
            rotation.user_end_drag();
        });
    keyboardMode(view, rotation);
    float half = kWidgetSide * 0.5f;
    drawBall(ImGui::GetWindowDrawList(), ImVec2(corner.x + half, corner.y + half), half - 2.0f, rotation.matrix(),
             rotation.is_enabled());
    ImGui::SetCursorPosX(x);
    drawCaption(rotation, width);
    ImGui::EndGroup();
    return width;
}

float drawTranslation(GLUI_View& view, GLUI_Translation& t, float columnWidth)
{
    float width = std::max(kWidgetSide, textWidth(t.name()));
    align(t, width, columnWidth);
    ImGui::BeginGroup();
    float x = ImGui::GetCursorPosX();
    ImGui::SetCursorPosX(x + std::floor((width - kWidgetSide) * 0.5f));
    ImVec2 corner = ImGui::GetCursorScreenPos();
    ImGui::InvisibleButton("##pad", ImVec2(kWidgetSide, kWidgetSide));
    keyboardMode(view, t);
    if (heldByMouse(ImGui::IsItemActive())) {
        ImVec2 delta = ImGui::GetIO().MouseDelta;
        if (delta.x != 0.0f || delta.y != 0.0f)
            later(view, [&t, delta] { t.user_drag(delta.x, -delta.y); });
    }
    ImDrawList* draw = ImGui::GetWindowDrawList();
    ImU32 frame = ImGui::GetColorU32(ImGui::IsItemActive() ? ImGuiCol_FrameBgActive : ImGuiCol_FrameBg);
    ImU32 colour = ImGui::GetColorU32(t.is_enabled() ? ImGuiCol_PlotLines : ImGuiCol_TextDisabled);
    ImVec2 far(corner.x + kWidgetSide, corner.y + kWidgetSide);
    ImVec2 mid(corner.x + kWidgetSide * 0.5f, corner.y + kWidgetSide * 0.5f);
    draw->AddRectFilled(corner, far, frame, 4.0f);
    draw->AddRect(corner, far, ImGui::GetColorU32(ImGuiCol_Border), 4.0f);
    bool horizontal = t.trans_type() == GLUI_TRANSLATION_XY || t.trans_type() == GLUI_TRANSLATION_X;
    bool vertical = t.trans_type() != GLUI_TRANSLATION_X;
    const float reach = kWidgetSide * 0.5f - 6.0f;
    if (horizontal) {
        draw->AddLine(ImVec2(mid.x - reach, mid.y), ImVec2(mid.x + reach, mid.y), colour, 2.0f);
        drawArrow(draw, ImVec2(mid.x - reach, mid.y), ImGuiDir_Left, colour);
        drawArrow(draw, ImVec2(mid.x + reach, mid.y), ImGuiDir_Right, colour);
    }
    if (vertical) {
        draw->AddLine(ImVec2(mid.x, mid.y - reach), ImVec2(mid.x, mid.y + reach), colour, 2.0f);
        drawArrow(draw, ImVec2(mid.x, mid.y - reach), ImGuiDir_Up, colour);
        drawArrow(draw, ImVec2(mid.x, mid.y + reach), ImGuiDir_Down, colour);
    }
    if (t.trans_type() == GLUI_TRANSLATION_Z)
        draw->AddCircle(mid, 8.0f, colour, 16, 2.0f);
    ImGui::SetCursorPosX(x);
    drawCaption(t, width);
    ImGui::EndGroup();
    return width;
}

}  // namespace glui_draw
