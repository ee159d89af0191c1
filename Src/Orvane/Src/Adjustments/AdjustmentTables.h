// The 256-entry byte tables every adjustment is made of: applying them to pixels, and the toolkit that
// builds them (constant runs, straight and gamma segments, gamma tables, composition).
//
// In the toolkit x values are table indexes and y values entries. Every segment builder writes only the
// entries first..last it is given and leaves the rest of the table as it was, so that a table is built
// piece by piece. Inconsistent arguments are reported as assertions and the computation goes on.
#pragma once

#include "Src/Orvane/Src/Image/NativeQuad.h"
#include "Src/Pellin/Isol/GRect.h"
#include "Src/Pellin/Isol/IsolTypes.h"

inline constexpr int32 kTableSize = 256;
using ByteTable = uint8[kTableSize];

// Calls inPixel(source pixel, destination pixel) for every pixel of inRect's width and height; rows are
// inSourceRowBytes and inDestinationRowBytes apart. The source pixel is passed as a copy taken before the
// call, so source and destination may be the same buffer. Adjustments write only the three colour bytes.
template <typename PixelFunction>
inline void ForEachPixelPair(const GRect& inRect, const NativeQuad* inSource, int32 inSourceRowBytes,
                             NativeQuad* outDestination, int32 inDestinationRowBytes, PixelFunction inPixel) {
    const int32 width = inRect.Width();
    const int32 height = inRect.Height();
    const auto* sourceRow = reinterpret_cast<const uint8*>(inSource);
    auto* destinationRow = reinterpret_cast<uint8*>(outDestination);
    for (int32 y = 0; y < height; ++y) {
        const auto* source = reinterpret_cast<const NativeQuad*>(sourceRow);
        auto* destination = reinterpret_cast<NativeQuad*>(destinationRow);
        for (int32 x = 0; x < width; ++x) inPixel(NativeQuad(source[x]), destination[x]);
        sourceRow += inSourceRowBytes;
        destinationRow += inDestinationRowBytes;
    }
}

// For every pixel of inRect's width and height: destination red = inRed[source red], green and blue
// likewise; the destination's fourth byte is never written. Rows are inSourceRowBytes and
// inDestinationRowBytes apart. Source and destination may be the same buffer.
void ApplyTables(const GRect& inRect, const NativeQuad* inSource, int32 inSourceRowBytes,
                 NativeQuad* outDestination, int32 inDestinationRowBytes, const uint8* inRed,
                 const uint8* inGreen, const uint8* inBlue);

// outTable[i] = i.
void SetIdentity(uint8* outTable);
bool IsIdentity(const uint8* inTable);

// Entries inFirst..inLast (inclusive, clipped to the table) become inValue; nothing when inLast < inFirst.
void SetConstant(uint8* ioTable, int32 inFirst, int32 inLast, int32 inValue);

// Straight segment from (x1, y1) to (x2, y2), rounded to the nearest entry with halves away from zero.
// Reports "Points out of order." when x2 < x1 and "Points are coincident." when x1 = x2 with y1 != y2;
// such a segment writes only the entries it can (see the implementation) and never divides by zero.
void SetLine(uint8* ioTable, int32 inX1, int32 inX2, int32 inY1, int32 inY2);

// Gamma segment from (x1, y1) to (x2, y2); inGamma 1.0 is linear. Same reports as SetLine.
void SetGammaLine(uint8* ioTable, int32 inX1, int32 inX2, int32 inY1, int32 inY2, double inGamma);

// The whole 0..255 gamma table for a gamma of inGamma hundredths (100 is the identity). Gammas above 1
// get a cubic foot so that the curve leaves black with a finite slope. Reports "Zero or negative gamma"
// for inGamma < 1 and computes the table all the same.
void BuildGammaTable(uint8* outTable, int16 inGamma);

// outTable[i] = inSecond[inFirst[i]]: inFirst is applied first. outTable may be either input.
void ComposeTables(uint8* outTable, const uint8* inFirst, const uint8* inSecond);

// Integer nearest to inValue, halves away from zero.
int32 RoundHalfAway(double inValue);
