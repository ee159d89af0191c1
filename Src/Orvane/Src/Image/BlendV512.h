// The AVX-512 vector of the blend loops: sixteen pixels, with the operations BlendVector.h asks of a
// vector type. Included only after the pragmas of a file compiled for AVX-512 F, BW and DQ.
#pragma once

#include <immintrin.h>

#include <array>

#include "Src/Orvane/Src/Image/BlendLoop.h"

namespace {

struct V512 {
    using T = __m512i;
    static constexpr int32 kPixels = 16;

    // Holds v in a register the compiler must treat as unknown, so it is not rebuilt inside a loop.
    static void Pin(T& v) { __asm__("" : "+v"(v)); }
    static T Load(const NativeQuad* p) { return _mm512_loadu_si512(p); }
    static void Store(NativeQuad* p, T v) { _mm512_storeu_si512(p, v); }
    static T LoadBytesTo32(const uint8* p) {
        return _mm512_cvtepu8_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    }
    static T Zero() { return _mm512_setzero_si512(); }
    static T Set32(int32 v) { return _mm512_set1_epi32(v); }
    static T Set16(int32 v) { return _mm512_set1_epi16(int16(v)); }
    static T And(T a, T b) { return _mm512_and_si512(a, b); }
    static T AndNot(T a, T b) { return _mm512_andnot_si512(a, b); }
    static T Or(T a, T b) { return _mm512_or_si512(a, b); }
    static T Select(T m, T a, T b) { return _mm512_mask_blend_epi8(_mm512_movepi8_mask(m), b, a); }
    static T Add16(T a, T b) { return _mm512_add_epi16(a, b); }
    static T Sub16(T a, T b) { return _mm512_sub_epi16(a, b); }
    static T SubSat16(T a, T b) { return _mm512_subs_epu16(a, b); }
    static T Mullo16(T a, T b) { return _mm512_mullo_epi16(a, b); }
    static T Mulhi16(T a, T b) { return _mm512_mulhi_epu16(a, b); }
    static T Min16(T a, T b) { return _mm512_min_epi16(a, b); }
    static T Max16(T a, T b) { return _mm512_max_epi16(a, b); }
    static T Lt16(T a, T b) { return _mm512_movm_epi16(_mm512_cmplt_epi16_mask(a, b)); }
    static T Spread16Lo(T a) { return _mm512_shuffle_epi8(a, Control(0, 1, 4, 5)); }
    static T Spread16Hi(T a) { return _mm512_shuffle_epi8(a, Control(8, 9, 12, 13)); }
    static T SpreadHalves(T a) {
        return _mm512_shuffle_epi8(a, _mm512_broadcast_i32x4(_mm_setr_epi8(0, -1, 0, -1, 4, -1, 4, -1, 8, -1,
                                                                           8, -1, 12, -1, 12, -1)));
    }
    static T SpreadLo(T a) { return _mm512_shuffle_epi8(a, Control(0, -1, 4, -1)); }
    static T SpreadHi(T a) { return _mm512_shuffle_epi8(a, Control(8, -1, 12, -1)); }
    static T Lookup32(const uint32* table, T indices) { return _mm512_i32gather_epi32(indices, table, 4); }
    static T Slli16(T a, int n) { return _mm512_slli_epi16(a, unsigned(n)); }
    static T Add32(T a, T b) { return _mm512_add_epi32(a, b); }
    static T Sub32(T a, T b) { return _mm512_sub_epi32(a, b); }
    static T Srli16(T a, int n) { return _mm512_srli_epi16(a, unsigned(n)); }
    static T Srli32(T a, int n) { return _mm512_srli_epi32(a, unsigned(n)); }
    static T Slli32(T a, int n) { return _mm512_slli_epi32(a, unsigned(n)); }
    static T Eq32(T a, T b) { return _mm512_movm_epi32(_mm512_cmpeq_epi32_mask(a, b)); }
    static T Lt32(T a, T b) { return _mm512_movm_epi32(_mm512_cmplt_epi32_mask(a, b)); }
    static T Lo8(T a, T b) { return _mm512_unpacklo_epi8(a, b); }
    static T Hi8(T a, T b) { return _mm512_unpackhi_epi8(a, b); }
    static T Lo16(T a, T b) { return _mm512_unpacklo_epi16(a, b); }
    static T Hi16(T a, T b) { return _mm512_unpackhi_epi16(a, b); }
    static T Pack16(T a, T b) { return _mm512_packus_epi16(a, b); }
    static T Packs32(T a, T b) { return _mm512_packs_epi32(a, b); }
    static bool AllSet(T a) { return _mm512_movepi8_mask(a) == ~__mmask64(0); }
    static T AbsDiff8(T a, T b) {
        return _mm512_mask_sub_epi8(_mm512_sub_epi8(a, b), _mm512_cmplt_epu8_mask(a, b), b, a);
    }
    static T AddWhereNotBelow8(T d, T m, T a, T b) {
        return _mm512_mask_sub_epi8(_mm512_add_epi8(d, m), _mm512_cmplt_epu8_mask(a, b), d, m);
    }
    static T MergeAlpha(T colours, T alpha) {
        return _mm512_mask_blend_epi8(__mmask64(0x8888888888888888ull), colours, alpha);
    }
    static T Xor(T a, T b) { return _mm512_xor_si512(a, b); }
    static T WhereNonZero32(T a, T b) { return _mm512_maskz_mov_epi32(_mm512_test_epi32_mask(b, b), a); }
    static bool AllZero(T a) { return _mm512_test_epi32_mask(a, a) == 0; }
    static T Max32(T a, T b) { return _mm512_max_epi32(a, b); }
    static T Min32(T a, T b) { return _mm512_min_epi32(a, b); }
    static T Madd16(T a, T b) { return _mm512_madd_epi16(a, b); }
    static T MulDivTrunc32(T a, T b, T c) {
        return _mm512_cvttps_epi32(_mm512_div_ps(_mm512_mul_ps(_mm512_cvtepi32_ps(a), _mm512_cvtepi32_ps(b)),
                                                 _mm512_cvtepi32_ps(c)));
    }
    // Sixteen byte shuffles, one per row of sixteen entries, each kept where the byte's high half names
    // its row.
    static T LookupBytes(const std::array<uint8, 256>& table, T x) {
        const T nibble = _mm512_set1_epi8(0x0F);
        const T low = _mm512_and_si512(x, nibble);
        const T high = _mm512_and_si512(_mm512_srli_epi16(x, 4), nibble);
        T looked = Zero();
        for (int32 row = 0; row < 16; ++row) {
            const T entries = _mm512_broadcast_i32x4(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(table.data() + 16 * row)));
            looked = _mm512_mask_shuffle_epi8(
                looked, _mm512_cmpeq_epi8_mask(high, _mm512_set1_epi8(int8(row))), entries, low);
        }
        return looked;
    }
    // (255x + y / 2) / y in single precision, rounded toward zero with exceptions suppressed: the
    // quotient of the whole numbers is x * 255 / y + 1/2, which is at least 1 / (2y) short of the next
    // whole number unless it is one, so truncating it gives floor(255x / y + 1/2) = Div8. A lane with
    // y = 0 divides 0 by 0 and leaves 0x80000000.
    static T Div8Rounded(T x, T y) {
        const __m512 fy = _mm512_cvtepi32_ps(y);
        const __m512 numerator = _mm512_fmadd_ps(_mm512_cvtepi32_ps(x), _mm512_set1_ps(255.0f),
                                                 _mm512_mul_ps(fy, _mm512_set1_ps(0.5f)));
        return _mm512_cvttps_epi32(
            _mm512_div_round_ps(numerator, fy, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC));
    }
    static T DivFloor32(T a, T b) {
        return _mm512_cvttps_epi32(_mm512_div_ps(_mm512_cvtepi32_ps(a), _mm512_cvtepi32_ps(b)));
    }

    // A shuffle control that repeats, in every 128-bit lane, bytes (b0, b1) of one 32-bit element into
    // the first four 16-bit lanes and bytes (b2, b3) of another into the last four (-1 gives zero).
    static T Control(int8 b0, int8 b1, int8 b2, int8 b3) {
        return _mm512_broadcast_i32x4(
            _mm_setr_epi8(b0, b1, b0, b1, b0, b1, b0, b1, b2, b3, b2, b3, b2, b3, b2, b3));
    }
};

}  // namespace
