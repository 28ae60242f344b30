// The data folder, the names listed in the "Files:" list, and loading a listed file.
#pragma once

#include <string>
#include <vector>

// Names found by the last listing; list item n shows entry n - 1.
extern std::vector<std::string> fileNames;
// Number of names the "Files:" list shows (items 1 to fileCount), set by refreshFileList.
extern int fileCount;

const char* getCurrentFolder();
// Opens the desktop's folder chooser; returns the chosen folder, or nullptr if cancelled.
const char* chooseFolder(const char* title);
int listFiles(const char* pattern);
void refreshFileList();
void loadListItem(int n);
// Reads the file at path with the reader of the chosen format into the data set, printing
// the load report under the name viewer.filename; false when nothing was loaded.
bool loadFileNamed(const std::string& path);
