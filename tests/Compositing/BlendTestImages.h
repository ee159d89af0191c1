// Random pixel rectangles for the blend tests, with row padding that must survive every blend.
#pragma once

#include <random>
#include <vector>

#include "Src/Orvane/Src/Image/NativeQuad.h"

struct QuadImage {
    static constexpr int32 kPadding = 3;  // quads after each row, outside the blended rectangle
    static constexpr NativeQuad kSentinel{0x5A, 0xA5, 0x3C, 0xC3};

    int32 width = 0;
    int32 height = 0;
    std::vector<NativeQuad> quads;

    QuadImage(int32 inWidth, int32 inHeight)
        : width(inWidth), height(inHeight), quads(size_t((inWidth + kPadding) * inHeight), kSentinel) {}

    int32 RowBytes() const { return (width + kPadding) * 4; }
    NativeQuad& At(int32 x, int32 y) { return quads[size_t(y * (width + kPadding) + x)]; }
    const NativeQuad& At(int32 x, int32 y) const { return quads[size_t(y * (width + kPadding) + x)]; }
    bool PaddingIntact() const {
        for (int32 y = 0; y < height; ++y)
            for (int32 x = width; x < width + kPadding; ++x)
                if (!(At(x, y) == kSentinel)) return false;
        return true;
    }
};

// Alphas and colours biased towards the values where the arithmetic changes course: 0, 255, 128, equal
// components (the ties of the non-separable modes), and otherwise anything.
inline QuadImage RandomQuadImage(int32 inWidth, int32 inHeight, uint32 inSeed) {
    std::mt19937 random(inSeed);
    auto byte = [&random]() { return uint8(random() & 255); };
    auto special = [&random, &byte]() -> uint8 {
        switch (random() % 8) {
            case 0: return 0;
            case 1: return 255;
            case 2: return uint8(127 + random() % 3);
            default: return byte();
        }
    };
    QuadImage image(inWidth, inHeight);
    for (int32 y = 0; y < inHeight; ++y) {
        for (int32 x = 0; x < inWidth; ++x) {
            NativeQuad q = MakeNativeQuad(special(), special(), special(), special());
            switch (random() % 6) {  // make two or three components equal now and then
                case 0: q.green = q.red; break;
                case 1: q.blue = q.green; break;
                case 2: q.blue = q.red = q.green; break;
                default: break;
            }
            image.At(x, y) = q;
        }
    }
    return image;
}
