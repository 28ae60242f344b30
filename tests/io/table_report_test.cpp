// What a load of a table or a matrix reports (its dimensions and the columns it took), and
// the groups that a column of text gives.
#include <string>

#include <gtest/gtest.h>

#include "core/data_set.h"
#include "io/data_loader.h"
#include "tests/support/test_support.h"

namespace {

struct Report {
    std::string out;
    DataSet data;
    bool loaded = false;
};

// Loads text as the file name (the format found from its bytes unless columns are chosen).
Report loadText(const std::string& text, const std::string& columns = "", const std::string& name = "t.csv")
{
    TempFolder dir;
    const std::string path = dir.write(name, text);
    LoadSettings settings;
    settings.detectFormat = columns.empty();
    settings.format = DataFormat::Columns;
    settings.columns = columns;
    Report r;
    r.out = captureStdout([&] { r.loaded = loadDataFile(DataFile{path.c_str(), name.c_str()}, settings, r.data); });
    return r;
}

}  // namespace

TEST(TableReport, TablesAndMatricesSayWhatTheyReadAndTheDataFormatsAsBefore)
{
    EXPECT_EQ(loadText("lon,lat,height,site\n1,2,3,4\n5,6,7,4\n\n8,9,1,2\n9,9,9,2\n").out,
              "\nfilename = t.csv\nfnTrf.nx = 2 points per set = 2\n"
              "columns: x = lon, y = lat, z = height, group = site\n");
    EXPECT_EQ(loadText("lon,lat,height,site\n1,2,3,4\n", "height,lon,lat").out,
              "\nfilename = t.csv\nfnTrf.nx = 1 points per set = 1\ncolumns: x = height, y = lon, z = lat\n");
    EXPECT_EQ(loadText("1 2 3\n4 5 6\n7 8 9\n").out,
              "\nfilename = t.csv\nfnTrf.nx = 1 points per set = 3\ncolumns: x = 1, y = 2, z = 3\n");
    EXPECT_EQ(loadText("1 2 3 4 5\n6 7 8 9 0\n").out,
              "\nfilename = t.csv\nfnTrf.nx = 2 points per set = 5\ncolumns: x = column, y = row, z = value\n");
    // Data files keep their own lines; a refused table prints no dimensions.
    EXPECT_EQ(loadText("1 2\n0 0 0\n1 1 1\n").out,
              "\nfilename = t.csv\nfnTrf.nx = 1 points per set = 2\nscale = 1.000000 segments = 8 thickness = "
              "0.020000\n");
    const Report refused = loadText("x,y,z\n1,2,3\n4,5\n");
    EXPECT_FALSE(refused.loaded);
    EXPECT_EQ(refused.out.find("fnTrf"), std::string::npos) << refused.out;
}

TEST(TextGroups, EachDistinctValueIsAGroupInTheOrderOfFirstAppearance)
{
    // The fourth column of text, comment lines amid the rows.
    const Report species = loadText("x,y,z,species\n1,2,3,setosa\n# a note\n2,3,4,virginica\n% another\n"
                                    "3,4,5,setosa\n4,5,6,versicolor\n");
    ASSERT_TRUE(species.loaded) << species.out;
    EXPECT_EQ(species.data.loadedFormat, static_cast<int>(DataFormat::Colored));
    EXPECT_EQ(species.data.groupArray, (std::vector<int>{0, 1, 0, 2}));
    EXPECT_EQ(species.data.groupNames, (std::vector<std::string>{"setosa", "virginica", "versicolor"}));

    // A text column chosen by number, in a file without a header (the iris data).
    const Report iris = loadText("5.1,3.5,1.4,0.2,Iris-setosa\n7.0,3.2,4.7,1.4,Iris-versicolor\n"
                                 "6.3,3.3,6.0,2.5,Iris-virginica\n4.9,3.0,1.4,0.2,Iris-setosa\n",
                                 "1,3,4,5", "iris.data");
    ASSERT_TRUE(iris.loaded) << iris.out;
    EXPECT_NE(iris.out.find("columns: x = 1, y = 3, z = 4, group = 5\n"), std::string::npos) << iris.out;
    EXPECT_EQ(iris.data.groupArray, (std::vector<int>{0, 1, 2, 0}));
    EXPECT_EQ(iris.data.groupNames.at(1), "Iris-versicolor");

    // Whole numbers stay data values; a fourth of other numbers is no group.
    const Report whole = loadText("1,2,3,7\n4,5,6,2\n");
    EXPECT_EQ(whole.data.groupArray, (std::vector<int>{7, 2}));
    EXPECT_TRUE(whole.data.groupNames.empty());
    const Report fractional = loadText("1,2,3,0.5\n4,5,6,2\n");
    EXPECT_EQ(fractional.data.loadedFormat, static_cast<int>(DataFormat::Plain));
    EXPECT_TRUE(fractional.data.groupArray.empty());
}
