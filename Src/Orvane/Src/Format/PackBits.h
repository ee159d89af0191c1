// Run-length coding of one row of channel bytes.
//
// A packed row is a sequence of packets, each opening with a control byte c read as signed:
//   0 <= c <= 127     the next c + 1 bytes are copied as they stand (a literal packet);
//   -127 <= c <= -1   the next byte is repeated 1 - c times (a run packet);
//   c == -128         no data follows and nothing is produced.
#pragma once

#include "Src/Pellin/Isol/IsolTypes.h"

namespace PackBits {

struct DecodeResult {
    uint32 consumed = 0;  // packed bytes taken by the packets that were decoded
    uint32 produced = 0;  // row bytes written, from the start of the row
};

// Decodes packets from inPacked[0, inPackedSize) into outRow until inRowBytes bytes have been produced.
// A packet that would write past the row's end, or whose bytes run past the packed input, ends the row
// without writing anything of its own; bytes produced before it stay and the rest of the row is left
// untouched. Never reads or writes outside the two buffers, whatever the packed bytes say.
DecodeResult DecodeRow(const uint8* inPacked, uint32 inPackedSize, uint8* outRow, uint32 inRowBytes);

// The room DecodeRowWithSlack needs after each of its buffers.
inline constexpr uint32 kDecodeSlack = 16;

// DecodeRow for buffers with kDecodeSlack bytes of room after each (inPacked + inPackedSize may be read,
// outRow + inRowBytes written): the same result and the same bytes [0, produced) of the row, but packets
// are moved in whole 16-byte pieces, so that the bytes after the last one produced, up to kDecodeSlack
// beyond it, are left undefined.
DecodeResult DecodeRowWithSlack(const uint8* inPacked, uint32 inPackedSize, uint8* outRow, uint32 inRowBytes);

// The most row bytes inPackedBytes packed bytes can produce: a 2-byte run packet yields at most 128.
constexpr uint64 MostDecodedFrom(uint32 inPackedBytes) {
    return uint64(inPackedBytes / 2) * 128;
}

// The most bytes PackRow can produce for a row of inRowBytes bytes: one control byte per 128-byte chunk.
constexpr uint32 MaxPackedSize(uint32 inRowBytes) {
    return inRowBytes + (inRowBytes + 127) / 128;
}

// The size of the packed form of a row, exactly what PackRow would write, without writing it.
uint32 PackedRowSize(const uint8* inRow, uint32 inRowBytes);

// Packs a row into outPacked, which must hold MaxPackedSize(inRowBytes) bytes; returns the bytes written.
// Packets never cross a 128-byte chunk boundary of the row; see the implementation for the packet rules.
uint32 PackRow(const uint8* inRow, uint32 inRowBytes, uint8* outPacked);

}  // namespace PackBits
