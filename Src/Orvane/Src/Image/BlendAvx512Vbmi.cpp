// The AVX-512 loops again, for processors that also have the byte permutes (VBMI): a lookup in a table of
// 256 bytes takes two permutes of 128 entries instead of sixteen shuffles, which the table-driven modes
// (soft light, curve lighten) feel. Compiled for those instructions after the includes, and called only
// where the processor reports them.
#include "Src/Orvane/Src/Image/BlendDispatch.h"

#if LUMENAR_BLEND_VECTORS
#include <immintrin.h>

#include "Src/Orvane/Src/Image/BlendKernels.h"
#include "Src/Orvane/Src/Image/BlendLoop.h"
#include "Src/Orvane/Src/Image/BlendModes.h"

#pragma GCC push_options
#pragma GCC target("avx2,avx512f,avx512bw,avx512dq,avx512vbmi")
#if defined(__clang__)  // clang takes the same target as a function attribute
#pragma clang attribute push(__attribute__((target("avx2,avx512f,avx512bw,avx512dq,avx512vbmi"))), \
                             apply_to = function)
#endif
// GCC 12 takes the undefined vectors inside its own AVX-512 intrinsics for uninitialised values.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"

#include "Src/Orvane/Src/Image/BlendV512.h"
#include "Src/Orvane/Src/Image/BlendVector.h"

namespace {

struct V512Vbmi : V512 {
    // Entries 0 to 127 and 128 to 255, each by the byte's low seven bits; its high bit picks the half.
    static T LookupBytes(const std::array<uint8, 256>& table, T x) {
        const uint8* entries = table.data();
        const T low =
            _mm512_permutex2var_epi8(_mm512_loadu_si512(entries), x, _mm512_loadu_si512(entries + 64));
        const T high =
            _mm512_permutex2var_epi8(_mm512_loadu_si512(entries + 128), x, _mm512_loadu_si512(entries + 192));
        return _mm512_mask_blend_epi8(_mm512_movepi8_mask(x), low, high);
    }

    // Bytes from the low bytes of the 16-bit lanes of even (the even bytes) and of odd (the odd ones),
    // in one permute.
    static T WeaveBytes(T even, T odd) {
        static constexpr std::array<uint8, 64> kWeave = [] {
            std::array<uint8, 64> weave{};
            for (size_t i = 0; i < weave.size(); ++i) weave[i] = uint8((i & ~size_t(1)) | ((i & 1) << 6));
            return weave;
        }();
        return _mm512_permutex2var_epi8(even, _mm512_loadu_si512(kWeave.data()), odd);
    }
};

}  // namespace

int32 BlendColumnsAvx512Vbmi(const BlendArgs& inArgs, uint32 inMode) {
    return BlendVector::BlendVectorColumns<V512Vbmi>(inArgs, inMode);
}

#pragma GCC diagnostic pop
#if defined(__clang__)
#pragma clang attribute pop
#endif
#pragma GCC pop_options
#endif
