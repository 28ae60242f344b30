// NumPy arrays: every header version, byte order, number type and memory order gives the same
// points; the shapes read as points, points with groups, sets or a matrix; and every kind of
// bad file is refused with one line that names the byte where it goes wrong.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include "io/data_bytes.h"
#include "io/data_loader.h"
#include "tests/io/binary_files.h"
#include "tests/support/test_support.h"

namespace {

// Three points of a 3 x 3 array, and the same values in Fortran order (column after column).
const std::vector<double> kRows = {1, 2, 3, 4, 5, 6, 7, 8, 9};
const std::vector<double> kColumns = {1, 4, 7, 2, 5, 8, 3, 6, 9};

LoadResult readNpy(const std::string& file)
{
    return readBinaryAs("a.npy", ByteSpan{file.data(), file.data() + file.size()}, DataFormat::Npy);
}

std::vector<double> coordinates(const LoadResult& r)
{
    std::vector<double> values;
    for (const Point3d& p : r.data.coordArray) {
        values.insert(values.end(), {p.x, p.y, p.z});
    }
    return values;
}

}  // namespace

TEST(NpyReader, EveryVersionByteOrderTypeAndOrderGivesTheSamePoints)
{
    const struct {
        std::string descr;
        std::string rows, columns;
    } types[] = {
        {"<f8", binaryValues<double>(kRows), binaryValues<double>(kColumns)},
        {">f8", binaryValues<double>(kRows, true), binaryValues<double>(kColumns, true)},
        {"<f4", binaryValues<float>(kRows), binaryValues<float>(kColumns)},
        {">f4", binaryValues<float>(kRows, true), binaryValues<float>(kColumns, true)},
        {"<i4", binaryValues<std::int32_t>(kRows), binaryValues<std::int32_t>(kColumns)},
        {">i2", binaryValues<std::int16_t>(kRows, true), binaryValues<std::int16_t>(kColumns, true)},
        {"|u1", binaryValues<std::uint8_t>(kRows), binaryValues<std::uint8_t>(kColumns)},
        {"<u8", binaryValues<std::uint64_t>(kRows), binaryValues<std::uint64_t>(kColumns)},
        {">i8", binaryValues<std::int64_t>(kRows, true), binaryValues<std::int64_t>(kColumns, true)},
    };
    for (const auto& t : types) {
        for (int major = 1; major <= 3; ++major) {
            for (const bool fortran : {false, true}) {
                const std::string what = t.descr + " version " + std::to_string(major) + (fortran ? " F" : " C");
                const LoadResult r = readNpy(npyFile(t.descr, "(3, 3)", fortran ? t.columns : t.rows, fortran, major));
                ASSERT_TRUE(r.loaded) << what << ": " << r.error;
                EXPECT_EQ(coordinates(r), kRows) << what;
                EXPECT_EQ(r.data.fnTrf.nx, 1) << what;
                EXPECT_EQ(r.data.fnTrf.pointsPerSet, 3) << what;
                EXPECT_EQ(r.rawBounds.min[0], 1.0) << what;
                EXPECT_EQ(r.rawBounds.max[2], 9.0) << what;
            }
        }
    }
}

TEST(NpyReader, ShapesReadAsPointsGroupsSetsOrAMatrix)
{
    // N x 4 with a whole fourth: points with groups.
    const LoadResult groups = readNpy(npyFile("<f8", "(2, 4)", binaryValues<double>({0, 0, 0, 3, 1, 1, 1, 7})));
    ASSERT_TRUE(groups.loaded) << groups.error;
    EXPECT_EQ(groups.data.loadedFormat, static_cast<int>(DataFormat::Colored));
    EXPECT_EQ(groups.data.groupArray, (std::vector<int>{3, 7}));
    EXPECT_EQ(groups.readLines.back(), "columns: x = 1, y = 2, z = 3, group = 4");

    // Not whole: a matrix of 2 rows of 4 heights, node (column, row, value).
    const LoadResult matrix = readNpy(npyFile("<f8", "(2, 4)", binaryValues<double>({0, 0, 0, 3, 1, 1, 1, 7.5})));
    ASSERT_TRUE(matrix.loaded) << matrix.error;
    EXPECT_EQ(matrix.data.fnTrf.nx, 2);
    EXPECT_EQ(matrix.data.fnTrf.pointsPerSet, 4);
    EXPECT_EQ(matrix.data.coordArray[7].x, 3.0);
    EXPECT_EQ(matrix.data.coordArray[7].y, 1.0);
    EXPECT_EQ(matrix.data.coordArray[7].z, 7.5);
    EXPECT_TRUE(matrix.data.groupArray.empty());

    // K x N x 3 in both orders: set k holds points (k, n, 0..2) = 100k + 10n + c.
    std::vector<double> c, f(2 * 3 * 3);
    for (int k = 0; k < 2; ++k) {
        for (int n = 0; n < 3; ++n) {
            for (int d = 0; d < 3; ++d) {
                c.push_back(100 * k + 10 * n + d);
                f[k + 2 * n + 6 * d] = 100 * k + 10 * n + d;
            }
        }
    }
    for (const bool fortran : {false, true}) {
        const LoadResult sets = readNpy(npyFile("<f8", "(2, 3, 3)", binaryValues<double>(fortran ? f : c), fortran));
        ASSERT_TRUE(sets.loaded) << sets.error;
        EXPECT_EQ(sets.data.fnTrf.nx, 2);
        EXPECT_EQ(sets.data.fnTrf.pointsPerSet, 3);
        EXPECT_EQ(coordinates(sets), c) << (fortran ? "Fortran" : "C");
    }
}

TEST(NpyReader, BadArraysAreRefusedNamingTheByte)
{
    const std::string points = binaryValues<double>(kRows);
    const struct {
        std::string file;
        std::string line;
    } cases[] = {
        {"\x93NUMPX", "byte 0: is not a NumPy file (it does not start with \"\\x93NUMPY\" and a version)"},
        {npyFile("<f8", "(3, 3)", points, false, 4), "byte 6: NumPy format version 4.0 is not read (1.0, 2.0 and 3.0 are)"},
        {npyFile("<f8", "(3, 3)", points).substr(0, 40), "byte 8: the header of 118 bytes runs past the end of the file (40 bytes)"},
        {npyFile("<f8", "(4, 3)", points), "byte 128: the array of shape (4, 3) needs 96 bytes of values, but the file holds 72 after its header"},
        {npyFile("<f8", "(3, 3)", points.substr(0, 70)), "byte 128: the array of shape (3, 3) needs 72 bytes of values, but the file holds 70 after its header"},
        {npyFile("<f8", "(4294967296, 4294967296, 3)", points), "byte 128: the array of shape (4294967296, 4294967296, 3) holds more values than any file can"},
        {npyFile("<c16", "(3, 3)", points), "byte 20: values of type '<c16' are not read (floating-point numbers of 4 or 8 bytes, integers and booleans are)"},
        {npyFile("<f8", "(9,)", points), "the array of shape (9,) is not read: N x 3 (or x 4 with groups) points, an H x W matrix of heights or K x N x 3 sets of points are"},
        {npyFile("<f8", "(0, 3)", ""), "the array of shape (0, 3) holds no values"},
        {npyFile("<f8", "(3, three)", points), "byte 64: 'shape' is not a tuple of whole numbers"},
    };
    for (const auto& c : cases) {
        const LoadResult r = readNpy(c.file);
        EXPECT_FALSE(r.loaded) << c.line;
        EXPECT_TRUE(r.data.coordArray.empty());
        EXPECT_EQ(r.error, "File a.npy: " + c.line + "; nothing is loaded");
    }
    std::string structured = npyFile("<f8", "(3,)", points);
    structured.replace(structured.find("'<f8'"), 5, "[('x', '<f8'), ('y', '<f8'), ('z', '<f8')]");
    EXPECT_NE(readNpy(structured).error.find("byte 20: the array is structured"), std::string::npos);
}

TEST(NpyReader, LoadsFindItByItsBytesAndAFileCutShortWhileMappedIsRefused)
{
    TempFolder dir;
    const std::string path = dir.write("points.txt", npyFile("<f4", "(3, 3)", binaryValues<float>(kRows)));
    LoadSettings detect;
    detect.detectFormat = true;
    DataSet shown;
    const std::string out = captureStdout([&] { loadDataFile(DataFile{path.c_str(), "points.txt"}, detect, shown); });
    EXPECT_EQ(out, "\nfilename = points.txt\nfnTrf.nx = 1 points per set = 3\ncolumns: x = 1, y = 2, z = 3\n");
    EXPECT_EQ(shown.coordArray.size(), 3u);
    LoadSettings chosen;
    chosen.format = DataFormat::Columns;
    EXPECT_EQ(readForLoad(DataFile{path.c_str(), "points.txt"}, chosen).error,
              "points.txt looks like a NumPy file; choose NumPy under Data Format");

    // A writer truncates the file while it is mapped: reading past its new end is refused.
    const std::string big = dir.write("big.npy", npyFile("<f8", "(4096, 3)", std::string(4096 * 24, '\0')));
    DataBytes bytes;
    std::string error;
    ASSERT_TRUE(readDataBytes(DataFile{big.c_str(), "big.npy"}, bytes, error)) << error;
    ASSERT_TRUE(bytes.mapped);
    ASSERT_EQ(truncate(big.c_str(), 200), 0);
    EXPECT_EQ(readBinaryAs("big.npy", bytes.span(), DataFormat::Npy).error,
              "File big.npy: was cut short while it was read (rewritten meanwhile?); nothing is loaded");
}
