// List boxes: items with ids and texts; the value is the id of the chosen item.
#include <algorithm>

#include "glui/glui.h"

GLUI_Listbox::GLUI_Listbox(GLUI* glui, GLUI_Control* parent, std::string name, int* liveVar, int id,
                           GLUI_Update_CB callback)
    : GLUI_IntValueControl(GLUI_Kind::Listbox, glui, parent, std::move(name), liveVar, id, callback)
{
}

int GLUI_Listbox::add_item(int itemId, const char* text)
{
    items_.emplace_back(itemId, text ? text : "");
    ++itemsVersion_;
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
    ++itemsVersion_;
    changed();
    return 1;
}

void GLUI_Listbox::replace_items_after(std::size_t kept, int firstId, const std::vector<std::string>& texts)
{
    items_.resize(std::min(kept, items_.size()));
    items_.reserve(items_.size() + texts.size());
    int itemId = firstId;
    for (const std::string& text : texts)
        items_.emplace_back(itemId++, text);
    ++itemsVersion_;
    changed();
}

void GLUI_Listbox::user_choose(int itemId)
{
    user_set_value(itemId);
}
