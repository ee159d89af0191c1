// Copying and filling rectangles of fixed-size elements between strided memory layouts: the row work
// behind the tile buffers. A layout is a first-element address, row bytes and column bytes (either may be
// negative); inCount bytes of each element are moved.
#pragma once

#include "Src/Pellin/Isol/IsolTypes.h"

// Copies inHeight rows of inWidth elements. Packed rows become one block copy when both row strides
// equal the bytes per row.
void CopyElements(const uint8* inSrc, int64 inSrcRowBytes, int64 inSrcColBytes, uint8* outDst, int64 inDstRowBytes,
                  int64 inDstColBytes, int32 inCount, int64 inWidth, int64 inHeight);

// Sets inHeight rows of inWidth elements to the inCount bytes at inValue.
void FillElements(uint8* outDst, int64 inDstRowBytes, int64 inDstColBytes, const uint8* inValue, int32 inCount,
                  int64 inWidth, int64 inHeight);
