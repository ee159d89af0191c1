// Fixed-width integer names used throughout the engine.
#pragma once

#include <cstddef>
#include <cstdint>

using int8 = std::int8_t;
using uint8 = std::uint8_t;
using int16 = std::int16_t;
using uint16 = std::uint16_t;
using int32 = std::int32_t;
using uint32 = std::uint32_t;
using int64 = std::int64_t;
using uint64 = std::uint64_t;

// A four-character code as a 32-bit value whose reading order is the code:
// FourCC("ZQRS") == 0x5A515253.
constexpr uint32 FourCC(const char (&inText)[5]) {
    return (uint32(uint8(inText[0])) << 24) | (uint32(uint8(inText[1])) << 16) |
           (uint32(uint8(inText[2])) << 8) | uint32(uint8(inText[3]));
}
