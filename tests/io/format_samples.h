// The text of the two bundled samples of the text formats, samples/stations.csv and
// samples/heightmap.txt, so that the tests can check the committed files against it.
#pragma once

#include <string>

// Four linked rings of "stations" as a CSV table: a comment line, a header, a group column,
// quoted station names with commas, the rings parted by blank lines into sets.
std::string stationsCsvText();

// A 60 x 80 matrix of heights of a smooth landscape, one row per line, blank separated.
std::string heightmapText();

constexpr int kStationRings = 4;
constexpr int kStationsPerRing = 90;
constexpr int kHeightmapRows = 60;
constexpr int kHeightmapColumns = 80;
