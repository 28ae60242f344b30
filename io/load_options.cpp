// --format and --columns, read alike by both programs.
#include "io/load_options.h"

#include <cstddef>

namespace {

std::string formatWords()
{
    std::string words;
    for (DataFormat format : {DataFormat::Plain, DataFormat::Maple, DataFormat::Colored, DataFormat::Columns,
                              DataFormat::Matrix, DataFormat::Npy, DataFormat::Ply}) {
        words += std::string(formatWord(format)) + "|";
    }
    return words + "auto";
}

}  // namespace

bool validColumnList(const std::string& text)
{
    std::size_t fields = 1;
    std::size_t fieldLength = 0;
    for (const char c : text) {
        if (c == ',') {
            if (fieldLength == 0) {
                return false;
            }
            ++fields;
            fieldLength = 0;
        } else {
            ++fieldLength;
        }
    }
    return fieldLength > 0 && (fields == 3 || fields == 4);
}

std::vector<ProgramOption> loadOptions(LoadChoice& choice, Settings& settings)
{
    ProgramOption format{"--format", formatWords(),
                         "reader of FILE (default auto: chosen from the file's first bytes)",
                         [&choice, &settings](const std::string& value, std::string& error) {
                             FormatChoice read;
                             if (!parseFormatWord(value.c_str(), read)) {
                                 error = "bad value for --format: '" + value +
                                         "' (data, maple, color, columns, matrix, npy, ply or auto)";
                                 return false;
                             }
                             choice.format = read;
                             if (!read.automatic) {
                                 settings.dataFormat = read.format;
                             }
                             return true;
                         }};
    ProgramOption columns{"--columns", "X,Y,Z[,GROUP]",
                          "columns of a table for x, y, z and the colour group: names from its\n"
                          "header or numbers from 1 (read as columns unless --format names a reader)",
                          [&choice](const std::string& value, std::string& error) {
                              if (!validColumnList(value)) {
                                  error = "bad value for --columns: '" + value +
                                          "' (X,Y,Z[,GROUP]: three or four names or numbers from 1)";
                                  return false;
                              }
                              choice.columns = value;
                              return true;
                          }};
    return {format, columns};
}

DataFormat chosenFormat(const LoadChoice& choice, const Settings& settings)
{
    if (!choice.format.automatic) {
        return choice.format.format;
    }
    return choice.columns.empty() ? settings.dataFormat.get() : DataFormat::Columns;
}

LoadSettings loadSettingsFor(const Settings& settings, const LoadChoice& choice)
{
    LoadSettings load = loadSettingsFrom(settings);
    load.format = chosenFormat(choice, settings);
    load.detectFormat = choice.format.automatic && choice.columns.empty();
    load.columns = choice.columns;
    // A reader named on the command line is changed there too, so the wrong-format line says so.
    if (!choice.format.automatic) {
        load.chosenIn = FormatChosenIn::CommandLine;
    }
    return load;
}
