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

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 150;

// A helix of many short joined tubes, as a data set of one set of points: seen from the
// side, neighbouring tubes overlap many times over on screen.
struct Helix {
    DataSet data;
    std::vector<TubeSegment> tubes;
    TubeSet set;

    Helix(int points, double turns, float radius)
    {
        for (int k = 0; k < points; ++k) {
            const double t = turns * 2.0 * M_PI * k / (points - 1);
            data.coordArray.push_back({3.0 * std::cos(t), -4.0 + 8.0 * k / (points - 1), 3.0 * std::sin(t)});
        }
        data.fnTrf = FnTrf{1, points};
        for (int k = 0; k + 1 < points; ++k) {
            tubes.push_back(TubeSegment{static_cast<std::uint32_t>(k), TubeSegment::Joined});
        }
        set = TubeSet{&data, tubes.data(), tubes.size(), radius, 8};
    }
};

// What the depth test keeps at each pixel centre when every triangle of every tube that
// faces the eye is drawn in order: pixel -> (tube, triangle numbered as appendTubeTriangles
// numbers them). A tube's faces turned away lie behind those turned towards the eye. A
// centre is covered by the triangles it lies in, exactly; depths equal to a thousandth of
// the search's rounding allowance go to the first drawn, as the depth test gives them.
std::map<int, std::pair<std::uint32_t, int>> depthTestWinners(const TubeSet& set, const float clip[16],
                                                              const float eye[3])
{
    const TubeRing ring = tubeRing(set.segments);
    std::map<int, std::pair<double, std::pair<std::uint32_t, int>>> best;
    for (std::size_t t = 0; t < set.count; ++t) {
        Point3d a, b;
        tubeSegmentEnds(*set.data, set.tubes[t], a, b);
        MeshArrays mesh;
        appendTube(ring, a, b, set.radius, mesh);
        // Window position and depth of each vertex.
        std::vector<double> wx, wy, wz;
        for (std::size_t v = 0; v < mesh.vertexCount(); ++v) {
            const float* p = &mesh.positions[v * 3];
            double c[4];
            for (int r = 0; r < 4; ++r) {
                c[r] = clip[r] * p[0] + clip[4 + r] * p[1] + clip[8 + r] * p[2] + clip[12 + r];
            }
            wx.push_back((c[0] / c[3] + 1.0) * 0.5 * kWidth);
            wy.push_back((c[1] / c[3] + 1.0) * 0.5 * kHeight);
            wz.push_back(c[2] / c[3]);
        }
        const int firstLocal = mesh.indices.size() / 3 == static_cast<std::size_t>(2 * set.segments) ? 2 * set.segments : 0;
        for (std::size_t k = 0; k < mesh.indices.size() / 3; ++k) {
            const std::uint32_t* tri = &mesh.indices[k * 3];
            // A side quadrilateral's plane has the normal of its corners' sum; a cap's is flat.
            const int local = firstLocal + static_cast<int>(k);
            const std::uint32_t at = local < 2 * set.segments ? mesh.indices[(k - k % 2) * 3] : tri[0];
            float normal[3];
            for (int r = 0; r < 3; ++r) {
                normal[r] = mesh.normals[at * 3 + r] +
                            (local < 2 * set.segments ? mesh.normals[mesh.indices[(k - k % 2) * 3 + 5] * 3 + r] : 0.0f);
            }
            double dot = 0.0, nn = 0.0, dd = 0.0;
            for (int r = 0; r < 3; ++r) {
                const double d = eye[r] - mesh.positions[at * 3 + r];
                dot += normal[r] * d;
                nn += normal[r] * normal[r];
                dd += d * d;
            }
            const bool away = dot < 0.0 && dot * dot > 1.0e-6 * nn * dd;
            if (away) {
                continue;
            }
            const double x0 = wx[tri[0]], y0 = wy[tri[0]], x1 = wx[tri[1]], y1 = wy[tri[1]], x2 = wx[tri[2]], y2 = wy[tri[2]];
            const double area = (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0);
            if (std::fabs(area) < 1e-9) {
                continue;
            }
            for (int py = static_cast<int>(std::floor(std::min({y0, y1, y2}))); py <= std::max({y0, y1, y2}); ++py) {
                for (int px = static_cast<int>(std::floor(std::min({x0, x1, x2}))); px <= std::max({x0, x1, x2}); ++px) {
                    if (px < 0 || py < 0 || px >= kWidth || py >= kHeight) {
                        continue;
                    }
                    const double cx = px + 0.5, cy = py + 0.5;
                    const double l0 = ((x1 - cx) * (y2 - cy) - (x2 - cx) * (y1 - cy)) / area;
                    const double l1 = ((x2 - cx) * (y0 - cy) - (x0 - cx) * (y2 - cy)) / area;
                    const double l2 = 1.0 - l0 - l1;
                    if (l0 < 0.0 || l1 < 0.0 || l2 < 0.0) {
                        continue;
                    }
                    const double z = l0 * wz[tri[0]] + l1 * wz[tri[1]] + l2 * wz[tri[2]];
                    const int pixel = py * kWidth + px;
                    const auto it = best.find(pixel);
                    if (it == best.end() || z < it->second.first - 1e-9) {
                        best[pixel] = {z, {static_cast<std::uint32_t>(t), firstLocal + static_cast<int>(k)}};
                    }
                }
            }
        }
    }
    std::map<int, std::pair<std::uint32_t, int>> winners;
    for (const auto& [pixel, found] : best) {
        winners[pixel] = found.second;
    }
    return winners;
}

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
void expectWinnersKept(const std::map<int, std::pair<std::uint32_t, int>>& winners,
                       const VisibleTubes& visible, const char* what)
{
    const std::map<std::uint32_t, const std::uint64_t*> kept = byTube(visible);
    int missing = 0;
    for (const auto& [pixel, winner] : winners) {
        const auto it = kept.find(winner.first);
        if (it == kept.end() || !hasTriangle(it->second, winner.second)) {
            ++missing;
            ADD_FAILURE() << what << ": pixel " << pixel % kWidth << ", " << pixel / kWidth << " shows triangle "
                          << winner.second << " of tube " << winner.first << ", which was left out";
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
        const auto winners = depthTestWinners(helix.set, c.clipFromModel, c.eye);
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
    expectWinnersKept(depthTestWinners(helix.set, b.clipFromModel, b.eye), bothB, "second eye");
    EXPECT_NE(countTriangles(aloneA), 0);

    // Both into one buffer, the second over the first (Anaglyph): a triangle hidden by the
    // other eye's may go too, but what shows of either eye stays.
    findVisibleTubeFacesForTwo(helix.set, a, b, true, bothA, bothB);
    EXPECT_LE(countTriangles(bothA), countTriangles(aloneA));
    EXPECT_LE(countTriangles(bothB), countTriangles(aloneB));
    const auto winnersA = depthTestWinners(helix.set, a.clipFromModel, a.eye);
    const auto winnersB = depthTestWinners(helix.set, b.clipFromModel, b.eye);
    // At a pixel both eyes cover, the one whose triangle is nearer shows; where only one eye
    // covers the pixel its winner shows. Those must be kept; the others may go.
    std::map<int, std::pair<std::uint32_t, int>> showA, showB;
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
std::map<int, std::pair<std::uint32_t, int>> onRows(const std::map<int, std::pair<std::uint32_t, int>>& winners,
                                                    int parity)
{
    std::map<int, std::pair<std::uint32_t, int>> kept;
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
    const auto winnersA = depthTestWinners(helix.set, a.clipFromModel, a.eye);
    const auto winnersB = depthTestWinners(helix.set, b.clipFromModel, b.eye);
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
    float projection[16], modelview[16];
    frustum(-0.5f, 0.5f, -0.375f, 0.375f, projection);
    movedAway(modelview);
    modelview[14] = 0.0f;  // the eye at the model's origin
    const FaceCulling c = cullingFor(projection, modelview, kWidth, kHeight);
    DataSet data;
    data.coordArray = {{0.0, 0.0, 5.0}, {0.0, 0.0, -5.0}, {0.3, 0.2, -9.0}};
    data.fnTrf = FnTrf{1, 3};
    const std::vector<TubeSegment> tubes = {TubeSegment{0, TubeSegment::Joined}, TubeSegment{1, TubeSegment::Joined}};
    VisibleTubes visible;
    findVisibleTubeFaces(TubeSet{&data, tubes.data(), tubes.size(), 0.5f, 8}, c, visible);
    ASSERT_GT(visible.size(), 0u);
    EXPECT_EQ(visible.tubes[0], 0u);
    int first = 0;
    for (int w = 0; w < visible.words; ++w) {
        first += __builtin_popcountll(visible.trianglesOf(0)[w]);
    }
    EXPECT_EQ(first, 4 * 8) << "every side and cap triangle";
}

}  // namespace
