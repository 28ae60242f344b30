// PLY point clouds: ascii and both binary orders give the same points and colours, whatever the
// types of the properties and the elements around the vertices; the bad files are refused with
// one line naming the header line or the byte.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io/data_loader.h"
#include "tests/io/binary_files.h"
#include "tests/support/test_support.h"

namespace {

LoadResult readPly(const std::string& file)
{
    return readBinaryAs("a.ply", ByteSpan{file.data(), file.data() + file.size()}, DataFormat::Ply);
}

// Three coloured vertices with a face before and an edge after them, in format.
std::string cloud(const std::string& format)
{
    const bool big = format == "binary_big_endian";
    std::string text = "ply\nformat " + format + " 1.0\ncomment three points\nelement face 2\n"
                       "property list uchar int vertex_indices\nelement vertex 3\nproperty short x\n"
                       "property double y\nproperty float z\nproperty uchar red\nproperty uchar green\n"
                       "property uchar blue\nproperty list uchar float extra\nelement edge 1\nproperty int a\n"
                       "end_header\n";
    const double v[3][6] = {{1, 2.5, -3, 255, 0, 0}, {4, 5.5, -6, 0, 255, 0}, {7, 8.5, -9, 0, 0, 255}};
    if (format == "ascii") {
        text += "3 0 1 2\n1 0\n";
        for (const auto& r : v) {
            text += std::to_string(int(r[0])) + " " + std::to_string(r[1]) + " " + std::to_string(r[2]) + " " +
                    std::to_string(int(r[3])) + " " + std::to_string(int(r[4])) + " " + std::to_string(int(r[5])) +
                    " 1 0.5\n";
        }
        return text + "7\n";
    }
    text += binaryBytes<std::uint8_t>(3) + binaryValues<std::int32_t>({0, 1, 2}, big) + binaryBytes<std::uint8_t>(1) +
            binaryBytes<std::int32_t>(0, big);
    for (const auto& r : v) {
        text += binaryBytes<std::int16_t>(std::int16_t(r[0]), big) + binaryBytes<double>(r[1], big) +
                binaryBytes<float>(float(r[2]), big) + binaryValues<std::uint8_t>({r[3], r[4], r[5]}) +
                binaryBytes<std::uint8_t>(1) + binaryBytes<float>(0.5f, big);
    }
    return text + binaryBytes<std::int32_t>(7, big);
}

}  // namespace

TEST(PlyReader, AsciiAndBothBinaryOrdersGiveTheSamePointsAndColours)
{
    for (const char* format : {"ascii", "binary_little_endian", "binary_big_endian"}) {
        const LoadResult r = readPly(cloud(format));
        ASSERT_TRUE(r.loaded) << format << ": " << r.error;
        ASSERT_EQ(r.data.coordArray.size(), 3u) << format;
        EXPECT_EQ(r.data.coordArray[1].x, 4.0) << format;
        EXPECT_EQ(r.data.coordArray[1].y, 5.5) << format;
        EXPECT_EQ(r.data.coordArray[2].z, -9.0) << format;
        EXPECT_EQ(r.data.pointColors, (std::vector<std::uint8_t>{255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255}))
            << format;
        EXPECT_EQ(r.data.fnTrf.pointsPerSet, 3);
        EXPECT_EQ(r.warnings, std::vector<std::string>{
                                  "File a.ply: only the vertices are read; the elements face (2), edge (1) are skipped"})
            << format;
    }
    // Float colours run from 0 to 1; an element without properties holds nothing, however many
    // records it declares.
    const std::string floats = "ply\nformat binary_little_endian 1.0\nelement nothing 1000000000000\n"
                               "element vertex 2\nproperty float x\n"
                               "property float y\nproperty float z\nproperty float red\nproperty float green\n"
                               "property float blue\nend_header\n" +
                               binaryValues<float>({0, 0, 0, 1, 0.5, 0, 1, 1, 1, 0, 0, 2});
    const LoadResult f = readPly(floats);
    ASSERT_TRUE(f.loaded) << f.error;
    EXPECT_EQ(f.data.pointColors, (std::vector<std::uint8_t>{255, 128, 0, 255, 0, 0, 255, 255}));
    EXPECT_EQ(f.rawBounds.max[0], 1.0);
}

TEST(PlyReader, BadFilesAreRefusedNamingTheLineOrByte)
{
    const std::string head = "ply\nformat binary_little_endian 1.0\nelement vertex 4\nproperty float x\n"
                             "property float y\nproperty float z\nend_header\n";
    const std::string three = binaryValues<float>({1, 2, 3, 4, 5, 6, 7, 8, 9});
    const struct {
        std::string file;
        std::string line;
    } cases[] = {
        {head + three, "byte 115: the header promises 4 vertices of 12 bytes or more, but only 36 bytes follow it"},
        {"ply\nformat binary_middle_endian 1.0\n", "line 2: the format is not ascii, binary_little_endian or binary_big_endian 1.0"},
        {"ply\nformat ascii 1.0\nelement vertex 1\nproperty quad x\n",
         "line 4: unknown property type \"quad\" (char, uchar, short, ushort, int, uint, float, double and their sized names are known)"},
        {"ply\nformat ascii 1.0\nelement vertex 1\nproperty float x\n", "line 4: the header has no \"end_header\" line within its first megabyte"},
        {"ply\nformat ascii 1.0\nelement face 1\nproperty float x\nend_header\n1\n", "the header declares no vertex element"},
        {"ply\nformat ascii 1.0\nelement vertex 1\nproperty float x\nend_header\n1\n", "line 3: the vertex element has no x, y and z"},
        {"ply\nformat ascii 1.0\nelement vertex 2\nproperty float x\nproperty float y\nproperty float z\nend_header\n"
         "1 2 3\n4 five 6\n",
         "line 9: the file ends, or holds what is not a number, in record 2 of the 2 of element \"vertex\""},
        {"ply\nformat binary_little_endian 1.0\nelement face 1\nproperty list uchar int v\nelement vertex 1\n"
         "property float x\nproperty float y\nproperty float z\nend_header\n" + binaryBytes<std::uint8_t>(200) + three,
         "byte 156: the file ends, or holds what is not a number, in record 1 of the 1 of element \"face\""},
    };
    for (const auto& c : cases) {
        const LoadResult r = readPly(c.file);
        EXPECT_FALSE(r.loaded) << c.line;
        EXPECT_TRUE(r.data.coordArray.empty());
        EXPECT_EQ(r.error, "File a.ply: " + c.line + "; nothing is loaded");
    }
}

TEST(PlyReader, LoadsFindItByItsFirstLineAndNameItForAnotherFormat)
{
    TempFolder dir;
    const std::string path = dir.write("scan.txt", cloud("ascii"));
    LoadSettings detect;
    detect.detectFormat = true;
    DataSet shown;
    const std::string out = captureStdout([&] { loadDataFile(DataFile{path.c_str(), "scan.txt"}, detect, shown); });
    EXPECT_EQ(out, "\nfilename = scan.txt\nfnTrf.nx = 1 points per set = 3\n"
                   "File scan.txt: only the vertices are read; the elements face (2), edge (1) are skipped\n");
    EXPECT_EQ(shown.pointColors.size(), 12u);
    LoadSettings chosen;
    chosen.format = DataFormat::Plain;
    chosen.chosenIn = FormatChosenIn::CommandLine;
    EXPECT_EQ(readForLoad(DataFile{path.c_str(), "scan.txt"}, chosen).error, "scan.txt looks like a PLY file; use --format ply");
    // A load without colours takes the earlier file's colours away.
    const std::string plain = dir.write("plain.csv", "1,2,3\n4,5,6\n");
    captureStdout([&] { loadDataFile(DataFile{plain.c_str(), "plain.csv"}, detect, shown); });
    EXPECT_TRUE(shown.pointColors.empty());
}
