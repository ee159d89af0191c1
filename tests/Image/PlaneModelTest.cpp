// Long random sequences of writes to a CNativeQuadTileBuffer and to a CChannel, mirrored on a flat array,
// with reads in every padding mode over rectangles that cross the bounds; for the tile buffer components
// written and read one by one as well, for the channel inversion through the writing walk and the bounds
// searches checked against the array.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Src/Orvane/Src/Image/CChannel.h"
#include "Src/Orvane/Src/Image/CNativeQuadTileBuffer.h"
#include "Src/Orvane/Src/Image/StChannelProcessors.h"
#include "tests/Image/PlaneModel.h"

namespace {

constexpr int32 kComponentOffset[4] = {2, 1, 0, 3};  // red, green, blue, alpha

uint8 Component(const NativeQuad& inQuad, int32 inChannel) {
    return reinterpret_cast<const uint8*>(&inQuad)[kComponentOffset[inChannel]];
}

// Mostly quads from a small palette, so that equal values (and constant tiles holding them) meet often.
NativeQuad RandomQuad(RectDice& ioDice) {
    static constexpr NativeQuad kPalette[] = {
        {255, 255, 255, 0}, {0, 0, 0, 255}, {10, 20, 30, 40}, {7, 7, 7, 7}};
    if (ioDice.Chance(60)) return kPalette[ioDice.Range(0, 3)];
    return NativeQuad{uint8(ioDice.Range(0, 255)), uint8(ioDice.Range(0, 255)), uint8(ioDice.Range(0, 255)),
                      uint8(ioDice.Range(0, 255))};
}

// Writes a value computed from each pixel's coordinates, so misplaced parts show.
class Stamp : public CNQTileProcessor {
public:
    explicit Stamp(uint8 inSalt) : mSalt(inSalt) {}
    static NativeQuad Value(int32 inX, int32 inY, uint8 inSalt) {
        return NativeQuad{uint8(inX), uint8(inY), inSalt, uint8(inX ^ inY)};
    }
    bool Process(const GRect& inTileRect, NativeQuad* inTilePtr, int32 inRowBytes) override {
        for (int32 y = inTileRect.top; y < inTileRect.bottom; ++y) {
            auto* row = reinterpret_cast<NativeQuad*>(reinterpret_cast<uint8*>(inTilePtr) +
                                                      (y - inTileRect.top) * inRowBytes);
            for (int32 x = inTileRect.left; x < inTileRect.right; ++x)
                row[x - inTileRect.left] = Value(x, y, mSalt);
        }
        return true;
    }

private:
    uint8 mSalt;
};

class TileBufferRun : public PlaneModelRun<CNativeQuadTileBuffer, NativeQuad> {
public:
    TileBufferRun(const GRect& inBounds, uint32 inSeed)
        : PlaneModelRun(inBounds, inSeed, RandomQuad, NativeQuad{1, 2, 3, 4}) {}

private:
    void Walk(const GRect& inArea) override {
        const uint8 salt = uint8(mDice.Range(0, 255));
        Stamp stamp(salt);
        mPlane.ForEachPixelInArea(inArea, stamp, nullptr);
        mModel.ForEachInside(inArea, [&](int32 x, int32 y) { mModel.At(x, y) = Stamp::Value(x, y, salt); });
    }

    // SetChannel with a pixel stride and row padding.
    int32 ExtraWrites() const override { return 1; }
    void MutateExtra(int32) override {
        const GRect rect = mDice.Around(mModel.Bounds());
        const int32 channel = mDice.Range(0, 3);
        const int32 colBytes = mDice.Range(1, 3);
        const int32 rowBytes = rect.Width() * colBytes + mDice.Range(0, 3);
        std::vector<uint8> data(size_t(rowBytes) * size_t(std::max(rect.Height(), 0)) + 1);
        for (uint8& byte : data) byte = uint8(mDice.Range(0, 255));
        mPlane.SetChannel(rect, channel, data.data(), rowBytes, colBytes);
        mModel.ForEachInside(rect, [&](int32 x, int32 y) {
            reinterpret_cast<uint8*>(&mModel.At(x, y))[kComponentOffset[channel]] =
                data[size_t(y - rect.top) * size_t(rowBytes) + size_t(x - rect.left) * size_t(colBytes)];
        });
    }

    // GetChannel, packed or with a byte between two pixels that stays the caller's, and IsChannelConstant.
    int32 ExtraReads() const override { return 2; }
    void ReadExtra(int32 inWhich) override {
        const GRect rect = mDice.Around(mModel.Bounds());
        const int32 channel = mDice.Range(0, 3);
        if (inWhich == 1) return CheckChannelConstant(rect, channel);
        const PaddingMode mode = PaddingMode(mDice.Range(0, 2));
        if (rect.Empty()) return;
        const int32 colBytes = mDice.Range(1, 2);
        const int32 rowBytes = rect.Width() * colBytes + 1;
        std::vector<uint8> got(size_t(rowBytes) * size_t(rect.Height()), kUntouchedByte);
        mPlane.GetChannel(rect, channel, got.data(), rowBytes, colBytes, mode, &mPadding);
        const std::vector<NativeQuad> model = mModel.Read(rect, mode, mPadding, mUntouched);
        std::vector<uint8> expected(got.size(), kUntouchedByte);
        for (int32 y = 0; y < rect.Height(); ++y)
            for (int32 x = 0; x < rect.Width(); ++x)
                expected[size_t(y) * size_t(rowBytes) + size_t(x) * size_t(colBytes)] =
                    Component(model[size_t(y) * size_t(rect.Width()) + size_t(x)], channel);
        EXPECT_EQ(got, expected) << "GetChannel " << channel << " mode " << mode << " of " << Describe(rect);
    }

    void CheckChannelConstant(const GRect& inRect, int32 inChannel) {
        bool constant = true, seen = false;
        uint8 value = 0;
        mModel.ForEachInside(inRect, [&](int32 x, int32 y) {
            const uint8 byte = Component(mModel.At(x, y), inChannel);
            constant = constant && (!seen || byte == value);
            value = byte;
            seen = true;
        });
        uint8 reported = 0;
        EXPECT_EQ(mPlane.IsChannelConstant(inRect, inChannel, &reported), constant) << Describe(inRect);
        if (constant && seen) {
            EXPECT_EQ(reported, value);
        }
    }
};

class TileBufferModel : public ::testing::TestWithParam<GRect> {};

TEST_P(TileBufferModel, RandomWritesMatchAFlatArrayInEveryPaddingMode) {
    for (uint32 seed = 1; seed <= 2 && !HasFailure(); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        TileBufferRun(GetParam(), seed * 7919 + uint32(GetParam().Width())).Run(500);
    }
}

INSTANTIATE_TEST_SUITE_P(Bounds, TileBufferModel, ::testing::ValuesIn(kModelBounds));

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
