// The platform layer on real folders: wildcard matching, the directory search, the
// current directory, and the folder chooser run through fake zenity/kdialog programs.
#include "io/platform_dirs.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/temp_folder.h"

namespace {

TEST(Wildcards, StarDotStarMatchesEveryNameAndOtherPatternsFollowStarAndQuestionMark)
{
    struct Case {
        const char* pattern;
        const char* name;
        bool match;
    };
    const Case cases[] = {
        {"*.*", "a.dat", true},       {"*.*", "README", true},        {"*.*", ".hidden", true},
        {"*.*", ".", true},           {"*", "anything.at.all", true}, {"*.dat", "a.dat", true},
        {"*.dat", "a.dat.bak", false}, {"*.dat", "adat", false},      {"*.dat", ".dat", true},
        {"?.dat", "a.dat", true},     {"?.dat", "ab.dat", false},     {"a*b*c", "aXbYbZc", true},
        {"a*b*c", "aXbYcZ", false},   {"*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
        {"DATA?", "data1", false},    {"[ab].dat", "a.dat", false},   {"[ab].dat", "[ab].dat", true},
        {"", "", true},               {"", "a", false},               {"a", "", false},
        {"**", "", true},             {"*?", "", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(matchesPattern(c.pattern, c.name), c.match)
            << "pattern \"" << c.pattern << "\" name \"" << c.name << "\"";
    }
}

TEST(DirectorySearch, ListsMatchingNamesSortedWithFoldersAndDotEntries)
{
    TempFolder dir;
    dir.write("b.dat");
    dir.write("a.dat");
    dir.write(".hidden");
    dir.write("notes.txt");
    dir.folder("data");
    ASSERT_EQ(changeDirectory(dir.str()), 0);

    std::vector<std::string> names;
    ASSERT_EQ(searchDirectory("*.*", names), 0);
    EXPECT_EQ(names, (std::vector<std::string>{".", "..", ".hidden", "a.dat", "b.dat", "data", "notes.txt"}));

    ASSERT_EQ(searchDirectory("*.dat", names), 0);
    EXPECT_EQ(names, (std::vector<std::string>{"a.dat", "b.dat"}));

    EXPECT_EQ(searchDirectory("*.xyz", names), ENOENT);
    EXPECT_TRUE(names.empty());
}

TEST(DirectorySearch, CannotStartInAFolderThatHasGone)
{
    TempFolder dir;
    std::filesystem::path gone = dir.folder("gone");
    ASSERT_EQ(changeDirectory(gone.string()), 0);
    std::filesystem::remove(gone);

    std::vector<std::string> names{"stale"};
    EXPECT_EQ(searchDirectory("*.*", names), ENOENT);
    EXPECT_TRUE(names.empty());
}

TEST(CurrentDirectory, FollowsAChangeAndStaysOnAFailedOne)
{
    TempFolder dir;
    dir.write("here.dat", "found");
    ASSERT_EQ(changeDirectory(dir.str()), 0);
    EXPECT_EQ(currentDirectory(), dir.str());
    std::string content;
    std::ifstream("here.dat") >> content;
    EXPECT_EQ(content, "found");

    EXPECT_EQ(changeDirectory((dir.path() / "missing").string()), ENOENT);
    EXPECT_EQ(changeDirectory(""), ENOENT);
    EXPECT_EQ(currentDirectory(), dir.str());
}

// Fake chooser programs on a search path of their own; each records its arguments.
class FolderChooserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* path = std::getenv("PATH");
        savedPath_ = path != nullptr ? path : "";
        bin_ = dir_.folder("bin");
        setenv("PATH", bin_.string().c_str(), 1);
    }
    void TearDown() override
    {
        setenv("PATH", savedPath_.c_str(), 1);
        setFolderChooser(nullptr);
    }

    void fakeProgram(const std::string& name, const std::string& answer, int status)
    {
        std::filesystem::path program = bin_ / name;
        std::ofstream(program) << "#!/bin/sh\n"
                               << "printf '%s\\n' \"$@\" > '" << argsFile().string() << "'\n"
                               << "printf '%s' '" << answer << "'\n"
                               << "exit " << status << "\n";
        chmod(program.c_str(), 0755);
    }
    std::filesystem::path argsFile() const { return dir_.path() / "args"; }
    std::string recordedArgs() const
    {
        std::ifstream in(argsFile());
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    TempFolder dir_;
    std::filesystem::path bin_;
    std::string savedPath_;
};

TEST_F(FolderChooserTest, ZenityAnswerIsThePathWithoutItsLineEndAndTheTitleIsNeverRunByAShell)
{
    fakeProgram("zenity", "/data/my folder\n", 0);
    fakeProgram("kdialog", "/wrong\n", 0);
    const std::string title = "Select $(touch injected) `touch injected`; touch injected";
    std::string path = "before";
    ASSERT_TRUE(desktopFolderChooser(title.c_str(), path));
    EXPECT_EQ(path, "/data/my folder");
    EXPECT_EQ(recordedArgs(), "--file-selection\n--directory\n--title=" + title + "\n");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::current_path() / "injected"));
    EXPECT_FALSE(std::filesystem::exists(dir_.path() / "injected"));
}

TEST_F(FolderChooserTest, LongAnswersArriveWhole)
{
    const std::string longPath = "/" + std::string(5000, 'x');
    fakeProgram("zenity", longPath + "\n", 0);
    std::string path;
    ASSERT_TRUE(desktopFolderChooser("Select Directory", path));
    EXPECT_EQ(path, longPath);
}

TEST_F(FolderChooserTest, CancelAndFailureLeaveThePathAlone)
{
    fakeProgram("zenity", "", 1);
    std::string path = "unchanged";
    testing::internal::CaptureStdout();
    EXPECT_FALSE(desktopFolderChooser("Select Directory", path));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(path, "unchanged");

    fakeProgram("zenity", "/half/written", 5);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(desktopFolderChooser("Select Directory", path));
    EXPECT_NE(testing::internal::GetCapturedStdout().find("status 5"), std::string::npos);
    EXPECT_EQ(path, "unchanged");
}

TEST_F(FolderChooserTest, KdialogStandsInWithoutZenityAndNoChooserCountsAsCancelled)
{
    fakeProgram("kdialog", "/from/kdialog\n", 0);
    std::string path;
    ASSERT_TRUE(desktopFolderChooser("Select Directory", path));
    EXPECT_EQ(path, "/from/kdialog");
    EXPECT_EQ(recordedArgs(), "--title\nSelect Directory\n--getexistingdirectory\n");

    std::filesystem::remove(bin_ / "kdialog");
    path = "unchanged";
    testing::internal::CaptureStdout();
    EXPECT_FALSE(runFolderChooser("Select Directory", path));
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("No folder chooser"), std::string::npos);
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1);
    EXPECT_EQ(path, "unchanged");
}

bool fakeChooser(const char* title, std::string& path)
{
    path = std::string("/fake/") + title;
    return true;
}

TEST_F(FolderChooserTest, AReplacedChooserIsUsedUntilRestored)
{
    fakeProgram("zenity", "/real\n", 0);
    std::string path;
    setFolderChooser(fakeChooser);
    ASSERT_TRUE(runFolderChooser("T", path));
    EXPECT_EQ(path, "/fake/T");
    setFolderChooser(nullptr);
    ASSERT_TRUE(runFolderChooser("T", path));
    EXPECT_EQ(path, "/real");
}

}  // namespace
