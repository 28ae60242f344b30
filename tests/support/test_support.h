// Captured standard output and the state of the viewer's record for the tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

// Runs fn with standard output going to a file and returns what it printed.
std::string captureStdout(const std::function<void()>& fn);

// The printed text cut into lines (without their line ends).
std::vector<std::string> splitLines(const std::string& text);

// Puts the data set and the settings back to their state at start-up.
void resetDataInput();

// Loads path into the viewer's data set as the viewer loads a picked file in each format:
// viewer.filename names it, and the load uses the viewer's settings.
void readDataFile(const char* path);
void readColorDataFile(const char* path);
void readMapleFile(const char* path);
