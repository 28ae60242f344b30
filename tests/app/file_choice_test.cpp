// The file asked for and the file on screen: reloads by path after the list has moved on,
// failed loads that keep what is shown, a relative folder made absolute once, a folder of
// 100,000 names, and names with control characters.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "app/control_actions.h"
#include "app/file_list.h"
#include "app/viewer_state.h"
#include "core/data_set.h"
#include "glui/glui.h"
#include "io/platform_dirs.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_support.h"

namespace {

const char* const kTwoSets = "2 3\n0 0 0\n1 1 0\n2 4 0\n0 0 1\n1 2 1\n2 3 1\n";
const char* const kOneSet = "1 4\n0 0 0\n1 0 0\n2 0 0\n3 1 1\n";
const char* const kMaple = "GRID(0. .. 1.,0. .. 2.,Array(1..2,1..3,[[0.,.5,1.],[1.,1.5,2.\\\n]]))\n";

// "Specify Data File" without a window: the two boxes and the list, as the panel leaves them.
class FileChoice : public ::testing::Test {
protected:
    void SetUp() override
    {
        viewer = ViewerState();
        dataSet = DataSet();
        forgetFiles();
        fileList_.add_item(0, "Choose Model");
        viewer.folderText = &folderText_;
        viewer.filterText = &filterText_;
        viewer.fileList = &fileList_;
        filterText_.set_text("*.*");
    }
    void TearDown() override
    {
        forgetFiles();
        viewer = ViewerState();
    }

    std::string list(const std::string& folder)
    {
        folderText_.set_text(folder.c_str());
        return captureStdout([] { controlAction(toInt(ControlId::FolderOrFilter)); });
    }
    std::string pick(int item)
    {
        viewer.chosen_listitem = item;
        return captureStdout([] { controlAction(toInt(ControlId::FileList)); });
    }
    std::string act(ControlId id)
    {
        return captureStdout([id] { controlAction(toInt(id)); });
    }
    std::vector<std::string> shown() const
    {
        std::vector<std::string> texts;
        for (const auto& item : fileList_.items()) {
            texts.push_back(item.second);
        }
        return texts;
    }

    TempFolder dir_;
    GLUI_EditText folderText_{nullptr, nullptr, "Folder:", GLUI_EDITTEXT_TEXT, nullptr, 404, nullptr};
    GLUI_EditText filterText_{nullptr, nullptr, "File filter:", GLUI_EDITTEXT_TEXT, nullptr, 404, nullptr};
    GLUI_Listbox fileList_{nullptr, nullptr, "Files:", &viewer.chosen_listitem, 403, nullptr};
};

TEST_F(FileChoice, ReloadsReadTheFileOnScreenByItsPathAfterTheListMovedToAnotherFolder)
{
    const std::filesystem::path first = dir_.folder("first");
    const std::filesystem::path second = dir_.folder("second");
    std::ofstream(first / "a.dat") << kTwoSets;
    std::ofstream(second / "other.dat") << kOneSet;
    list(first.string());
    pick(1);
    ASSERT_EQ(viewer.filename, "a.dat");
    ASSERT_EQ(dataSet.fnTrf.nx, 2);

    // The new folder's item 1 is another file; the reloads still read a.dat.
    list(second.string());
    ASSERT_EQ(shown(), (std::vector<std::string>{"Choose Model", "other.dat"}));
    viewer.axis_data = AxisScaling::Uniform;
    std::string out = act(ControlId::AxisScaling);
    EXPECT_EQ(out.rfind("\nfilename = a.dat\nfnTrf.nx = 2 points per set = 3\n", 0), 0u)
        << "no list line: the list does not show a.dat\n" << out;
    EXPECT_EQ(dataSet.generation, 2u);
    EXPECT_EQ(dataSet.fnTrf.nx, 2);
    EXPECT_EQ(viewer.filename, "a.dat");
    EXPECT_EQ(shownFilePath(), (first / "a.dat").string());

    viewer.dataFormat = DataFormat::Columns;
    out = act(ControlId::DataFormat);
    EXPECT_NE(out.find("filename = a.dat"), std::string::npos) << out;
    EXPECT_EQ(out.find("other.dat"), std::string::npos) << out;

    // Back in the first folder a reload names its item again, as a pick does.
    list(first.string());
    viewer.dataFormat = DataFormat::Plain;
    out = act(ControlId::AxisScaling);
    EXPECT_EQ(out.rfind("list=1\n\nfilename = a.dat\n", 0), 0u) << out;
}

TEST_F(FileChoice, AFailedLoadKeepsTheDataTheNameAndTheView)
{
    // Items 2 and 3 cannot be read: a folder, and a file gone since the listing.
    dir_.write("a.dat", kTwoSets);
    dir_.folder("b.dat");
    dir_.write("c.mpl", kMaple);
    list(dir_.str());
    std::filesystem::remove(dir_.path("c.mpl"));
    pick(1);
    const std::vector<Point3d> before = dataSet.coordArray;
    const unsigned long generation = dataSet.generation;
    viewer.angleX = 25.0f;
    viewer.scale = 2.0f;

    for (int item : {2, 3}) {
        const std::string out = pick(item);
        EXPECT_NE(out.find("\nfilename = "), std::string::npos) << "the failed load reports itself\n" << out;
        EXPECT_EQ(dataSet.generation, generation) << item;
        EXPECT_EQ(dataSet.coordArray.size(), before.size()) << item;
        EXPECT_EQ(viewer.filename, "a.dat") << "the picture keeps the name of what it shows";
        EXPECT_EQ(viewer.angleX, 25.0f) << "the view of the picture stays";
        EXPECT_EQ(viewer.scale, 2.0f);
        EXPECT_EQ(shownFilePath(), dir_.path("a.dat"));
    }
    EXPECT_EQ(requestedFilePath(), dir_.path("c.mpl"));

    // The file is back and the format it needs is chosen: that file, not the one on screen,
    // is read.
    dir_.write("c.mpl", kMaple);
    viewer.dataFormat = DataFormat::Maple;
    const std::string out = act(ControlId::DataFormat);
    EXPECT_EQ(out.rfind("list=3\n\nfilename = c.mpl\n", 0), 0u) << out;
    EXPECT_EQ(viewer.filename, "c.mpl");
    EXPECT_EQ(dataSet.generation, generation + 1);
    EXPECT_EQ(dataSet.loadedFormat, static_cast<int>(DataFormat::Maple));
    EXPECT_EQ(viewer.angleX, 0.0f) << "a newly read file starts from the default view";
}

TEST_F(FileChoice, ChooseModelLeavesNothingToReload)
{
    dir_.write("a.dat", kTwoSets);
    list(dir_.str());
    pick(1);
    pick(0);
    EXPECT_TRUE(requestedFilePath().empty());
    viewer.axis_data = AxisScaling::Uniform;
    EXPECT_EQ(act(ControlId::AxisScaling), "");
    EXPECT_EQ(act(ControlId::DataFormat), "");
    EXPECT_EQ(dataSet.generation, 1u);
    EXPECT_EQ(viewer.filename, "a.dat") << "the picture stays";
}

TEST_F(FileChoice, ARelativeFolderIsMadeAbsoluteOnceAndTheBoxShowsIt)
{
    const std::filesystem::path inner = dir_.folder("outer/inner");
    std::ofstream(inner / "x.dat") << kTwoSets;
    std::ofstream(dir_.path() / "outer" / "y.dat") << kTwoSets;
    list(inner.string());
    list("..");
    EXPECT_EQ(std::string(folderText_.get_text()), (dir_.path() / "outer").string());
    EXPECT_EQ(viewer.filedir, (dir_.path() / "outer").string());
    EXPECT_EQ(shown(), (std::vector<std::string>{"Choose Model", "inner", "y.dat"}));

    // A new filter lists the same folder again, not one further up.
    filterText_.set_text("*.dat");
    captureStdout([] { controlAction(toInt(ControlId::FolderOrFilter)); });
    EXPECT_EQ(std::string(folderText_.get_text()), (dir_.path() / "outer").string());
    EXPECT_EQ(shown(), (std::vector<std::string>{"Choose Model", "y.dat"}));

    // A folder that cannot be listed keeps its text, so it can be corrected.
    EXPECT_EQ(list("missing"), "Invalid File Handle. Get Last Error reports 2\n");
    EXPECT_STREQ(folderText_.get_text(), "missing");
}

TEST_F(FileChoice, AFolderOfAHundredThousandNamesIsListedAndLeftInBoundedTime)
{
    // Memory-backed where there is one: creating the names must not dominate the test.
    const bool shm = std::filesystem::is_directory("/dev/shm");
    TempFolder many(shm ? "/dev/shm" : "");
    for (int k = 0; k < 100000; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "n%06d.dat", k);
        std::ofstream(many.path(name));
    }
    dir_.write("few.dat", kTwoSets);

    const auto start = std::chrono::steady_clock::now();
    list(many.str());
    ASSERT_EQ(fileCount, 100000);
    ASSERT_EQ(fileList_.items().size(), 100001u);
    EXPECT_EQ(fileList_.items().back(), std::make_pair(100000, std::string("n099999.dat")));
    list(dir_.str());
    list(many.str());
    list(dir_.str());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(shown(), (std::vector<std::string>{"Choose Model", "few.dat"}));
    // Deleting item by item took a quarter of a minute for one change of folder.
    EXPECT_LT(seconds, 5.0) << "four listings of which two of 100,000 names";
}

TEST_F(FileChoice, ControlCharactersInNamesAreEscapedInTheListTheReportAndThePicture)
{
    dir_.write("line\nbreak.dat", kTwoSets);
    dir_.write("tab\there.dat", kOneSet);
    dir_.write(std::string("esc\x1b[31mred.dat"), kTwoSets);
    list(dir_.str());
    const std::vector<std::string> texts = shown();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "line\\nbreak.dat"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "tab\\there.dat"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "esc\\x1b[31mred.dat"), texts.end());

    const int item = static_cast<int>(std::find(texts.begin(), texts.end(), "line\\nbreak.dat") - texts.begin());
    const std::vector<std::string> lines = splitLines(pick(item));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[2], "filename = line\\nbreak.dat") << "the report's name stays on its line";
    EXPECT_EQ(lines[3], "fnTrf.nx = 2 points per set = 3") << "and the file is read whole";
    EXPECT_EQ(viewer.filename, "line\\nbreak.dat");
    EXPECT_EQ(shownFilePath(), dir_.path("line\nbreak.dat"));
}

}  // namespace
