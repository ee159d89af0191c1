// Copying and filling rectangles of fixed-size elements between strided memory layouts: the row work
// behind the tile buffers. A layout is a first-element address, row bytes and column bytes (either may be
// negative); inCount bytes of each element are moved.
#pragma once

#include "Src/Pellin/Isol/IsolTypes.h"

// Copies inHeight rows of inWidth elements. Packed rows become one block copy when both row strides
// equal the bytes per row.
void CopyElements(const uint8* inSrc, int64 inSrcRowBytes, int64 inSrcColBytes, uint8* outDst,
                  int64 inDstRowBytes, int64 inDstColBytes, int32 inCount, int64 inWidth, int64 inHeight);

// Sets inHeight rows of inWidth elements to the inCount bytes at inValue.
void FillElements(uint8* outDst, int64 inDstRowBytes, int64 inDstColBytes, const uint8* inValue,
                  int32 inCount, int64 inWidth, int64 inHeight);

// One byte of every quad (4-byte elements; inByteOffset 0..3) from or to a plane of one byte per pixel:
// inQuads / outQuads address the first quad itself, so every access stays inside the row's quads.
void CopyBytesIntoQuads(const uint8* inSrc, int64 inSrcRowBytes, uint8* outQuads, int64 inDstRowBytes,
                        int32 inByteOffset, int64 inWidth, int64 inHeight);
void CopyBytesOutOfQuads(const uint8* inQuads, int64 inSrcRowBytes, int32 inByteOffset, uint8* outDst,
                         int64 inDstRowBytes, int64 inWidth, int64 inHeight);
// Whole quads from four planes of one byte per pixel: byte k of each quad comes from inBytes[k] (all
// planes share inSrcRowBytes).
void InterleaveBytesIntoQuads(const uint8* const inBytes[4], int64 inSrcRowBytes, uint8* outQuads,
                              int64 inDstRowBytes, int64 inWidth, int64 inHeight);
// Whether every byte of inHeight rows of inWidth bytes, inRowBytes apart, is zero; the rows are read
// 16 bytes at a time and each is tested at its end.
bool BytesAreZero(const uint8* inBytes, int64 inRowBytes, int64 inWidth, int64 inHeight);
// Whether byte inByteOffset of any of inCount elements of inStride bytes from inElements differs from
// inValue. Quads are read four at a time and the row is tested once at its end.
bool ElementsHaveOtherByte(const uint8* inElements, int32 inCount, int32 inStride, int32 inByteOffset,
                           uint8 inValue);
