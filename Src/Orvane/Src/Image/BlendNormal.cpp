// Normal mode has four loops of its own, split by preserved transparency and by full opacity, which
// skip fully transparent sources and copy fully opaque ones. Unlike the kernels they form the new alpha
// as Lerp8(a, d.a), and an opaque destination takes w = a directly.
#include "Src/Orvane/Src/Image/BlendLoop.h"
#include "Src/Orvane/Src/Image/PixelMath.h"

namespace {

inline void MixColours(NativeQuad& d, const NativeQuad& s, int32 w) {
    d.blue = uint8(d.blue + Mul8Signed(w, int32(s.blue) - d.blue));
    d.green = uint8(d.green + Mul8Signed(w, int32(s.green) - d.green));
    d.red = uint8(d.red + Mul8Signed(w, int32(s.red) - d.red));
}

// The weight of coverage a over a destination of alpha da: Div8(a, Lerp8(a, da)), or a itself when the
// destination is opaque.
inline int32 Weight(uint32 a, uint32 da) {
    return da < 255 ? Div8(a, Lerp8(a, da)) : int32(a);
}

// Coverage a (already non-zero) laid over d; a transparent destination takes the source with alpha a.
inline void Over(NativeQuad s, uint32 a, NativeQuad& d) {
    if (d.alpha == 0) {
        d = s;
        d.alpha = uint8(a);
        return;
    }
    const uint8 newAlpha = d.alpha < 255 ? Lerp8(a, d.alpha) : uint8(255);
    MixColours(d, s, Weight(a, d.alpha));
    d.alpha = newAlpha;
}

template <class PixelStep>
void ForEachPixel(const BlendArgs& inArgs, PixelStep inStep) {
    const int32 width = inArgs.rect.Width();
    const int32 height = inArgs.rect.Height();
    for (int32 row = 0; row < height; ++row) {
        const NativeQuad* s = inArgs.SrcRow(row);
        NativeQuad* d = inArgs.DstRow(row);
        for (int32 column = 0; column < width; ++column) inStep(s[column], d[column]);
    }
}

void NormalTranslucent(const BlendArgs& inArgs) {
    const uint8 opacity = inArgs.opacity;
    ForEachPixel(inArgs, [opacity](NativeQuad s, NativeQuad& d) {
        const uint32 a = Mul8(s.alpha, opacity);
        if (a != 0) Over(s, a, d);
    });
}

void NormalOpaque(const BlendArgs& inArgs) {
    ForEachPixel(inArgs, [](NativeQuad s, NativeQuad& d) {
        if (s.alpha == 0) return;
        if (s.alpha == 255)
            d = s;
        else
            Over(s, s.alpha, d);
    });
}

void NormalTranslucentPreserving(const BlendArgs& inArgs) {
    const uint8 opacity = inArgs.opacity;
    ForEachPixel(inArgs, [opacity](NativeQuad s, NativeQuad& d) {
        if (d.alpha == 0) return;
        const uint32 a = Mul8(s.alpha, opacity);
        if (a != 0) MixColours(d, s, Weight(a, d.alpha));
    });
}

void NormalOpaquePreserving(const BlendArgs& inArgs) {
    ForEachPixel(inArgs, [](NativeQuad s, NativeQuad& d) {
        if (d.alpha == 0 || s.alpha == 0) return;
        if (s.alpha == 255) {
            const uint8 keptAlpha = d.alpha;
            d = s;
            d.alpha = keptAlpha;
        } else {
            MixColours(d, s, Weight(s.alpha, d.alpha));
        }
    });
}

}  // namespace

void BlendNormalLoop(const BlendArgs& inArgs) {
    if (inArgs.preserveTransparency) {
        if (inArgs.opacity == 255)
            NormalOpaquePreserving(inArgs);
        else
            NormalTranslucentPreserving(inArgs);
    } else {
        if (inArgs.opacity == 255)
            NormalOpaque(inArgs);
        else
            NormalTranslucent(inArgs);
    }
}
