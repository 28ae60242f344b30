// Edit texts: a line of text, or a number kept as text. The live variable of a
// GLUI_EDITTEXT_TEXT box is a std::string (so no length limit can be overrun), of an
// _INT box an int, of a _FLOAT box a float.
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "glui/glui.h"

namespace {

// 2^31: every float below it (and above INT_MIN) fits an int. INT_MAX itself is no float.
constexpr float kIntLimit = 2147483648.0f;

std::string formatFloat(float value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

// Parses the whole text as a number; false for empty, partial or out-of-range text.
bool parseLong(const std::string& text, long* value)
{
    errno = 0;
    char* end = nullptr;
    long parsed = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != '\0' || errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX)
        return false;
    *value = parsed;
    return true;
}

bool parseFloat(const std::string& text, float* value)
{
    char* end = nullptr;
    float parsed = std::strtof(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !std::isfinite(parsed))
        return false;
    *value = parsed;
    return true;
}

}  // namespace

GLUI_EditText::GLUI_EditText(GLUI* glui, GLUI_Control* parent, std::string name, int dataType, void* liveVar,
                             int id, GLUI_Update_CB callback)
    : GLUI_Control(GLUI_Kind::EditText, glui, parent, std::move(name), liveVar, id, callback),
      dataType_(dataType)
{
    if (liveVar)
        text_ = lastLive_ = live_text();
}

std::string GLUI_EditText::live_text() const
{
    if (!liveVar_)
        return text_;
    switch (dataType_) {
    case GLUI_EDITTEXT_INT:
        return std::to_string(*static_cast<int*>(liveVar_));
    case GLUI_EDITTEXT_FLOAT:
        return formatFloat(*static_cast<float*>(liveVar_));
    default:
        return *static_cast<std::string*>(liveVar_);
    }
}

void GLUI_EditText::set_text(const char* text)
{
    text_ = text ? text : "";
    write_live();
    changed();
}

void GLUI_EditText::set_int_val(int value) { set_text(std::to_string(value).c_str()); }

void GLUI_EditText::set_float_val(float value) { set_text(formatFloat(value).c_str()); }

int GLUI_EditText::get_int_val() const
{
    long value = 0;
    if (parseLong(text_, &value))
        return static_cast<int>(value);
    float asFloat = 0.0f;
    if (parseFloat(text_, &asFloat) && asFloat > INT_MIN && asFloat < kIntLimit)
        return static_cast<int>(asFloat);
    return 0;
}

float GLUI_EditText::get_float_val() const
{
    float value = 0.0f;
    return parseFloat(text_, &value) ? value : 0.0f;
}

void GLUI_EditText::user_set_text(const char* text)
{
    text_ = text ? text : "";
    changed();
    notify_user_change();
}

// A number box whose text is no number leaves its variable as it was.
void GLUI_EditText::write_live()
{
    if (!liveVar_)
        return;
    switch (dataType_) {
    case GLUI_EDITTEXT_INT: {
        long value = 0;
        float asFloat = 0.0f;
        if (parseLong(text_, &value))
            *static_cast<int*>(liveVar_) = static_cast<int>(value);
        else if (parseFloat(text_, &asFloat) && asFloat > INT_MIN && asFloat < kIntLimit)
            *static_cast<int*>(liveVar_) = static_cast<int>(asFloat);
        break;
    }
    case GLUI_EDITTEXT_FLOAT: {
        float value = 0.0f;
        if (parseFloat(text_, &value))
            *static_cast<float*>(liveVar_) = value;
        break;
    }
    default:
        *static_cast<std::string*>(liveVar_) = text_;
        break;
    }
    lastLive_ = live_text();
}

void GLUI_EditText::sync_live()
{
    if (!liveVar_)
        return;
    std::string live = live_text();
    if (live != lastLive_) {
        text_ = lastLive_ = live;
        changed();
    }
}
