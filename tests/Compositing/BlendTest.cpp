// The blend tables, BlendTile and BlendPlane against the reference model, values that are not modes, and
// the SSE2, AVX2 and AVX-512 blend loops against the scalar loops, byte for byte.
// The images of the vector comparison pair every source alpha with every destination alpha, and every
// source component with every destination component (a different pairing per colour), so each vector path
// meets every (s.a, d.a) and (s.c, d.c) case; normal mode runs at every opacity, the others at the
// opacities where the arithmetic turns.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "Src/Orvane/Src/Image/BlendDispatch.h"
#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Orvane/Src/Image/BlendTables.h"
#include "Src/Pellin/Isol/ByteTables.h"
#include "tests/Compositing/BlendReference.h"
#include "tests/support/ReportCapture.h"

namespace {

// The engine computes the curves in integers; the reference uses floating point.
TEST(BlendTables, EveryEntryMatchesTheCurvesAndTheNoiseGenerator) {
    for (int32 i = 0; i < 256; ++i) {
        EXPECT_EQ(SoftLightUp[size_t(i)], BlendReference::SoftLightUp(i)) << i;
        EXPECT_EQ(SoftLightDown[size_t(i)], BlendReference::SoftLightDown(i)) << i;
        EXPECT_EQ(ScaleFactor[size_t(i)], BlendReference::ScaleFactor(i)) << i;
    }
    for (int32 y = -128; y < 256; ++y)
        for (int32 x = -128; x < 256; x += 3)
            ASSERT_EQ(DissolveNoiseAt(x, y), BlendReference::Noise(x, y)) << x << "," << y;
}

// Padded rows of random quads (alphas and colours biased towards 0, 255, 128 and equal components, the
// turning points of the modes); the padding after each row must survive every blend.
struct QuadImage {
    static constexpr int32 kPadding = 3;
    static constexpr NativeQuad kSentinel{0x5A, 0xA5, 0x3C, 0xC3};
    int32 width, height;
    std::vector<NativeQuad> quads;
    QuadImage(int32 inWidth, int32 inHeight, uint32 inSeed)
        : width(inWidth), height(inHeight), quads(size_t((inWidth + kPadding) * inHeight), kSentinel) {
        std::mt19937 random(inSeed);
        auto special = [&random]() -> uint8 {
            const uint32 kind = random() % 8;
            return kind == 0 ? 0 : kind == 1 ? 255 : kind == 2 ? uint8(127 + random() % 3) : uint8(random());
        };
        for (int32 y = 0; y < height; ++y)
            for (int32 x = 0; x < width; ++x) {
                NativeQuad q = MakeNativeQuad(special(), special(), special(), special());
                const uint32 ties = random() % 6;
                if (ties == 0 || ties == 2) q.green = q.red;
                if (ties == 1 || ties == 2) q.blue = q.green;
                At(x, y) = q;
            }
    }
    int32 RowBytes() const { return (width + kPadding) * 4; }
    NativeQuad& At(int32 x, int32 y) { return quads[size_t(y * (width + kPadding) + x)]; }
    bool PaddingIntact() {
        for (int32 y = 0; y < height; ++y)
            for (int32 x = width; x < width + kPadding; ++x)
                if (!(At(x, y) == kSentinel)) return false;
        return true;
    }
};

constexpr GRect kRect(-40, 1001, 27, 1046);  // 67 x 45 pixels, off the noise grid and left of zero

class BlendModeTest : public testing::TestWithParam<uint32> {
protected:
    static void SetUpTestSuite() { BuildByteTables(); }
    QuadImage Blend(QuadImage dst, uint8 opacity, bool preserve) {
        BlendTile(kRect, mSrc.quads.data(), mSrc.RowBytes(), dst.quads.data(), dst.RowBytes(), GetParam(),
                  opacity, preserve);
        return dst;
    }
    QuadImage mSrc{kRect.Width(), kRect.Height(), 17 + GetParam()};
    QuadImage mDst{kRect.Width(), kRect.Height(), 91 + GetParam()};
};

// Every pixel against the reference at telling opacities, with and without preserved transparency; with
// it no destination alpha changes (dissolve ignores it); the padding after each row is never written.
TEST_P(BlendModeTest, MatchesReferenceAtEveryOpacityWithAndWithoutPreservedTransparency) {
    const uint32 mode = GetParam();
    for (bool preserve : {false, true}) {
        for (uint8 opacity : {0, 1, 77, 128, 254, 255}) {
            QuadImage result = Blend(mDst, opacity, preserve);
            ASSERT_TRUE(result.PaddingIntact()) << "wrote outside the rectangle";
            int32 mismatches = 0, alphasChanged = 0;
            for (int32 y = 0; y < kRect.Height(); ++y)
                for (int32 x = 0; x < kRect.Width(); ++x) {
                    alphasChanged += result.At(x, y).alpha != mDst.At(x, y).alpha;
                    NativeQuad expected = mDst.At(x, y);
                    BlendReference::BlendPixel(mode, opacity, preserve, kRect.left + x, kRect.top + y,
                                               mSrc.At(x, y), expected);
                    if (result.At(x, y) == expected || ++mismatches > 3) continue;
                    ADD_FAILURE() << "opacity " << int(opacity) << " preserve " << preserve << std::hex
                                  << " s " << NativeQuadToWord(mSrc.At(x, y)) << " d "
                                  << NativeQuadToWord(mDst.At(x, y)) << ": got "
                                  << NativeQuadToWord(result.At(x, y)) << ", expected "
                                  << NativeQuadToWord(expected);
                }
            EXPECT_TRUE(!preserve || mode == kBlendDissolve || alphasChanged == 0)
                << "opacity " << int(opacity);
        }
    }
    QuadImage both = mDst;  // the source may be the destination
    BlendTile(kRect, both.quads.data(), both.RowBytes(), both.quads.data(), both.RowBytes(), mode, 200,
              false);
    mSrc = mDst;
    EXPECT_EQ(both.quads, Blend(mDst, 200, false).quads);
}

INSTANTIATE_TEST_SUITE_P(AllModes, BlendModeTest, testing::ValuesIn(kAllBlendModes),
                         testing::PrintToStringParamName());

const uint32 kPlaneModes[] = {kBlendNormal,      kBlendDarken,      kBlendLighten,      kBlendMultiply,
                              kBlendScreen,      kBlendDissolve,    kBlendCurveLighten, kBlendScaleLighten,
                              kBlendScaleDarken, kBlendCurveDarken, kBlendOverlay,      kBlendHardLight,
                              kBlendSoftLight,   kBlendDifference,  kBlendExclusion,    kBlendColorDodge,
                              kBlendColorBurn};

// Values that are not modes (of the tile, or of the plane) report and leave the destination alone.
TEST(BlendFigures, ValuesThatAreNotModes) {
    BuildByteTables();
    for (uint32 mode : {0u, 11999u, 12010u, 12015u, 12020u, 12021u, 12022u, 12027u, 12029u}) {
        const NativeQuad s = MakeNativeQuad(1, 2, 3, 255);
        NativeQuad d = MakeNativeQuad(9, 8, 7, 100);
        EXPECT_TRUE(
            Contains(CaptureReports([&] { BlendTile(GRect(0, 0, 1, 1), &s, 4, &d, 4, mode, 255, false); }),
                     "Switch guard failed."))
            << mode;
        EXPECT_EQ(d, MakeNativeQuad(9, 8, 7, 100)) << mode;
    }
    for (uint32 mode : kAllBlendModes) {
        const uint8 s = 200, coverage = 255;
        uint8 d = 10;
        const std::string reports = CaptureReports(
            [&] { BlendPlane(GRect(0, 0, 1, 1), &s, 1, 1, &d, 1, 1, &coverage, 1, 1, 255, mode); });
        const bool plane =
            std::find(std::begin(kPlaneModes), std::end(kPlaneModes), mode) != std::end(kPlaneModes);
        EXPECT_EQ(IsPlaneBlendMode(mode), plane) << mode;
        if (plane) continue;
        EXPECT_TRUE(Contains(reports, "Switch guard failed.")) << mode;
        EXPECT_EQ(d, 10) << mode;
    }
}

// BlendPlane: every source value against every destination value (source by column, destination by row)
// at the weights where rules change course, under full and under patterned coverage, read from a plane
// interleaved in pairs and a coverage plane interleaved in pairs, into padded destination rows.
class BlendPlaneTest : public testing::TestWithParam<uint32> {
protected:
    static void SetUpTestSuite() { BuildByteTables(); }
};

TEST_P(BlendPlaneTest, EveryComponentPairMatchesTheReference) {
    const uint32 mode = GetParam();
    const GRect rect(-5, 300, 251, 556);
    constexpr int32 kDstRow = 256 + 5;
    std::vector<uint8> src(256 * 512, 0xEE), dst(kDstRow * 256, 0xDD), coverage(256 * 512, 0xCC);
    for (int32 y = 0; y < 256; ++y)
        for (int32 x = 0; x < 256; ++x) {
            src[size_t(y * 512 + x * 2 + 1)] = uint8(x);
            dst[size_t(y * kDstRow + x)] = uint8(y);
        }
    for (bool full : {true, false}) {
        for (int32 y = 0; y < 256; ++y)
            for (int32 x = 0; x < 256; ++x)
                coverage[size_t(y * 512 + x * 2)] = full ? 255 : uint8((x * 7) ^ (y * 3));
        for (uint8 weight : {0, 1, 2, 64, 127, 128, 129, 200, 254, 255}) {
            if (!full && weight % 64 != 0 && weight != 255) continue;
            std::vector<uint8> result = dst;
            BlendPlane(rect, src.data() + 1, 2, 512, result.data(), 1, kDstRow, coverage.data(), 2, 512,
                       weight, mode);
            for (int32 y = 0; y < 256; ++y)
                for (int32 x = 0; x < kDstRow; ++x) {
                    const size_t at = size_t(y * kDstRow + x);
                    const uint8 expected = x >= 256 ? dst[at]
                                                    : BlendReference::BlendPlanePixel(
                                                          mode, weight, rect.left + x, rect.top + y, uint8(x),
                                                          uint8(y), coverage[size_t(y * 512 + x * 2)]);
                    ASSERT_EQ(result[at], expected)
                        << "weight " << int(weight) << " full " << full << " s " << x << " d " << y;
                }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(PlaneModes, BlendPlaneTest, testing::ValuesIn(kPlaneModes),
                         testing::PrintToStringParamName());

constexpr int32 kSide = 256;
constexpr GRect kVectorRect(-37, 1001, -37 + kSide,
                            1001 + kSide);  // off the vector grid of the dissolve noise

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

std::vector<BlendInstructionSet> VectorSets() {
    std::vector<BlendInstructionSet> sets;
    for (BlendInstructionSet set : {BlendInstructionSet::kSse2, BlendInstructionSet::kAvx2,
                                    BlendInstructionSet::kAvx512, BlendInstructionSet::kAvx512Vbmi})
        if (int32(set) <= int32(SupportedBlendInstructionSet())) sets.push_back(set);
    if (sets.size() < 3)
        std::cout << "note: this processor runs only the first " << sets.size() << " vector sets\n";
    return sets;
}

class BlendVectorTest : public testing::TestWithParam<uint32> {
protected:
    static void SetUpTestSuite() { BuildByteTables(); }
    void TearDown() override { SelectBlendInstructionSet(SupportedBlendInstructionSet()); }

    std::vector<NativeQuad> Blend(BlendInstructionSet inSet, uint8 inOpacity, bool inPreserve) const {
        EXPECT_EQ(SelectBlendInstructionSet(inSet), inSet);
        std::vector<NativeQuad> result = mDst;
        BlendTile(kVectorRect, mSrc.data(), kSide * 4, result.data(), kSide * 4, GetParam(), inOpacity,
                  inPreserve);
        return result;
    }

    const std::vector<NativeQuad> mSrc = Pairs(true);
    const std::vector<NativeQuad> mDst = Pairs(false);
};

TEST_P(BlendVectorTest, EveryInstructionSetGivesTheScalarBytes) {
    std::vector<uint8> opacities = {0, 1, 77, 127, 128, 200, 254, 255};
    if (GetParam() == kBlendNormal)
        for (int32 o = 0; o < 256; ++o) opacities.push_back(uint8(o));
    const std::vector<BlendInstructionSet> sets = VectorSets();
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
                         testing::PrintToStringParamName());

// Normal mode skips and copies whole vectors of clear or opaque coverage, tested once per run of vectors.
// Rows of every width from blocks of eight pixels that are all clear, all opaque or mixed, so runs start
// either way and change inside, and rows end in part-runs and part-vectors.
TEST(BlendVectorNormal, RunsOfClearOpaqueAndMixedCoverageGiveTheScalarBytes) {
    BuildByteTables();
    std::mt19937 random(5);
    const std::vector<BlendInstructionSet> sets = VectorSets();
    for (int32 width = 1; width <= 200; width += 1 + width / 16) {
        std::vector<NativeQuad> src(size_t(width) * 4), dst(src.size());
        for (size_t i = 0; i < src.size(); ++i) {
            const uint32 block = uint32(i) / 8 * 2654435761u % 3;  // 0 clear, 1 opaque, 2 mixed
            const uint32 bits = random();
            const uint8 alpha = block == 0 ? 0 : block == 1 ? 255 : uint8(bits >> 24);
            src[i] = MakeNativeQuad(uint8(bits), uint8(bits >> 8), uint8(bits >> 16), alpha);
            dst[i] = WordToNativeQuad(random());
            if (i % 5 == 0) dst[i].alpha = uint8(i % 2 * 255);
        }
        const GRect rect(0, 0, width, 4);
        for (bool preserve : {false, true}) {
            for (uint8 opacity : {255, 200}) {
                std::vector<NativeQuad> expected = dst;
                SelectBlendInstructionSet(BlendInstructionSet::kScalar);
                BlendTile(rect, src.data(), width * 4, expected.data(), width * 4, kBlendNormal, opacity,
                          preserve);
                for (BlendInstructionSet set : sets) {
                    std::vector<NativeQuad> got = dst;
                    SelectBlendInstructionSet(set);
                    BlendTile(rect, src.data(), width * 4, got.data(), width * 4, kBlendNormal, opacity,
                              preserve);
                    EXPECT_TRUE(got == expected) << "width " << width << " set " << int32(set) << " opacity "
                                                 << int(opacity) << " preserve " << preserve;
                }
            }
        }
    }
    SelectBlendInstructionSet(SupportedBlendInstructionSet());
}

TEST(BlendInstructionSetTest, AskingForMoreThanTheProcessorHasGivesTheBestItHas) {
    const BlendInstructionSet best = SupportedBlendInstructionSet();
    EXPECT_EQ(SelectBlendInstructionSet(BlendInstructionSet::kAvx512Vbmi), best);
    EXPECT_EQ(SelectBlendInstructionSet(BlendInstructionSet::kScalar), BlendInstructionSet::kScalar);
    EXPECT_EQ(CurrentBlendInstructionSet(), BlendInstructionSet::kScalar);
    SelectBlendInstructionSet(best);
}

}  // namespace
