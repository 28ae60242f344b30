// The file list on real folders: what a listing shows in the "Files:" list box, the
// failures of a listing, and loading a listed file after a reset of the view.
#include "app/file_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "app/viewer_state.h"
#include "core/data_set.h"
#include "io/platform_dirs.h"
#include "glui/glui.h"
#include "tests/support/temp_folder.h"

namespace {

const char* const kPlainExample = "2 3\n0 0 0\n1 1 0\n2 4 0\n0 0 1\n1 2 1\n2 3 1\n";
const char* const kMapleExample =
    "GRID(0. .. 1.,0. .. 2.,Array(1..2,1..3,[[0.,.5,1.],[1.,1.5,2.\\\n]]))\n";

// The two text boxes and the list box of "Specify Data File", made without a window,
// with the list holding "Choose Model" as the panel build leaves it.
class FileListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        viewer = ViewerState();
        dataSet = DataSet();
        fileNames.clear();
        fileCount = 0;
        fileList_.add_item(0, "Choose Model");
        viewer.folderText = &folderText_;
        viewer.filterText = &filterText_;
        viewer.fileList = &fileList_;
    }
    void TearDown() override
    {
        viewer = ViewerState();
        setFolderChooser(nullptr);
    }

    // Lists folder with filter as the "Folder:" and "File filter:" boxes would; returns what was printed.
    std::string list(const std::string& folder, const char* filter = "*.*")
    {
        folderText_.set_text(folder.c_str());
        filterText_.set_text(filter);
        testing::internal::CaptureStdout();
        refreshFileList();
        std::fflush(stdout);
        return testing::internal::GetCapturedStdout();
    }
    std::string load(int item)
    {
        testing::internal::CaptureStdout();
        loadListItem(item);
        std::fflush(stdout);
        return testing::internal::GetCapturedStdout();
    }
    // The texts of the list's items, checking that item k carries id k.
    std::vector<std::string> shown() const
    {
        std::vector<std::string> texts;
        for (const auto& item : fileList_.items()) {
            EXPECT_EQ(item.first, static_cast<int>(texts.size())) << item.second;
            texts.push_back(item.second);
        }
        return texts;
    }

    TempFolder dir_;
    GLUI_EditText folderText_{nullptr, nullptr, "Folder:", GLUI_EDITTEXT_TEXT, nullptr, 404, nullptr};
    GLUI_EditText filterText_{nullptr, nullptr, "File filter:", GLUI_EDITTEXT_TEXT, nullptr, 404, nullptr};
    GLUI_Listbox fileList_{nullptr, nullptr, "Files:", &viewer.chosen_listitem, 403, nullptr};
};

TEST_F(FileListTest, ListsEveryVisibleNameOfTheFolderInNameOrder)
{
    std::filesystem::path two = dir_.folder("two");
    std::ofstream(two / "b.dat") << kPlainExample;
    std::ofstream(two / "a.dat") << kPlainExample;
    EXPECT_EQ(list(two.string()), "");
    EXPECT_EQ(shown(), (std::vector<std::string>{"Choose Model", "a.dat", "b.dat"}));
    EXPECT_EQ(fileCount, 2);
    EXPECT_EQ(viewer.filedir, two.string());
    EXPECT_EQ(viewer.fileFilter, "*.*");
    EXPECT_EQ(currentDirectory(), two.string());

    std::filesystem::path one = dir_.folder("one");
    std::ofstream(one / "only.dat") << kPlainExample;
    list(one.string());
    EXPECT_EQ(shown(), (std::vector<std::string>{"Choose Model", "only.dat"}));

    std::filesystem::path mixed = dir_.folder("mixed");
    std::ofstream(mixed / ".hidden") << kPlainExample;
    std::ofstream(mixed / "x.dat") << kPlainExample;
    std::filesystem::create_directory(mixed / "data");
    list(mixed.string());
    EXPECT_EQ(shown(), (std::vector<std::string>{"Choose Model", "data", "x.dat"}));
    EXPECT_EQ(fileCount, 2);

    list(two.string(), "b*");
    EXPECT_EQ(shown(), (std::vector<std::string>{"Choose Model", "b.dat"}));
}

TEST_F(FileListTest, AFilterMatchingNothingLeavesOnlyChooseModel)
{
    dir_.write("a.dat");
    dir_.write("b.dat");
    list(dir_.str());
    ASSERT_EQ(fileCount, 2);

    EXPECT_EQ(list(dir_.str(), "*.xyz"), "Invalid File Handle. Get Last Error reports 2\n");
    EXPECT_EQ(shown(), (std::vector<std::string>{"Choose Model"}));
    EXPECT_EQ(fileCount, 0);
    EXPECT_EQ(viewer.fileFilter, "*.xyz");
}

TEST_F(FileListTest, AMissingFolderListsNothingFromAnyOtherFolder)
{
    dir_.write("a.dat", kPlainExample);
    dir_.write("b.dat", kPlainExample);
    list(dir_.str());
    ASSERT_EQ(fileCount, 2);

    EXPECT_EQ(list((dir_.path() / "missing").string()), "Invalid File Handle. Get Last Error reports 2\n");
    EXPECT_EQ(shown(), (std::vector<std::string>{"Choose Model"}));
    EXPECT_EQ(fileCount, 0);
    EXPECT_TRUE(fileNames.empty());

    // Nothing from the folder that is still current can be loaded through the empty list.
    std::string printed = load(1);
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << printed;
    EXPECT_EQ(dataSet.generation, 0u);
    EXPECT_TRUE(viewer.filename.empty());
}

TEST_F(FileListTest, LongNamesAreShortenedInTheListAndStillOpenTheirOwnFile)
{
    std::vector<std::string> expected{"Choose Model"};
    for (int i = 0; i < 300; ++i) {
        char number[8];
        std::snprintf(number, sizeof number, "%03d", i);
        std::string name = std::string(number) + std::string(static_cast<std::size_t>(i % 4) * 80, 'n') + ".dat";
        dir_.write(name, kPlainExample);
        expected.push_back(i % 4 == 0 ? name : name.substr(0, 14) + "..." + std::string(19, 'n') + ".dat");
    }
    const std::string longest = "999" + std::string(240, 'L') + ".dat";
    dir_.write(longest, "1 4\n0 0 0\n1 0 0\n2 0 0\n3 1 1\n");
    expected.push_back("999" + std::string(11, 'L') + "..." + std::string(19, 'L') + ".dat");

    EXPECT_EQ(list(dir_.str()), "");
    EXPECT_EQ(fileCount, 301);
    EXPECT_EQ(shown(), expected);
    for (const std::string& text : shown()) {
        EXPECT_LE(text.size(), kListNameCharacters) << text;
    }

    std::string printed = load(301);
    EXPECT_EQ(printed.rfind("list=301\n\nfilename = " + longest + "\n", 0), 0u) << printed;
    EXPECT_EQ(viewer.filename, longest);
    EXPECT_EQ(dataSet.fnTrf.nx, 1);
    EXPECT_EQ(dataSet.fnTrf.pointsPerSet, 4);
}

TEST_F(FileListTest, ItemTwoAsMapleIsReadByTheMapleReader)
{
    dir_.write("a.dat", kPlainExample);
    dir_.write("b.mpl", kMapleExample);
    list(dir_.str());
    viewer.dataFormat = DataFormat::Maple;

    std::string printed = load(2);
    EXPECT_EQ(printed.rfind("list=2\n\nfilename = b.mpl\n", 0), 0u) << printed;
    EXPECT_EQ(viewer.filename, "b.mpl");
    EXPECT_EQ(dataSet.loadedFormat, 1);
    EXPECT_EQ(dataSet.fnTrf.nx, 2);
    EXPECT_EQ(dataSet.fnTrf.pointsPerSet, 3);
    ASSERT_EQ(dataSet.coordArray.size(), 6u);
    EXPECT_DOUBLE_EQ(dataSet.coordArray[5].x, 5.0);
    EXPECT_DOUBLE_EQ(dataSet.coordArray[5].y, 5.0);
    EXPECT_DOUBLE_EQ(dataSet.coordArray[5].z, 5.0);
}

TEST_F(FileListTest, TheViewIsResetBeforeTheRead)
{
    dir_.write("a.dat", kPlainExample);
    list(dir_.str());
    viewer.scale = 3.5f;
    viewer.thickness = 0.5f;
    viewer.angleX = 30.0f;
    viewer.objTrans[1] = 2.0f;
    viewer.eyeSeparation = 4.0f;

    // The reader reports the scale and thickness it reads: those of the reset view.
    std::string printed = load(1);
    EXPECT_NE(printed.find("fnTrf.nx = 2 points per set = 3\nscale = 1.000000 segments = 8 thickness = 0.020000\n"),
              std::string::npos)
        << printed;
    EXPECT_EQ(viewer.angleX, 0.0f);
    EXPECT_EQ(viewer.objTrans[1], 0.0f);
    EXPECT_EQ(viewer.eyeSeparation, 1.0f);
    EXPECT_EQ(dataSet.loadedFormat, 0);
    EXPECT_EQ(dataSet.generation, 1u);
}

TEST_F(FileListTest, ALaterListingChangesNeitherTheLoadedNameNorWhatAStaleItemLoads)
{
    std::filesystem::path first = dir_.folder("first");
    for (const char* name : {"a.dat", "b.dat", "c.dat"}) {
        std::ofstream(first / name) << kPlainExample;
    }
    list(first.string());
    load(3);
    ASSERT_EQ(viewer.filename, "c.dat");
    const unsigned long loads = dataSet.generation;

    std::filesystem::path second = dir_.folder("second");
    std::ofstream(second / "z.dat") << kPlainExample;
    list(second.string());
    EXPECT_EQ(shown(), (std::vector<std::string>{"Choose Model", "z.dat"}));
    EXPECT_EQ(viewer.filename, "c.dat");

    // Item 3 no longer exists (an axis-scaling reload after the listing): one line, no load.
    for (int stale : {3, 0, -1}) {
        std::string printed = load(stale);
        EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << printed;
        EXPECT_EQ(printed.find("filename"), std::string::npos) << printed;
    }
    EXPECT_EQ(dataSet.generation, loads);
    EXPECT_EQ(viewer.filename, "c.dat");
}

bool cancellingChooser(const char*, std::string&)
{
    return false;
}

bool choosingChooser(const char* title, std::string& path)
{
    path = std::string("/chosen/for ") + title;
    return true;
}

TEST_F(FileListTest, FolderBrowseAndStartFolder)
{
    ASSERT_EQ(changeDirectory(dir_.str()), 0);
    EXPECT_STREQ(getCurrentFolder(), dir_.str().c_str());

    static std::string answer;
    static int answers = 0;
    const auto answered = [](const char* folder) {
        answer = folder != nullptr ? folder : "(none)";
        ++answers;
    };
    setFolderChooser(cancellingChooser);
    EXPECT_TRUE(chooseFolder("Select Directory", answered));
    EXPECT_EQ(answers, 1) << "a chooser that answers at once is answered at once";
    EXPECT_EQ(answer, "(none)");
    setFolderChooser(choosingChooser);
    EXPECT_TRUE(chooseFolder("Select Directory", answered));
    EXPECT_EQ(answer, "/chosen/for Select Directory");
    serviceFolderChooser();
    EXPECT_EQ(answers, 2) << "nothing is answered twice";
}

}  // namespace
