// View files on disk: written whole beside the data, read back, and refused with the reason
// or the line of the fault.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "core/colors.h"
#include "io/view_file.h"
#include "tests/support/temp_folder.h"

namespace {

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(ViewFiles, TheViewStandsBesideTheDataUnderItsStem)
{
    EXPECT_EQ(viewFileNameFor("/data/ripple.mpl"), "/data/ripple.view");
    EXPECT_EQ(viewFileNameFor("ripple.mpl"), "ripple.view");
    EXPECT_EQ(viewFileNameFor("/ripple.mpl"), "/ripple.view");
    EXPECT_EQ(viewFileNameFor("a.b/c.tar.gz"), "a.b/c.tar.view");
    EXPECT_EQ(viewFileNameFor(""), "picture.view");
}

TEST(ViewFiles, AWrittenViewReadsBackAndReplacesAnEarlierOneWhole)
{
    TempFolder folder;
    const std::string path = folder.write("ripple.view", "old view\n");
    Settings s;
    fillDataColors(s.dataColors);
    s.scale = 2.5f;
    s.displayType = DisplayType::Grid;
    std::string error;
    ASSERT_TRUE(writeViewFile(path, s, error)) << error;
    EXPECT_FALSE(contains(fileContents(path), "old view"));

    Settings read;
    fillDataColors(read.dataColors);
    ASSERT_TRUE(readViewFile(path, read, error)) << error;
    EXPECT_EQ(read.scale, 2.5f);
    EXPECT_EQ(read.displayType, DisplayType::Grid);

    // Nothing but the view is left in the folder: no temporary file.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        ++files;
        EXPECT_EQ(entry.path().filename(), "ripple.view");
    }
    EXPECT_EQ(files, 1);
}

TEST(ViewFiles, AFailedWriteSaysWhyAndLeavesTheOldViewAlone)
{
    TempFolder folder;
    Settings s;
    std::string error;
    EXPECT_FALSE(writeViewFile(folder.path("no/such/folder/x.view"), s, error));
    EXPECT_TRUE(contains(error, "Cannot save the view")) << error;
    EXPECT_TRUE(contains(error, "No such file or directory")) << error;

    const std::string path = folder.write("kept.view", "scale = 3\n");
    ASSERT_EQ(chmod(folder.path().c_str(), 0555), 0);
    if (access(folder.path().c_str(), W_OK) == 0) {
        chmod(folder.path().c_str(), 0700);
        GTEST_SKIP() << "running as root: a folder without write permission is still writable";
    }
    EXPECT_FALSE(writeViewFile(path, s, error));
    EXPECT_TRUE(contains(error, "Permission denied")) << error;
    EXPECT_EQ(fileContents(path), "scale = 3\n");
    chmod(folder.path().c_str(), 0700);
}

TEST(ViewFiles, AFileThatIsNoViewIsRefusedWithItsNameAndLine)
{
    TempFolder folder;
    Settings s;
    std::string error;
    EXPECT_FALSE(readViewFile(folder.path("missing.view"), s, error));
    EXPECT_TRUE(contains(error, "missing.view: No such file or directory")) << error;

    EXPECT_FALSE(readViewFile(folder.str(), s, error));
    EXPECT_TRUE(contains(error, "not a regular file")) << error;

    const std::string bad = folder.write("bad.view", "scale = 2\n\nthickness = thick\n");
    EXPECT_FALSE(readViewFile(bad, s, error));
    EXPECT_TRUE(contains(error, bad + ": line 3: bad value for thickness")) << error;
    EXPECT_EQ(s.scale, 1.0f) << "nothing of a refused file is taken";

    const std::string big = folder.write("big.view", std::string(2 << 20, '#'));
    EXPECT_FALSE(readViewFile(big, s, error));
    EXPECT_TRUE(contains(error, "too large")) << error;
}
