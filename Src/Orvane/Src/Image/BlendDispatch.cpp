#include "Src/Orvane/Src/Image/BlendDispatch.h"

namespace {

BlendInstructionSet Detect() {
#if LUMENAR_BLEND_VECTORS
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512dq"))
        return __builtin_cpu_supports("avx512vbmi") ? BlendInstructionSet::kAvx512Vbmi
                                                    : BlendInstructionSet::kAvx512;
    if (__builtin_cpu_supports("avx2")) return BlendInstructionSet::kAvx2;
    return BlendInstructionSet::kSse2;
#else
    return BlendInstructionSet::kScalar;
#endif
}

BlendInstructionSet& InUse() {
    static BlendInstructionSet sInUse = SupportedBlendInstructionSet();
    return sInUse;
}

}  // namespace

BlendInstructionSet SupportedBlendInstructionSet() {
    static const BlendInstructionSet sSupported = Detect();
    return sSupported;
}

BlendInstructionSet SelectBlendInstructionSet(BlendInstructionSet inWanted) {
    InUse() =
        int32(inWanted) < int32(SupportedBlendInstructionSet()) ? inWanted : SupportedBlendInstructionSet();
    return InUse();
}

BlendInstructionSet CurrentBlendInstructionSet() {
    return InUse();
}

int32 BlendVectorColumns(const BlendArgs& inArgs, uint32 inMode) {
#if LUMENAR_BLEND_VECTORS
    switch (InUse()) {
        case BlendInstructionSet::kAvx512Vbmi:
            return BlendColumnsAvx512Vbmi(inArgs, inMode);
        case BlendInstructionSet::kAvx512:
            return BlendColumnsAvx512(inArgs, inMode);
        case BlendInstructionSet::kAvx2:
            return BlendColumnsAvx2(inArgs, inMode);
        case BlendInstructionSet::kSse2:
            return BlendColumnsSse2(inArgs, inMode);
        case BlendInstructionSet::kScalar:
            break;
    }
#else
    (void)inArgs;
    (void)inMode;
#endif
    return 0;
}
