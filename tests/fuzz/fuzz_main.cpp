// One libFuzzer target: ORVELLE_FUZZ_ENTRY names the entry of fuzz_entries.h it drives.
#include <cstddef>
#include <cstdint>

#include "tests/fuzz/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return ORVELLE_FUZZ_ENTRY(data, size);
}
