// The settings table: every row consistent with its field's default, options parsed within
// the declared ranges, the view reset and the change versions driven by the rows' effects.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <string>

#include "core/settings_table.h"

namespace {

std::string numberText(float value)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

}  // namespace

TEST(SettingsTable, RowsCoverDistinctFieldsWithDefaultsInRange)
{
    const Settings defaults;
    std::set<std::string> names, options;
    std::set<std::size_t> offsets;
    for (const SettingRow& row : settingRows()) {
        EXPECT_TRUE(names.insert(row.name).second) << row.name;
        EXPECT_TRUE(offsets.insert(row.offset).second) << row.name;
        if (row.option != nullptr) {
            EXPECT_TRUE(options.insert(row.option).second) << row.option;
        }
        EXPECT_LE(row.offset + sizeOf(row), sizeof(Settings)) << row.name;
        EXPECT_EQ(rowOfField(defaults, bytesOf(defaults, row)), &row) << row.name;
        EXPECT_EQ(rowOfField(defaults, bytesOf(defaults, row) + sizeOf(row) - 1), &row) << row.name;
        switch (row.kind) {
        case SettingKind::Float:
            EXPECT_GE(*floatsOf(defaults, row), row.low) << row.name;
            EXPECT_LE(*floatsOf(defaults, row), row.high) << row.name;
            break;
        case SettingKind::Int:
        case SettingKind::Choice:
        case SettingKind::Flag:
            EXPECT_GE(*intOf(defaults, row), row.low) << row.name;
            EXPECT_LE(*intOf(defaults, row), row.high) << row.name;
            break;
        case SettingKind::Floats:
            for (int k = 0; k < row.count; ++k) {
                EXPECT_GE(floatsOf(defaults, row)[k], row.low) << row.name << " " << k;
                EXPECT_LE(floatsOf(defaults, row)[k], row.high) << row.name << " " << k;
            }
            break;
        default:
            break;
        }
        if (row.kind == SettingKind::Choice) {
            EXPECT_EQ(row.wordCount, static_cast<int>(row.high) + 1) << row.name;
        }
    }
    // Rows never overlap: the field of each byte belongs to one row at most.
    for (const SettingRow& a : settingRows()) {
        for (const SettingRow& b : settingRows()) {
            if (&a != &b) {
                EXPECT_TRUE(a.offset + sizeOf(a) <= b.offset || b.offset + sizeOf(b) <= a.offset)
                    << a.name << " overlaps " << b.name;
            }
        }
    }
    EXPECT_EQ(rowOfField(defaults, &defaults.angleMat[3]), nullptr) << "the derived turn is not a setting";
    EXPECT_EQ(&settingRow(&Settings::thickness), rowOfOption("--thickness"));
    EXPECT_EQ(rowOfOption("--no-such-option"), nullptr);
}

TEST(SettingsTable, OptionsTakeTheirRangeAndRefuseBeyondIt)
{
    for (const SettingRow& row : settingRows()) {
        if (row.option == nullptr || (row.kind != SettingKind::Float && row.kind != SettingKind::Int)) {
            continue;
        }
        Settings s;
        std::string error;
        const auto value = [&]() -> double {
            return row.kind == SettingKind::Float ? *floatsOf(s, row) : *intOf(s, row);
        };
        const auto text = [&](float v) {
            return row.kind == SettingKind::Float ? numberText(v) : std::to_string(static_cast<int>(v));
        };
        EXPECT_TRUE(applyOptionValue(row, text(row.low), s, error)) << row.option << ": " << error;
        EXPECT_EQ(value(), row.low) << row.option;
        EXPECT_TRUE(applyOptionValue(row, text(row.high), s, error)) << row.option << ": " << error;
        EXPECT_EQ(value(), row.high) << row.option;

        const float beyond = row.kind == SettingKind::Int ? row.high + 1.0f : row.high * 1.01f + 0.01f;
        EXPECT_FALSE(applyOptionValue(row, text(beyond), s, error)) << row.option;
        EXPECT_NE(error.find(row.option), std::string::npos) << error;
        EXPECT_EQ(value(), row.high) << row.option << ": a refused value changes nothing";
        EXPECT_FALSE(applyOptionValue(row, "x1", s, error)) << row.option;
        EXPECT_FALSE(applyOptionValue(row, "", s, error)) << row.option;
    }

    Settings s;
    std::string error;
    const SettingRow& angles = *rowOfOption("--angles");
    ASSERT_TRUE(applyOptionValue(angles, "90,0,0", s, error)) << error;
    EXPECT_NEAR(s.angleMat[6], 1.0f, 1e-6f) << "the turn follows the angles at once";
    EXPECT_FALSE(applyOptionValue(angles, "1,2", s, error));
    EXPECT_FALSE(applyOptionValue(*rowOfOption("--background"), "0.5,0.5,1.5", s, error));
    EXPECT_NE(error.find("0 to 1"), std::string::npos) << error;
    EXPECT_FALSE(applyOptionValue(*rowOfOption("--data-color"), "50=1,0,0", s, error));
    ASSERT_TRUE(applyOptionValue(*rowOfOption("--data-color"), "49=1,0.5,0", s, error)) << error;
    EXPECT_EQ(s.dataColors[49].g, 0.5f);
    ASSERT_TRUE(applyOptionValue(*rowOfOption("--display"), "filled", s, error)) << error;
    EXPECT_EQ(s.displayType, DisplayType::Filled);
    EXPECT_FALSE(applyOptionValue(*rowOfOption("--display"), "lines", s, error));
    EXPECT_NE(error.find("points, joined, needled, grid or filled"), std::string::npos) << error;
    ASSERT_TRUE(applyOptionValue(*rowOfOption("--no-file-name"), "", s, error));
    EXPECT_EQ(s.showFileName, 0);
}

TEST(SettingsTable, UsageListsEveryOptionWithItsRangeAndDefault)
{
    const std::string usage = settingsUsage();
    for (const SettingRow& row : settingRows()) {
        if (row.option != nullptr) {
            EXPECT_NE(usage.find(std::string("  ") + row.option + " "), std::string::npos) << row.option;
        }
    }
    EXPECT_NE(usage.find("--thickness F"), std::string::npos) << usage;
    EXPECT_NE(usage.find("0.001 to 10 (default 0.02)"), std::string::npos) << usage;
    EXPECT_NE(usage.find("--view mono|anaglyph|stereo|side-by-side|top-bottom|interleaved|color-anaglyph"),
              std::string::npos)
        << usage;
    EXPECT_NE(usage.find("--anaglyph-method mask|gray|half-color|color|dubois"), std::string::npos) << usage;
    EXPECT_NE(usage.find("(default dubois)"), std::string::npos) << usage;
    EXPECT_NE(usage.find("0 to 1 (default 0.65)"), std::string::npos) << usage;
}

TEST(SettingsTable, ViewResetRestoresItsRowsAndTellsTheGeometryOnlyOfRealChanges)
{
    Settings s;
    SettingsVersions versions;
    resetViewSettings(s, versions);
    EXPECT_EQ(versions.geometry, 0u) << "nothing changed";
    EXPECT_FLOAT_EQ(s.eyeSeparation, 1.0f) << "focal length / focal ratio after a reset";

    s.thickness = 0.5f;
    s.scale = 3.0f;
    s.angleY = 30.0f;
    s.focalLength = 40.0f;
    s.segments = 12;  // survives a reset
    s.bgColor[0] = 0.25f;
    resetViewSettings(s, versions);
    EXPECT_EQ(versions.geometry, 1u) << "the thickness changed";
    EXPECT_EQ(s.thickness, 0.02f);
    EXPECT_EQ(s.scale, 1.0f);
    EXPECT_EQ(s.angleY, 0.0f);
    EXPECT_EQ(s.angleMat[0], 1.0f);
    EXPECT_EQ(s.segments, 12);
    EXPECT_EQ(s.bgColor[0], 0.25f);
    EXPECT_FLOAT_EQ(s.eyeSeparation, 1.0f);
}

TEST(SettingsTable, EverySettingThatIsShownChangesTheSnapshotAndOnlyThose)
{
    const Settings defaults;
    const std::vector<unsigned char> before = settingsSnapshot(defaults, kShown);
    for (const SettingRow& row : settingRows()) {
        Settings changed;
        unsigned char* field = reinterpret_cast<unsigned char*>(&changed) + row.offset;
        field[0] ^= 0x5a;
        const bool differs = settingsSnapshot(changed, kShown) != before;
        EXPECT_EQ(differs, (row.effects & kShown) != 0) << row.name;
    }
    for (const SettingRow& row : settingRows()) {
        SettingsVersions versions;
        noteSettingChanged(row, versions);
        EXPECT_EQ(versions.geometry, (row.effects & kGeometry) ? 1u : 0u) << row.name;
    }
    EXPECT_TRUE(settingRow(&Settings::thickness).effects & kGeometry);
    EXPECT_TRUE(settingRow(&Settings::segments).effects & kGeometry);
    EXPECT_TRUE(settingRow(&Settings::displayType).effects & kGeometry);
}
