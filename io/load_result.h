// What a reader hands back: the data it built (not yet normalised), or why it built none,
// and the lines its load report carries. A reader prints nothing and changes nothing but
// its result; the caller prints the report (load_report.h) and installs the data.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "core/data_set.h"

// A file to read: the path it is opened by, and the name its report lines give it (the
// name the user picked, which the viewer's messages have always quoted).
struct DataFile {
    const char* path;
    const char* name;
};

struct LoadResult {
    // True when data holds a new data set; false when nothing was loaded (see error).
    bool loaded = false;

    // The dimensions line of the "Data" formats, reported as soon as the header is read,
    // whether or not the load then goes on.
    bool headerRead = false;
    FnTrf header;

    // What a completed load of a format without a header read, printed after the file name:
    // its dimensions in the words of the "Data" header's line, and the columns it took.
    std::vector<std::string> readLines;

    // Why nothing was loaded, as one report line without its line end; empty when loaded.
    std::string error;
    // Lines about a load that went ahead (values missing or left over), in report order.
    std::vector<std::string> warnings;

    // How many entries (points, grid values, rows) the file gave, of how many the load expected:
    // a load that expected some and read none read nothing at all.
    std::size_t entriesRead = 0;
    std::size_t entriesExpected = 0;

    // The data set as read: raw coordinates, groups (coloured data only), dimensions and
    // format. normaliseCount points from the start are normalised with rawBounds.
    DataSet data;
    Bounds rawBounds{};
    std::size_t normaliseCount = 0;

    // Whether the diagnostics show the raw bounds once more before normalising (the
    // coloured and Maple readers print them themselves), and whether they show the
    // normalised bounds (only the plain reader does).
    bool rawBoundsBeforeNormalising = false;
    bool showNormalisedBounds = false;
};

// A failed load with its report line.
inline LoadResult loadFailure(std::string error)
{
    LoadResult result;
    result.error = std::move(error);
    return result;
}
