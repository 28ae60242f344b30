// Mapping a file read-only and giving its pages back.
#include "io/file_map.h"

#include <algorithm>
#include <csetjmp>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <mutex>

#include <sys/mman.h>
#include <unistd.h>

#include "io/text_lines.h"

namespace {

// Where a guarded read on this thread goes back to after SIGBUS; null outside one.
thread_local sigjmp_buf* recovery = nullptr;
struct sigaction earlierBusAction;

void onBusError(int signal, siginfo_t* info, void* context)
{
    if (recovery != nullptr) {
        siglongjmp(*recovery, 1);
    }
    // Not a guarded read: whatever handled the signal before handles it.
    if ((earlierBusAction.sa_flags & SA_SIGINFO) != 0 && earlierBusAction.sa_sigaction != nullptr) {
        earlierBusAction.sa_sigaction(signal, info, context);
        return;
    }
    sigaction(SIGBUS, &earlierBusAction, nullptr);
    raise(SIGBUS);
}

}  // namespace

bool runGuarded(void (*run)(void*), void* context)
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        sigaction(SIGBUS, &action, &earlierBusAction);
    });
    sigjmp_buf buffer;
    sigjmp_buf* const outer = recovery;
    if (sigsetjmp(buffer, 1) != 0) {
        recovery = outer;
        return false;
    }
    recovery = &buffer;
    run(context);
    recovery = outer;
    return true;
}

bool ByteSpan::copy(std::size_t offset, std::size_t size, std::string& out) const
{
    const std::size_t held = static_cast<std::size_t>(end - begin);
    offset = std::min(offset, held);
    size = std::min(size, held - offset);
    out.assign(size, '\0');
    char* into = &out[0];
    const char* from = begin + offset;
    auto read = [into, from, size] { std::memcpy(into, from, size); };
    return readGuarded(read);
}

std::string shortenedWhileRead(const char* name)
{
    return fileError(name, "was cut short while it was read (rewritten meanwhile?); nothing is loaded");
}

MappedFile::~MappedFile()
{
    if (mapping_ != nullptr) {
        munmap(mapping_, size_);
    }
}

bool MappedFile::map(const OpenFile& file)
{
    if (file.size == 0) {
        static const char kNothing = 0;
        begin_ = &kNothing;
        size_ = 0;
        return true;
    }
    void* p = mmap(nullptr, file.size, PROT_READ, MAP_PRIVATE, file.fd, 0);
    if (p == MAP_FAILED) {
        return false;
    }
    // The reader goes from start to end: the system reads ahead further.
    madvise(p, file.size, MADV_SEQUENTIAL);
    mapping_ = p;
    begin_ = static_cast<const char*>(p);
    size_ = file.size;
    return true;
}

void MappedFile::release(const char* from, const char* to) const
{
    const std::uintptr_t page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const std::uintptr_t first = (reinterpret_cast<std::uintptr_t>(from) + page - 1) & ~(page - 1);
    const std::uintptr_t last = reinterpret_cast<std::uintptr_t>(to) & ~(page - 1);
    if (mapping_ != nullptr && last > first) {
        madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
    }
}
