// The data folder and the "Files:" list: lists the names in the folder that match the
// filter, loads the file of a chosen item with the reader of the chosen format, and keeps
// the file asked for and the file on screen by their paths, for reloads and "Watch file".
#include "app/file_list.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <utility>

#include "app/background_load.h"
#include "app/display_window.h"
#include "app/file_watch.h"
#include "app/navigation.h"
#include "app/viewer_state.h"
#include "core/display_text.h"
#include "core/settings_table.h"
#include "core/user_message.h"
#include "glui/glui.h"
#include "io/data_loader.h"
#include "io/platform_dirs.h"
#include "io/report_text.h"

std::vector<std::string> fileNames;
int fileCount = 0;

namespace {

// The folder of the last successful listing, as an absolute path: a load opens the listed
// name inside it, whatever the process's current directory.
std::string listedFolder;

bool lastListingWorked = false;

// The text handed out by getCurrentFolder; it stays valid until the next call.
std::string currentDir;
// Where the answer of the folder chooser that stands open goes.
void (*chooserAnswered)(const char* folder) = nullptr;

void answerChooser(ChooserState state, const std::string& path)
{
    void (*answered)(const char* folder) = std::exchange(chooserAnswered, nullptr);
    if (answered != nullptr) {
        answered(state == ChooserState::Chosen ? path.c_str() : nullptr);
    }
}

// The file last asked for, its name as listed, and whether its load is still on its way.
std::string requestedPath;
std::string requestedName;
bool requestInFlight = false;
// The file whose data are on screen.
std::string shownPath;

FileWatch fileWatch;

std::string joinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty()) {
        return name;
    }
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string bareName(const std::string& path)
{
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// "list=n" when the list shows path as item n: a reload of what the list still shows says so
// as a pick does; a list of another folder has no item for it.
void printListLineFor(const std::string& path)
{
    for (std::size_t k = 0; k < fileNames.size(); ++k) {
        if (joinPath(listedFolder, fileNames[k]) == path) {
            std::printf("list=%d\n", static_cast<int>(k + 1));
            return;
        }
    }
}

// What a load takes from the settings, with the values its report quotes as they will be
// once a new file has reset the view.
LoadSettings panelLoadSettings(bool resetsView)
{
    Settings quotedFrom = viewer;
    if (resetsView) {
        SettingsVersions ignored;
        resetViewSettings(quotedFrom, ignored);
    }
    LoadSettings settings = loadSettingsFrom(quotedFrom);
    settings.columns = viewer.columns;
    return settings;
}

enum class LoadKind {
    Chosen,    // a new file asked for: the view starts from its defaults
    Reloaded,  // the same or the asked-for file with a new format or scaling: as Chosen
    Watched,   // the file on screen rewritten: the view stays as it is
};

struct FileLoad {
    std::string path;
    std::string rawName;
    LoadSettings settings;
    LoadKind kind = LoadKind::Chosen;
    bool reportsDetectedFormat = false;
    void (*applyStartView)() = nullptr;
};

// Installs a finished load and makes its file the one on screen; a failed load leaves the
// data, the picture, the view and the name as they were.
void finishFileLoad(const FileLoad& load, const std::string& shownName, unsigned long changesAtStart, bool loaded,
                    DataSet& read, std::optional<DataFormat> detected)
{
    if (load.kind != LoadKind::Watched && load.path == requestedPath) {
        requestInFlight = false;
    }
    if (!loaded) {
        requestRedisplay();
        return;
    }
    if (load.kind == LoadKind::Watched) {
        if (shownPath != load.path) {
            return;  // another file has been shown since: this one is no longer wanted
        }
        fileWatch.reloadDue(WatchClock::now());  // takes the events of the time of the read
        if (fileWatch.path() == load.path && fileWatch.settling().changes() != changesAtStart) {
            tellUser(formatLine("%s changed while it was read: it is read again once it stops changing\n",
                                shownName.c_str()));
            return;
        }
    } else {
        resetView();
        if (load.applyStartView != nullptr) {
            load.applyStartView();
        }
    }
    installLoadedData(read, dataSet);
    viewer.filename = shownName;
    shownPath = load.path;
    if (detected) {
        viewer.dataFormat = *detected;
    }
    updateFileWatch();
    requestRedisplay();
}

void startFileLoad(const FileLoad& load)
{
    if (load.kind != LoadKind::Watched && load.path == requestedPath) {
        requestInFlight = true;
    }
    const unsigned long changesAtStart = fileWatch.settling().changes();
    LoadJob job;
    job.path = load.path;
    job.name = escapeControlCharacters(load.rawName);
    job.settings = load.settings;
    job.reportsDetectedFormat = load.reportsDetectedFormat;
    const std::string shownName = job.name;
    job.finished = [load, shownName, changesAtStart](bool loaded, DataSet& read, std::optional<DataFormat> detected) {
        finishFileLoad(load, shownName, changesAtStart, loaded, read, detected);
    };
    startLoad(std::move(job));
}

void askFor(const std::string& path, const std::string& rawName)
{
    requestedPath = path;
    requestedName = rawName;
}

}  // namespace

const char* getCurrentFolder()
{
    currentDir = currentDirectory();
    return currentDir.c_str();
}

bool chooseFolder(const char* title, void (*answered)(const char* folder))
{
    if (folderChooserOpen()) {
        return false;
    }
    std::string path;
    const ChooserState state = startFolderChooser(title, listedFolder, path);
    chooserAnswered = answered;
    if (state != ChooserState::Open) {
        answerChooser(state, path);
    }
    return true;
}

void serviceFolderChooser()
{
    std::string path;
    if (chooserAnswered == nullptr) {
        return;
    }
    const ChooserState state = pollFolderChooser(path);
    if (state != ChooserState::Open) {
        answerChooser(state, path);
    }
}

int listFiles(const char* pattern)
{
    fileNames.clear();
    // A folder that cannot be entered must not list whatever folder happens to be
    // current: the search cannot start there.
    // A relative folder is taken from the folder listed before, as it was when the listing
    // left the process there, whatever has become of the current directory since.
    const bool relative = !viewer.filedir.empty() && viewer.filedir[0] != '/' && !listedFolder.empty();
    int error = changeDirectory(relative ? joinPath(listedFolder, viewer.filedir) : viewer.filedir);
    std::vector<std::string> found;
    if (error == 0) {
        error = searchDirectory(pattern != nullptr ? pattern : "", found);
    }
    lastListingWorked = error == 0;
    if (error != 0) {
        tellUser(formatLine("Invalid File Handle. Get Last Error reports %d\n", error));
        return 0;
    }
    listedFolder = currentDirectory();
    fileNames.reserve(found.size());
    for (std::string& name : found) {
        // Drops "." and ".." along with hidden files.
        if (name[0] != '.') {
            fileNames.push_back(std::move(name));
        }
    }
    return static_cast<int>(fileNames.size());
}

std::string listText(const std::string& name)
{
    return shortenWithEllipsis(escapeControlCharacters(name), kListNameCharacters);
}

void refreshFileList()
{
    if (viewer.folderText != nullptr) {
        viewer.filedir = viewer.folderText->get_text();
    }
    if (viewer.filterText != nullptr) {
        viewer.fileFilter = viewer.filterText->get_text();
    }
    fileCount = listFiles(viewer.fileFilter.c_str());
    // A folder relative to the one listed before is resolved once: the box shows where the
    // listing went, and a later refresh does not go further from there.
    if (lastListingWorked) {
        viewer.filedir = listedFolder;
        if (viewer.folderText != nullptr) {
            viewer.folderText->set_text(listedFolder.c_str());
        }
    }
    if (viewer.fileList != nullptr) {
        std::vector<std::string> texts;
        texts.reserve(fileNames.size());
        for (const std::string& name : fileNames) {
            texts.push_back(listText(name));
        }
        viewer.fileList->replace_items_after(1, 1, texts);
    }
}

namespace {
// The view the command line asked for without a file: that of the first file picked.
void (*firstLoadView)() = nullptr;
}  // namespace

void loadListItem(int n)
{
    // An item number can outlive its list (a new listing, then an axis-scaling reload).
    if (n < 1 || n > fileCount || static_cast<std::size_t>(n) > fileNames.size()) {
        tellUser(formatLine("list=%d is not in the file list of %d files: nothing is loaded\n", n, fileCount));
        return;
    }
    std::printf("list=%d\n", n);
    const std::string& name = fileNames[static_cast<std::size_t>(n - 1)];
    askFor(joinPath(listedFolder, name), name);
    FileLoad load{requestedPath, name, panelLoadSettings(true), LoadKind::Chosen};
    load.applyStartView = std::exchange(firstLoadView, nullptr);
    startFileLoad(load);
    requestRedisplay();
}

void viewForFirstLoad(void (*applyStartView)())
{
    firstLoadView = applyStartView;
}

const std::string& requestedFilePath()
{
    return requestedPath;
}

const std::string& shownFilePath()
{
    return shownPath;
}

void forgetRequestedFile()
{
    requestedPath.clear();
    requestedName.clear();
}

void forgetFiles()
{
    forgetRequestedFile();
    requestInFlight = false;
    shownPath.clear();
    fileWatch.stop();
}

void reloadRequestedFile()
{
    if (requestedPath.empty()) {
        return;
    }
    printListLineFor(requestedPath);
    startFileLoad(FileLoad{requestedPath, requestedName, panelLoadSettings(true), LoadKind::Reloaded});
    requestRedisplay();
}

void reloadShownFile()
{
    // While the file asked for is on its way it is the one the new scaling is for.
    if (requestedPath.empty() || (shownPath.empty() && !requestInFlight)) {
        return;
    }
    const std::string path = requestInFlight ? requestedPath : shownPath;
    printListLineFor(path);
    startFileLoad(FileLoad{path, requestInFlight ? requestedName : bareName(path), panelLoadSettings(true),
                           LoadKind::Reloaded});
    requestRedisplay();
}

void loadStartFile(const StartFile& start, void (*applyStartView)())
{
    const std::string name = bareName(start.path);
    for (std::size_t k = 0; k < fileNames.size(); ++k) {
        if (joinPath(listedFolder, fileNames[k]) == start.path) {
            const int item = static_cast<int>(k + 1);
            if (viewer.fileList != nullptr) {
                viewer.fileList->set_int_val(item);
            }
            viewer.chosen_listitem = item;
            viewer.loadedListitem = item;
            std::printf("list=%d\n", item);
            break;
        }
    }
    askFor(start.path, name);
    LoadSettings settings = panelLoadSettings(true);
    settings.detectFormat = start.detect;
    if (!start.detect) {
        settings.chosenIn = FormatChosenIn::CommandLine;  // --format named the reader
    }
    FileLoad load{start.path, name, settings, LoadKind::Chosen};
    load.reportsDetectedFormat = start.detect;
    load.applyStartView = applyStartView;
    startFileLoad(load);
    requestRedisplay();
}

void updateFileWatch()
{
    if (viewer.watchFile == 0 || shownPath.empty()) {
        fileWatch.stop();
        return;
    }
    if (fileWatch.watching() && fileWatch.path() == shownPath) {
        return;
    }
    std::string error;
    if (!fileWatch.watch(shownPath, error)) {
        tellUser(formatLine("Cannot watch %s: %s\n", escapeControlCharacters(shownPath).c_str(), error.c_str()));
    }
}

void serviceFileWatch(std::chrono::steady_clock::time_point now)
{
    if (!fileWatch.reloadDue(now) || loadBusy()) {
        return;
    }
    fileWatch.settling().taken();
    startFileLoad(FileLoad{fileWatch.path(), bareName(fileWatch.path()), panelLoadSettings(false), LoadKind::Watched});
}
