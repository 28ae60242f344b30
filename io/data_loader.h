// Loading a data file in a chosen format into the data set that is shown: the one place
// that picks the reader for a format, the step that normalises and installs a load, and
// the whole load with its console report as both programs run it.
#pragma once

#include <string>

#include "core/data_set.h"
#include "core/modes.h"
#include "core/settings.h"
#include "io/load_report.h"
#include "io/load_result.h"

// Reads file with the reader of format. shown: the data set on screen now, whose dimensions
// a "Data" header that lacks one keeps; columns: see LoadSettings. Nothing but the result changes.
LoadResult readDataFileAs(const DataFile& file, DataFormat format, const DataSet& shown,
                          const std::string& columns = std::string());

// Normalises a completed load and makes it the data set that is shown: the arrays the reader
// read replace those shown (the plain and Maple readers leave the group numbers of an earlier
// coloured load alone), and the generation moves on, so that everything built from the old
// points is rebuilt. The report says what the normalisation found, for the diagnostics.
NormaliseReport installLoad(LoadResult& result, DataSet& shown, AxisScaling scaling);

// What a load takes from the settings: the reader, the scaling, the values its report
// quotes, and whether it prints its diagnostics.
struct LoadSettings {
    DataFormat format = DataFormat::Plain;
    // Whether the reader is chosen from the file's first bytes instead (format is then what a
    // file that looks like nothing known is read as).
    bool detectFormat = false;
    // The columns of a delimited table, "X,Y,Z[,GROUP]" (names or 1-based numbers); empty: the
    // first three, and a fourth of whole numbers as the group.
    std::string columns;
    AxisScaling scaling = AxisScaling::Individual;
    ReportedSettings quoted;
    bool diagnostics = false;
};
LoadSettings loadSettingsFrom(const Settings& settings);

// Reads file, prints its report (and, with diagnostics, the normalisation's) and installs a
// completed load into shown; false, with shown untouched, when nothing was loaded.
bool loadDataFile(const DataFile& file, const LoadSettings& settings, DataSet& shown);
