// Where each eye goes in a two-eye window: viewports that share and lose no pixel at any
// size, the frustum ratio of each, swapped eyes, and interleaved rows that stay with their
// eye on the screen when the window moves.
#include <gtest/gtest.h>

#include <vector>

#include "render/cpu/stereo_layout.h"

namespace {

constexpr EyeArrangement kAllArrangements[] = {EyeArrangement::Overlaid, EyeArrangement::SideBySide,
                                               EyeArrangement::TopBottom, EyeArrangement::RowInterleaved};

// How many times each window pixel lies in the eyes' viewports.
std::vector<int> coverage(EyeArrangement arrangement, int width, int height, bool squeezed, bool swap)
{
    std::vector<int> count(static_cast<std::size_t>(width) * height, 0);
    for (const Eye eye : {Eye::Left, Eye::Right}) {
        const Viewport v = eyeView(arrangement, eye, width, height, squeezed, swap).viewport;
        EXPECT_GE(v.x, 0);
        EXPECT_GE(v.y, 0);
        EXPECT_LE(v.x + v.width, width);
        EXPECT_LE(v.y + v.height, height);
        for (int y = v.y; y < v.y + v.height; ++y) {
            for (int x = v.x; x < v.x + v.width; ++x) {
                ++count[static_cast<std::size_t>(y) * width + x];
            }
        }
    }
    return count;
}

TEST(StereoLayout, SplitArrangementsCoverEveryPixelOnceAtAnySize)
{
    for (const EyeArrangement arrangement : {EyeArrangement::SideBySide, EyeArrangement::TopBottom}) {
        for (const int width : {1, 2, 7, 8, 33}) {
            for (const int height : {1, 2, 5, 6}) {
                for (const bool squeezed : {false, true}) {
                    for (const bool swap : {false, true}) {
                        const std::vector<int> count = coverage(arrangement, width, height, squeezed, swap);
                        for (std::size_t k = 0; k < count.size(); ++k) {
                            ASSERT_EQ(count[k], 1) << "arrangement " << static_cast<int>(arrangement) << " "
                                                   << width << "x" << height << " pixel " << k;
                        }
                    }
                }
            }
        }
    }
}

TEST(StereoLayout, OverlaidAndInterleavedEyesTakeTheWholeWindow)
{
    for (const EyeArrangement arrangement : {EyeArrangement::Overlaid, EyeArrangement::RowInterleaved}) {
        for (const bool squeezed : {false, true}) {
            for (const Eye eye : {Eye::Left, Eye::Right}) {
                const EyeView view = eyeView(arrangement, eye, 801, 599, squeezed, false);
                EXPECT_EQ(view.viewport.x, 0);
                EXPECT_EQ(view.viewport.y, 0);
                EXPECT_EQ(view.viewport.width, 801);
                EXPECT_EQ(view.viewport.height, 599);
                EXPECT_DOUBLE_EQ(view.ratio, 801.0 / 599.0);
            }
        }
    }
}

TEST(StereoLayout, SideBySideHalvesAndTheirRatios)
{
    const EyeView left = eyeView(EyeArrangement::SideBySide, Eye::Left, 801, 600, false, false);
    const EyeView right = eyeView(EyeArrangement::SideBySide, Eye::Right, 801, 600, false, false);
    EXPECT_EQ(left.viewport.x, 0);
    EXPECT_EQ(left.viewport.width, 400);
    EXPECT_EQ(right.viewport.x, 400);
    EXPECT_EQ(right.viewport.width, 401);
    EXPECT_EQ(left.viewport.height, 600);
    EXPECT_EQ(right.viewport.height, 600);
    EXPECT_DOUBLE_EQ(left.ratio, 400.0 / 600.0);
    EXPECT_DOUBLE_EQ(right.ratio, 401.0 / 600.0);
    // Each half takes in the width of the whole window's frustum, and as much more height.
    EXPECT_DOUBLE_EQ(left.heightScale * left.ratio, 801.0 / 600.0);
    EXPECT_DOUBLE_EQ(right.heightScale * right.ratio, 801.0 / 600.0);

    const EyeView squeezedLeft = eyeView(EyeArrangement::SideBySide, Eye::Left, 801, 600, true, false);
    const EyeView squeezedRight = eyeView(EyeArrangement::SideBySide, Eye::Right, 801, 600, true, false);
    EXPECT_EQ(squeezedLeft.viewport.width, 400);
    EXPECT_EQ(squeezedRight.viewport.x, 400);
    EXPECT_DOUBLE_EQ(squeezedLeft.ratio, 801.0 / 600.0);
    EXPECT_DOUBLE_EQ(squeezedRight.ratio, 801.0 / 600.0);
    EXPECT_EQ(squeezedLeft.heightScale, 1.0);
}

TEST(StereoLayout, TopBottomPutsTheLeftEyeAbove)
{
    // OpenGL's y grows upwards: the upper half has the larger y.
    const EyeView left = eyeView(EyeArrangement::TopBottom, Eye::Left, 800, 601, false, false);
    const EyeView right = eyeView(EyeArrangement::TopBottom, Eye::Right, 800, 601, false, false);
    EXPECT_EQ(left.viewport.y, 301);
    EXPECT_EQ(left.viewport.height, 300);
    EXPECT_EQ(right.viewport.y, 0);
    EXPECT_EQ(right.viewport.height, 301);
    EXPECT_EQ(left.viewport.width, 800);
    EXPECT_DOUBLE_EQ(left.ratio, 800.0 / 300.0);
    EXPECT_DOUBLE_EQ(right.ratio, 800.0 / 301.0);
    EXPECT_EQ(left.heightScale, 1.0) << "a half wider than the window takes in its height as it is";

    EXPECT_DOUBLE_EQ(eyeView(EyeArrangement::TopBottom, Eye::Left, 800, 601, true, false).ratio, 800.0 / 601.0);
    EXPECT_DOUBLE_EQ(eyeView(EyeArrangement::TopBottom, Eye::Right, 800, 601, true, false).ratio, 800.0 / 601.0);
}

TEST(StereoLayout, SwappedEyesTradePlaces)
{
    for (const EyeArrangement arrangement : kAllArrangements) {
        for (const bool squeezed : {false, true}) {
            const EyeView left = eyeView(arrangement, Eye::Left, 641, 481, squeezed, false);
            const EyeView right = eyeView(arrangement, Eye::Right, 641, 481, squeezed, false);
            const EyeView swappedLeft = eyeView(arrangement, Eye::Left, 641, 481, squeezed, true);
            const EyeView swappedRight = eyeView(arrangement, Eye::Right, 641, 481, squeezed, true);
            EXPECT_EQ(swappedLeft.viewport.x, right.viewport.x);
            EXPECT_EQ(swappedLeft.viewport.y, right.viewport.y);
            EXPECT_EQ(swappedLeft.viewport.width, right.viewport.width);
            EXPECT_EQ(swappedLeft.viewport.height, right.viewport.height);
            EXPECT_DOUBLE_EQ(swappedLeft.ratio, right.ratio);
            EXPECT_EQ(swappedRight.viewport.x, left.viewport.x);
            EXPECT_EQ(swappedRight.viewport.y, left.viewport.y);
        }
    }
    EXPECT_EQ(eyePlace(Eye::Left, false), 0);
    EXPECT_EQ(eyePlace(Eye::Right, false), 1);
    EXPECT_EQ(eyePlace(Eye::Left, true), 1);
    EXPECT_EQ(eyePlace(Eye::Right, true), 0);
}

TEST(StereoLayout, EmptyHalvesAndEmptyWindowsAreNotDrawn)
{
    const EyeView narrowLeft = eyeView(EyeArrangement::SideBySide, Eye::Left, 1, 10, false, false);
    const EyeView narrowRight = eyeView(EyeArrangement::SideBySide, Eye::Right, 1, 10, false, false);
    EXPECT_TRUE(narrowLeft.viewport.empty());
    EXPECT_EQ(narrowLeft.ratio, 0.0);
    EXPECT_EQ(narrowRight.viewport.width, 1);
    EXPECT_DOUBLE_EQ(narrowRight.ratio, 0.1);
    // Squeezed, the empty half still has nothing to draw into.
    EXPECT_EQ(eyeView(EyeArrangement::SideBySide, Eye::Left, 1, 10, true, false).ratio, 0.0);
    EXPECT_TRUE(eyeView(EyeArrangement::TopBottom, Eye::Left, 10, 1, false, false).viewport.empty());

    for (const EyeArrangement arrangement : kAllArrangements) {
        for (const int side : {0, -5}) {
            const EyeView wide = eyeView(arrangement, Eye::Right, 800, side, true, false);
            const EyeView tall = eyeView(arrangement, Eye::Right, side, 600, false, false);
            EXPECT_TRUE(wide.viewport.empty());
            EXPECT_TRUE(tall.viewport.empty());
            EXPECT_GE(wide.viewport.height, 0);
            EXPECT_GE(tall.viewport.width, 0);
            EXPECT_EQ(wide.ratio, 0.0);
            EXPECT_EQ(tall.ratio, 0.0);
        }
    }
}

TEST(RowInterleaving, ScreenRowsCountFromTheTopOfTheScreen)
{
    // A window 4 rows high whose top row is screen row 10: OpenGL's row 3 is at the top.
    EXPECT_EQ(screenRowOfGlRow(3, 10, 4), 10);
    EXPECT_EQ(screenRowOfGlRow(0, 10, 4), 13);
    EXPECT_EQ(eyeOfGlRow(3, 10, 4, false), Eye::Left);
    EXPECT_EQ(eyeOfGlRow(2, 10, 4, false), Eye::Right);
    EXPECT_EQ(eyeOfGlRow(1, 10, 4, false), Eye::Left);
    EXPECT_EQ(eyeOfGlRow(0, 10, 4, false), Eye::Right);
    EXPECT_EQ(eyeOfGlRow(3, 10, 4, true), Eye::Right);
    EXPECT_EQ(eyeOfGlRow(0, 10, 4, true), Eye::Left);
}

TEST(RowInterleaving, RowsStayWithTheirEyeWhenTheWindowMoves)
{
    // A screen row keeps its eye wherever the window lies over it, even partly above the
    // screen; only which window row it is changes.
    const int height = 7;
    for (const bool swap : {false, true}) {
        for (const int screenRow : {-3, 0, 1, 4, 9}) {
            // The window whose bottom row lies on the screen row.
            const Eye first = eyeOfGlRow(0, screenRow - (height - 1), height, swap);
            for (int top = screenRow - height + 1; top <= screenRow; ++top) {
                const int glRow = top + height - 1 - screenRow;
                ASSERT_EQ(screenRowOfGlRow(glRow, top, height), screenRow);
                EXPECT_EQ(eyeOfGlRow(glRow, top, height, swap), first)
                    << "screen row " << screenRow << " top " << top << " swap " << swap;
            }
            const bool even = screenRow % 2 == 0;
            EXPECT_EQ(first, even != swap ? Eye::Left : Eye::Right) << "screen row " << screenRow;
        }
    }
    // Moved down one row, the window's rows change eye; moved two, they do not.
    EXPECT_NE(eyeOfGlRow(0, 100, 600, false), eyeOfGlRow(0, 101, 600, false));
    EXPECT_EQ(eyeOfGlRow(0, 100, 600, false), eyeOfGlRow(0, 102, 600, false));
    // Far off the screen nothing overflows.
    EXPECT_EQ(screenRowOfGlRow(0, 2147483647, 2147483647), 2LL * 2147483647 - 1);
    EXPECT_EQ(eyeOfGlRow(0, 2147483647, 2147483647, false), Eye::Right);
}

TEST(RowInterleaving, ParityOfTheLeftEyesRowsFollowsMoveResizeAndSwap)
{
    for (const bool swap : {false, true}) {
        for (int top = -4; top <= 4; ++top) {
            for (const int height : {1, 2, 599, 600}) {
                const int parity = leftEyeRowParity(top, height, swap);
                ASSERT_TRUE(parity == 0 || parity == 1);
                for (int glRow = 0; glRow < height && glRow < 6; ++glRow) {
                    EXPECT_EQ(eyeOfGlRow(glRow, top, height, swap) == Eye::Left, glRow % 2 == parity)
                        << "top " << top << " height " << height << " row " << glRow;
                }
            }
        }
    }
    // Growing by one row moves the bottom row onto the other eye.
    EXPECT_NE(leftEyeRowParity(50, 600, false), leftEyeRowParity(50, 601, false));
    EXPECT_EQ(leftEyeRowParity(50, 600, false), leftEyeRowParity(50, 602, false));
    EXPECT_NE(leftEyeRowParity(50, 600, false), leftEyeRowParity(50, 600, true));
}

}  // namespace
