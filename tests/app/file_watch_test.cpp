// "Watch file": when a rewritten file is due to be read again, inotify on real files rewritten
// in place, by rename and half at a time, and the viewer's reload that keeps the view.
#include "app/file_watch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

#include "app/background_load.h"
#include "app/control_actions.h"
#include "app/file_list.h"
#include "app/viewer_state.h"
#include "glui/glui.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_support.h"

namespace {

using std::chrono::milliseconds;

TEST(ChangeSettling, AClosedFileIsDueSoonAFileStillOpenOnlyAfterALongerQuiet)
{
    const WatchClock::time_point t0{};
    ChangeSettling s;
    EXPECT_FALSE(s.due(t0 + milliseconds(5000))) << "nothing changed";

    s.noteChange(t0, false);  // a write, the writer still at it
    EXPECT_FALSE(s.due(t0 + milliseconds(1000)));
    s.noteChange(t0 + milliseconds(1000), false);  // it went on after a pause
    EXPECT_FALSE(s.due(t0 + milliseconds(2000))) << "quiet counts from the last change";
    EXPECT_TRUE(s.due(t0 + milliseconds(2500)));

    s.noteChange(t0 + milliseconds(3000), true);  // closed: done
    EXPECT_FALSE(s.due(t0 + milliseconds(3100)));
    EXPECT_TRUE(s.due(t0 + milliseconds(3250)));
    s.taken();
    EXPECT_FALSE(s.due(t0 + milliseconds(9000))) << "taken until the next change";
    EXPECT_EQ(s.changes(), 3u);
}

// Polls the watch every 20 ms for up to limit; true once it says a read is due.
bool dueWithin(FileWatch& watch, milliseconds limit)
{
    const auto end = WatchClock::now() + limit;
    while (WatchClock::now() < end) {
        if (watch.reloadDue(WatchClock::now())) {
            return true;
        }
        std::this_thread::sleep_for(milliseconds(20));
    }
    return false;
}

TEST(FileWatch, SeesRewritesInPlaceByRenameAndAfterADeletionOnlyOfItsOwnFile)
{
    TempFolder dir;
    const std::string path = dir.write("watched.dat", "1 1\n0 0 0\n");
    FileWatch watch;
    std::string error;
    ASSERT_TRUE(watch.watch(path, error)) << error;
    EXPECT_FALSE(dueWithin(watch, milliseconds(300))) << "nothing happened yet";

    dir.write("neighbour.dat", "changed");
    EXPECT_FALSE(dueWithin(watch, milliseconds(400))) << "another file of the folder";

    dir.write("watched.dat", "1 1\n1 1 1\n");
    EXPECT_TRUE(dueWithin(watch, milliseconds(2000))) << "rewritten in place and closed";
    watch.settling().taken();

    const std::string fresh = dir.write("fresh.tmp", "1 1\n2 2 2\n");
    std::rename(fresh.c_str(), path.c_str());
    EXPECT_TRUE(dueWithin(watch, milliseconds(2000))) << "a finished file renamed into place";
    watch.settling().taken();

    std::remove(path.c_str());
    EXPECT_FALSE(dueWithin(watch, milliseconds(2000))) << "deleted: it waits for the new version";
    dir.write("watched.dat", "1 1\n3 3 3\n");
    EXPECT_TRUE(dueWithin(watch, milliseconds(2000))) << "written anew";
}

// The viewer with "Watch file" ticked on a file loaded through the list; loads run at once.
class WatchReload : public ::testing::Test {
protected:
    void SetUp() override
    {
        viewer = ViewerState();
        dataSet = DataSet();
        forgetFiles();
        fileList_.add_item(0, "Choose Model");
        viewer.fileList = &fileList_;
        viewer.filedir = dir_.str();
        captureStdout([] { refreshFileList(); });
    }
    void TearDown() override
    {
        forgetFiles();
        viewer = ViewerState();
    }

    // Serves the watch as the viewer's timer does, for up to limit; returns what it printed.
    std::string serveFor(milliseconds limit, unsigned long untilGeneration = 0)
    {
        return captureStdout([&] {
            const auto end = WatchClock::now() + limit;
            while (WatchClock::now() < end && (untilGeneration == 0 || dataSet.generation < untilGeneration)) {
                serviceFileWatch(WatchClock::now());
                std::this_thread::sleep_for(milliseconds(20));
            }
        });
    }

    TempFolder dir_;
    GLUI_Listbox fileList_{nullptr, nullptr, "Files:", &viewer.chosen_listitem, 403, nullptr};
};

TEST_F(WatchReload, ARewriteIsReadAgainWithTheViewKept)
{
    const std::string path = dir_.write("wave.dat", "1 3\n0 0 0\n1 1 1\n2 0 2\n");
    captureStdout([] { refreshFileList(); });
    viewer.chosen_listitem = 1;
    captureStdout([] { controlAction(toInt(ControlId::FileList)); });
    ASSERT_EQ(dataSet.generation, 1u);
    viewer.watchFile = 1;
    controlAction(toInt(ControlId::WatchFile));

    viewer.angleX = 30.0f;
    viewer.scale = 1.7f;
    viewer.objTrans[2] = 2.0f;
    std::ofstream(path) << "2 3\n0 0 0\n1 1 1\n2 0 2\n0 0 1\n1 1 2\n2 0 3\n";
    const std::string printed = serveFor(milliseconds(5000), 2);
    ASSERT_EQ(dataSet.generation, 2u) << "the rewrite was not read again";
    EXPECT_EQ(printed.rfind("\nfilename = wave.dat\nfnTrf.nx = 2 points per set = 3\n", 0), 0u) << printed;
    EXPECT_EQ(dataSet.coordArray.size(), 6u);
    EXPECT_EQ(viewer.angleX, 30.0f) << "the turn stays";
    EXPECT_EQ(viewer.scale, 1.7f) << "the zoom stays";
    EXPECT_EQ(viewer.objTrans[2], 2.0f);

    // Unticked, a rewrite is left alone.
    viewer.watchFile = 0;
    controlAction(toInt(ControlId::WatchFile));
    std::ofstream(path) << "1 3\n0 0 0\n1 1 1\n2 0 2\n";
    serveFor(milliseconds(800));
    EXPECT_EQ(dataSet.generation, 2u);
}

TEST_F(WatchReload, AFileCaughtHalfWrittenIsReadOnlyOnceItIsWhole)
{
    const std::string path = dir_.write("grow.dat", "1 2\n0 0 0\n1 1 1\n");
    captureStdout([] { refreshFileList(); });
    viewer.chosen_listitem = 1;
    captureStdout([] { controlAction(toInt(ControlId::FileList)); });
    viewer.watchFile = 1;
    controlAction(toInt(ControlId::WatchFile));

    // The writer writes the header and half the points, pauses with the file open, then
    // writes the rest and closes it.
    std::FILE* writer = std::fopen(path.c_str(), "w");
    ASSERT_NE(writer, nullptr);
    std::fputs("2 3\n0 0 0\n1 1 1\n2 0 2\n", writer);
    std::fflush(writer);
    const std::string during = serveFor(milliseconds(1000));
    EXPECT_EQ(dataSet.generation, 1u) << "read while half-written:\n" << during;
    std::fputs("0 0 1\n1 1 2\n2 0 3\n", writer);
    std::fclose(writer);

    const std::string after = serveFor(milliseconds(5000), 2);
    ASSERT_EQ(dataSet.generation, 2u);
    EXPECT_EQ(dataSet.coordArray.size(), 6u) << after;
    EXPECT_EQ(after.find("missing"), std::string::npos) << after;
    serveFor(milliseconds(600));
    EXPECT_EQ(dataSet.generation, 2u) << "one rewrite, one reload";
}

// Whether the running load has read some of its file: a rewrite before that (while the load
// waits for the worker) is not one that overtakes a read, and a load that opens the file in
// the middle of the rewrite finds it empty.
bool readingBegun()
{
    const std::string line = loadProgressLine(std::chrono::steady_clock::now() + std::chrono::hours(1));
    return !line.empty() && line.find(": 0.0 of ") == std::string::npos;
}

TEST_F(WatchReload, AFileRewrittenWhileItIsReadIsNotShownButReadAgain)
{
    // About 20 MB: its read takes long enough to be overtaken by a rewrite.
    std::string big = "500 2000\n";
    for (int k = 0; k < 1000000; ++k) {
        big += std::to_string(k % 2000) + ".5 " + std::to_string(k / 2000) + ".25 " + std::to_string(k % 7) + "\n";
    }
    const std::string path = dir_.write("big.dat", "1 2\n0 0 0\n1 1 1\n");
    captureStdout([] { refreshFileList(); });
    viewer.chosen_listitem = 1;
    captureStdout([] { controlAction(toInt(ControlId::FileList)); });
    viewer.watchFile = 1;
    controlAction(toInt(ControlId::WatchFile));
    setBackgroundLoads(true);

    std::ofstream(path) << big;  // the big version: its reload begins once it is quiet
    bool rewritten = false;
    const std::string printed = captureStdout([&] {
        const auto end = WatchClock::now() + milliseconds(20000);
        while (WatchClock::now() < end && (dataSet.fnTrf.nx != 1 || dataSet.coordArray.size() != 3)) {
            if (!rewritten && readingBegun()) {
                std::ofstream(path) << "1 3\n0 0 0\n1 1 1\n2 2 2\n";  // overtakes the read
                rewritten = true;
            }
            serviceLoads();
            serviceFileWatch(WatchClock::now());
            std::this_thread::sleep_for(milliseconds(5));
        }
        finishLoads();
    });
    setBackgroundLoads(false);
    ASSERT_TRUE(rewritten);
    EXPECT_EQ(dataSet.coordArray.size(), 3u) << "the last version is shown\n" << printed;
    EXPECT_NE(printed.find("big.dat changed while it was read: it is read again once it stops changing"),
              std::string::npos)
        << printed;
    EXPECT_EQ(dataSet.generation, 2u) << "the overtaken read was not installed";
}

}  // namespace
