// Seeded random mutations of well-formed tables and matrices (bytes changed, lines doubled,
// text cut short or spliced in) fed to both text readers and to detection: no crash, no
// sanitizer report, and every result either a consistent data set or one report line.
#include <chrono>
#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io/columns_reader.h"
#include "io/format_detect.h"
#include "io/matrix_reader.h"

namespace {

constexpr const char* kPath = "fuzz.csv";

std::vector<std::string> seedTexts()
{
    std::vector<std::string> seeds = {
        "\xEF\xBB\xBF# sheet\r\n\"X\";\"Y\";\"Z\";\"G\"\r\n1,5;2;3;1\r\n4;5;6;2\r\n7;8,25;9;3\r\n",
        ",x,y,z,label\n0,1.5,-2e3,0.25,1\n1,2.5,inf,0.5,2\n2,-3.5,4,nan,1\n",
        "# sets\n0 0 0\n1 1 1\n2 2 2\n\n\n0 1 0\n1 2 1\n\n0 2 0\n1 3 1\n2 4 2\n",
        "\"name, full\",x,y,z\n\"Paris, FR\",1,2,3\n'Rome',4,5,6\n\"a \"\"b\"\"\",7,8,9\n",
        "a\tb\tc\td\n1\t2\t3\t4\n5\t6\t7\t8\n",
        "% heights\r\n1,2,3,4\r\n5, 6, 7, 8\r\n9,10,11,12\r\n",
        "0.1 0.2 0.3 0.4 0.5\n1e1 2e1 3e1 4e1 5e1\n-1 -2 -3 -4 -5\n"};
    for (const char* name : {"stations.csv", "heightmap.txt"}) {
        std::ifstream in(std::string(ORVELLE_SOURCE_DIR) + "/samples/" + name, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        if (!text.str().empty()) {
            seeds.push_back(text.str().substr(0, 3000));
        }
    }
    return seeds;
}

std::string duplicateLine(const std::string& text, std::mt19937& rng)
{
    const std::size_t at = rng() % (text.size() + 1);
    std::size_t begin = text.rfind('\n', at == 0 ? 0 : at - 1);
    begin = begin == std::string::npos ? 0 : begin + 1;
    std::size_t end = text.find('\n', at);
    end = end == std::string::npos ? text.size() : end + 1;
    std::string copy = text;
    copy.insert(end, text.substr(begin, end - begin));
    return copy;
}

std::string mutate(std::string text, std::mt19937& rng)
{
    static const std::string tokens[] = {",", ";", "\t", "\"", "'", "\n", "\r\n", "\n\n", "#", "%", " ",
                                         "nan", "-inf", "1e308", "1e-320", "0x1p3", "-", ".", "99999999999",
                                         "\xEF\xBB\xBF", std::string(1, '\0'), "\"a,b\""};
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits; ++e) {
        const std::size_t at = text.empty() ? 0 : rng() % text.size();
        switch (rng() % 6) {
        case 0:
            if (!text.empty()) {
                text[at] = static_cast<char>(rng() % 256);
            }
            break;
        case 1:
            text.insert(at, tokens[rng() % (sizeof tokens / sizeof *tokens)]);
            break;
        case 2:
            text.erase(at, rng() % 30);
            break;
        case 3:
            text = duplicateLine(text, rng);
            break;
        case 4:
            text.insert(at, text.substr(rng() % (text.size() + 1), rng() % 200));
            break;
        default:
            text.resize(at);
            break;
        }
    }
    return text;
}

bool oneReportLine(const std::string& line)
{
    if (line.rfind(std::string("File ") + kPath + ":", 0) != 0) {
        return false;
    }
    for (const char c : line) {
        if (static_cast<unsigned char>(c) < 0x20) {
            return false;
        }
    }
    return true;
}

// What is wrong with a result, or empty when it is sound.
std::string problemWith(const LoadResult& r)
{
    if (!r.loaded) {
        if (!oneReportLine(r.error)) {
            return "failure without a proper report line: " + r.error;
        }
        return r.data.coordArray.empty() ? "" : "failure with data";
    }
    const FnTrf& d = r.data.fnTrf;
    const std::size_t count = r.data.coordArray.size();
    if (!r.error.empty() || d.nx <= 0 || d.pointsPerSet <= 0 ||
        count != static_cast<std::size_t>(d.nx) * static_cast<std::size_t>(d.pointsPerSet) ||
        r.normaliseCount != count) {
        return "dimensions, array and count disagree";
    }
    const bool grouped = r.data.loadedFormat == 2;
    if ((grouped && r.data.groupArray.size() != count) || (!grouped && !r.data.groupArray.empty()) ||
        (r.data.loadedFormat != 0 && !grouped)) {
        return "groups and format disagree";
    }
    for (const Point3d& p : r.data.coordArray) {
        const double v[3] = {p.x, p.y, p.z};
        for (int a = 0; a < 3; ++a) {
            if (std::isfinite(v[a]) && (v[a] < r.rawBounds.min[a] || v[a] > r.rawBounds.max[a])) {
                return "a point outside the raw bounds";
            }
        }
    }
    for (const std::string& w : r.warnings) {
        if (!oneReportLine(w)) {
            return "a warning that is not one report line: " + w;
        }
    }
    return "";
}

}  // namespace

TEST(TextReaderFuzz, MutatedFilesLoadOrAreRefusedWithOneLine)
{
    const std::vector<std::string> seeds = seedTexts();
    ASSERT_GE(seeds.size(), 9u) << "the samples of the text formats are missing";
    const char* const choices[] = {"", "", "x,y,z", "1,2,3,4", "3,1,2", "X,Y,Z,G"};
    std::mt19937 rng(11);
    int runs = 0, loaded = 0, refused = 0;
    std::string firstProblem;
    const auto stop = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (std::chrono::steady_clock::now() < stop && runs < 60000 && firstProblem.empty()) {
        const std::string text = mutate(seeds[rng() % seeds.size()], rng);
        // An exact-size copy, so that reading one byte past the end is an address error.
        std::unique_ptr<char[]> bytes(new char[text.size() + 1]);
        std::memcpy(bytes.get(), text.data(), text.size());
        const char* begin = bytes.get();
        const char* end = begin + text.size();

        ColumnsOptions options;
        options.columns = choices[rng() % (sizeof choices / sizeof *choices)];
        const LoadResult table = readColumnsText(kPath, begin, end, options);
        const LoadResult matrix = readMatrixText(kPath, begin, end);
        const DataFormat detected = detectFormat(begin, text.size());
        for (const LoadResult* r : {&table, &matrix}) {
            const std::string problem = problemWith(*r);
            if (!problem.empty() && firstProblem.empty()) {
                firstProblem = problem + "\nwith columns \"" + options.columns + "\" on:\n" + text;
            }
            (r->loaded ? loaded : refused) += 1;
        }
        if (std::string(formatWord(detected)) == "unknown") {
            firstProblem = "detection gave no format on:\n" + text;
        }
        ++runs;
    }
    RecordProperty("runs", runs);
    EXPECT_TRUE(firstProblem.empty()) << firstProblem;
    EXPECT_GT(runs, 300);
    // The mutations must leave many files readable and break many others, or they test little.
    EXPECT_GT(loaded, runs / 10);
    EXPECT_GT(refused, runs / 10);
}
