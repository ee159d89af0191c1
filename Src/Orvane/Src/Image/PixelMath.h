// The 8-bit arithmetic shared by all pixel code.
//
// Values are unsigned bytes standing for fractions of 255. Every product is rounded to nearest through
// the same formula, and every quotient comes from the divide table, so results never depend on floating
// point. Div8 reads gDivideTable, which is valid once BuildByteTables has run (library start does it).
#pragma once

#include "Src/Pellin/Isol/ByteTables.h"
#include "Src/Pellin/Isol/IsolTypes.h"

// a * b / 255 rounded to nearest, for 0 <= a, b <= 255: t = a * b + 128, then (t + (t >> 8)) >> 8.
inline constexpr uint8 Mul8(uint32 inA, uint32 inB) {
    const uint32 t = inA * inB + 128;
    return uint8((t + (t >> 8)) >> 8);
}

// a * d / 255 for 0 <= a <= 255 and -255 <= d <= 255, with arithmetic shifts; the extra -1 for a
// negative d makes the result the mirror image of the positive one: Mul8Signed(a, -d) == -Mul8(a, d).
inline constexpr int32 Mul8Signed(int32 inA, int32 inD) {
    const int32 t = inA * inD - (inD < 0 ? 1 : 0) + 128;
    return (t + (t >> 8)) >> 8;
}

// 255 - Mul8(255 - a, 255 - b): the union of two coverages, or the screen of two colours.
inline constexpr uint8 Screen8(uint32 inA, uint32 inB) {
    return uint8(255 - Mul8(255 - inA, 255 - inB));
}

// Mul8(255 - a, b) + a: the alpha of coverage a laid over coverage b.
inline constexpr uint8 Lerp8(uint32 inA, uint32 inB) {
    return uint8(Mul8(255 - inA, inB) + inA);
}

// a / b in units of 1/255, rounded, capped at 255; 0 when a is 0.
inline uint8 Div8(uint32 inA, uint32 inB) {
    return gDivideTable[inA][inB];
}
