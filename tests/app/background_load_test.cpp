// Loads on the worker thread: the event loop's thread keeps turning while a large file is
// read, the progress line counts its bytes after half a second, what was read is installed on
// the event loop's thread only, and a load asked for meanwhile waits, the latest winning.
#include "app/background_load.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

#include "app/control_actions.h"
#include "app/file_list.h"
#include "app/viewer_state.h"
#include "glui/glui.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_support.h"

namespace {

// A "Data" file of sets x points, about 22 bytes a point.
std::string writeLargeData(const TempFolder& dir, const std::string& name, int sets, int points)
{
    std::string text = std::to_string(sets) + " " + std::to_string(points) + "\n";
    text.reserve(static_cast<std::size_t>(sets) * points * 24);
    char line[64];
    for (int s = 0; s < sets; ++s) {
        for (int p = 0; p < points; ++p) {
            std::snprintf(line, sizeof line, "%d.25 %d.5 %d.125\n", p, s, (p * 7 + s) % 1000);
            text += line;
        }
    }
    return dir.write(name, text);
}

class BackgroundLoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        viewer = ViewerState();
        dataSet = DataSet();
        forgetFiles();
        fileList_.add_item(0, "Choose Model");
        viewer.fileList = &fileList_;
    }
    void TearDown() override
    {
        finishLoads();
        setBackgroundLoads(false);
        forgetFiles();
        viewer = ViewerState();
    }
    void listAndPick(int item)
    {
        viewer.filedir = dir_.str();
        captureStdout([] { refreshFileList(); });
        viewer.chosen_listitem = item;
        controlAction(toInt(ControlId::FileList));
    }

    TempFolder dir_;
    GLUI_Listbox fileList_{nullptr, nullptr, "Files:", &viewer.chosen_listitem, 403, nullptr};
};

TEST_F(BackgroundLoad, TheLoopTurnsWhileALargeFileIsReadAndInstallsItOnItsOwnThread)
{
    writeLargeData(dir_, "big.dat", 1000, 1500);  // about 30 MB
    setBackgroundLoads(true);
    std::string progressSeen;
    int turns = 0;
    const std::string printed = captureStdout([&] {
        listAndPick(1);
        EXPECT_TRUE(loadBusy());
        EXPECT_EQ(loadProgressLine(std::chrono::steady_clock::now()), "") << "nothing shown in the first half second";
        EXPECT_EQ(dataSet.generation, 0u) << "nothing installed by the pick itself";
        while (loadBusy()) {
            ++turns;
            // As the display window would show it half a second on.
            const std::string line = loadProgressLine(std::chrono::steady_clock::now() + kProgressAfter);
            if (!line.empty()) {
                progressSeen = line;
            }
            if (dataSet.generation == 0) {
                serviceLoads();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    EXPECT_GT(turns, 5) << "the loop waited for the load";
    EXPECT_EQ(dataSet.generation, 1u);
    EXPECT_EQ(dataSet.coordArray.size(), 1500000u);
    EXPECT_EQ(viewer.filename, "big.dat");
    EXPECT_NE(printed.find("filename = big.dat\nfnTrf.nx = 1000 points per set = 1500\n"), std::string::npos)
        << printed;
    const double megabytes = static_cast<double>(std::filesystem::file_size(dir_.path("big.dat"))) / 1.0e6;
    char total[32];
    std::snprintf(total, sizeof total, " of %.1f MB read", megabytes);
    EXPECT_EQ(progressSeen.rfind("Loading big.dat: ", 0), 0u) << progressSeen;
    EXPECT_NE(progressSeen.find(total), std::string::npos) << progressSeen << " should end with" << total;
    EXPECT_EQ(loadProgressLine(std::chrono::steady_clock::now() + kProgressAfter), "") << "none once done";
}

TEST_F(BackgroundLoad, ALoadAskedForMeanwhileWaitsAndOnlyTheLatestOneRuns)
{
    writeLargeData(dir_, "a-big.dat", 400, 1500);
    dir_.write("b.dat", "1 2\n0 0 0\n1 1 1\n");
    dir_.write("c.dat", "1 3\n0 0 0\n1 1 1\n2 2 2\n");
    setBackgroundLoads(true);
    const std::string printed = captureStdout([&] {
        listAndPick(1);
        viewer.chosen_listitem = 2;
        controlAction(toInt(ControlId::FileList));
        viewer.chosen_listitem = 3;
        controlAction(toInt(ControlId::FileList));
        finishLoads();
    });
    EXPECT_NE(printed.find("filename = a-big.dat"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("filename = b.dat"), std::string::npos) << "b.dat was overtaken\n" << printed;
    EXPECT_LT(printed.find("filename = a-big.dat"), printed.find("filename = c.dat")) << printed;
    EXPECT_EQ(dataSet.generation, 2u);
    EXPECT_EQ(viewer.filename, "c.dat");
    EXPECT_EQ(dataSet.coordArray.size(), 3u);
}

TEST_F(BackgroundLoad, InstallingKeepsTheGroupsOfAColouredLoadForReadersWithoutGroups)
{
    DataSet shown;
    shown.groupArray = {4, 5};
    shown.generation = 7;
    DataSet plain;
    plain.coordArray.resize(2);
    plain.loadedFormat = static_cast<int>(DataFormat::Plain);
    installLoadedData(plain, shown);
    EXPECT_EQ(shown.groupArray, (std::vector<int>{4, 5}));
    EXPECT_EQ(shown.generation, 8u);
    EXPECT_EQ(shown.coordArray.size(), 2u);

    DataSet colored;
    colored.coordArray.resize(1);
    colored.groupArray = {9};
    colored.loadedFormat = static_cast<int>(DataFormat::Colored);
    installLoadedData(colored, shown);
    EXPECT_EQ(shown.groupArray, (std::vector<int>{9}));
    EXPECT_EQ(shown.generation, 9u);
}

}  // namespace
