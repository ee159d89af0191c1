// The per-mode pixel loops behind BlendTile (internal to compositing).
//
// BlendTile decides once per call which loop runs; each loop is compiled for one kernel and one
// transparency setting, so the per-pixel work holds no mode switch, virtual call or allocation.
#pragma once

#include <cstddef>

#include "Src/Orvane/Src/Image/NativeQuad.h"
#include "Src/Pellin/Isol/GRect.h"

struct BlendArgs {
    GRect rect;  // image coordinates of the pixels; never empty here
    const NativeQuad* src;
    int32 srcRowBytes;
    NativeQuad* dst;
    int32 dstRowBytes;
    uint8 opacity;
    bool preserveTransparency;

    const NativeQuad* SrcRow(int32 inRow) const {
        return reinterpret_cast<const NativeQuad*>(reinterpret_cast<const uint8*>(src) +
                                                   std::ptrdiff_t(inRow) * srcRowBytes);
    }
    NativeQuad* DstRow(int32 inRow) const {
        return reinterpret_cast<NativeQuad*>(reinterpret_cast<uint8*>(dst) +
                                             std::ptrdiff_t(inRow) * dstRowBytes);
    }
};

// Runs Kernel::Apply over every pixel. With preserved transparency each destination alpha is saved
// before the kernel and written back afterwards, so the kernel can change colours only.
template <class Kernel, bool kPreserve>
void RunKernelRows(const BlendArgs& inArgs) {
    const int32 width = inArgs.rect.Width();
    const int32 height = inArgs.rect.Height();
    const uint8 opacity = inArgs.opacity;
    for (int32 row = 0; row < height; ++row) {
        const NativeQuad* s = inArgs.SrcRow(row);
        NativeQuad* d = inArgs.DstRow(row);
        for (int32 column = 0; column < width; ++column) {
            if constexpr (kPreserve) {
                const uint8 keptAlpha = d[column].alpha;
                Kernel::Apply(opacity, s[column], d[column]);
                d[column].alpha = keptAlpha;
            } else {
                Kernel::Apply(opacity, s[column], d[column]);
            }
        }
    }
}

template <class Kernel>
void RunKernelLoop(const BlendArgs& inArgs) {
    if (inArgs.preserveTransparency)
        RunKernelRows<Kernel, true>(inArgs);
    else
        RunKernelRows<Kernel, false>(inArgs);
}

// Loops with their own source files.
void BlendNormalLoop(const BlendArgs& inArgs);      // BlendNormal.cpp
void BlendHueLoop(const BlendArgs& inArgs);         // BlendNonSeparable.cpp
void BlendSaturationLoop(const BlendArgs& inArgs);  // BlendNonSeparable.cpp
void BlendColorLoop(const BlendArgs& inArgs);       // BlendNonSeparable.cpp
void BlendLuminosityLoop(const BlendArgs& inArgs);  // BlendNonSeparable.cpp
