// A points file read a window at a time: the same data set, bounds and counts as the reader of
// the whole text wherever the text is plain numbers, whatever the windows cut, and no answer
// for any other text, whose reports the whole-text reader gives.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "io/point_readers.h"
#include "io/read_progress.h"
#include "io/streamed_points.h"
#include "tests/support/temp_folder.h"

namespace {

// Windows from a few bytes (every number cut somewhere by some window, the two threads'
// meeting anywhere) to more than the file.
const std::size_t kWindows[] = {12, 17, 64, 1000, 1 << 16};

std::string plainText()
{
    std::string text = "4 25\n";
    for (int k = 0; k < 100; ++k) {
        // Blanks, tabs and both line ends between the values, signs, exponents and long
        // fractions, as files in the wild have them.
        text += std::to_string(-3.25 + 0.37 * k) + (k % 3 == 0 ? "\t" : " ") + std::to_string(k * 1e-3) + "e2 " +
                (k % 2 == 0 ? "-" : "") + std::to_string(k * 7 % 13) + (k % 5 == 0 ? "\r\n" : "\n");
    }
    return text;
}

TEST(StreamedPoints, ReadsWhatTheWholeTextReaderReads)
{
    TempFolder folder;
    const std::string text = plainText();
    const std::string path = folder.write("points.dat", text);
    const LoadResult whole = readDataText("points.dat", text.data(), text.data() + text.size());
    ASSERT_TRUE(whole.loaded);
    for (const std::size_t window : kWindows) {
        LoadResult streamed;
        ASSERT_TRUE(readPointsStreamed(DataFile{path.c_str(), "points.dat"}, streamed, 0, window)) << window;
        ASSERT_EQ(streamed.data.coordArray.size(), whole.data.coordArray.size());
        for (std::size_t k = 0; k < whole.data.coordArray.size(); ++k) {
            const Point3d &a = streamed.data.coordArray[k], &b = whole.data.coordArray[k];
            ASSERT_TRUE(a.x == b.x && a.y == b.y && a.z == b.z) << "point " << k << ", window " << window;
        }
        EXPECT_EQ(streamed.data.fnTrf.nx, 4);
        EXPECT_EQ(streamed.data.fnTrf.pointsPerSet, 25);
        EXPECT_EQ(streamed.entriesRead, whole.entriesRead);
        EXPECT_TRUE(streamed.warnings.empty());
        for (int a = 0; a < 3; ++a) {
            EXPECT_EQ(streamed.rawBounds.min[a], whole.rawBounds.min[a]) << window << " axis " << a;
            EXPECT_EQ(streamed.rawBounds.max[a], whole.rawBounds.max[a]) << window << " axis " << a;
        }
    }
    // Each byte counts to the load's progress once, the front's words counted in passing.
    std::atomic<std::uint64_t> progress{0};
    setReadProgressCounter(&progress);
    LoadResult counted;
    EXPECT_TRUE(readPointsStreamed(DataFile{path.c_str(), "points.dat"}, counted, 0, 64));
    setReadProgressCounter(nullptr);
    EXPECT_EQ(progress.load(), text.size());
}

TEST(StreamedPoints, LeavesEveryOtherTextToTheWholeTextReader)
{
    TempFolder folder;
    const std::string plain = plainText();
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"a word that is not a number", plain.substr(0, 200) + " 1.5x " + plain.substr(200)},
        {"fewer values than promised", plain.substr(0, plain.size() / 2)},
        {"a byte-order mark", "\xEF\xBB\xBF" + plain},
        {"points with groups", "2 2\n1 2 3 4\n5 6 7 8\n9 1 2 3\n4 5 6 7\n"},
        {"a Maple grid", "PLOT3D(GRID(0..1,0..1,[[1,2],[3,4]]))\n"},
        {"no header", "\n"},
    };
    for (const auto& c : cases) {
        const std::string path = folder.write("odd.dat", c.text);
        LoadResult result;
        EXPECT_FALSE(readPointsStreamed(DataFile{path.c_str(), "odd.dat"}, result, 0, 64)) << c.what;
    }
    // A number longer than a window, a file smaller than the least streamed, and a folder.
    const std::string path = folder.write("long.dat", "1 1\n1.000000000000000000000000001 2 3\n");
    LoadResult result;
    EXPECT_FALSE(readPointsStreamed(DataFile{path.c_str(), "long.dat"}, result, 0, 16));
    EXPECT_TRUE(readPointsStreamed(DataFile{path.c_str(), "long.dat"}, result, 0, 64));
    EXPECT_FALSE(readPointsStreamed(DataFile{path.c_str(), "long.dat"}, result, 1000, 64));
    EXPECT_FALSE(readPointsStreamed(DataFile{folder.str().c_str(), "folder"}, result, 0, 64));
}

}  // namespace
