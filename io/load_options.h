// The options of a load that both programs read the same way: --format (a reader, or auto to
// choose it from the file's first bytes) and --columns, beside the settings table's options.
#pragma once

#include <string>
#include <vector>

#include "core/settings_options.h"
#include "io/data_loader.h"
#include "io/format_detect.h"

struct LoadChoice {
    // Automatic unless --format names a reader.
    FormatChoice format;
    // "X,Y,Z[,GROUP]" of --columns; empty when not given.
    std::string columns;
};

// --format and --columns, writing into choice and, for a reader named by --format, into
// settings.dataFormat. Both must outlive the parse.
std::vector<ProgramOption> loadOptions(LoadChoice& choice, Settings& settings);

// Whether text names three or four columns, "X,Y,Z[,GROUP]", none of them empty.
bool validColumnList(const std::string& text);

// The reader a load with choice uses when it does not detect one: the named reader; under
// auto, Columns when columns are named, else the reader of the settings.
DataFormat chosenFormat(const LoadChoice& choice, const Settings& settings);

// What a load with choice takes from settings: detection under auto (without named columns),
// the named columns.
LoadSettings loadSettingsFor(const Settings& settings, const LoadChoice& choice);
