// A format chosen by hand that reads nothing from a file another format reads: one line that
// names the format the file looks like, and the data set shown stays. Detected loads read
// every sample.
#include <string>

#include <gtest/gtest.h>

#include "app/viewer_state.h"
#include "core/data_set.h"
#include "io/data_loader.h"
#include "tests/support/test_support.h"

namespace {

const std::string kSamples = std::string(ORVELLE_SOURCE_DIR) + "/samples/";

class WrongFormat : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetDataInput();
        const std::string curves = kSamples + "curves.dat";
        LoadSettings settings;
        captureStdout([&] { loadDataFile(DataFile{curves.c_str(), "curves.dat"}, settings, dataSet); });
        ASSERT_GT(dataSet.coordArray.size(), 0u);
        generation = dataSet.generation;
        points = dataSet.coordArray.size();
    }

    // Loads the sample name in format and returns the report.
    std::string load(const std::string& name, DataFormat format, FormatChosenIn where = FormatChosenIn::Panel)
    {
        const std::string path = kSamples + name;
        LoadSettings settings;
        settings.format = format;
        settings.chosenIn = where;
        return captureStdout([&] { loadDataFile(DataFile{path.c_str(), name.c_str()}, settings, dataSet); });
    }

    void expectKept()
    {
        EXPECT_EQ(dataSet.generation, generation);
        EXPECT_EQ(dataSet.coordArray.size(), points);
    }

    unsigned long generation = 0;
    std::size_t points = 0;
};

}  // namespace

TEST_F(WrongFormat, NamesTheFormatTheFileLooksLikeAndKeepsTheDataSet)
{
    EXPECT_EQ(load("ripple.mpl", DataFormat::Plain),
              "\nfilename = ripple.mpl\nripple.mpl looks like a Maple file; choose Maple under Data Format\n");
    expectKept();
    EXPECT_EQ(load("ripple.mpl", DataFormat::Colored, FormatChosenIn::CommandLine),
              "\nfilename = ripple.mpl\nripple.mpl looks like a Maple file; use --format maple\n");
    expectKept();
    EXPECT_EQ(load("curves.dat", DataFormat::Maple),
              "\nfilename = curves.dat\ncurves.dat looks like a Data file; choose Data under Data Format\n");
    EXPECT_EQ(load("stations.csv", DataFormat::Plain),
              "\nfilename = stations.csv\nstations.csv looks like a Columns file; choose Columns under Data Format\n");
    EXPECT_EQ(load("heightmap.txt", DataFormat::Maple),
              "\nfilename = heightmap.txt\nheightmap.txt looks like a Matrix file; choose Matrix under Data Format\n");
    expectKept();
}

TEST_F(WrongFormat, AFileNoFormatReadsKeepsItsReadersLine)
{
    TempFolder dir;
    const std::string path = dir.write("notes.dat", "2 3\nnothing but words here\n");
    LoadSettings settings;
    const std::string out =
        captureStdout([&] { loadDataFile(DataFile{path.c_str(), "notes.dat"}, settings, dataSet); });
    // The header is read; no point is: a load that reads nothing at all fails.
    EXPECT_EQ(out, "\nfilename = notes.dat\nfnTrf.nx = 2 points per set = 3\n"
                   "scale = 1.000000 segments = 8 thickness = 0.020000\n"
                   "File notes.dat ends early or holds text that is not a number: 0 of 6 points read; line 2: "
                   "\"nothing\" is not a number; nothing is loaded\n");
    expectKept();
}

TEST_F(WrongFormat, DetectedLoadsReadEverySample)
{
    for (const char* name : {"curves.dat", "helices.dat", "surface.dat", "clusters.cdat", "shells.cdat", "ripple.mpl",
                             "saddle.mpl", "stations.csv", "heightmap.txt", "crater.npy", "torus.ply",
                             "flowers.csv.gz"}) {
        SCOPED_TRACE(name);
        const std::string path = kSamples + name;
        LoadSettings settings;
        settings.detectFormat = true;
        settings.format = DataFormat::Maple;  // unused when detecting
        const std::string out =
            captureStdout([&] { loadDataFile(DataFile{path.c_str(), name}, settings, dataSet); });
        EXPECT_EQ(dataSet.generation, ++generation) << out;
        EXPECT_EQ(out.find("File "), std::string::npos) << out;
    }
}
