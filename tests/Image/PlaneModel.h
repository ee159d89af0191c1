// A flat-array model of a tiled plane for the model-based tests: one element per pixel, every operation
// done pixel by pixel straight from its definition.
#pragma once

#include <algorithm>
#include <random>
#include <vector>

#include "Src/Orvane/Src/Image/PaddingMode.h"
#include "Src/Pellin/Isol/GRect.h"

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
    // Element (x, y) of the rectangle comes from inSource[(y - top) * inStride + (x - left)].
    void Write(const GRect& inRect, const std::vector<T>& inSource, int32 inStride) {
        ForEachInside(inRect, [&](int32 x, int32 y) {
            At(x, y) = inSource[size_t(y - inRect.top) * size_t(inStride) + size_t(x - inRect.left)];
        });
    }
    // inSrcRect lies inside the source; the rectangles have the same size.
    void Copy(const PlaneModel& inSource, const GRect& inSrcRect, const GRect& inDestRect) {
        const PlaneModel snapshot(inSource);
        const int32 dx = inDestRect.left - inSrcRect.left;
        const int32 dy = inDestRect.top - inSrcRect.top;
        for (int32 y = inSrcRect.top; y < inSrcRect.bottom; ++y)
            for (int32 x = inSrcRect.left; x < inSrcRect.right; ++x) SetPixel(x + dx, y + dy, snapshot.At(x, y));
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
                    out = At(Pin(mBounds.left, x, mBounds.right - 1), Pin(mBounds.top, y, mBounds.bottom - 1));
                else if (inMode == kPadValue)
                    out = inPadding;
            }
        }
        return result;
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

    int32 Range(int32 inLow, int32 inHigh) { return std::uniform_int_distribution<int32>(inLow, inHigh)(mEngine); }
    bool Chance(int32 inPercent) { return Range(0, 99) < inPercent; }
    std::mt19937& Engine() { return mEngine; }

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
        const int32 column = Range(0, (inBounds.Width() - 1) / 64);
        const int32 row = Range(0, (inBounds.Height() - 1) / 64);
        const int32 left = inBounds.left + column * 64;
        const int32 top = inBounds.top + row * 64;
        return GRect(left, top, left + 64 * Range(1, 2), top + 64 * Range(1, 2));
    }
    GPoint PointAround(const GRect& inBounds) {
        return GPoint(Range(inBounds.left - 3, inBounds.right + 2), Range(inBounds.top - 3, inBounds.bottom + 2));
    }
    PaddingMode Mode() { return PaddingMode(Range(0, 3)); }

private:
    std::mt19937 mEngine;
};

// Bounds the model tests run over: one pixel, 65 pixels (one pixel into a second tile), negative
// origins, partial edge tiles on both axes, exact multiples of the tile size.
inline const GRect kModelBounds[] = {
    GRect(0, 0, 1, 1),       GRect(0, 0, 65, 1),    GRect(0, 0, 1, 65),     GRect(0, 0, 65, 65),
    GRect(-70, -3, 60, 130), GRect(5, 7, 200, 70),  GRect(0, 0, 128, 64),   GRect(-1, -1, 0, 0),
};
