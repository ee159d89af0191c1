// Rectangles of pixels in caller memory, as the compositing pipeline handles them: a first NativeQuad (or
// byte), a width and height, and the distance in bytes between row starts. Every routine touches exactly
// width x height elements; widths or heights of 0 or less touch nothing.
#pragma once

#include "Src/Orvane/Src/Image/NativeQuad.h"
#include "Src/Pellin/Isol/IsolTypes.h"

// The address of pixel (inColumn, inRow) of a rectangle starting at inFirst.
inline NativeQuad* QuadAt(NativeQuad* inFirst, int32 inRowBytes, int32 inColumn, int32 inRow) {
    return reinterpret_cast<NativeQuad*>(reinterpret_cast<uint8*>(inFirst) + int64(inRowBytes) * inRow) +
           inColumn;
}

void FillQuads(NativeQuad* outPixels, int32 inRowBytes, int32 inWidth, int32 inHeight, NativeQuad inValue);
void CopyQuads(const NativeQuad* inSource, int32 inSourceRowBytes, NativeQuad* outDestination,
               int32 inDestinationRowBytes, int32 inWidth, int32 inHeight);

// True when every alpha is 0.
bool AlphaIsZero(const NativeQuad* inPixels, int32 inRowBytes, int32 inWidth, int32 inHeight);
void SetAlpha(NativeQuad* ioPixels, int32 inRowBytes, int32 inWidth, int32 inHeight, uint8 inAlpha);
// The alpha plane to bytes and back.
void CopyAlphaToBytes(const NativeQuad* inPixels, int32 inRowBytes, uint8* outBytes, int32 inByteRowBytes,
                      int32 inWidth, int32 inHeight);
void CopyBytesToAlpha(const uint8* inBytes, int32 inByteRowBytes, NativeQuad* ioPixels, int32 inRowBytes,
                      int32 inWidth, int32 inHeight);
// alpha = Mul8(byte, alpha): in place, or while copying the pixels to outPixels.
void MultiplyAlphaByBytes(const uint8* inBytes, int32 inByteRowBytes, NativeQuad* ioPixels, int32 inRowBytes,
                          int32 inWidth, int32 inHeight);
void MultiplyAlphaByBytes(const uint8* inBytes, int32 inByteRowBytes, const NativeQuad* inPixels,
                          int32 inRowBytes, NativeQuad* outPixels, int32 inOutRowBytes, int32 inWidth,
                          int32 inHeight);
void FillBytes(uint8* outBytes, int32 inRowBytes, int32 inWidth, int32 inHeight, uint8 inValue);
// b = 255 - b.
void InvertBytes(uint8* ioBytes, int32 inRowBytes, int32 inWidth, int32 inHeight);

// Layer opacity applied to coverage: 255 changes nothing, 0 clears every alpha, anything else makes
// alpha = Mul8(alpha, opacity).
void ScaleAlpha(NativeQuad* ioPixels, int32 inRowBytes, int32 inWidth, int32 inHeight, uint8 inOpacity);
