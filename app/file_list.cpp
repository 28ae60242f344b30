// The data folder and the "Files:" list: lists the names in the folder that match the
// filter, and loads the file of a chosen item with the reader of the chosen format.
#include "app/file_list.h"

#include <cstdio>

#include "app/display_window.h"
#include "app/navigation.h"
#include "app/viewer_state.h"
#include "glui/glui.h"
#include "io/data_loader.h"
#include "io/platform_dirs.h"

std::vector<std::string> fileNames;
int fileCount = 0;

// The folder of the last successful listing, as an absolute path: a load opens the listed
// name inside it, whatever the process's current directory.
static std::string listedFolder;

// The texts handed out by getCurrentFolder and chooseFolder; each stays valid until
// the next call of the same function.
static std::string currentDir;
static std::string chosenPath;

const char* getCurrentFolder()
{
    currentDir = currentDirectory();
    return currentDir.c_str();
}

const char* chooseFolder(const char* title)
{
    std::string path;
    if (!runFolderChooser(title, path)) {
        return nullptr;
    }
    chosenPath = path;
    return chosenPath.c_str();
}

int listFiles(const char* pattern)
{
    fileNames.clear();
    // A folder that cannot be entered must not list whatever folder happens to be
    // current: the search cannot start there.
    int error = changeDirectory(viewer.filedir);
    std::vector<std::string> found;
    if (error == 0) {
        error = searchDirectory(pattern != nullptr ? pattern : "", found);
    }
    if (error != 0) {
        std::printf("Invalid File Handle. Get Last Error reports %d\n", error);
        return 0;
    }
    listedFolder = currentDirectory();
    for (const std::string& name : found) {
        // Drops "." and ".." along with hidden files.
        if (name[0] != '.') {
            fileNames.push_back(name);
        }
    }
    return static_cast<int>(fileNames.size());
}

void refreshFileList()
{
    if (viewer.folderText != nullptr) {
        viewer.filedir = viewer.folderText->get_text();
    }
    if (viewer.fileList != nullptr && viewer.fileList->delete_item(1)) {
        for (int item = 2; item <= fileCount; ++item) {
            viewer.fileList->delete_item(item);
        }
    }
    if (viewer.filterText != nullptr) {
        viewer.fileFilter = viewer.filterText->get_text();
    }
    fileCount = listFiles(viewer.fileFilter.c_str());
    if (viewer.fileList != nullptr) {
        for (int i = 0; i < fileCount; ++i) {
            viewer.fileList->add_item(i + 1, fileNames[static_cast<std::size_t>(i)].c_str());
        }
    }
}

void loadListItem(int n)
{
    // An item number can outlive its list (a new listing, then an axis-scaling reload).
    if (n < 1 || n > fileCount || static_cast<std::size_t>(n) > fileNames.size()) {
        std::printf("list=%d is not in the file list of %d files: nothing is loaded\n", n, fileCount);
        return;
    }
    std::printf("list=%d\n", n);
    viewer.filename = fileNames[static_cast<std::size_t>(n - 1)];
    resetView();
    // A view given at start is the view of the first file loaded.
    restoreStartView(true);
    viewer.dataPath = listedFolder.empty() ? viewer.filename : listedFolder + "/" + viewer.filename;
    loadFileNamed(viewer.dataPath);
    requestRedisplay();
}

bool loadFileNamed(const std::string& path)
{
    return loadDataFile(DataFile{path.c_str(), viewer.filename.c_str()}, loadSettingsFrom(viewer), dataSet);
}
