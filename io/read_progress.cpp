// The per-thread progress counter of file reads.
#include "io/read_progress.h"

#include <algorithm>

namespace {

thread_local std::atomic<std::uint64_t>* progressCounter = nullptr;

}  // namespace

void setReadProgressCounter(std::atomic<std::uint64_t>* counter)
{
    progressCounter = counter;
}

std::atomic<std::uint64_t>* readProgressCounter()
{
    return progressCounter;
}

void addReadProgress(std::size_t bytes)
{
    if (progressCounter != nullptr) {
        progressCounter->fetch_add(bytes, std::memory_order_relaxed);
    }
}

std::size_t progressReadSize(std::size_t wanted)
{
    return progressCounter != nullptr ? std::min(wanted, kProgressChunkBytes) : wanted;
}
