// The one way the drawing's processor work is shared between two threads: blocks taken in
// turn from a shared count, so that a thread slowed down by other work (the renderer's own
// threads finishing the pass before) leaves more blocks to the other.
#pragma once

#include <atomic>
#include <cstddef>
#include <thread>

// Runs work(block, thread) for blocks 0 to count - 1, on the calling thread (thread 0) and,
// when twoThreads, on a second one (thread 1). Each block is run exactly once; which thread
// runs it is not fixed.
template <typename Work>
void runBlocks(std::size_t count, bool twoThreads, const Work& work)
{
    std::atomic<std::size_t> next{0};
    const auto take = [&](int thread) {
        for (std::size_t block = next++; block < count; block = next++) {
            work(block, thread);
        }
    };
    if (!twoThreads || count < 2) {
        take(0);
        return;
    }
    std::thread other(take, 1);
    take(0);
    other.join();
}
