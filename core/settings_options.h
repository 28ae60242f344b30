// The command line of both programs: one parser for the options of the settings table, beside
// the options each program reads itself, and the usage lines of both kinds.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/settings_table.h"

// Which program reads the command line: the viewer also takes the rows only it acts on.
enum class OptionReader { Viewer, Renderer };

// An option a program reads itself. One with the name of a table row takes the row's place,
// on the command line and in the usage text.
struct ProgramOption {
    std::string name;       // "--size"
    std::string valueName;  // what it takes ("WIDTHxHEIGHT"); empty: it takes no value
    // The usage text's description; a "\n" continues it on the next line, under the first.
    std::string help;
    // Reads the value ("" for an option that takes none); false with the reason in error.
    std::function<bool(const std::string& value, std::string& error)> apply;
};

struct CommandLine {
    // The arguments that are not options (those not starting with "--"), in order.
    std::vector<std::string> operands;
    // The rows whose options were given, each once, in the order first given.
    std::vector<const SettingRow*> givenRows;
    // Whether the option of row was given.
    bool gave(const SettingRow& row) const;
};

// Reads args (without the program's name) into settings and line. A program's own option is
// looked up first, then the rows with an option that reader takes. False at the first unknown
// option ("unknown option --x"), option without its value ("--x needs a value") or bad value,
// with that message in error.
bool parseSettingsOptions(const std::vector<std::string>& args, const std::vector<ProgramOption>& own,
                          OptionReader reader, Settings& settings, CommandLine& line, std::string& error);

// The usage lines of the rows reader takes, a program's option standing in for the row of the
// same name, then the program's other options in their order.
std::string optionsUsage(const std::vector<ProgramOption>& own, OptionReader reader);

// Whether reader takes the option of row.
bool readerTakes(const SettingRow& row, OptionReader reader);
