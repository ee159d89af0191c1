// The separable triangular blur that softens effect masks.
//
// A blur b (16.16) gives the radius r = b rounded up to whole pixels, clamped to 2..50. Each pass
// weighs the neighbours at distance k < r by r - k (the weights sum to r^2). The horizontal pass turns
// 8-bit mask rows into 8.8 values; the vertical pass scales the column sums back to 8 bits with a
// gain (1.0 plus the intensity as a fraction of 100), or, for inverted masks, complements the blurred
// coverage first and applies the gain afterwards.
#pragma once

#include "Src/Orvane/Src/Effects/LayerFXRep.h"

class TentBlur {
public:
    TentBlur(Fixed inBlur, Fixed inIntensity, bool inInvert);

    static int32 RadiusOf(Fixed inBlur);
    int32 Radius() const { return mRadius; }

    // Bytes of work memory Run needs for an output of inWidth x inHeight.
    static uint64 WorkBytes(int32 inWidth, int32 inHeight, int32 inRadius);

    // Blurs a source plane of (inWidth + 2r) x (inHeight + 2r) bytes, whose pixel (r, r) lies under
    // output pixel (0, 0), into inWidth x inHeight mask bytes. ioWork holds WorkBytes bytes, aligned for
    // 32-bit values.
    void Run(const uint8* inSource, int32 inSourceRowBytes, int32 inWidth, int32 inHeight, void* ioWork,
             uint8* outMask, int32 inMaskRowBytes) const;

    // One output value of the vertical pass from a weighted sum of 8.8 values.
    uint8 Finish(int64 inSum) const;

private:
    int32 mRadius;
    bool mInvert;
    int64 mGain;    // 16.16
    int64 mFactor;  // 2^20 / r^2, times the gain for plain masks
};
