#include "Src/Orvane/Src/Image/BlendTables.h"

namespace {

// Integer square root (floor) by bisection; constant-evaluated.
constexpr uint32 FloorSqrt(uint32 inValue) {
    uint32 low = 0;
    uint32 high = 65536;
    while (high - low > 1) {
        const uint32 middle = (low + high) / 2;
        if (middle * middle <= inValue)
            low = middle;
        else
            high = middle;
    }
    return low;
}

// Everything is computed in integers, so the tables cannot depend on the floating-point environment.
// Below x = 1/4 the curve is the cubic: 255 * D(d / 255) - d = (16d^3 - 3060d^2 + 195075d) / 65025,
// rounded (the denominator is odd, so there are no ties). Above it, 255 * sqrt(d / 255) - d =
// sqrt(255d) - d, and since d is whole the rounding applies to sqrt(255d) alone: round(sqrt(n)) is
// r = floor(sqrt(n)), plus one when n > r * r + r.
constexpr std::array<uint8, 256> MakeSoftLightUp() {
    std::array<uint8, 256> table{};
    for (uint32 d = 0; d < 256; ++d) {
        if (d <= 63) {
            const uint64 numerator = 16 * uint64(d) * d * d + 195075 * uint64(d) - 3060 * uint64(d) * d;
            table[d] = uint8((2 * numerator + 65025) / 130050);
        } else {
            const uint32 n = 255 * d;
            uint32 root = FloorSqrt(n);
            if (n > root * root + root) ++root;
            table[d] = uint8(root - d);
        }
    }
    return table;
}

// round(d * (255 - d) / 255); 2 * d * (255 - d) is even and 255 odd, so there are no ties.
constexpr std::array<uint8, 256> MakeSoftLightDown() {
    std::array<uint8, 256> table{};
    for (uint32 d = 0; d < 256; ++d) table[d] = uint8((2 * d * (255 - d) + 255) / 510);
    return table;
}

// round(32768 * 510 / (510 - a)). Where the formula reaches 65280 (a = 254) and 65536 (a = 255) the
// table holds 65279 and 65535.
constexpr std::array<uint16, 256> MakeScaleFactor() {
    std::array<uint16, 256> table{};
    for (uint32 a = 0; a < 254; ++a) {
        const uint32 divisor = 510 - a;
        table[a] = uint16((2 * 32768u * 510u + divisor) / (2 * divisor));
    }
    table[254] = 65279;
    table[255] = 65535;
    return table;
}

// The minimal-standard generator in Schrage's form, on signed 32-bit values; no step overflows.
constexpr int32 NextNoiseState(int32 inState) {
    const int32 high = inState / 127773;
    const int32 low = inState % 127773;
    int32 next = 16807 * low - 2836 * high;
    if (next < 0) next += 2147483647;
    return next;
}

// Seeded with 0x93013843 taken as a signed value; each entry is bits 8..15 of the next state.
constexpr std::array<uint8, 128 * 128> MakeDissolveNoise() {
    std::array<uint8, 128 * 128> table{};
    int32 state = NextNoiseState(int32(0x93013843u));
    for (uint32 i = 0; i < table.size(); ++i) {
        table[i] = uint8((state >> 8) & 255);
        state = NextNoiseState(state);
    }
    return table;
}

}  // namespace

constinit const std::array<uint8, 256> SoftLightUp = MakeSoftLightUp();
constinit const std::array<uint8, 256> SoftLightDown = MakeSoftLightDown();
constinit const std::array<uint16, 256> ScaleFactor = MakeScaleFactor();
constinit const std::array<uint8, 128 * 128> gDissolveNoise = MakeDissolveNoise();
