// The data folder, the names listed in the "Files:" list, loading a listed file, and the file
// asked for and the file on screen, which reloads and "Watch file" read again by their paths.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "core/modes.h"

// Names found by the last listing; list item n shows entry n - 1.
extern std::vector<std::string> fileNames;
// Number of names the "Files:" list shows (items 1 to fileCount), set by refreshFileList.
extern int fileCount;

const char* getCurrentFolder();
// Opens the desktop's folder chooser at the listed folder, beside the event loop: answered
// holds the chosen folder, or nullptr when cancelled, and is called at once where the
// answer is at hand (no chooser installed, a test's chooser) or else by a later
// serviceFolderChooser. False, starting nothing, while a chooser stands open.
bool chooseFolder(const char* title, void (*answered)(const char* folder));
// Hands the answer of the chooser that stands open on, once it has come; never waits.
void serviceFolderChooser();
int listFiles(const char* pattern);
// Lists the folder of "Folder:" with the filter of "File filter:". A folder given relative
// (to the folder listed before) is made absolute once, and the box shows the result.
void refreshFileList();
// Loads item n as the file asked for: "list=n", the view reset, the read with the chosen format.
void loadListItem(int n);

// What the list shows for a name: control characters escaped, a long name shortened to
// kListNameCharacters with "..." in its middle. The console and the picture show the name
// escaped but whole.
constexpr std::size_t kListNameCharacters = 40;
std::string listText(const std::string& name);

// The file last asked for (picked in "Files:" or named on the command line) and the file on
// screen, as absolute paths; they differ after a load that failed. Empty when there is none.
const std::string& requestedFilePath();
const std::string& shownFilePath();
// "Choose Model" was picked: no file is asked for any more.
void forgetRequestedFile();
// Forgets the file asked for and the file on screen and stops watching: a fresh start.
void forgetFiles();
// A new "Data Format": the file last asked for is read again with it, whatever the list shows.
void reloadRequestedFile();
// A new "Axis Scaling": the file on screen is read again, whatever the list shows.
void reloadShownFile();

// The file named on the command line: chosen in "Files:" when the list shows it, loaded with
// the format given (or, with detect, the one its first bytes suggest, which the "Data Format"
// radio then shows), the view reset and then set to the values of the options given.
struct StartFile {
    std::string path;
    bool detect = true;
};
void loadStartFile(const StartFile& start, void (*applyStartView)());
// Without a file on the command line: the first file picked in "Files:" is shown with the
// view asked for, applied as loadStartFile applies it.
void viewForFirstLoad(void (*applyStartView)());

// "Watch file": watches the file on screen while the box is ticked (call after it changes).
void updateFileWatch();
// Reads the watched file again once a rewrite of it has settled, keeping the view.
void serviceFileWatch(std::chrono::steady_clock::time_point now);
