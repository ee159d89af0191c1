// Long random sequences of writes to a CChannel, mirrored on a flat array, with reads in every padding
// mode over rectangles that cross the bounds and bounds searches checked against the array.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Src/Orvane/Src/Image/CChannel.h"
#include "Src/Orvane/Src/Image/StChannelProcessors.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "tests/Image/PlaneModel.h"
#include "tests/support/ReportCapture.h"

namespace {

using Model = PlaneModel<uint8>;

constexpr uint8 kUntouched = 0xA5;
constexpr uint8 kPadding = 0x3C;

std::string Describe(const GRect& inRect) {
    return "(" + std::to_string(inRect.left) + ", " + std::to_string(inRect.top) + ", " + std::to_string(inRect.right) +
           ", " + std::to_string(inRect.bottom) + ")";
}

// Mostly 0, 127, 128 and 255 (the thresholds the bounds searches use), sometimes anything.
uint8 RandomByte(RectDice& ioDice) {
    static constexpr uint8 kPalette[] = {0, 127, 128, 255};
    return ioDice.Chance(70) ? kPalette[ioDice.Range(0, 3)] : uint8(ioDice.Range(0, 255));
}

// Bounds of the model's bytes that pass a test, as the finders report them.
template <class Passes>
GRect ModelBounds(const Model& inModel, Passes inPasses) {
    GRect found;
    inModel.ForEachInside(inModel.Bounds(), [&](int32 x, int32 y) {
        if (inPasses(inModel.At(x, y))) found.UnionWith(GRect(x, y, x + 1, y + 1));
    });
    return found;
}

class ChannelModelRun {
public:
    ChannelModelRun(const GRect& inBounds, uint32 inSeed)
        : mDice(inSeed),
          mFill(RandomByte(mDice)),
          mChannel(inBounds, mFill),
          mModel(inBounds, mFill),
          mSource(GRect(-30, -30, 100, 40), 127),
          mSourceModel(GRect(-30, -30, 100, 40), 127) {
        std::vector<uint8> data(130 * 70);
        for (uint8& byte : data) byte = RandomByte(mDice);
        mSource.SetTile(GRect(-30, 0, 100, 40), data.data(), 130);
        mSourceModel.Write(GRect(-30, 0, 100, 40), data, 130);
    }

    void Run(int32 inSteps) {
        for (int32 step = 0; step < inSteps && !::testing::Test::HasFailure(); ++step) {
            Mutate();
            CheckRandomRead();
            if (step % 50 == 0) CheckBoundsSearches();
        }
        CheckWhole();
        CheckBoundsSearches();
    }

private:
    void Mutate() {
        const GRect& bounds = mModel.Bounds();
        switch (mDice.Range(0, 5)) {
            case 0: {  // SetTile with a pixel stride
                const GRect rect = mDice.Around(bounds);
                const int32 colBytes = mDice.Range(1, 3);
                const int32 rowBytes = rect.Width() * colBytes + mDice.Range(0, 2);
                std::vector<uint8> data(size_t(rowBytes) * size_t(std::max(rect.Height(), 0)) + 1);
                for (uint8& byte : data) byte = RandomByte(mDice);
                mChannel.SetTile(rect, data.data(), rowBytes, colBytes);
                mModel.ForEachInside(rect, [&](int32 x, int32 y) {
                    mModel.At(x, y) = data[size_t(y - rect.top) * size_t(rowBytes) + size_t(x - rect.left) * size_t(colBytes)];
                });
                break;
            }
            case 1: {
                const GRect rect = mDice.Chance(50) ? mDice.Cells(bounds) : mDice.Around(bounds);
                const uint8 value = RandomByte(mDice);
                mChannel.FillRect(rect, value);
                mModel.Fill(rect, value);
                break;
            }
            case 2: {
                const bool self = mDice.Chance(40);
                const GRect srcRect = mDice.Inside(self ? bounds : mSourceModel.Bounds());
                const GRect destRect = mDice.Chance(30) ? mDice.Cells(bounds) : mDice.Around(bounds);
                const GRect sized(destRect.left, destRect.top, destRect.left + srcRect.Width(), destRect.top + srcRect.Height());
                mChannel.CopyRect(self ? mChannel : mSource, srcRect, sized);
                mModel.Copy(self ? mModel : mSourceModel, srcRect, sized);
                break;
            }
            case 3: {
                const GPoint point = mDice.PointAround(bounds);
                const uint8 value = mDice.Chance(30) ? mFill : RandomByte(mDice);
                mChannel.SetPixel(point, value);
                mModel.SetPixel(point.h, point.v, value);
                break;
            }
            case 4: {  // inverting a part through the writing walk
                const GRect area = mDice.Inside(bounds);
                StInvertChannel invert;
                mChannel.ForEachPixelInArea(area, invert, nullptr);
                mModel.ForEachInside(area, [&](int32 x, int32 y) { mModel.At(x, y) = uint8(255 - mModel.At(x, y)); });
                break;
            }
            default: {  // assignment from a copy that then changes must not share its writes
                CChannel copy(mChannel);
                copy.FillRect(copy.GetBounds(), uint8(mFill + 1));
                copy.SetPixel(copy.GetBounds().TopLeft(), uint8(mFill + 2));
                break;
            }
        }
    }

    void CheckRandomRead() {
        const GRect& bounds = mModel.Bounds();
        if (mDice.Chance(60)) {
            const GRect rect = mDice.Around(bounds);
            if (rect.Empty()) return;
            const PaddingMode mode = mDice.Mode();
            const int32 colBytes = mDice.Range(1, 2);
            const int32 rowBytes = rect.Width() * colBytes + 1;
            std::vector<uint8> got(size_t(rowBytes) * size_t(rect.Height()), kUntouched);
            if (mode == kPadThrow && !bounds.Contains(rect)) {
                CaptureReports([&] {
                    EXPECT_THROW(mChannel.GetTile(rect, got.data(), rowBytes, colBytes, mode, &kPadding), OutOfImageBounds);
                });
            } else {
                mChannel.GetTile(rect, got.data(), rowBytes, colBytes, mode, &kPadding);
            }
            const auto expected = mModel.Read(rect, mode == kPadThrow ? kPadNone : mode, kPadding, kUntouched);
            for (int32 y = 0; y < rect.Height(); ++y) {
                for (int32 x = 0; x < rect.Width(); ++x) {
                    const uint8 have = got[size_t(y) * rowBytes + size_t(x) * colBytes];
                    const uint8 want = expected[size_t(y) * rect.Width() + x];
                    if (have == want) continue;
                    ADD_FAILURE() << "GetTile mode " << mode << " of " << Describe(rect) << " at (" << rect.left + x
                                  << ", " << rect.top + y << "): " << int(have) << " != " << int(want);
                    return;
                }
            }
            return;
        }
        const GPoint point = mDice.PointAround(bounds);
        const PaddingMode mode = PaddingMode(mDice.Range(0, 2));
        uint8 got = kUntouched;
        mChannel.GetPixel(point, got, mode, &kPadding);
        const GRect one(point.h, point.v, point.h + 1, point.v + 1);
        EXPECT_EQ(got, mModel.Read(one, mode, kPadding, kUntouched)[0]) << "GetPixel mode " << mode << " at " << Describe(one);
    }

    void CheckWhole() {
        const GRect& bounds = mModel.Bounds();
        std::vector<uint8> got(size_t(bounds.Width()) * size_t(bounds.Height()), kUntouched);
        mChannel.GetTile(bounds, got.data(), bounds.Width());
        EXPECT_EQ(got, mModel.Read(bounds, kPadNone, kPadding, kUntouched));
    }

    void CheckBoundsSearches() {
        const uint8 threshold = RandomByte(mDice);
        StFindBoundsViaGreaterThan greater(mChannel.GetBounds(), threshold);
        StFindBoundsViaNotEqualTo different(mChannel.GetBounds(), threshold);
        mChannel.ForEachPixelInArea(mChannel.GetBounds(), greater, nullptr);
        mChannel.ForEachPixelInArea(mChannel.GetBounds(), different, nullptr);
        const GRect expectGreater = ModelBounds(mModel, [&](uint8 b) { return b > threshold; });
        const GRect expectDifferent = ModelBounds(mModel, [&](uint8 b) { return b != threshold; });
        EXPECT_EQ(greater.GetBounds(), expectGreater) << "threshold " << int(threshold);
        EXPECT_EQ(different.GetBounds(), expectDifferent) << "threshold " << int(threshold);
        EXPECT_EQ(mChannel.FindBoundsNotEqualTo(threshold), expectDifferent) << "threshold " << int(threshold);
    }

    RectDice mDice;
    uint8 mFill;
    CChannel mChannel;
    Model mModel;
    CChannel mSource;
    Model mSourceModel;
};

class ChannelModel : public ::testing::TestWithParam<GRect> {};

TEST_P(ChannelModel, RandomWritesMatchAFlatArray) {
    for (uint32 seed = 1; seed <= 2 && !HasFailure(); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        ChannelModelRun(GetParam(), seed * 104729 + uint32(GetParam().Height())).Run(500);
    }
}

INSTANTIATE_TEST_SUITE_P(Bounds, ChannelModel, ::testing::ValuesIn(kModelBounds));

}  // namespace
