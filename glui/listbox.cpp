// List boxes: items with ids and texts; the value is the id of the chosen item.
#include <algorithm>

#include "glui/glui.h"

GLUI_Listbox::GLUI_Listbox(GLUI* glui, GLUI_Control* parent, std::string name, int* liveVar, int id,
                           GLUI_Update_CB callback)
    : GLUI_Control(GLUI_Kind::Listbox, glui, parent, std::move(name), liveVar, id, callback)
{
    if (liveVar)
        value_ = lastLive_ = *liveVar;
}

int GLUI_Listbox::add_item(int itemId, const char* text)
{
    items_.emplace_back(itemId, text ? text : "");
    changed();
    return 1;
}

int GLUI_Listbox::delete_item(int itemId)
{
    auto found = std::find_if(items_.begin(), items_.end(),
                              [itemId](const auto& item) { return item.first == itemId; });
    if (found == items_.end())
        return 0;
    items_.erase(found);
    changed();
    return 1;
}

// Like GLUI, the value may name an item that is not (or not yet) in the list; nothing is shown then.
void GLUI_Listbox::set_int_val(int value)
{
    value_ = value;
    write_live();
    changed();
}

void GLUI_Listbox::sync_live()
{
    if (!liveVar_)
        return;
    int live = *static_cast<int*>(liveVar_);
    if (live != lastLive_) {
        value_ = lastLive_ = live;
        changed();
    }
}

void GLUI_Listbox::user_choose(int itemId)
{
    value_ = itemId;
    changed();
    notify_user_change();
}

void GLUI_Listbox::write_live()
{
    if (liveVar_)
        *static_cast<int*>(liveVar_) = lastLive_ = value_;
}
