// Numbers stored in binary files (NumPy arrays, PLY point clouds): their types, and reading one
// of a given type and byte order into a double.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

enum class BinaryType { Int8, UInt8, Int16, UInt16, Int32, UInt32, Int64, UInt64, Float32, Float64 };

std::size_t binarySize(BinaryType type);

// The value of type T stored at p, in the machine's byte order or (swap) the other.
template <typename T, bool Swap>
inline T loadBinary(const char* p)
{
    if constexpr (Swap && sizeof(T) > 1) {
        using Bits = std::conditional_t<sizeof(T) == 2, std::uint16_t,
                                        std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>>;
        Bits bits;
        std::memcpy(&bits, p, sizeof bits);
        if constexpr (sizeof(T) == 2) {
            bits = __builtin_bswap16(bits);
        } else if constexpr (sizeof(T) == 4) {
            bits = __builtin_bswap32(bits);
        } else {
            bits = __builtin_bswap64(bits);
        }
        T value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    } else {
        T value;
        std::memcpy(&value, p, sizeof value);
        return value;
    }
}

// Calls visit(T{}, std::bool_constant<Swap>{}) with the C++ type of type and whether its bytes
// are in the other order than the machine's: one loop made for each type, not a switch per value.
template <typename Visit>
decltype(auto) withBinaryType(BinaryType type, bool swap, Visit&& visit)
{
    const auto order = [&](auto value) -> decltype(auto) {
        if (swap) {
            return visit(value, std::true_type{});
        }
        return visit(value, std::false_type{});
    };
    switch (type) {
    case BinaryType::Int8:
        return order(std::int8_t{});
    case BinaryType::UInt8:
        return order(std::uint8_t{});
    case BinaryType::Int16:
        return order(std::int16_t{});
    case BinaryType::UInt16:
        return order(std::uint16_t{});
    case BinaryType::Int32:
        return order(std::int32_t{});
    case BinaryType::UInt32:
        return order(std::uint32_t{});
    case BinaryType::Int64:
        return order(std::int64_t{});
    case BinaryType::UInt64:
        return order(std::uint64_t{});
    case BinaryType::Float32:
        return order(float{});
    case BinaryType::Float64:
        break;
    }
    return order(double{});
}

// One value of type at p as a double (a switch per value: for the odd property, not for loops).
double binaryValue(const char* p, BinaryType type, bool swap);

// Whether the machine stores numbers with their lowest byte first.
constexpr bool kLittleEndianMachine = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;
