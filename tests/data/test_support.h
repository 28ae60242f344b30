// Temporary folders, test files and captured standard output for the data input tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

// A folder created for one test and removed with everything in it when the test ends;
// inside base when given (say a memory-backed /dev/shm for many small files), else in the
// system's temporary folder.
class TempDir {
public:
    explicit TempDir(const std::string& base = "");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Writes content into the file name inside the folder and returns its path.
    std::string write(const std::string& name, const std::string& content) const;
    std::string path(const std::string& name) const { return dir_ + "/" + name; }

private:
    std::string dir_;
};

// Runs fn with standard output going to a file and returns what it printed.
std::string captureStdout(const std::function<void()>& fn);

// The printed text cut into lines (without their line ends).
std::vector<std::string> splitLines(const std::string& text);

// Puts the data set and the settings back to their state at start-up.
void resetDataInput();
