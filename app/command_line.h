// The viewer's command line: the options of the settings table, a saved view (--view-file)
// and --help. What they set is the view of the first file loaded (see ViewerState::startView).
#pragma once

#include <string>
#include <vector>

enum class CommandLine { Start, Help, UsageError };

// Applies the arguments after the program name to the viewer's settings. UsageError with
// a message naming the bad option or value in error; Help when --help was given.
CommandLine applyCommandLine(const std::vector<std::string>& args, std::string& error);

// orvelle --help: the options, then the keys and mouse actions of the display window.
std::string viewerUsage();
