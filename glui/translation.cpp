// Translation controls: a drag moves one value (X, Y or Z) or two (XY), scaled by the speed.
#include <cmath>
#include <cstring>

#include "glui/glui.h"

GLUI_Translation::GLUI_Translation(GLUI* glui, GLUI_Control* parent, std::string name, int transType,
                                   float* liveVar, int id, GLUI_Update_CB callback)
    : GLUI_Control(GLUI_Kind::Translation, glui, parent, std::move(name), liveVar, id, callback),
      transType_(transType)
{
    if (liveVar) {
        values_[0] = liveVar[0];
        if (transType_ == GLUI_TRANSLATION_XY)
            values_[1] = liveVar[1];
    }
}

void GLUI_Translation::set_x(float x)
{
    values_[0] = x;
    write_live();
    changed();
}

void GLUI_Translation::set_y(float y)
{
    values_[transType_ == GLUI_TRANSLATION_XY ? 1 : 0] = y;
    write_live();
    changed();
}

void GLUI_Translation::set_z(float z)
{
    values_[0] = z;
    write_live();
    changed();
}

void GLUI_Translation::user_drag(float dx, float dy)
{
    if (!std::isfinite(dx) || !std::isfinite(dy) || (dx == 0.0f && dy == 0.0f))
        return;
    switch (transType_) {
    case GLUI_TRANSLATION_XY:
        values_[0] += dx * speed_;
        values_[1] += dy * speed_;
        break;
    case GLUI_TRANSLATION_X:
        values_[0] += dx * speed_;
        break;
    default:  // Y and Z follow the vertical movement
        values_[0] += dy * speed_;
        break;
    }
    changed();
    notify_user_change();
}

void GLUI_Translation::write_live()
{
    if (!liveVar_)
        return;
    float* live = static_cast<float*>(liveVar_);
    live[0] = values_[0];
    if (transType_ == GLUI_TRANSLATION_XY)
        live[1] = values_[1];
}

void GLUI_Translation::sync_live()
{
    if (!liveVar_)
        return;
    const float* live = static_cast<const float*>(liveVar_);
    int count = transType_ == GLUI_TRANSLATION_XY ? 2 : 1;
    if (std::memcmp(live, values_, count * sizeof(float)) == 0)
        return;
    std::memcpy(values_, live, count * sizeof(float));
    changed();
}
