// Hue, saturation, colour and luminosity: modes that mix the three colours of a pixel together.
//
// Each works in four steps: a translucent destination is first laid over the source itself (its alpha
// is then restored); a result colour R is built from source and destination by moving lightness and
// saturation between them; R is pulled back into range around a lightness; finally (R, s.a) is laid over
// the destination with the normal pixel kernel at the given opacity.
#include <algorithm>

#include "Src/Orvane/Src/Image/BlendKernels.h"
#include "Src/Orvane/Src/Image/BlendLoop.h"

namespace {

using BlendKernels::BackgroundStep;
using BlendKernels::NormalPixel;

struct Colour {
    int32 red;
    int32 green;
    int32 blue;
};

Colour ColourOf(const NativeQuad& inQuad) {
    return Colour{inQuad.red, inQuad.green, inQuad.blue};
}

// Lightness with weights 4915, 9667, 1802 out of 16384, rounded.
inline int32 Lum(const Colour& c) {
    return (c.red * 4915 + c.green * 9667 + c.blue * 1802 + 8192) >> 14;
}

inline int32 Sat(const Colour& c) {
    return std::max({c.red, c.green, c.blue}) - std::min({c.red, c.green, c.blue});
}

inline void AddToEach(Colour& c, int32 inDelta) {
    c.red += inDelta;
    c.green += inDelta;
    c.blue += inDelta;
}

// The components in the order max, mid, min. Ties are broken by a fixed sequence of comparisons:
// red against green first for hue, green against blue first for saturation.
struct Ordered {
    int32* max;
    int32* mid;
    int32* min;
};

Ordered OrderRedFirst(Colour& c) {
    int32* r = &c.red;
    int32* g = &c.green;
    int32* b = &c.blue;
    if (c.red <= c.green) {
        if (c.red > c.blue) return {g, r, b};
        if (c.green > c.blue) return {g, b, r};
        return {b, g, r};
    }
    if (c.green > c.blue) return {r, g, b};
    if (c.red <= c.blue) return {b, r, g};
    return {r, b, g};
}

Ordered OrderGreenFirst(Colour& c) {
    int32* r = &c.red;
    int32* g = &c.green;
    int32* b = &c.blue;
    if (c.green < c.blue) {
        if (c.red >= c.blue) return {r, b, g};
        if (c.green <= c.red) return {b, r, g};
        return {b, g, r};
    }
    if (c.red < c.green && c.red < c.blue) return {g, b, r};
    if (c.blue <= c.red && c.red < c.green) return {g, r, b};
    return {r, g, b};
}

// Gives the colour saturation inSat keeping its hue: min becomes 0, max becomes inSat and mid keeps its
// proportion (truncating division). A grey colour becomes black.
void SetSat(const Ordered& c, int32 inSat) {
    *c.mid -= *c.min;
    *c.max -= *c.min;
    if (*c.max != 0) {
        *c.mid = *c.mid * inSat / *c.max;
        *c.max = inSat;
    }
    *c.min = 0;
}

// Scales the colour towards lightness l until it fits in 0..255: first lifting a negative minimum to 0,
// then lowering a maximum above 255 to 255. Truncating division.
void ClipColor(Colour& c, int32 l) {
    const int32 n = std::min({c.red, c.green, c.blue});
    if (n < 0) {
        c.red = l + (c.red - l) * l / (l - n);
        c.green = l + (c.green - l) * l / (l - n);
        c.blue = l + (c.blue - l) * l / (l - n);
    }
    const int32 x = std::max({c.red, c.green, c.blue});
    if (x > 255) {
        c.red = l + (c.red - l) * (255 - l) / (x - l);
        c.green = l + (c.green - l) * (255 - l) / (x - l);
        c.blue = l + (c.blue - l) * (255 - l) / (x - l);
    }
}

// R: the source's hue, the destination's saturation and lightness.
Colour HueResult(const Colour& s, const Colour& d) {
    Colour r = s;
    SetSat(OrderRedFirst(r), Sat(d));
    AddToEach(r, Lum(d) - Lum(r));
    ClipColor(r, Lum(d));
    return r;
}

// R: the destination's hue and lightness, the source's saturation.
Colour SaturationResult(const Colour& s, const Colour& d) {
    Colour r = d;
    SetSat(OrderGreenFirst(r), Sat(s));
    AddToEach(r, Lum(d) - Lum(r));
    ClipColor(r, Lum(d));
    return r;
}

// R: the source's hue and saturation, the destination's lightness.
Colour ColorResult(const Colour& s, const Colour& d) {
    Colour r = s;
    AddToEach(r, Lum(d) - Lum(s));
    ClipColor(r, Lum(d));
    return r;
}

// R: the destination's hue and saturation, the source's lightness.
Colour LuminosityResult(const Colour& s, const Colour& d) {
    Colour r = d;
    AddToEach(r, Lum(s) - Lum(d));
    ClipColor(r, Lum(s));
    return r;
}

template <Colour (*kResult)(const Colour&, const Colour&)>
struct NonSeparableKernel {
    static void Apply(uint8 inOpacity, NativeQuad s, NativeQuad& d) {
        if (Mul8(s.alpha, inOpacity) == 0) return;
        const uint8 da = d.alpha;
        BackgroundStep(d, s);
        d.alpha = da;
        const Colour r = kResult(ColourOf(s), ColourOf(d));
        // ClipColor leaves every component in 0..255.
        NormalPixel(inOpacity, MakeNativeQuad(uint8(r.red), uint8(r.green), uint8(r.blue), s.alpha), d);
    }
};

}  // namespace

void BlendHueLoop(const BlendArgs& inArgs) {
    RunKernelLoop<NonSeparableKernel<HueResult>>(inArgs);
}
void BlendSaturationLoop(const BlendArgs& inArgs) {
    RunKernelLoop<NonSeparableKernel<SaturationResult>>(inArgs);
}
void BlendColorLoop(const BlendArgs& inArgs) {
    RunKernelLoop<NonSeparableKernel<ColorResult>>(inArgs);
}
void BlendLuminosityLoop(const BlendArgs& inArgs) {
    RunKernelLoop<NonSeparableKernel<LuminosityResult>>(inArgs);
}
