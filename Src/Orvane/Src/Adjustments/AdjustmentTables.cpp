#include "Src/Orvane/Src/Adjustments/AdjustmentTables.h"

#include <cmath>

#include "Src/Pellin/Isol/Report.h"

namespace {

// A double stored into a table entry through a 32-bit integer: truncated toward zero, low 8 bits kept.
// Values a 32-bit integer cannot hold (infinities, NaN) become the integer 0x80000000, whose low byte is 0,
// as the machine conversion of the platform does.
uint8 TruncateToByte(double inValue) {
    if (!(inValue > -2147483648.0 && inValue < 2147483648.0)) return 0;
    return uint8(int32(inValue));
}

bool InTable(int32 inX) {
    return inX >= 0 && inX < kTableSize;
}

// The shared first steps of both segment builders: a single point is stored as it stands; otherwise
// the order of the end points is checked. Returns true when the segment is done.
bool SegmentPrologue(uint8* ioTable, int32 inX1, int32 inX2, int32 inY1, int32 inY2) {
    if (inX1 == inX2 && inY1 == inY2) {
        if (InTable(inX1)) ioTable[inX1] = uint8(inY1);
        return true;
    }
    if (inX2 < inX1) LREPORT("Points out of order.");
    if (inX1 == inX2) LREPORT("Points are coincident.");
    return false;
}

}  // namespace

void ApplyTables(const GRect& inRect, const NativeQuad* inSource, int32 inSourceRowBytes,
                 NativeQuad* outDestination, int32 inDestinationRowBytes, const uint8* inRed,
                 const uint8* inGreen, const uint8* inBlue) {
    ForEachPixelPair(inRect, inSource, inSourceRowBytes, outDestination, inDestinationRowBytes,
                     [&](const NativeQuad& inPixel, NativeQuad& outPixel) {
                         outPixel.red = inRed[inPixel.red];
                         outPixel.green = inGreen[inPixel.green];
                         outPixel.blue = inBlue[inPixel.blue];
                     });
}

void SetIdentity(uint8* outTable) {
    for (int32 i = 0; i < kTableSize; ++i) outTable[i] = uint8(i);
}

bool IsIdentity(const uint8* inTable) {
    for (int32 i = 0; i < kTableSize; ++i)
        if (inTable[i] != i) return false;
    return true;
}

void SetConstant(uint8* ioTable, int32 inFirst, int32 inLast, int32 inValue) {
    if (inFirst < 0) inFirst = 0;
    if (inLast > kTableSize - 1) inLast = kTableSize - 1;
    for (int32 i = inFirst; i <= inLast; ++i) ioTable[i] = uint8(inValue);
}

// table[x] = y1 + (dy * (x - x1) + half) / dx, where half is dx / 2 carrying the sign of dy and the
// division truncates toward zero: the nearest value, halves away from zero. A segment with x2 <= x1
// (reported) has no entries to write except a single point; it divides by nothing.
void SetLine(uint8* ioTable, int32 inX1, int32 inX2, int32 inY1, int32 inY2) {
    if (SegmentPrologue(ioTable, inX1, inX2, inY1, inY2)) return;
    const int32 dx = inX2 - inX1;
    if (dx <= 0) {
        if (dx == 0 && InTable(inX1)) ioTable[inX1] = uint8(inY2);
        return;
    }
    const int64 dy = int64(inY2) - inY1;
    const int64 half = dy < 0 ? -(dx >> 1) : (dx >> 1);
    const int32 first = inX1 < 0 ? 0 : inX1;
    const int32 last = inX2 > kTableSize - 1 ? kTableSize - 1 : inX2;
    for (int32 x = first; x <= last; ++x) ioTable[x] = uint8(inY1 + (dy * (x - inX1) + half) / dx);
}

int32 RoundHalfAway(double inValue) {
    const double rounded = std::round(inValue);
    if (!(rounded > -2147483648.0)) return int32(0x80000000u);
    if (rounded > 2147483647.0) return 2147483647;
    return int32(rounded);
}

// Power law pow(i / 255, 100 / g) scaled to 255. For g > 100 the curve rises with an infinite slope from
// black; below the knee k the entries are replaced by a cubic through (0, 0) and (k, table[k]). A gamma
// below 1 is reported and still computed: 0 gives an infinite exponent (every entry 0 but the last),
// a negative gamma values the power law beyond what an entry holds.
void BuildGammaTable(uint8* outTable, int16 inGamma) {
    if (inGamma < 1) LREPORT("Zero or negative gamma");
    if (inGamma == 100) {
        SetIdentity(outTable);
        return;
    }
    const double e = 100.0 / inGamma;
    for (int32 i = 0; i < kTableSize; ++i) outTable[i] = TruncateToByte(std::pow(i / 255.0, e) * 255.0 + 0.5);
    if (inGamma <= 100) return;

    const int32 k = RoundHalfAway(255.0 * std::pow(2.0, 1.0 / (e * (e - 1.0)) + 1.0));
    if (k < 2 || k >= kTableSize) return;
    const double b = outTable[k];
    const double s = std::pow(2.0, 1.0 / e);
    const double m = b * e / k;
    for (int32 i = 1; i < k; ++i) {
        const double t = double(i) / k;
        const double u = double(k - i) / k;
        const double v = k * s * t * u * u + (b * (2.0 - t + u) - k * m * u) * t * t;
        outTable[i] = uint8(RoundHalfAway(v));
    }
}

// Each entry of the segment samples the full gamma table at the matching position of 0..255 and scales
// its value into y1..y2: table[x] = trunc(y1 + (G[j] * dy + r) / 255.0) with r = +-127 by the sign of dy.
void SetGammaLine(uint8* ioTable, int32 inX1, int32 inX2, int32 inY1, int32 inY2, double inGamma) {
    if (SegmentPrologue(ioTable, inX1, inX2, inY1, inY2)) return;
    const int32 dx = inX2 - inX1;
    const int64 dy = int64(inY2) - inY1;
    const int32 g = RoundHalfAway(inGamma * 100.0);
    if (g == 100 || dx < 2 || dy == 0) {
        SetLine(ioTable, inX1, inX2, inY1, inY2);
        return;
    }
    ByteTable gamma;
    BuildGammaTable(gamma, int16(g));
    if (dx == 255 && dy == 255) {
        for (int32 i = 0; i < kTableSize; ++i) ioTable[i] = gamma[i];
        return;
    }
    const int32 half = dx / 2;
    const int32 r = dy < 0 ? -127 : 127;
    const int32 first = inX1 < 0 ? 0 : inX1;
    const int32 last = inX2 > kTableSize - 1 ? kTableSize - 1 : inX2;
    for (int32 x = first; x <= last; ++x) {
        const int32 j = int32((int64(x - inX1) * 255 + half) / dx);
        ioTable[x] = TruncateToByte(inY1 + double(gamma[j] * dy + r) / 255.0);
    }
}

void ComposeTables(uint8* outTable, const uint8* inFirst, const uint8* inSecond) {
    ByteTable composed;
    for (int32 i = 0; i < kTableSize; ++i) composed[i] = inSecond[inFirst[i]];
    for (int32 i = 0; i < kTableSize; ++i) outTable[i] = composed[i];
}
