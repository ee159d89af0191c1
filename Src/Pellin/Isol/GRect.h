// Integer points and rectangles.
//
// A GRect covers columns left..right-1 and rows top..bottom-1. No operation normalises its operands:
// an inverted rectangle stays inverted, and is Empty. Coordinates are 32-bit: width, height, offsets
// and insets wrap around like 32-bit machine arithmetic instead of overflowing, so rectangles read from
// a damaged document cannot make the arithmetic undefined; Area is exact in 64 bits.
#pragma once

#include <algorithm>

#include "Src/Pellin/Isol/IsolTypes.h"

// 32-bit wrapping addition and subtraction.
constexpr int32 WrapAdd(int32 inA, int32 inB) {
    return int32(uint32(inA) + uint32(inB));
}
constexpr int32 WrapSub(int32 inA, int32 inB) {
    return int32(uint32(inA) - uint32(inB));
}

struct GPoint {
    int32 h = 0;  // horizontal (x)
    int32 v = 0;  // vertical (y)

    constexpr GPoint() = default;
    constexpr GPoint(int32 inH, int32 inV) : h(inH), v(inV) {}
    static const GPoint zero;

    constexpr bool operator==(const GPoint& inOther) const { return h == inOther.h && v == inOther.v; }
    constexpr bool operator!=(const GPoint& inOther) const { return !(*this == inOther); }
};

inline constexpr GPoint GPoint::zero{0, 0};

struct GRect {
    int32 left = 0;
    int32 top = 0;
    int32 right = 0;
    int32 bottom = 0;

    constexpr GRect() = default;
    constexpr GRect(int32 inLeft, int32 inTop, int32 inRight, int32 inBottom)
        : left(inLeft), top(inTop), right(inRight), bottom(inBottom) {}

    constexpr bool Empty() const { return left >= right || top >= bottom; }
    constexpr int32 Width() const { return WrapSub(right, left); }
    constexpr int32 Height() const { return WrapSub(bottom, top); }
    constexpr int64 Area() const { return Empty() ? 0 : (int64(right) - left) * (int64(bottom) - top); }
    constexpr GPoint TopLeft() const { return GPoint(left, top); }

    constexpr bool operator==(const GRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    constexpr bool operator!=(const GRect& o) const { return !(*this == o); }

    constexpr bool Intersects(const GRect& o) const {
        if (Empty() || o.Empty()) return false;
        return left < o.right && right > o.left && top < o.bottom && bottom > o.top;
    }
    // An Empty rectangle is contained in every rectangle, wherever it lies.
    constexpr bool Contains(const GRect& o) const {
        if (o.Empty()) return true;
        return left <= o.left && right >= o.right && top <= o.top && bottom >= o.bottom;
    }
    constexpr bool Contains(const GPoint& p) const {
        return p.h >= left && p.h < right && p.v >= top && p.v < bottom;
    }

    // Intersection; the result may be Empty and even inverted.
    constexpr GRect& IntersectWith(const GRect& o) {
        left = std::max(left, o.left);
        top = std::max(top, o.top);
        right = std::min(right, o.right);
        bottom = std::min(bottom, o.bottom);
        return *this;
    }
    constexpr GRect Intersection(const GRect& o) const { return GRect(*this).IntersectWith(o); }

    // Union ignores Empty operands.
    constexpr GRect& UnionWith(const GRect& o) {
        if (o.Empty()) return *this;
        if (Empty()) return *this = o;
        left = std::min(left, o.left);
        top = std::min(top, o.top);
        right = std::max(right, o.right);
        bottom = std::max(bottom, o.bottom);
        return *this;
    }
    constexpr GRect Union(const GRect& o) const { return GRect(*this).UnionWith(o); }

    constexpr GRect& Offset(int32 dx, int32 dy) {
        left = WrapAdd(left, dx);
        right = WrapAdd(right, dx);
        top = WrapAdd(top, dy);
        bottom = WrapAdd(bottom, dy);
        return *this;
    }
    constexpr GRect& Offset(const GPoint& d) { return Offset(d.h, d.v); }
    constexpr GRect& OffsetNegative(const GPoint& d) { return Offset(WrapSub(0, d.h), WrapSub(0, d.v)); }
    constexpr GRect Offsetted(int32 dx, int32 dy) const { return GRect(*this).Offset(dx, dy); }

    // Negative values grow the rectangle.
    constexpr GRect& Inset(int32 dx, int32 dy) {
        left = WrapAdd(left, dx);
        right = WrapSub(right, dx);
        top = WrapAdd(top, dy);
        bottom = WrapSub(bottom, dy);
        return *this;
    }
};

constexpr int32 Pin(int32 inLow, int32 inValue, int32 inHigh) {
    return std::max(inLow, std::min(inValue, inHigh));
}
