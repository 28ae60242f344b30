// Binary data files written for the tests: NumPy arrays and PLY point clouds, in either byte order.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// The bytes of value as type T, in little- or big-endian order.
template <typename T>
std::string binaryBytes(T value, bool bigEndian = false)
{
    std::string bytes(sizeof(T), '\0');
    std::memcpy(&bytes[0], &value, sizeof(T));
    const bool littleMachine = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;
    if (bigEndian == littleMachine) {
        bytes.assign(bytes.rbegin(), bytes.rend());
    }
    return bytes;
}

template <typename T>
std::string binaryValues(const std::vector<double>& values, bool bigEndian = false)
{
    std::string bytes;
    for (const double v : values) {
        bytes += binaryBytes(static_cast<T>(v), bigEndian);
    }
    return bytes;
}

// A .npy file: magic, version, header length and the dictionary padded to 64 bytes, then values.
inline std::string npyFile(const std::string& descr, const std::string& shape, const std::string& values,
                           bool fortran = false, int major = 1)
{
    std::string header = "{'descr': '" + descr + "', 'fortran_order': " + (fortran ? "True" : "False") +
                         ", 'shape': " + shape + ", }";
    const std::size_t before = major == 1 ? 10 : 12;
    header.append((64 - (before + header.size() + 1) % 64) % 64, ' ');
    header += '\n';
    std::string file = "\x93NUMPY";
    file += static_cast<char>(major);
    file += '\0';
    file += major == 1 ? binaryBytes(static_cast<std::uint16_t>(header.size()))
                       : binaryBytes(static_cast<std::uint32_t>(header.size()));
    return file + header + values;
}
