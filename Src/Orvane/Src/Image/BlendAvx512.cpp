// The AVX-512 instantiation of the vector blend loops: sixteen pixels per vector. As for AVX2, only the
// code after the includes is compiled for these instructions, and the dispatcher calls it only on
// processors that report AVX-512 F, BW and DQ. Comparisons keep the vector form the loops expect (all
// ones or zero per lane); selections turn them back into masks.
#include "Src/Orvane/Src/Image/BlendDispatch.h"

#if LUMENAR_BLEND_VECTORS
#include <immintrin.h>

#include "Src/Orvane/Src/Image/BlendKernels.h"
#include "Src/Orvane/Src/Image/BlendLoop.h"
#include "Src/Orvane/Src/Image/BlendModes.h"

#pragma GCC push_options
#pragma GCC target("avx2,avx512f,avx512bw,avx512dq")
#if defined(__clang__)  // clang takes the same target as a function attribute
#pragma clang attribute push(__attribute__((target("avx2,avx512f,avx512bw,avx512dq"))), apply_to = function)
#endif
// GCC 12 takes the undefined vectors inside its own AVX-512 intrinsics for uninitialised values.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"

#include "Src/Orvane/Src/Image/BlendV512.h"
#include "Src/Orvane/Src/Image/BlendVector.h"

int32 BlendColumnsAvx512(const BlendArgs& inArgs, uint32 inMode) {
    return BlendVector::BlendVectorColumns<V512>(inArgs, inMode);
}

#pragma GCC diagnostic pop
#if defined(__clang__)
#pragma clang attribute pop
#endif
#pragma GCC pop_options
#endif
