// The pixel-rectangle passes of the pipeline (vectorised where they are hot) against their definitions,
// pixel by pixel, for every width from 0 to 40 (short rows, whole vectors and tails) with padded rows
// that must stay untouched.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "Src/Orvane/Src/Compositing/CompositePlanes.h"
#include "Src/Orvane/Src/Image/PixelMath.h"

namespace {

constexpr int32 kHeight = 3;
constexpr int32 kPad = 5;  // quads (and bytes) after each row

struct Rect {
    int32 width;
    std::vector<NativeQuad> quads;
    std::vector<uint8> bytes;
    int32 RowBytes() const { return (width + kPad) * 4; }
    int32 ByteRowBytes() const { return width + kPad; }
    NativeQuad& Q(int32 x, int32 y) { return quads[size_t(y * (width + kPad) + x)]; }
    uint8& B(int32 x, int32 y) { return bytes[size_t(y * (width + kPad) + x)]; }
};

Rect RandomRect(int32 inWidth, std::mt19937& ioRandom) {
    Rect r{inWidth, std::vector<NativeQuad>(size_t((inWidth + kPad) * kHeight)),
           std::vector<uint8>(size_t((inWidth + kPad) * kHeight))};
    for (NativeQuad& q : r.quads) q = WordToNativeQuad(ioRandom());
    for (uint8& b : r.bytes) b = uint8(ioRandom());
    return r;
}

TEST(CompositePlanes, VectorPassesMatchTheirDefinitionsAtEveryWidth) {
    std::mt19937 random(5);
    for (int32 width = 0; width <= 40; ++width) {
        for (uint8 opacity : {uint8(0), uint8(1), uint8(128), uint8(254)}) {
            const Rect before = RandomRect(width, random);
            Rect expected = before;
            for (int32 y = 0; y < kHeight; ++y)
                for (int32 x = 0; x < width; ++x) expected.Q(x, y).alpha = Mul8(expected.Q(x, y).alpha, opacity);
            Rect got = before;
            ScaleAlpha(got.quads.data(), got.RowBytes(), width, kHeight, opacity);
            ASSERT_EQ(got.quads, expected.quads) << "ScaleAlpha, width " << width << " opacity " << int(opacity);
        }
        const Rect before = RandomRect(width, random);
        Rect masked = before, toBytes = before, fromBytes = before, expected = before, filled = before;
        MultiplyAlphaByBytes(before.bytes.data(), before.ByteRowBytes(), masked.quads.data(), masked.RowBytes(), width, kHeight);
        CopyAlphaToBytes(before.quads.data(), before.RowBytes(), toBytes.bytes.data(), toBytes.ByteRowBytes(), width, kHeight);
        CopyBytesToAlpha(before.bytes.data(), before.ByteRowBytes(), fromBytes.quads.data(), fromBytes.RowBytes(), width, kHeight);
        FillQuads(filled.quads.data(), filled.RowBytes(), width, kHeight, kOpaqueGrey);
        Rect expectMasked = before, expectTo = before, expectFrom = before, expectFilled = before;
        for (int32 y = 0; y < kHeight; ++y) {
            for (int32 x = 0; x < width; ++x) {
                expectMasked.Q(x, y).alpha = Mul8(expected.B(x, y), expected.Q(x, y).alpha);
                expectTo.B(x, y) = expected.Q(x, y).alpha;
                expectFrom.Q(x, y).alpha = expected.B(x, y);
                expectFilled.Q(x, y) = kOpaqueGrey;
            }
        }
        EXPECT_EQ(masked.quads, expectMasked.quads) << "MultiplyAlphaByBytes, width " << width;
        EXPECT_EQ(toBytes.bytes, expectTo.bytes) << "CopyAlphaToBytes, width " << width;
        EXPECT_EQ(fromBytes.quads, expectFrom.quads) << "CopyBytesToAlpha, width " << width;
        EXPECT_EQ(filled.quads, expectFilled.quads) << "FillQuads, width " << width;
        // One non-zero alpha anywhere, the last pixel of the last row included, is found.
        Rect clear = before;
        for (int32 y = 0; y < kHeight; ++y)
            for (int32 x = 0; x < width; ++x) clear.Q(x, y).alpha = 0;
        EXPECT_TRUE(AlphaIsZero(clear.quads.data(), clear.RowBytes(), width, kHeight));
        for (int32 x = 0; x < width; ++x) {
            Rect one = clear;
            one.Q(x, kHeight - 1).alpha = uint8(1 + x);
            ASSERT_FALSE(AlphaIsZero(one.quads.data(), one.RowBytes(), width, kHeight)) << width << " " << x;
        }
    }
}

}  // namespace
