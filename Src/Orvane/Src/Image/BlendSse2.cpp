// The SSE2 instantiation of the vector blend loops: four pixels per vector.
#include "Src/Orvane/Src/Image/BlendDispatch.h"

#if LUMENAR_BLEND_VECTORS
#include <emmintrin.h>

#include <cstring>

#include "Src/Orvane/Src/Image/BlendVector.h"

namespace {

struct V128 {
    using T = __m128i;
    static constexpr int32 kPixels = 4;

    static T Load(const NativeQuad* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
    static void Store(NativeQuad* p, T v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
    static T LoadBytesTo32(const uint8* p) {
        int32 word;
        std::memcpy(&word, p, 4);
        const T zero = _mm_setzero_si128();
        return _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(word), zero), zero);
    }
    static T Zero() { return _mm_setzero_si128(); }
    static T Set32(int32 v) { return _mm_set1_epi32(v); }
    static T Set16(int32 v) { return _mm_set1_epi16(int16(v)); }
    static T And(T a, T b) { return _mm_and_si128(a, b); }
    static T AndNot(T a, T b) { return _mm_andnot_si128(a, b); }
    static T Or(T a, T b) { return _mm_or_si128(a, b); }
    static T Select(T m, T a, T b) { return _mm_or_si128(_mm_and_si128(m, a), _mm_andnot_si128(m, b)); }
    static T Add8(T a, T b) { return _mm_add_epi8(a, b); }
    static T Sub8(T a, T b) { return _mm_sub_epi8(a, b); }
    static T SubSat8(T a, T b) { return _mm_subs_epu8(a, b); }
    static T Eq8(T a, T b) { return _mm_cmpeq_epi8(a, b); }
    static T Add16(T a, T b) { return _mm_add_epi16(a, b); }
    static T Sub16(T a, T b) { return _mm_sub_epi16(a, b); }
    static T SubSat16(T a, T b) { return _mm_subs_epu16(a, b); }
    static T Mullo16(T a, T b) { return _mm_mullo_epi16(a, b); }
    static T Mulhi16(T a, T b) { return _mm_mulhi_epu16(a, b); }
    static T Min16(T a, T b) { return _mm_min_epi16(a, b); }
    static T Max16(T a, T b) { return _mm_max_epi16(a, b); }
    static T Lt16(T a, T b) { return _mm_cmplt_epi16(a, b); }
    static T Spread16Lo(T a) {
        const T pairs = SpreadHalves(a);
        return _mm_unpacklo_epi32(pairs, pairs);
    }
    static T Spread16Hi(T a) {
        const T pairs = SpreadHalves(a);
        return _mm_unpackhi_epi32(pairs, pairs);
    }
    static T Lookup32(const uint32* table, T indices) {
        alignas(16) uint32 lanes[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(lanes), indices);
        return _mm_setr_epi32(int32(table[lanes[0]]), int32(table[lanes[1]]), int32(table[lanes[2]]),
                              int32(table[lanes[3]]));
    }
    static T Slli16(T a, int n) { return _mm_slli_epi16(a, n); }
    static T Add32(T a, T b) { return _mm_add_epi32(a, b); }
    static T Sub32(T a, T b) { return _mm_sub_epi32(a, b); }
    static T Srli16(T a, int n) { return _mm_srli_epi16(a, n); }
    static T Srli32(T a, int n) { return _mm_srli_epi32(a, n); }
    static T Slli32(T a, int n) { return _mm_slli_epi32(a, n); }
    static T Eq32(T a, T b) { return _mm_cmpeq_epi32(a, b); }
    static T Lt32(T a, T b) { return _mm_cmplt_epi32(a, b); }
    static T Lo8(T a, T b) { return _mm_unpacklo_epi8(a, b); }
    static T Hi8(T a, T b) { return _mm_unpackhi_epi8(a, b); }
    static T Lo16(T a, T b) { return _mm_unpacklo_epi16(a, b); }
    static T Hi16(T a, T b) { return _mm_unpackhi_epi16(a, b); }
    static T SpreadHalves(T a) { return _mm_or_si128(a, _mm_slli_epi32(a, 16)); }
    static T SpreadLo(T a) {
        const T pairs = SpreadHalves(a);
        return _mm_unpacklo_epi32(pairs, pairs);
    }
    static T SpreadHi(T a) {
        const T pairs = SpreadHalves(a);
        return _mm_unpackhi_epi32(pairs, pairs);
    }
    static T Pack16(T a, T b) { return _mm_packus_epi16(a, b); }
    static T Packs32(T a, T b) { return _mm_packs_epi32(a, b); }
    static bool AllSet(T a) { return _mm_movemask_epi8(a) == 0xFFFF; }
    static T AbsDiff8(T a, T b) { return Or(SubSat8(a, b), SubSat8(b, a)); }
    // m negated where a < b ((m ^ -1) - -1 = -m), then added.
    static T AddWhereNotBelow8(T d, T m, T a, T b) {
        const T down = Eq8(SubSat8(a, b), Zero());
        return Add8(d, Sub8(Xor(m, down), down));
    }
    static T Xor(T a, T b) { return _mm_xor_si128(a, b); }
    static bool AllZero(T a) { return _mm_movemask_epi8(_mm_cmpeq_epi8(a, _mm_setzero_si128())) == 0xFFFF; }
    static T WhereNonZero32(T a, T b) { return AndNot(Eq32(b, Zero()), a); }
    static T MergeAlpha(T colours, T alpha) { return Select(Set32(int32(0xFF000000u)), alpha, colours); }
    static T Max32(T a, T b) { return Select(Lt32(a, b), b, a); }
    static T Min32(T a, T b) { return Select(Lt32(a, b), a, b); }
    static T Madd16(T a, T b) { return _mm_madd_epi16(a, b); }
    static T MulDivTrunc32(T a, T b, T c) {
        return _mm_cvttps_epi32(
            _mm_div_ps(_mm_mul_ps(_mm_cvtepi32_ps(a), _mm_cvtepi32_ps(b)), _mm_cvtepi32_ps(c)));
    }
    // SSE2 has no byte shuffle: the bytes are looked up one by one.
    static T LookupBytes(const std::array<uint8, 256>& table, T x) {
        alignas(16) uint8 bytes[16];
        _mm_store_si128(reinterpret_cast<__m128i*>(bytes), x);
        for (uint8& b : bytes) b = table[b];
        return _mm_load_si128(reinterpret_cast<const __m128i*>(bytes));
    }
    static T DivFloor32(T a, T b) {
        return _mm_cvttps_epi32(_mm_div_ps(_mm_cvtepi32_ps(a), _mm_cvtepi32_ps(b)));
    }
};

}  // namespace

int32 BlendColumnsSse2(const BlendArgs& inArgs, uint32 inMode) {
    return BlendVector::BlendVectorColumns<V128>(inArgs, inMode);
}
#endif
