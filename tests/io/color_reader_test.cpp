// The "Data with Color" reader: the worked example, its diagnostics, integer groups scanned
// as "%d" scans them, and a short file.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/viewer_state.h"
#include "core/data_set.h"
#include "tests/support/test_support.h"

namespace {

class ColorReader : public ::testing::Test {
protected:
    void SetUp() override { resetDataInput(); }

    std::string load(const std::string& content)
    {
        const std::string path = dir.write("cloud.cdat", content);
        return captureStdout([&] { readColorDataFile(path.c_str()); });
    }

    TempFolder dir;
};

}  // namespace

TEST_F(ColorReader, ExampleLoadsWithGroups)
{
    load("1 3\n0 0 0 0\n1 2 0 1\n2 1 0 1\n");
    ASSERT_EQ(dataSet.coordArray.size(), 3u);
    const Point3d expected[] = {{-5, -5, -5}, {0, 5, -5}, {5, 0, -5}};
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(dataSet.coordArray[k].x, expected[k].x, 1e-5);
        EXPECT_NEAR(dataSet.coordArray[k].y, expected[k].y, 1e-5);
        EXPECT_NEAR(dataSet.coordArray[k].z, expected[k].z, 1e-5);
    }
    EXPECT_NEAR(dataSet.tz, 5, 1e-5);
    EXPECT_EQ(dataSet.groupArray, (std::vector<int>{0, 1, 1}));
    EXPECT_EQ(dataSet.loadedFormat, 2);

    // A later plain load leaves the groups in place; loadedFormat keeps the drawing off them.
    const std::string plain = dir.write("plain.dat", "1 1\n1 1 1\n");
    captureStdout([&] { readDataFile(plain.c_str()); });
    EXPECT_EQ(dataSet.groupArray, (std::vector<int>{0, 1, 1}));
    EXPECT_EQ(dataSet.loadedFormat, 0);
}

TEST_F(ColorReader, DiagnosticsRepeatRawBoundsAndSkipNormalisedBounds)
{
    viewer.debugPrint = 1;
    const auto lines = splitLines(load("1 2\n0 0 0 3\n1 1 1 4\n"));
    std::vector<std::string> heads;
    for (std::size_t k = 4; k < lines.size(); ++k) {
        heads.push_back(lines[k].substr(0, lines[k].find_first_of("=:")));
    }
    const std::vector<std::string> expected = {"Before min ", "Before max ", "Before min ", "Before max ",
                                               "Before scaleFactor", "axis_data ", viewer.filename,
                                               "scaleFactor", "translate"};
    EXPECT_EQ(heads, expected);
}

TEST_F(ColorReader, AGroupThatIsNoWholeNumberIsWarnedOfAndShiftsNothing)
{
    const auto lines = splitLines(load("1 4\n0 0 0 -3\n1 1 1 2.5\n2 2 2 7\n3 3 3 1e20\n"));
    EXPECT_EQ(dataSet.groupArray, (std::vector<int>{-3, 2, 7, 2147483647}));
    ASSERT_EQ(dataSet.coordArray.size(), 4u);
    EXPECT_NEAR(dataSet.coordArray[2].x, -5 + 10 * 2 / 3.0, 1e-5);  // (2,2,2): nothing shifted
    EXPECT_NEAR(dataSet.coordArray[3].z, 5, 1e-5);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_NE(lines[4].find(": line 3: group \"2.5\" is not a whole number; it is taken as 2 (and 1 more"),
              std::string::npos)
        << lines[4];
}

TEST_F(ColorReader, ShortFileWarnsAndLeavesGroupZero)
{
    const auto lines = splitLines(load("2 2\n1 1 1 5\n2 2 2 6\n3 3 3\n"));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_NE(lines[4].find("2 of 4 points read"), std::string::npos) << lines[4];
    EXPECT_EQ(dataSet.groupArray, (std::vector<int>{5, 6, 0, 0}));
}
