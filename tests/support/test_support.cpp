// Captured standard output and a fresh viewer record for the tests.
#include "tests/support/test_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <unistd.h>

#include "app/viewer_state.h"
#include "core/data_set.h"
#include "io/data_loader.h"

std::string captureStdout(const std::function<void()>& fn)
{
    TempFolder dir;
    const std::string file = dir.path("stdout.txt");
    std::fflush(stdout);
    const int saved = dup(1);
    const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(fd, 1);
    close(fd);
    fn();
    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

void resetDataInput()
{
    dataSet = DataSet{};
    viewer = ViewerState{};
}

namespace {

void loadAs(const char* path, DataFormat format)
{
    // As after a pick: the viewer names the file it loads.
    viewer.filename = path;
    LoadSettings settings = loadSettingsFrom(viewer);
    settings.format = format;
    loadDataFile(DataFile{path, path}, settings, dataSet);
}

}  // namespace

void readDataFile(const char* path)
{
    loadAs(path, DataFormat::Plain);
}

void readColorDataFile(const char* path)
{
    loadAs(path, DataFormat::Colored);
}

void readMapleFile(const char* path)
{
    loadAs(path, DataFormat::Maple);
}
