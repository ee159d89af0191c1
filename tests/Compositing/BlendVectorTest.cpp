// The SSE2, AVX2 and AVX-512 blend loops against the scalar loops, byte for byte. The images pair every
// source alpha with every destination alpha, and every source component with every destination component (a
// different pairing per colour), so each vector path meets every (s.a, d.a) and (s.c, d.c) case; normal
// mode runs at every opacity, the others at the opacities where the arithmetic turns.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Src/Orvane/Src/Image/BlendDispatch.h"
#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Pellin/Isol/ByteTables.h"

namespace {

constexpr int32 kSide = 256;
constexpr GRect kRect(-37, 1001, -37 + kSide, 1001 + kSide);  // off the vector grid of the dissolve noise

// Pixel i = y * 256 + x: alphas (x, y); each colour pairs (s, d) = the bytes of (i * multiplier) mod 2^16.
std::vector<NativeQuad> Pairs(bool inSource) {
    std::vector<NativeQuad> quads(size_t(kSide) * kSide);
    for (uint32 i = 0; i < quads.size(); ++i) {
        auto component = [&](uint32 multiplier) {
            const uint32 pair = (i * multiplier) & 0xFFFF;
            return uint8(inSource ? pair : pair >> 8);
        };
        quads[i] = MakeNativeQuad(component(40503), component(1), component(27751),
                                  uint8(inSource ? i & 255 : i >> 8));
    }
    return quads;
}

class BlendVectorTest : public testing::TestWithParam<uint32> {
protected:
    static void SetUpTestSuite() { BuildByteTables(); }
    void TearDown() override { SelectBlendInstructionSet(SupportedBlendInstructionSet()); }

    std::vector<NativeQuad> Blend(BlendInstructionSet inSet, uint8 inOpacity, bool inPreserve) const {
        EXPECT_EQ(SelectBlendInstructionSet(inSet), inSet);
        std::vector<NativeQuad> result = mDst;
        BlendTile(kRect, mSrc.data(), kSide * 4, result.data(), kSide * 4, GetParam(), inOpacity, inPreserve);
        return result;
    }

    const std::vector<NativeQuad> mSrc = Pairs(true);
    const std::vector<NativeQuad> mDst = Pairs(false);
};

TEST_P(BlendVectorTest, EveryInstructionSetGivesTheScalarBytes) {
    std::vector<uint8> opacities = {0, 1, 77, 127, 128, 200, 254, 255};
    if (GetParam() == kBlendNormal)
        for (int32 o = 0; o < 256; ++o) opacities.push_back(uint8(o));
    std::vector<BlendInstructionSet> sets;
    for (BlendInstructionSet set :
         {BlendInstructionSet::kSse2, BlendInstructionSet::kAvx2, BlendInstructionSet::kAvx512})
        if (int32(set) <= int32(SupportedBlendInstructionSet())) sets.push_back(set);
    if (sets.size() < 3)
        std::cout << "note: this processor runs only the first " << sets.size() << " vector sets\n";
    for (bool preserve : {false, true}) {
        for (uint8 opacity : opacities) {
            const std::vector<NativeQuad> expected = Blend(BlendInstructionSet::kScalar, opacity, preserve);
            for (BlendInstructionSet set : sets) {
                const std::vector<NativeQuad> got = Blend(set, opacity, preserve);
                if (got == expected) continue;
                size_t i = 0;
                while (got[i] == expected[i]) ++i;
                FAIL() << "set " << int32(set) << " opacity " << int(opacity) << " preserve " << preserve
                       << " pixel " << i << ": s " << std::hex << NativeQuadToWord(mSrc[i]) << " d "
                       << NativeQuadToWord(mDst[i]) << " got " << NativeQuadToWord(got[i]) << " expected "
                       << NativeQuadToWord(expected[i]);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllModes, BlendVectorTest, testing::ValuesIn(kAllBlendModes),
                         [](const testing::TestParamInfo<uint32>& param) {
                             return std::to_string(param.param);
                         });

TEST(BlendInstructionSetTest, AskingForMoreThanTheProcessorHasGivesTheBestItHas) {
    const BlendInstructionSet best = SupportedBlendInstructionSet();
    EXPECT_EQ(SelectBlendInstructionSet(BlendInstructionSet::kAvx512), best);
    EXPECT_EQ(SelectBlendInstructionSet(BlendInstructionSet::kScalar), BlendInstructionSet::kScalar);
    EXPECT_EQ(CurrentBlendInstructionSet(), BlendInstructionSet::kScalar);
    SelectBlendInstructionSet(best);
}

}  // namespace
