// The operating-system services behind the file list: the current directory, a
// wildcard search of it, and the desktop's modal folder chooser.
#pragma once

#include <string>
#include <vector>

// The process's current directory; empty if it cannot be read.
std::string currentDirectory();

// Makes path the current directory, so that later relative opens resolve against it.
// Returns 0, or the errno value of the failure.
int changeDirectory(const std::string& path);

// Wildcard match of a bare name: "*.*" matches every name (with or without a dot);
// otherwise "*" matches any run of characters, "?" any one character, and every
// other character itself.
bool matchesPattern(const std::string& pattern, const std::string& name);

// Every name in the current directory that matches pattern ("." and ".." included,
// folders as well as files), sorted by name, into names.
// Returns 0, or an errno value when the search cannot start: the directory cannot
// be read, or no name matches (ENOENT).
int searchDirectory(const std::string& pattern, std::vector<std::string>& names);

// A folder chooser: shows title, waits for the user's answer and returns true with
// the chosen folder in path, or false when the user cancelled.
using FolderChooser = bool (*)(const char* title, std::string& path);

// The desktop's own dialog: zenity, else kdialog, else one line saying that no
// folder chooser is installed (which counts as a cancel).
bool desktopFolderChooser(const char* title, std::string& path);

// Replaces the chooser that runFolderChooser uses (tests use a fake one);
// nullptr restores desktopFolderChooser.
void setFolderChooser(FolderChooser chooser);

// Runs the chooser in use.
bool runFolderChooser(const char* title, std::string& path);
