// The one parser of settings options: table rows and a program's own options side by side,
// the errors it stops at, which rows each program takes, and the usage text.
#include "core/settings_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Parsed {
    bool ok = false;
    Settings settings;
    CommandLine line;
    std::string error;
    std::vector<std::string> ownValues;  // what the program's own options were handed
};

Parsed parse(const std::vector<std::string>& args, OptionReader reader = OptionReader::Viewer)
{
    Parsed p;
    std::vector<ProgramOption> own = {
        {"--size", "WxH", "picture size",
         [&p](const std::string& value, std::string& error) {
             if (value.find('x') == std::string::npos) {
                 error = "bad value for --size: '" + value + "'";
                 return false;
             }
             p.ownValues.push_back("size=" + value);
             return true;
         }},
        {"--quiet", "", "say nothing",
         [&p](const std::string& value, std::string&) {
             p.ownValues.push_back("quiet" + value);
             return true;
         }},
        // Stands in for the table's row of the same name.
        {"--format", "WORD", "the program's own reader choice",
         [&p](const std::string& value, std::string&) {
             p.ownValues.push_back("format=" + value);
             return true;
         }},
    };
    p.ok = parseSettingsOptions(args, own, reader, p.settings, p.line, p.error);
    return p;
}

TEST(SettingsOptions, ReadsRowsOwnOptionsAndOperandsInAnyOrder)
{
    const Parsed p = parse({"a.dat", "--thickness", "0.5", "--quiet", "--axes", "--size", "3x4", "-x", "--format",
                            "maple", "--thickness", "0.25", "b.dat"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.line.operands, (std::vector<std::string>{"a.dat", "-x", "b.dat"}))
        << "only arguments starting with -- are options";
    EXPECT_FLOAT_EQ(p.settings.thickness, 0.25f) << "the last of a repeated option wins";
    EXPECT_EQ(p.settings.showAxes, 1);
    EXPECT_EQ(p.ownValues, (std::vector<std::string>{"quiet", "size=3x4", "format=maple"}));
    EXPECT_EQ(p.settings.dataFormat, DataFormat::Plain) << "the program's --format replaces the row's";
    ASSERT_EQ(p.line.givenRows.size(), 2u) << "a repeated row is listed once";
    EXPECT_EQ(p.line.givenRows[0], &settingRow(&Settings::thickness));
    EXPECT_TRUE(p.line.gave(settingRow(&Settings::showAxes)));
    EXPECT_FALSE(p.line.gave(settingRow(&Settings::scale)));
}

TEST(SettingsOptions, StopsAtTheFirstErrorWithOneMessage)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--frobnicate", "f"}, "unknown option --frobnicate"},
        {{"--thickness"}, "--thickness needs a value"},
        {{"--size"}, "--size needs a value"},
        {{"--thickness", "11"}, "bad value for --thickness: '11' (0.001 to 10)"},
        {{"--size", "12"}, "bad value for --size: '12'"},
        {{"--display", "lines", "--thickness", "11"}, "bad value for --display: 'lines'"},
    };
    for (const auto& c : cases) {
        const Parsed p = parse(c.first);
        EXPECT_FALSE(p.ok) << c.second;
        EXPECT_EQ(p.error.rfind(c.second, 0), 0u) << "'" << p.error << "' should start with '" << c.second << "'";
        EXPECT_EQ(p.error.find('\n'), std::string::npos) << p.error;
    }
}

TEST(SettingsOptions, OnlyTheViewerTakesTheRowsThatOnlyItActsOn)
{
    const Parsed viewer = parse({"--watch", "f"}, OptionReader::Viewer);
    ASSERT_TRUE(viewer.ok) << viewer.error;
    EXPECT_EQ(viewer.settings.watchFile, 1);

    const Parsed renderer = parse({"--watch", "f"}, OptionReader::Renderer);
    EXPECT_FALSE(renderer.ok);
    EXPECT_EQ(renderer.error, "unknown option --watch");

    for (const SettingRow& row : settingRows()) {
        if (row.option != nullptr) {
            EXPECT_TRUE(readerTakes(row, OptionReader::Viewer)) << row.option;
            EXPECT_EQ(readerTakes(row, OptionReader::Renderer), !row.viewerOnly) << row.option;
        }
    }
}

TEST(SettingsOptions, UsagePutsOwnOptionsInTheRowsPlaceAndTheRestAfter)
{
    std::vector<ProgramOption> own = {
        {"--format", "A|B", "own reader choice\nover two lines", nullptr},
        {"--size", "WxH", "picture size", nullptr},
    };
    const std::string usage = optionsUsage(own, OptionReader::Renderer);
    const std::string formatLine = usageLine("--format A|B", "own reader choice\nover two lines");
    EXPECT_EQ(formatLine, "  --format A|B                     own reader choice\n"
                          "                                   over two lines\n");
    ASSERT_NE(usage.find(formatLine), std::string::npos) << usage;
    EXPECT_EQ(usage.find("--format data|"), std::string::npos) << "the row's own line is replaced";
    EXPECT_LT(usage.find(formatLine), usage.find("--display")) << "in the row's place";
    EXPECT_GT(usage.find("--size WxH"), usage.find("--debug")) << "other own options follow the rows";
    EXPECT_EQ(usage.find("--watch"), std::string::npos) << "orvelle-render has no --watch";
    EXPECT_NE(optionsUsage(own, OptionReader::Viewer).find("--watch"), std::string::npos);
    // An option too long for the column stands on a line of its own.
    EXPECT_EQ(usageLine("--a-very-long-option-name VALUE,VALUE", "help"),
              "  --a-very-long-option-name VALUE,VALUE\n                                   help\n");
}

}  // namespace
