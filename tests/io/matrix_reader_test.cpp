// The matrix reader: rows of heights become a surface over column (x) and row (y) indices,
// whatever the separators, line ends and comments; uneven rows are refused by line.
#include <string>

#include <gtest/gtest.h>

#include "io/matrix_reader.h"
#include "tests/support/test_support.h"

namespace {

struct Loaded {
    std::string path;
    LoadResult result;
};

Loaded load(const TempFolder& dir, const std::string& text)
{
    const std::string path = dir.write("heights.txt", text);
    return Loaded{path, readMatrixFile(DataFile{path.c_str(), path.c_str()})};
}

void expectRefused(const Loaded& l, const std::string& reason)
{
    EXPECT_FALSE(l.result.loaded);
    EXPECT_TRUE(l.result.data.coordArray.empty());
    EXPECT_EQ(l.result.error, "File " + l.path + ": " + reason);
}

// The 3 x 4 matrix every spelling below writes: row r, column c holds 10 r + c - 0.5.
void expectThreeByFour(const Loaded& l)
{
    ASSERT_TRUE(l.result.loaded) << l.result.error;
    EXPECT_EQ(l.result.data.fnTrf.nx, 3);
    EXPECT_EQ(l.result.data.fnTrf.pointsPerSet, 4);
    EXPECT_EQ(l.result.data.loadedFormat, 0);
    EXPECT_TRUE(l.result.data.groupArray.empty());
    EXPECT_EQ(l.result.normaliseCount, 12u);
    ASSERT_EQ(l.result.data.coordArray.size(), 12u);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c) {
            const Point3d& p = l.result.data.coordArray[static_cast<std::size_t>(r * 4 + c)];
            EXPECT_EQ(p.x, c);
            EXPECT_EQ(p.y, r);
            EXPECT_EQ(p.z, 10.0 * r + c - 0.5) << "row " << r << " column " << c;
        }
    }
    const Bounds& b = l.result.rawBounds;
    EXPECT_EQ(b.min[0], 0.0);
    EXPECT_EQ(b.max[0], 3.0);
    EXPECT_EQ(b.min[1], 0.0);
    EXPECT_EQ(b.max[1], 2.0);
    EXPECT_EQ(b.min[2], -0.5);
    EXPECT_EQ(b.max[2], 22.5);
}

}  // namespace

TEST(MatrixReader, BlankAndCommaSeparatedRowsGiveTheSameSurface)
{
    TempFolder dir;
    expectThreeByFour(load(dir, "-0.5 0.5 1.5 2.5\n9.5\t10.5  11.5 12.5\n19.5 20.5 21.5 22.5\n"));
    expectThreeByFour(load(dir, "\xEF\xBB\xBF# heights\r\n-0.5,0.5,1.5,2.5\r\n% more\r\n9.5, 10.5 ,11.5,12.5\r\n"
                                "\r\n1.95e1,20.5,21.5,+22.5\r\n"));
    expectThreeByFour(load(dir, "-.5 .5 1.5 2.5\n9.5 10.5 11.5 12.5\n19.5 20.5 21.5 22.5"));
}

TEST(MatrixReader, RaggedRowsAndBadValuesNameTheirLine)
{
    TempFolder dir;
    expectRefused(load(dir, "# h\n1 2 3 4\n5 6 7 8\n9 10 11\n"), "line 4: 3 values where line 2 has 4");
    expectRefused(load(dir, "1,2,3\n4,5,6,7,8\n"), "line 2: 5 values where line 1 has 3");
    expectRefused(load(dir, "1 2 3\n4 x 6\n"), "line 2: value 2 is not a number: \"x\"");
    expectRefused(load(dir, "1,2,3\n4,,6\n"), "line 2: value 2 is empty (two commas in a row)");
    expectRefused(load(dir, "1,2,3\n4,5,6,\n"), "line 2: the row ends with a comma after value 3");
    expectRefused(load(dir, "# nothing\n\n"), "holds no rows of values");
    expectRefused(load(dir, "\n , ,\n1 2\n"), "line 2: holds commas but no values");
}
