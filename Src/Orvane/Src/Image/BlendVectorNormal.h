// The vector form of normal mode (internal to compositing; included by BlendVector.h, whose helpers it
// uses).
#pragma once

namespace BlendVector {

// Normal: one formula covers the four scalar loops. With a = Mul8(s.a, opacity) and n = Lerp8(a, d.a),
// w = Div8(a, n) is a itself over an opaque destination, 255 over a transparent one and 0 when a is 0,
// so skipped, copied and mixed pixels all come out of d.c += Mul8Signed(w, s.c - d.c) with alpha n.
// Preserved transparency keeps d.a and leaves a transparent destination alone (w = 0).
template <class V, bool kPreserve>
inline void NormalMix(typename V::T s, typename V::T a, NativeQuad* at, typename V::T full,
                      const MulConstants<V>& c) {
    using T = typename V::T;
    const T d = V::Load(at);
    const T da = V::Srli32(d, 24);
    const T n = V::Add32(Mul8<V>(V::Sub32(full, a), da, c), a);
    T w = Div8Quotient<V>(a, n);  // a <= n, and a = n gives 255
    if (kPreserve) w = V::WhereNonZero32(w, da);
    V::Store(at, WithAlpha<V>(MixBytesByLanes<V>(s, d, w, c), kPreserve ? da : n));
}

// Vectors whose coverages are all 0 or all 255 are skipped or copied. Testing for that costs about a
// tenth of a mix, so the test is made on the first vector of each run of four: a run that starts mixed
// is mixed whole, which gives the same bytes.
template <class V, bool kPreserve, bool kFull>
int32 NormalLoop(const BlendArgs& inArgs) {
    using T = typename V::T;
    constexpr int32 kRun = 4 * V::kPixels;
    MulConstants<V> c;
    c.Pin();
    T opacity = V::Set32(inArgs.opacity), full = V::Set32(255), one = V::Set32(1), ends = V::Set32(254);
    PinAll<V>(opacity, full, one, ends);
    const auto coverage = [&](T s) {
        const T sa = V::Srli32(s, 24);
        return kFull ? sa : Mul8<V>(sa, opacity, c);
    };
    const auto tested = [&](const NativeQuad* s, NativeQuad* at) {
        const T source = V::Load(s);
        const T a = coverage(source);
        if (V::AllZero(a)) return;
        if (!kPreserve && V::AllZero(V::Xor(a, full))) {
            V::Store(at, source);
            return;
        }
        NormalMix<V, kPreserve>(source, a, at, full, c);
    };
    const int32 columns = inArgs.rect.Width() / V::kPixels * V::kPixels;
    for (int32 row = 0; row < inArgs.rect.Height(); ++row) {
        const NativeQuad* s = inArgs.SrcRow(row);
        NativeQuad* d = inArgs.DstRow(row);
        int32 column = 0;
        for (; column + kRun <= columns; column += kRun) {
            const T first = V::Load(s + column);
            const T a = coverage(first);
            // a + 1 has none of the bits of 254 only for a = 0 and a = 255.
            if (V::AllZero(V::And(V::Add32(a, one), ends))) {
                for (int32 k = 0; k < kRun; k += V::kPixels) tested(s + column + k, d + column + k);
                continue;
            }
            NormalMix<V, kPreserve>(first, a, d + column, full, c);
            for (int32 k = V::kPixels; k < kRun; k += V::kPixels) {
                const T source = V::Load(s + column + k);
                NormalMix<V, kPreserve>(source, coverage(source), d + column + k, full, c);
            }
        }
        for (; column < columns; column += V::kPixels) tested(s + column, d + column);
    }
    return columns;
}

}  // namespace BlendVector
