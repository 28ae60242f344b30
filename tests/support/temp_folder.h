// A real folder for one test, removed with everything in it at the end; it also puts the
// process's current directory back where it was.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class TempFolder {
public:
    // Inside base when given (say a memory-backed /dev/shm for many small files), else in the
    // system's temporary folder.
    explicit TempFolder(const std::string& base = "") : startDir_(std::filesystem::current_path())
    {
        const std::filesystem::path parent =
            base.empty() ? std::filesystem::temp_directory_path() : std::filesystem::path(base);
        std::string pattern = (parent / "orvelle-test-XXXXXX").string();
        if (mkdtemp(&pattern[0]) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        path_ = std::filesystem::canonical(pattern);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::current_path(startDir_, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    // The path of name inside the folder.
    std::string path(const std::string& name) const { return (path_ / name).string(); }

    // Writes a file (relative to the folder) with the given content; returns its path.
    std::string write(const std::string& name, const std::string& content = "") const
    {
        const std::string file = path(name);
        std::ofstream(file, std::ios::binary) << content;
        return file;
    }
    // Makes a folder (relative to the folder); returns its path.
    std::filesystem::path folder(const std::string& name) const
    {
        std::filesystem::path dir = path_ / name;
        std::filesystem::create_directories(dir);
        return dir;
    }

private:
    std::filesystem::path startDir_;
    std::filesystem::path path_;
};

// The whole content of a file; empty when it cannot be read.
inline std::string fileContents(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}
