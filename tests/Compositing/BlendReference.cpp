#include "tests/Compositing/BlendReference.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include <gtest/gtest.h>

#include "Src/Orvane/Src/Image/BlendModes.h"

namespace BlendReference {

int32 Mul(int32 a, int32 b) {
    return (2 * a * b + 255) / 510;
}
int32 MulSigned(int32 a, int32 d) {
    return d < 0 ? -Mul(a, -d) : Mul(a, d);
}
int32 Screen(int32 a, int32 b) {
    return 255 - Mul(255 - a, 255 - b);
}
int32 Lerp(int32 a, int32 b) {
    return Mul(255 - a, b) + a;
}
int32 Div(int32 a, int32 b) {
    if (a == 0) return 0;
    if (b <= a) return 255;
    return (a * 255 + b / 2) / b;
}

int32 SoftLightUp(int32 d) {
    const double x = d / 255.0;
    const double curve = x <= 0.25 ? ((16 * x - 12) * x + 4) * x : std::sqrt(x);
    return int32(std::lround(255 * curve - d));
}

int32 SoftLightDown(int32 d) {
    return int32(std::lround(d * (255 - d) / 255.0));
}

int32 ScaleFactor(int32 a) {
    if (a == 254) return 65279;
    return int32(std::min<long>(65535, std::lround(32768.0 * 510 / (510 - a))));
}

uint8 Noise(int32 x, int32 y) {
    // The generator as a plain multiplication modulo 2^31 - 1.
    static const std::array<uint8, 16384> table = [] {
        std::array<uint8, 16384> t{};
        int64_t v = int64_t(int32(0x93013843u));
        for (auto& entry : t) {
            v = ((v * 16807) % 2147483647 + 2147483647) % 2147483647;
            entry = uint8((v >> 8) & 255);
        }
        return t;
    }();
    return table[size_t((((y % 128) + 128) % 128) * 128 + ((x % 128) + 128) % 128)];
}

namespace {

struct Pixel {
    int32 c[3];  // red, green, blue
    int32 a;
};

Pixel FromQuad(const NativeQuad& q) {
    return Pixel{{q.red, q.green, q.blue}, q.alpha};
}
// Every formula must land in 0..255 on its own: nothing is clamped or wrapped on the way back.
uint8 Checked(int32 v) {
    if (v < 0 || v > 255) ADD_FAILURE() << "component out of range: " << v;
    return uint8(v);
}

NativeQuad ToQuad(const Pixel& p) {
    for (int32 v : {p.c[0], p.c[1], p.c[2], p.a}) Checked(v);
    return MakeNativeQuad(uint8(p.c[0]), uint8(p.c[1]), uint8(p.c[2]), uint8(p.a));
}

void NormalKernel(int32 opacity, const Pixel& s, Pixel& d) {
    const int32 a = Mul(s.a, opacity);
    if (a == 0) return;
    d.a = Screen(a, d.a);
    const int32 w = Div(a, d.a);
    for (int32 i = 0; i < 3; ++i) d.c[i] += MulSigned(w, s.c[i] - d.c[i]);
}

void Background(Pixel& d, const Pixel& bg) {
    if (d.a >= 255) return;
    const Pixel saved = d;
    d = bg;
    NormalKernel(255, saved, d);
}

void NormalMode(int32 opacity, bool preserve, const Pixel& s, Pixel& d) {
    const int32 a = Mul(s.a, opacity);
    if (a == 0) return;
    if (preserve) {
        if (d.a == 0) return;
        if (opacity == 255 && s.a == 255) {
            for (int32 i = 0; i < 3; ++i) d.c[i] = s.c[i];
            return;
        }
        const int32 w = d.a < 255 ? Div(a, Lerp(a, d.a)) : a;
        for (int32 i = 0; i < 3; ++i) d.c[i] += MulSigned(w, s.c[i] - d.c[i]);
        return;
    }
    if (d.a == 0 || (opacity == 255 && s.a == 255)) {
        d = s;
        d.a = a;
        return;
    }
    const int32 n = d.a < 255 ? Lerp(a, d.a) : 255;
    const int32 w = d.a < 255 ? Div(a, n) : a;
    for (int32 i = 0; i < 3; ++i) d.c[i] += MulSigned(w, s.c[i] - d.c[i]);
    d.a = n;
}

int32 Lum(const int32 c[3]) {
    return (c[0] * 4915 + c[1] * 9667 + c[2] * 1802 + 8192) >> 14;
}
int32 Sat(const int32 c[3]) {
    return std::max({c[0], c[1], c[2]}) - std::min({c[0], c[1], c[2]});
}

// Indices (max, mid, min) with the two tie-breaking sequences.
std::array<int32, 3> OrderRedFirst(const int32 c[3]) {
    const int32 r = c[0], g = c[1], b = c[2];
    if (r <= g) {
        if (r > b) return {1, 0, 2};
        if (g > b) return {1, 2, 0};
        return {2, 1, 0};
    }
    if (g > b) return {0, 1, 2};
    if (r <= b) return {2, 0, 1};
    return {0, 2, 1};
}

std::array<int32, 3> OrderGreenFirst(const int32 c[3]) {
    const int32 r = c[0], g = c[1], b = c[2];
    if (g < b) {
        if (r >= b) return {0, 2, 1};
        if (g <= r) return {2, 0, 1};
        return {2, 1, 0};
    }
    if (r < g && r < b) return {1, 2, 0};
    if (b <= r && r < g) return {1, 0, 2};
    return {0, 1, 2};
}

void SetSat(int32 c[3], const std::array<int32, 3>& order, int32 sat) {
    int32 &max = c[order[0]], &mid = c[order[1]], &min = c[order[2]];
    mid -= min;
    max -= min;
    if (max != 0) mid = mid * sat / max, max = sat;
    min = 0;
}

void ClipColor(int32 c[3], int32 l) {
    const int32 n = std::min({c[0], c[1], c[2]});
    if (n < 0)
        for (int32 i = 0; i < 3; ++i) c[i] = l + (c[i] - l) * l / (l - n);
    const int32 x = std::max({c[0], c[1], c[2]});
    if (x > 255)
        for (int32 i = 0; i < 3; ++i) c[i] = l + (c[i] - l) * (255 - l) / (x - l);
}

// Hue and saturation first give the colour its new saturation (each with its own tie order); then every
// mode moves it to the target lightness and clips it around that lightness.
void NonSeparable(uint32 mode, int32 opacity, const Pixel& s, Pixel& d) {
    if (Mul(s.a, opacity) == 0) return;
    const int32 da = d.a;
    Background(d, s);
    d.a = da;
    Pixel r = mode == kBlendHue || mode == kBlendColor ? s : d;
    if (mode == kBlendHue) SetSat(r.c, OrderRedFirst(r.c), Sat(d.c));
    if (mode == kBlendSaturation) SetSat(r.c, OrderGreenFirst(r.c), Sat(s.c));
    const int32 lightness = mode == kBlendLuminosity ? Lum(s.c) : Lum(d.c), shift = lightness - Lum(r.c);
    for (int32& c : r.c) c += shift;
    ClipColor(r.c, lightness);
    r.a = s.a;
    NormalKernel(opacity, r, d);
}

Pixel BackgroundOf(uint32 mode) {
    switch (mode) {
        case kBlendDarken:
        case kBlendMultiply:
        case kBlendScaleDarken:
        case kBlendCurveDarken:
        case kBlendColorBurn:
            return Pixel{{255, 255, 255}, 255};
        case kBlendOverlay:
        case kBlendHardLight:
        case kBlendSoftLight:
            return Pixel{{128, 128, 128}, 255};
        default:
            return Pixel{{0, 0, 0}, 255};
    }
}

void Kernel(uint32 mode, int32 opacity, const Pixel& s, Pixel& d) {
    if (mode == kBlendBehind) {
        if (d.a == 255) return;
        const Pixel saved = d;
        d = s;
        NormalKernel(opacity, saved, d);
        return;
    }
    if (mode == kBlendHue || mode == kBlendSaturation || mode == kBlendColor || mode == kBlendLuminosity) {
        NonSeparable(mode, opacity, s, d);
        return;
    }
    const int32 a = Mul(s.a, opacity);
    if (a == 0) return;
    const int32 da = d.a;
    if (mode == kBlendErase) {
        d.a = Mul(255 - a, da);
        return;
    }
    if ((mode == kBlendMultiply || mode == kBlendExclusion) && da == 0) {
        d = s;
        d.a = a;
        return;
    }
    if (mode == kBlendColorDodge) {
        for (int32 i = 0; i < 3; ++i) d.c[i] = Mul(d.c[i], da);
    } else {
        Background(d, BackgroundOf(mode));
    }
    for (int32 i = 0; i < 3; ++i) d.c[i] = ChannelRule(mode, a, s.c[i], d.c[i]);
    d.a = Screen(a, da);
}

}  // namespace

int32 ChannelRule(uint32 mode, int32 a, int32 s, int32 d) {
    switch (mode) {
        case kBlendNormal:
            return d + MulSigned(a, s - d);
        case kBlendDarken:
            return s < d ? d - Mul(a, d - s) : d;
        case kBlendLighten:
            return s > d ? d + Mul(a, s - d) : d;
        case kBlendMultiply:
            return d - Mul(a, d - Mul(s, d));
        case kBlendScreen:
            return d + Mul(a, Screen(s, d) - d);
        case kBlendCurveLighten:
            return d + Mul(a, SoftLightUp(d));
        case kBlendScaleLighten:
            return std::clamp((d * ScaleFactor(a)) >> 15, 0, 255);
        case kBlendScaleDarken:
            return 255 - std::clamp(((255 - d) * ScaleFactor(a)) >> 15, 0, 255);
        case kBlendCurveDarken:
            return d - Mul(a, SoftLightDown(d));
        case kBlendOverlay: {
            const int32 p = d < 128 ? Mul(2 * d, s) : Screen(2 * d - 255, s);
            return d + MulSigned(a, p - d);
        }
        case kBlendHardLight: {
            const int32 p = s < 128 ? Mul(2 * s, d) : Screen(2 * s - 256, d);
            return d + MulSigned(a, p - d);
        }
        case kBlendSoftLight:
            if (s < 128) return d - Mul(a, Mul(255 - 2 * s, SoftLightDown(d)));
            return d + Mul(a, Mul(2 * s - 256, SoftLightUp(d)));
        case kBlendDifference: {
            const int32 p = Mul(a, s);
            return p < d ? d - p : p - d;
        }
        case kBlendExclusion: {
            const int32 p = Mul(s, d);
            const int32 t = s - p;
            return t >= p ? d + Mul(t - p, a) : d - Mul(p - t, a);
        }
        case kBlendColorDodge:
            return Div(d, 255 - Mul(s, a));
        case kBlendColorBurn:
            return 255 - Div(255 - d, 255 - Mul(a, 255 - s));
        default:
            return d;
    }
}

void BlendPixel(uint32 mode, uint8 opacity, bool preserve, int32 x, int32 y, NativeQuad s, NativeQuad& d) {
    if (mode == kBlendDissolve) {
        const int32 a = Mul(s.alpha, opacity);
        if (a != 0 && 255 - a + Noise(x, y) < 256) {
            d = s;
            d.alpha = 255;
        }
        return;
    }
    const Pixel source = FromQuad(s);
    Pixel dest = FromQuad(d);
    if (mode == kBlendNormal) {
        NormalMode(opacity, preserve, source, dest);
    } else {
        Kernel(mode, opacity, source, dest);
        if (preserve) dest.a = d.alpha;
    }
    d = ToQuad(dest);
}

uint8 BlendPlanePixel(uint32 mode, uint8 opacity, int32 x, int32 y, uint8 s, uint8 d, uint8 c) {
    const int32 a = Mul(c, opacity);
    if (a == 0) return d;
    if (mode == kBlendDissolve) return 255 - a + Noise(x, y) < 256 ? s : d;
    return Checked(ChannelRule(mode, a, s, d));
}

}  // namespace BlendReference
