// Fixed-width integer names (they live with the platform interface, the lowest layer that uses them)
// and four-character codes.
#pragma once

#include "API/Platform/FixedWidthTypes.h"

// A four-character code as a 32-bit value whose reading order is the code:
// FourCC("ZQRS") == 0x5A515253.
constexpr uint32 FourCC(const char (&inText)[5]) {
    return (uint32(uint8(inText[0])) << 24) | (uint32(uint8(inText[1])) << 16) |
           (uint32(uint8(inText[2])) << 8) | uint32(uint8(inText[3]));
}
