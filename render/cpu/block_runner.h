// The one way the drawing's processor work is shared between two threads: the calling thread
// takes blocks from the first on and the second from the last back, until they meet. A thread
// slowed down by other work (the renderer's own threads finishing the pass before) leaves more
// blocks to the other; and the two work on parts of the data far apart, which for data drawn
// in order lie in parts of the picture far apart, so that the per-pixel depths both threads
// lower are seldom in cache lines the other is using.
#pragma once

#include <atomic>
#include <cstddef>
#include <thread>

// Runs work(block, thread) for blocks 0 to count - 1, on the calling thread (thread 0, blocks
// 0, 1, ... in turn) and, when twoThreads, on a second one (thread 1, blocks count - 1,
// count - 2, ...). Each block is run exactly once; where the threads meet is not fixed.
template <typename Work>
void runBlocks(std::size_t count, bool twoThreads, const Work& work)
{
    std::atomic<std::size_t> taken{0};
    const auto take = [&](int thread) {
        for (std::size_t own = 0; taken++ < count; ++own) {
            work(thread == 0 ? own : count - 1 - own, thread);
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
