// Saved view files on disk: written whole or not at all, read with the line of any fault.
#pragma once

#include <string>

#include "core/settings.h"
#include "core/settings_options.h"

// The name of the view of a data file: beside it, its stem with ".view"
// ("/data/ripple.mpl" gives "/data/ripple.view"; no data file gives "picture.view").
std::string viewFileNameFor(const std::string& dataFilePath);

// Writes the view of settings to path through a synced temporary file renamed into place:
// an earlier view at path stays whole until the new one is complete. On failure returns
// false with the reason in error.
bool writeViewFile(const std::string& path, const Settings& settings, std::string& error);

// Reads the view at path into settings (see applyViewText); on failure settings stay as they
// were and error says "view file PATH: why", with the line of a bad line.
bool readViewFile(const std::string& path, Settings& settings, std::string& error);

// --view-file F of both programs: reads the view in F into settings where it stands among the
// options (later options change what it set), and counts its rows as given in line.
ProgramOption viewFileOption(Settings& settings, CommandLine& line);
