// Spinners: an int or float value with optional limits, shown and written to its live
// variable at once when set, clamped whenever it comes from the program or the user.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "glui/glui.h"

namespace {

// Float to int without the undefined behaviour of converting values out of int's range.
int toInt(float value)
{
    if (!(value > static_cast<float>(INT_MIN)))
        return INT_MIN;
    if (!(value < static_cast<float>(INT_MAX)))
        return INT_MAX;
    return static_cast<int>(std::lround(value));
}

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

GLUI_Spinner::GLUI_Spinner(GLUI* glui, GLUI_Control* parent, std::string name, int dataType, void* liveVar,
                           int id, GLUI_Update_CB callback)
    : GLUI_Control(GLUI_Kind::Spinner, glui, parent, std::move(name), liveVar, id, callback),
      dataType_(dataType == GLUI_SPINNER_FLOAT ? GLUI_SPINNER_FLOAT : GLUI_SPINNER_INT)
{
    // A new control shows the value its variable already holds.
    if (liveVar) {
        if (dataType_ == GLUI_SPINNER_FLOAT) {
            lastLiveFloat_ = *static_cast<float*>(liveVar);
            floatValue_ = lastLiveFloat_;
            intValue_ = toInt(floatValue_);
        } else {
            lastLiveInt_ = *static_cast<int*>(liveVar);
            intValue_ = lastLiveInt_;
            floatValue_ = static_cast<float>(intValue_);
        }
    }
}

float GLUI_Spinner::clamp_float(float value) const
{
    if (limitType_ == GLUI_LIMIT_CLAMP)
        return std::min(std::max(value, floatLow_), floatHigh_);
    if (limitType_ == GLUI_LIMIT_WRAP && floatHigh_ > floatLow_) {
        float span = floatHigh_ - floatLow_;
        float wrapped = std::fmod(value - floatLow_, span);
        if (wrapped < 0.0f)
            wrapped += span;
        return floatLow_ + wrapped;
    }
    return value;
}

int GLUI_Spinner::clamp_int(int value) const
{
    if (limitType_ == GLUI_LIMIT_CLAMP)
        return std::min(std::max(value, intLow_), intHigh_);
    if (limitType_ == GLUI_LIMIT_WRAP && intHigh_ > intLow_) {
        long long span = static_cast<long long>(intHigh_) - intLow_ + 1;
        long long wrapped = (static_cast<long long>(value) - intLow_) % span;
        if (wrapped < 0)
            wrapped += span;
        return static_cast<int>(intLow_ + wrapped);
    }
    return value;
}

void GLUI_Spinner::store_float(float value)
{
    if (dataType_ == GLUI_SPINNER_INT) {
        store_int(toInt(value));
        return;
    }
    floatValue_ = clamp_float(value);
    intValue_ = toInt(floatValue_);
}

void GLUI_Spinner::store_int(int value)
{
    if (dataType_ == GLUI_SPINNER_FLOAT) {
        store_float(static_cast<float>(value));
        return;
    }
    intValue_ = clamp_int(value);
    floatValue_ = static_cast<float>(intValue_);
}

void GLUI_Spinner::set_float_limits(float low, float high, int limitType)
{
    if (low > high)
        std::swap(low, high);
    floatLow_ = low;
    floatHigh_ = high;
    intLow_ = toInt(low);
    intHigh_ = toInt(high);
    limitType_ = limitType;
    // The value already shown must respect the new limits too.
    store_float(floatValue_);
    write_live();
    changed();
}

void GLUI_Spinner::set_int_limits(int low, int high, int limitType)
{
    if (low > high)
        std::swap(low, high);
    intLow_ = low;
    intHigh_ = high;
    floatLow_ = static_cast<float>(low);
    floatHigh_ = static_cast<float>(high);
    limitType_ = limitType;
    if (dataType_ == GLUI_SPINNER_INT)
        store_int(intValue_);
    else
        store_float(floatValue_);
    write_live();
    changed();
}

// A value that is not a number would spread into the view; it leaves the spinner as it was.
void GLUI_Spinner::set_float_val(float value)
{
    if (!std::isfinite(value))
        return;
    store_float(value);
    write_live();
    changed();
}

void GLUI_Spinner::set_int_val(int value)
{
    store_int(value);
    write_live();
    changed();
}

int GLUI_Spinner::get_int_val() const { return intValue_; }

float GLUI_Spinner::get_float_val() const { return floatValue_; }

void GLUI_Spinner::user_set_float(float value)
{
    if (!std::isfinite(value))
        return;
    store_float(value);
    changed();
    notify_user_change();
}

void GLUI_Spinner::user_set_int(int value)
{
    store_int(value);
    changed();
    notify_user_change();
}

void GLUI_Spinner::write_live()
{
    if (!liveVar_)
        return;
    if (dataType_ == GLUI_SPINNER_FLOAT)
        *static_cast<float*>(liveVar_) = lastLiveFloat_ = floatValue_;
    else
        *static_cast<int*>(liveVar_) = lastLiveInt_ = intValue_;
}

// The control shows the variable within its limits; the variable itself is left as the
// program set it (keys and actions may take it beyond what the panel offers).
void GLUI_Spinner::sync_live()
{
    if (!liveVar_)
        return;
    if (dataType_ == GLUI_SPINNER_FLOAT) {
        float live = *static_cast<float*>(liveVar_);
        if (sameBits(live, lastLiveFloat_))
            return;
        lastLiveFloat_ = live;
        if (std::isnan(live))
            floatValue_ = live;
        else
            store_float(live);
    } else {
        int live = *static_cast<int*>(liveVar_);
        if (live == lastLiveInt_)
            return;
        lastLiveInt_ = live;
        store_int(live);
    }
    changed();
}
