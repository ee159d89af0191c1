// A zlib stream for filtered picture rows, made for speed rather than for the last byte: one greedy pass
// that tries, at each place, a few places nearby (the pixels before, the bytes above) and the last place
// with the same four bytes, and codes every block with Huffman codes of its own.
#pragma once

#include <cstddef>

#include "Src/Pellin/Isol/IsolTypes.h"
#include "tools/png/PngWriter.h"

// The zlib stream (header, deflate blocks, Adler-32) of a picture's rows as a PNG file holds them: inRows
// rows of inRowBytes bytes at inPixels, each sent behind the filter byte of "up" as its bytes minus the
// bytes above them.
PixelBytes DeflatePictureRows(const uint8* inPixels, size_t inRowBytes, size_t inRows);
