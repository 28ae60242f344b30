// Format detection on every bundled sample, on files whose name says another format, and on
// the near misses between the formats; the words that name the formats.
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "io/format_detect.h"
#include "tests/support/test_support.h"

namespace {

std::string sampleText(const std::string& name)
{
    std::ifstream in(std::string(ORVELLE_SOURCE_DIR) + "/samples/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

DataFormat detect(const std::string& text)
{
    return detectFormat(text.data(), text.size());
}

}  // namespace

TEST(FormatDetect, EveryBundledSample)
{
    const struct {
        const char* name;
        DataFormat format;
    } samples[] = {{"curves.dat", DataFormat::Plain},     {"helices.dat", DataFormat::Plain},
                   {"surface.dat", DataFormat::Plain},    {"clusters.cdat", DataFormat::Colored},
                   {"shells.cdat", DataFormat::Colored},  {"ripple.mpl", DataFormat::Maple},
                   {"saddle.mpl", DataFormat::Maple},     {"stations.csv", DataFormat::Columns},
                   {"heightmap.txt", DataFormat::Matrix}, {"crater.npy", DataFormat::Npy},
                   {"torus.ply", DataFormat::Ply},        {"flowers.csv.gz", DataFormat::Columns}};
    for (const auto& s : samples) {
        const std::string path = std::string(ORVELLE_SOURCE_DIR) + "/samples/" + s.name;
        const std::optional<DataFormat> found = detectFileFormat(path.c_str());
        ASSERT_TRUE(found.has_value()) << s.name;
        EXPECT_EQ(formatWord(*found), std::string(formatWord(s.format))) << s.name;
    }
}

TEST(FormatDetect, ContentNotTheFileNameDecides)
{
    TempFolder dir;
    const struct {
        const char* sample;
        const char* wrongName;
        DataFormat format;
    } cases[] = {{"clusters.cdat", "clusters.txt", DataFormat::Colored},
                 {"heightmap.txt", "heightmap.csv", DataFormat::Matrix},
                 {"stations.csv", "stations.dat", DataFormat::Columns},
                 {"saddle.mpl", "saddle.csv", DataFormat::Maple},
                 {"curves.dat", "curves.cdat", DataFormat::Plain}};
    for (const auto& c : cases) {
        const std::string path = dir.write(c.wrongName, sampleText(c.sample));
        const std::optional<DataFormat> found = detectFileFormat(path.c_str());
        ASSERT_TRUE(found.has_value()) << c.wrongName;
        EXPECT_EQ(formatWord(*found), std::string(formatWord(c.format))) << c.wrongName;
    }
    EXPECT_FALSE(detectFileFormat(dir.path("absent.dat").c_str()).has_value());
}

TEST(FormatDetect, NearMissesBetweenTheFormats)
{
    const struct {
        const char* text;
        DataFormat format;
    } cases[] = {
        {"PLOT3D(GRID(0..1,0..1,Array(1..2,1..2,[[1,2],[3,4]])))", DataFormat::Maple},
        {"\xEF\xBB\xBF  INTERFACE_PLOT3D( GRID(0..1,0..1,[[1]]))", DataFormat::Maple},
        {"2 2\n0 0 0\n1 1 1\n2 2 2\n3 3 3\n", DataFormat::Plain},
        {"1 2\n0 0 0 3\n1 1 1 -4\n", DataFormat::Colored},
        {"1 2\n0 0 0 3\n1 1 1 0.5\n", DataFormat::Matrix},   // a fractional fourth is no group
        {"1 2\n0 0 0\n1 1 1 1\n", DataFormat::Matrix},       // rows of both lengths
        {"1.5 2\n0 0 0\n", DataFormat::Matrix},              // the header counts are not whole
        {"x,y,z\n1,2,3\n", DataFormat::Columns},
        {"x y z\n1 2 3\n4 5 6\n", DataFormat::Columns},     // a header line of names
        {"1;2;3\n4;5;6\n", DataFormat::Columns},
        {"1\t2\t3\t4\n5\t6\t7\t8\n", DataFormat::Columns},
        {"1,2\n3,4\n", DataFormat::Matrix},                  // fewer than 3 columns
        {"1,2,3\n4,5,6,7\n", DataFormat::Matrix},            // rows of unequal length
        {"1 2 3\n4 5 6\n", DataFormat::Columns},             // x y z rows are points
        {"1 2 3 4\n4 5 6 -1\n", DataFormat::Columns},        // and with a whole fourth, groups
        {"1 2 3 4\n4 5 6 0.5\n", DataFormat::Matrix},        // a fractional fourth: heights
        {"1 2 3 4 5\n6 7 8 9 0\n", DataFormat::Matrix},      // wider rows: heights
        {"1 2 x\n3 4 y\n", DataFormat::Matrix},              // not all numbers: as before
        {"1 2 3\n# note\n4 5 6\n", DataFormat::Columns},
        {"1 2 3\n4 5 6\n\n7 8 9\n1 2 3\n", DataFormat::Columns},  // blocks of points
        {"# heights\n1 2 3 4 5\n6 7 8 9 10\n", DataFormat::Matrix},
        {"", DataFormat::Matrix},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatWord(detect(c.text)), std::string(formatWord(c.format))) << c.text;
    }
}

TEST(FormatDetect, ALineCutShortAtTheEndOfTheSampleIsNotJudged)
{
    // Rows of 3 fill the sample up to a longer row, of which only the first 18 bytes fit.
    const std::size_t cutAt = kDetectBytes - 18;
    std::string text;
    while (text.size() + 14 <= cutAt) {
        text += "1.25,2.5,3.75\n";
    }
    const std::size_t gap = cutAt - text.size();
    text += gap >= 2 ? "#" + std::string(gap - 2, ' ') + "\n" : std::string(gap, '\n');
    text += "1.25,2.5,3.75,99,99,99,99,99\n";
    const std::string sample = text.substr(0, kDetectBytes);
    ASSERT_EQ(sample.substr(cutAt), "1.25,2.5,3.75,99,9");
    EXPECT_EQ(detect(sample), DataFormat::Columns);
    // In a whole short file the last line is judged, and then the rows differ.
    EXPECT_EQ(detect("1.25,2.5,3.75\n1.25,2.5,3.75,99,9"), DataFormat::Matrix);
}

TEST(FormatWords, NameEveryFormatAndParseBack)
{
    for (const DataFormat f : {DataFormat::Plain, DataFormat::Maple, DataFormat::Colored, DataFormat::Columns,
                               DataFormat::Matrix, DataFormat::Npy, DataFormat::Ply}) {
        FormatChoice choice;
        ASSERT_TRUE(parseFormatWord(formatWord(f), choice)) << formatWord(f);
        EXPECT_FALSE(choice.automatic);
        EXPECT_EQ(choice.format, f);
    }
    EXPECT_EQ(std::string(formatWord(DataFormat::Colored)), "color");
    EXPECT_EQ(std::string(formatWord(DataFormat::Columns)), "columns");
    EXPECT_EQ(std::string(formatLabel(DataFormat::Npy)), "NumPy");
    EXPECT_EQ(std::string(formatWord(static_cast<DataFormat>(9))), "unknown");

    FormatChoice choice;
    ASSERT_TRUE(parseFormatWord("MATRIX", choice));
    EXPECT_EQ(choice.format, DataFormat::Matrix);
    ASSERT_TRUE(parseFormatWord("Auto", choice));
    EXPECT_TRUE(choice.automatic);
    for (const char* wrong : {"", "csv", "colour", "data ", "columnsx", "unknown"}) {
        EXPECT_FALSE(parseFormatWord(wrong, choice)) << wrong;
    }
}
