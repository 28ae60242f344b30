// The drawing's work on the processor, without a renderer: when tube faces are culled at
// all, and the pixels that many points cover.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/matrix_math.h"
#include "render/cpu/point_splat.h"
#include "render/cpu/tube_faces.h"
#include "tests/render/stereo_pair.h"

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 150;

TEST(TubeFaces, WithoutAFrustumOrAnInverseEveryFaceIsSent)
{
    float orthographic[16], modelview[16], flat[16];
    movedAway(modelview);
    for (int k = 0; k < 16; ++k) {
        orthographic[k] = k % 5 == 0 ? 0.1f : 0.0f;
        flat[k] = modelview[k];
    }
    flat[0] = flat[5] = flat[10] = 0.0f;  // a scale of 0 squeezes the scene into a point
    float projection[16];
    frustum(-0.5f, 0.5f, -0.375f, 0.375f, projection);
    EXPECT_FALSE(cullingFor(orthographic, modelview, kWidth, kHeight).on);
    EXPECT_FALSE(cullingFor(projection, flat, kWidth, kHeight).on);
}

// Pixel (x, y) -> depth, from the covered list.
std::map<std::pair<int, int>, float> byPixel(const std::vector<float>& covered)
{
    std::map<std::pair<int, int>, float> out;
    for (std::size_t k = 0; k + 2 < covered.size(); k += 3) {
        const auto key = std::make_pair(static_cast<int>(covered[k]), static_cast<int>(covered[k + 1]));
        EXPECT_EQ(out.count(key), 0u) << "a pixel is listed twice";
        out[key] = covered[k + 2];
    }
    return out;
}

// The identity as projection times model-view: points given in normalised device coordinates.
void identity(float out[16])
{
    for (int k = 0; k < 16; ++k) {
        out[k] = k % 5 == 0 ? 1.0f : 0.0f;
    }
}

TEST(PointSplat, EachCoveredPixelOnceAtTheNearestDepthAndEdgePointsToTheRenderer)
{
    float m[16];
    identity(m);
    // Window x = (x + 1) * 100, y = (y + 1) * 75: (0, 0) is at pixel corner (100, 75).
    const std::vector<float> points = {0.0f, 0.0f, 0.5f, 0.0f, 0.0f, -0.25f, 0.0f, 0.0f, 0.75f,
                                       -0.999f, 0.0f, 0.0f};  // the last one at the left edge
    SplatResult found;
    splatPoints(points, m, kWidth, kHeight, 1.0f, found);
    EXPECT_EQ(found.passed, (std::vector<float>{-0.999f, 0.0f, 0.0f}));
    const auto pixels = byPixel(found.covered);
    // Centres strictly within 1 of (100, 75): the four pixels around the corner.
    ASSERT_EQ(pixels.size(), 4u);
    for (const auto& [pixel, depth] : pixels) {
        EXPECT_TRUE(pixel.first == 99 || pixel.first == 100);
        EXPECT_TRUE(pixel.second == 74 || pixel.second == 75);
        EXPECT_FLOAT_EQ(depth, -0.25f);
    }
}

TEST(PointSplat, ManyPointsOnTwoThreadsGiveTheNearestDepthOfEveryCoveredPixel)
{
    float m[16];
    identity(m);
    // 200,000 points (two threads) on a spiral; the first 1,000 alone are found by one.
    std::vector<float> points;
    for (int k = 0; k < 200000; ++k) {
        const float t = static_cast<float>(k) * 0.001f;
        points.insert(points.end(), {0.9f * std::cos(t) * (1.0f - t / 250.0f), 0.9f * std::sin(t) * (1.0f - t / 250.0f),
                                     std::sin(3.0f * t) * 0.9f});
    }
    SplatResult found;
    splatPoints(points, m, kWidth, kHeight, 1.5f, found);
    const auto many = byPixel(found.covered);
    // The nearest depth of each pixel, found point by point.
    std::map<std::pair<int, int>, float> expected;
    for (std::size_t k = 0; k < points.size(); k += 3) {
        const float wx = (points[k] + 1.0f) * 100.0f, wy = (points[k + 1] + 1.0f) * 75.0f;
        for (int py = static_cast<int>(wy) - 2; py <= static_cast<int>(wy) + 2; ++py) {
            for (int px = static_cast<int>(wx) - 2; px <= static_cast<int>(wx) + 2; ++px) {
                const float dx = px + 0.5f - wx, dy = py + 0.5f - wy;
                if (dx * dx + dy * dy < 1.5f * 1.5f) {
                    const auto key = std::make_pair(px, py);
                    const auto found = expected.find(key);
                    if (found == expected.end() || points[k + 2] < found->second) {
                        expected[key] = points[k + 2];
                    }
                }
            }
        }
    }
    EXPECT_TRUE(found.passed.empty());
    ASSERT_EQ(many.size(), expected.size());
    for (const auto& [pixel, depth] : expected) {
        ASSERT_EQ(many.count(pixel), 1u);
        EXPECT_FLOAT_EQ(many.at(pixel), depth);
    }
}

// The points' coordinates in threes, sorted: the order in which threads pass them on is free.
std::vector<std::vector<float>> sortedPoints(const std::vector<float>& points)
{
    std::vector<std::vector<float>> out;
    for (std::size_t k = 0; k + 2 < points.size(); k += 3) {
        out.push_back({points[k], points[k + 1], points[k + 2]});
    }
    std::sort(out.begin(), out.end());
    return out;
}

// count points on a flat spiral 24 units wide, wider than the off-axis pair's view.
std::vector<float> spiralCloud(int count)
{
    std::vector<float> points;
    for (int k = 0; k < count; ++k) {
        const float t = static_cast<float>(k) * 7.0f / static_cast<float>(count);
        points.insert(points.end(), {12.0f * std::cos(40.0f * t) * (1.0f - t / 8.0f),
                                     8.0f * std::sin(40.0f * t) * (1.0f - t / 8.0f), 3.0f * std::sin(9.0f * t)});
    }
    return points;
}

TEST(PointSplat, TwoEyesAtOnceFindWhatEachFindsAlone)
{
    // An off-axis pair 2.3 units apart looking at a cloud wider than the view: some points
    // are cut by the picture's edge for one eye only.
    float leftClip[16], rightClip[16];
    offAxisPair(leftClip, rightClip);
    ASSERT_TRUE(clipDiffersOnlyInX(leftClip, rightClip));
    for (int count : {1000, 200000}) {  // one thread, then two
        const std::vector<float> points = spiralCloud(count);
        SplatResult bothLeft, bothRight, aloneLeft, aloneRight;
        splatPointsForTwo(points, leftClip, rightClip, kWidth, kHeight, 1.2f, bothLeft, bothRight);
        splatPoints(points, leftClip, kWidth, kHeight, 1.2f, aloneLeft);
        splatPoints(points, rightClip, kWidth, kHeight, 1.2f, aloneRight);
        EXPECT_EQ(bothLeft.covered, aloneLeft.covered) << count;
        EXPECT_EQ(bothRight.covered, aloneRight.covered) << count;
        EXPECT_EQ(sortedPoints(bothLeft.passed), sortedPoints(aloneLeft.passed)) << count;
        EXPECT_EQ(sortedPoints(bothRight.passed), sortedPoints(aloneRight.passed)) << count;
        EXPECT_NE(aloneLeft.covered, aloneRight.covered) << "the eyes see the points in different places";
        EXPECT_NE(sortedPoints(aloneLeft.passed), sortedPoints(aloneRight.passed)) << "the edge cuts different points";
        EXPECT_FALSE(aloneLeft.passed.empty());
    }
}

TEST(PointSplat, InStepsAndFromTheDataSetsDoublesAsAtOnce)
{
    // Steps of a few thousand points (a frame of 10^8 points drawn in slices takes steps of
    // millions), for one eye, two eyes together and two eyes apart, the points as floats
    // or as the data set's doubles.
    float leftClip[16], rightClip[16], raised[16];
    offAxisPair(leftClip, rightClip);
    std::copy(rightClip, rightClip + 16, raised);
    raised[13] += 0.3f;
    const std::vector<float> points = spiralCloud(200000);
    std::vector<Point3d> doubles;
    for (std::size_t k = 0; k < points.size(); k += 3) {
        doubles.push_back(Point3d{points[k], points[k + 1], points[k + 2]});
    }
    const float* const seconds[] = {nullptr, rightClip, raised};
    for (const float* second : seconds) {
        SplatResult wholeA, wholeB;
        splatPoints(points, leftClip, kWidth, kHeight, 1.2f, wholeA);
        if (second != nullptr) {
            splatPoints(points, second, kWidth, kHeight, 1.2f, wholeB);
        }
        for (const SplatSource& source : {SplatSource{points.data(), nullptr, doubles.size()},
                                          SplatSource{nullptr, doubles.data(), doubles.size()}}) {
            SplatSteps steps;
            const int rows[2] = {-1, -1};
            steps.begin(source, leftClip, second, kWidth, kHeight, 1.2f, rows, 7000);
            ASSERT_GE(steps.steps(), 29u);
            for (std::size_t k = 0; k < steps.steps(); ++k) {
                steps.step(k);
            }
            SplatResult a, b;
            steps.finish(a, &b);
            EXPECT_EQ(a.covered, wholeA.covered);
            EXPECT_EQ(sortedPoints(a.passed), sortedPoints(wholeA.passed));
            if (second != nullptr) {
                EXPECT_EQ(b.covered, wholeB.covered);
                EXPECT_EQ(sortedPoints(b.passed), sortedPoints(wholeB.passed));
            }
        }
    }
}

// The covered pixels on rows of one parity only, as a pass of row interleaving keeps them.
std::vector<float> onRows(const std::vector<float>& covered, int parity)
{
    std::vector<float> kept;
    for (std::size_t k = 0; k + 2 < covered.size(); k += 3) {
        if ((static_cast<int>(covered[k + 1]) & 1) == parity) {
            kept.insert(kept.end(), &covered[k], &covered[k] + 3);
        }
    }
    return kept;
}

TEST(PointSplat, EachEyeOfRowInterleavingFindsThePixelsOfItsOwnRowsOnly)
{
    // Points 1 to 3 pixels across: the rows they reach are of both parities.
    float leftClip[16], rightClip[16];
    offAxisPair(leftClip, rightClip);
    for (int count : {1000, 200000}) {  // one thread, then two
        const std::vector<float> points = spiralCloud(count);
        for (float reach : {1.0f, 1.5f}) {
            SplatResult aloneLeft, aloneRight;
            splatPoints(points, leftClip, kWidth, kHeight, reach, aloneLeft);
            splatPoints(points, rightClip, kWidth, kHeight, reach, aloneRight);
            for (int first : {0, 1}) {
                const int rows[2] = {first, 1 - first};
                SplatResult left, right, leftAlone;
                splatPointsForTwo(points, leftClip, rightClip, kWidth, kHeight, reach, left, right, rows);
                splatPoints(points, leftClip, kWidth, kHeight, reach, leftAlone, first);
                const std::string what = std::to_string(count) + " points, reach " + std::to_string(reach) +
                                         ", first eye on rows of parity " + std::to_string(first);
                ASSERT_FALSE(left.covered.empty()) << what;
                EXPECT_EQ(left.covered, onRows(aloneLeft.covered, first)) << what;
                EXPECT_EQ(right.covered, onRows(aloneRight.covered, 1 - first)) << what;
                EXPECT_EQ(leftAlone.covered, left.covered) << what;
                // The points the renderer draws are not a matter of rows.
                EXPECT_EQ(sortedPoints(left.passed), sortedPoints(aloneLeft.passed)) << what;
                EXPECT_EQ(sortedPoints(right.passed), sortedPoints(aloneRight.passed)) << what;
            }
        }
    }
}

}  // namespace
