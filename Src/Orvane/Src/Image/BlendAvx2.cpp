// The AVX2 instantiation of the vector blend loops: eight pixels per vector. Everything after the
// includes is compiled for AVX2 through the target pragma (the rest of the program keeps the baseline),
// and the dispatcher calls it only on processors that have AVX2.
#include "Src/Orvane/Src/Image/BlendDispatch.h"

#if LUMENAR_BLEND_VECTORS
#include <immintrin.h>

#include "Src/Orvane/Src/Image/BlendKernels.h"
#include "Src/Orvane/Src/Image/BlendLoop.h"
#include "Src/Orvane/Src/Image/BlendModes.h"

#pragma GCC push_options
#pragma GCC target("avx2")
#if defined(__clang__)  // clang takes the same target as a function attribute
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#endif

#include "Src/Orvane/Src/Image/BlendVector.h"

namespace {

struct V256 {
    using T = __m256i;
    static constexpr int32 kPixels = 8;

    // Holds v in a register the compiler must treat as unknown, so it is not rebuilt inside a loop.
    static void Pin(T& v) { __asm__("" : "+x"(v)); }
    static T Load(const NativeQuad* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
    static void Store(NativeQuad* p, T v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
    static T LoadBytesTo32(const uint8* p) {
        return _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
    }
    static T Zero() { return _mm256_setzero_si256(); }
    static T Set32(int32 v) { return _mm256_set1_epi32(v); }
    static T Set16(int32 v) { return _mm256_set1_epi16(int16(v)); }
    static T And(T a, T b) { return _mm256_and_si256(a, b); }
    static T AndNot(T a, T b) { return _mm256_andnot_si256(a, b); }
    static T Or(T a, T b) { return _mm256_or_si256(a, b); }
    static T Select(T m, T a, T b) { return _mm256_blendv_epi8(b, a, m); }
    static T Add8(T a, T b) { return _mm256_add_epi8(a, b); }
    static T Sub8(T a, T b) { return _mm256_sub_epi8(a, b); }
    static T SubSat8(T a, T b) { return _mm256_subs_epu8(a, b); }
    static T Eq8(T a, T b) { return _mm256_cmpeq_epi8(a, b); }
    static T Add16(T a, T b) { return _mm256_add_epi16(a, b); }
    static T Sub16(T a, T b) { return _mm256_sub_epi16(a, b); }
    static T SubSat16(T a, T b) { return _mm256_subs_epu16(a, b); }
    static T Mullo16(T a, T b) { return _mm256_mullo_epi16(a, b); }
    static T Mulhi16(T a, T b) { return _mm256_mulhi_epu16(a, b); }
    static T Min16(T a, T b) { return _mm256_min_epi16(a, b); }
    static T Max16(T a, T b) { return _mm256_max_epi16(a, b); }
    static T Lt16(T a, T b) { return _mm256_cmpgt_epi16(b, a); }
    static T Spread16Lo(T a) {
        return _mm256_shuffle_epi8(a, _mm256_setr_epi8(0, 1, 0, 1, 0, 1, 0, 1, 4, 5, 4, 5, 4, 5, 4, 5, 0, 1,
                                                       0, 1, 0, 1, 0, 1, 4, 5, 4, 5, 4, 5, 4, 5));
    }
    static T Spread16Hi(T a) {
        return _mm256_shuffle_epi8(
            a, _mm256_setr_epi8(8, 9, 8, 9, 8, 9, 8, 9, 12, 13, 12, 13, 12, 13, 12, 13, 8, 9, 8, 9, 8, 9, 8,
                                9, 12, 13, 12, 13, 12, 13, 12, 13));
    }
    static T Lookup32(const uint32* table, T indices) {
        return _mm256_i32gather_epi32(reinterpret_cast<const int*>(table), indices, 4);
    }
    static T Slli16(T a, int n) { return _mm256_slli_epi16(a, n); }
    static T Add32(T a, T b) { return _mm256_add_epi32(a, b); }
    static T Sub32(T a, T b) { return _mm256_sub_epi32(a, b); }
    static T Srli16(T a, int n) { return _mm256_srli_epi16(a, n); }
    static T Srli32(T a, int n) { return _mm256_srli_epi32(a, n); }
    static T Slli32(T a, int n) { return _mm256_slli_epi32(a, n); }
    static T Eq32(T a, T b) { return _mm256_cmpeq_epi32(a, b); }
    static T Lt32(T a, T b) { return _mm256_cmpgt_epi32(b, a); }
    static T Lo8(T a, T b) { return _mm256_unpacklo_epi8(a, b); }
    static T Hi8(T a, T b) { return _mm256_unpackhi_epi8(a, b); }
    static T Lo16(T a, T b) { return _mm256_unpacklo_epi16(a, b); }
    static T Hi16(T a, T b) { return _mm256_unpackhi_epi16(a, b); }
    static T SpreadHalves(T a) {
        return _mm256_shuffle_epi8(a, _mm256_broadcastsi128_si256(_mm_setr_epi8(0, -1, 0, -1, 4, -1, 4, -1, 8,
                                                                                -1, 8, -1, 12, -1, 12, -1)));
    }
    static T SpreadLo(T a) {
        return _mm256_shuffle_epi8(
            a, _mm256_setr_epi8(0, -1, 0, -1, 0, -1, 0, -1, 4, -1, 4, -1, 4, -1, 4, -1, 0, -1, 0, -1, 0, -1,
                                0, -1, 4, -1, 4, -1, 4, -1, 4, -1));
    }
    static T SpreadHi(T a) {
        return _mm256_shuffle_epi8(
            a, _mm256_setr_epi8(8, -1, 8, -1, 8, -1, 8, -1, 12, -1, 12, -1, 12, -1, 12, -1, 8, -1, 8, -1, 8,
                                -1, 8, -1, 12, -1, 12, -1, 12, -1, 12, -1));
    }
    static T Pack16(T a, T b) { return _mm256_packus_epi16(a, b); }
    static T Packs32(T a, T b) { return _mm256_packs_epi32(a, b); }
    static bool AllSet(T a) { return _mm256_movemask_epi8(a) == -1; }
    static T AbsDiff8(T a, T b) { return Or(SubSat8(a, b), SubSat8(b, a)); }
    // m negated where a < b ((m ^ -1) - -1 = -m), then added.
    static T AddWhereNotBelow8(T d, T m, T a, T b) {
        const T down = Eq8(SubSat8(a, b), Zero());
        return Add8(d, Sub8(Xor(m, down), down));
    }
    static T Xor(T a, T b) { return _mm256_xor_si256(a, b); }
    static bool AllZero(T a) { return _mm256_testz_si256(a, a) != 0; }
    static T WhereNonZero32(T a, T b) { return AndNot(Eq32(b, Zero()), a); }
    static T MergeAlpha(T colours, T alpha) { return Select(Set32(int32(0xFF000000u)), alpha, colours); }
    static T Max32(T a, T b) { return _mm256_max_epi32(a, b); }
    static T Min32(T a, T b) { return _mm256_min_epi32(a, b); }
    static T Madd16(T a, T b) { return _mm256_madd_epi16(a, b); }
    static T MulDivTrunc32(T a, T b, T c) {
        return _mm256_cvttps_epi32(_mm256_div_ps(_mm256_mul_ps(_mm256_cvtepi32_ps(a), _mm256_cvtepi32_ps(b)),
                                                 _mm256_cvtepi32_ps(c)));
    }
    // Sixteen byte shuffles, one per row of sixteen entries. For row r the index x ^ 16r has its high half
    // clear only where x lies in that row; adding 0x70 with saturation then sets bit 7 everywhere else,
    // which makes the shuffle give 0 there.
    static T LookupBytes(const std::array<uint8, 256>& table, T x) {
        T looked = Zero();
        for (int32 row = 0; row < 16; ++row) {
            const T entries = _mm256_broadcastsi128_si256(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(table.data() + 16 * row)));
            const T index = _mm256_adds_epu8(_mm256_xor_si256(x, _mm256_set1_epi8(int8(16 * row))),
                                             _mm256_set1_epi8(0x70));
            looked = _mm256_or_si256(looked, _mm256_shuffle_epi8(entries, index));
        }
        return looked;
    }
    static T DivFloor32(T a, T b) {
        return _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(a), _mm256_cvtepi32_ps(b)));
    }
};

}  // namespace

int32 BlendColumnsAvx2(const BlendArgs& inArgs, uint32 inMode) {
    return BlendVector::BlendVectorColumns<V256>(inArgs, inMode);
}

#if defined(__clang__)
#pragma clang attribute pop
#endif
#pragma GCC pop_options
#endif
