// What a change of the view does to a frame drawn in slices, and the share of it drawn.
#include <gtest/gtest.h>

#include "render/gl/frame_progress.h"

namespace {

TEST(FrameProgress, AChangeOfTheViewWaitsOnlyWhereTheUserWouldWait)
{
    // Nearly done: finished first, however slow frames are.
    EXPECT_TRUE(finishBeforeChange(0.5, 60.0, false));
    EXPECT_TRUE(finishBeforeChange(0.9, 60.0, false));
    // Quick frames: finishing costs little, and a continuous change still shows frames.
    EXPECT_TRUE(finishBeforeChange(0.0, 0.3, false));
    EXPECT_TRUE(finishBeforeChange(0.1, kShowProgressAfter, false));
    // A slow frame barely begun: thrown away, unless it replaced one thrown away already.
    EXPECT_FALSE(finishBeforeChange(0.1, 60.0, false));
    EXPECT_FALSE(finishBeforeChange(0.49, 0.6, false));
    EXPECT_TRUE(finishBeforeChange(0.1, 60.0, true));
}

TEST(FrameProgress, TheShareDrawnNeverReachesAWholeFrameBeforeItsEnd)
{
    EXPECT_DOUBLE_EQ(sliceFraction(0, 0), 0.0);
    EXPECT_DOUBLE_EQ(sliceFraction(25, 100), 0.25);
    // Chunks met only in part (the frame's end not yet reached): never shown as done.
    EXPECT_LT(sliceFraction(10, 10), 1.0);
    EXPECT_LT(sliceFraction(12, 10), 1.0);
    EXPECT_GT(sliceFraction(12, 10), 0.9);
}

}  // namespace
