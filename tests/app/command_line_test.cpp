// The viewer's command line: options applied to the settings as orvelle-render spells them,
// the usage errors, the help text, and the start with FILE chosen, loaded and shown with the
// view the options asked for.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/file_list.h"
#include "app/viewer_state.h"
#include "core/colors.h"
#include "glui/glui.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_support.h"

namespace {

const char* const kMaple = "GRID(0. .. 1.,0. .. 2.,Array(1..2,1..3,[[0.,.5,1.],[1.,1.5,2.\\\n]]))\n";

class ViewerCommandLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        viewer = ViewerState();
        dataSet = DataSet();
        forgetFiles();
    }
    void TearDown() override
    {
        forgetFiles();
        viewer = ViewerState();
    }
    bool parse(const std::vector<std::string>& args)
    {
        viewer = ViewerState();
        cmd_ = ViewerCommandLine{};
        error_.clear();
        return parseViewerCommandLine(args, cmd_, error_);
    }

    ViewerCommandLine cmd_;
    std::string error_;
};

TEST_F(ViewerCommandLineTest, OptionsSetTheViewersSettings)
{
    ASSERT_TRUE(parse({"--display", "points", "--view", "anaglyph", "--scaling", "uniform", "--angles", "10,20,30",
                       "--shift", "1,2,3", "--scale", "1.5", "--thickness", "0.1", "--segments", "12",
                       "--background", "0,0,0", "--axes", "--watch", "--format", "matrix", "surface.txt"}))
        << error_;
    EXPECT_EQ(cmd_.file, "surface.txt");
    EXPECT_EQ(viewer.displayType, DisplayType::Points);
    EXPECT_EQ(viewer.stereoMode, ViewMode::Anaglyph);
    EXPECT_EQ(viewer.axis_data, AxisScaling::Uniform);
    EXPECT_FLOAT_EQ(viewer.angleY, 20.0f);
    EXPECT_FLOAT_EQ(viewer.objTrans[2], 3.0f);
    EXPECT_FLOAT_EQ(viewer.scale, 1.5f);
    EXPECT_FLOAT_EQ(viewer.thickness, 0.1f);
    EXPECT_EQ(viewer.segments, 12);
    EXPECT_FLOAT_EQ(viewer.bgColor[0], 0.0f);
    EXPECT_EQ(viewer.showAxes, 1);
    EXPECT_EQ(viewer.watchFile, 1);
    EXPECT_EQ(viewer.dataFormat, DataFormat::Matrix) << "the radio shows the reader named";
    EXPECT_FALSE(cmd_.load.format.automatic);

    // Eye separation and focal length stay linked as the panel links them.
    ASSERT_TRUE(parse({"--focal-length", "40"}));
    EXPECT_FLOAT_EQ(viewer.eyeSeparation, 2.0f);
    EXPECT_FLOAT_EQ(viewer.focalRatio, 20.0f);
    ASSERT_TRUE(parse({"--focal-length", "30", "--eye-separation", "3"}));
    EXPECT_FLOAT_EQ(viewer.eyeSeparation, 3.0f);
    EXPECT_FLOAT_EQ(viewer.focalRatio, 10.0f);

    // No arguments: every setting as at any start.
    ASSERT_TRUE(parse({}));
    EXPECT_TRUE(cmd_.file.empty());
    Settings defaults;
    fillDataColors(defaults.dataColors);  // as the panel fills them, which the options start from
    EXPECT_EQ(settingsSnapshot(viewer, 0), settingsSnapshot(defaults, 0));

    ASSERT_TRUE(parse({"--columns", "lon,lat,h", "t.csv"}));
    EXPECT_EQ(viewer.columns, "lon,lat,h");
    EXPECT_EQ(viewer.dataFormat, DataFormat::Columns) << "named columns are read from a table";
}

TEST_F(ViewerCommandLineTest, UsageErrorsAreOneLineNamingTheOptionOrFile)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--frobnicate"}, "unknown option --frobnicate"},
        {{"--thickness"}, "--thickness needs a value"},
        {{"--segments", "99", "f"}, "bad value for --segments: '99'"},
        {{"--format", "csv", "f"}, "bad value for --format: 'csv'"},
        {{"--columns", "x,y", "f"}, "bad value for --columns: 'x,y'"},
        {{"a.dat", "b.dat"}, "more than one data file given: 'b.dat'"},
        {{"--size", "10x10", "f"}, "unknown option --size"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(parse(c.first)) << c.second;
        EXPECT_EQ(error_.rfind(c.second, 0), 0u) << error_;
        EXPECT_EQ(error_.find('\n'), std::string::npos) << error_;
    }
}

TEST_F(ViewerCommandLineTest, HelpListsTheOptionsAndTheKeysAndVersionNamesTheProgram)
{
    ASSERT_TRUE(parse({"--help"}));
    EXPECT_TRUE(cmd_.help);
    const std::string usage = viewerUsage();
    EXPECT_EQ(usage.rfind("Usage: orvelle [options] [FILE]\n", 0), 0u);
    for (const char* option : {"--format data|maple|color|columns|matrix|npy|ply|auto", "--columns X,Y,Z[,GROUP]",
                               "--display points|joined|needled|grid|filled", "--angles X,Y,Z", "--watch",
                               "--eye-separation F", "--data-color VALUE=R,G,B", "--help", "--version"}) {
        EXPECT_NE(usage.find(std::string("  ") + option), std::string::npos) << option;
    }
    EXPECT_EQ(usage.find("--size"), std::string::npos) << "the picture's options are orvelle-render's";
    for (const char* key : {"left drag", "X / x, Y / y, Z / z", "F / f", "Escape / q", "arrow keys"}) {
        EXPECT_NE(usage.find(key), std::string::npos) << key;
    }
    ASSERT_TRUE(parse({"--version"}));
    EXPECT_TRUE(cmd_.version);
    EXPECT_EQ(viewerVersion().rfind("orvelle ", 0), 0u);
    EXPECT_GT(viewerVersion().size(), std::string("orvelle ").size());
}

TEST_F(ViewerCommandLineTest, TheStartFileIsChosenDetectedLoadedAndShownWithTheViewAskedFor)
{
    TempFolder dir;
    dir.write("a.dat", "1 2\n0 0 0\n1 1 1\n");
    dir.write("hill.txt", kMaple);  // a Maple file by its bytes, whatever its name
    dir.write("z.dat", "1 2\n0 0 0\n1 1 1\n");
    const std::filesystem::path elsewhere = dir.folder("elsewhere");
    std::filesystem::current_path(elsewhere);

    ASSERT_TRUE(parse({"--angles", "30,0,0", "--scale", "2", "--thickness", "0.1", "--focal-length", "40",
                       "--data-color", "3=0,0,1", "--display", "filled", "../hill.txt"}));
    prepareStart(cmd_);
    EXPECT_EQ(std::filesystem::current_path(), dir.path()) << "the start is in FILE's folder";

    // The panel build lists that folder and fills the data colours; then the start goes on.
    GLUI_Listbox files{nullptr, nullptr, "Files:", &viewer.chosen_listitem, 403, nullptr};
    files.add_item(0, "Choose Model");
    viewer.fileList = &files;
    viewer.filedir = std::filesystem::current_path().string();
    fillDataColors(viewer.dataColors);
    const std::string printed = captureStdout([] {
        refreshFileList();
        beginStart();
    });
    // The list: a.dat, elsewhere, hill.txt, z.dat.
    EXPECT_EQ(printed.rfind("list=3\n\nfilename = hill.txt\n", 0), 0u) << printed;
    EXPECT_EQ(viewer.chosen_listitem, 3);
    EXPECT_EQ(files.get_int_val(), 3);
    EXPECT_EQ(dataSet.generation, 1u);
    EXPECT_EQ(dataSet.loadedFormat, static_cast<int>(DataFormat::Maple));
    EXPECT_EQ(viewer.dataFormat, DataFormat::Maple) << "the radio shows the reader detected";
    EXPECT_EQ(viewer.filename, "hill.txt");
    // The load's reset of the view did not undo the options.
    EXPECT_FLOAT_EQ(viewer.angleX, 30.0f);
    EXPECT_FLOAT_EQ(viewer.scale, 2.0f);
    EXPECT_FLOAT_EQ(viewer.thickness, 0.1f);
    EXPECT_FLOAT_EQ(viewer.focalLength, 40.0f);
    EXPECT_FLOAT_EQ(viewer.eyeSeparation, 2.0f);
    EXPECT_EQ(viewer.displayType, DisplayType::Filled);
    EXPECT_FLOAT_EQ(viewer.dataColors[3].b, 1.0f) << "the option's colour, not the table's";
    EXPECT_FLOAT_EQ(viewer.dataColors[3].r, 0.0f);
    EXPECT_FLOAT_EQ(viewer.dataColors[0].r, 1.0f) << "the others as the panel filled them";
}

TEST_F(ViewerCommandLineTest, AStartFileThatCannotBeLoadedSaysWhyAndLeavesNothingLoaded)
{
    TempFolder dir;
    ASSERT_TRUE(parse({(dir.path() / "missing.dat").string()}));
    prepareStart(cmd_);
    GLUI_Listbox files{nullptr, nullptr, "Files:", &viewer.chosen_listitem, 403, nullptr};
    files.add_item(0, "Choose Model");
    viewer.fileList = &files;
    const std::string printed = captureStdout([] { beginStart(); });
    EXPECT_NE(printed.find("filename = missing.dat\n"), std::string::npos) << printed;
    EXPECT_NE(printed.find("missing.dat"), printed.rfind("missing.dat")) << "a line with the reason follows";
    EXPECT_EQ(dataSet.generation, 0u);
    EXPECT_TRUE(viewer.filename.empty());
    EXPECT_EQ(viewer.chosen_listitem, 0);
}

TEST_F(ViewerCommandLineTest, AViewFileWithoutFileGivesTheFirstFilePickedItsViewAndOnlyThat)
{
    TempFolder dir;
    dir.write("a.dat", "1 2\n0 0 0\n1 1 1\n");
    dir.write("b.dat", "1 2\n0 0 0\n1 1 1\n");
    const std::string view = dir.write("start.view", "angles = 10,20,0\nscale = 2\nthickness = 0.3\n");
    std::filesystem::current_path(dir.path());

    ASSERT_TRUE(parse({"--color-by", "height", "--view-file", view, "--scale", "3"})) << error_;
    EXPECT_EQ(viewer.colorBy, ColorBy::Height);
    EXPECT_FLOAT_EQ(viewer.scale, 3.0f) << "an option after the view file changes what it set";
    prepareStart(cmd_);
    GLUI_Listbox files{nullptr, nullptr, "Files:", &viewer.chosen_listitem, 403, nullptr};
    files.add_item(0, "Choose Model");
    viewer.fileList = &files;
    viewer.filedir = dir.str();
    captureStdout([] {
        refreshFileList();
        beginStart();
    });
    EXPECT_EQ(dataSet.generation, 0u) << "nothing is loaded before a file is picked";

    // a.dat, b.dat, start.view: the first pick is shown with the view asked for.
    captureStdout([] { loadListItem(1); });
    EXPECT_EQ(dataSet.generation, 1u);
    EXPECT_FLOAT_EQ(viewer.scale, 3.0f);
    EXPECT_FLOAT_EQ(viewer.thickness, 0.3f);
    EXPECT_FLOAT_EQ(viewer.angleY, 20.0f);
    EXPECT_EQ(viewer.colorBy, ColorBy::Height);
    // Later loads, like "Reset View", start afresh.
    captureStdout([] { loadListItem(2); });
    EXPECT_EQ(dataSet.generation, 2u);
    EXPECT_FLOAT_EQ(viewer.scale, 1.0f);
    EXPECT_FLOAT_EQ(viewer.angleY, 0.0f);

    EXPECT_FALSE(parse({"--view-file"}));
    EXPECT_NE(error_.find("needs a value"), std::string::npos) << error_;
    dir.write("bad.view", "scale = 2\nsegments = 99\n");
    EXPECT_FALSE(parse({"--view-file", dir.path("bad.view")}));
    EXPECT_NE(error_.find("line 2"), std::string::npos) << error_;
}

}  // namespace
