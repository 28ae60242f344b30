// A whole data file read into memory, so that a reader parses it in one pass without stdio;
// only regular files are read, and never more than they held when they were opened.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

struct FileBuffer {
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;

    char* begin() const { return bytes.get(); }
    char* end() const { return bytes.get() + size; }
};

enum class FileReadOutcome { ok, openFailed, notRegular, readFailed, tooLarge };

struct FileReadStatus {
    FileReadOutcome outcome = FileReadOutcome::ok;
    int error = 0;             // the errno of openFailed and readFailed
    const char* kind = "";     // what a notRegular file is: "a folder", "a named pipe", ...
};

// Reads the regular file at path into buffer (any earlier content is replaced). The type is
// checked on the file that was opened (so a pipe never blocks and a device is never read), and
// the read stops at the size the file had then, however it grows meanwhile.
FileReadStatus readRegularFile(const char* path, FileBuffer& buffer);

// The report line of a failed read of the file called name: "File <name> does not exist" when
// it does not, else what it is or why it could not be read.
std::string fileReadProblem(const char* name, const FileReadStatus& status);

// Why an operation on a file failed, from its errno, in the words of the report lines.
std::string errnoReason(int error);

// Has the system give a large array that is about to be filled all its pages at once, half of
// them on a second thread: a fresh page is zeroed when first touched, which on some machines
// takes as long as filling it. Does nothing for small arrays or where unsupported; the
// content of pages already touched is kept.
void faultInLargeArray(void* start, std::size_t bytes);

// Asks the system to back a large array that is about to be filled with huge pages, so that
// filling it takes a few hundred page faults fewer per megabyte. Harmless where unsupported.
void adviseHugePages(const void* start, std::size_t bytes);
