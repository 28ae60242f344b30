// Loading a data file into the data set that is shown: the one place that picks the reader
// for a format (chosen, or detected from the file's first bytes), the step that normalises and
// installs a load, and the whole load with its console report as both programs run it.
#pragma once

#include <string>

#include "core/data_set.h"
#include "core/modes.h"
#include "core/settings.h"
#include "io/file_map.h"
#include "io/load_report.h"
#include "io/load_result.h"

// Reads text already in memory and prepared (prepareDataText) with the reader of format;
// name only names the file in the report lines; columns: see LoadSettings. A load that
// expected values and read none comes back failed.
LoadResult readTextAs(const char* name, const char* begin, const char* end, DataFormat format,
                      const std::string& columns = std::string());

// Reads a binary format's bytes (a mapping's pages are given back as they are read).
LoadResult readBinaryAs(const char* name, const ByteSpan& bytes, DataFormat format);

// Reads file with the reader of format. Nothing but the result changes.
LoadResult readDataFileAs(const DataFile& file, DataFormat format, const std::string& columns = std::string());

// Normalises a completed load and makes it the data set that is shown: the arrays the reader
// read replace those shown (the plain and Maple readers leave the group numbers of an earlier
// coloured load alone), and the generation moves on, so that everything built from the old
// points is rebuilt. The report says what the normalisation found, for the diagnostics.
NormaliseReport installLoad(LoadResult& result, DataSet& shown, AxisScaling scaling);

// Where a format chosen by hand was chosen, for the line that names the format a file looks
// like: the panel's "Data Format" or the --format option.
enum class FormatChosenIn { Panel, CommandLine };

// What a load takes from the settings: the reader, the scaling, the values its report
// quotes, and whether it prints its diagnostics.
struct LoadSettings {
    DataFormat format = DataFormat::Plain;
    // Whether the reader is chosen from the file's first bytes instead (format is then unused).
    bool detectFormat = false;
    // Where format was chosen when it was chosen by hand (detectFormat false).
    FormatChosenIn chosenIn = FormatChosenIn::Panel;
    // The columns of a delimited table, "X,Y,Z[,GROUP]" (names or 1-based numbers); empty: the
    // first three, and a fourth of whole numbers as the group.
    std::string columns;
    AxisScaling scaling = AxisScaling::Individual;
    ReportedSettings quoted;
    bool diagnostics = false;
};
LoadSettings loadSettingsFrom(const Settings& settings);

// Opens file once and reads it with the format of settings, or the one its first bytes show.
// When a format chosen by hand reads nothing from a file that the format it looks like reads,
// the load fails with one line that names that format ("f.mpl looks like a Maple file; choose
// Maple under Data Format").
LoadResult readForLoad(const DataFile& file, const LoadSettings& settings);

// Reads file (readForLoad), prints its report (and, with diagnostics, the normalisation's) and
// installs a completed load into shown; false, with shown untouched, when nothing was loaded.
bool loadDataFile(const DataFile& file, const LoadSettings& settings, DataSet& shown);
