// Helpers of the data input tests.
#include "tests/data/test_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <unistd.h>

#include "app/viewer_state.h"
#include "core/data_set.h"

TempDir::TempDir(const std::string& base)
{
    const std::filesystem::path parent = base.empty() ? std::filesystem::temp_directory_path() : std::filesystem::path(base);
    std::string pattern = (parent / "orvelle-data-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::abort();
    }
    dir_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

std::string TempDir::write(const std::string& name, const std::string& content) const
{
    const std::string file = path(name);
    std::ofstream out(file, std::ios::binary);
    out << content;
    return file;
}

std::string captureStdout(const std::function<void()>& fn)
{
    TempDir dir;
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
