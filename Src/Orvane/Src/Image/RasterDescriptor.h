// The raster target through which the compositing pipeline asks a layer for pixels.
//
// A layer's GetTile reads its target from the descriptor alone: the rectangle (image coordinates), the
// address of the rectangle's first NativeQuad and the distance between row starts. The device and port
// are opaque placeholders that only keep the descriptor they were made from; layers never look inside.
#pragma once

#include <cstring>

#include "Src/Pellin/Isol/GRect.h"
#include "Src/Pellin/Isol/IsolTypes.h"

// Descriptor kinds: a freshly created port, and a descriptor that points into a caller's buffer.
inline constexpr uint16 kRasterKindPort = 1;
inline constexpr uint16 kRasterKindCallerBuffer = 273;
inline constexpr uint16 kRasterDepth = 32;

struct RasterDescriptor {
    int16 left = 0;
    int16 top = 0;
    int16 right = 0;
    int16 bottom = 0;
    void* baseAddress = nullptr;  // first NativeQuad of the rectangle
    int32 rowBytes = 0;
    uint16 kind = 0;
    uint16 depth = kRasterDepth;
    uint8 reserved[12] = {};

    GRect Rect() const { return GRect(left, top, right, bottom); }
    // Points the descriptor at inRect of a buffer starting at inBase. The rectangle must fit in i16.
    void Set(const GRect& inRect, void* inBase, int32 inRowBytes, uint16 inKind) {
        left = int16(inRect.left);
        top = int16(inRect.top);
        right = int16(inRect.right);
        bottom = int16(inRect.bottom);
        baseAddress = inBase;
        rowBytes = inRowBytes;
        kind = inKind;
        depth = kRasterDepth;
        std::memset(reserved, 0, sizeof(reserved));
    }
};

// Placeholder device: remembers the descriptor it was created from.
struct RasterDevice {
    RasterDescriptor descriptor;
};

// Placeholder port: drawing on it begins and ends without effect.
struct RasterPort {
    RasterDevice* device = nullptr;
};
