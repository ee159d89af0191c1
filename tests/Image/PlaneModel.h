// Model-based runs over tiled planes: a flat-array model with one element per pixel (every operation done
// pixel by pixel straight from its definition), random rectangles around a plane, and a run that mirrors
// long random sequences of writes on the model and checks random reads against it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "Src/Orvane/Src/Image/PaddingMode.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/GRect.h"
#include "tests/support/ReportCapture.h"

inline std::string Describe(const GRect& inRect) {
    return "(" + std::to_string(inRect.left) + ", " + std::to_string(inRect.top) + ", " +
           std::to_string(inRect.right) + ", " + std::to_string(inRect.bottom) + ")";
}

template <class T>
class PlaneModel {
public:
    PlaneModel(const GRect& inBounds, T inFill)
        : mBounds(inBounds), mPixels(size_t(inBounds.Width()) * size_t(inBounds.Height()), inFill) {}

    const GRect& Bounds() const { return mBounds; }
    bool Inside(int32 inX, int32 inY) const { return mBounds.Contains(GPoint(inX, inY)); }
    T& At(int32 inX, int32 inY) { return mPixels[Index(inX, inY)]; }
    const T& At(int32 inX, int32 inY) const { return mPixels[Index(inX, inY)]; }

    void SetPixel(int32 inX, int32 inY, T inValue) {
        if (Inside(inX, inY)) At(inX, inY) = inValue;
    }
    void Fill(const GRect& inRect, T inValue) {
        ForEachInside(inRect, [&](int32 x, int32 y) { At(x, y) = inValue; });
    }
    // Element (x, y) of the rectangle comes from the bytes at (y - top) * inRowBytes + (x - left) *
    // inColBytes.
    void Write(const GRect& inRect, const std::vector<uint8>& inBytes, int32 inRowBytes, int32 inColBytes) {
        ForEachInside(inRect, [&](int32 x, int32 y) {
            std::memcpy(&At(x, y),
                        &inBytes[size_t(y - inRect.top) * size_t(inRowBytes) +
                                 size_t(x - inRect.left) * size_t(inColBytes)],
                        sizeof(T));
        });
    }
    // inSrcRect lies inside the source; the rectangles have the same size.
    void Copy(const PlaneModel& inSource, const GRect& inSrcRect, const GRect& inDestRect) {
        const PlaneModel snapshot(inSource);
        const int32 dx = inDestRect.left - inSrcRect.left;
        const int32 dy = inDestRect.top - inSrcRect.top;
        for (int32 y = inSrcRect.top; y < inSrcRect.bottom; ++y)
            for (int32 x = inSrcRect.left; x < inSrcRect.right; ++x)
                SetPixel(x + dx, y + dy, snapshot.At(x, y));
    }

    // What a read of the rectangle returns into a destination prefilled with inUntouched.
    std::vector<T> Read(const GRect& inRect, PaddingMode inMode, T inPadding, T inUntouched) const {
        std::vector<T> result(size_t(inRect.Width()) * size_t(inRect.Height()), inUntouched);
        for (int32 y = inRect.top; y < inRect.bottom; ++y) {
            for (int32 x = inRect.left; x < inRect.right; ++x) {
                T& out = result[size_t(y - inRect.top) * size_t(inRect.Width()) + size_t(x - inRect.left)];
                if (Inside(x, y))
                    out = At(x, y);
                else if (inMode == kPadEdge)
                    out =
                        At(Pin(mBounds.left, x, mBounds.right - 1), Pin(mBounds.top, y, mBounds.bottom - 1));
                else if (inMode == kPadValue)
                    out = inPadding;
            }
        }
        return result;
    }

    // Keeps only the pixels of inInner (inside the bounds).
    void ShrinkTo(const GRect& inInner) {
        PlaneModel inner(inInner, T{});
        inner.ForEachInside(inInner, [&](int32 x, int32 y) { inner.At(x, y) = At(x, y); });
        *this = inner;
    }
    void MoveTo(const GPoint& inTopLeft) {
        mBounds.Offset(inTopLeft.h - mBounds.left, inTopLeft.v - mBounds.top);
    }

    template <class F>
    void ForEachInside(const GRect& inRect, F&& inVisit) const {
        const GRect clipped = inRect.Intersection(mBounds);
        for (int32 y = clipped.top; y < clipped.bottom; ++y)
            for (int32 x = clipped.left; x < clipped.right; ++x) inVisit(x, y);
    }

private:
    size_t Index(int32 inX, int32 inY) const {
        return size_t(inY - mBounds.top) * size_t(mBounds.Width()) + size_t(inX - mBounds.left);
    }

    GRect mBounds;
    std::vector<T> mPixels;
};

// Random rectangles and points around a plane's bounds, reaching up to a little more than one tile past
// each side (so negative coordinates and partial edge tiles occur), and tile-aligned blocks.
class RectDice {
public:
    explicit RectDice(uint32 inSeed) : mEngine(inSeed) {}

    int32 Range(int32 inLow, int32 inHigh) {
        return std::uniform_int_distribution<int32>(inLow, inHigh)(mEngine);
    }
    bool Chance(int32 inPercent) { return Range(0, 99) < inPercent; }

    GRect Around(const GRect& inBounds) {
        const int32 left = Range(inBounds.left - 70, inBounds.right + 2);
        const int32 top = Range(inBounds.top - 70, inBounds.bottom + 2);
        return GRect(left, top, left + Range(0, 150), top + Range(0, 100));
    }
    GRect Inside(const GRect& inBounds) {
        const int32 left = Range(inBounds.left, inBounds.right - 1);
        const int32 top = Range(inBounds.top, inBounds.bottom - 1);
        return GRect(left, top, Range(left + 1, inBounds.right), Range(top + 1, inBounds.bottom));
    }
    // A block of whole grid cells of the plane, sometimes reaching past its edge.
    GRect Cells(const GRect& inBounds) {
        const int32 left = inBounds.left + 64 * Range(0, (inBounds.Width() - 1) / 64);
        const int32 top = inBounds.top + 64 * Range(0, (inBounds.Height() - 1) / 64);
        return GRect(left, top, left + 64 * Range(1, 2), top + 64 * Range(1, 2));
    }
    GPoint PointAround(const GRect& inBounds) {
        return GPoint(Range(inBounds.left - 3, inBounds.right + 2),
                      Range(inBounds.top - 3, inBounds.bottom + 2));
    }
    PaddingMode Mode() { return PaddingMode(Range(0, 3)); }

private:
    std::mt19937 mEngine;
};

// Bounds the model runs cover: one pixel, 65 pixels (one pixel into a second tile), negative origins,
// partial edge tiles on both axes, exact multiples of the tile size.
inline const GRect kModelBounds[] = {
    GRect(0, 0, 1, 1),       GRect(0, 0, 65, 1),   GRect(0, 0, 1, 65),   GRect(0, 0, 65, 65),
    GRect(-70, -3, 60, 130), GRect(5, 7, 200, 70), GRect(0, 0, 128, 64), GRect(-1, -1, 0, 0),
};

// A random run over a plane of T (one of the tiled planes), mirrored on the model: SetTile with pixel
// strides and row padding, FillRect (often over whole cells), CopyRect from another plane or itself,
// SetPixel inside and just outside, the writing tile walk, and copies that must not share later writes;
// halfway, the plane shrinks to a part of itself.
// Every write is followed by a random GetTile or GetPixel in any padding mode over a rectangle that may
// cross the bounds; caller bytes between pixels and after rows must stay untouched. Derived runs add
// the operations only their plane has.
template <class Plane, class T>
class PlaneModelRun {
public:
    using Model = PlaneModel<T>;
    using RandomValue = T (*)(RectDice&);

    PlaneModelRun(const GRect& inBounds, uint32 inSeed, RandomValue inRandom, T inPadding)
        : mDice(inSeed),
          mRandom(inRandom),
          mPadding(inPadding),
          mFill(inRandom(mDice)),
          mPlane(inBounds, mFill),
          mModel(inBounds, mFill),
          mSource(kSourceBounds, inPadding),
          mSourceModel(kSourceBounds, inPadding),
          mSnapshot(mPlane),
          mSnapshotModel(mModel) {
        std::memset(&mUntouched, kUntouchedByte, sizeof(T));
        // The copy source gets stored and constant tiles of its own.
        const int32 rowBytes = kSourceBounds.Width() * int32(sizeof(T));
        const std::vector<uint8> bytes = RandomBytes(size_t(rowBytes) * size_t(kSourceBounds.Height()));
        mSource.SetTile(kSourceBounds, reinterpret_cast<const T*>(bytes.data()), rowBytes);
        mSourceModel.Write(kSourceBounds, bytes, rowBytes, int32(sizeof(T)));
        const GRect firstCell(kSourceBounds.left, kSourceBounds.top, kSourceBounds.left + 64,
                              kSourceBounds.top + 64);
        mSource.FillRect(firstCell, inPadding);
        mSourceModel.Fill(firstCell, inPadding);
    }
    virtual ~PlaneModelRun() = default;

    void Run(int32 inSteps) {
        for (int32 step = 0; step < inSteps && !::testing::Test::HasFailure(); ++step) {
            const int32 write = mDice.Range(0, 5 + ExtraWrites());
            write < 6 ? Mutate(write) : MutateExtra(write - 6);
            const int32 read = mDice.Range(0, 1 + ExtraReads());
            if (read == 0)
                CheckGetTile(mPlane, mModel, mDice.Around(mModel.Bounds()), mDice.Mode(), ColBytes());
            else if (read == 1)
                CheckGetPixel(mDice.PointAround(mModel.Bounds()), mDice.Mode());
            else
                ReadExtra(read - 2);
            if (step == inSteps / 2) Shrink();
            if (step % 25 == 0) CheckWhole(mPlane, mModel);
            if (step % 50 == 0) CheckSearches();
        }
        CheckWhole(mPlane, mModel);
        CheckWhole(mSnapshot, mSnapshotModel);
        CheckSearches();
    }

protected:
    static constexpr GRect kSourceBounds{-20, 10, 120, 90};
    static constexpr uint8 kUntouchedByte = 0xA5;

    virtual int32 ExtraWrites() const { return 0; }
    virtual void MutateExtra(int32) {}
    virtual int32 ExtraReads() const { return 0; }
    virtual void ReadExtra(int32) {}
    virtual void CheckSearches() {}
    // Writes every pixel of inArea (inside the bounds) through the writing walk, and the same on the model.
    virtual void Walk(const GRect& inArea) = 0;

    // A pixel stride larger than one element where the plane takes one.
    int32 ColBytes() { return sizeof(T) == 1 ? mDice.Range(1, 3) : int32(sizeof(T)); }
    std::vector<uint8> RandomBytes(size_t inCount) {
        std::vector<uint8> bytes(inCount + sizeof(T));
        for (size_t i = 0; i + sizeof(T) <= bytes.size(); i += sizeof(T)) {
            const T value = mRandom(mDice);
            std::memcpy(&bytes[i], &value, sizeof(T));
        }
        return bytes;
    }

    RectDice mDice;
    RandomValue mRandom;
    T mPadding;
    T mUntouched;
    T mFill;
    Plane mPlane;
    Model mModel;

private:
    // Halfway through, the plane narrows to a random part of itself (its tile grid then starts before
    // its bounds) and is sometimes moved; the run goes on over the new bounds.
    void Shrink() {
        const GRect inner = mDice.Inside(mModel.Bounds());
        mPlane.ShrinkTo(inner);
        mModel.ShrinkTo(inner);
        if (mDice.Chance(50)) {
            const GPoint to(inner.left + mDice.Range(-70, 70), inner.top + mDice.Range(-70, 70));
            mPlane.MoveTo(to);
            mModel.MoveTo(to);
        }
        CheckWhole(mPlane, mModel);
    }

    void Mutate(int32 inWhich) {
        const GRect& bounds = mModel.Bounds();
        switch (inWhich) {
            case 0: {
                const GRect rect = mDice.Around(bounds);
                const int32 colBytes = ColBytes();
                const int32 rowBytes = rect.Width() * colBytes + int32(sizeof(T)) * mDice.Range(0, 2);
                const std::vector<uint8> bytes =
                    RandomBytes(size_t(rowBytes) * size_t(std::max(rect.Height(), 0)));
                const T* data = reinterpret_cast<const T*>(bytes.data());
                colBytes == int32(sizeof(T)) ? mPlane.SetTile(rect, data, rowBytes)
                                             : mPlane.SetTile(rect, data, rowBytes, colBytes);
                mModel.Write(rect, bytes, rowBytes, colBytes);
                break;
            }
            case 1: {
                const GRect rect = mDice.Chance(50) ? mDice.Cells(bounds) : mDice.Around(bounds);
                const T value = mRandom(mDice);
                mPlane.FillRect(rect, value);
                mModel.Fill(rect, value);
                break;
            }
            case 2: {
                const bool self = mDice.Chance(40);
                const GRect srcRect = mDice.Inside(self ? bounds : mSourceModel.Bounds());
                const GRect destRect = mDice.Chance(30) ? mDice.Cells(bounds) : mDice.Around(bounds);
                const GRect sized(destRect.left, destRect.top, destRect.left + srcRect.Width(),
                                  destRect.top + srcRect.Height());
                mPlane.CopyRect(self ? mPlane : mSource, srcRect, sized);
                mModel.Copy(self ? mModel : mSourceModel, srcRect, sized);
                break;
            }
            case 3: {
                const GPoint point = mDice.PointAround(bounds);
                const T value = mDice.Chance(30) ? mFill : mRandom(mDice);
                mPlane.SetPixel(point, value);
                mModel.SetPixel(point.h, point.v, value);
                break;
            }
            case 4:
                Walk(mDice.Inside(bounds));
                break;
            default: {  // a copy (assigned or constructed) then written to: neither side sees the other's
                        // writes
                if (mDice.Chance(50))
                    mSnapshot = mPlane;
                else
                    mSnapshot = Plane(mPlane);
                mSnapshotModel = mModel;
                const GRect rect = mDice.Around(bounds);
                const T value = mRandom(mDice);
                mSnapshot.FillRect(rect, value);
                mSnapshotModel.Fill(rect, value);
                break;
            }
        }
    }

    // A throwing read copies the inside part first; the outside stays as it was.
    void CheckGetTile(const Plane& inPlane, const Model& inModel, const GRect& inRect, PaddingMode inMode,
                      int32 inColBytes) {
        if (inRect.Empty()) return;
        const int32 rowBytes = inRect.Width() * inColBytes + int32(sizeof(T));
        std::vector<uint8> got(size_t(rowBytes) * size_t(inRect.Height()), kUntouchedByte);
        T* out = reinterpret_cast<T*>(got.data());
        const auto read = [&] {
            if (inColBytes == int32(sizeof(T)))
                inPlane.GetTile(inRect, out, rowBytes, inMode, &mPadding);
            else
                inPlane.GetTile(inRect, out, rowBytes, inColBytes, inMode, &mPadding);
        };
        if (inMode == kPadThrow && !inModel.Bounds().Contains(inRect))
            CaptureReports([&] { EXPECT_THROW(read(), OutOfImageBounds) << Describe(inRect); });
        else
            read();
        const std::vector<T> model =
            inModel.Read(inRect, inMode == kPadThrow ? kPadNone : inMode, mPadding, mUntouched);
        std::vector<uint8> expected(got.size(), kUntouchedByte);
        for (int32 y = 0; y < inRect.Height(); ++y)
            for (int32 x = 0; x < inRect.Width(); ++x)
                std::memcpy(&expected[size_t(y) * size_t(rowBytes) + size_t(x) * size_t(inColBytes)],
                            &model[size_t(y) * size_t(inRect.Width()) + size_t(x)], sizeof(T));
        EXPECT_TRUE(got == expected) << "GetTile mode " << inMode << " column bytes " << inColBytes << " of "
                                     << Describe(inRect);
    }
    void CheckWhole(const Plane& inPlane, const Model& inModel) {
        CheckGetTile(inPlane, inModel, inModel.Bounds(), kPadNone, int32(sizeof(T)));
    }

    void CheckGetPixel(const GPoint& inPoint, PaddingMode inMode) {
        T got = mUntouched;
        const GRect one(inPoint.h, inPoint.v, inPoint.h + 1, inPoint.v + 1);
        if (inMode == kPadThrow && !mModel.Inside(inPoint.h, inPoint.v)) {
            CaptureReports(
                [&] { EXPECT_THROW(mPlane.GetPixel(inPoint, got, inMode, &mPadding), OutOfImageBounds); });
            return;
        }
        mPlane.GetPixel(inPoint, got, inMode, &mPadding);
        EXPECT_TRUE(got == mModel.Read(one, inMode, mPadding, mUntouched)[0])
            << "GetPixel mode " << inMode << " at " << Describe(one);
    }

    Plane mSource;
    Model mSourceModel;
    Plane mSnapshot;
    Model mSnapshotModel;
};
