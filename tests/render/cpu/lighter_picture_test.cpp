// The lighter picture drawn while the view moves: its share from the frames' times, the
// points' evenly spread sample, and the grid of every k-th row and column.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <vector>

#include "render/cpu/geometry_cache.h"
#include "render/cpu/lighter_picture.h"

namespace {

TEST(DetailBudget, FramesSettleWithinTheBudgetWhateverTheirFixedCost)
{
    // Frames costing a fixed part and a part in proportion to the share drawn: from a full
    // frame of 2 s the lighter frames come within the budget in a few frames and stay there.
    for (const double fixed : {0.0, 0.010}) {
        DetailBudget budget;
        budget.setBudget(0.040);
        const auto time = [&](double share) { return fixed + 2.0 * share; };
        budget.record(1.0, time(1.0));
        EXPECT_LT(budget.next(), 0.02) << "the first lighter frame's share follows from the full frame's time";
        double share = 1.0;
        for (int frame = 0; frame < 6; ++frame) {
            share = budget.next();
            budget.record(share, time(share));
        }
        EXPECT_LE(time(share), 0.040) << fixed;
        EXPECT_GT(time(share), 0.025) << fixed << ": not needlessly light";
    }
    // A frame slowed by other work lowers the share at most eightfold; a scene that needs
    // less than the least share keeps it; another scene starts from the full picture.
    DetailBudget budget;
    budget.record(1.0, 0.080);
    const double settled = budget.next();
    budget.record(settled, 100.0);
    EXPECT_NEAR(budget.next(), settled / 8.0, 1e-12);
    for (int k = 0; k < 10; ++k) {
        budget.record(budget.next(), 100.0);
    }
    EXPECT_EQ(budget.next(), DetailBudget::kLeastShare);
    budget.forget();
    EXPECT_EQ(budget.next(), 1.0);
}

TEST(LighterPicture, EachDisplayTypeDrawsLessAsTheShareFalls)
{
    int lastStep = 1, lastSegments = 8;
    bool lines = false;
    for (double share = 1.0; share > 1e-3; share *= 0.8) {
        const LighterPicture p{share};
        EXPECT_EQ(p.pointShare(), share);
        EXPECT_GE(p.gridStep(), lastStep);
        EXPECT_LE(p.gridStep() * p.gridStep() * share, 4.0) << "the grid's work falls with the share";
        EXPECT_LE(p.tubeSegments(8), lastSegments);
        EXPECT_GE(p.tubeSegments(8), 4);
        EXPECT_TRUE(!lines || p.tubesAsLines(8)) << "once lines, lines";
        lines = p.tubesAsLines(8);
        lastStep = p.gridStep();
        lastSegments = p.tubeSegments(8);
    }
    EXPECT_TRUE(lines);
    EXPECT_EQ(LighterPicture{}.gridStep(), 1);
    EXPECT_EQ(LighterPicture{}.tubeSegments(8), 8);
    EXPECT_FALSE(LighterPicture{}.tubesAsLines(8));
}

// Sets of points along lines, each set in its own part of the cube.
DataSet linesOfPoints(int sets, int points)
{
    DataSet data;
    for (int i = 0; i < sets; ++i) {
        for (int j = 0; j < points; ++j) {
            const double t = static_cast<double>(j) / (points - 1);
            data.coordArray.push_back({-5.0 + 10.0 * t, -5.0 + 10.0 * (i % 17) / 16.0, -5.0 + 10.0 * (i / 17) / 17.0});
        }
    }
    data.fnTrf = FnTrf{sets, points};
    data.generation = 1;
    return data;
}

TEST(LighterPicture, EveryStartOfThePointSampleIsSpreadOverEverySetAndTheCube)
{
    const DataSet data = linesOfPoints(300, 1000);
    DrawRange range;
    ASSERT_TRUE(drawRangeOf(data, DisplayType::Points, range));
    GeometryStore store;
    store.geometryFor(range, DisplayType::Points, GeometryInputs{});
    const GeometryCache& c = store.keptPointSample();
    ASSERT_EQ(c.sample.size(), data.coordArray.size() * 3) << "fewer points than the most sampled: all of them";
    ASSERT_EQ(c.sampleGroups.size(), 1u);
    // Cells of a 10 x 10 x 10 division of the cube that the points fill.
    const auto cell = [](const float* p) {
        const auto at = [](float v) { return std::clamp(static_cast<int>((v + 5.0f) / 10.0f * 10.0f), 0, 9); };
        return at(p[0]) * 100 + at(p[1]) * 10 + at(p[2]);
    };
    std::set<int> allCells;
    for (std::size_t k = 0; k < c.sample.size(); k += 3) {
        allCells.insert(cell(&c.sample[k]));
    }
    for (const double share : {0.01, 0.05, 0.3}) {
        const std::size_t n = static_cast<std::size_t>(share * static_cast<double>(data.coordArray.size()));
        std::set<int> cells;
        std::vector<std::vector<float>> alongSet(300);
        for (std::size_t k = 0; k < n; ++k) {
            const float* p = &c.sample[3 * k];
            cells.insert(cell(p));
            // Which set: the points of set i have their own y and z.
            const int i = static_cast<int>(std::lround((p[1] + 5.0f) / 10.0f * 16.0f)) +
                          17 * static_cast<int>(std::lround((p[2] + 5.0f) / 10.0f * 17.0f));
            ASSERT_TRUE(i >= 0 && i < 300);
            alongSet[static_cast<std::size_t>(i)].push_back(p[0]);
        }
        EXPECT_GE(cells.size(), 0.9 * static_cast<double>(allCells.size())) << share;
        for (std::size_t i = 0; i < alongSet.size(); ++i) {
            ASSERT_FALSE(alongSet[i].empty()) << "every set is drawn at share " << share << ": not set " << i;
            const auto [low, high] = std::minmax_element(alongSet[i].begin(), alongSet[i].end());
            if (alongSet[i].size() >= 3) {
                EXPECT_GT(*high - *low, 5.0f) << "the set's points are spread along it, set " << i;
            }
        }
    }
    // Each set's order takes every point once.
    const SpreadOrder order(1000);
    std::set<int> taken;
    for (int r = 0; r < 1000; ++r) {
        taken.insert(order.pointAt(7, r));
    }
    EXPECT_EQ(taken.size(), 1000u);
}

TEST(LighterPicture, TheCoarseGridKeepsEveryStepthRowAndColumnAndTheLast)
{
    DataSet data = linesOfPoints(10, 11);
    data.groupArray.assign(data.coordArray.size(), 3);
    data.groupArray.back() = 7;
    data.groupNames = {"a", "b", "c", "d", "e", "f", "g", "h"};
    // The file's colour of each point: its number's low byte in red.
    for (std::size_t k = 0; k < data.coordArray.size(); ++k) {
        const std::uint8_t c[4] = {static_cast<std::uint8_t>(k), 0, 0, 255};
        data.pointColors.insert(data.pointColors.end(), c, c + 4);
    }
    data.ty = 0.5f;
    CoarseGrid grid;
    const DataSet& coarse = grid.of(data, 3);
    EXPECT_EQ(coarse.fnTrf.nx, 4);            // sets 0, 3, 6 and 9, the last
    EXPECT_EQ(coarse.fnTrf.pointsPerSet, 5);  // points 0, 3, 6, 9 and 10, the last
    ASSERT_EQ(coarse.coordArray.size(), 20u);
    const auto same = [](const Point3d& a, const Point3d& b) { return a.x == b.x && a.y == b.y && a.z == b.z; };
    EXPECT_TRUE(same(coarse.coordArray[0], data.coordArray[0]));
    EXPECT_TRUE(same(coarse.coordArray[6], data.coordArray[3 * 11 + 3]));
    EXPECT_TRUE(same(coarse.coordArray.back(), data.coordArray.back()));
    EXPECT_EQ(coarse.groupArray.back(), 7);
    EXPECT_EQ(coarse.groupNames, data.groupNames);
    ASSERT_EQ(coarse.pointColors.size(), 4 * coarse.coordArray.size()) << "the file's colours go with their points";
    EXPECT_EQ(coarse.pointColors[4 * 6], 3 * 11 + 3);
    EXPECT_EQ(coarse.pointColors[4 * 19], 10 * 11 - 1);
    EXPECT_EQ(coarse.ty, 0.5f) << "placed as the full data";
    const unsigned long generation = coarse.generation;
    EXPECT_EQ(&grid.of(data, 3), &coarse);
    EXPECT_EQ(coarse.generation, generation) << "made once for the same data and step";
    grid.of(data, 2);
    EXPECT_NE(coarse.generation, generation) << "made again for another step";
    EXPECT_EQ(coarse.fnTrf.nx, 6);  // sets 0, 2, 4, 6, 8 and 9
}

}  // namespace
