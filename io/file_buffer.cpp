// Reading a whole file with plain POSIX calls: one allocation of the file's size and one read
// for a regular file; pipes and special files are read in growing chunks.
#include "io/file_buffer.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "io/load_limits.h"
#include "io/read_progress.h"

namespace {

struct FdCloser {
    int fd;
    ~FdCloser() { close(fd); }
};

constexpr std::size_t kHugePage = std::size_t{2} << 20;

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

FileReadResult readWholeFile(const char* path, FileBuffer& buffer)
{
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return FileReadResult::unreadable;
    }
    FdCloser closer{fd};
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        return FileReadResult::unreadable;
    }
    const std::size_t limit = loadByteLimit();
    std::size_t capacity = 1 << 16;
    if (S_ISREG(info.st_mode) && info.st_size > 0) {
        if (static_cast<unsigned long long>(info.st_size) > limit) {
            return FileReadResult::tooLarge;
        }
        capacity = static_cast<std::size_t>(info.st_size);
    }

    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;
    try {
        bytes.reset(new char[capacity]);
        adviseHugePages(bytes.get(), capacity);
        for (;;) {
            if (size == capacity) {
                // The file grew or is not a regular file; one more read tells whether more follows.
                char probe;
                const ssize_t got = read(fd, &probe, 1);
                if (got == 0) {
                    break;
                }
                if (got < 0) {
                    if (errno == EINTR) {
                        continue;
                    }
                    return FileReadResult::unreadable;
                }
                if (capacity >= limit) {
                    return FileReadResult::tooLarge;
                }
                const std::size_t larger = capacity > limit / 2 ? limit : capacity * 2;
                std::unique_ptr<char[]> grown(new char[larger]);
                std::memcpy(grown.get(), bytes.get(), size);
                grown[size++] = probe;
                bytes = std::move(grown);
                capacity = larger;
                continue;
            }
            const ssize_t got = read(fd, bytes.get() + size, progressReadSize(capacity - size));
            if (got == 0) {
                break;
            }
            if (got < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return FileReadResult::unreadable;
            }
            size += static_cast<std::size_t>(got);
            addReadProgress(static_cast<std::size_t>(got));
        }
    } catch (const std::bad_alloc&) {
        return FileReadResult::tooLarge;
    }
    buffer.bytes = std::move(bytes);
    buffer.size = size;
    return FileReadResult::ok;
}
