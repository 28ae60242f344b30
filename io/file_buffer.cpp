// Reading a whole regular file with plain POSIX calls: one open, a check of what was opened,
// one allocation of the size it had, and reads up to that size.
#include "io/file_buffer.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "io/read_progress.h"
#include "io/report_text.h"

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

// From this size on, files are read and arrays faulted in on two threads.
constexpr std::size_t kTwoThreadBytes = std::size_t{32} << 20;

const char* kindOf(mode_t mode)
{
    if (S_ISDIR(mode)) {
        return "a folder";
    }
    if (S_ISFIFO(mode)) {
        return "a named pipe";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    if (S_ISCHR(mode)) {
        return "a character device";
    }
    if (S_ISBLK(mode)) {
        return "a block device";
    }
    return "a special file";
}

// No file larger than the machine's memory can be read into it.
std::size_t physicalMemory()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) {
        return std::size_t{1} << 32;
    }
    return static_cast<std::size_t>(pages) * static_cast<std::size_t>(pageSize);
}

// Reads [offset, offset + size) of the file into into; how much it got (less where the file
// ends first) and the errno of a failed read (0: none).
struct RangeRead {
    std::size_t got = 0;
    int error = 0;
};

RangeRead readRange(int fd, char* into, std::size_t offset, std::size_t size)
{
    RangeRead range;
    while (range.got < size) {
        const ssize_t n = pread(fd, into + range.got, progressReadSize(size - range.got),
                                static_cast<off_t>(offset + range.got));
        if (n == 0) {
            break;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            range.error = errno;
            break;
        }
        range.got += static_cast<std::size_t>(n);
        addReadProgress(static_cast<std::size_t>(n));
    }
    return range;
}

// The first size bytes of the file into into: a large file in two halves at once (the copy
// and the fresh pages it lands in cost as much as the reading of the values that follows).
// Where the file ends early, what was got up to its end.
RangeRead readWhole(int fd, char* into, std::size_t size)
{
    if (size < kTwoThreadBytes) {
        return readRange(fd, into, 0, size);
    }
    const std::size_t half = size / 2;
    RangeRead back;
    try {
        std::atomic<std::uint64_t>* counter = readProgressCounter();
        std::thread reader([&] {
            setReadProgressCounter(counter);
            back = readRange(fd, into + half, half, size - half);
        });
        const RangeRead front = readRange(fd, into, 0, half);
        reader.join();
        if (front.error != 0 || front.got < half) {
            return front;
        }
        return RangeRead{half + back.got, back.error};
    } catch (const std::system_error&) {
        return readRange(fd, into, 0, size);
    }
}

FileReadStatus failed(FileReadOutcome outcome, int error = 0)
{
    FileReadStatus status;
    status.outcome = outcome;
    status.error = error;
    return status;
}

}  // namespace

void faultInLargeArray(void* start, std::size_t bytes)
{
    const std::uintptr_t pageSize = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    if (bytes < kTwoThreadBytes || pageSize == 0 || (pageSize & (pageSize - 1)) != 0) {
        return;
    }
    // Whole pages only; the halves meet at a huge page where they can.
    const std::uintptr_t first = (reinterpret_cast<std::uintptr_t>(start) + pageSize - 1) & ~(pageSize - 1);
    const std::uintptr_t last = (reinterpret_cast<std::uintptr_t>(start) + bytes) & ~(pageSize - 1);
    const std::uintptr_t middle = ((first + (last - first) / 2) + kHugePage - 1) & ~(kHugePage - 1);
    if (middle <= first || middle >= last) {
        return;
    }
    // MADV_POPULATE_WRITE (Linux 5.14) faults the pages in as a write would, without writing.
    const auto populate = [](std::uintptr_t from, std::uintptr_t to) {
        madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
    };
    try {
        std::thread helper(populate, middle, last);
        populate(first, middle);
        helper.join();
    } catch (const std::system_error&) {
        // Without a second thread the pages are faulted in as they are filled.
    }
}

void adviseHugePages(const void* start, std::size_t bytes)
{
    // Only whole huge pages inside the array can be advised.
    const std::uintptr_t first = (reinterpret_cast<std::uintptr_t>(start) + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = (reinterpret_cast<std::uintptr_t>(start) + bytes) & ~(kHugePage - 1);
    if (last > first) {
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
}

OpenFile::~OpenFile()
{
    if (fd >= 0) {
        close(fd);
    }
}

FileReadStatus openRegularFile(const char* path, OpenFile& file)
{
    // Without O_NONBLOCK, opening a named pipe waits for a writer that may never come.
    int fd;
    do {
        fd = open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int error = errno;
        // A socket cannot be opened at all (ENXIO); what it is says more than why.
        struct stat info {};
        if (error == ENXIO && stat(path, &info) == 0 && !S_ISREG(info.st_mode)) {
            FileReadStatus status = failed(FileReadOutcome::notRegular);
            status.kind = kindOf(info.st_mode);
            return status;
        }
        return failed(FileReadOutcome::openFailed, error);
    }
    file.fd = fd;
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        return failed(FileReadOutcome::readFailed, errno);
    }
    if (!S_ISREG(info.st_mode)) {
        FileReadStatus status = failed(FileReadOutcome::notRegular);
        status.kind = kindOf(info.st_mode);
        return status;
    }
    const unsigned long long size = info.st_size > 0 ? static_cast<unsigned long long>(info.st_size) : 0;
    if (size > physicalMemory()) {
        return failed(FileReadOutcome::tooLarge);
    }
    file.size = static_cast<std::size_t>(size);
    return FileReadStatus{};
}

long long readFileBytes(const OpenFile& file, std::size_t offset, char* into, std::size_t size)
{
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = pread(file.fd, into + got, size - got, static_cast<off_t>(offset + got));
        if (n == 0) {
            break;
        }
        if (n < 0 && errno != EINTR) {
            return -1;
        }
        got += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    return static_cast<long long>(got);
}

FileReadStatus readRegularFile(const char* path, FileBuffer& buffer)
{
    OpenFile file;
    const FileReadStatus status = openRegularFile(path, file);
    return status.outcome == FileReadOutcome::ok ? readOpenFile(file, buffer) : status;
}

FileReadStatus readOpenFile(const OpenFile& file, FileBuffer& buffer)
{
    const std::size_t size = file.size;
    std::unique_ptr<char[]> bytes;
    try {
        bytes.reset(new char[size > 0 ? size : 1]);
    } catch (const std::bad_alloc&) {
        return failed(FileReadOutcome::tooLarge);
    }
    adviseHugePages(bytes.get(), size);
    // A file that shrank meanwhile ends early; one that grew is read as it was.
    const RangeRead read = readWhole(file.fd, bytes.get(), size);
    if (read.error != 0) {
        return failed(FileReadOutcome::readFailed, read.error);
    }
    const std::size_t got = read.got;
    buffer.bytes = std::move(bytes);
    buffer.size = got;
    return FileReadStatus{};
}

std::string errnoReason(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return "permission denied";
    case ELOOP:
        return "too many symbolic links (a link that leads back to itself?)";
    case ENAMETOOLONG:
        return "its name is too long";
    case ENOTDIR:
        return "a part of its path is not a folder";
    case EIO:
        return "input/output error";
    case ENOENT:
        return "it does not exist";
    default:
        return std::strerror(error);
    }
}

std::string fileReadProblem(const char* name, const FileReadStatus& status)
{
    switch (status.outcome) {
    case FileReadOutcome::ok:
        break;
    case FileReadOutcome::openFailed:
        if (status.error == ENOENT) {
            return formatLine("File %s does not exist", name);
        }
        return formatLine("File %s cannot be opened: %s", name, errnoReason(status.error).c_str());
    case FileReadOutcome::notRegular:
        return formatLine("File %s is %s, not a data file; nothing is loaded", name, status.kind);
    case FileReadOutcome::readFailed:
        return formatLine("File %s cannot be read: %s", name, errnoReason(status.error).c_str());
    case FileReadOutcome::tooLarge:
        return formatLine("File %s is too large to read into memory", name);
    }
    return std::string();
}
