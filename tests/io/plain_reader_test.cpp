// The "Data" reader: the worked example, its load report, short and broken files, and the
// refusals that keep the previous data set whole.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/viewer_state.h"
#include "core/data_set.h"
#include "io/data_loader.h"
#include "tests/support/test_support.h"

namespace {

const char* const kExample = "2 3\n0 0 0\n1 1 0\n2 4 0\n0 0 1\n1 2 1\n2 3 1\n";

class PlainReader : public ::testing::Test {
protected:
    void SetUp() override { resetDataInput(); }

    std::string load(const std::string& content)
    {
        const std::string path = dir.write("data.dat", content);
        return captureStdout([&] { readDataFile(path.c_str()); });
    }

    // Loads the example, then content, and checks that the example is still held whole.
    void expectRefusedKeepingExample(const std::string& content, const std::string& lastLine)
    {
        load(kExample);
        const std::vector<Point3d> before = dataSet.coordArray;
        const unsigned long generation = dataSet.generation;
        const auto lines = splitLines(load(content));
        ASSERT_FALSE(lines.empty());
        EXPECT_NE(lines.back().find(lastLine), std::string::npos) << lines.back();
        EXPECT_EQ(dataSet.fnTrf.nx, 2);
        EXPECT_EQ(dataSet.fnTrf.pointsPerSet, 3);
        ASSERT_EQ(dataSet.coordArray.size(), before.size());
        EXPECT_EQ(dataSet.coordArray[5].y, before[5].y);
        EXPECT_EQ(dataSet.generation, generation);
    }

    TempFolder dir;
};

std::vector<double> column(char axis)
{
    std::vector<double> v;
    for (const Point3d& p : dataSet.coordArray) {
        v.push_back(axis == 'x' ? p.x : axis == 'y' ? p.y : p.z);
    }
    return v;
}

void expectNear(const std::vector<double>& actual, const std::vector<double>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t k = 0; k < actual.size(); ++k) {
        EXPECT_NEAR(actual[k], expected[k], 1e-5) << "element " << k;
    }
}

}  // namespace

TEST_F(PlainReader, ExampleLoadsWithAFourLineReport)
{
    dataSet.groupArray = {7, 8};
    const std::string out = load(kExample);
    const std::string path = dir.path("data.dat");
    EXPECT_EQ(out, "\nfilename = " + path + "\nfnTrf.nx = 2 points per set = 3\n" +
                       "scale = 1.000000 segments = 8 thickness = 0.020000\n");
    expectNear(column('x'), {-5, 0, 5, -5, 0, 5});
    expectNear(column('y'), {-5, -2.5, 5, -5, 0, 2.5});
    expectNear(column('z'), {-5, -5, -5, 5, 5, 5});
    EXPECT_NEAR(dataSet.tx, 0, 1e-5);
    EXPECT_EQ(dataSet.loadedFormat, 0);
    EXPECT_EQ(dataSet.generation, 1u);
    EXPECT_EQ(dataSet.groupArray, (std::vector<int>{7, 8}));  // left for the coloured reader's loads
}

TEST_F(PlainReader, DiagnosticsShowAllFourGroups)
{
    viewer.debugPrint = 1;
    const auto lines = splitLines(load(kExample));
    ASSERT_EQ(lines.size(), 4u + 9u);
    EXPECT_EQ(lines[4].rfind("Before min", 0), 0u);
    EXPECT_EQ(lines[8].rfind("After min", 0), 0u);
    EXPECT_EQ(lines[12].rfind("translate:", 0), 0u);
}

TEST_F(PlainReader, ShortFileKeepsZerosAndWarns)
{
    // 3 sets of 4 points announced, 10 given: the last two stay at the origin and count in the bounds
    // (the file could hold 12: a short file is padded, only a promise far beyond it is refused).
    std::string content = "3 4\n";
    for (int k = 1; k <= 10; ++k) {
        content += std::to_string(k) + " " + std::to_string(k) + " " + std::to_string(k) + "\n";
    }
    const auto lines = splitLines(load(content));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_NE(lines[4].find("10 of 12 points read"), std::string::npos) << lines[4];
    ASSERT_EQ(dataSet.coordArray.size(), 12u);
    EXPECT_NEAR(dataSet.coordArray[11].x, -5, 1e-5);  // 0 is the smallest x
    EXPECT_NEAR(dataSet.coordArray[9].x, 5, 1e-5);
}

TEST_F(PlainReader, ScanningStopsAtTheFirstTextThatIsNotANumber)
{
    load("1 4\n1 2 3\n4 5 oops\n7 8 9\n10 11 12\n");
    ASSERT_EQ(dataSet.coordArray.size(), 4u);
    // Raw values: (1,2,3), (4,5,0), then nothing more: (0,0,0) twice.
    expectNear(column('x'), {-5 + 10 * 1 / 4.0, 5, -5, -5});
    expectNear(column('z'), {5, -5, -5, -5});
}

TEST_F(PlainReader, HeaderIsReadWholeAndLayoutIsFree)
{
    const std::string longHeader = "1 2" + std::string(100, ' ') + "99 99 99 trailing words\n";
    load(longHeader + "0 0\n0\n\t10 20 30");
    expectNear(column('x'), {-5, 5});
    expectNear(column('z'), {-5, 5});
}

TEST_F(PlainReader, HeaderLackingADimensionIsRefusedWhateverWasLoadedBefore)
{
    const auto refusal = [&](const std::string& content) {
        const std::string path = dir.write("header.dat", content);
        return readDataFileAs(DataFile{path.c_str(), "header.dat"}, DataFormat::Plain).error;
    };
    EXPECT_EQ(refusal("4\n"),
              "File header.dat: line 1: the header gives the number of sets, 4, but no number of points per set");
    EXPECT_EQ(refusal("4 x\n1 1 1\n"),
              "File header.dat: line 1: the header's number of points per set is not a whole number: \"x\"");
    EXPECT_EQ(refusal("\n\n4\n\n1.5\n1 1 1\n"),
              "File header.dat: line 5: the header's number of points per set is not a whole number: \"1.5\"");
    // Through the viewer's load the example stays, whatever line explains the refusal.
    expectRefusedKeepingExample("4 x\n1 1 1\n", "data.dat");
}

TEST_F(PlainReader, ZeroDimensionsGiveAnEmptySet)
{
    load(kExample);
    load("0 5\n1 2 3\n");
    EXPECT_TRUE(dataSet.coordArray.empty());
    EXPECT_EQ(dataSet.fnTrf.nx, 0);
    EXPECT_EQ(dataSet.scaleFactor, 1.0f);
    EXPECT_EQ(dataSet.tx, 0.0f);
}

TEST_F(PlainReader, BadDimensionsAreRefusedAndThePreviousSetStays)
{
    expectRefusedKeepingExample("-2 3\n1 2 3\n", "-2 x 3 are negative");
    expectRefusedKeepingExample("70000 70000\n", "70000 x 70000 are too large");
    expectRefusedKeepingExample("1 2000000000\n", "line 1: dimensions 1 x 2000000000 promise 2000000000 points");
    expectRefusedKeepingExample("4294967297 3\n1 2 3\n", "line 1: the header's number of sets, 4294967297, is too large");
    expectRefusedKeepingExample("1\n99999999999999999999\n1 2 3\n",
                                "line 2: the header's number of points per set, 99999999999999999999, is too large");
}

TEST_F(PlainReader, MissingAndEmptyFilesChangeNothing)
{
    expectRefusedKeepingExample("", "is empty");
    load(kExample);
    const std::string missing = dir.path("nowhere.dat");
    const std::string out = captureStdout([&] { readDataFile(missing.c_str()); });
    EXPECT_EQ(out, "\nfilename = " + missing + "\nFile " + missing + " does not exist\n");
    const std::string folder = dir.path("");
    EXPECT_NE(captureStdout([&] { readDataFile(folder.c_str()); }).find("is a folder"), std::string::npos);
    EXPECT_EQ(dataSet.coordArray.size(), 6u);
}

TEST_F(PlainReader, PlainFileReadAsColouredTakesOneNumberTooMany)
{
    const std::string path = dir.write("plain.dat", kExample);
    captureStdout([&] { readColorDataFile(path.c_str()); });
    ASSERT_EQ(dataSet.groupArray.size(), 6u);
    // Point 0 is (0,0,0) in group 1 (the first number of the second line); point 1 is (1,0,2) in group 4.
    EXPECT_EQ(dataSet.groupArray[0], 1);
    EXPECT_EQ(dataSet.groupArray[1], 4);
    EXPECT_EQ(dataSet.loadedFormat, 2);
}
