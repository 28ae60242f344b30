// Files compressed with gzip: every format reads through it as from the plain file, with the
// compressed bytes as progress; a stream cut short, damaged data and content without end are
// refused with one line naming the byte; bytes after the data are reported and left.
#include <atomic>
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "io/data_loader.h"
#include "io/format_detect.h"
#include "io/gzip_text.h"
#include "io/read_progress.h"
#include "tests/io/binary_files.h"
#include "tests/support/test_support.h"

namespace {

std::string gzip(const std::string& text)
{
    return gzipCompressed(text, 1);
}

InflateReport inflateText(const std::string& compressed, FileBuffer& out, std::size_t limit = 1u << 30)
{
    return inflateGzipBytes("a.gz", compressed.data(), compressed.data() + compressed.size(), limit, out);
}

const std::string kTable = "x,y,z,site\n1,2,3,north\n4,5,6,south\n\n7,8,9,north\n1,1,1,east\n";

}  // namespace

TEST(Gzip, EveryFormatReadsAsFromThePlainFileWithTheCompressedBytesAsProgress)
{
    TempFolder dir;
    LoadSettings detect;
    detect.detectFormat = true;
    const std::string plainPath = dir.write("t.csv", kTable);
    const LoadResult plain = readForLoad(DataFile{plainPath.c_str(), "t.csv"}, detect);
    const std::string compressed = gzip(kTable);
    const std::string gzPath = dir.write("t.csv.gz", compressed);
    std::atomic<std::uint64_t> progress{0};
    setReadProgressCounter(&progress);
    const LoadResult packed = readForLoad(DataFile{gzPath.c_str(), "t.csv.gz"}, detect);
    setReadProgressCounter(nullptr);
    ASSERT_TRUE(packed.loaded) << packed.error;
    EXPECT_EQ(progress.load(), compressed.size());
    EXPECT_EQ(packed.data.coordArray.size(), plain.data.coordArray.size());
    EXPECT_EQ(packed.data.groupNames, plain.data.groupNames);
    EXPECT_EQ(packed.readLines, plain.readLines);
    EXPECT_EQ(detectFileFormat(gzPath.c_str()), std::optional<DataFormat>(DataFormat::Columns));

    // Members one after the other are one content; a NumPy array inflates as well.
    FileBuffer both;
    EXPECT_TRUE(inflateText(gzip("1 2 3\n") + gzip("4 5 6\n"), both).error.empty());
    EXPECT_EQ(std::string(both.begin(), both.end()), "1 2 3\n4 5 6\n");
    const std::string array = npyFile("<f8", "(2, 3)", binaryValues<double>({1, 2, 3, 4, 5, 6}));
    const std::string npyPath = dir.write("a.npy.gz", gzip(array));
    const LoadResult npy = readForLoad(DataFile{npyPath.c_str(), "a.npy.gz"}, detect);
    ASSERT_TRUE(npy.loaded) << npy.error;
    EXPECT_EQ(npy.data.coordArray[1].z, 6.0);
}

TEST(Gzip, CutShortDamagedAndEndlessStreamsAreRefusedNamingTheByte)
{
    const std::string compressed = gzip(kTable);
    FileBuffer out;
    EXPECT_EQ(inflateText(compressed.substr(0, 30), out).error,
              "File a.gz: byte 30: the gzip data end early (the file is cut short?); nothing is loaded");
    std::string damaged = compressed;
    damaged[12] = static_cast<char>(damaged[12] ^ 0x55);
    damaged[13] = static_cast<char>(damaged[13] ^ 0xAA);
    const std::string error = inflateText(damaged, out).error;
    EXPECT_EQ(error.rfind("File a.gz: byte ", 0), 0u) << error;
    EXPECT_NE(error.find(": the gzip data are damaged ("), std::string::npos) << error;

    // 24 MB of zeros in about 110 KB: refused once past the limit, not inflated to the end.
    const std::string bomb = gzip(std::string(24u << 20, '\0'));
    ASSERT_LT(bomb.size(), 120000u);
    const InflateReport endless = inflateText(bomb, out, 4000000);
    EXPECT_NE(endless.error.find(": inflates to more than 4 MB, more than a load may take; nothing is loaded"),
              std::string::npos)
        << endless.error;

    // Bytes after the data: reported, and the content stands.
    const InflateReport trailing = inflateText(compressed + "not gzip", out);
    EXPECT_TRUE(trailing.error.empty()) << trailing.error;
    EXPECT_EQ(trailing.warnings, std::vector<std::string>{"File a.gz: byte " + std::to_string(compressed.size()) +
                                                           ": what follows the gzip data is not read"});
    EXPECT_EQ(std::string(out.begin(), out.end()), kTable);
}
