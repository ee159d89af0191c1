// BlendTile against the reference model for every mode, and the invariants every mode keeps.
#include <gtest/gtest.h>

#include <string>

#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Pellin/Isol/ByteTables.h"
#include "tests/Compositing/BlendReference.h"
#include "tests/Compositing/BlendTestImages.h"
#include "tests/support/ReportCapture.h"

namespace {

constexpr GRect kRect(-40, 1001, 27, 1046);  // 67 x 45 pixels, off the noise grid and left of zero
constexpr uint8 kOpacities[] = {0, 1, 77, 128, 254, 255};

std::string Describe(const NativeQuad& q) {
    return "(r " + std::to_string(q.red) + ", g " + std::to_string(q.green) + ", b " + std::to_string(q.blue) +
           ", a " + std::to_string(q.alpha) + ")";
}

QuadImage BlendWithEngine(const QuadImage& src, QuadImage dst, uint32 mode, uint8 opacity, bool preserve) {
    BlendTile(kRect, src.quads.data(), src.RowBytes(), dst.quads.data(), dst.RowBytes(), mode, opacity, preserve);
    return dst;
}

class BlendModeTest : public testing::TestWithParam<uint32> {
  protected:
    static void SetUpTestSuite() { BuildByteTables(); }
    const QuadImage mSrc = RandomQuadImage(kRect.Width(), kRect.Height(), 17 + GetParam());
    const QuadImage mDst = RandomQuadImage(kRect.Width(), kRect.Height(), 91 + GetParam());
};

// Every pixel against the reference at every opacity, with and without preserved transparency; with it
// no destination alpha changes (dissolve ignores it), and the padding after each row is never written.
TEST_P(BlendModeTest, MatchesReferenceAtEveryOpacityWithAndWithoutPreservedTransparency) {
    const uint32 mode = GetParam();
    for (bool preserve : {false, true}) {
        for (uint8 opacity : kOpacities) {
            const QuadImage result = BlendWithEngine(mSrc, mDst, mode, opacity, preserve);
            ASSERT_TRUE(result.PaddingIntact()) << "wrote outside the rectangle";
            int32 mismatches = 0, alphasChanged = 0;
            for (int32 y = 0; y < kRect.Height(); ++y) {
                for (int32 x = 0; x < kRect.Width(); ++x) {
                    alphasChanged += result.At(x, y).alpha != mDst.At(x, y).alpha;
                    NativeQuad expected = mDst.At(x, y);
                    BlendReference::BlendPixel(mode, opacity, preserve, kRect.left + x, kRect.top + y, mSrc.At(x, y), expected);
                    if (result.At(x, y) == expected || ++mismatches > 3) continue;
                    ADD_FAILURE() << "opacity " << int(opacity) << " preserve " << preserve << " s "
                                  << Describe(mSrc.At(x, y)) << " d " << Describe(mDst.At(x, y)) << ": got "
                                  << Describe(result.At(x, y)) << ", expected " << Describe(expected);
                }
            }
            if (preserve && mode != kBlendDissolve) {
                EXPECT_EQ(alphasChanged, 0) << "opacity " << int(opacity);
            } else if (preserve && opacity > 128) {
                EXPECT_GT(alphasChanged, 0) << "dissolve ignores preserved transparency";
            }
        }
    }
}

// A transparent source or opacity 0 leaves the destination alone, except behind, whose opacity weights
// the destination laid back over the source.
TEST_P(BlendModeTest, ZeroOpacityOrTransparentSourceChangesNothing) {
    const uint32 mode = GetParam();
    QuadImage transparent = mSrc;
    for (NativeQuad& q : transparent.quads)
        if (!(q == QuadImage::kSentinel)) q.alpha = 0;
    for (bool preserve : {false, true}) {
        const QuadImage atZero = BlendWithEngine(mSrc, mDst, mode, 0, preserve);
        const QuadImage fromClear = BlendWithEngine(transparent, mDst, mode, 255, preserve);
        if (mode != kBlendBehind) {
            EXPECT_EQ(atZero.quads, mDst.quads);
            EXPECT_EQ(fromClear.quads, mDst.quads);
            continue;
        }
        EXPECT_NE(atZero.quads, mDst.quads) << "behind at opacity 0 puts the source under translucent pixels";
        // A clear source leaves every alpha and every visible colour; a fully transparent pixel takes the
        // source's colours, which cannot be seen.
        for (int32 y = 0; y < kRect.Height(); ++y) {
            for (int32 x = 0; x < kRect.Width(); ++x) {
                const NativeQuad& before = mDst.At(x, y);
                ASSERT_EQ(fromClear.At(x, y).alpha, before.alpha);
                if (before.alpha != 0) {
                    ASSERT_EQ(fromClear.At(x, y), before);
                }
            }
        }
    }
}

TEST_P(BlendModeTest, SourceMayBeTheDestination) {
    const uint32 mode = GetParam();
    QuadImage both = mDst;
    BlendTile(kRect, both.quads.data(), both.RowBytes(), both.quads.data(), both.RowBytes(), mode, 200, false);
    EXPECT_EQ(both.quads, BlendWithEngine(mDst, mDst, mode, 200, false).quads);
}

INSTANTIATE_TEST_SUITE_P(AllModes, BlendModeTest, testing::ValuesIn(kAllBlendModes),
                         [](const testing::TestParamInfo<uint32>& param) { return std::to_string(param.param); });

class BlendFigureTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { BuildByteTables(); }
};

NativeQuad Q(uint8 r, uint8 g, uint8 b, uint8 a) { return MakeNativeQuad(r, g, b, a); }

struct Figure {
    const char* what;
    uint32 mode;
    uint8 opacity;
    NativeQuad s;
    NativeQuad d;
    NativeQuad expected;
};

// Worked by hand from the formulas; each one fails for a typical slip (a missing background step, 255
// for 256, a mix instead of a scaled source, a wrong tie order).
const Figure kFigures[] = {
    {"normal, opaque source at full opacity is copied", kBlendNormal, 255, Q(10, 20, 30, 255), Q(200, 100, 50, 128), Q(10, 20, 30, 255)},
    {"normal onto transparent takes alpha Mul8(200, 128)", kBlendNormal, 128, Q(10, 20, 30, 200), Q(1, 2, 3, 0), Q(10, 20, 30, 100)},
    {"normal over a translucent destination", kBlendNormal, 255, Q(0, 0, 0, 128), Q(255, 255, 255, 128), Q(85, 85, 85, 192)},
    {"multiply opaque on opaque is the product", kBlendMultiply, 255, Q(100, 200, 0, 255), Q(50, 150, 255, 255), Q(20, 118, 0, 255)},
    {"multiply onto transparent takes the source", kBlendMultiply, 128, Q(100, 200, 0, 255), Q(50, 150, 255, 0), Q(100, 200, 0, 128)},
    {"darken first lays the destination over white", kBlendDarken, 255, Q(255, 255, 255, 255), Q(0, 0, 0, 128), Q(127, 127, 127, 255)},
    {"lighten first lays the destination over black", kBlendLighten, 255, Q(0, 0, 0, 255), Q(255, 255, 255, 128), Q(128, 128, 128, 255)},
    {"overlay over mid grey", kBlendOverlay, 255, Q(200, 200, 200, 255), Q(0, 0, 0, 0), Q(200, 200, 200, 255)},
    {"soft light over mid grey", kBlendSoftLight, 255, Q(0, 0, 0, 255), Q(9, 9, 9, 0), Q(64, 64, 64, 255)},
    {"hard light uses 2s - 256", kBlendHardLight, 255, Q(255, 255, 255, 255), Q(0, 0, 0, 255), Q(254, 254, 254, 255)},
    {"difference scales the source", kBlendDifference, 128, Q(200, 200, 200, 255), Q(50, 50, 50, 255), Q(50, 50, 50, 255)},
    {"erase removes alpha and keeps colours", kBlendErase, 255, Q(1, 1, 1, 255), Q(10, 20, 30, 200), Q(10, 20, 30, 0)},
    {"colour dodge divides", kBlendColorDodge, 255, Q(128, 128, 128, 255), Q(100, 100, 100, 255), Q(201, 201, 201, 255)},
    {"colour dodge lays the destination over black", kBlendColorDodge, 255, Q(0, 0, 0, 255), Q(200, 200, 200, 128), Q(100, 100, 100, 255)},
    {"colour burn", kBlendColorBurn, 255, Q(128, 128, 128, 255), Q(200, 200, 200, 255), Q(145, 145, 145, 255)},
    {"behind leaves an opaque destination", kBlendBehind, 255, Q(1, 2, 3, 255), Q(9, 8, 7, 255), Q(9, 8, 7, 255)},
    {"behind fills a transparent destination", kBlendBehind, 255, Q(1, 2, 3, 200), Q(9, 8, 7, 0), Q(1, 2, 3, 200)},
    {"behind lays the destination back on top", kBlendBehind, 255, Q(0, 0, 0, 255), Q(100, 100, 100, 128), Q(50, 50, 50, 255)},
    {"colour: grey source at red's lightness", kBlendColor, 255, Q(50, 50, 50, 255), Q(255, 0, 0, 255), Q(76, 76, 76, 255)},
    {"saturation: a grey source removes saturation", kBlendSaturation, 255, Q(50, 50, 50, 255), Q(200, 100, 50, 255), Q(124, 124, 124, 255)},
    {"luminosity clips above 255", kBlendLuminosity, 255, Q(100, 100, 100, 255), Q(255, 0, 0, 255), Q(255, 35, 35, 255)},
    {"hue of blue at the destination's saturation", kBlendHue, 255, Q(0, 0, 255, 255), Q(200, 100, 50, 255), Q(109, 109, 255, 255)},
    {"dissolve copies a source at full coverage", kBlendDissolve, 255, Q(10, 20, 30, 255), Q(1, 2, 3, 4), Q(10, 20, 30, 255)},
};

TEST_F(BlendFigureTest, WorkedFigures) {
    for (const Figure& f : kFigures) {
        NativeQuad d = f.d;
        BlendTile(GRect(0, 0, 1, 1), &f.s, 4, &d, 4, f.mode, f.opacity, false);
        EXPECT_EQ(d, f.expected) << f.what << ": got " << Describe(d);
    }
}

TEST_F(BlendFigureTest, ValuesThatAreNotModesReportAndLeaveTheDestination) {
    for (uint32 mode : {0u, 11999u, 12010u, 12015u, 12020u, 12021u, 12022u, 12027u, 12029u}) {
        const NativeQuad s = Q(1, 2, 3, 255);
        NativeQuad d = Q(9, 8, 7, 100);
        const std::string reports = CaptureReports([&] { BlendTile(GRect(0, 0, 1, 1), &s, 4, &d, 4, mode, 255, false); });
        EXPECT_TRUE(Contains(reports, "Switch guard failed.")) << mode;
        EXPECT_EQ(d, Q(9, 8, 7, 100)) << mode;
    }
}

}  // namespace
