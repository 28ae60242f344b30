// The Maple GRID reader: the worked examples, pieces, continued lines, carried text, and the
// malformed files that must leave the previous data set whole.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/viewer_state.h"
#include "core/data_set.h"
#include "tests/support/test_support.h"

namespace {

const char* const kExample = "GRID(0. .. 1.,0. .. 2.,Array(1..2,1..3,[[0.,.5,1.],[1.,1.5,2.\\\n]]))\n";

class MapleReader : public ::testing::Test {
protected:
    void SetUp() override { resetDataInput(); }

    std::string load(const std::string& content)
    {
        const std::string path = dir.write("grid.mpl", content);
        return captureStdout([&] { readMapleFile(path.c_str()); });
    }

    // z values of a one-row grid mapped back from the cube to the raw range [lo, hi].
    static std::vector<double> rawZ(double lo, double hi)
    {
        std::vector<double> z;
        for (const Point3d& p : dataSet.coordArray) {
            z.push_back(lo + (p.z + 5.0) / 10.0 * (hi - lo));
        }
        return z;
    }

    void expectRefused(const std::string& content, const std::string& message)
    {
        load(kExample);
        const unsigned long generation = dataSet.generation;
        const std::string out = load(content);
        EXPECT_NE(out.find(message), std::string::npos) << out;
        EXPECT_EQ(splitLines(out).size(), 3u) << out;
        EXPECT_EQ(dataSet.fnTrf.nx, 2);
        EXPECT_EQ(dataSet.fnTrf.pointsPerSet, 3);
        ASSERT_EQ(dataSet.coordArray.size(), 6u);
        EXPECT_NEAR(dataSet.coordArray[5].z, 5, 1e-5);
        EXPECT_EQ(dataSet.generation, generation);
    }

    TempFolder dir;
};

void expectValues(const std::vector<double>& actual, const std::vector<double>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t k = 0; k < actual.size(); ++k) {
        EXPECT_NEAR(actual[k], expected[k], 1e-5) << "value " << k;
    }
}

// A grid over -2 .. 2 with n x n nodes, z = x * y, lines continued with a backslash every few values.
std::string squareGrid(int n)
{
    std::string text = "GRID(-2. .. 2.,-2. .. 2.,Array(1.." + std::to_string(n) + ",1.." + std::to_string(n) + ",[[";
    int onLine = 0;
    for (int i = 1; i <= n; ++i) {
        for (int j = 1; j <= n; ++j) {
            const double x = -2.0 + (i - 1) * 4.0 / (n - 1), y = -2.0 + (j - 1) * 4.0 / (n - 1);
            text += std::to_string(x * y) + (j < n ? "," : (i < n ? "],[" : "]]))\n"));
            if (++onLine % 7 == 0 && i * j < n * n) {
                text += "\\\n";
            }
        }
    }
    return text;
}

}  // namespace

TEST_F(MapleReader, ExampleGridLoads)
{
    dataSet.groupArray = {4};
    const std::string out = load(kExample);
    EXPECT_EQ(out, "\nfilename = " + dir.path("grid.mpl") + "\n");
    ASSERT_EQ(dataSet.coordArray.size(), 6u);
    EXPECT_EQ(dataSet.fnTrf.nx, 2);
    EXPECT_EQ(dataSet.fnTrf.pointsPerSet, 3);
    EXPECT_EQ(dataSet.loadedFormat, 1);
    EXPECT_EQ(dataSet.groupArray, std::vector<int>{4});
    const Point3d first = dataSet.coordArray[0], last = dataSet.coordArray[5], mid = dataSet.coordArray[4];
    EXPECT_NEAR(first.x + first.y + first.z, -15, 1e-5);
    EXPECT_NEAR(last.x + last.y + last.z, 15, 1e-5);
    EXPECT_NEAR(mid.x, 5, 1e-5);  // (1,1,1.5)
    EXPECT_NEAR(mid.y, 0, 1e-5);
    EXPECT_NEAR(mid.z, 2.5, 1e-5);
}

TEST_F(MapleReader, Grid25FillsTheCubeOnEveryRow)
{
    load(squareGrid(25));
    ASSERT_EQ(dataSet.coordArray.size(), 625u);
    for (int j = 0; j < 25; ++j) {
        EXPECT_NEAR(dataSet.coordArray[24 * 25 + j].x, 5, 1e-5);
        EXPECT_NEAR(dataSet.coordArray[j].x, -5, 1e-5);
    }
    for (int i = 0; i < 25; ++i) {
        EXPECT_NEAR(dataSet.coordArray[i * 25].y, -5, 1e-5);
        EXPECT_NEAR(dataSet.coordArray[i * 25 + 24].y, 5, 1e-5);
    }
    EXPECT_NEAR(dataSet.coordArray[0].z, 5, 1e-5);   // x * y = 4, the largest
    EXPECT_NEAR(dataSet.coordArray[24].z, -5, 1e-5);  // -4, the smallest
}

TEST_F(MapleReader, NumbersJoinAcrossLinesAndPieces)
{
    // Broken by a backslash, continued by a piece without comma, a line of many pieces,
    // values starting after "[[" on the next line, and Windows line ends.
    load("GRID(0. .. 1.,0. .. 1.,Array(1..1,1..4,[[1.,.608\\\n5,.2\\\n34\\\n5,2.]]))");
    expectValues(rawZ(.2345, 2.), {1., .6085, .2345, 2.});

    std::string line = "GRID(0. .. 1.,0. .. 1.,Array(1..1,1..40,[[\r\n";
    std::vector<double> expected;
    for (int k = 0; k < 40; ++k) {
        expected.push_back(1.0 + k * 0.0123456);
        line += std::to_string(expected.back()) + (k < 39 ? ",\t" : "]]))\r\n");
    }
    ASSERT_GT(line.size(), 300u);
    load(line);
    expectValues(rawZ(expected.front(), expected.back()), expected);
}

TEST_F(MapleReader, WholeGridOnTheFirstLine)
{
    load("GRID(-1. .. 1.,0.0..4.0,Array(1..2,1..2,[[1,2],[3,4]]))\n");
    expectValues(rawZ(1, 4), {1, 2, 3, 4});
    EXPECT_NEAR(dataSet.coordArray[3].y, 5, 1e-5);
}

TEST_F(MapleReader, MissingOrSurplusValuesAreReported)
{
    std::string out = load("GRID(0. .. 1.,0. .. 1.,Array(1..2,1..2,[[1,x],[3\n]]))");
    EXPECT_NE(out.find("2 of 4 grid values read"), std::string::npos) << out;
    ASSERT_EQ(dataSet.coordArray.size(), 4u);
    EXPECT_EQ(dataSet.coordArray[3].z, 0.0);  // never read, never normalised
    EXPECT_NEAR(dataSet.coordArray[1].z, -5, 1e-5);  // "x" stored as 0

    out = load("GRID(0. .. 1.,0. .. 1.,Array(1..1,1..2,[[1,2,3,\n4]]))");
    EXPECT_NE(out.find("holds 2 values beyond its 2 grid nodes"), std::string::npos) << out;
    expectValues(rawZ(1, 2), {1, 2});
}

TEST_F(MapleReader, DiagnosticsRepeatRawBoundsAndSkipNormalisedBounds)
{
    viewer.debugPrint = 1;
    const auto lines = splitLines(load(kExample));
    ASSERT_EQ(lines.size(), 2u + 9u);
    EXPECT_EQ(lines[2], "Before min = 0.000000 0.000000 0.000000");
    EXPECT_EQ(lines[3], "Before max = 1.000000 2.000000 2.000000");
    EXPECT_EQ(lines[4], lines[2]);
    EXPECT_EQ(lines[8], viewer.filename);
    EXPECT_EQ(lines[9].rfind("scaleFactor=", 0), 0u);
}

TEST_F(MapleReader, MalformedFilesKeepThePreviousSet)
{
    expectRefused("", "is empty");
    expectRefused("grid(0. .. 1.)\n", "no \"GRID(\"");
    expectRefused("GRID(0. .. 1.,0. .. 1.,Array(1..2,1..2,(1,2))\n", "line 1: the GRID has no \"[[\"");
    expectRefused("GRID(0..one,0..1,Array(1..2,1..2,[[1,2],[3,4]]))\n", "ranges of the GRID do not scan");
    expectRefused("GRID(0. .. 1.,0. .. 1.,Array(1 .. 2,1..2,[[1,2],[3,4]]))\n", "index ranges of the GRID");
    expectRefused("GRID(0. .. 1.,0. .. 1.,Array(3..1,1..2,[[1,2],[3,4]]))\n", "3..1,1..2 hold no grid node");
    expectRefused("GRID(0. .. 1.,0. .. 1.,Array(1..2,1..2,[[1,2],[3,4]\n", "ends before the closing");
    expectRefused("GRID(0. .. 1.,0. .. 1.,Array(1..100000,1..100000,[[1]]))\n", "too large");
    expectRefused("GRID(0. .. 1.,0. .. 1.,Array(1..10000,1..10000,[[1,2]]))\n", "promise 100000000 points");
}
