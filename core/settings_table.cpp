// The rows of the settings table, and the operations that every reader of settings shares:
// finding a row, parsing an option's value, the usage text, the reset of the view, and
// telling what a change makes out of date.
//
// Index:
//   row builders .............. floatRow, intRow, choiceRow, flagRow, floatsRow, matrixRow,
//                               withDefaultText, viewerOnly
//   the rows .................. buildRows: every setting, in the order of the usage text
//   option text ............... parsing numbers and lists, what an option takes, defaults
//   lookups ................... settingRows, rowOfField, rowOfOption, the field accessors
//   reset of the view ......... resetViewSettings
//   option values and usage ... applyOptionValue, usageLine, settingUsageLine, settingsUsage
//   changes ................... settingsSnapshot, noteSettingChanged
#include "core/settings_table.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/anaglyph.h"
#include "core/colors.h"
#include "core/number_text.h"
#include "core/view_maths.h"

namespace {

constexpr float kUnbounded = 3.0e38f;

const char* const kViewWords[] = {"mono",         "anaglyph",    "stereo",        "side-by-side",
                                  "top-bottom",   "interleaved", "color-anaglyph"};
const char* const kDisplayWords[] = {"points", "joined", "needled", "grid", "filled"};
const char* const kScalingWords[] = {"individual", "uniform"};
const char* const kFormatWords[] = {"data", "maple", "color", "columns", "matrix", "npy", "ply"};
const char* const kColorByWords[] = {"eye", "height", "group", "file"};
const char* const kColorMapWords[] = {"viridis", "gray", "coolwarm"};
const char* const kAxesStyleWords[] = {"lines", "box"};

template <std::size_t N>
constexpr int countOf(const char* const (&)[N])
{
    return static_cast<int>(N);
}
static_assert(countOf(kViewWords) == kViewModeCount, "one word for every view mode");

// The three angles stand side by side, so that one row (and one option) covers them.
static_assert(offsetof(Settings, angleZ) == offsetof(Settings, angleX) + 2 * sizeof(float),
              "the angles must be contiguous");

#define FIELD(name) offsetof(Settings, name)

SettingRow floatRow(const char* name, std::size_t offset, unsigned effects, float low, float high, float step,
                    const char* option, const char* help)
{
    return SettingRow{name, SettingKind::Float, offset, 1, effects, low, high, step, option, "F", help};
}

SettingRow intRow(const char* name, std::size_t offset, unsigned effects, float low, float high, float step,
                  const char* option, const char* help)
{
    return SettingRow{name, SettingKind::Int, offset, 1, effects, low, high, step, option, "N", help};
}

template <std::size_t N>
SettingRow choiceRow(const char* name, std::size_t offset, unsigned effects, const char* option,
                     const char* const (&words)[N], const char* help)
{
    SettingRow row{name, SettingKind::Choice, offset, 1, effects, 0.0f, static_cast<float>(N - 1), 1.0f,
                   option, nullptr, help};
    row.words = words;
    row.wordCount = countOf(words);
    return row;
}

SettingRow flagRow(const char* name, std::size_t offset, unsigned effects, const char* option, int flagValue,
                   const char* help)
{
    SettingRow row{name, SettingKind::Flag, offset, 1, effects, 0.0f, 1.0f, 1.0f, option, nullptr, help};
    row.flagValue = flagValue;
    return row;
}

SettingRow floatsRow(const char* name, std::size_t offset, int count, unsigned effects, float low, float high,
                     float step, const char* option, const char* valueName, int optionValues, const char* help)
{
    SettingRow row{name, SettingKind::Floats, offset, count, effects, low, high, step, option, valueName, help};
    row.optionValues = optionValues;
    return row;
}

SettingRow matrixRow(const char* name, std::size_t offset, unsigned effects)
{
    return SettingRow{name, SettingKind::Matrix, offset, 16, effects, -1.0f, 1.0f, 0.0f, nullptr, nullptr,
                      "a turn, 16 floats in column order"};
}

SettingRow withDefaultText(SettingRow row, const char* text)
{
    row.defaultText = text;
    return row;
}

SettingRow viewerOnly(SettingRow row)
{
    row.viewerOnly = true;
    return row;
}

std::vector<SettingRow> buildRows()
{
    const unsigned shown = kShown;
    std::vector<SettingRow> rows = {
        // ---- Display choices and file format ----
        choiceRow("dataFormat", FIELD(dataFormat), kReloads, "--format", kFormatWords, "reader of FILE"),
        choiceRow("displayType", FIELD(displayType), shown | kGeometry, "--display", kDisplayWords,
                  "display type"),
        choiceRow("stereoMode", FIELD(stereoMode), shown | kWindow, "--view", kViewWords,
                  "view mode (stereo is StereoView: quad-buffered in the viewer, the two eye pictures side by side from orvelle-render)"),
        choiceRow("axis_data", FIELD(axis_data), kReloads, "--scaling", kScalingWords, "axis scaling"),
        // ---- Stereo ----
        withDefaultText(floatRow("eyeSeparation", FIELD(eyeSeparation), shown, 0.0f, 45.0f, 0.05f, "--eye-separation", ""),
                        "default: focal length / 20, as the viewer has it after loading a file"),
        floatRow("focalLength", FIELD(focalLength), shown | kResetWithView, 0.0f, 500.0f, 0.05f,
                 "--focal-length", ""),
        floatRow("focalRatio", FIELD(focalRatio), kResetWithView, 0.0f, kUnbounded, 0.0f, nullptr,
                 "focal length over eye separation"),
        flagRow("swapEyes", FIELD(swapEyes), shown, "--swap-eyes", 1,
                "give each eye the picture meant for the other (every view of two eyes)"),
        flagRow("squeezeEyes", FIELD(squeezeEyes), shown, "--squeeze", 1,
                "side-by-side, top-bottom: each eye keeps the whole picture's aspect ratio"),
        choiceRow("anaglyphMethod", FIELD(anaglyphMethod), shown, "--anaglyph-method", kAnaglyphMethodWords,
                  "how color-anaglyph mixes the eyes"),
        floatRow("desaturation", FIELD(desaturation), shown, 0.0f, 1.0f, 0.01f, "--desaturate",
                 "color-anaglyph: colours moved towards grey before mixing"),
        // ---- View ----
        floatRow("scale", FIELD(scale), shown | kResetWithView, -1000.0f, 1000.0f, 0.001f, "--scale",
                 "size factor"),
        floatRow("thickness", FIELD(thickness), shown | kGeometry | kResetWithView, 0.001f, 10.0f, 0.05f,
                 "--thickness", "line and point thickness"),
        intRow("segments", FIELD(segments), shown | kGeometry, 3.0f, 60.0f, 1.0f, "--segments", "slices of tubes"),
        floatsRow("angles", FIELD(angleX), 3, shown | kResetWithView, -kUnbounded, kUnbounded, 0.0f, "--angles",
                  "X,Y,Z", 3, "turn in degrees about x, then y, then z"),
        floatsRow("objTrans", FIELD(objTrans), 3, shown | kResetWithView, -kUnbounded, kUnbounded, 0.005f,
                  "--shift", "X,Y,Z", 3, "shift of the scene (z away from the viewer)"),
        matrixRow("rotateMat", FIELD(rotateMat), shown),
        matrixRow("lightRotateMat", FIELD(lightRotateMat), shown),
        // ---- Colours ----
        floatsRow("bgColor", FIELD(bgColor), 4, shown, 0.0f, 1.0f, 0.001f, "--background", "R,G,B", 3,
                  "background colour, 0 to 1 each"),
        floatsRow("leftColor", FIELD(leftColor), 4, shown, 0.0f, 1.0f, 0.001f, "--left-color", "R,G,B", 3,
                  "colour of MonoView, the left eye, both eyes of side-by-side, top-bottom and "
                  "interleaved, and of color-anaglyph once changed from red"),
        floatsRow("rightColor", FIELD(rightColor), 4, shown, 0.0f, 1.0f, 0.001f, "--right-color", "R,G,B", 3,
                  "colour of the right eye"),
        SettingRow{"dataColors", SettingKind::DataColors, FIELD(dataColors), kDataColorCount, shown, 0.0f, 1.0f,
                   0.0f, "--data-color", "VALUE=R,G,B", "colour of data value 0 to 49 (repeatable)"},
        // ---- Shown parts ----
        flagRow("showAxes", FIELD(showAxes), shown, "--axes", 1, "show the axes"),
        flagRow("showFileName", FIELD(showFileName), shown, "--no-file-name", 0,
                "leave the file name out of the picture"),
        flagRow("debugPrint", FIELD(debugPrint), 0, "--debug", 1, "print the viewer's diagnostics"),
        flagRow("showMovementControls", FIELD(showMovementControls), 0, nullptr, 1,
                "show the \"Movement Controls\" window"),
        viewerOnly(flagRow("watchFile", FIELD(watchFile), 0, "--watch", 1,
                           "read FILE again whenever it is rewritten (\"Watch file\")")),
        // ---- Lights ----
        floatsRow("light1Ambient", FIELD(light1Ambient), 4, shown, 0.0f, 1.0f, 0.0f, nullptr, nullptr, 0, ""),
        floatsRow("light1Diffuse", FIELD(light1Diffuse), 4, shown, 0.0f, 1.0f, 0.0f, nullptr, nullptr, 0, ""),
        floatsRow("light1Position", FIELD(light1Position), 4, shown, -kUnbounded, kUnbounded, 0.0f, nullptr,
                  nullptr, 0, ""),
        floatsRow("light2Ambient", FIELD(light2Ambient), 4, shown, 0.0f, 1.0f, 0.0f, nullptr, nullptr, 0, ""),
        floatsRow("light2Diffuse", FIELD(light2Diffuse), 4, shown, 0.0f, 1.0f, 0.0f, nullptr, nullptr, 0, ""),
        floatsRow("light2Position", FIELD(light2Position), 4, shown, -kUnbounded, kUnbounded, 0.0f, nullptr,
                  nullptr, 0, ""),
        flagRow("light1Enabled", FIELD(light1Enabled), shown, nullptr, 1, "Light 1 on"),
        flagRow("light2Enabled", FIELD(light2Enabled), shown, nullptr, 1, "Light 2 on"),
        floatRow("light1Intensity", FIELD(light1Intensity), shown, 0.0f, 1.0f, 1.0f, nullptr, ""),
        floatRow("light2Intensity", FIELD(light2Intensity), shown, 0.0f, 1.0f, 1.0f, nullptr, ""),
        // ---- The colour being edited ----
        intRow("colorName", FIELD(colorName), 0, 0.0f, 10.0f, 1.0f, nullptr, "named colour"),
        floatRow("colorRed", FIELD(colorRed), 0, 0.0f, 1.0f, 0.001f, nullptr, ""),
        floatRow("colorGreen", FIELD(colorGreen), 0, 0.0f, 1.0f, 0.001f, nullptr, ""),
        floatRow("colorBlue", FIELD(colorBlue), 0, 0.0f, 1.0f, 0.001f, nullptr, ""),
        intRow("applyColorTo", FIELD(applyColorTo), 0, 0.0f, 5.0f, 1.0f, nullptr, "target of the colour"),
        intRow("dataValue", FIELD(dataValue), 0, 0.0f, 9.0f, 1.0f, nullptr, "data value to colour"),
        intRow("curDataValue", FIELD(curDataValue), 0, 0.0f, 49.0f, 1.0f, nullptr, "data value last coloured"),
        // ---- Colour by value and the axes' style ----
        choiceRow("colorBy", FIELD(colorBy), shown, "--color-by", kColorByWords,
                  "colour of the data: the eye's, by height (z) through the colour map, by group (by "
                  "set without groups), or the colours the file gives its points (group and file both "
                  "show them); Anaglyph keeps the eye colours"),
        choiceRow("colorMap", FIELD(colorMap), shown, "--colormap", kColorMapWords, "colour map of heights"),
        withDefaultText(floatsRow("colorRange", FIELD(colorRange), 2, shown, -kUnbounded, kUnbounded, 0.0f,
                                  "--color-range", "LO,HI", 2, "z values at the ends of the colour map"),
                        "default: the data's z range, as are equal ends"),
        choiceRow("axesStyle", FIELD(axesStyle), shown, "--axes-style", kAxesStyleWords,
                  "what --axes shows: the axes figure, or the data's box with ticks in its own units"),
        // ---- Figures ----
        floatRow("textSize", FIELD(textSize), shown, 0.25f, 8.0f, 0.05f, "--text-size",
                 "size of the texts over the picture, a factor of 2.2% of its height (at least 11 pixels)"),
        viewerOnly(flagRow("smoothEdges", FIELD(smoothEdges), shown, "--no-smooth-edges", 0,
                           "show the picture at rest without smoothing its edges (\"Smooth edges\")")),
        // ---- While the view moves ----
        viewerOnly(flagRow("lighterWhileMoving", FIELD(lighterWhileMoving), 0, "--full-while-moving", 0,
                           "draw the full picture also while the view moves (\"Lighter picture while moving\" "
                           "off)")),
        viewerOnly(floatRow("frameBudget", FIELD(frameBudget), 0, 10.0f, 1000.0f, 5.0f, "--frame-budget",
                            "milliseconds a frame of the lighter picture may take while the view moves "
                            "(\"Frame budget while moving\")")),
    };
    return rows;
}

#undef FIELD

std::string formatNumber(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string wordList(const SettingRow& row, const char* separator, const char* lastSeparator)
{
    std::string text;
    for (int k = 0; k < row.wordCount; ++k) {
        if (k > 0) {
            text += k == row.wordCount - 1 ? lastSeparator : separator;
        }
        text += row.words[k];
    }
    return text;
}

bool bounded(float value)
{
    return std::fabs(value) < kUnbounded;
}

// What a row's option takes, for the end of an error message.
std::string expectation(const SettingRow& row)
{
    switch (row.kind) {
    case SettingKind::Choice:
        return wordList(row, ", ", " or ");
    case SettingKind::Float:
    case SettingKind::Int:
        return formatNumber(row.low) + " to " + formatNumber(row.high);
    case SettingKind::Floats:
        return bounded(row.high) ? std::string(row.valueName) + ", " + formatNumber(row.low) + " to " +
                                       formatNumber(row.high) + " each"
                                 : row.valueName;
    case SettingKind::DataColors:
        return "VALUE=R,G,B with VALUE 0 to 49, colours 0 to 1";
    default:
        return "";
    }
}

// The default of a row as the usage text shows it.
std::string defaultOf(const SettingRow& row)
{
    static const Settings defaults;
    if (row.defaultText != nullptr) {
        return row.defaultText;
    }
    switch (row.kind) {
    case SettingKind::Choice:
        return std::string("default ") + row.words[*intOf(defaults, row)];
    case SettingKind::Float:
    case SettingKind::Int: {
        const double value = row.kind == SettingKind::Float ? *floatsOf(defaults, row) : *intOf(defaults, row);
        return "default " + formatNumber(value);
    }
    case SettingKind::Floats: {
        if (row.high <= 1.0f) {
            std::string text = "default ";
            const float* values = floatsOf(defaults, row);
            for (int k = 0; k < (row.optionValues > 0 ? row.optionValues : row.count); ++k) {
                text += (k > 0 ? "," : "") + formatNumber(values[k]);
            }
            return text;
        }
        return "";
    }
    default:
        return "";
    }
}

}  // namespace

const std::vector<SettingRow>& settingRows()
{
    static const std::vector<SettingRow> rows = buildRows();
    return rows;
}

const SettingRow* rowOfField(const Settings& settings, const void* field)
{
    const auto* base = reinterpret_cast<const unsigned char*>(&settings);
    const auto* at = static_cast<const unsigned char*>(field);
    if (at < base || at >= base + sizeof(Settings)) {
        return nullptr;
    }
    const std::size_t offset = static_cast<std::size_t>(at - base);
    for (const SettingRow& row : settingRows()) {
        if (offset >= row.offset && offset < row.offset + sizeOf(row)) {
            return &row;
        }
    }
    return nullptr;
}

const SettingRow* rowOfOption(const std::string& option)
{
    for (const SettingRow& row : settingRows()) {
        if (row.option != nullptr && option == row.option) {
            return &row;
        }
    }
    return nullptr;
}

float* floatsOf(Settings& settings, const SettingRow& row)
{
    return reinterpret_cast<float*>(reinterpret_cast<unsigned char*>(&settings) + row.offset);
}

const float* floatsOf(const Settings& settings, const SettingRow& row)
{
    return reinterpret_cast<const float*>(reinterpret_cast<const unsigned char*>(&settings) + row.offset);
}

int* intOf(Settings& settings, const SettingRow& row)
{
    return reinterpret_cast<int*>(reinterpret_cast<unsigned char*>(&settings) + row.offset);
}

const int* intOf(const Settings& settings, const SettingRow& row)
{
    return reinterpret_cast<const int*>(reinterpret_cast<const unsigned char*>(&settings) + row.offset);
}

DataColor* dataColorsOf(Settings& settings, const SettingRow& row)
{
    return reinterpret_cast<DataColor*>(reinterpret_cast<unsigned char*>(&settings) + row.offset);
}

const unsigned char* bytesOf(const Settings& settings, const SettingRow& row)
{
    return reinterpret_cast<const unsigned char*>(&settings) + row.offset;
}

std::size_t sizeOf(const SettingRow& row)
{
    switch (row.kind) {
    case SettingKind::Float:
        return sizeof(float);
    case SettingKind::Int:
    case SettingKind::Choice:
    case SettingKind::Flag:
        return sizeof(int);
    case SettingKind::Floats:
    case SettingKind::Matrix:
        return sizeof(float) * static_cast<std::size_t>(row.count);
    case SettingKind::DataColors:
        return sizeof(DataColor) * kDataColorCount;
    }
    return 0;
}

void resetViewSettings(Settings& settings, SettingsVersions& versions)
{
    static const Settings defaults;
    for (const SettingRow& row : settingRows()) {
        unsigned char* field = reinterpret_cast<unsigned char*>(&settings) + row.offset;
        if ((row.effects & kResetWithView) && std::memcmp(field, bytesOf(defaults, row), sizeOf(row)) != 0) {
            std::memcpy(field, bytesOf(defaults, row), sizeOf(row));
            noteSettingChanged(row, versions);
        }
    }
    settings.eyeSeparation = settings.focalLength / settings.focalRatio;
    buildRotation(settings.angleX, settings.angleY, settings.angleZ, settings.angleMat);
}

bool applyOptionValue(const SettingRow& row, const std::string& text, Settings& settings, std::string& error)
{
    const auto refuse = [&]() {
        error = std::string("bad value for ") + row.option + ": '" + text + "'";
        const std::string expected = expectation(row);
        if (!expected.empty()) {
            error += " (" + expected + ")";
        }
        return false;
    };
    switch (row.kind) {
    case SettingKind::Float: {
        float value = 0.0f;
        if (!parseNumber(text, value) || value < row.low || value > row.high) {
            return refuse();
        }
        *floatsOf(settings, row) = value;
        break;
    }
    case SettingKind::Int: {
        int value = 0;
        if (!parseWholeNumber(text, value) || value < row.low || value > row.high) {
            return refuse();
        }
        *intOf(settings, row) = value;
        break;
    }
    case SettingKind::Choice: {
        int index = -1;
        for (int k = 0; k < row.wordCount; ++k) {
            if (text == row.words[k]) {
                index = k;
            }
        }
        if (index < 0) {
            return refuse();
        }
        *intOf(settings, row) = index;
        break;
    }
    case SettingKind::Flag:
        *intOf(settings, row) = row.flagValue;
        break;
    case SettingKind::Floats: {
        float values[16];
        const int n = row.optionValues > 0 ? row.optionValues : row.count;
        if (!parseNumberList(text, n, row.low, row.high, values)) {
            return refuse();
        }
        std::memcpy(floatsOf(settings, row), values, sizeof(float) * static_cast<std::size_t>(n));
        break;
    }
    case SettingKind::DataColors: {
        const std::string::size_type equals = text.find('=');
        int value = 0;
        float rgb[3];
        if (equals == std::string::npos || !parseWholeNumber(text.substr(0, equals), value) || value < 0 ||
            value >= kDataColorCount || !parseNumberList(text.substr(equals + 1), 3, 0.0f, 1.0f, rgb)) {
            return refuse();
        }
        giveDataColor(dataColorsOf(settings, row)[value], rgb[0], rgb[1], rgb[2]);
        break;
    }
    case SettingKind::Matrix:
        return refuse();
    }
    // The turn follows its angles at once, as it does after every key that turns the scene.
    buildRotation(settings.angleX, settings.angleY, settings.angleZ, settings.angleMat);
    return true;
}

std::string usageLine(const std::string& option, const std::string& help)
{
    constexpr std::size_t kHelpColumn = 35;
    std::string left = "  " + option;
    if (left.size() < kHelpColumn) {
        left.resize(kHelpColumn, ' ');
    } else {
        left += "\n" + std::string(kHelpColumn, ' ');
    }
    std::string text = left;
    for (const char c : help) {
        text += c;
        if (c == '\n') {
            text += std::string(kHelpColumn, ' ');
        }
    }
    return text + "\n";
}

std::string settingUsageLine(const SettingRow& row)
{
    std::string left = row.option;
    if (row.kind == SettingKind::Choice) {
        left += " " + wordList(row, "|", "|");
    } else if (row.valueName != nullptr) {
        left += std::string(" ") + row.valueName;
    }
    std::string right = row.help;
    if (row.kind == SettingKind::Float || row.kind == SettingKind::Int) {
        right += std::string(right.empty() ? "" : ", ") + formatNumber(row.low) + " to " + formatNumber(row.high);
    }
    const std::string byDefault = defaultOf(row);
    if (!byDefault.empty()) {
        right += " (" + byDefault + ")";
    }
    return usageLine(left, right);
}

std::string settingsUsage()
{
    std::string text;
    for (const SettingRow& row : settingRows()) {
        if (row.option != nullptr) {
            text += settingUsageLine(row);
        }
    }
    return text;
}

std::vector<unsigned char> settingsSnapshot(const Settings& settings, unsigned effects)
{
    std::vector<unsigned char> snapshot;
    for (const SettingRow& row : settingRows()) {
        if ((row.effects & effects) == effects) {
            const unsigned char* bytes = bytesOf(settings, row);
            snapshot.insert(snapshot.end(), bytes, bytes + sizeOf(row));
        }
    }
    return snapshot;
}

void noteSettingChanged(const SettingRow& row, SettingsVersions& versions)
{
    if (row.effects & kGeometry) {
        ++versions.geometry;
    }
}
