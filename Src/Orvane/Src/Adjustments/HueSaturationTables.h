// The arithmetic of the hue/saturation adjustment: its parameters, the tables built from them and the
// per-pixel conversions, apart from the layer that reads and writes them.
//
// Hue runs around a circle of 1530 steps (red 0, yellow 255, green 510, cyan 765, blue 1020, magenta
// 1275); angles in degrees map onto it. The plain mode works per pixel in integer arithmetic through
// three hue-indexed tables (new hue, saturation factor with 256 = 1.0, lightness change) and a lightness
// table; colorize reduces to three byte tables indexed by the pixel's lightness.
#pragma once

#include <array>

#include "Src/Orvane/Src/Image/NativeQuad.h"
#include "Src/Pellin/Isol/IsolTypes.h"

inline constexpr int32 kHueSteps = 1530;
// The hue-indexed tables are sized a little past the circle; only entries 0..1529 are used.
inline constexpr int32 kHueTableSize = 1537;
inline constexpr int32 kHueRangeCount = 6;

// One of the six colour ranges (red, yellow, green, cyan, blue, magenta): four positions in degrees
// (the change ramps up from beginRamp to begin, holds to end and ramps down to endRamp, wrapping past
// 359) and the range's own hue, saturation and lightness.
struct HueRange {
    int32 beginRamp = 0;
    int32 begin = 0;
    int32 end = 0;
    int32 endRamp = 0;
    int32 hue = 0;
    int32 saturation = 0;
    int32 lightness = 0;
};

struct HueSaturationParameters {
    int32 colorizeHue = 0;  // degrees, 0..359 once read
    int32 colorizeSaturation = 0;
    int32 colorizeLightness = 0;
    int32 masterHue = 0;  // degrees, -180..180
    int32 masterSaturation = 0;
    int32 masterLightness = 0;
    HueRange ranges[kHueRangeCount];
};

// The plain mode's tables.
struct HueTables {
    uint8 lightnessTable[256] = {};
    int16 hueTable[kHueTableSize] = {};         // new hue for each old hue
    int16 saturationTable[kHueTableSize] = {};  // 256 = 1.0, 0..32767
    int16 lightnessByHue[kHueTableSize] = {};   // -8192..8192
};

// Colorize's tables: red, green, blue by lightness, and a fourth of zeros.
struct ColorizeTables {
    uint8 tables[4][256] = {};
};

// c + ((v - a) * (d - c) + (b - a) / 2) / (b - a), truncating: v moved from a..b onto c..d.
int32 HueRescale(int32 inValue, int32 inA, int32 inB, int32 inC, int32 inD);

// The lightness change of a percentage l (-100..100; beyond is taken as the nearest end): a = 255 l / 100;
// darkening (a < 1) scales toward black by (255 + a) / 255, lightening scales the distance to white by
// (255 - a) / 255, each rounded.
void BuildLightnessTable(int32 inLightness, uint8* outTable);

// The saturation factor of a percentage, 256 = 1.0: s * 256 / 100 + 256 below 1, otherwise
// min(32767, 65280 / (255 - s * 254 / 100)); 100 and above give 32767.
int32 HueSaturationFactor(int32 inSaturation);

// The colour wheel's ramp: 255 over the colour's own sixth, falling to 0 across the next and rising back.
extern const std::array<uint8, 256> kColorizeRamp;

void BuildColorizeTables(const HueSaturationParameters& inParameters, ColorizeTables& outTables);
void BuildHueTables(const HueSaturationParameters& inParameters, HueTables& outTables);

// The per-pixel conversions over inCount pixels. Colorize reads the source and writes the destination's
// colours (they may be the same pixels); the plain mode converts pixels in place. Neither writes the
// fourth byte.
void ApplyColorize(const ColorizeTables& inTables, const NativeQuad* inSource, NativeQuad* outDestination,
                   int32 inCount);
void ApplyHueTables(const HueTables& inTables, NativeQuad* ioPixels, int32 inCount);
