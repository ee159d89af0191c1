// Vector forms of hue, saturation, colour and luminosity (internal to compositing; included by
// BlendVector.h). The three colours are split into one 32-bit lane per pixel each, so the per-pixel
// rules become lane arithmetic:
// - SetSat gives every component (c - min) * sat / (max - min) (0 when max = min); since ties between
//   max and mid give sat either way and ties between mid and min give 0, the tie order of the scalar
//   code cannot change a value.
// - Products and quotients go through single precision: every product is below 2^24 and so exact, and
//   every quotient is below 511 in magnitude with a divisor below 511, so truncating the rounded
//   quotient gives C's truncating division.
#pragma once

namespace BlendVector {

template <class V>
struct Planes {
    typename V::T red, green, blue;
};

template <class V>
inline Planes<V> Split(typename V::T q) {
    const typename V::T byte = V::Set32(255);
    return {V::And(V::Srli32(q, 16), byte), V::And(V::Srli32(q, 8), byte), V::And(q, byte)};
}

// Components must be in 0..255 here.
template <class V>
inline typename V::T Join(const Planes<V>& c) {
    return V::Or(V::Or(V::Slli32(c.red, 16), V::Slli32(c.green, 8)), c.blue);
}

// Lightness (red 4915, green 9667, blue 1802 out of 16384, rounded) of components in 0..255.
template <class V>
inline typename V::T Lum(const Planes<V>& c) {
    const typename V::T redGreen =
        V::Madd16(V::Or(c.red, V::Slli32(c.green, 16)), V::Set32(4915 | (9667 << 16)));
    const typename V::T blueRound =
        V::Madd16(V::Or(c.blue, V::Set32(1 << 16)), V::Set32(1802 | (8192 << 16)));
    return V::Srli32(V::Add32(redGreen, blueRound), 14);
}

template <class V>
inline typename V::T Max3(const Planes<V>& c) {
    return V::Max32(V::Max32(c.red, c.green), c.blue);
}

template <class V>
inline typename V::T Min3(const Planes<V>& c) {
    return V::Min32(V::Min32(c.red, c.green), c.blue);
}

template <class V>
inline Planes<V> AddToEach(const Planes<V>& c, typename V::T delta) {
    return {V::Add32(c.red, delta), V::Add32(c.green, delta), V::Add32(c.blue, delta)};
}

template <class V>
inline Planes<V> SetSat(const Planes<V>& c, typename V::T sat) {
    const typename V::T low = Min3<V>(c);
    const typename V::T range = V::Max32(V::Sub32(Max3<V>(c), low), V::Set32(1));
    auto one = [&](typename V::T x) { return V::MulDivTrunc32(V::Sub32(x, low), sat, range); };
    return {one(c.red), one(c.green), one(c.blue)};
}

// Pulls the colour towards lightness l into 0..255: a negative minimum n is lifted to 0, then a maximum
// x above 255 lowered to 255, each by l + (c - l) * k / (l - n) or (x - l) with truncating division.
// One division per component serves both steps: a lane lifts when its minimum is negative, else lowers
// when its maximum is above 255. Lowering leaves a maximum of exactly 255 (the quotient is exact), so
// only a lifted lane can still lie above 255; such lanes are rare and lowered in a second pass.
template <class V>
inline Planes<V> ClipColor(const Planes<V>& c, typename V::T l) {
    using T = typename V::T;
    const T one = V::Set32(1);
    const T full = V::Set32(255);
    const T n = Min3<V>(c);
    const T x = Max3<V>(c);
    const T lift = V::Lt32(n, V::Zero());
    const T moved = V::Or(lift, V::Lt32(full, x));
    if (V::AllZero(moved)) return c;
    const T room = V::Sub32(full, l);
    auto scaled = [&](const Planes<V>& p, T mask, T k, T span) {
        auto component = [&](T v) {
            return V::Select(mask, V::Add32(l, V::MulDivTrunc32(V::Sub32(v, l), k, span)), v);
        };
        return Planes<V>{component(p.red), component(p.green), component(p.blue)};
    };
    const T span = V::Max32(V::Select(lift, V::Sub32(l, n), V::Sub32(x, l)), one);
    const Planes<V> r = scaled(c, moved, V::Select(lift, l, room), span);
    const T top = Max3<V>(r);
    const T still = V::Lt32(full, top);
    if (V::AllZero(still)) return r;
    return scaled(r, still, room, V::Max32(V::Sub32(top, l), one));
}

struct HueColours {
    template <class V>
    static Planes<V> Result(const Planes<V>& s, const Planes<V>& d) {
        const typename V::T l = Lum<V>(d);
        const Planes<V> r = SetSat<V>(s, V::Sub32(Max3<V>(d), Min3<V>(d)));
        return ClipColor<V>(AddToEach<V>(r, V::Sub32(l, Lum<V>(r))), l);
    }
};

struct SaturationColours {
    template <class V>
    static Planes<V> Result(const Planes<V>& s, const Planes<V>& d) {
        const typename V::T l = Lum<V>(d);
        const Planes<V> r = SetSat<V>(d, V::Sub32(Max3<V>(s), Min3<V>(s)));
        return ClipColor<V>(AddToEach<V>(r, V::Sub32(l, Lum<V>(r))), l);
    }
};

struct ColorColours {
    template <class V>
    static Planes<V> Result(const Planes<V>& s, const Planes<V>& d) {
        const typename V::T l = Lum<V>(d);
        return ClipColor<V>(AddToEach<V>(s, V::Sub32(l, Lum<V>(s))), l);
    }
};

struct LuminosityColours {
    template <class V>
    static Planes<V> Result(const Planes<V>& s, const Planes<V>& d) {
        const typename V::T l = Lum<V>(s);
        return ClipColor<V>(AddToEach<V>(d, V::Sub32(l, Lum<V>(d))), l);
    }
};

// The destination is first laid over the source (alpha kept): d' = s.c + Mul8Signed(Div8(d.a,
// Screen8(d.a, s.a)), d.c - s.c), which is d itself when opaque and s when transparent. The result
// colour R of s and d' is then laid over d' as the normal pixel kernel does at the opacity.
template <class V, class Colours, bool kPreserve>
int32 NonSeparableLoop(const BlendArgs& inArgs) {
    using T = typename V::T;
    const T opacity = V::Set32(inArgs.opacity);
    const T full = V::Set32(255);
    return ForEachVector<V>(inArgs, [&](T s, NativeQuad* at, int32, int32) {
        const T sa = V::Srli32(s, 24);
        const T a = Mul8<V>(sa, opacity);
        const T clear = V::Eq32(a, V::Zero());
        if (V::AllSet(clear)) return;
        const T d = V::Load(at);
        const T da = V::Srli32(d, 24);
        T wLo, wHi;
        const T under = V::Sub32(full, Mul8<V>(V::Sub32(full, da), V::Sub32(full, sa)));
        Spread<V>(Div8Quotient<V>(da, under), wLo, wHi);
        const T laid = MixBytes<V>(d, s, wLo, wHi);
        const T result = Join<V>(Colours::template Result<V>(Split<V>(s), Split<V>(laid)));
        const T n = V::Sub32(full, Mul8<V>(V::Sub32(full, a), V::Sub32(full, da)));
        Spread<V>(Div8Quotient<V>(a, n), wLo, wHi);
        const T mixed = WithAlpha<V>(MixBytes<V>(result, laid, wLo, wHi), kPreserve ? da : n);
        V::Store(at, V::Select(clear, d, mixed));
    });
}

}  // namespace BlendVector
