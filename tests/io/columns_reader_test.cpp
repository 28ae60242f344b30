// The columns reader on the tables that pandas, spreadsheets and gnuplot users write: values,
// sets, groups and bounds as read, and the report line of every kind of refused file.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io/columns_reader.h"
#include "tests/support/test_support.h"

namespace {

struct Loaded {
    std::string path;
    LoadResult result;
};

Loaded load(const TempFolder& dir, const std::string& text, const std::string& columns = "",
            const std::string& name = "table.csv")
{
    const std::string path = dir.write(name, text);
    ColumnsOptions options;
    options.columns = columns;
    return Loaded{path, readColumnsFile(DataFile{path.c_str(), path.c_str()}, options)};
}

std::string exact(double v)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

void expectPoint(const LoadResult& r, std::size_t k, double x, double y, double z)
{
    ASSERT_LT(k, r.data.coordArray.size());
    EXPECT_EQ(r.data.coordArray[k].x, x) << "point " << k;
    EXPECT_EQ(r.data.coordArray[k].y, y) << "point " << k;
    EXPECT_EQ(r.data.coordArray[k].z, z) << "point " << k;
}

// A refused load: nothing loaded, no data, exactly the given report line.
void expectRefused(const Loaded& l, const std::string& reason)
{
    EXPECT_FALSE(l.result.loaded);
    EXPECT_TRUE(l.result.data.coordArray.empty());
    EXPECT_EQ(l.result.error, "File " + l.path + ": " + reason);
}

struct Row {
    double x, y, z;
    int group;
};

std::vector<Row> randomRows(int count, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> value(-1e4, 1e4);
    std::vector<Row> rows;
    for (int k = 0; k < count; ++k) {
        rows.push_back(Row{value(rng), value(rng), value(rng), static_cast<int>(rng() % 5) - 1});
    }
    return rows;
}

}  // namespace

TEST(ColumnsRoundTrip, PandasStyleWithIndexColumnAndChosenColumns)
{
    // What DataFrame.to_csv writes: an unnamed index column first, full-precision values.
    TempFolder dir;
    const std::vector<Row> rows = randomRows(200, 1);
    std::string text = ",x,y,z,label\n";
    for (std::size_t k = 0; k < rows.size(); ++k) {
        text += std::to_string(k) + "," + exact(rows[k].x) + "," + exact(rows[k].y) + "," + exact(rows[k].z) + "," +
                std::to_string(rows[k].group) + "\n";
    }

    const Loaded named = load(dir, text, "x,y,z,label");
    ASSERT_TRUE(named.result.loaded) << named.result.error;
    EXPECT_EQ(named.result.data.fnTrf.nx, 1);
    EXPECT_EQ(named.result.data.fnTrf.pointsPerSet, 200);
    EXPECT_EQ(named.result.data.loadedFormat, 2);
    EXPECT_EQ(named.result.normaliseCount, 200u);
    EXPECT_TRUE(named.result.warnings.empty());
    ASSERT_EQ(named.result.data.groupArray.size(), 200u);
    Bounds expected;
    resetBounds(expected);
    for (std::size_t k = 0; k < rows.size(); ++k) {
        expectPoint(named.result, k, rows[k].x, rows[k].y, rows[k].z);
        EXPECT_EQ(named.result.data.groupArray[k], rows[k].group);
        includeInBounds(expected, Point3d{rows[k].x, rows[k].y, rows[k].z});
    }
    for (int a = 0; a < 3; ++a) {
        EXPECT_EQ(named.result.rawBounds.min[a], expected.min[a]);
        EXPECT_EQ(named.result.rawBounds.max[a], expected.max[a]);
    }

    // By number, in another order and without a group: the same values, plain data.
    const Loaded numbered = load(dir, text, "4,2,3");
    ASSERT_TRUE(numbered.result.loaded) << numbered.result.error;
    EXPECT_EQ(numbered.result.data.loadedFormat, 0);
    EXPECT_TRUE(numbered.result.data.groupArray.empty());
    expectPoint(numbered.result, 17, rows[17].z, rows[17].x, rows[17].y);

    // The index column is not special: by default it is x.
    const Loaded plain = load(dir, text);
    ASSERT_TRUE(plain.result.loaded) << plain.result.error;
    expectPoint(plain.result, 42, 42.0, rows[42].x, rows[42].y);
    EXPECT_EQ(plain.result.data.loadedFormat, 0) << "a fourth column of fractions is no group";
}

TEST(ColumnsRoundTrip, SpreadsheetStyleSemicolonsQuotesCrlfBomAndComments)
{
    TempFolder dir;
    const std::string text =
        "\xEF\xBB\xBF# exported from a sheet\r\n"
        "% units: metres\r\n"
        "\r\n"
        "\"Easting\";\"Northing\";\"Height\";\"Class\"\r\n"
        "1,5;2;-3,25;1\r\n"
        "4;5,5;6;2\r\n"
        "# a note between rows\r\n"
        "7;8;9;3\r\n";
    const Loaded l = load(dir, text);
    ASSERT_TRUE(l.result.loaded) << l.result.error;
    EXPECT_EQ(l.result.data.fnTrf.nx, 1);
    EXPECT_EQ(l.result.data.fnTrf.pointsPerSet, 3);
    expectPoint(l.result, 0, 1.5, 2.0, -3.25);
    expectPoint(l.result, 1, 4.0, 5.5, 6.0);
    expectPoint(l.result, 2, 7.0, 8.0, 9.0);
    EXPECT_EQ(l.result.data.groupArray, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(l.result.data.loadedFormat, 2);

    // Names are matched without regard to letter case, and may be given in quotes.
    const Loaded chosen = load(dir, text, "height,\"Easting\",NORTHING");
    ASSERT_TRUE(chosen.result.loaded) << chosen.result.error;
    expectPoint(chosen.result, 1, 6.0, 4.0, 5.5);

    // A comma CSV whose first column is text holding commas inside quotes, tab and ' quotes too.
    const Loaded names = load(dir,
                              "\"name, full\",x,y,z\r\n\"Paris, FR\",1,2,3\r\n'Rome, IT',4,5,6\r\n"
                              "\"Say \"\"hi\"\"\",7,8,9\r\n",
                              "x,y,z");
    ASSERT_TRUE(names.result.loaded) << names.result.error;
    expectPoint(names.result, 2, 7.0, 8.0, 9.0);
    const Loaded tabs = load(dir, "a\tb\tc\n1e3\t-2.5E-1\t+4\n0x10\t.5\t-0\n");
    ASSERT_TRUE(tabs.result.loaded) << tabs.result.error;
    expectPoint(tabs.result, 0, 1000.0, -0.25, 4.0);
    expectPoint(tabs.result, 1, 16.0, 0.5, 0.0);
}

TEST(ColumnsSets, BlankLinesPartSetsAndShortSetsArePaddedWithOneWarning)
{
    TempFolder dir;
    const std::string text =
        "\n\n# curves\n"
        "0 0 0 1\n1 0 0 1\n2 0 0 1\n"
        "\n\n\n"
        "0 1 0 2\n1 1 0 2\n"
        "\n# third\n\n"
        "0 2 0 3\n1 2 0 3\n2 2 5 3\n"
        "\n\n";
    const Loaded l = load(dir, text);
    ASSERT_TRUE(l.result.loaded) << l.result.error;
    EXPECT_EQ(l.result.data.fnTrf.nx, 3);
    EXPECT_EQ(l.result.data.fnTrf.pointsPerSet, 3);
    EXPECT_EQ(l.result.normaliseCount, 9u);
    expectPoint(l.result, 4, 1.0, 1.0, 0.0);
    expectPoint(l.result, 5, 1.0, 1.0, 0.0);  // the padding repeats the set's last point
    expectPoint(l.result, 8, 2.0, 2.0, 5.0);
    EXPECT_EQ(l.result.data.groupArray, (std::vector<int>{1, 1, 1, 2, 2, 2, 3, 3, 3}));
    ASSERT_EQ(l.result.warnings.size(), 1u);
    EXPECT_EQ(l.result.warnings[0], "File " + l.path +
                                        ": sets have 2 to 3 points; 1 shorter set is padded to 3 points by "
                                        "repeating its last point");

    const Loaded two = load(dir, "0 0 0\n\n1 1 1\n2 2 2\n3 3 3\n\n4 4 4\n5 5 5\n");
    ASSERT_TRUE(two.result.loaded) << two.result.error;
    EXPECT_EQ(two.result.data.fnTrf.nx, 3);
    expectPoint(two.result, 2, 0.0, 0.0, 0.0);
    expectPoint(two.result, 8, 5.0, 5.0, 5.0);
    ASSERT_EQ(two.result.warnings.size(), 1u);
    EXPECT_NE(two.result.warnings[0].find("1 to 3 points; 2 shorter sets are padded to 3 points by repeating their"),
              std::string::npos)
        << two.result.warnings[0];

    const Loaded even = load(dir, "0 0 0\n1 1 1\n\n2 2 2\n3 3 3\n");
    ASSERT_TRUE(even.result.loaded) << even.result.error;
    EXPECT_EQ(even.result.data.fnTrf.nx, 2);
    EXPECT_TRUE(even.result.warnings.empty());
}

TEST(ColumnsRefused, ShortRaggedAndNonNumericRowsNameTheirLine)
{
    TempFolder dir;
    expectRefused(load(dir, "x,y,z\n1,2,3\n4,5,6\n7,8\n"), "line 4: expected 3 numbers, found 2");
    expectRefused(load(dir, "1 2 3\n4 5 6\n7 8 9 10\n"), "line 3: 4 fields where line 1 has 3");
    expectRefused(load(dir, "# c\nx y z\n1 2 3\n4 abc 6\n"), "line 4: column 2 (\"y\") is not a number: \"abc\"");
    expectRefused(load(dir, "1,2,3\n4,,6\n"), "line 2: column 2 is not a number: \"\"");
    expectRefused(load(dir, "1 2 3 1\n4 5 6 2\n7 8 9\n"), "line 3: expected 4 numbers, found 3");
    expectRefused(load(dir, "x,y,z,g\n1,2,3,1\n4,5,6,1.5\n", "x,y,z,g"),
                  "line 3: group \"1.5\" in column 4 is not a whole number");
    expectRefused(load(dir, "x,y,z,g\n1,2,3,1\n4,5,6,99999999999\n", "1,2,3,4"),
                  "line 3: group \"99999999999\" in column 4 is not a whole number");
    expectRefused(load(dir, "a,b,c,d\n1,2,3,4\n5,6,7\n", "a,b,d"), "line 3: expected 4 fields, found 3");
    // Whole numbers in the fourth column of the first rows make it the group column; a fraction
    // further down is then refused, not read as a colour.
    std::string groups;
    for (int k = 0; k < 25; ++k) {
        groups += "1 2 3 " + std::to_string(k % 3) + "\n";
    }
    expectRefused(load(dir, groups + "1 2 3 0.5\n"), "line 26: group \"0.5\" in column 4 is not a whole number");
    expectRefused(load(dir, "name,x,y,z\n\"open,1,2,3\n"), "line 2: a quoted field is not closed");
}

TEST(ColumnsRefused, ColumnChoicesThatNameNoColumn)
{
    TempFolder dir;
    const std::string table = "id,x,y,z\n1,2,3,4\n";
    expectRefused(load(dir, table, "x,y,height"),
                  "no column is named \"height\"; the header names \"id\", \"x\", \"y\", \"z\"");
    expectRefused(load(dir, table, "0,1,2"), "there is no column 0; columns are numbered from 1");
    expectRefused(load(dir, table, "x,y"), "the column choice \"x,y\" needs 3 entries (x,y,z) or 4 (x,y,z,group)");
    expectRefused(load(dir, table, "1,2,3,4,1"),
                  "the column choice \"1,2,3,4,1\" needs 3 entries (x,y,z) or 4 (x,y,z,group)");
    expectRefused(load(dir, table, "x,,z"), "the column choice \"x,,z\" has an empty entry");
    expectRefused(load(dir, "1 2 3\n", "x,y,z"),
                  "column \"x\" is chosen by name, but the file has no header line of names");
    expectRefused(load(dir, table, "2,3,9"), "line 2: expected 9 fields, found 4");
}

TEST(ColumnsRefused, FilesWithoutRows)
{
    TempFolder dir;
    expectRefused(load(dir, "x,y,z\n\n# nothing\n"), "has a header line but no data rows");
    expectRefused(load(dir, "# only\n\n% comments\n"), "holds no data rows, only blank and comment lines");
    // Opening is shared with every reader, and so are its words.
    const Loaded empty = load(dir, "");
    EXPECT_FALSE(empty.result.loaded);
    EXPECT_EQ(empty.result.error, "File " + empty.path + " is empty; nothing is loaded");
    const std::string missing = dir.path("missing.csv");
    const LoadResult r = readColumnsFile(DataFile{missing.c_str(), missing.c_str()}, ColumnsOptions{});
    EXPECT_FALSE(r.loaded);
    EXPECT_EQ(r.error, "File " + missing + " does not exist");
}

TEST(ColumnsValues, NonFiniteValuesLoadButTakeNoPartInTheBounds)
{
    TempFolder dir;
    const Loaded l = load(dir, "x y z\n1 2 3\ninf 5 nan\n-2 -inf 4\nNaN Infinity -1e-3\n");
    ASSERT_TRUE(l.result.loaded) << l.result.error;
    EXPECT_TRUE(std::isinf(l.result.data.coordArray[1].x));
    EXPECT_TRUE(std::isnan(l.result.data.coordArray[1].z));
    const Bounds& b = l.result.rawBounds;
    EXPECT_EQ(b.min[0], -2.0);
    EXPECT_EQ(b.max[0], 1.0);
    EXPECT_EQ(b.min[1], 2.0);
    EXPECT_EQ(b.max[1], 5.0);
    EXPECT_EQ(b.min[2], -1e-3);
    EXPECT_EQ(b.max[2], 4.0);
}

TEST(ColumnsValues, ControlCharactersInAReportStayOnOneLine)
{
    TempFolder dir;
    const Loaded l = load(dir, "1 2 3\n4 \x1b[31m 6\n");
    ASSERT_FALSE(l.result.loaded);
    EXPECT_EQ(l.result.error.find('\x1b'), std::string::npos) << l.result.error;
    EXPECT_NE(l.result.error.find("line 2: column 2 is not a number"), std::string::npos) << l.result.error;
}

TEST(ColumnsValues, EveryWayOfWritingANumberReadsAsStrtodReadsIt)
{
    // Rows in the common plain form are read on a quicker path than the rest; mixing the forms
    // row by row checks that both give strtod's value.
    TempFolder dir;
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> value(-5e3, 5e3);
    const char* const forms[] = {"%.6f", "%.17g", "%.3e", "%+.2f", "%.0f", "%.12f"};
    for (const char* separator : {" ", ",", "\t", " ; "}) {
        std::string text;
        std::vector<double> expected;
        for (int row = 0; row < 300; ++row) {
            for (int column = 0; column < 3; ++column) {
                char number[64];
                std::snprintf(number, sizeof number, forms[rng() % 6], value(rng));
                expected.push_back(std::strtod(number, nullptr));
                text += (column > 0 ? separator : (rng() % 4 == 0 ? "  " : "")) + std::string(number);
            }
            text += rng() % 3 == 0 ? "\r\n" : "\n";
        }
        const Loaded l = load(dir, text);
        ASSERT_TRUE(l.result.loaded) << l.result.error;
        ASSERT_EQ(l.result.data.coordArray.size(), 300u);
        for (std::size_t k = 0; k < 300; ++k) {
            expectPoint(l.result, k, expected[3 * k], expected[3 * k + 1], expected[3 * k + 2]);
        }
    }
}
