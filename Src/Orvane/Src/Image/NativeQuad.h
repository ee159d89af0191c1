// NativeQuad: one colour pixel of the engine.
//
// Four bytes in memory order blue, green, red, alpha. Read as a little-endian 32-bit word the pixel is
// 0xAARRGGBB. Colours are not premultiplied; alpha is coverage (0 transparent, 255 opaque). Every
// per-channel interface numbers the components red 0, green 1, blue 2, alpha 3.
#pragma once

#include "Src/Pellin/Isol/IsolTypes.h"
#include "Src/Pellin/Isol/Report.h"

struct NativeQuad {
    uint8 blue;
    uint8 green;
    uint8 red;
    uint8 alpha;

    constexpr bool operator==(const NativeQuad& inOther) const = default;
};

static_assert(sizeof(NativeQuad) == 4, "a NativeQuad is exactly one 32-bit word");

// Channel indices of the per-channel interfaces.
enum : int32 { kRedChannel = 0, kGreenChannel = 1, kBlueChannel = 2, kAlphaChannel = 3 };

constexpr NativeQuad MakeNativeQuad(uint8 inRed, uint8 inGreen, uint8 inBlue, uint8 inAlpha) {
    return NativeQuad{inBlue, inGreen, inRed, inAlpha};
}

// Word conversions use shifts rather than the memory image, so they mean the same on every host.
constexpr uint32 NativeQuadToWord(NativeQuad inQuad) {
    return (uint32(inQuad.alpha) << 24) | (uint32(inQuad.red) << 16) | (uint32(inQuad.green) << 8) |
           uint32(inQuad.blue);
}

constexpr NativeQuad WordToNativeQuad(uint32 inWord) {
    return NativeQuad{uint8(inWord), uint8(inWord >> 8), uint8(inWord >> 16), uint8(inWord >> 24)};
}

// Named quads.
inline constexpr NativeQuad kTransparentWhite = WordToNativeQuad(0x00FFFFFF);  // the empty pixel
inline constexpr NativeQuad kOpaqueWhite = WordToNativeQuad(0xFFFFFFFF);
inline constexpr NativeQuad kOpaqueBlack = WordToNativeQuad(0xFF000000);
inline constexpr NativeQuad kOpaqueGrey = WordToNativeQuad(0xFF808080);  // red = green = blue = 128

// Byte offset of a channel inside the quad: red 2, green 1, blue 0, alpha 3; -1 for anything else.
constexpr int32 NativeQuadChannelOffset(int32 inChannel) {
    switch (inChannel) {
        case kRedChannel:
            return 2;
        case kGreenChannel:
            return 1;
        case kBlueChannel:
            return 0;
        case kAlphaChannel:
            return 3;
        default:
            return -1;
    }
}

// Address of one component of *inQuad. An unknown channel index is reported and yields the alpha byte.
inline uint8* GetChannelPtr(NativeQuad* inQuad, int32 inChannel) {
    int32 offset = NativeQuadChannelOffset(inChannel);
    if (offset < 0) {
        LREPORT("GetChannelPtr: Unknown channel!");
        offset = 3;
    }
    return reinterpret_cast<uint8*>(inQuad) + offset;
}

inline const uint8* GetChannelPtr(const NativeQuad* inQuad, int32 inChannel) {
    return GetChannelPtr(const_cast<NativeQuad*>(inQuad), inChannel);
}
