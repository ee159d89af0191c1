// Showing transparency: composite pixels laid over a checkerboard, or over one colour.
//
// Both passes leave opaque colours as they are, replace fully transparent pixels by the background colour
// (all four bytes of it), move translucent colours toward the background by the missing coverage, and
// clear the alpha of every pixel they did not replace.
#pragma once

#include "Src/Orvane/Src/Image/NativeQuad.h"
#include "Src/Pellin/Isol/GRect.h"

// inRect gives the image position of the pixels, which fixes the pattern: squares of inSquareSize (a
// power of two) pixels, colour B where (y & size) != (x & size), A elsewhere, with x and y taken modulo
// twice the square size.
void ApplyCheckerboard(const GRect& inRect, NativeQuad* ioPixels, int32 inRowBytes, NativeQuad inColorA,
                       NativeQuad inColorB, int32 inSquareSize);

// The same over one colour. inRowBytes 0 means packed rows (inColumns x 4 bytes).
void MatteOverColor(NativeQuad* ioPixels, int32 inRows, int32 inColumns, NativeQuad inColor,
                    int32 inRowBytes = 0);
