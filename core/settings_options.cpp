// The one parser of the settings table's options that both programs run, and their usage text.
#include "core/settings_options.h"

#include <algorithm>

namespace {

const ProgramOption* ownOption(const std::vector<ProgramOption>& own, const std::string& name)
{
    for (const ProgramOption& option : own) {
        if (option.name == name) {
            return &option;
        }
    }
    return nullptr;
}

const SettingRow* takenRow(const std::string& name, OptionReader reader)
{
    const SettingRow* row = rowOfOption(name);
    return row != nullptr && readerTakes(*row, reader) ? row : nullptr;
}

bool isOption(const std::string& argument)
{
    return argument.size() >= 2 && argument.compare(0, 2, "--") == 0;
}

std::string ownUsageLine(const ProgramOption& option)
{
    const std::string left = option.valueName.empty() ? option.name : option.name + " " + option.valueName;
    return usageLine(left, option.help);
}

}  // namespace

bool CommandLine::gave(const SettingRow& row) const
{
    return std::find(givenRows.begin(), givenRows.end(), &row) != givenRows.end();
}

bool readerTakes(const SettingRow& row, OptionReader reader)
{
    return row.option != nullptr && (reader == OptionReader::Viewer || !row.viewerOnly);
}

bool parseSettingsOptions(const std::vector<std::string>& args, const std::vector<ProgramOption>& own,
                          OptionReader reader, Settings& settings, CommandLine& line, std::string& error)
{
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& name = args[k];
        if (!isOption(name)) {
            line.operands.push_back(name);
            continue;
        }
        const ProgramOption* program = ownOption(own, name);
        const SettingRow* row = program == nullptr ? takenRow(name, reader) : nullptr;
        if (program == nullptr && row == nullptr) {
            error = "unknown option " + name;
            return false;
        }
        const bool takesValue = program != nullptr ? !program->valueName.empty() : row->kind != SettingKind::Flag;
        std::string value;
        if (takesValue) {
            if (k + 1 >= args.size()) {
                error = name + " needs a value";
                return false;
            }
            value = args[++k];
        }
        if (program != nullptr) {
            if (!program->apply(value, error)) {
                return false;
            }
            continue;
        }
        if (!applyOptionValue(*row, value, settings, error)) {
            return false;
        }
        if (!line.gave(*row)) {
            line.givenRows.push_back(row);
        }
    }
    return true;
}

std::string optionsUsage(const std::vector<ProgramOption>& own, OptionReader reader)
{
    std::string text;
    for (const SettingRow& row : settingRows()) {
        if (!readerTakes(row, reader)) {
            continue;
        }
        const ProgramOption* program = ownOption(own, row.option);
        text += program != nullptr ? ownUsageLine(*program) : settingUsageLine(row);
    }
    for (const ProgramOption& option : own) {
        const SettingRow* row = rowOfOption(option.name);
        if (row == nullptr || !readerTakes(*row, reader)) {
            text += ownUsageLine(option);
        }
    }
    return text;
}
