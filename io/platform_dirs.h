// The operating-system services behind the file list: the current directory, a
// wildcard search of it, and the desktop's folder chooser.
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

// A folder chooser that answers at once: shows title and returns true with the chosen
// folder in path, or false when the user cancelled. Tests put one in place of the desktop's.
using FolderChooser = bool (*)(const char* title, std::string& path);

// Replaces the desktop's chooser with one that answers at once (tests); nullptr gives the
// desktop's back.
void setFolderChooser(FolderChooser chooser);

// The folder chooser runs as a child process beside the event loop, which asks it now and
// then whether it has answered: one chooser at a time.
enum class ChooserState { Open, Chosen, Cancelled };

// Starts the desktop's dialog, zenity, else kdialog, titled title and opened at startFolder
// (none when empty): Open while it stands on the screen. A desktop without either prints
// one line saying so, and a chooser that cannot start one saying why: both count as
// cancelled. A replaced chooser answers at once, Chosen with the folder in path or Cancelled.
ChooserState startFolderChooser(const char* title, const std::string& startFolder, std::string& path);

// Whether the chooser started last has answered, without waiting: Open until it ends, then
// Chosen with the folder in path (its answer without the line end), or Cancelled (also a
// failed chooser, with a line saying so). Asked after the answer, or with none started:
// Cancelled.
ChooserState pollFolderChooser(std::string& path);

// Whether a chooser stands open.
bool folderChooserOpen();

// Ends a chooser still open (the process is ending), without its answer.
void stopFolderChooser();
