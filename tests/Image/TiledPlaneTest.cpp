// Long random sequences of writes to the tiled planes (CNativeQuadTileBuffer and CChannel) mirrored on a
// flat array with one element per pixel, where every operation is done pixel by pixel from its
// definition: SetTile with pixel strides and row padding, FillRect (often over whole cells), CopyRect
// from another plane or the plane itself, SetPixel inside and just outside, the writing tile walk, copies
// that must not share later writes, and halfway a shrink to a part of the plane (sometimes moved). Every
// write is followed by a random read in any padding mode over a rectangle that may cross the bounds;
// caller bytes between pixels and after rows must stay untouched. The tile buffer adds its component
// reads and writes and its search for pixels that are not transparent, the channel its inversion walk
// and bounds searches. Beside the runs: the tile buffer's constant tiles, walks, huge bounds and the
// expansion from channels. (Four channels woven in at once are compared with one at a time by the reader
// suite.) Beside them too: the row tests behind constant tiles and transparent bands.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <new>
#include <random>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "Src/Orvane/Src/Image/CChannel.h"
#include "Src/Orvane/Src/Image/CNativeQuadTileBuffer.h"
#include "Src/Orvane/Src/Image/ElementRows.h"
#include "Src/Orvane/Src/Image/StChannelProcessors.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "tests/support/ReportCapture.h"

namespace {

std::string Describe(const GRect& inRect) {
    return "(" + std::to_string(inRect.left) + ", " + std::to_string(inRect.top) + ", " +
           std::to_string(inRect.right) + ", " + std::to_string(inRect.bottom) + ")";
}

// Byte of element (x, y) of a rectangle in caller memory with the given row and column bytes.
size_t Offset(const GRect& inRect, int32 inX, int32 inY, int32 inRowBytes, int32 inColBytes) {
    return size_t(inY - inRect.top) * size_t(inRowBytes) + size_t(inX - inRect.left) * size_t(inColBytes);
}

template <class T>
struct FlatModel {
    GRect bounds;
    std::vector<T> pixels;

    FlatModel(const GRect& inBounds, T inFill) : bounds(inBounds), pixels(size_t(inBounds.Area()), inFill) {}
    T& At(int32 inX, int32 inY) {
        return pixels[size_t(inY - bounds.top) * size_t(bounds.Width()) + size_t(inX - bounds.left)];
    }
    // Visits the pixels of inRect inside the bounds.
    template <class F>
    void Each(const GRect& inRect, F&& inVisit) {
        const GRect r = inRect.Intersection(bounds);
        for (int32 y = r.top; y < r.bottom; ++y)
            for (int32 x = r.left; x < r.right; ++x) inVisit(x, y, At(x, y));
    }
    // What a read of (x, y) writes: the pixel, the nearest one inside, the padding, or nothing (null).
    T* Read(int32 inX, int32 inY, PaddingMode inMode, T& ioPadding) {
        if (bounds.Contains(GPoint(inX, inY))) return &At(inX, inY);
        if (inMode == kPadEdge)
            return &At(Pin(bounds.left, inX, bounds.right - 1), Pin(bounds.top, inY, bounds.bottom - 1));
        return inMode == kPadValue ? &ioPadding : nullptr;
    }
};

constexpr int32 kComponentOffset[4] = {2, 1, 0, 3};  // red, green, blue, alpha
constexpr uint8 kUntouched = 0xA5;

uint8& Component(NativeQuad& ioQuad, int32 inChannel) {
    return reinterpret_cast<uint8*>(&ioQuad)[kComponentOffset[inChannel]];
}

// Writes a value computed from each pixel's coordinates, so misplaced parts show.
struct Stamp : CNQTileProcessor {
    uint8 salt = 0;
    static NativeQuad Value(int32 inX, int32 inY, uint8 inSalt) {
        return NativeQuad{uint8(inX), uint8(inY), inSalt, uint8(inX ^ inY)};
    }
    bool Process(const GRect& inTileRect, NativeQuad* inTilePtr, int32 inRowBytes) override {
        for (int32 y = inTileRect.top; y < inTileRect.bottom; ++y)
            for (int32 x = inTileRect.left; x < inTileRect.right; ++x)
                reinterpret_cast<NativeQuad*>(reinterpret_cast<uint8*>(inTilePtr) +
                                              (y - inTileRect.top) * inRowBytes)[x - inTileRect.left] =
                    Value(x, y, salt);
        return true;
    }
};

template <class Plane, class T>
class ModelRun {
    static constexpr bool kQuads = std::is_same_v<T, NativeQuad>;
    static constexpr int32 kSize = int32(sizeof(T));
    static constexpr GRect kSourceBounds{-20, 10, 120, 90};

public:
    ModelRun(const GRect& inBounds, uint32 inSeed, T inPadding)
        : mEngine(inSeed),
          mPadding(inPadding),
          mFill(Value()),
          mPlane(inBounds, mFill),
          mModel(inBounds, mFill),
          mSource(kSourceBounds, inPadding),
          mSourceModel(kSourceBounds, inPadding),
          mSnapshot(mPlane),
          mSnapshotModel(mModel) {
        std::memset(&mUntouched, kUntouched, sizeof(T));
        // The copy source gets stored and constant tiles of its own.
        SetTile(mSource, mSourceModel, kSourceBounds, kSize, kSourceBounds.Width() * kSize);
        const GRect firstCell(kSourceBounds.left, kSourceBounds.top, kSourceBounds.left + 64,
                              kSourceBounds.top + 64);
        mSource.FillRect(firstCell, inPadding);
        mSourceModel.Each(firstCell, [&](int32, int32, T& p) { p = inPadding; });
    }

    void Run(int32 inSteps) {
        for (int32 step = 0; step < inSteps && !::testing::Test::HasFailure(); ++step) {
            Write(In(0, kQuads ? 6 : 5));
            const int32 read = In(0, kQuads ? 3 : 1);
            if (read == 0)
                CheckTile(mPlane, mModel, Around(mModel.bounds), PaddingMode(In(0, 3)), ColBytes());
            else if (read == 1)
                CheckPixel(PointAround(mModel.bounds), PaddingMode(In(0, 3)));
            else
                CheckComponent(read == 2);
            if (step == inSteps / 2) Shrink();
            if (step % 25 == 0) CheckTile(mPlane, mModel, mModel.bounds, kPadNone, kSize);
            if (step % 50 == 0) CheckSearches();
        }
        CheckTile(mPlane, mModel, mModel.bounds, kPadNone, kSize);
        CheckTile(mSnapshot, mSnapshotModel, mSnapshotModel.bounds, kPadNone, kSize);
        CheckSearches();
    }

private:
    int32 In(int32 inLow, int32 inHigh) {
        return std::uniform_int_distribution<int32>(inLow, inHigh)(mEngine);
    }
    bool Chance(int32 inPercent) { return In(0, 99) < inPercent; }

    // Rectangles and points reaching a little more than one tile past each side of the bounds, so that
    // negative coordinates and partial edge tiles occur; blocks of whole grid cells.
    GRect Around(const GRect& inBounds) {
        const int32 left = In(inBounds.left - 70, inBounds.right + 2),
                    top = In(inBounds.top - 70, inBounds.bottom + 2);
        return GRect(left, top, left + In(0, 150), top + In(0, 100));
    }
    GRect Inside(const GRect& inBounds) {
        const int32 left = In(inBounds.left, inBounds.right - 1), top = In(inBounds.top, inBounds.bottom - 1);
        return GRect(left, top, In(left + 1, inBounds.right), In(top + 1, inBounds.bottom));
    }
    GRect Cells(const GRect& inBounds) {
        const int32 left = inBounds.left + 64 * In(0, (inBounds.Width() - 1) / 64);
        const int32 top = inBounds.top + 64 * In(0, (inBounds.Height() - 1) / 64);
        return GRect(left, top, left + 64 * In(1, 2), top + 64 * In(1, 2));
    }
    GPoint PointAround(const GRect& inBounds) {
        return GPoint(In(inBounds.left - 3, inBounds.right + 2), In(inBounds.top - 3, inBounds.bottom + 2));
    }

    // Mostly values from a small palette, so that equal values (and constant tiles holding them) meet
    // often; for channels the thresholds the bounds searches use.
    T Value() {
        if constexpr (kQuads) {
            static constexpr NativeQuad kPalette[] = {
                {255, 255, 255, 0}, {0, 0, 0, 255}, {10, 20, 30, 40}, {7, 7, 7, 7}};
            if (Chance(60)) return kPalette[In(0, 3)];
            return NativeQuad{uint8(In(0, 255)), uint8(In(0, 255)), uint8(In(0, 255)), uint8(In(0, 255))};
        } else {
            static constexpr uint8 kPalette[] = {0, 127, 128, 255};
            return Chance(70) ? kPalette[In(0, 3)] : uint8(In(0, 255));
        }
    }
    // A pixel stride larger than one element where the plane takes one.
    int32 ColBytes() { return kQuads ? kSize : In(1, 3); }

    void SetTile(Plane& ioPlane, FlatModel<T>& ioModel, const GRect& inRect, int32 inColBytes,
                 int32 inRowBytes) {
        std::vector<uint8> bytes(size_t(inRowBytes) * size_t(inRect.Height()) + sizeof(T));
        for (size_t i = 0; i + sizeof(T) <= bytes.size(); i += sizeof(T)) {
            const T value = Value();
            std::memcpy(&bytes[i], &value, sizeof(T));
        }
        const T* data = reinterpret_cast<const T*>(bytes.data());
        inColBytes == kSize ? ioPlane.SetTile(inRect, data, inRowBytes)
                            : ioPlane.SetTile(inRect, data, inRowBytes, inColBytes);
        ioModel.Each(inRect, [&](int32 x, int32 y, T& p) {
            std::memcpy(&p, &bytes[Offset(inRect, x, y, inRowBytes, inColBytes)], sizeof(T));
        });
    }

    void Fill(Plane& ioPlane, FlatModel<T>& ioModel, const GRect& inRect, T inValue) {
        ioPlane.FillRect(inRect, inValue);
        ioModel.Each(inRect, [&](int32, int32, T& p) { p = inValue; });
    }

    void Write(int32 inWhich) {
        const GRect bounds = mModel.bounds;
        if (inWhich == 0) {
            const GRect rect = Around(bounds);
            const int32 colBytes = ColBytes();
            SetTile(mPlane, mModel, rect, colBytes, rect.Width() * colBytes + kSize * In(0, 2));
        } else if (inWhich == 1) {
            Fill(mPlane, mModel, Chance(50) ? Cells(bounds) : Around(bounds), Value());
        } else if (inWhich == 2) {  // the source as it was before the copy
            const bool self = Chance(40);
            FlatModel<T> from = self ? mModel : mSourceModel;
            const GRect src = Inside(from.bounds), at = Chance(30) ? Cells(bounds) : Around(bounds);
            const GRect dest(at.left, at.top, at.left + src.Width(), at.top + src.Height());
            mPlane.CopyRect(self ? mPlane : mSource, src, dest);
            mModel.Each(dest, [&](int32 x, int32 y, T& p) {
                p = from.At(x - dest.left + src.left, y - dest.top + src.top);
            });
        } else if (inWhich == 3) {
            const GPoint point = PointAround(bounds);
            const T value = Chance(30) ? mFill : Value();
            mPlane.SetPixel(point, value);
            mModel.Each(GRect(point.h, point.v, point.h + 1, point.v + 1),
                        [&](int32, int32, T& p) { p = value; });
        } else if (inWhich == 4) {
            Walk(Inside(bounds));
        } else if (inWhich ==
                   5) {  // a copy, assigned or constructed, then written to: neither sees the other
            if (Chance(50))
                mSnapshot = mPlane;
            else
                mSnapshot = Plane(mPlane);
            mSnapshotModel = mModel;
            Fill(mSnapshot, mSnapshotModel, Around(bounds), Value());
        } else if constexpr (kQuads) {  // one component, with a pixel stride and row padding
            const GRect rect = Around(bounds);
            const int32 channel = In(0, 3), colBytes = In(1, 3);
            const int32 rowBytes = rect.Width() * colBytes + In(0, 3);
            std::vector<uint8> data(size_t(rowBytes) * size_t(rect.Height()) + 1);
            for (uint8& byte : data) byte = uint8(In(0, 255));
            mPlane.SetChannel(rect, channel, data.data(), rowBytes, colBytes);
            mModel.Each(rect, [&](int32 x, int32 y, T& p) {
                Component(p, channel) = data[Offset(rect, x, y, rowBytes, colBytes)];
            });
        }
    }

    void Walk(const GRect& inArea) {
        if constexpr (kQuads) {
            Stamp stamp;
            stamp.salt = uint8(In(0, 255));
            mPlane.ForEachPixelInArea(inArea, stamp, nullptr);
            mModel.Each(inArea, [&](int32 x, int32 y, T& p) { p = Stamp::Value(x, y, stamp.salt); });
        } else {
            StInvertChannel invert;
            mPlane.ForEachPixelInArea(inArea, invert, nullptr);
            mModel.Each(inArea, [&](int32, int32, T& p) { p = uint8(255 - p); });
        }
    }

    // Halfway through, the plane narrows to a random part of itself (its tile grid then starts before its
    // bounds) and is sometimes moved; the run goes on over the new bounds.
    void Shrink() {
        const GRect inner = Inside(mModel.bounds);
        FlatModel<T> kept(inner, T{});
        kept.Each(inner, [&](int32 x, int32 y, T& p) { p = mModel.At(x, y); });
        mModel = kept;
        mPlane.ShrinkTo(inner);
        if (Chance(50)) {
            const GPoint to(inner.left + In(-70, 70), inner.top + In(-70, 70));
            mPlane.MoveTo(to);
            mModel.bounds.Offset(to.h - inner.left, to.v - inner.top);
        }
        CheckTile(mPlane, mModel, mModel.bounds, kPadNone, kSize);
    }

    // A throwing read copies the inside part first; the outside stays as it was.
    void CheckTile(const Plane& inPlane, FlatModel<T>& inModel, const GRect& inRect, PaddingMode inMode,
                   int32 inColBytes) {
        if (inRect.Empty()) return;
        const int32 rowBytes = inRect.Width() * inColBytes + kSize;
        std::vector<uint8> got(size_t(rowBytes) * size_t(inRect.Height()), kUntouched), expected = got;
        T* out = reinterpret_cast<T*>(got.data());
        const auto read = [&] {
            inColBytes == kSize ? inPlane.GetTile(inRect, out, rowBytes, inMode, &mPadding)
                                : inPlane.GetTile(inRect, out, rowBytes, inColBytes, inMode, &mPadding);
        };
        if (inMode == kPadThrow && !inModel.bounds.Contains(inRect))
            CaptureReports([&] { EXPECT_THROW(read(), OutOfImageBounds) << Describe(inRect); });
        else
            read();
        for (int32 y = inRect.top; y < inRect.bottom; ++y)
            for (int32 x = inRect.left; x < inRect.right; ++x)
                if (const T* p = inModel.Read(x, y, inMode, mPadding))
                    std::memcpy(&expected[Offset(inRect, x, y, rowBytes, inColBytes)], p, sizeof(T));
        EXPECT_TRUE(got == expected) << "GetTile mode " << inMode << " column bytes " << inColBytes << " of "
                                     << Describe(inRect);
    }

    void CheckPixel(const GPoint& inPoint, PaddingMode inMode) {
        T got = mUntouched;
        if (inMode == kPadThrow && !mModel.bounds.Contains(inPoint)) {
            CaptureReports(
                [&] { EXPECT_THROW(mPlane.GetPixel(inPoint, got, inMode, &mPadding), OutOfImageBounds); });
            return;
        }
        mPlane.GetPixel(inPoint, got, inMode, &mPadding);
        const T* expected = mModel.Read(inPoint.h, inPoint.v, inMode, mPadding);
        EXPECT_TRUE(got == (expected ? *expected : mUntouched))
            << "GetPixel mode " << inMode << " at " << inPoint.h << ", " << inPoint.v;
    }

    // GetChannel, packed or with a byte between two pixels that stays the caller's, and IsChannelConstant.
    void CheckComponent(bool inRead) {
        if constexpr (kQuads) {
            const GRect rect = inRead || Chance(50) ? Around(mModel.bounds) : Cells(mModel.bounds);
            const int32 channel = In(0, 3);
            if (!inRead) {  // often over cells just filled one by one, so that constant tiles meet
                for (int32 y = rect.top; y < rect.bottom && Chance(50); y += 64)
                    for (int32 x = rect.left; x < rect.right; x += 64)
                        Fill(mPlane, mModel, GRect(x, y, x + 64, y + 64), Value());
                std::set<uint8> values;
                mModel.Each(rect, [&](int32, int32, T& p) { values.insert(Component(p, channel)); });
                uint8 reported = 0;
                EXPECT_EQ(mPlane.IsChannelConstant(rect, channel, &reported), values.size() <= 1)
                    << Describe(rect);
                if (values.size() == 1) {
                    EXPECT_EQ(reported, *values.begin());
                }
                return;
            }
            const PaddingMode mode = PaddingMode(In(0, 2));
            const int32 colBytes = In(1, 2), rowBytes = rect.Width() * colBytes + 1;
            if (rect.Empty()) return;
            std::vector<uint8> got(size_t(rowBytes) * size_t(rect.Height()), kUntouched), expected = got;
            mPlane.GetChannel(rect, channel, got.data(), rowBytes, colBytes, mode, &mPadding);
            for (int32 y = rect.top; y < rect.bottom; ++y)
                for (int32 x = rect.left; x < rect.right; ++x)
                    if (T* p = mModel.Read(x, y, mode, mPadding))
                        expected[Offset(rect, x, y, rowBytes, colBytes)] = Component(*p, channel);
            EXPECT_EQ(got, expected) << "GetChannel " << channel << " mode " << mode << " of "
                                     << Describe(rect);
        }
    }

    // The bounds searches against the bounds of the model's pixels that pass the same test: for the
    // channel the processors and the search for bytes other than a threshold, for the tile buffer the
    // search for alpha other than 0.
    void CheckSearches() {
        const auto modelBounds = [&](auto inPasses) {
            GRect found;
            mModel.Each(mModel.bounds, [&](int32 x, int32 y, T& p) {
                if (inPasses(p)) found.UnionWith(GRect(x, y, x + 1, y + 1));
            });
            return found;
        };
        if constexpr (kQuads) {
            EXPECT_EQ(mPlane.FindNonTransparentBounds(), modelBounds([](T& p) { return p.alpha != 0; }));
        } else {
            const uint8 threshold = Value();
            StFindBoundsViaGreaterThan greater(mPlane.GetBounds(), threshold);
            StFindBoundsViaNotEqualTo different(mPlane.GetBounds(), threshold);
            mPlane.ForEachPixelInArea(mPlane.GetBounds(), greater, nullptr);
            mPlane.ForEachPixelInArea(mPlane.GetBounds(), different, nullptr);
            const GRect expectDifferent = modelBounds([&](uint8 b) { return b != threshold; });
            EXPECT_EQ(greater.GetBounds(), modelBounds([&](uint8 b) { return b > threshold; }))
                << int(threshold);
            EXPECT_EQ(different.GetBounds(), expectDifferent) << int(threshold);
            EXPECT_EQ(mPlane.FindBoundsNotEqualTo(threshold), expectDifferent) << int(threshold);
        }
    }

    std::mt19937 mEngine;
    T mPadding, mUntouched, mFill;
    Plane mPlane;
    FlatModel<T> mModel;
    Plane mSource;
    FlatModel<T> mSourceModel;
    Plane mSnapshot;
    FlatModel<T> mSnapshotModel;
};

// Bounds the runs cover: one pixel, 65 pixels (one pixel into a second tile), negative origins, partial
// edge tiles on both axes, exact multiples of the tile size.
class PlaneModel : public ::testing::TestWithParam<GRect> {};

TEST_P(PlaneModel, RandomWritesMatchAFlatArrayInEveryPaddingMode) {
    const GRect bounds = GetParam();
    for (uint32 seed = 1; seed <= 2 && !HasFailure(); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        ModelRun<CNativeQuadTileBuffer, NativeQuad>(bounds, seed * 7919 + uint32(bounds.Width()),
                                                    NativeQuad{1, 2, 3, 4})
            .Run(500);
        ModelRun<CChannel, uint8>(bounds, seed * 104729 + uint32(bounds.Height()), 0x3C).Run(500);
    }
}

INSTANTIATE_TEST_SUITE_P(Bounds, PlaneModel,
                         ::testing::Values(GRect(0, 0, 1, 1), GRect(0, 0, 65, 1), GRect(0, 0, 1, 65),
                                           GRect(0, 0, 65, 65), GRect(-70, -3, 60, 130), GRect(5, 7, 200, 70),
                                           GRect(0, 0, 128, 64), GRect(-1, -1, 0, 0)));

constexpr NativeQuad kRed = MakeNativeQuad(255, 0, 0, 255);
constexpr NativeQuad kBlue = MakeNativeQuad(0, 0, 255, 128);
constexpr NativeQuad kMarker = MakeNativeQuad(1, 2, 3, 4);
constexpr NativeQuad kUntouchedQuad = MakeNativeQuad(0xDE, 0xAD, 0xBE, 0xEF);

constexpr auto& Word = NativeQuadToWord;

NativeQuad PixelAt(const CNativeQuadTileBuffer& inBuffer, int32 inX, int32 inY) {
    NativeQuad result = kUntouchedQuad;
    inBuffer.GetPixel(GPoint(inX, inY), result, kPadNone, nullptr);
    return result;
}

// Records every part the read-only walk hands out.
struct Recorder : CNQConstTileProcessor {
    bool Process(const GRect& inTileRect, const NativeQuad* inTilePtr, int32) override {
        mParts.push_back(inTileRect);
        mPointers.push_back(inTilePtr);
        return true;
    }
    std::vector<GRect> mParts;
    std::vector<const NativeQuad*> mPointers;
};

// A writing walk that only checks the constant was written into each tile before it is handed out.
struct ExpectBlue : CNQTileProcessor {
    bool Process(const GRect&, NativeQuad* inTilePtr, int32) override {
        EXPECT_EQ(Word(*inTilePtr), Word(kBlue));
        return true;
    }
};

// Which tiles of a 130 x 130 buffer filled blue (3 x 3 cells) store pixels after one operation; the
// others stay constant, without pixel memory unless a read-only walk needed it. The pixel values
// themselves are the model runs' business.
TEST(TileBufferConstantTiles, OnlyPartialWritesStoreTiles) {
    using Buffer = CNativeQuadTileBuffer;
    const struct {
        const char* name;
        std::function<void(Buffer&)> apply;
        std::vector<int32> stored;
    } cases[] = {
        {"fresh", [](Buffer&) {}, {}},
        {"fill a whole cell", [](Buffer& b) { b.FillRect(GRect(64, 64, 128, 128), kRed); }, {}},
        {"fill a stored cell",
         [](Buffer& b) {
             b.SetPixel(GPoint(70, 70), kRed);
             b.FillRect(GRect(64, 64, 128, 128), kBlue);
         },
         {}},
        {"fill an edge cell up to the edge", [](Buffer& b) { b.FillRect(GRect(128, 0, 130, 64), kRed); }, {}},
        {"fill one pixel", [](Buffer& b) { b.FillRect(GRect(0, 0, 1, 1), kRed); }, {0}},
        {"set a pixel to its value", [](Buffer& b) { b.SetPixel(GPoint(3, 3), kBlue); }, {}},
        {"set a pixel outside", [](Buffer& b) { b.SetPixel(GPoint(130, 3), kRed); }, {}},
        {"set a pixel", [](Buffer& b) { b.SetPixel(GPoint(70, 3), kRed); }, {1}},
        {"read-only walk",
         [](Buffer& b) {
             Recorder reader;
             b.ForEachPixelInArea(GRect(0, 0, 70, 70), reader, nullptr);
             EXPECT_EQ(reader.mParts.size(), 4u);
             EXPECT_EQ(Word(*reader.mPointers[3]), Word(kBlue));
         },
         {}},
        {"writing walk",
         [](Buffer& b) {
             ExpectBlue writer;
             b.ForEachPixelInArea(GRect(0, 0, 70, 70), writer, nullptr);
         },
         {0, 1, 3, 4}},
        {"aligned copy of a constant and a stored tile",
         [](Buffer& b) {
             Buffer source(GRect(0, 0, 128, 64), kRed);
             source.SetPixel(GPoint(100, 10), kMarker);
             b.CopyRect(source, GRect(0, 0, 128, 64), GRect(0, 64, 128, 128));
         },
         {4}},
    };
    for (const auto& c : cases) {
        Buffer buffer(GRect(0, 0, 130, 130), kBlue);
        c.apply(buffer);
        for (int32 i = 0; i < buffer.TileCount(); ++i) {
            const bool stored = std::find(c.stored.begin(), c.stored.end(), i) != c.stored.end();
            EXPECT_EQ(buffer.TileIsConstant(i), !stored) << c.name << ", tile " << i;
            if (std::string(c.name) != "read-only walk") {
                EXPECT_EQ(buffer.TileHasMemory(i), stored) << c.name << ", tile " << i;
            }
        }
    }
}

TEST(TileBufferArguments, HugeBoundsAreRefusedBeforeAllocating) {
    EXPECT_THROW(CNativeQuadTileBuffer(GRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX), kBlue), std::bad_alloc);
    EXPECT_THROW(CChannel(GRect(0, 0, INT_MAX, 1 << 16), 0), std::bad_alloc);
}

TEST(TileBufferArguments, BoundsAtTheEndOfTheCoordinateRangeStayUsable) {
    const GRect bounds(INT_MAX - 70, INT_MAX - 3, INT_MAX, INT_MAX);
    CNativeQuadTileBuffer buffer(bounds, kBlue);
    buffer.FillRect(GRect(INT_MAX - 6, INT_MAX - 3, INT_MAX, INT_MAX), kRed);
    buffer.SetPixel(GPoint(INT_MAX - 70, INT_MAX - 1), kMarker);
    std::vector<NativeQuad> out(72 * 4, kUntouchedQuad);
    buffer.GetTile(GRect(INT_MAX - 71, INT_MAX - 4, INT_MAX, INT_MAX - 0), out.data(), 71 * 4, kPadEdge,
                   nullptr);
    EXPECT_EQ(Word(out[70]), Word(kRed));         // (INT_MAX - 1, INT_MAX - 4) padded from the row below
    EXPECT_EQ(Word(out[3 * 71]), Word(kMarker));  // left of the bounds, row INT_MAX - 1
    EXPECT_EQ(Word(out[3 * 71 + 1]), Word(kMarker));
    EXPECT_EQ(Word(out[2 * 71 + 30]), Word(kBlue));
}

TEST(TileBufferCopies, ChannelsExpandToGreyOrThroughAColourTable) {
    // Wider than the scratch buffer holds in one piece.
    CChannel channel(GRect(0, 0, 300, 100), 0);
    for (int32 x = 0; x < 300; ++x) channel.SetPixel(GPoint(x, x % 100), uint8(x));
    CNativeQuadTileBuffer grey(GRect(10, 10, 310, 110), kBlue);
    grey.CopyFromChannel(channel, GRect(0, 0, 300, 100), GRect(10, 10, 310, 110));
    std::vector<NativeQuad> table(256);
    for (int32 i = 0; i < 256; ++i)
        table[i] = MakeNativeQuad(uint8(i), uint8(255 - i), uint8(i / 2), uint8(i ^ 0x55));
    CNativeQuadTileBuffer indexed(GRect(0, 0, 300, 100), kBlue);
    indexed.CopyFromIndexedChannel(channel, table.data(), GRect(0, 0, 300, 100), GRect(0, 0, 300, 100));
    for (int32 x = 0; x < 300; x += 7) {
        for (int32 y : {x % 100, (x + 1) % 100}) {
            const uint8 value = y == x % 100 ? uint8(x) : 0;
            ASSERT_EQ(Word(PixelAt(grey, x + 10, y + 10)), Word(MakeNativeQuad(value, value, value, 255)))
                << x << "," << y;
            ASSERT_EQ(Word(PixelAt(indexed, x, y)), Word(table[value])) << x << "," << y;
        }
    }
}

}  // namespace

// The row tests the tiles rely on find a single differing byte wherever it sits (in the vector part of
// a row or its tail, in the first row or the last) and nothing beside the area or in the other bytes.
TEST(ElementRowTests, FindEveryDifferingByteAndNothingElse) {
    for (const int32 width : {1, 15, 16, 17, 40, 64})
        for (const int32 height : {1, 3}) {
            const int32 rowBytes = width + 5;
            std::vector<uint8> bytes(size_t(rowBytes * height), 0);
            for (int32 y = 0; y < height; ++y) bytes[size_t(y * rowBytes + width)] = 9;  // beside the area
            EXPECT_TRUE(BytesAreZero(bytes.data(), rowBytes, width, height)) << width << " x " << height;
            for (int32 at = 0; at < width * height; ++at) {
                uint8& byte = bytes[size_t(at / width * rowBytes + at % width)];
                byte = 1;
                EXPECT_FALSE(BytesAreZero(bytes.data(), rowBytes, width, height)) << width << ", at " << at;
                byte = 0;
            }
            std::vector<NativeQuad> quads(size_t(width), NativeQuad{7, 7, 7, 200});
            const uint8* elements = reinterpret_cast<const uint8*>(quads.data());
            EXPECT_FALSE(ElementsHaveOtherByte(elements, width, 4, 3, 200)) << width;
            for (int32 x = 0; x < width; ++x) {
                quads[size_t(x)].red = 0;  // another byte of the quad
                EXPECT_FALSE(ElementsHaveOtherByte(elements, width, 4, 3, 200)) << width << ", at " << x;
                quads[size_t(x)].alpha = 201;
                EXPECT_TRUE(ElementsHaveOtherByte(elements, width, 4, 3, 200)) << width << ", at " << x;
                quads[size_t(x)] = NativeQuad{7, 7, 7, 200};
            }
        }
}
