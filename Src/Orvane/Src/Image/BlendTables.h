// Constant tables of the blend modes. They are computed while the program is compiled, so they are
// valid before anything runs and need no library start.
#pragma once

#include <array>

#include "Src/Pellin/Isol/IsolTypes.h"

// SoftLightUp[d] = round(255 * D(d / 255) - d) with D(x) = ((16x - 12)x + 4)x for x <= 1/4, else sqrt(x):
// how far soft light at full strength raises a component.
extern const std::array<uint8, 256> SoftLightUp;

// SoftLightDown[d] = round(d * (255 - d) / 255): how far soft light at full strength lowers it.
extern const std::array<uint8, 256> SoftLightDown;

// ScaleFactor[a], about 32768 * 510 / (510 - a): the gain of the scale modes in units of 1/32768.
extern const std::array<uint16, 256> ScaleFactor;

// The 128 x 128 dissolve pattern, row-major. A pixel at image position (x, y) uses entry
// (y & 127) * 128 + (x & 127), so the pattern is fixed to the canvas, not to the tile.
extern const std::array<uint8, 128 * 128> gDissolveNoise;

inline uint8 DissolveNoiseAt(int32 inX, int32 inY) {
    return gDissolveNoise[uint32((inY & 127) * 128 + (inX & 127))];
}
