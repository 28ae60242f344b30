// Sizes and single values of the binary number types.
#include "io/binary_values.h"

std::size_t binarySize(BinaryType type)
{
    return withBinaryType(type, false, [](auto value, auto) { return sizeof value; });
}

double binaryValue(const char* p, BinaryType type, bool swap)
{
    return withBinaryType(type, swap, [p](auto value, auto swapped) {
        return static_cast<double>(loadBinary<decltype(value), decltype(swapped)::value>(p));
    });
}
