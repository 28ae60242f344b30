// The inputs the fuzzers drive: each reader through the load that the programs run (text check,
// line ends, the reader, normalisation and install), the binary readers over the file's bytes,
// gzip content inflated and then read as its format, detection, and the number scanners against
// the C library. Each aborts on a broken promise; the sanitizers catch the rest.
#pragma once

#include <cstddef>
#include <cstdint>

using FuzzEntry = int (*)(const std::uint8_t* data, std::size_t size);

int fuzzDataReader(const std::uint8_t* data, std::size_t size);
int fuzzColorReader(const std::uint8_t* data, std::size_t size);
int fuzzMapleReader(const std::uint8_t* data, std::size_t size);
int fuzzColumnsReader(const std::uint8_t* data, std::size_t size);
int fuzzMatrixReader(const std::uint8_t* data, std::size_t size);
int fuzzDetectedLoad(const std::uint8_t* data, std::size_t size);
int fuzzNumberScan(const std::uint8_t* data, std::size_t size);
int fuzzNpyReader(const std::uint8_t* data, std::size_t size);
int fuzzPlyReader(const std::uint8_t* data, std::size_t size);
int fuzzGzipLoad(const std::uint8_t* data, std::size_t size);

// Every entry with the name of its fuzzer (fuzz_<name>) and of its folders of seeds and
// regression files (tests/fuzz/seeds/<name>, tests/fuzz/regressions/<name>).
struct NamedFuzzEntry {
    const char* name;
    FuzzEntry entry;
};
extern const NamedFuzzEntry kFuzzEntries[10];
