// The bundled samples load in their formats without a warning and with their dimensions.
#include <string>

#include <gtest/gtest.h>

#include "app/viewer_state.h"
#include "core/data_set.h"
#include "tests/support/test_support.h"

TEST(Samples, LoadCleanlyWithTheirDimensions)
{
    struct Sample {
        const char* name;
        void (*reader)(const char*);
        int nx, pointsPerSet, reportLines;
    };
    const Sample samples[] = {
        {"curves.dat", readDataFile, 12, 120, 4},     {"helices.dat", readDataFile, 3, 200, 4},
        {"surface.dat", readDataFile, 30, 30, 4},     {"clusters.cdat", readColorDataFile, 6, 200, 4},
        {"shells.cdat", readColorDataFile, 4, 300, 4}, {"saddle.mpl", readMapleFile, 25, 25, 2},
        {"ripple.mpl", readMapleFile, 40, 40, 2}};
    for (const Sample& s : samples) {
        resetDataInput();
        const std::string path = std::string(ORVELLE_SOURCE_DIR) + "/samples/" + s.name;
        const std::string out = captureStdout([&] { s.reader(path.c_str()); });
        EXPECT_EQ(splitLines(out).size(), static_cast<std::size_t>(s.reportLines)) << s.name << ":\n" << out;
        EXPECT_EQ(dataSet.fnTrf.nx, s.nx) << s.name;
        EXPECT_EQ(dataSet.fnTrf.pointsPerSet, s.pointsPerSet) << s.name;
        EXPECT_EQ(dataSet.generation, 1u) << s.name;
    }
}
