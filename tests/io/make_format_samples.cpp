// Writes samples/stations.csv and samples/heightmap.txt: make_format_samples <samples folder>
#include <cstdio>
#include <string>

#include "tests/io/format_samples.h"

namespace {

bool writeFile(const std::string& path, const std::string& text)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::printf("cannot write %s\n", path.c_str());
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc != 2) {
        std::printf("usage: make_format_samples <samples folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    const bool ok = writeFile(folder + "/stations.csv", stationsCsvText()) &&
                    writeFile(folder + "/heightmap.txt", heightmapText());
    return ok ? 0 : 1;
}
