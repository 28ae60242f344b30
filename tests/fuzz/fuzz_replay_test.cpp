// Every fuzzer's seeds, the samples, and the inputs that once broke a load (kept in
// tests/fuzz/regressions/<name>) run through the fuzzers' entries: none may crash, trip a
// sanitizer or break a promise of the load.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/fuzz/fuzz_entries.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> filesIn(const fs::path& folder)
{
    std::vector<fs::path> files;
    if (fs::is_directory(folder)) {
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            if (entry.is_regular_file()) {
                files.push_back(entry.path());
            }
        }
    }
    return files;
}

std::string contentOf(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void replay(FuzzEntry entry, const std::vector<fs::path>& files)
{
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        const std::string bytes = contentOf(file);
        entry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
}

const fs::path kSource = ORVELLE_SOURCE_DIR;

}  // namespace

TEST(FuzzReplay, SeedsSamplesAndInputsThatOnceBrokeALoadRunThroughEveryEntry)
{
    const std::vector<fs::path> samples = filesIn(kSource / "samples");
    ASSERT_GE(samples.size(), 9u);
    for (const NamedFuzzEntry& named : kFuzzEntries) {
        SCOPED_TRACE(named.name);
        const std::vector<fs::path> seeds = filesIn(kSource / "tests/fuzz/seeds" / named.name);
        EXPECT_FALSE(seeds.empty()) << "no seeds for fuzz_" << named.name;
        replay(named.entry, seeds);
        replay(named.entry, samples);
        replay(named.entry, filesIn(kSource / "tests/fuzz/regressions" / named.name));
    }
}
