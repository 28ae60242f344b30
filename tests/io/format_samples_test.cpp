// The two samples of the text formats are what their generator writes, and they load in
// their detected formats without a warning.
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "io/columns_reader.h"
#include "io/format_detect.h"
#include "io/matrix_reader.h"
#include "tests/io/format_samples.h"

namespace {

std::string samplePath(const char* name)
{
    return std::string(ORVELLE_SOURCE_DIR) + "/samples/" + name;
}

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

TEST(FormatSamples, CommittedFilesAreWhatTheGeneratorWrites)
{
    // After a change to the generator: build make_format_samples and run it on samples/.
    EXPECT_EQ(fileText(samplePath("stations.csv")), stationsCsvText());
    EXPECT_EQ(fileText(samplePath("heightmap.txt")), heightmapText());
}

TEST(FormatSamples, StationsLoadAsFourRingsInFourGroups)
{
    const std::string path = samplePath("stations.csv");
    const LoadResult r = readColumnsFile(DataFile{path.c_str(), path.c_str()}, ColumnsOptions{});
    ASSERT_TRUE(r.loaded) << r.error;
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_EQ(r.data.fnTrf.nx, kStationRings);
    EXPECT_EQ(r.data.fnTrf.pointsPerSet, kStationsPerRing);
    EXPECT_EQ(r.data.loadedFormat, 2);
    ASSERT_EQ(r.data.groupArray.size(), static_cast<std::size_t>(kStationRings * kStationsPerRing));
    for (int ring = 0; ring < kStationRings; ++ring) {
        const std::set<int> groups(r.data.groupArray.begin() + ring * kStationsPerRing,
                                   r.data.groupArray.begin() + (ring + 1) * kStationsPerRing);
        EXPECT_EQ(groups, std::set<int>{ring + 1}) << "ring " << ring;
    }
    // A shape in three dimensions, not flat along any axis.
    for (int a = 0; a < 3; ++a) {
        EXPECT_GT(r.rawBounds.max[a] - r.rawBounds.min[a], 1.0) << "axis " << a;
    }
}

TEST(FormatSamples, HeightmapLoadsAsAGrid)
{
    const std::string path = samplePath("heightmap.txt");
    const LoadResult r = readMatrixFile(DataFile{path.c_str(), path.c_str()});
    ASSERT_TRUE(r.loaded) << r.error;
    EXPECT_EQ(r.data.fnTrf.nx, kHeightmapRows);
    EXPECT_EQ(r.data.fnTrf.pointsPerSet, kHeightmapColumns);
    EXPECT_EQ(r.rawBounds.max[0], kHeightmapColumns - 1.0);
    EXPECT_EQ(r.rawBounds.max[1], kHeightmapRows - 1.0);
    EXPECT_GT(r.rawBounds.max[2] - r.rawBounds.min[2], 1.0);
}
