// Vector forms of the blend loops (internal to compositing), written once over an operations type V
// and instantiated for SSE2 (BlendSse2.cpp), AVX2 (BlendAvx2.cpp) and AVX-512 (BlendAvx512*.cpp). Each
// produces exactly the bytes of the scalar kernel of BlendKernels.h / BlendNormal.cpp; the scalar loop
// finishes the columns that do not fill a whole vector.
//
// Layout: a vector holds V::kPixels quads. Per-pixel values (alphas, weights) sit in 32-bit lanes, one
// pixel per lane; colour arithmetic runs in 16-bit lanes after unpacking the bytes against zero (Lo: the
// first half of each 128-bit lane, Hi: the second), so every product below stays under 65536.
//
// V provides, on its vector type T: Load, Store, Zero, Set32, Set16, And, AndNot (~a & b), Or, Xor, Select
// (mask ? a : b), Add16, Sub16, SubSat16, Mullo16, Mulhi16, Min16, Max16, Lt16, Slli16, Srli16, Add32, Sub32,
// Srli32, Slli32, Eq32, Lt32, Lo16/Hi16, Packs32, LoadBytesTo32, Lo8/Hi8 (bytes to 16-bit lanes), Pack16,
// AllZero, AllSet, SpreadLo/SpreadHi (a byte of each 32-bit lane into the 16-bit lanes of its pixel),
// SpreadHalves (the low byte of each 32-bit lane into both of its 16-bit lanes), Spread16Lo/Spread16Hi (the
// same for 16-bit values), Lookup32 (table[lane] for every 32-bit lane), LookupBytes (table[byte] for every
// byte), AbsDiff8 (|a - b| on bytes), AddWhereNotBelow8 (d + m on the bytes where a >= b, else d - m),
// MergeAlpha, DivFloor32, WhereNonZero32 (a in the 32-bit lanes where b is not 0, else 0), and on signed
// 32-bit lanes Max32, Min32, Madd16 and MulDivTrunc32 (a * b / c truncated, |a * b| < 2^24). It may also
// provide Pin (see MulConstants), Div8Rounded (see Div8Quotient) and WeaveBytes.
#pragma once

#include "Src/Orvane/Src/Image/BlendKernels.h"
#include "Src/Orvane/Src/Image/BlendLoop.h"
#include "Src/Orvane/Src/Image/BlendModes.h"

namespace BlendVector {

// A byte or 16-bit table widened to 32-bit entries for lane lookups. Each translation unit gets its own
// copy (the unnamed namespace): the units are compiled for different instruction sets, and a shared
// out-of-line copy could be taken from one the processor cannot run.
namespace {
struct WideTable {
    uint32 values[256];

    template <class Table>
    static WideTable Of(const Table& inTable) {
        WideTable wide{};
        for (int32 i = 0; i < 256; ++i) wide.values[i] = inTable[size_t(i)];
        return wide;
    }
};
}  // namespace

// Rules with kGain = true receive ScaleFactor[a] instead of a.
template <class Rule, class = void>
struct TakesGain {
    static constexpr bool value = false;
};
template <class Rule>
struct TakesGain<Rule, decltype(void(Rule::kGain))> {
    static constexpr bool value = Rule::kGain;
};

// Rules with a kTable receive kTable[d] of the backdrop d as a fourth operand: the lookup is made once on
// the bytes of both halves.
template <class Rule, class = void>
struct TakesTable {
    static constexpr bool value = false;
};
template <class Rule>
struct TakesTable<Rule, decltype(void(Rule::kTable))> {
    static constexpr bool value = true;
};

// Holds each value in a register the compiler must treat as unknown, where V can (V::Pin), so that a
// constant made before a loop is not rebuilt inside it.
template <class V, class... Values>
inline void PinAll(Values&... ioValues) {
    if constexpr ((requires { V::Pin(ioValues); } && ...)) (V::Pin(ioValues), ...);
}

// The constants of Mul8 and of the byte mixes (lowBytes: 255 in every 16-bit lane). A loop that makes them
// once before it and pins them keeps the compiler from rebuilding them inside.
template <class V>
struct MulConstants {
    typename V::T round, scale, zero, lowBytes;

    // Written out: a constructor the compiler makes for itself would miss the instruction set of the
    // unit that includes this file.
    MulConstants() : round(V::Set16(128)), scale(V::Set16(257)), zero(V::Zero()), lowBytes(V::Set16(255)) {}
    void Pin() { PinAll<V>(round, scale, zero, lowBytes); }
};

// Mul8 on 16-bit lanes: (t + (t >> 8)) >> 8 with t = x * y + 128 equals the high half of t * 257. On
// 32-bit lanes holding values below 256 it gives Mul8 too: the upper halves compute Mul8(0, 0) = 0.
template <class V>
inline typename V::T Mul8(typename V::T x, typename V::T y, const MulConstants<V>& c = {}) {
    return V::Mulhi16(V::Add16(V::Mullo16(x, y), c.round), c.scale);
}

// Div8 on 32-bit lanes: floor((255x + y / 2) / max(y, 1)) where x < y or x = 0, else 255. The quotient
// of numbers below 2^17 comes out of the single-precision division close enough that truncating it gives
// the integer quotient (a fraction is never nearer than 1/255 to a whole number).
// A V with Div8Rounded computes the same quotient its own way; where y = 0 (and so x = 0) it may leave
// any value whose low byte is 0, which spreads as a weight of 0.
template <class V>
inline typename V::T Div8Quotient(typename V::T x, typename V::T y) {
    if constexpr (requires { V::Div8Rounded(x, y); }) {
        return V::Div8Rounded(x, y);
    } else {
        const typename V::T numerator = V::Add32(V::Sub32(V::Slli32(x, 8), x), V::Srli32(y, 1));
        return V::DivFloor32(numerator, V::Max16(y, V::Set32(1)));
    }
}

template <class V>
inline typename V::T Div8Lanes(typename V::T x, typename V::T y) {
    return V::AndNot(V::Eq32(x, V::Zero()), V::Select(V::Lt32(x, y), Div8Quotient<V>(x, y), V::Set32(255)));
}

// The value (below 256) of every 32-bit lane repeated in the four 16-bit lanes of its pixel, Lo and Hi
// halves.
template <class V>
inline void Spread(typename V::T inLanes, typename V::T& outLo, typename V::T& outHi) {
    outLo = V::SpreadLo(inLanes);
    outHi = V::SpreadHi(inLanes);
}

// d + Mul8Signed(w, s - d) on every byte, with w spread over 16-bit lanes. Since Mul8Signed(w, -x) is
// -Mul8(w, x), the magnitude is multiplied once and added or taken off by the sign.
template <class V>
inline typename V::T MixBytes(typename V::T s, typename V::T d, typename V::T wLo, typename V::T wHi,
                              const MulConstants<V>& c = {}) {
    const typename V::T gap = V::AbsDiff8(s, d);
    const typename V::T m =
        V::Pack16(Mul8<V>(V::Lo8(gap, c.zero), wLo, c), Mul8<V>(V::Hi8(gap, c.zero), wHi, c));
    return V::AddWhereNotBelow8(d, m, s, d);
}

// Bytes from the low bytes of the 16-bit lanes of even (the even bytes) and of odd (the odd ones); a V
// with WeaveBytes does it its own way.
template <class V>
inline typename V::T WeaveBytes(typename V::T even, typename V::T odd) {
    if constexpr (requires { V::WeaveBytes(even, odd); })
        return V::WeaveBytes(even, odd);
    else
        return V::Or(even, V::Slli16(odd, 8));
}

// MixBytes with w on 32-bit lanes, one per pixel. The even and the odd bytes of the gap go into 16-bit
// lanes of their own, so one spread of w (to both halves of its lane) serves both; unpacking into Lo and
// Hi halves would spread it twice and pack the products back.
template <class V>
inline typename V::T MixBytesByLanes(typename V::T s, typename V::T d, typename V::T w,
                                     const MulConstants<V>& c = {}) {
    using T = typename V::T;
    const T gap = V::AbsDiff8(s, d);
    const T wide = V::SpreadHalves(w);
    const T even = Mul8<V>(V::And(gap, c.lowBytes), wide, c);
    const T odd = Mul8<V>(V::Srli16(gap, 8), wide, c);
    return V::AddWhereNotBelow8(d, WeaveBytes<V>(even, odd), s, d);
}

// The same on 16-bit lanes: d + Mul8Signed(w, p - d).
template <class V>
inline typename V::T Mix16(typename V::T p, typename V::T d, typename V::T w) {
    return V::Sub16(V::Add16(d, Mul8<V>(w, V::SubSat16(p, d))), Mul8<V>(w, V::SubSat16(d, p)));
}

template <class V>
inline typename V::T WithAlpha(typename V::T inColours, typename V::T inAlphaLanes) {
    return V::MergeAlpha(inColours, V::Slli32(inAlphaLanes, 24));
}

// Runs inBlock(s, d) -> new d over the whole vectors of every row; returns the columns done.
template <class V, class Block>
int32 ForEachVector(const BlendArgs& inArgs, Block inBlock) {
    const int32 columns = inArgs.rect.Width() / V::kPixels * V::kPixels;
    for (int32 row = 0; row < inArgs.rect.Height(); ++row) {
        const NativeQuad* s = inArgs.SrcRow(row);
        NativeQuad* d = inArgs.DstRow(row);
        for (int32 column = 0; column < columns; column += V::kPixels)
            inBlock(V::Load(s + column), d + column, inArgs.rect.left + column, inArgs.rect.top + row);
    }
    return columns;
}

// Colour rules on 16-bit lanes, one per separable mode; a is the weight, s and d the components.
struct Darken {
    static constexpr int32 kBackground = 255;
    static constexpr bool kCopyOntoTransparent = false;
    template <class V>
    static typename V::T Apply(typename V::T a, typename V::T s, typename V::T d) {
        return V::Sub16(d, Mul8<V>(a, V::SubSat16(d, s)));
    }
};

struct Lighten {
    static constexpr int32 kBackground = 0;
    static constexpr bool kCopyOntoTransparent = false;
    template <class V>
    static typename V::T Apply(typename V::T a, typename V::T s, typename V::T d) {
        return V::Add16(d, Mul8<V>(a, V::SubSat16(s, d)));
    }
};

struct Multiply {
    static constexpr int32 kBackground = 255;
    static constexpr bool kCopyOntoTransparent = true;
    template <class V>
    static typename V::T Apply(typename V::T a, typename V::T s, typename V::T d) {
        return V::Sub16(d, Mul8<V>(a, V::Sub16(d, Mul8<V>(s, d))));
    }
};

template <class V>
inline typename V::T Screen16(typename V::T x, typename V::T y) {
    const typename V::T full = V::Set16(255);
    return V::Sub16(full, Mul8<V>(V::Sub16(full, x), V::Sub16(full, y)));
}

struct Screen {
    static constexpr int32 kBackground = 0;
    static constexpr bool kCopyOntoTransparent = false;
    template <class V>
    static typename V::T Apply(typename V::T a, typename V::T s, typename V::T d) {
        return V::Add16(d, Mul8<V>(a, V::Sub16(Screen16<V>(s, d), d)));
    }
};

// Overlay (chosen by d, 2d - 255 above) and hard light (chosen by s, 2s - 256 above): the products of
// the unused side may wrap; the selection drops them.
struct Overlay {
    static constexpr int32 kBackground = 128;
    static constexpr bool kCopyOntoTransparent = false;
    template <class V>
    static typename V::T Apply(typename V::T a, typename V::T s, typename V::T d) {
        const typename V::T twice = V::Slli16(d, 1);
        const typename V::T low = Mul8<V>(twice, s);
        const typename V::T high = Screen16<V>(V::Sub16(twice, V::Set16(255)), s);
        return Mix16<V>(V::Select(V::Lt16(d, V::Set16(128)), low, high), d, a);
    }
};

struct HardLight {
    static constexpr int32 kBackground = 128;
    static constexpr bool kCopyOntoTransparent = false;
    template <class V>
    static typename V::T Apply(typename V::T a, typename V::T s, typename V::T d) {
        const typename V::T twice = V::Slli16(s, 1);
        const typename V::T low = Mul8<V>(twice, d);
        const typename V::T high = Screen16<V>(V::Sub16(twice, V::Set16(256)), d);
        return Mix16<V>(V::Select(V::Lt16(s, V::Set16(128)), low, high), d, a);
    }
};

struct Difference {
    static constexpr int32 kBackground = 0;
    static constexpr bool kCopyOntoTransparent = false;
    template <class V>
    static typename V::T Apply(typename V::T a, typename V::T s, typename V::T d) {
        const typename V::T p = Mul8<V>(a, s);
        return V::Or(V::SubSat16(d, p), V::SubSat16(p, d));
    }
};

struct Exclusion {
    static constexpr int32 kBackground = 0;
    static constexpr bool kCopyOntoTransparent = true;
    template <class V>
    static typename V::T Apply(typename V::T a, typename V::T s, typename V::T d) {
        const typename V::T p = Mul8<V>(s, d);
        const typename V::T t = V::Sub16(s, p);
        return V::Sub16(V::Add16(d, Mul8<V>(V::SubSat16(t, p), a)), Mul8<V>(V::SubSat16(p, t), a));
    }
};

// SoftLightDown[d] is round(d * (255 - d) / 255), which is Mul8(d, 255 - d).
template <class V>
inline typename V::T SoftLightDown16(typename V::T d) {
    return Mul8<V>(d, V::Sub16(V::Set16(255), d));
}

// Soft light: below mid grey the down curve scaled by 255 - 2s, above it the up curve (looked up)
// scaled by 2s - 256; the saturating differences make the unused side 0.
struct SoftLight {
    static constexpr int32 kBackground = 128;
    static constexpr bool kCopyOntoTransparent = false;
    static constexpr const std::array<uint8, 256>* kTable = &SoftLightUp;
    template <class V>
    static typename V::T Apply(typename V::T a, typename V::T s, typename V::T d, typename V::T raise) {
        const typename V::T twice = V::Slli16(s, 1);
        const typename V::T down =
            Mul8<V>(a, Mul8<V>(V::SubSat16(V::Set16(255), twice), SoftLightDown16<V>(d)));
        const typename V::T up = Mul8<V>(a, Mul8<V>(V::SubSat16(twice, V::Set16(256)), raise));
        return V::Add16(V::Sub16(d, down), up);
    }
};

struct CurveLighten {
    static constexpr int32 kBackground = 0;
    static constexpr bool kCopyOntoTransparent = false;
    static constexpr const std::array<uint8, 256>* kTable = &SoftLightUp;
    template <class V>
    static typename V::T Apply(typename V::T a, typename V::T, typename V::T d, typename V::T raise) {
        return V::Add16(d, Mul8<V>(a, raise));
    }
};

struct CurveDarken {
    static constexpr int32 kBackground = 255;
    static constexpr bool kCopyOntoTransparent = false;
    template <class V>
    static typename V::T Apply(typename V::T a, typename V::T, typename V::T d) {
        return V::Sub16(d, Mul8<V>(a, SoftLightDown16<V>(d)));
    }
};

// The scale modes take their gain from the pixel's weight a rather than a colour, so their rule gets
// ScaleFactor[a] spread over the pixel's lanes in place of a. min((x * gain) >> 15, 255), where
// (x * gain) >> 15 is the high half of 2x * gain (2x < 2^16 for x < 256).
template <class V>
inline typename V::T Scale16(typename V::T x, typename V::T gain) {
    return V::Min16(V::Mulhi16(V::Slli16(x, 1), gain), V::Set16(255));
}

struct ScaleLighten {
    static constexpr int32 kBackground = 0;
    static constexpr bool kCopyOntoTransparent = false;
    static constexpr bool kGain = true;
    template <class V>
    static typename V::T Apply(typename V::T gain, typename V::T, typename V::T d) {
        return Scale16<V>(d, gain);
    }
};

struct ScaleDarken {
    static constexpr int32 kBackground = 255;
    static constexpr bool kCopyOntoTransparent = false;
    static constexpr bool kGain = true;
    template <class V>
    static typename V::T Apply(typename V::T gain, typename V::T, typename V::T d) {
        const typename V::T full = V::Set16(255);
        return V::Sub16(full, Scale16<V>(V::Sub16(full, d), gain));
    }
};

// Div8 of 16-bit lanes, through the 32-bit form of both halves.
template <class V>
inline typename V::T Div16(typename V::T x, typename V::T y) {
    const typename V::T zero = V::Zero();
    return V::Packs32(Div8Lanes<V>(V::Lo16(x, zero), V::Lo16(y, zero)),
                      Div8Lanes<V>(V::Hi16(x, zero), V::Hi16(y, zero)));
}

struct ColorBurn {
    static constexpr int32 kBackground = 255;
    static constexpr bool kCopyOntoTransparent = false;
    template <class V>
    static typename V::T Apply(typename V::T a, typename V::T s, typename V::T d) {
        const typename V::T full = V::Set16(255);
        return V::Sub16(full, Div16<V>(V::Sub16(full, d), V::Sub16(full, Mul8<V>(a, V::Sub16(full, s)))));
    }
};

// d laid over an opaque background of grey level g with weight da (the background step):
// g + Mul8Signed(da, d - g).
template <class V, int32 kGrey>
inline typename V::T OverBackground(typename V::T d, typename V::T da) {
    if constexpr (kGrey == 0) return Mul8<V>(da, d);
    const typename V::T g = V::Set16(kGrey);
    if constexpr (kGrey == 255) return V::Sub16(g, Mul8<V>(da, V::Sub16(g, d)));
    return Mix16<V>(d, g, da);
}

// A separable mode: background step, the rule on each colour, alpha Screen8(a, d.a) (or d.a kept).
// Pixels with a = 0 stay; a rule that copies onto transparency gives those pixels the source colours.
template <class V, class Rule, bool kPreserve>
int32 SeparableLoop(const BlendArgs& inArgs) {
    using T = typename V::T;
    const T opacity = V::Set32(inArgs.opacity);
    return ForEachVector<V>(inArgs, [&](T s, NativeQuad* at, int32, int32) {
        const T a = Mul8<V>(V::Srli32(s, 24), opacity);
        const T clear = V::Eq32(a, V::Zero());
        if (V::AllSet(clear)) return;
        const T d = V::Load(at);
        const T da = V::Srli32(d, 24);
        const T zero = V::Zero();
        T aLo, aHi, daLo, daHi;
        if constexpr (TakesGain<Rule>::value) {
            static const WideTable sGains = WideTable::Of(ScaleFactor);
            const T gain = V::Lookup32(sGains.values, a);
            aLo = V::Spread16Lo(gain);
            aHi = V::Spread16Hi(gain);
        } else {
            Spread<V>(a, aLo, aHi);
        }
        Spread<V>(da, daLo, daHi);
        const T dLo = OverBackground<V, Rule::kBackground>(V::Lo8(d, zero), daLo);
        const T dHi = OverBackground<V, Rule::kBackground>(V::Hi8(d, zero), daHi);
        T lo, hi;
        if constexpr (TakesTable<Rule>::value) {
            const T looked = V::LookupBytes(*Rule::kTable, V::Pack16(dLo, dHi));
            lo = Rule::template Apply<V>(aLo, V::Lo8(s, zero), dLo, V::Lo8(looked, zero));
            hi = Rule::template Apply<V>(aHi, V::Hi8(s, zero), dHi, V::Hi8(looked, zero));
        } else {
            lo = Rule::template Apply<V>(aLo, V::Lo8(s, zero), dLo);
            hi = Rule::template Apply<V>(aHi, V::Hi8(s, zero), dHi);
        }
        T colours = V::Pack16(lo, hi);
        if constexpr (Rule::kCopyOntoTransparent) colours = V::Select(V::Eq32(da, zero), s, colours);
        const T alpha =
            kPreserve
                ? da
                : V::Sub32(V::Set32(255), Mul8<V>(V::Sub32(V::Set32(255), a), V::Sub32(V::Set32(255), da)));
        V::Store(at, V::Select(clear, d, WithAlpha<V>(colours, alpha)));
    });
}

// Colour dodge: no background step; each colour is first scaled by its own alpha, then divided by
// 255 - Mul8(s, a).
template <class V, bool kPreserve>
int32 ColorDodgeLoop(const BlendArgs& inArgs) {
    using T = typename V::T;
    const T opacity = V::Set32(inArgs.opacity);
    return ForEachVector<V>(inArgs, [&](T s, NativeQuad* at, int32, int32) {
        const T a = Mul8<V>(V::Srli32(s, 24), opacity);
        const T clear = V::Eq32(a, V::Zero());
        if (V::AllSet(clear)) return;
        const T d = V::Load(at);
        const T da = V::Srli32(d, 24);
        const T zero = V::Zero();
        const T full = V::Set16(255);
        T aLo, aHi, daLo, daHi;
        Spread<V>(a, aLo, aHi);
        Spread<V>(da, daLo, daHi);
        const T lo = Div16<V>(Mul8<V>(V::Lo8(d, zero), daLo), V::Sub16(full, Mul8<V>(V::Lo8(s, zero), aLo)));
        const T hi = Div16<V>(Mul8<V>(V::Hi8(d, zero), daHi), V::Sub16(full, Mul8<V>(V::Hi8(s, zero), aHi)));
        const T alpha =
            kPreserve
                ? da
                : V::Sub32(V::Set32(255), Mul8<V>(V::Sub32(V::Set32(255), a), V::Sub32(V::Set32(255), da)));
        V::Store(at, V::Select(clear, d, WithAlpha<V>(V::Pack16(lo, hi), alpha)));
    });
}

// Erase: d.a = Mul8(255 - a, d.a); colours stay (and with preserved transparency everything does).
template <class V>
int32 EraseLoop(const BlendArgs& inArgs) {
    using T = typename V::T;
    const T opacity = V::Set32(inArgs.opacity);
    return ForEachVector<V>(inArgs, [&](T s, NativeQuad* at, int32, int32) {
        const T a = Mul8<V>(V::Srli32(s, 24), opacity);
        if (V::AllSet(V::Eq32(a, V::Zero()))) return;
        const T d = V::Load(at);
        V::Store(at, WithAlpha<V>(d, Mul8<V>(V::Sub32(V::Set32(255), a), V::Srli32(d, 24))));
    });
}

// Dissolve: the source made opaque wherever a != 0 and noise <= a. The noise row is read from a copy
// extended by one vector so that a run crossing the pattern's edge stays contiguous.
template <class V>
int32 DissolveLoop(const BlendArgs& inArgs) {
    using T = typename V::T;
    const T opacity = V::Set32(inArgs.opacity);
    const T opaque = V::Set32(int32(0xFF000000u));
    uint8 noise[128 + V::kPixels];
    int32 noiseRow = -1;
    return ForEachVector<V>(inArgs, [&](T s, NativeQuad* at, int32 x, int32 y) {
        if (noiseRow != (y & 127)) {
            noiseRow = y & 127;
            for (int32 i = 0; i < 128 + V::kPixels; ++i) noise[i] = DissolveNoiseAt(i, y);
        }
        const T a = Mul8<V>(V::Srli32(s, 24), opacity);
        const T n = V::LoadBytesTo32(noise + (x & 127));
        // copy where a != 0 and n <= a, i.e. not (a == 0 or n > a); n > a is Min16(n, a) != n.
        const T keep = V::Or(V::Eq32(a, V::Zero()), V::AndNot(V::Eq32(V::Min16(n, a), n), V::Set32(-1)));
        if (V::AllSet(keep)) return;
        V::Store(at, V::Select(keep, V::Load(at), V::Or(s, opaque)));
    });
}

// Behind: where the destination is not opaque the source goes under it and the old destination is laid
// back on top at the opacity: a = Mul8(d.a, opacity), alpha n = Screen8(a, s.a), colours
// s.c + Mul8Signed(Div8(a, n), d.c - s.c) (with a <= n; a = 0 gives the source itself).
template <class V, bool kPreserve>
int32 BehindLoop(const BlendArgs& inArgs) {
    using T = typename V::T;
    const T opacity = V::Set32(inArgs.opacity);
    const T full = V::Set32(255);
    return ForEachVector<V>(inArgs, [&](T s, NativeQuad* at, int32, int32) {
        const T d = V::Load(at);
        const T da = V::Srli32(d, 24);
        const T opaque = V::Eq32(da, full);
        if (V::AllSet(opaque)) return;
        const T a = Mul8<V>(da, opacity);
        const T n = V::Sub32(full, Mul8<V>(V::Sub32(full, a), V::Sub32(full, V::Srli32(s, 24))));
        const T mixed = MixBytesByLanes<V>(d, s, Div8Quotient<V>(a, n));
        V::Store(at, V::Select(opaque, d, WithAlpha<V>(mixed, kPreserve ? da : n)));
    });
}

}  // namespace BlendVector

#include "Src/Orvane/Src/Image/BlendVectorHsl.h"
#include "Src/Orvane/Src/Image/BlendVectorNormal.h"

namespace BlendVector {

template <class V, class Colours>
int32 NonSeparable(const BlendArgs& inArgs) {
    return inArgs.preserveTransparency ? NonSeparableLoop<V, Colours, true>(inArgs)
                                       : NonSeparableLoop<V, Colours, false>(inArgs);
}

// The vector loop of a mode, or 0 columns when the mode has none.
template <class V>
int32 BlendVectorColumns(const BlendArgs& inArgs, uint32 inMode) {
    const bool preserve = inArgs.preserveTransparency;
#define LUMENAR_SEPARABLE(rule) \
    return preserve ? SeparableLoop<V, rule, true>(inArgs) : SeparableLoop<V, rule, false>(inArgs)
    switch (inMode) {
        case kBlendNormal:
            if (inArgs.opacity == 255)
                return preserve ? NormalLoop<V, true, true>(inArgs) : NormalLoop<V, false, true>(inArgs);
            return preserve ? NormalLoop<V, true, false>(inArgs) : NormalLoop<V, false, false>(inArgs);
        case kBlendDarken:
            LUMENAR_SEPARABLE(Darken);
        case kBlendLighten:
            LUMENAR_SEPARABLE(Lighten);
        case kBlendMultiply:
            LUMENAR_SEPARABLE(Multiply);
        case kBlendScreen:
            LUMENAR_SEPARABLE(Screen);
        case kBlendOverlay:
            LUMENAR_SEPARABLE(Overlay);
        case kBlendHardLight:
            LUMENAR_SEPARABLE(HardLight);
        case kBlendDifference:
            LUMENAR_SEPARABLE(Difference);
        case kBlendExclusion:
            LUMENAR_SEPARABLE(Exclusion);
        case kBlendColorBurn:
            LUMENAR_SEPARABLE(ColorBurn);
        case kBlendSoftLight:
            LUMENAR_SEPARABLE(SoftLight);
        case kBlendCurveLighten:
            LUMENAR_SEPARABLE(CurveLighten);
        case kBlendCurveDarken:
            LUMENAR_SEPARABLE(CurveDarken);
        case kBlendScaleLighten:
            LUMENAR_SEPARABLE(ScaleLighten);
        case kBlendScaleDarken:
            LUMENAR_SEPARABLE(ScaleDarken);
        case kBlendBehind:
            return preserve ? BehindLoop<V, true>(inArgs) : BehindLoop<V, false>(inArgs);
        case kBlendHue:
            return NonSeparable<V, HueColours>(inArgs);
        case kBlendSaturation:
            return NonSeparable<V, SaturationColours>(inArgs);
        case kBlendColor:
            return NonSeparable<V, ColorColours>(inArgs);
        case kBlendLuminosity:
            return NonSeparable<V, LuminosityColours>(inArgs);
        case kBlendColorDodge:
            return preserve ? ColorDodgeLoop<V, true>(inArgs) : ColorDodgeLoop<V, false>(inArgs);
        // With preserved transparency erase changes nothing at all.
        case kBlendErase:
            return preserve ? inArgs.rect.Width() / V::kPixels * V::kPixels : EraseLoop<V>(inArgs);
        case kBlendDissolve:
            return DissolveLoop<V>(inArgs);
        default:
            return 0;
    }
#undef LUMENAR_SEPARABLE
}

}  // namespace BlendVector
