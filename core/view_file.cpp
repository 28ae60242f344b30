// The text of a saved view, written and read by the rows of the settings table.
#include "core/view_file.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/colors.h"
#include "core/number_text.h"
#include "core/settings_table.h"
#include "core/view_maths.h"

namespace {

// A matrix of a turn holds values within -1 to 1, give or take rounding.
constexpr float kMatrixBound = 1.001f;

std::string floatText(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

std::string floatsText(const float* values, int count)
{
    std::string text;
    for (int k = 0; k < count; ++k) {
        text += (k > 0 ? "," : "") + floatText(values[k]);
    }
    return text;
}

std::string rangeText(const SettingRow& row)
{
    if (std::fabs(row.high) >= 1.0e38f) {
        return "numbers";
    }
    return floatText(row.low) + " to " + floatText(row.high);
}

// What a row's value takes, for an error message.
std::string expected(const SettingRow& row)
{
    switch (row.kind) {
    case SettingKind::Float:
    case SettingKind::Int:
        return rangeText(row);
    case SettingKind::Choice: {
        std::string words;
        for (int k = 0; k < row.wordCount; ++k) {
            words += (k > 0 ? (k + 1 == row.wordCount ? " or " : ", ") : "") + std::string(row.words[k]);
        }
        return words;
    }
    case SettingKind::Flag:
        return "0 or 1";
    case SettingKind::Floats:
        return std::to_string(row.count) + " " + rangeText(row) + " separated by commas";
    case SettingKind::Matrix:
        return "16 numbers separated by commas";
    case SettingKind::DataColors:
        return "VALUE=R,G,B with VALUE 0 to 49, colours 0 to 1";
    }
    return "";
}

// Reads one value of row into settings; false when the text is not a value of the row.
bool readValue(const SettingRow& row, const std::string& text, Settings& settings)
{
    switch (row.kind) {
    case SettingKind::Float: {
        float value = 0.0f;
        if (!parseNumber(text, value) || value < row.low || value > row.high) {
            return false;
        }
        *floatsOf(settings, row) = value;
        return true;
    }
    case SettingKind::Int: {
        int value = 0;
        if (!parseWholeNumber(text, value) || value < row.low || value > row.high) {
            return false;
        }
        *intOf(settings, row) = value;
        return true;
    }
    case SettingKind::Choice:
        for (int k = 0; k < row.wordCount; ++k) {
            if (trimmedText(text) == row.words[k]) {
                *intOf(settings, row) = k;
                return true;
            }
        }
        return false;
    case SettingKind::Flag: {
        int value = 0;
        if (!parseWholeNumber(text, value) || (value != 0 && value != 1)) {
            return false;
        }
        *intOf(settings, row) = value;
        return true;
    }
    case SettingKind::Floats:
        return parseNumberList(text, row.count, row.low, row.high, floatsOf(settings, row));
    case SettingKind::Matrix:
        return parseNumberList(text, 16, -kMatrixBound, kMatrixBound, floatsOf(settings, row));
    case SettingKind::DataColors: {
        const std::string::size_type equals = text.find('=');
        int value = 0;
        float rgb[3];
        if (equals == std::string::npos || !parseWholeNumber(text.substr(0, equals), value) || value < 0 ||
            value >= kDataColorCount || !parseNumberList(text.substr(equals + 1), 3, 0.0f, 1.0f, rgb)) {
            return false;
        }
        giveDataColor(dataColorsOf(settings, row)[value], rgb[0], rgb[1], rgb[2]);
        return true;
    }
    }
    return false;
}

const SettingRow* viewRowNamed(const std::string& name)
{
    for (const std::string& viewName : viewRowNames()) {
        if (viewName == name) {
            for (const SettingRow& row : settingRows()) {
                if (name == row.name) {
                    return &row;
                }
            }
        }
    }
    return nullptr;
}

bool knownRowNamed(const std::string& name)
{
    for (const SettingRow& row : settingRows()) {
        if (name == row.name) {
            return true;
        }
    }
    return false;
}

}  // namespace

const std::vector<std::string>& viewRowNames()
{
    static const std::vector<std::string> names = {
        "dataFormat",  "axis_data",      "displayType",  "stereoMode", "focalLength", "focalRatio",
        "eyeSeparation", "swapEyes",     "squeezeEyes",  "anaglyphMethod", "desaturation", "scale",
        "thickness",   "segments",       "angles",       "objTrans",   "rotateMat",   "lightRotateMat",
        "bgColor",     "leftColor",      "rightColor",   "dataColors", "colorBy",     "colorMap",
        "colorRange",  "showAxes",       "axesStyle",    "showFileName", "textSize",
    };
    return names;
}

std::vector<const SettingRow*> viewRows()
{
    std::vector<const SettingRow*> rows;
    for (const std::string& name : viewRowNames()) {
        rows.push_back(viewRowNamed(name));
    }
    return rows;
}

std::string viewText(const Settings& settings)
{
    std::string text = "# Orvelle view: name = value, as in the settings table\n";
    DataColor defaultColors[kDataColorCount];
    fillDataColors(defaultColors);
    for (const std::string& name : viewRowNames()) {
        const SettingRow& row = *viewRowNamed(name);
        const std::string start = name + " = ";
        switch (row.kind) {
        case SettingKind::Float:
            text += start + floatText(*floatsOf(settings, row)) + "\n";
            break;
        case SettingKind::Int:
        case SettingKind::Flag:
            text += start + std::to_string(*intOf(settings, row)) + "\n";
            break;
        case SettingKind::Choice: {
            const int value = *intOf(settings, row);
            text += start + (value >= 0 && value < row.wordCount ? row.words[value] : row.words[0]) + "\n";
            break;
        }
        case SettingKind::Floats:
        case SettingKind::Matrix:
            text += start + floatsText(floatsOf(settings, row), row.count) + "\n";
            break;
        case SettingKind::DataColors: {
            const DataColor* colors = reinterpret_cast<const DataColor*>(bytesOf(settings, row));
            for (int k = 0; k < kDataColorCount; ++k) {
                const DataColor& c = colors[k];
                const DataColor& d = defaultColors[k];
                // A colour given is kept also when it equals the table's: it stays given.
                if (c.r != d.r || c.g != d.g || c.b != d.b || c.given != d.given) {
                    const float rgb[3] = {c.r, c.g, c.b};
                    text += start + std::to_string(k) + "=" + floatsText(rgb, 3) + "\n";
                }
            }
            break;
        }
        }
    }
    return text;
}

bool applyViewText(const std::string& text, Settings& settings, std::string& error)
{
    Settings read = settings;
    std::string::size_type start = 0;
    int lineNumber = 0;
    while (start < text.size()) {
        std::string::size_type end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = trimmedText(text.substr(start, end - start));
        start = end + 1;
        ++lineNumber;
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const std::string where = "line " + std::to_string(lineNumber) + ": ";
        const std::string::size_type equals = line.find('=');
        if (equals == std::string::npos) {
            error = where + "expected name = value, found '" + line + "'";
            return false;
        }
        const std::string name = trimmedText(line.substr(0, equals));
        const std::string value = trimmedText(line.substr(equals + 1));
        const SettingRow* row = viewRowNamed(name);
        if (row == nullptr) {
            error = where + (knownRowNamed(name) ? "'" + name + "' is not part of a view"
                                                 : "no setting is called '" + name + "'");
            return false;
        }
        if (!readValue(*row, value, read)) {
            error = where + "bad value for " + name + ": '" + value + "' (" + expected(*row) + ")";
            return false;
        }
    }
    buildRotation(read.angleX, read.angleY, read.angleZ, read.angleMat);
    settings = read;
    return true;
}
