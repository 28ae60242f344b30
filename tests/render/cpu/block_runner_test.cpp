// The two-thread block runner: every block once, each thread from its own end.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

#include "render/cpu/block_runner.h"

namespace {

// The blocks each thread ran, in the order it ran them.
struct Runs {
    std::mutex mutex;
    std::vector<std::size_t> byThread[2];
    void add(std::size_t block, int thread)
    {
        std::lock_guard<std::mutex> lock(mutex);
        byThread[thread].push_back(block);
    }
};

// Each thread's blocks are a run from its own end, in order, and together they are every
// block exactly once.
void expectEveryBlockOnceFromBothEnds(const Runs& runs, std::size_t count)
{
    const std::vector<std::size_t>& front = runs.byThread[0];
    const std::vector<std::size_t>& back = runs.byThread[1];
    ASSERT_EQ(front.size() + back.size(), count);
    for (std::size_t k = 0; k < front.size(); ++k) {
        EXPECT_EQ(front[k], k);
    }
    for (std::size_t k = 0; k < back.size(); ++k) {
        EXPECT_EQ(back[k], count - 1 - k);
    }
}

TEST(BlockRunner, RunsEveryBlockOnceWithOneOrTwoThreads)
{
    for (const bool two : {false, true}) {
        for (const std::size_t count : {0u, 1u, 2u, 3u, 7u, 1000u}) {
            SCOPED_TRACE(std::to_string(count) + (two ? " blocks, two threads" : " blocks, one thread"));
            Runs runs;
            runBlocks(count, two, [&](std::size_t block, int thread) { runs.add(block, thread); });
            expectEveryBlockOnceFromBothEnds(runs, count);
            if (!two || count < 2) {
                EXPECT_TRUE(runs.byThread[1].empty());
            }
        }
    }
}

TEST(BlockRunner, AThreadHeldUpLeavesItsShareToTheOther)
{
    // The second thread is held up in its first block until the calling thread has run all the
    // others: it runs that one block alone.
    constexpr std::size_t kCount = 40;
    Runs runs;
    std::atomic<bool> secondStarted{false}, frontDone{false};
    const auto waitFor = [](const std::atomic<bool>& flag) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!flag && std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    runBlocks(kCount, true, [&](std::size_t block, int thread) {
        if (thread == 1) {
            secondStarted = true;
            waitFor(frontDone);
        } else if (block == 0) {
            waitFor(secondStarted);
        }
        runs.add(block, thread);
        if (thread == 0 && block + 2 == kCount) {
            frontDone = true;
        }
    });
    expectEveryBlockOnceFromBothEnds(runs, kCount);
    EXPECT_EQ(runs.byThread[0].size(), kCount - 1);
}

}  // namespace
