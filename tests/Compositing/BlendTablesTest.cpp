// The constant tables of the blend modes, and BlendPlane against the reference model.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Orvane/Src/Image/BlendTables.h"
#include "Src/Pellin/Isol/ByteTables.h"
#include "tests/Compositing/BlendReference.h"
#include "tests/support/ReportCapture.h"

namespace {

struct Row {
    int32 index;
    int32 value;
};

TEST(BlendTables, TellingRows) {
    for (Row r : {Row{0, 0}, Row{1, 3}, Row{63, 64}, Row{64, 64}, Row{128, 53}, Row{254, 0}, Row{255, 0}})
        EXPECT_EQ(SoftLightUp[size_t(r.index)], r.value) << "SoftLightUp[" << r.index << "]";
    for (Row r : {Row{0, 0}, Row{1, 1}, Row{128, 64}, Row{255, 0}})
        EXPECT_EQ(SoftLightDown[size_t(r.index)], r.value) << "SoftLightDown[" << r.index << "]";
    for (Row r : {Row{0, 32768}, Row{1, 32832}, Row{128, 43748}, Row{254, 65279}, Row{255, 65535}})
        EXPECT_EQ(ScaleFactor[size_t(r.index)], r.value) << "ScaleFactor[" << r.index << "]";
}

// The engine computes the curves in integers; the reference uses floating point.
TEST(BlendTables, EveryEntryMatchesTheCurves) {
    for (int32 i = 0; i < 256; ++i) {
        EXPECT_EQ(SoftLightUp[size_t(i)], BlendReference::SoftLightUp(i)) << i;
        EXPECT_EQ(SoftLightDown[size_t(i)], BlendReference::SoftLightDown(i)) << i;
        EXPECT_EQ(ScaleFactor[size_t(i)], BlendReference::ScaleFactor(i)) << i;
    }
}

TEST(BlendTables, DissolveNoiseFollowsTheGeneratorAndTilesTheCanvas) {
    int32 histogram[256] = {};
    for (int32 y = 0; y < 128; ++y)
        for (int32 x = 0; x < 128; ++x) {
            ASSERT_EQ(DissolveNoiseAt(x, y), BlendReference::Noise(x, y)) << x << "," << y;
            ASSERT_EQ(gDissolveNoise[size_t(y * 128 + x)], DissolveNoiseAt(x, y));
            ++histogram[DissolveNoiseAt(x, y)];
        }
    for (int32 count : histogram) EXPECT_LT(count, 140) << "the pattern should spread over all byte values";
    EXPECT_EQ(DissolveNoiseAt(-1, -1), DissolveNoiseAt(127, 127));
    EXPECT_EQ(DissolveNoiseAt(-128 * 3 + 5, 128 * 7 + 9), DissolveNoiseAt(5, 9));
}

// BlendPlane over a plane interleaved in quads (column bytes 4), a packed destination and a coverage
// plane with column bytes 2, all with padded rows.
class BlendPlaneTest : public testing::TestWithParam<uint32> {
  protected:
    static void SetUpTestSuite() { BuildByteTables(); }
};

TEST_P(BlendPlaneTest, MatchesReference) {
    const uint32 mode = GetParam();
    const GRect rect(-5, 300, 56, 333);
    const int32 width = rect.Width();
    const int32 height = rect.Height();
    std::mt19937 random(mode);
    auto randomBytes = [&random](size_t n) {
        std::vector<uint8> bytes(n);
        for (uint8& b : bytes) b = uint8(random() % 5 == 0 ? (random() % 2) * 255 : random() & 255);
        return bytes;
    };
    const int32 srcRowBytes = width * 4 + 8, dstRowBytes = width + 5, coverageRowBytes = width * 2 + 2;
    const std::vector<uint8> src = randomBytes(size_t(srcRowBytes * height));
    const std::vector<uint8> dst = randomBytes(size_t(dstRowBytes * height));
    const std::vector<uint8> coverage = randomBytes(size_t(coverageRowBytes * height));
    for (uint8 opacity : {0, 1, 128, 200, 255}) {
        std::vector<uint8> result = dst;
        BlendPlane(rect, src.data() + 2, 4, srcRowBytes, result.data(), 1, dstRowBytes, coverage.data() + 1, 2,
                   coverageRowBytes, opacity, mode);
        for (int32 y = 0; y < height; ++y) {
            for (int32 x = 0; x < dstRowBytes; ++x) {
                const size_t at = size_t(y * dstRowBytes + x);
                if (x >= width) {
                    ASSERT_EQ(result[at], dst[at]) << "padding written at " << x << "," << y;
                    continue;
                }
                const uint8 expected = BlendReference::BlendPlanePixel(
                    mode, opacity, rect.left + x, rect.top + y, src[size_t(y * srcRowBytes + x * 4 + 2)], dst[at],
                    coverage[size_t(y * coverageRowBytes + x * 2 + 1)]);
                ASSERT_EQ(result[at], expected) << "opacity " << int(opacity) << " at " << x << "," << y;
            }
        }
    }
}

// Every source and destination value against each other (source by column, destination by row) at the
// weights where rules change course.
TEST_P(BlendPlaneTest, EveryComponentPairAtTellingWeights) {
    const uint32 mode = GetParam();
    std::vector<uint8> src(256 * 256), dst(256 * 256);
    const std::vector<uint8> fullCoverage(256 * 256, 255);
    for (int32 y = 0; y < 256; ++y)
        for (int32 x = 0; x < 256; ++x) {
            src[size_t(y * 256 + x)] = uint8(x);
            dst[size_t(y * 256 + x)] = uint8(y);
        }
    for (uint8 weight : {1, 2, 64, 127, 128, 129, 200, 254, 255}) {
        std::vector<uint8> result = dst;
        BlendPlane(GRect(0, 0, 256, 256), src.data(), 1, 256, result.data(), 1, 256, fullCoverage.data(), 1, 256,
                   weight, mode);
        for (int32 y = 0; y < 256; ++y)
            for (int32 x = 0; x < 256; ++x)
                ASSERT_EQ(result[size_t(y * 256 + x)],
                          BlendReference::BlendPlanePixel(mode, weight, x, y, uint8(x), uint8(y), 255))
                    << "weight " << int(weight) << " s " << x << " d " << y;
    }
}

const uint32 kPlaneModes[] = {kBlendNormal,       kBlendDarken,       kBlendLighten,     kBlendMultiply,
                              kBlendScreen,       kBlendDissolve,     kBlendCurveLighten, kBlendScaleLighten,
                              kBlendScaleDarken,  kBlendCurveDarken,  kBlendOverlay,     kBlendHardLight,
                              kBlendSoftLight,    kBlendDifference,   kBlendExclusion,   kBlendColorDodge,
                              kBlendColorBurn};

INSTANTIATE_TEST_SUITE_P(PlaneModes, BlendPlaneTest, testing::ValuesIn(kPlaneModes),
                         [](const testing::TestParamInfo<uint32>& param) { return std::to_string(param.param); });

TEST(BlendPlaneModes, OtherValuesReportAndLeaveThePlane) {
    BuildByteTables();
    for (uint32 mode : kAllBlendModes) EXPECT_EQ(IsPlaneBlendMode(mode), std::find(std::begin(kPlaneModes), std::end(kPlaneModes), mode) != std::end(kPlaneModes));
    for (uint32 mode : {uint32(kBlendHue), uint32(kBlendSaturation), uint32(kBlendColor), uint32(kBlendLuminosity),
                        uint32(kBlendErase), uint32(kBlendBehind), 12010u, 12029u}) {
        const uint8 s = 200, coverage = 255;
        uint8 d = 10;
        const std::string reports = CaptureReports(
            [&] { BlendPlane(GRect(0, 0, 1, 1), &s, 1, 1, &d, 1, 1, &coverage, 1, 1, 255, mode); });
        EXPECT_TRUE(Contains(reports, "Switch guard failed.")) << mode;
        EXPECT_EQ(d, 10) << mode;
    }
}

}  // namespace
