#include "Src/Orvane/Src/Adjustments/HueSaturationTables.h"

#include <algorithm>
#include <array>

#include "Src/Orvane/Src/Image/PixelMath.h"
#include "Src/Pellin/Isol/Report.h"

namespace {

// The falling flank of the ramp, entries 44..84; the rising flank 172..212 is the same in reverse.
constexpr uint8 kRampFlank[41] = {244, 237, 231, 224, 218, 211, 205, 199, 193, 187, 182, 176, 170, 165,
                                  159, 153, 148, 142, 137, 132, 126, 121, 115, 110, 104, 99,  93,  88,
                                  82,  76,  71,  65,  59,  53,  47,  40,  34,  28,  21,  14,  7};

constexpr std::array<uint8, 256> MakeRamp() {
    std::array<uint8, 256> ramp{};
    for (int32 i = 0; i < 256; ++i) {
        if (i <= 43 || i >= 213)
            ramp[i] = 255;
        else if (i <= 84)
            ramp[i] = kRampFlank[i - 44];
        else if (i >= 172)
            ramp[i] = kRampFlank[212 - i];
    }
    return ramp;
}

int32 Clamp(int32 inValue, int32 inLow, int32 inHigh) {
    return std::min(std::max(inValue, inLow), inHigh);
}

int32 ClampAmount(int64 inAmount) {
    return int32(std::min<int64>(std::max<int64>(inAmount, -65535), 65535));
}

int32 PositiveModulo(int32 inValue, int32 inModulus) {
    const int32 remainder = inValue % inModulus;
    return remainder < 0 ? remainder + inModulus : remainder;
}

// A position in degrees as a step of the hue circle. Positions outside 0..359 are taken round the
// circle first, so that a range never reaches outside the tables.
int32 HueStep(int32 inDegrees) {
    return HueRescale(PositiveModulo(inDegrees, 360), 0, 359, 0, kHueSteps - 1);
}

// One straight piece of a range's profile from (x1, y1) to (x2, y2) with the rounding of SetLine. An
// end not above the start wraps past the last step to 0. Coincident ends store y1 alone.
void SetWrappedLine(int32* ioProfile, bool* ioTouched, int32 inX1, int32 inX2, int32 inY1, int32 inY2) {
    if (inX1 == inX2) {
        if (inY1 != inY2) LREPORT("SetLine: Points are coincident but have differing values.");
        ioProfile[inX1] = inY1;
        ioTouched[inX1] = true;
        return;
    }
    const int32 x2 = inX2 > inX1 ? inX2 : inX2 + kHueSteps;
    const int32 dx = x2 - inX1;
    const int32 dy = inY2 - inY1;
    const int32 half = dy < 0 ? -(dx >> 1) : (dx >> 1);
    for (int32 x = inX1; x <= x2; ++x) {
        const int32 step = x % kHueSteps;
        ioProfile[step] = inY1 + (dy * (x - inX1) + half) / dx;
        ioTouched[step] = true;
    }
}

// Adds a range's amount into a hue-indexed table: rising from 0 at beginRamp to the amount at begin,
// holding it to end and falling to 0 at endRamp. Each step of the range gets its profile value once,
// and every step it touches is clamped to inLow..inHigh.
void AddAlongRange(int16* ioTable, const int32 (&inSteps)[4], int32 inAmount, int32 inLow, int32 inHigh) {
    int32 profile[kHueSteps];
    bool touched[kHueSteps] = {};
    if (inSteps[0] != inSteps[1]) SetWrappedLine(profile, touched, inSteps[0], inSteps[1], 0, inAmount);
    SetWrappedLine(profile, touched, inSteps[1], inSteps[2], inAmount, inAmount);
    if (inSteps[2] != inSteps[3]) SetWrappedLine(profile, touched, inSteps[2], inSteps[3], inAmount, 0);
    for (int32 step = 0; step < kHueSteps; ++step) {
        if (touched[step]) ioTable[step] = int16(Clamp(ioTable[step] + profile[step], inLow, inHigh));
    }
}

}  // namespace

constinit const std::array<uint8, 256> kColorizeRamp = MakeRamp();

int32 HueRescale(int32 inValue, int32 inA, int32 inB, int32 inC, int32 inD) {
    return inC + ((inValue - inA) * (inD - inC) + (inB - inA) / 2) / (inB - inA);
}

void BuildLightnessTable(int32 inLightness, uint8* outTable) {
    const int32 a = Clamp(inLightness, -100, 100) * 255 / 100;
    if (a < 1) {
        const int32 k = a + 255;
        for (int32 i = 0; i < 256; ++i) outTable[i] = uint8((i * k + 127) / 255);
    } else {
        const int32 k = 255 - a;
        for (int32 i = 0; i < 256; ++i) outTable[i] = uint8(255 - ((255 - i) * k + 127) / 255);
    }
}

int32 HueSaturationFactor(int32 inSaturation) {
    if (inSaturation < 1) return inSaturation * 256 / 100 + 256;
    if (inSaturation >= 100) return 32767;
    return std::min(32767, 65280 / (255 - inSaturation * 254 / 100));
}

// For each lightness the colour of hue h (0..255 around the circle) and chroma c = 2 v s / 254, where v
// is the distance of the lightness from the nearer end: base + Mul8(c, ramp[h - offset]) per colour, with
// the three colours a third of the circle apart and base = l - c / 2 (0 at full chroma).
void BuildColorizeTables(const HueSaturationParameters& inParameters, ColorizeTables& outTables) {
    uint8 lightness[256];
    BuildLightnessTable(inParameters.colorizeLightness, lightness);
    const uint8 h = uint8(inParameters.colorizeHue * 128 / 180);
    const int32 s = Clamp(inParameters.colorizeSaturation * 255 / 100, 0, 255);
    const uint8 redRamp = kColorizeRamp[h];
    const uint8 greenRamp = kColorizeRamp[uint8(h - 85)];
    const uint8 blueRamp = kColorizeRamp[uint8(h - 171)];
    for (int32 i = 0; i < 256; ++i) {
        const int32 l = lightness[i];
        const int32 v = l > 127 ? 255 - l : l;
        const int32 c = v * 2 * s / 254;
        const int32 base = (c > 254 ? 127 : l) - c / 2;
        outTables.tables[0][i] = uint8(base + Mul8(uint32(c), redRamp));
        outTables.tables[1][i] = uint8(base + Mul8(uint32(c), greenRamp));
        outTables.tables[2][i] = uint8(base + Mul8(uint32(c), blueRamp));
        outTables.tables[3][i] = 0;
    }
}

// Every table starts from the master setting; each range then adds its own amounts along its part of
// the circle. The hue table ends up holding the new hue itself rather than the shift.
void BuildHueTables(const HueSaturationParameters& inParameters, HueTables& outTables) {
    BuildLightnessTable(inParameters.masterLightness, outTables.lightnessTable);
    const int32 master = HueSaturationFactor(inParameters.masterSaturation);
    const int32 hueShift = Clamp(HueRescale(inParameters.masterHue, -180, 180, -765, 765), -32768, 32767);
    std::fill_n(outTables.hueTable, kHueTableSize, int16(hueShift));
    std::fill_n(outTables.saturationTable, kHueTableSize, int16(Clamp(master, 0, 32767)));
    std::fill_n(outTables.lightnessByHue, kHueTableSize, int16(0));

    for (const HueRange& range : inParameters.ranges) {
        const int32 steps[4] = {HueStep(range.beginRamp), HueStep(range.begin), HueStep(range.end),
                                HueStep(range.endRamp)};
        // Valid settings keep every amount within +-32767; beyond that (settings outside the editor's
        // ranges) they are held to +-65535, which keeps the profile arithmetic within 32 bits.
        const int32 hueAmount = ClampAmount(HueRescale(range.hue, -60, 60, -255, 255));
        const int64 product = int64(master) * HueSaturationFactor(range.saturation);
        const int32 saturationAmount = ClampAmount(std::min<int64>(32767, ((product + 128) >> 8) - master));
        const int32 lightnessAmount = ClampAmount((range.lightness * 8192 + 50) / 100);
        if (hueAmount != 0) AddAlongRange(outTables.hueTable, steps, hueAmount, -32768, 32767);
        if (saturationAmount != 0)
            AddAlongRange(outTables.saturationTable, steps, saturationAmount, 0, 32767);
        if (lightnessAmount != 0)
            AddAlongRange(outTables.lightnessByHue, steps, lightnessAmount, -8192, 8192);
    }
    for (int32 step = 0; step < kHueSteps; ++step)
        outTables.hueTable[step] = int16(PositiveModulo(step + outTables.hueTable[step] + 6120, kHueSteps));
}

void ApplyColorize(const ColorizeTables& inTables, const NativeQuad* inSource, NativeQuad* outDestination,
                   int32 inCount) {
    for (int32 x = 0; x < inCount; ++x) {
        const NativeQuad pixel = inSource[x];
        const int32 largest = std::max({pixel.red, pixel.green, pixel.blue});
        const int32 smallest = std::min({pixel.red, pixel.green, pixel.blue});
        const int32 l = (largest + smallest) >> 1;
        outDestination[x].red = inTables.tables[0][l];
        outDestination[x].green = inTables.tables[1][l];
        outDestination[x].blue = inTables.tables[2][l];
    }
}

namespace {

// The hue of a pixel on the 1530-step circle from its ordered components: each sixth of the circle
// runs the fraction (mid - min) / chroma (from the divide table) up or down between two primaries.
int32 HueOf(int32 inRed, int32 inGreen, int32 inBlue, int32 inMin, int32 inMid, int32 inChroma) {
    const int32 h = inChroma != 0 ? Div8(uint32(inMid - inMin), uint32(inChroma)) : 0;
    if (inBlue <= inGreen && inGreen <= inRed) return h;
    if (inBlue <= inRed && inRed < inGreen) return 510 - h;
    if (inRed < inBlue && inBlue <= inGreen) return 510 + h;
    if (inRed < inGreen && inGreen < inBlue) return 1020 - h;
    if (inGreen <= inRed && inRed < inBlue) return 1020 + h;
    return h != 0 ? kHueSteps - h : 0;  // green < blue <= red
}

void ConvertPixel(const HueTables& inTables, NativeQuad& ioPixel) {
    const int32 r = inTables.lightnessTable[ioPixel.red];
    const int32 g = inTables.lightnessTable[ioPixel.green];
    const int32 b = inTables.lightnessTable[ioPixel.blue];
    const int32 max = std::max({r, g, b});
    const int32 min = std::min({r, g, b});
    const int32 mid = r + g + b - max - min;
    int32 sum = max + min;
    int32 chroma = max - min;
    int32 hue = HueOf(r, g, b, min, mid, chroma);

    // Lightness by hue moves the sum by e and takes |e| off the chroma (e is the rounded product
    // d * chroma / 8192, from the upper half of a 16.16 value).
    if (const int32 d = inTables.lightnessByHue[hue]; d != 0) {
        const int32 t = d * chroma * 8 + 32768;
        const int32 e = t >> 16;
        sum += e;
        chroma = t < 0 ? chroma + e : chroma - e;
    }
    chroma = (inTables.saturationTable[hue] * chroma + 127) >> 8;
    hue = inTables.hueTable[hue];

    // The chroma cannot exceed what the lightness leaves room for on either side.
    chroma = std::min(chroma, sum > 255 ? 510 - sum : sum);
    const int32 low = (sum - chroma) >> 1;
    const int32 top = low + chroma;
    const auto middle = [&](int32 inFraction) { return low + Mul8(uint32(inFraction), uint32(chroma)); };
    int32 red, green, blue;
    if (hue < 255) {
        red = top, green = middle(hue), blue = low;
    } else if (hue < 510) {
        green = top, red = middle(510 - hue), blue = low;
    } else if (hue < 765) {
        green = top, blue = middle(hue - 510), red = low;
    } else if (hue < 1020) {
        blue = top, green = middle(1020 - hue), red = low;
    } else if (hue < 1275) {
        blue = top, red = middle(hue - 1020), green = low;
    } else {
        red = top, blue = middle(kHueSteps - hue), green = low;
    }
    ioPixel.red = uint8(red);
    ioPixel.green = uint8(green);
    ioPixel.blue = uint8(blue);
}

}  // namespace

void ApplyHueTables(const HueTables& inTables, NativeQuad* ioPixels, int32 inCount) {
    for (int32 x = 0; x < inCount; ++x) ConvertPixel(inTables, ioPixels[x]);
}
