// Per-pixel kernels of the blend modes (internal to compositing).
//
// A quad kernel is a type with `static void Apply(uint8 opacity, NativeQuad s, NativeQuad& d)`; the
// loops of BlendLoop.h call it for every pixel. The separable modes are written as colour rules,
// `static uint8 Apply(uint32 a, uint32 s, uint32 d)` on one component with weight a, shared by the quad
// kernels and the single-plane form. Every kernel starts with a = Mul8(s.a, opacity) and leaves the
// pixel alone when a is 0.
#pragma once

#include "Src/Orvane/Src/Image/BlendTables.h"
#include "Src/Orvane/Src/Image/NativeQuad.h"
#include "Src/Orvane/Src/Image/PixelMath.h"

namespace BlendKernels {

// Laying s over d at an opacity: d.a = Screen8(a, d.a); with w = Div8(a, new d.a) each colour moves
// d.c += Mul8Signed(w, s.c - d.c).
inline void NormalPixel(uint8 inOpacity, NativeQuad s, NativeQuad& d) {
    const uint32 a = Mul8(s.alpha, inOpacity);
    if (a == 0) return;
    d.alpha = Screen8(a, d.alpha);
    const int32 w = Div8(a, d.alpha);
    d.blue = uint8(d.blue + Mul8Signed(w, int32(s.blue) - d.blue));
    d.green = uint8(d.green + Mul8Signed(w, int32(s.green) - d.green));
    d.red = uint8(d.red + Mul8Signed(w, int32(s.red) - d.red));
}

// A destination that is not opaque is first replaced by itself composited over the background.
inline void BackgroundStep(NativeQuad& d, NativeQuad inBackground) {
    if (d.alpha == 255) return;
    const NativeQuad saved = d;
    d = inBackground;
    NormalPixel(255, saved, d);
}

// Colour rules. kBackground is the quad a translucent destination is first laid over;
// kCopyOntoTransparent makes a fully transparent destination take the source (with alpha a) instead.
struct DarkenRule {  // the smaller component, approached by a
    static constexpr NativeQuad kBackground = kOpaqueWhite;
    static constexpr bool kCopyOntoTransparent = false;
    static uint8 Apply(uint32 a, uint32 s, uint32 d) { return s < d ? uint8(d - Mul8(a, d - s)) : uint8(d); }
};

struct LightenRule {  // the larger component, approached by a
    static constexpr NativeQuad kBackground = kOpaqueBlack;
    static constexpr bool kCopyOntoTransparent = false;
    static uint8 Apply(uint32 a, uint32 s, uint32 d) { return s > d ? uint8(d + Mul8(a, s - d)) : uint8(d); }
};

struct MultiplyRule {  // d - a * (d - s * d)
    static constexpr NativeQuad kBackground = kOpaqueWhite;
    static constexpr bool kCopyOntoTransparent = true;
    static uint8 Apply(uint32 a, uint32 s, uint32 d) { return uint8(d - Mul8(a, d - Mul8(s, d))); }
};

struct ScreenRule {  // d + a * (screen(s, d) - d)
    static constexpr NativeQuad kBackground = kOpaqueBlack;
    static constexpr bool kCopyOntoTransparent = false;
    static uint8 Apply(uint32 a, uint32 s, uint32 d) { return uint8(d + Mul8(a, Screen8(s, d) - d)); }
};

struct CurveLightenRule {  // d + a * SoftLightUp[d]; the source colour plays no part
    static constexpr NativeQuad kBackground = kOpaqueBlack;
    static constexpr bool kCopyOntoTransparent = false;
    static uint8 Apply(uint32 a, uint32, uint32 d) { return uint8(d + Mul8(a, SoftLightUp[d])); }
};

struct ScaleLightenRule {  // d * ScaleFactor[a] / 32768, clamped
    static constexpr NativeQuad kBackground = kOpaqueBlack;
    static constexpr bool kCopyOntoTransparent = false;
    static uint8 Apply(uint32 a, uint32, uint32 d) {
        const uint32 scaled = (d * ScaleFactor[a]) >> 15;
        return uint8(scaled > 255 ? 255 : scaled);
    }
};

struct ScaleDarkenRule {  // the same gain applied to 255 - d
    static constexpr NativeQuad kBackground = kOpaqueWhite;
    static constexpr bool kCopyOntoTransparent = false;
    static uint8 Apply(uint32 a, uint32, uint32 d) {
        const uint32 scaled = ((255 - d) * ScaleFactor[a]) >> 15;
        return uint8(255 - (scaled > 255 ? 255 : scaled));
    }
};

struct CurveDarkenRule {  // d - a * SoftLightDown[d]
    static constexpr NativeQuad kBackground = kOpaqueWhite;
    static constexpr bool kCopyOntoTransparent = false;
    static uint8 Apply(uint32 a, uint32, uint32 d) { return uint8(d - Mul8(a, SoftLightDown[d])); }
};

struct OverlayRule {  // multiply or screen chosen by the destination; 2d - 255 in the upper half
    static constexpr NativeQuad kBackground = kOpaqueGrey;
    static constexpr bool kCopyOntoTransparent = false;
    static uint8 Apply(uint32 a, uint32 s, uint32 d) {
        const int32 p = d < 128 ? Mul8(2 * d, s) : Screen8(2 * d - 255, s);
        return uint8(int32(d) + Mul8Signed(int32(a), p - int32(d)));
    }
};

struct HardLightRule {  // multiply or screen chosen by the source; 2s - 256 in the upper half
    static constexpr NativeQuad kBackground = kOpaqueGrey;
    static constexpr bool kCopyOntoTransparent = false;
    static uint8 Apply(uint32 a, uint32 s, uint32 d) {
        const int32 p = s < 128 ? Mul8(2 * s, d) : Screen8(2 * s - 256, d);
        return uint8(int32(d) + Mul8Signed(int32(a), p - int32(d)));
    }
};

struct SoftLightRule {  // the soft-light curves, scaled by how far s is from mid grey
    static constexpr NativeQuad kBackground = kOpaqueGrey;
    static constexpr bool kCopyOntoTransparent = false;
    static uint8 Apply(uint32 a, uint32 s, uint32 d) {
        if (s < 128) return uint8(d - Mul8(a, Mul8(255 - 2 * s, SoftLightDown[d])));
        return uint8(d + Mul8(a, Mul8(2 * s - 256, SoftLightUp[d])));
    }
};

struct DifferenceRule {  // |d - a * s|
    static constexpr NativeQuad kBackground = kOpaqueBlack;
    static constexpr bool kCopyOntoTransparent = false;
    static uint8 Apply(uint32 a, uint32 s, uint32 d) {
        const uint32 p = Mul8(a, s);
        return uint8(p < d ? d - p : p - d);
    }
};

struct ExclusionRule {  // d + a * (s - 2 * s * d), split by sign so every product stays unsigned
    static constexpr NativeQuad kBackground = kOpaqueBlack;
    static constexpr bool kCopyOntoTransparent = true;
    static uint8 Apply(uint32 a, uint32 s, uint32 d) {
        const uint32 p = Mul8(s, d);
        const uint32 t = s - p;
        return t >= p ? uint8(d + Mul8(t - p, a)) : uint8(d - Mul8(p - t, a));
    }
};

struct ColorDodgeRule {  // d / (1 - a * s)
    static uint8 Apply(uint32 a, uint32 s, uint32 d) { return Div8(d, 255 - Mul8(s, a)); }
};

struct ColorBurnRule {  // 1 - (1 - d) / (1 - a * (1 - s))
    static constexpr NativeQuad kBackground = kOpaqueWhite;
    static constexpr bool kCopyOntoTransparent = false;
    static uint8 Apply(uint32 a, uint32 s, uint32 d) {
        return uint8(255 - Div8(255 - d, 255 - Mul8(a, 255 - s)));
    }
};

// A separable mode: background step, the rule on each colour, then d.a = Screen8(a, old d.a).
template <class Rule>
struct SeparableKernel {
    static void Apply(uint8 inOpacity, NativeQuad s, NativeQuad& d) {
        const uint32 a = Mul8(s.alpha, inOpacity);
        if (a == 0) return;
        const uint8 da = d.alpha;
        if constexpr (Rule::kCopyOntoTransparent) {
            if (da == 0) {
                d = s;
                d.alpha = uint8(a);
                return;
            }
        }
        BackgroundStep(d, Rule::kBackground);
        d.blue = Rule::Apply(a, s.blue, d.blue);
        d.green = Rule::Apply(a, s.green, d.green);
        d.red = Rule::Apply(a, s.red, d.red);
        d.alpha = Screen8(a, da);
    }
};

// Colour dodge has no background step: the destination is laid over black by scaling each colour by
// its own alpha, then divided.
struct ColorDodgeKernel {
    static void Apply(uint8 inOpacity, NativeQuad s, NativeQuad& d) {
        const uint32 a = Mul8(s.alpha, inOpacity);
        if (a == 0) return;
        const uint8 da = d.alpha;
        d.blue = ColorDodgeRule::Apply(a, s.blue, Mul8(d.blue, da));
        d.green = ColorDodgeRule::Apply(a, s.green, Mul8(d.green, da));
        d.red = ColorDodgeRule::Apply(a, s.red, Mul8(d.red, da));
        d.alpha = Screen8(a, da);
    }
};

// Erase keeps the colours and removes coverage a: d.a = Mul8(255 - a, d.a).
struct EraseKernel {
    static void Apply(uint8 inOpacity, NativeQuad s, NativeQuad& d) {
        const uint32 a = Mul8(s.alpha, inOpacity);
        if (a == 0) return;
        d.alpha = Mul8(255 - a, d.alpha);
    }
};

// Behind paints the source under the destination: a translucent destination is replaced by the source
// and the old destination is laid back on top at the given opacity. The opacity therefore weights the
// destination, not the source; an opaque destination is unchanged.
struct BehindKernel {
    static void Apply(uint8 inOpacity, NativeQuad s, NativeQuad& d) {
        if (d.alpha == 255) return;
        const NativeQuad saved = d;
        d = s;
        NormalPixel(inOpacity, saved, d);
    }
};

}  // namespace BlendKernels
