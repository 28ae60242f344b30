// The one table of the viewer's user settings: for each field of Settings its name, kind,
// range, step, command-line option, help text and what a change of it makes out of date.
// The panel's spinners take their limits and steps from it, orvelle-render and the viewer
// their options and usage text, "Reset View" its defaults, and the frame and the kept
// geometry what they must notice. A new setting is a field of Settings, a row here, and
// the code that uses it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/settings.h"

enum class SettingKind {
    Float,       // one float
    Int,         // one int
    Choice,      // an enum kept as an int; the option takes one of its words
    Flag,        // an int 0 or 1; the option sets flagValue
    Floats,      // count floats in a row; the option gives the first optionValues of them
    DataColors,  // the 50 data colours; the option VALUE=R,G,B sets one, and repeats
    Matrix,      // 16 floats of a turn, column order
};

// What a change of a setting makes out of date, besides the picture itself.
enum SettingEffect : unsigned {
    kShown = 1u << 0,           // the picture shows it: a frame drawn in slices starts over
    kGeometry = 1u << 1,        // the kept vertex arrays are built from it
    kResetWithView = 1u << 2,   // "Reset View" (and every load) puts it back to its default
    kReloads = 1u << 3,         // the loaded file is read again when it changes
    kWindow = 1u << 4,          // it may need another display window
};

struct SettingRow {
    const char* name;    // the field's name
    SettingKind kind;
    std::size_t offset;  // of the field in Settings
    int count;           // floats of a Floats row
    unsigned effects;    // SettingEffect bits
    float low, high;     // range of each value: spinner limits and the option's check
    float step;          // spinner speed
    const char* option;  // command-line option ("--thickness"), or null for none
    const char* valueName;  // what the option takes in the usage text ("F", "X,Y,Z")
    const char* help;       // the usage text's description
    const char* const* words = nullptr;  // Choice: the option's words, in value order
    int wordCount = 0;
    int flagValue = 1;           // Flag: the value its option sets
    int optionValues = 0;        // Floats: how many values the option gives (0: count)
    const char* defaultText = nullptr;  // shown in the usage text instead of the default
    bool viewerOnly = false;     // only the viewer acts on it: orvelle-render has no option for it
};

// Every row, in the order of the usage text.
const std::vector<SettingRow>& settingRows();

// The row of the field at address field inside settings; null when it is not a setting.
const SettingRow* rowOfField(const Settings& settings, const void* field);
// The row of a field, by member: settingRow(&Settings::thickness).
template <typename T>
const SettingRow& settingRow(T Settings::*member)
{
    static const Settings probe;
    const SettingRow* row = rowOfField(probe, &(probe.*member));
    return *row;  // every field that code asks for by member has a row
}
// The row of an option ("--thickness"); null when no setting has that option.
const SettingRow* rowOfOption(const std::string& option);

// The field of a row inside settings.
float* floatsOf(Settings& settings, const SettingRow& row);
const float* floatsOf(const Settings& settings, const SettingRow& row);
int* intOf(Settings& settings, const SettingRow& row);
const int* intOf(const Settings& settings, const SettingRow& row);
DataColor* dataColorsOf(Settings& settings, const SettingRow& row);
// The bytes of the field, and how many.
const unsigned char* bytesOf(const Settings& settings, const SettingRow& row);
std::size_t sizeOf(const SettingRow& row);

struct SettingsVersions;
// Puts the rows that reset with the view back to their defaults, telling versions of those
// that change; the eye separation then follows the focal length at its restored ratio, and
// the turn its angles.
void resetViewSettings(Settings& settings, SettingsVersions& versions);

// Parses an option's text value for a row into settings; false with a message naming the
// option, the value and what it takes when the text is not a value of the row.
bool applyOptionValue(const SettingRow& row, const std::string& text, Settings& settings, std::string& error);

// The usage lines of every row with an option: "  --thickness F   line and ..., 0.001 to 10 (default 0.02)".
std::string settingsUsage();
// The usage line of one row with an option.
std::string settingUsageLine(const SettingRow& row);
// One usage line: the option and what it takes, padded to the column of the descriptions (or
// on a line of its own when longer), then the description, whose "\n" continue it beneath.
std::string usageLine(const std::string& option, const std::string& help);

// A copy of the fields of every row with all of the given effects, to tell later whether
// any of them changed.
std::vector<unsigned char> settingsSnapshot(const Settings& settings, unsigned effects);

// Counts of changes, by what they make out of date: a cache notes the count it was built
// at and rebuilds when the count moves on.
struct SettingsVersions {
    unsigned long geometry = 0;
};
// Tells the versions that the setting of row changed.
void noteSettingChanged(const SettingRow& row, SettingsVersions& versions);
