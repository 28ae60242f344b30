// The values of a large points file read on two threads: the same points, bounds and group
// reports as the one-thread reader wherever the text is plain, and no answer where it is not,
// so that the one-thread reader's reports stand; and a file read in two halves.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io/file_buffer.h"
#include "io/point_readers.h"
#include "io/point_values_split.h"
#include "io/read_progress.h"
#include "tests/support/test_support.h"

namespace {

// The two-thread reading of text after its header line, forced on however short the text.
struct SplitRead {
    bool done = false;
    std::vector<Point3d> points;
    std::vector<int> groups;
    Bounds bounds{};
    LoadResult groupReport;
};

SplitRead readSplit(const std::string& text, std::size_t count, bool withGroups)
{
    SplitRead read;
    read.points.resize(count);
    read.groups.resize(withGroups ? count : 0);
    GroupReader groups;
    const char* begin = text.data();
    const char* values = begin + text.find('\n') + 1;
    read.done = readPointValuesOnTwoThreads(values, begin + text.size(), count, read.points.data(),
                                            withGroups ? read.groups.data() : nullptr, read.bounds, groups, 0);
    groups.warn("f", begin, read.groupReport);
    return read;
}

// The one-thread reader's result for the same text (short texts never take two threads).
LoadResult readOneThread(const std::string& text, bool withGroups)
{
    const char* begin = text.data();
    return withGroups ? readColorDataText("f", begin, begin + text.size())
                      : readDataText("f", begin, begin + text.size());
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void expectSameAsOneThread(const std::string& text, std::size_t count, bool withGroups, const std::string& label)
{
    const SplitRead split = readSplit(text, count, withGroups);
    const LoadResult one = readOneThread(text, withGroups);
    ASSERT_TRUE(split.done) << label;
    ASSERT_TRUE(one.loaded) << label;
    ASSERT_EQ(one.data.coordArray.size(), count) << label;
    for (std::size_t k = 0; k < count; ++k) {
        const Point3d& a = split.points[k];
        const Point3d& b = one.data.coordArray[k];
        ASSERT_TRUE(sameBits(a.x, b.x) && sameBits(a.y, b.y) && sameBits(a.z, b.z)) << label << ", point " << k;
        if (withGroups) {
            ASSERT_EQ(split.groups[k], one.data.groupArray[k]) << label << ", point " << k;
        }
    }
    for (int a = 0; a < 3; ++a) {
        EXPECT_TRUE(sameBits(split.bounds.min[a], one.rawBounds.min[a])) << label << ", axis " << a;
        EXPECT_TRUE(sameBits(split.bounds.max[a], one.rawBounds.max[a])) << label << ", axis " << a;
    }
    EXPECT_EQ(split.groupReport.warnings, one.warnings) << label;
}

// count points of varied forms, a point to a line; withGroups adds a group (some not whole).
std::string pointsText(std::size_t count, bool withGroups, const std::string& lead = "")
{
    static const char* const forms[] = {"%.17g", "%g", "%.3f", "%e", "%+.2E", "%.0f"};
    std::string text = std::to_string(1) + " " + std::to_string(count) + "\n" + lead;
    char word[64];
    for (std::size_t k = 0; k < count; ++k) {
        for (int c = 0; c < 3; ++c) {
            const double v = std::sin(0.37 * static_cast<double>(k * 3 + c)) * std::pow(10.0, (k + c) % 7 - 3.0);
            std::snprintf(word, sizeof word, forms[(k + c) % 6], v);
            text += word;
            text += c < 2 ? " " : "";
        }
        if (withGroups) {
            text += k % 11 == 4 ? " 2.5" : " " + std::to_string(k % 5);
        }
        text += k % 3 == 0 ? "\r\n" : "\n";
    }
    return text;
}

TEST(PointValuesSplit, PlainTextGivesTheOneThreadPointsBoundsAndGroupReports)
{
    // Leading blanks move the place where the parts meet over every position within a point.
    for (bool withGroups : {false, true}) {
        for (int lead = 0; lead < 12; ++lead) {
            expectSameAsOneThread(pointsText(200, withGroups, std::string(static_cast<std::size_t>(lead) * 5, ' ')),
                                  200, withGroups, "groups " + std::to_string(withGroups) + ", lead " +
                                                       std::to_string(lead));
        }
    }
}

TEST(PointValuesSplit, SpecialValuesKeepTheBoundsRule)
{
    // Infinities take no part in the bounds, NaN fails both comparisons, and of two zeros the
    // first one seen stays: the parts' bounds must join as one pass over the text would.
    std::string text = "1 6\n";
    text += "0 5 nan\n-inf 1 2\n-0 inf 3\n";
    text += "-0 -inf 0\n0 7 nan\n-1e-300 4 -0\n";
    expectSameAsOneThread(text, 6, false, "specials");
    text = "1 4\n-0 1 1\n-0 2 2\n0 3 3\n0 4 4\n";
    expectSameAsOneThread(text, 4, false, "zeros");
}

TEST(PointValuesSplit, ExtraValuesAreIgnoredAsByOneThread)
{
    const std::string text = pointsText(100, false) + "1 2 3\n4 5 6\nnot numbers at all\n";
    expectSameAsOneThread(text, 100, false, "extra");
    // All the values the points need in the first part.
    std::string first = pointsText(100, false);
    first.replace(0, first.find('\n'), "1 30");
    expectSameAsOneThread(first, 30, false, "first part only");
}

TEST(PointValuesSplit, TextThatIsNotPlainIsLeftToOneThread)
{
    const std::string good = pointsText(100, false);
    // A word that is no number, near the end (the second thread's part) or the start.
    std::string bad = good;
    bad.replace(bad.rfind(' '), 1, " oops ");
    EXPECT_FALSE(readSplit(bad, 100, false).done);
    bad = good;
    bad.replace(good.find('\n') + 1, 0, "x ");
    EXPECT_FALSE(readSplit(bad, 100, false).done);
    // Two numbers written as one word ("1-2" is read as 1 and -2 by the formatted scan).
    bad = good;
    bad.replace(bad.rfind(' '), 1, "-");
    EXPECT_FALSE(readSplit(bad, 100, false).done);
    // Too few values.
    EXPECT_FALSE(readSplit(good, 101, false).done);
    // A group that is no number.
    bad = pointsText(100, true);
    bad.replace(bad.rfind(' '), 1, " ? ");
    EXPECT_FALSE(readSplit(bad, 100, true).done);
}

// A points file long enough for two threads, point k at (k, 2k, -k) to the one-thread reader.
std::string longText(std::size_t count)
{
    std::string text = "1 " + std::to_string(count) + "\n";
    text.reserve(count * 40);
    char line[96];
    for (std::size_t k = 0; k < count; ++k) {
        std::snprintf(line, sizeof line, "%zu.0000000000 %zu.0000000000 -%zu.0000000000\n", k, 2 * k, k);
        text += line;
    }
    return text;
}

TEST(PointValuesSplit, ALongFileReadsWholeAndABrokenOneReportsWhereItStops)
{
    const std::size_t count = 200000;
    std::string text = longText(count);
    ASSERT_GT(text.size(), kTwoThreadPointText);
    LoadResult whole = readDataText("f", text.data(), text.data() + text.size());
    ASSERT_TRUE(whole.loaded);
    EXPECT_TRUE(whole.warnings.empty());
    for (std::size_t k = 0; k < count; k += 997) {
        EXPECT_EQ(whole.data.coordArray[k].y, 2.0 * static_cast<double>(k)) << k;
    }
    EXPECT_EQ(whole.rawBounds.max[1], 2.0 * (count - 1));
    EXPECT_EQ(whole.rawBounds.min[2], -1.0 * (count - 1));

    // A bad word in the first thread's part: the points from it on are at the origin, as the
    // one-thread reader leaves them, though the second thread had read the last ones.
    const std::size_t broken = count * 3 / 10;
    const std::string line = std::to_string(broken) + ".0000000000 ";
    const std::size_t at = text.find("\n" + line) + 1;
    text.replace(at, line.size() - 1, "broken");
    const LoadResult cut = readDataText("f", text.data(), text.data() + text.size());
    ASSERT_TRUE(cut.loaded);
    ASSERT_FALSE(cut.warnings.empty());
    EXPECT_NE(cut.warnings[0].find("line " + std::to_string(broken + 2) + ": \"broken\" is not a number"),
              std::string::npos)
        << cut.warnings[0];
    EXPECT_EQ(cut.data.coordArray[broken - 1].x, static_cast<double>(broken - 1));
    EXPECT_EQ(cut.data.coordArray[count - 1].x, 0.0);
    EXPECT_EQ(cut.data.coordArray[count - 1].y, 0.0);
    EXPECT_EQ(cut.rawBounds.max[1], 2.0 * (broken - 1));
}

TEST(FileHalves, ALargeFileIsReadWholeWithItsProgressCounted)
{
    TempFolder dir;
    std::string content(std::size_t{40} << 20, '\0');
    for (std::size_t k = 0; k < content.size(); ++k) {
        content[k] = static_cast<char>('a' + (k * 7 + k / 4093) % 26);
    }
    const std::string path = dir.write("large.txt", content);
    std::atomic<std::uint64_t> progress{0};
    setReadProgressCounter(&progress);
    FileBuffer buffer;
    const FileReadStatus status = readRegularFile(path.c_str(), buffer);
    setReadProgressCounter(nullptr);
    ASSERT_EQ(status.outcome, FileReadOutcome::ok);
    ASSERT_EQ(buffer.size, content.size());
    EXPECT_EQ(std::memcmp(buffer.begin(), content.data(), content.size()), 0);
    EXPECT_EQ(progress.load(), content.size());
}

TEST(FileHalves, FaultingInALargeArrayKeepsWhatItHolds)
{
    std::vector<unsigned char> array(std::size_t{48} << 20);
    for (std::size_t k = 0; k < array.size(); k += 4099) {
        array[k] = static_cast<unsigned char>(k % 251 + 1);
    }
    faultInLargeArray(array.data(), array.size());
    for (std::size_t k = 0; k < array.size(); ++k) {
        ASSERT_EQ(array[k], k % 4099 == 0 ? static_cast<unsigned char>(k % 251 + 1) : 0) << k;
    }
}

}  // namespace
