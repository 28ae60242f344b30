// The viewer's command line, orvelle [options] [FILE]: the options of the settings table (as
// orvelle-render spells them), --format, --columns, --help and --version, and the start in
// FILE's folder with FILE chosen and loaded.
#pragma once

#include <string>
#include <vector>

#include "core/settings_options.h"
#include "io/load_options.h"

struct ViewerCommandLine {
    bool help = false;
    bool version = false;
    std::string file;  // empty: none given
    LoadChoice load;
    CommandLine line;
};

// Reads args (without the program's name) into the viewer's settings and cmd; false with one
// line saying what is wrong in error.
bool parseViewerCommandLine(const std::vector<std::string>& args, ViewerCommandLine& cmd, std::string& error);

// What --help prints: the options, the keys and mouse of the display window.
std::string viewerUsage();
// What --version prints.
std::string viewerVersion();

// Before the display window opens: moves into FILE's folder, so that the panel lists it.
void prepareStart(const ViewerCommandLine& cmd);
// Once the panel is built: what its build reset is given back, and FILE is chosen and loaded.
void beginStart();
