// Files that are not text, or text in the forms editors and other programs write: refused
// with their reason (and the previous data set kept), or read as the same points.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/viewer_state.h"
#include "core/data_set.h"
#include "io/data_loader.h"
#include "tests/support/test_support.h"

namespace {

const char* const kExample = "2 3\n0 0 0\n1 1 0\n2 4 0\n0 0 1\n1 2 1\n2 3 1\n";

class TextChecks : public ::testing::Test {
protected:
    void SetUp() override { resetDataInput(); }

    // Loads content as "Data" (after the example, so there is something to keep) and returns the report.
    std::string load(const std::string& content, const std::string& name = "file.dat")
    {
        const std::string example = dir.write("example.dat", kExample);
        captureStdout([&] { readDataFile(example.c_str()); });
        generation = dataSet.generation;
        path = dir.write(name, content);
        return captureStdout([&] { readDataFile(path.c_str()); });
    }

    void expectRefused(const std::string& content, const std::string& reason)
    {
        const std::string out = load(content);
        EXPECT_EQ(out, "\nfilename = " + path + "\nFile " + path + ": " + reason + "; nothing is loaded\n");
        EXPECT_EQ(dataSet.generation, generation);
        EXPECT_EQ(dataSet.coordArray.size(), 6u);
    }

    // Loads content and checks that it gives the example's points.
    void expectExample(const std::string& content)
    {
        load(kExample);
        const std::vector<Point3d> expected = dataSet.coordArray;
        const std::string out = load(content);
        EXPECT_EQ(dataSet.generation, generation + 1) << out;
        ASSERT_EQ(dataSet.coordArray.size(), expected.size()) << out;
        for (std::size_t k = 0; k < expected.size(); ++k) {
            EXPECT_EQ(dataSet.coordArray[k].x, expected[k].x) << k;
            EXPECT_EQ(dataSet.coordArray[k].y, expected[k].y) << k;
            EXPECT_EQ(dataSet.coordArray[k].z, expected[k].z) << k;
        }
        EXPECT_EQ(splitLines(out).size(), 4u) << out;  // no warning
    }

    static std::string replaced(std::string text, char from, const std::string& to)
    {
        std::string out;
        for (const char c : text) {
            out += c == from ? to : std::string(1, c);
        }
        return out;
    }

    TempFolder dir;
    std::string path;
    unsigned long generation = 0;
};

}  // namespace

TEST_F(TextChecks, FilesThatAreNotTextAreRefusedWithTheirReason)
{
    std::string utf16 = "\xFF\xFE";
    for (const char c : std::string(kExample)) {
        utf16 += c;
        utf16 += '\0';
    }
    expectRefused(utf16, "is UTF-16 text (it starts with a UTF-16 byte-order mark); save it as UTF-8 or plain ASCII");
    expectRefused(std::string("2 3\n0 0 0\n\x7F" "ELF\0\0\x01", 16), "is not a text file: it holds a NUL byte at offset 14");
    expectRefused("2 3\n# measured at 20\xB0" "C\n0 0 0\n", "is not UTF-8 text: byte 0xB0 at offset 20 does not belong there");
    // Past the first kilobyte nothing is checked: the numbers decide there.
    const std::string late = "1 1\n" + std::string(1100, ' ') + "1 2 3 \xB0\n";
    load(late);
    EXPECT_EQ(dataSet.generation, generation + 1);
}

TEST_F(TextChecks, ByteOrderMarkLineEndsAndHeaderLayoutsReadTheSamePoints)
{
    expectExample("\xEF\xBB\xBF" + std::string(kExample));
    expectExample(replaced(kExample, '\n', "\r\n"));
    expectExample(replaced(kExample, '\n', "\r"));
    expectExample("2\n3\n0 0 0\n1 1 0\n2 4 0\n0 0 1\n1 2 1\n2 3 1\n");
    expectExample("  2\t\r\n\r\n 3 sets of three\n0 0 0 1 1 0 2 4 0 0 0 1 1 2 1 2 3 1");
}

TEST_F(TextChecks, APromiseBeyondTheFileIsRefusedBeforeAnythingIsBuilt)
{
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    const auto start = std::chrono::steady_clock::now();
    // 17 bytes that promise 50,000,000 points (1.2 GB of coordinates).
    const std::string out = load("1 50000000\n1 2 3\n", "h.dat");
    const auto took = std::chrono::steady_clock::now() - start;
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    EXPECT_NE(out.find("File " + path + ": line 1: dimensions 1 x 50000000 promise 50000000 points, but the 6 bytes "
                       "that follow can hold at most 1; nothing is loaded"),
              std::string::npos)
        << out;
    EXPECT_EQ(dataSet.generation, generation);
    EXPECT_LT(took, std::chrono::seconds(2));
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 100 * 1024);  // kilobytes: nothing near 1.2 GB

    // The same for a Maple grid of 74 bytes.
    const std::string grid = dir.write("g.mpl", "GRID(0. .. 1.,0. .. 1.,Array(1..10000,1..10000,[[1,2,3]]))\n");
    const std::string mapleOut = captureStdout([&] { readMapleFile(grid.c_str()); });
    EXPECT_NE(mapleOut.find("line 1: dimensions 10000 x 10000 promise 100000000 points"), std::string::npos)
        << mapleOut;
    EXPECT_EQ(dataSet.generation, generation);
}
