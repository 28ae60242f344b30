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

// A regular file open for reading, and the size it had when it was opened; closed with it.
struct OpenFile {
    int fd = -1;
    std::size_t size = 0;

    OpenFile() = default;
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    ~OpenFile();
};

// Opens path for reading, if it is a regular file: the type is checked on the file that was
// opened (so a pipe never blocks and a device is never read). A file larger than the
// machine's memory is refused (tooLarge).
FileReadStatus openRegularFile(const char* path, OpenFile& file);

// Reads the file into buffer (any earlier content is replaced), up to the size it had when
// opened, however it grows meanwhile.
FileReadStatus readOpenFile(const OpenFile& file, FileBuffer& buffer);

// openRegularFile, then readOpenFile.
FileReadStatus readRegularFile(const char* path, FileBuffer& buffer);

// Up to size bytes from offset of the file into into, not counted as read progress; how many
// there were (-1 on an error, with errno set).
long long readFileBytes(const OpenFile& file, std::size_t offset, char* into, std::size_t size);

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
