// Long random sequences of writes to a CChannel, mirrored on a flat array, with reads in every padding
// mode over rectangles that cross the bounds, inversion through the writing walk, and the bounds
// searches checked against the array.
#include <gtest/gtest.h>

#include <string>

#include "Src/Orvane/Src/Image/CChannel.h"
#include "Src/Orvane/Src/Image/StChannelProcessors.h"
#include "tests/Image/PlaneModel.h"

namespace {

// Mostly 0, 127, 128 and 255 (the thresholds the bounds searches use), sometimes anything.
uint8 RandomByte(RectDice& ioDice) {
    static constexpr uint8 kPalette[] = {0, 127, 128, 255};
    return ioDice.Chance(70) ? kPalette[ioDice.Range(0, 3)] : uint8(ioDice.Range(0, 255));
}

class ChannelRun : public PlaneModelRun<CChannel, uint8> {
public:
    ChannelRun(const GRect& inBounds, uint32 inSeed) : PlaneModelRun(inBounds, inSeed, RandomByte, 0x3C) {}

private:
    void Walk(const GRect& inArea) override {
        StInvertChannel invert;
        mPlane.ForEachPixelInArea(inArea, invert, nullptr);
        mModel.ForEachInside(inArea,
                             [&](int32 x, int32 y) { mModel.At(x, y) = uint8(255 - mModel.At(x, y)); });
    }

    template <class Passes>
    GRect ModelBounds(Passes inPasses) const {
        GRect found;
        mModel.ForEachInside(mModel.Bounds(), [&](int32 x, int32 y) {
            if (inPasses(mModel.At(x, y))) found.UnionWith(GRect(x, y, x + 1, y + 1));
        });
        return found;
    }

    void CheckSearches() override {
        const uint8 threshold = RandomByte(mDice);
        StFindBoundsViaGreaterThan greater(mPlane.GetBounds(), threshold);
        StFindBoundsViaNotEqualTo different(mPlane.GetBounds(), threshold);
        mPlane.ForEachPixelInArea(mPlane.GetBounds(), greater, nullptr);
        mPlane.ForEachPixelInArea(mPlane.GetBounds(), different, nullptr);
        const GRect expectDifferent = ModelBounds([&](uint8 b) { return b != threshold; });
        EXPECT_EQ(greater.GetBounds(), ModelBounds([&](uint8 b) { return b > threshold; })) << int(threshold);
        EXPECT_EQ(different.GetBounds(), expectDifferent) << int(threshold);
        EXPECT_EQ(mPlane.FindBoundsNotEqualTo(threshold), expectDifferent) << int(threshold);
    }
};

class ChannelModel : public ::testing::TestWithParam<GRect> {};

TEST_P(ChannelModel, RandomWritesMatchAFlatArray) {
    for (uint32 seed = 1; seed <= 2 && !HasFailure(); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        ChannelRun(GetParam(), seed * 104729 + uint32(GetParam().Height())).Run(500);
    }
}

INSTANTIATE_TEST_SUITE_P(Bounds, ChannelModel, ::testing::ValuesIn(kModelBounds));

}  // namespace
