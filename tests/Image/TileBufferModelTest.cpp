// Long random sequences of writes to a CNativeQuadTileBuffer, mirrored on a flat array, with reads in
// every padding mode over rectangles that cross the bounds.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Src/Orvane/Src/Image/CNativeQuadTileBuffer.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "tests/Image/PlaneModel.h"
#include "tests/support/ReportCapture.h"

namespace {

using Model = PlaneModel<NativeQuad>;

constexpr NativeQuad kUntouched{0xDE, 0xAD, 0xBE, 0xEF};
constexpr NativeQuad kPadding{1, 2, 3, 4};
constexpr int32 kComponentOffset[4] = {2, 1, 0, 3};  // red, green, blue, alpha

std::string Describe(const GRect& inRect) {
    return "(" + std::to_string(inRect.left) + ", " + std::to_string(inRect.top) + ", " + std::to_string(inRect.right) +
           ", " + std::to_string(inRect.bottom) + ")";
}

// Draws quads from a small palette most of the time, so that equal values (and constant tiles holding
// them) meet often.
NativeQuad RandomQuad(RectDice& ioDice) {
    static constexpr NativeQuad kPalette[] = {{255, 255, 255, 0}, {0, 0, 0, 255}, {10, 20, 30, 40}, {7, 7, 7, 7}};
    if (ioDice.Chance(60)) return kPalette[ioDice.Range(0, 3)];
    return NativeQuad{uint8(ioDice.Range(0, 255)), uint8(ioDice.Range(0, 255)), uint8(ioDice.Range(0, 255)),
                      uint8(ioDice.Range(0, 255))};
}

class TileBufferModelRun {
public:
    TileBufferModelRun(const GRect& inBounds, uint32 inSeed)
        : mDice(inSeed),
          mFill(RandomQuad(mDice)),
          mBuffer(inBounds, mFill),
          mModel(inBounds, mFill),
          mSource(GRect(-20, 10, 120, 90), kPadding),
          mSourceModel(GRect(-20, 10, 120, 90), kPadding),
          mSnapshot(mBuffer),
          mSnapshotModel(mModel) {
        // The copy source gets stored and constant tiles of its own.
        std::vector<NativeQuad> data(140 * 80);
        for (NativeQuad& quad : data) quad = RandomQuad(mDice);
        mSource.SetTile(GRect(-20, 10, 120, 90), data.data(), 140 * 4);
        mSourceModel.Write(GRect(-20, 10, 120, 90), data, 140);
        mSource.FillRect(GRect(-20, 10, 44, 74), kPadding);
        mSourceModel.Fill(GRect(-20, 10, 44, 74), kPadding);
    }

    void Run(int32 inSteps) {
        for (int32 step = 0; step < inSteps && !::testing::Test::HasFailure(); ++step) {
            Mutate();
            CheckRandomRead();
            if (step % 25 == 0) CheckWhole(mBuffer, mModel, "buffer");
            if (step % 200 == 100) {
                mSnapshot = mBuffer;
                mSnapshotModel = mModel;
            }
        }
        CheckWhole(mBuffer, mModel, "buffer");
        CheckWhole(mSnapshot, mSnapshotModel, "earlier copy");
    }

private:
    void Mutate() {
        const GRect& bounds = mModel.Bounds();
        switch (mDice.Range(0, 6)) {
            case 0: {  // SetTile with row padding in the caller's memory
                const GRect rect = mDice.Around(bounds);
                const int32 stride = rect.Width() + mDice.Range(0, 2);
                std::vector<NativeQuad> data(size_t(stride) * size_t(std::max(rect.Height(), 0)) + 1);
                for (NativeQuad& quad : data) quad = RandomQuad(mDice);
                mBuffer.SetTile(rect, data.data(), stride * 4);
                mModel.Write(rect, data, stride);
                break;
            }
            case 1: {  // SetChannel with a pixel stride
                const GRect rect = mDice.Around(bounds);
                const int32 channel = mDice.Range(0, 3);
                const int32 colBytes = mDice.Range(1, 3);
                const int32 rowBytes = rect.Width() * colBytes + mDice.Range(0, 3);
                std::vector<uint8> data(size_t(rowBytes) * size_t(std::max(rect.Height(), 0)) + 1);
                for (uint8& byte : data) byte = uint8(mDice.Range(0, 255));
                mBuffer.SetChannel(rect, channel, data.data(), rowBytes, colBytes);
                mModel.ForEachInside(rect, [&](int32 x, int32 y) {
                    reinterpret_cast<uint8*>(&mModel.At(x, y))[kComponentOffset[channel]] =
                        data[size_t(y - rect.top) * size_t(rowBytes) + size_t(x - rect.left) * size_t(colBytes)];
                });
                break;
            }
            case 2: {  // FillRect, often over whole tiles
                const GRect rect = mDice.Chance(50) ? mDice.Cells(bounds) : mDice.Around(bounds);
                const NativeQuad value = RandomQuad(mDice);
                mBuffer.FillRect(rect, value);
                mModel.Fill(rect, value);
                break;
            }
            case 3: {  // CopyRect from another buffer or from itself
                const bool self = mDice.Chance(40);
                const GRect srcRect = mDice.Inside(self ? bounds : mSourceModel.Bounds());
                const GRect destRect = mDice.Chance(30) ? mDice.Cells(bounds) : mDice.Around(bounds);
                const GRect sized(destRect.left, destRect.top, destRect.left + srcRect.Width(), destRect.top + srcRect.Height());
                if (self) {
                    mBuffer.CopyRect(mBuffer, srcRect, sized);
                    mModel.Copy(mModel, srcRect, sized);
                } else {
                    mBuffer.CopyRect(mSource, srcRect, sized);
                    mModel.Copy(mSourceModel, srcRect, sized);
                }
                break;
            }
            case 4: {  // SetPixel, inside and just outside
                const GPoint point = mDice.PointAround(bounds);
                const NativeQuad value = mDice.Chance(30) ? mFill : RandomQuad(mDice);
                mBuffer.SetPixel(point, value);
                mModel.SetPixel(point.h, point.v, value);
                break;
            }
            case 5: {  // the writing tile walk
                const GRect area = mDice.Inside(bounds);
                const uint8 salt = uint8(mDice.Range(0, 255));
                Stamp stamp(salt);
                mBuffer.ForEachPixelInArea(area, stamp, nullptr);
                mModel.ForEachInside(area, [&](int32 x, int32 y) { mModel.At(x, y) = Stamp::Value(x, y, salt); });
                break;
            }
            default: {  // a copy made now must not see later writes
                mSnapshot = mBuffer;
                mSnapshotModel = mModel;
                break;
            }
        }
    }

    void CheckRandomRead() {
        const GRect& bounds = mModel.Bounds();
        switch (mDice.Range(0, 3)) {
            case 0:
                CheckGetTile(mDice.Around(bounds), mDice.Mode());
                break;
            case 1:
                CheckGetChannel(mDice.Around(bounds), mDice.Range(0, 3), mDice.Mode());
                break;
            case 2:
                CheckGetPixel(mDice.PointAround(bounds), mDice.Mode());
                break;
            default:
                CheckChannelConstant(mDice.Around(bounds), mDice.Range(0, 3));
                break;
        }
    }

    // Throwing reads copy the inside part first; the outside stays as it was.
    void CheckGetTile(const GRect& inRect, PaddingMode inMode) {
        if (inRect.Empty()) return;
        std::vector<NativeQuad> got(size_t(inRect.Width()) * size_t(inRect.Height()), kUntouched);
        const bool throws = inMode == kPadThrow && !mModel.Bounds().Contains(inRect);
        if (throws) {
            CaptureReports([&] {
                EXPECT_THROW(mBuffer.GetTile(inRect, got.data(), inRect.Width() * 4, inMode, &kPadding), OutOfImageBounds)
                    << Describe(inRect);
            });
        } else {
            mBuffer.GetTile(inRect, got.data(), inRect.Width() * 4, inMode, &kPadding);
        }
        const auto expected = mModel.Read(inRect, inMode == kPadThrow ? kPadNone : inMode, kPadding, kUntouched);
        ExpectSame(got, expected, inRect, "GetTile mode " + std::to_string(inMode));
    }

    void CheckGetChannel(const GRect& inRect, int32 inChannel, PaddingMode inMode) {
        if (inRect.Empty() || inMode == kPadThrow) return;
        const int32 colBytes = 2;
        const int32 rowBytes = inRect.Width() * colBytes + 1;
        std::vector<uint8> got(size_t(rowBytes) * size_t(inRect.Height()), 0x5A);
        mBuffer.GetChannel(inRect, inChannel, got.data(), rowBytes, colBytes, inMode, &kPadding);
        const NativeQuad untouched{0x5A, 0x5A, 0x5A, 0x5A};
        const auto expected = mModel.Read(inRect, inMode, kPadding, untouched);
        for (int32 y = 0; y < inRect.Height(); ++y) {
            for (int32 x = 0; x < inRect.Width(); ++x) {
                const uint8 want = reinterpret_cast<const uint8*>(&expected[size_t(y) * inRect.Width() + x])[kComponentOffset[inChannel]];
                const uint8 have = got[size_t(y) * rowBytes + size_t(x) * colBytes];
                if (have != want) {
                    ADD_FAILURE() << "GetChannel " << inChannel << " mode " << inMode << " of " << Describe(inRect)
                                  << " at (" << inRect.left + x << ", " << inRect.top + y << "): " << int(have)
                                  << " != " << int(want);
                    return;
                }
                // The byte between two pixels belongs to the caller and stays as it was.
                EXPECT_EQ(got[size_t(y) * rowBytes + size_t(x) * colBytes + 1], 0x5A);
            }
        }
    }

    void CheckGetPixel(const GPoint& inPoint, PaddingMode inMode) {
        NativeQuad got = kUntouched;
        const GRect one(inPoint.h, inPoint.v, inPoint.h + 1, inPoint.v + 1);
        if (inMode == kPadThrow && !mModel.Inside(inPoint.h, inPoint.v)) {
            CaptureReports([&] { EXPECT_THROW(mBuffer.GetPixel(inPoint, got, inMode, &kPadding), OutOfImageBounds); });
            return;
        }
        mBuffer.GetPixel(inPoint, got, inMode, &kPadding);
        EXPECT_EQ(NativeQuadToWord(got), NativeQuadToWord(mModel.Read(one, inMode, kPadding, kUntouched)[0]))
            << "GetPixel mode " << inMode << " at " << Describe(one);
    }

    void CheckChannelConstant(const GRect& inRect, int32 inChannel) {
        bool constant = true;
        bool seen = false;
        uint8 value = 0;
        mModel.ForEachInside(inRect, [&](int32 x, int32 y) {
            const uint8 byte = reinterpret_cast<const uint8*>(&mModel.At(x, y))[kComponentOffset[inChannel]];
            if (seen && byte != value) constant = false;
            value = byte;
            seen = true;
        });
        uint8 reported = 0;
        EXPECT_EQ(mBuffer.IsChannelConstant(inRect, inChannel, &reported), constant) << Describe(inRect);
        if (constant && seen) {
            EXPECT_EQ(reported, value);
        }
    }

    static void CheckWhole(const CNativeQuadTileBuffer& inBuffer, const Model& inModel, const char* inWhat) {
        const GRect& bounds = inModel.Bounds();
        std::vector<NativeQuad> got(size_t(bounds.Width()) * size_t(bounds.Height()), kUntouched);
        inBuffer.GetTile(bounds, got.data(), bounds.Width() * 4, kPadNone, nullptr);
        ExpectSame(got, inModel.Read(bounds, kPadNone, kPadding, kUntouched), bounds, inWhat);
    }

    static void ExpectSame(const std::vector<NativeQuad>& inGot, const std::vector<NativeQuad>& inExpected,
                           const GRect& inRect, const std::string& inWhat) {
        for (size_t i = 0; i < inGot.size(); ++i) {
            if (inGot[i] == inExpected[i]) continue;
            ADD_FAILURE() << inWhat << " of " << Describe(inRect) << " differs at ("
                          << inRect.left + int32(i % size_t(inRect.Width())) << ", "
                          << inRect.top + int32(i / size_t(inRect.Width())) << "): " << std::hex
                          << NativeQuadToWord(inGot[i]) << " != " << NativeQuadToWord(inExpected[i]);
            return;
        }
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
                NativeQuad* row = reinterpret_cast<NativeQuad*>(reinterpret_cast<uint8*>(inTilePtr) +
                                                                (y - inTileRect.top) * inRowBytes);
                for (int32 x = inTileRect.left; x < inTileRect.right; ++x) row[x - inTileRect.left] = Value(x, y, mSalt);
            }
            return true;
        }

    private:
        uint8 mSalt;
    };

    RectDice mDice;
    NativeQuad mFill;
    CNativeQuadTileBuffer mBuffer;
    Model mModel;
    CNativeQuadTileBuffer mSource;
    Model mSourceModel;
    CNativeQuadTileBuffer mSnapshot;
    Model mSnapshotModel;
};

class TileBufferModel : public ::testing::TestWithParam<GRect> {};

TEST_P(TileBufferModel, RandomWritesMatchAFlatArrayInEveryPaddingMode) {
    for (uint32 seed = 1; seed <= 2 && !HasFailure(); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        TileBufferModelRun(GetParam(), seed * 7919 + uint32(GetParam().Width())).Run(500);
    }
}

INSTANTIATE_TEST_SUITE_P(Bounds, TileBufferModel, ::testing::ValuesIn(kModelBounds));

}  // namespace
