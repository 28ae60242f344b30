// The platform layer on real folders: wildcard matching, the directory search, the
// current directory, and the folder chooser run through fake zenity/kdialog programs.
#include "io/platform_dirs.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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
        stopFolderChooser();
        setenv("PATH", savedPath_.c_str(), 1);
        setFolderChooser(nullptr);
    }

    // A chooser that records its arguments, waits until the file "release" exists when
    // told to, then prints answer and ends with status.
    void fakeProgram(const std::string& name, const std::string& answer, int status, bool waits = false)
    {
        std::filesystem::path program = bin_ / name;
        const std::string wait = "while [ ! -e '" + releaseFile().string() + "' ]; do sleep 0.02; done\n";
        std::ofstream(program) << "#!/bin/sh\n"
                               << "printf '%s\\n' \"$@\" > '" << argsFile().string() << "'\n"
                               << (waits ? wait : "")
                               << "printf '%s' '" << answer << "'\n"
                               << "exit " << status << "\n";
        chmod(program.c_str(), 0755);
    }
    std::filesystem::path argsFile() const { return dir_.path() / "args"; }
    std::filesystem::path releaseFile() const { return dir_.path() / "release"; }
    std::string recordedArgs() const
    {
        std::ifstream in(argsFile());
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // The chooser's answer, asked for as the event loop asks: started, then polled.
    ChooserState answerOf(const std::string& title, std::string& path, const std::string& startFolder = "")
    {
        ChooserState state = startFolderChooser(title.c_str(), startFolder, path);
        while (state == ChooserState::Open) {
            usleep(2000);
            state = pollFolderChooser(path);
        }
        return state;
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
    ASSERT_EQ(answerOf(title, path), ChooserState::Chosen);
    EXPECT_EQ(path, "/data/my folder");
    EXPECT_EQ(recordedArgs(), "--file-selection\n--directory\n--title=" + title + "\n");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::current_path() / "injected"));
    EXPECT_FALSE(std::filesystem::exists(dir_.path() / "injected"));
}

TEST_F(FolderChooserTest, TheChooserOpensAtTheStartFolderAndAnswersWithoutBeingWaitedFor)
{
    fakeProgram("zenity", "/picked\n", 0, true);
    std::string path = "unchanged";
    ASSERT_EQ(startFolderChooser("Select Directory", "/data/listed", path), ChooserState::Open);
    EXPECT_TRUE(folderChooserOpen());
    // Open for as long as it stands; a second start starts nothing.
    for (int poll = 0; poll < 20; ++poll) {
        EXPECT_EQ(pollFolderChooser(path), ChooserState::Open);
        usleep(2000);
    }
    EXPECT_EQ(startFolderChooser("Select Directory", "/elsewhere", path), ChooserState::Open);
    EXPECT_EQ(path, "unchanged");
    std::ofstream(releaseFile()) << "";
    ChooserState state = ChooserState::Open;
    for (int poll = 0; poll < 5000 && state == ChooserState::Open; ++poll) {
        usleep(2000);
        state = pollFolderChooser(path);
    }
    ASSERT_EQ(state, ChooserState::Chosen);
    EXPECT_EQ(path, "/picked");
    EXPECT_FALSE(folderChooserOpen());
    EXPECT_NE(recordedArgs().find("--filename=/data/listed/\n"), std::string::npos) << recordedArgs();

    // kdialog is given the folder as its starting place.
    std::filesystem::remove(bin_ / "zenity");
    fakeProgram("kdialog", "/k\n", 0);
    ASSERT_EQ(answerOf("Select Directory", path, "/data/listed"), ChooserState::Chosen);
    EXPECT_EQ(recordedArgs(), "--title\nSelect Directory\n--getexistingdirectory\n/data/listed\n");
}

TEST_F(FolderChooserTest, AChooserStillOpenEndsWithTheViewer)
{
    fakeProgram("zenity", "/never\n", 0, true);
    std::string path;
    ASSERT_EQ(startFolderChooser("Select Directory", "", path), ChooserState::Open);
    stopFolderChooser();
    EXPECT_FALSE(folderChooserOpen());
    EXPECT_EQ(pollFolderChooser(path), ChooserState::Cancelled);
    EXPECT_EQ(path, "");
}

TEST_F(FolderChooserTest, LongAnswersArriveWhole)
{
    // Longer than a pipe holds: it arrives over several looks.
    const std::string longPath = "/" + std::string(70000, 'x');
    fakeProgram("zenity", longPath + "\n", 0);
    std::string path;
    ASSERT_EQ(answerOf("Select Directory", path), ChooserState::Chosen);
    EXPECT_EQ(path, longPath);
}

TEST_F(FolderChooserTest, CancelAndFailureLeaveThePathAlone)
{
    fakeProgram("zenity", "", 1);
    std::string path = "unchanged";
    testing::internal::CaptureStdout();
    EXPECT_EQ(answerOf("Select Directory", path), ChooserState::Cancelled);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(path, "unchanged");

    fakeProgram("zenity", "/half/written", 5);
    testing::internal::CaptureStdout();
    EXPECT_EQ(answerOf("Select Directory", path), ChooserState::Cancelled);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("status 5"), std::string::npos);
    EXPECT_EQ(path, "unchanged");
}

TEST_F(FolderChooserTest, KdialogStandsInWithoutZenityAndNoChooserCountsAsCancelled)
{
    fakeProgram("kdialog", "/from/kdialog\n", 0);
    std::string path;
    ASSERT_EQ(answerOf("Select Directory", path), ChooserState::Chosen);
    EXPECT_EQ(path, "/from/kdialog");
    EXPECT_EQ(recordedArgs(), "--title\nSelect Directory\n--getexistingdirectory\n");

    std::filesystem::remove(bin_ / "kdialog");
    path = "unchanged";
    testing::internal::CaptureStdout();
    EXPECT_EQ(startFolderChooser("Select Directory", "/data", path), ChooserState::Cancelled);
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("No folder chooser"), std::string::npos);
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1);
    EXPECT_EQ(path, "unchanged");
    EXPECT_FALSE(folderChooserOpen());
}

bool fakeChooser(const char* title, std::string& path)
{
    path = std::string("/fake/") + title;
    return true;
}

TEST_F(FolderChooserTest, AReplacedChooserAnswersAtOnceUntilRestored)
{
    fakeProgram("zenity", "/real\n", 0);
    std::string path;
    setFolderChooser(fakeChooser);
    ASSERT_EQ(startFolderChooser("T", "/x", path), ChooserState::Chosen);
    EXPECT_EQ(path, "/fake/T");
    setFolderChooser(nullptr);
    ASSERT_EQ(answerOf("T", path), ChooserState::Chosen);
    EXPECT_EQ(path, "/real");
}

}  // namespace
