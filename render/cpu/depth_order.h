// Depths as unsigned words that sort as the depths do, so that per-pixel nearest depths (and
// what goes with them) can be lowered by one atomic compare-and-swap of a whole word.
#pragma once

#include <cstdint>
#include <cstring>

// The word of depth z: negative depths with their bits turned over, positive ones with the
// top bit set; minus zero as plus zero.
inline std::uint32_t orderedBits(float z)
{
    std::uint32_t bits;
    const float positiveZero = z + 0.0f;
    std::memcpy(&bits, &positiveZero, sizeof bits);
    return (bits & 0x80000000u) != 0 ? ~bits : bits | 0x80000000u;
}

// The depth of a word made by orderedBits.
inline float depthOfBits(std::uint32_t bits)
{
    bits = (bits & 0x80000000u) != 0 ? bits & 0x7fffffffu : ~bits;
    float z;
    std::memcpy(&z, &bits, sizeof z);
    return z;
}
