// Maple GRIDs as other programs write them: long lines (whose "[[" or "]]" used to fall across
// the reader's 100th character), sizes given by the lists, one value per line, the PLOT3D and
// INTERFACE_PLOT3D wrappers; rows of unequal length refused with their number.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/viewer_state.h"
#include "core/data_set.h"
#include "io/data_loader.h"
#include "io/maple_reader.h"
#include "tests/support/test_support.h"

namespace {

// The worked example of a 2 x 3 grid over x 0..1 and y 0..2: z = x + y / 2... as written by hand.
const char* const kArrayExample = "GRID(0. .. 1.,0. .. 2.,Array(1..2,1..3,[[0.,.5,1.],[1.,1.5,2.]]))\n";

LoadResult readGrid(const TempFolder& dir, const std::string& text)
{
    const std::string path = dir.write("grid.mpl", text);
    return readMapleFile(DataFile{path.c_str(), "grid.mpl"});
}

void expectSameGrid(const LoadResult& got, const LoadResult& expected)
{
    ASSERT_TRUE(got.loaded) << got.error;
    ASSERT_TRUE(expected.loaded) << expected.error;
    EXPECT_TRUE(got.warnings.empty()) << got.warnings.front();
    EXPECT_EQ(got.data.fnTrf.nx, expected.data.fnTrf.nx);
    EXPECT_EQ(got.data.fnTrf.pointsPerSet, expected.data.fnTrf.pointsPerSet);
    ASSERT_EQ(got.data.coordArray.size(), expected.data.coordArray.size());
    for (std::size_t k = 0; k < got.data.coordArray.size(); ++k) {
        EXPECT_EQ(got.data.coordArray[k].x, expected.data.coordArray[k].x) << k;
        EXPECT_EQ(got.data.coordArray[k].y, expected.data.coordArray[k].y) << k;
        EXPECT_EQ(got.data.coordArray[k].z, expected.data.coordArray[k].z) << k;
    }
    for (int a = 0; a < 3; ++a) {
        EXPECT_EQ(got.rawBounds.min[a], expected.rawBounds.min[a]);
        EXPECT_EQ(got.rawBounds.max[a], expected.rawBounds.max[a]);
    }
}

// A one-line grid of 1 x n values padded in front so that marker (its "[[" or "]]") starts at
// character at (counted from 1) of the line.
std::string lineWithMarkerAt(const std::string& marker, std::size_t at, int n, std::string& values)
{
    values.clear();
    for (int k = 0; k < n; ++k) {
        values += (k ? "," : "") + std::to_string(k) + ".25";
    }
    const std::string head = "GRID(0. .. 1.,0. .. 1.,Array(1..1,1.." + std::to_string(n) + ",";
    const std::string tail = "]]))\n";
    if (marker == "[[") {
        return std::string(at - 1 - head.size(), ' ') + head + "[[" + values + tail;
    }
    std::string body = head + "[[" + values;
    return std::string(at - 1 - body.size(), ' ') + body + tail;
}

}  // namespace

TEST(MapleForms, MarkersAcrossTheHundredthCharacterRead)
{
    TempFolder dir;
    std::string values;
    for (const std::string marker : {"[[", "]]"}) {
        for (std::size_t at = 98; at <= 101; ++at) {
            SCOPED_TRACE(marker + " at " + std::to_string(at));
            const std::string text = lineWithMarkerAt(marker, at, 10, values);
            ASSERT_EQ(text.find(marker), at - 1);
            const LoadResult r = readGrid(dir, text);
            ASSERT_TRUE(r.loaded) << r.error;
            EXPECT_TRUE(r.warnings.empty());
            ASSERT_EQ(r.data.coordArray.size(), 10u);
            EXPECT_EQ(r.data.coordArray[9].z, 9.25);
        }
    }
    // And a line of about a megabyte.
    lineWithMarkerAt("[[", 100, 100000, values);
    const LoadResult r = readGrid(dir, "GRID(0. .. 1.,0. .. 1.,Array(1..1,1..100000,[[" + values + "]]))\n");
    ASSERT_TRUE(r.loaded) << r.error;
    EXPECT_EQ(r.data.coordArray.back().z, 99999.25);
}

TEST(MapleForms, ListsGiveTheSizesInEveryLayout)
{
    TempFolder dir;
    const LoadResult expected = readGrid(dir, kArrayExample);
    const char* const forms[] = {
        // One value per line, values by ",\n", rows by "],\n[", ranges without blanks.
        ("PLOT3D(GRID(0.000000..1.000000,0.000000..2.000000,[[\n0.000000,\n0.500000,\n1.000000],\n[1.000000,\n"
         "1.500000,\n2.000000]]));\n"),
        "INTERFACE_PLOT3D(GRID(0.0..1.0,0.0..2.0,[[0,0.5,1],[1,1.5,2]]),STYLE(PATCHNOGRID))\n",
        "PLOT3D(GRID(0..1,0..2,[[0,0.5,1],[1,1.5,2]]))\n",
        "GRID(0. .. 1.,0. .. 2.,[[0.,.5,1.],\r\n  [1.,1.5,2.]])\r\n",
        // Lines continued with a backslash, a number broken across two of them.
        "PLOT3D(GRID(0.0..1.0,0.0..2.0,[[0,0.\\\n5,1],[1,1.5,2]]))\n"};
    for (const char* form : forms) {
        SCOPED_TRACE(form);
        expectSameGrid(readGrid(dir, form), expected);
    }
}

TEST(MapleForms, ArrayGridsReadAsBefore)
{
    // Fewer and more values than the index ranges promise: the first keep the origin, the
    // others are ignored, each with its warning, as the reader has always done.
    TempFolder dir;
    const LoadResult fewer = readGrid(dir, "GRID(0. .. 1.,0. .. 1.,Array(1..2,1..2,[[1,2],[3]]))\n");
    ASSERT_TRUE(fewer.loaded);
    EXPECT_EQ(fewer.normaliseCount, 3u);
    ASSERT_EQ(fewer.warnings.size(), 1u);
    EXPECT_NE(fewer.warnings[0].find("3 of 4 grid values read"), std::string::npos);
    const LoadResult more = readGrid(dir, "GRID(0. .. 1.,0. .. 1.,Array(1..2,1..2,[[1,2,3],[4,5]]))\n");
    ASSERT_EQ(more.warnings.size(), 1u);
    EXPECT_NE(more.warnings[0].find("1 values beyond its 4 grid nodes"), std::string::npos);
    EXPECT_EQ(more.data.coordArray[2].z, 3.0);  // values fill the nodes in order, whatever the brackets
}

TEST(MapleForms, NodesSpanTheDeclaredRangesWhateverTheFirstIndex)
{
    // Index ranges from 0 used to put the first row of nodes one step before the declared x
    // range, outside the cube once normalised.
    TempFolder dir;
    const LoadResult expected = readGrid(dir, kArrayExample);
    expectSameGrid(readGrid(dir, "GRID(0. .. 1.,0. .. 2.,Array(0..1,-2..0,[[0.,.5,1.],[1.,1.5,2.]]))\n"), expected);
    // And ranges as wide as doubles go.
    const LoadResult wide =
        readGrid(dir, "GRID(-1.5e308 .. 1.5e308,0. .. 1.,Array(1..3,1..1,[[1],[2],[3]]))\n");
    ASSERT_TRUE(wide.loaded);
    EXPECT_EQ(wide.data.coordArray[0].x, -1.5e308);
    EXPECT_EQ(wide.data.coordArray[1].x, 0.0);
    EXPECT_EQ(wide.data.coordArray[2].x, 1.5e308);
}

TEST(MapleForms, RowsOfUnequalLengthAreRefusedWithTheirNumber)
{
    TempFolder dir;
    struct Case {
        const char* text;
        const char* line;
    };
    const Case cases[] = {
        {"PLOT3D(GRID(0..1,0..1,[[\n1,\n2],\n[3,\n4],\n[5]]))\n",
         "File grid.mpl: line 6: row 3 has 1 values where row 1 has 2; nothing is loaded"},
        {"GRID(0. .. 1.,0. .. 1.,[[1,2],[]])\n", "File grid.mpl: line 1: row 2 holds no values; nothing is loaded"},
        {"GRID(0. .. 1.,0. .. 1.,[[1,2],7,[3,4]])\n",
         "File grid.mpl: line 1: a value outside the brackets of the rows, after row 1; nothing is loaded"},
        {"GRID(0. .. 1.,0. .. 1.,[[1,[2]])\n", "File grid.mpl: line 1: row 1: a \"[\" inside a row; nothing is loaded"},
        {"\n\nGRID(0..1,0..1,\\\n[[1,2\\\n,3],\n[4,5]])\n",
         "File grid.mpl: line 6: row 2 has 2 values where row 1 has 3; nothing is loaded"},
    };
    for (const Case& c : cases) {
        const LoadResult r = readGrid(dir, c.text);
        EXPECT_FALSE(r.loaded);
        EXPECT_EQ(r.error, c.line);
    }

    // Through the viewer's load, the data set shown stays.
    resetDataInput();
    const std::string good = dir.write("good.mpl", kArrayExample);
    captureStdout([&] { readMapleFile(good.c_str()); });
    const unsigned long generation = dataSet.generation;
    const std::string bad = dir.write("bad.mpl", cases[0].text);
    const std::string out = captureStdout([&] { readMapleFile(bad.c_str()); });
    EXPECT_NE(out.find("row 3 has 1 values where row 1 has 2"), std::string::npos) << out;
    EXPECT_EQ(dataSet.generation, generation);
    EXPECT_EQ(dataSet.coordArray.size(), 6u);
}
