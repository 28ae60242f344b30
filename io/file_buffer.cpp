// Reading a whole regular file with plain POSIX calls: one open, a check of what was opened,
// one allocation of the size it had, and reads up to that size.
#include "io/file_buffer.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "io/read_progress.h"
#include "io/report_text.h"

namespace {

struct FdCloser {
    int fd;
    ~FdCloser() { close(fd); }
};

constexpr std::size_t kHugePage = std::size_t{2} << 20;

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

FileReadStatus failed(FileReadOutcome outcome, int error = 0)
{
    FileReadStatus status;
    status.outcome = outcome;
    status.error = error;
    return status;
}

}  // namespace

void adviseHugePages(const void* start, std::size_t bytes)
{
    // Only whole huge pages inside the array can be advised.
    const std::uintptr_t first = (reinterpret_cast<std::uintptr_t>(start) + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = (reinterpret_cast<std::uintptr_t>(start) + bytes) & ~(kHugePage - 1);
    if (last > first) {
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
}

FileReadStatus readRegularFile(const char* path, FileBuffer& buffer)
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
    FdCloser closer{fd};
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

    std::unique_ptr<char[]> bytes;
    std::size_t got = 0;
    try {
        bytes.reset(new char[size > 0 ? size : 1]);
    } catch (const std::bad_alloc&) {
        return failed(FileReadOutcome::tooLarge);
    }
    adviseHugePages(bytes.get(), size);
    // A file that shrank meanwhile ends early; one that grew is read as it was.
    while (got < size) {
        const ssize_t n = read(fd, bytes.get() + got, progressReadSize(size - got));
        if (n == 0) {
            break;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return failed(FileReadOutcome::readFailed, errno);
        }
        got += static_cast<std::size_t>(n);
        addReadProgress(static_cast<std::size_t>(n));
    }
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
