// Saved views: the settings that make a picture, as "name = value" lines under the names of
// the settings table, which both programs write and read (`v` in the viewer, --view-file).
#pragma once

#include <string>
#include <vector>

#include "core/settings.h"
#include "core/settings_table.h"

// The rows a view holds: the turn, shift and size of the scene, the stereo and projection
// settings, the display type, view mode, format and scaling, the colours, the tube sizes and
// what the picture shows besides the data.
const std::vector<std::string>& viewRowNames();
// The rows of those names.
std::vector<const SettingRow*> viewRows();

// The text of a view: a comment line, then one line per row. A float is written with nine
// significant digits, so that it reads back as the very same float; a choice as its
// option's word; the data colours one line each, only those that differ from the panel's.
std::string viewText(const Settings& settings);

// Reads the lines of a view into settings. Blank lines and lines starting with '#' are
// skipped; a name may stand once or more (the last counts; data colours add up). On the
// first line that is not a setting of a view with a value it takes, returns false with
// "line N: why" in error, and settings stay as they were.
bool applyViewText(const std::string& text, Settings& settings, std::string& error);
