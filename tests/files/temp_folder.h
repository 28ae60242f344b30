// A real folder under the system's temporary directory for one test, removed at the
// end; it also puts the process's current directory back where it was.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class TempFolder {
public:
    TempFolder()
        : startDir_(std::filesystem::current_path())
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvelle-files-XXXXXX").string();
        if (mkdtemp(&pattern[0]) != nullptr) {
            path_ = std::filesystem::canonical(pattern);
        }
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::current_path(startDir_, ignored);
        if (!path_.empty()) {
            std::filesystem::remove_all(path_, ignored);
        }
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

    // Writes a file (relative to the folder) with the given content; returns its path.
    std::filesystem::path write(const std::string& name, const std::string& content = "") const
    {
        std::filesystem::path file = path_ / name;
        std::ofstream(file) << content;
        return file;
    }
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
