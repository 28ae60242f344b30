// The search for the tube triangles that can show, held against a brute-force depth test of
// every triangle of the tubes' mesh at every pixel centre.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "render/cpu/geometry_cache.h"
#include "render/cpu/tube_faces.h"
#include "render/cpu/tube_visibility.h"
#include "tests/render/stereo_pair.h"
#include "tests/render/tube_scenes.h"

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 150;

// The kept triangles by tube; the tubes must come in order.
std::map<std::uint32_t, const std::uint64_t*> byTube(const VisibleTubes& visible)
{
    std::map<std::uint32_t, const std::uint64_t*> out;
    EXPECT_EQ(visible.triangles.size(), visible.size() * visible.words);
    for (std::size_t k = 0; k < visible.size(); ++k) {
        EXPECT_TRUE(k == 0 || visible.tubes[k] > visible.tubes[k - 1]) << "tubes out of order at " << k;
        out[visible.tubes[k]] = visible.trianglesOf(k);
    }
    return out;
}

int countTriangles(const VisibleTubes& visible)
{
    int count = 0;
    for (std::uint64_t word : visible.triangles) {
        count += __builtin_popcountll(word);
    }
    return count;
}

// Every pixel's winner is among the kept triangles.
void expectWinnersKept(const Winners& winners,
                       const VisibleTubes& visible, const char* what)
{
    const std::map<std::uint32_t, const std::uint64_t*> kept = byTube(visible);
    int missing = 0;
    for (const auto& [pixel, winner] : winners) {
        const auto it = kept.find(winner.tube);
        if (it == kept.end() || !hasTriangle(it->second, winner.triangle)) {
            ++missing;
            ADD_FAILURE() << what << ": pixel " << pixel % kWidth << ", " << pixel / kWidth << " shows triangle "
                          << winner.triangle << " of tube " << winner.tube << ", which was left out";
            if (missing > 5) {
                return;
            }
        }
    }
}

TEST(TubeVisibility, EveryTriangleThatShowsIsKeptAndHiddenOnesAreNot)
{
    float projection[16], modelview[16];
    frustum(-0.5f, 0.5f, -0.375f, 0.375f, projection);
    movedAway(modelview);
    const FaceCulling c = cullingFor(projection, modelview, kWidth, kHeight);
    ASSERT_TRUE(c.on);
    // Tubes about two pixels wide and a third of a pixel long (two threads share them), and
    // tubes eight pixels wide and three long (one thread).
    struct Case {
        int points;
        float radius;
        double mostPerTube;  // triangles kept per tube at most
    };
    // Dense tubes: about one triangle each shows. Wide ones: never more than the half of the
    // side and the cap that face the eye.
    for (const Case& test : {Case{3000, 0.1f, 1.5}, Case{400, 0.4f, 16.0}}) {
        const int points = test.points;
        const float radius = test.radius;
        const Helix helix(points, 3.0, radius);
        VisibleTubes visible;
        findVisibleTubeFaces(helix.set, c, visible);
        const auto winners = depthTestWinners(helix.set, c.clipFromModel, c.eye, kWidth, kHeight);
        ASSERT_GT(winners.size(), 500u);
        expectWinnersKept(winners, visible, "one eye");
        EXPECT_LE(countTriangles(visible), test.mostPerTube * static_cast<double>(helix.set.count)) << points;
    }
}

TEST(TubeVisibility, TwoEyesAtOnceAndOverEachOther)
{
    float left[16], right[16], leftView[16], rightView[16];
    offAxisPair(left, leftView, right, rightView);
    const FaceCulling a = cullingFor(left, leftView, kWidth, kHeight);
    const FaceCulling b = cullingFor(right, rightView, kWidth, kHeight);
    ASSERT_TRUE(sharesAllButX(a, b));
    const Helix helix(3000, 3.0, 0.1f);
    VisibleTubes aloneA, aloneB, bothA, bothB;
    findVisibleTubeFaces(helix.set, a, aloneA);
    findVisibleTubeFaces(helix.set, b, aloneB);
    // Each eye into its own buffers (StereoView): what each finds alone.
    findVisibleTubeFacesForTwo(helix.set, a, b, false, bothA, bothB);
    EXPECT_EQ(byTube(bothA).size(), byTube(aloneA).size());
    EXPECT_EQ(countTriangles(bothA), countTriangles(aloneA));
    EXPECT_EQ(countTriangles(bothB), countTriangles(aloneB));
    expectWinnersKept(depthTestWinners(helix.set, b.clipFromModel, b.eye, kWidth, kHeight), bothB, "second eye");
    EXPECT_NE(countTriangles(aloneA), 0);

    // Both into one buffer, the second over the first (Anaglyph): a triangle hidden by the
    // other eye's may go too, but what shows of either eye stays.
    findVisibleTubeFacesForTwo(helix.set, a, b, true, bothA, bothB);
    EXPECT_LE(countTriangles(bothA), countTriangles(aloneA));
    EXPECT_LE(countTriangles(bothB), countTriangles(aloneB));
    const auto winnersA = depthTestWinners(helix.set, a.clipFromModel, a.eye, kWidth, kHeight);
    const auto winnersB = depthTestWinners(helix.set, b.clipFromModel, b.eye, kWidth, kHeight);
    // At a pixel both eyes cover, the one whose triangle is nearer shows; where only one eye
    // covers the pixel its winner shows. Those must be kept; the others may go.
    Winners showA, showB;
    for (const auto& [pixel, winner] : winnersA) {
        if (winnersB.count(pixel) == 0) {
            showA[pixel] = winner;
        }
    }
    for (const auto& [pixel, winner] : winnersB) {
        if (winnersA.count(pixel) == 0) {
            showB[pixel] = winner;
        }
    }
    expectWinnersKept(showA, bothA, "first eye over nothing");
    expectWinnersKept(showB, bothB, "second eye over nothing");

    // Eyes apart in height share nothing: each is found on its own, with the same result.
    float high[16];
    movedAway(high);
    high[13] = 0.5f;
    const FaceCulling raised = cullingFor(left, high, kWidth, kHeight);
    EXPECT_FALSE(sharesAllButX(a, raised));
    VisibleTubes aloneRaised;
    findVisibleTubeFacesForTwo(helix.set, a, raised, true, bothA, bothB);
    findVisibleTubeFaces(helix.set, raised, aloneRaised);
    EXPECT_EQ(countTriangles(bothB), countTriangles(aloneRaised));
}

// The winners on the pixel rows of one parity.
Winners onRows(const Winners& winners,
                                                    int parity)
{
    Winners kept;
    for (const auto& [pixel, winner] : winners) {
        if ((pixel / kWidth) % 2 == parity) {
            kept[pixel] = winner;
        }
    }
    return kept;
}

TEST(TubeVisibility, EachEyeOfRowInterleavingKeepsWhatShowsOnItsOwnRows)
{
    float left[16], right[16], leftView[16], rightView[16];
    offAxisPair(left, leftView, right, rightView);
    const Helix helix(3000, 3.0, 0.1f);
    FaceCulling a = cullingFor(left, leftView, kWidth, kHeight);
    FaceCulling b = cullingFor(right, rightView, kWidth, kHeight);
    VisibleTubes allA, allB;
    findVisibleTubeFaces(helix.set, a, allA);
    findVisibleTubeFaces(helix.set, b, allB);
    const auto winnersA = depthTestWinners(helix.set, a.clipFromModel, a.eye, kWidth, kHeight);
    const auto winnersB = depthTestWinners(helix.set, b.clipFromModel, b.eye, kWidth, kHeight);
    for (int first : {0, 1}) {
        a.rowParity = first;
        b.rowParity = 1 - first;
        ASSERT_TRUE(sharesAllButX(a, b));
        VisibleTubes bothA, bothB, aloneA;
        findVisibleTubeFacesForTwo(helix.set, a, b, false, bothA, bothB);
        findVisibleTubeFaces(helix.set, a, aloneA);
        const std::string what = "first eye on rows of parity " + std::to_string(first);
        expectWinnersKept(onRows(winnersA, first), bothA, (what + ", first eye").c_str());
        expectWinnersKept(onRows(winnersB, 1 - first), bothB, (what + ", second eye").c_str());
        expectWinnersKept(onRows(winnersA, first), aloneA, (what + ", first eye alone").c_str());
        // Triangles that show on the other rows only are left out.
        EXPECT_LT(countTriangles(bothA), countTriangles(allA)) << what;
        EXPECT_LT(countTriangles(bothB), countTriangles(allB)) << what;
        EXPECT_EQ(countTriangles(aloneA), countTriangles(bothA)) << what;
    }
}

TEST(TubeVisibility, ASearchThatSettlesEarlyKeepsAllThatTheWholeSearchKeeps)
{
    // 70,000 short tubes: three steps of the search, the first two settled early when it may
    // hold only a few records.
    float left[16], right[16], leftView[16], rightView[16];
    offAxisPair(left, leftView, right, rightView);
    const FaceCulling a = cullingFor(left, leftView, kWidth, kHeight);
    const FaceCulling b = cullingFor(right, rightView, kWidth, kHeight);
    const Helix helix(70001, 40.0, 0.05f);
    for (const bool sharedDepth : {false, true}) {
        VisibleTubes wholeA, wholeB, earlyA, earlyB;
        TubeSearch whole;
        whole.begin(helix.set, a, &b, sharedDepth);
        ASSERT_GE(whole.steps(), 3u);
        for (std::size_t k = 0; k < whole.steps(); ++k) {
            whole.step(k);
        }
        whole.finish(wholeA, &wholeB);
        EXPECT_EQ(whole.earlySettlements(), 0u);

        TubeSearch early;
        early.holdAtMost(1000);
        early.begin(helix.set, a, &b, sharedDepth);
        for (std::size_t k = 0; k < early.steps(); ++k) {
            early.step(k);
        }
        early.finish(earlyA, &earlyB);
        EXPECT_EQ(early.earlySettlements(), early.steps() - 1);

        for (const auto& [kept, wholeKept] : {std::make_pair(&earlyA, &wholeA), std::make_pair(&earlyB, &wholeB)}) {
            ASSERT_GT(countTriangles(*wholeKept), 1000);
            EXPECT_GE(countTriangles(*kept), countTriangles(*wholeKept));
            const auto byEarly = byTube(*kept);
            int missing = 0;
            for (const auto& [tube, triangles] : byTube(*wholeKept)) {
                const auto found = byEarly.find(tube);
                for (int w = 0; w < wholeKept->words; ++w) {
                    missing += found == byEarly.end() || (triangles[w] & ~found->second[w]) != 0;
                }
            }
            EXPECT_EQ(missing, 0) << (sharedDepth ? "one depth buffer" : "a depth buffer each");
        }
    }
}

TEST(TubeVisibility, TubesThroughTheNearPlaneAreKeptWhole)
{
    const ThroughTheNearPlane scene(kWidth, kHeight, 0.5f);
    VisibleTubes visible;
    findVisibleTubeFaces(scene.set, scene.culling, visible);
    ASSERT_GT(visible.size(), 0u);
    EXPECT_EQ(visible.tubes[0], 0u);
    int first = 0;
    for (int w = 0; w < visible.words; ++w) {
        first += __builtin_popcountll(visible.trianglesOf(0)[w]);
    }
    EXPECT_EQ(first, 4 * 8) << "every side and cap triangle";
}

}  // namespace
