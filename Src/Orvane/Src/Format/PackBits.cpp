#include "Src/Orvane/Src/Format/PackBits.h"

#include <cstring>

namespace PackBits {

DecodeResult DecodeRow(const uint8* inPacked, uint32 inPackedSize, uint8* outRow, uint32 inRowBytes) {
    DecodeResult result;
    uint64 pos = 0;  // 64-bit so that pos + count never wraps
    while (result.produced < inRowBytes && pos < inPackedSize) {
        const int32 control = int8(inPacked[pos]);
        if (control == -128) {
            ++pos;
            continue;
        }
        const uint32 count = control >= 0 ? uint32(control) + 1 : uint32(1 - control);
        const uint64 packetSize = control >= 0 ? 1 + uint64(count) : 2;
        if (uint64(result.produced) + count > inRowBytes || pos + packetSize > inPackedSize) break;
        if (control >= 0)
            std::memcpy(outRow + result.produced, inPacked + pos + 1, count);
        else
            std::memset(outRow + result.produced, inPacked[pos + 1], count);
        result.produced += count;
        pos += packetSize;
    }
    result.consumed = uint32(pos);
    return result;
}

namespace {

constexpr uint32 kChunkBytes = 128;

// Receives packets; CountingSink only measures them.
struct CountingSink {
    uint32 size = 0;
    void Literal(const uint8*, uint32 inCount) { size += 1 + inCount; }
    void Run(uint8, uint32) { size += 2; }
};

struct WritingSink {
    uint8* out;
    uint32 size = 0;
    void Literal(const uint8* inBytes, uint32 inCount) {
        out[size] = uint8(inCount - 1);
        std::memcpy(out + size + 1, inBytes, inCount);
        size += 1 + inCount;
    }
    void Run(uint8 inValue, uint32 inCount) {
        out[size] = uint8(int8(1 - int32(inCount)));
        out[size + 1] = inValue;
        size += 2;
    }
};

// One chunk of at most 128 bytes, packet by packet from its first byte x:
//  - x is the chunk's last byte: a literal of that one byte;
//  - x is followed by an equal byte: a run as long as the bytes equal x;
//  - otherwise a literal that takes bytes while each differs from the one before. Two equal bytes y y
//    join it when they end the chunk or the next byte differs from y; when a third y follows, the
//    literal ends before the first y and the next packet is the run of y.
template <class Sink>
void PackChunk(const uint8* p, uint32 n, Sink& sink) {
    uint32 x = 0;
    while (x < n) {
        if (x + 1 == n) {
            sink.Literal(p + x, 1);
            return;
        }
        if (p[x + 1] == p[x]) {
            uint32 end = x + 2;
            while (end < n && p[end] == p[x]) ++end;
            sink.Run(p[x], end - x);
            x = end;
            continue;
        }
        uint32 end = x + 2;  // [x, end) is the literal so far
        while (end < n) {
            if (p[end] != p[end - 1]) {
                ++end;
            } else if (end + 1 < n && p[end + 1] == p[end]) {
                --end;  // three equal bytes start at end - 1: leave them to a run
                break;
            } else {
                ++end;
            }
        }
        sink.Literal(p + x, end - x);
        x = end;
    }
}

template <class Sink>
void Pack(const uint8* inRow, uint32 inRowBytes, Sink& sink) {
    for (uint32 start = 0; start < inRowBytes; start += kChunkBytes) {
        const uint32 n = inRowBytes - start < kChunkBytes ? inRowBytes - start : kChunkBytes;
        PackChunk(inRow + start, n, sink);
    }
}

}  // namespace

uint32 PackedRowSize(const uint8* inRow, uint32 inRowBytes) {
    CountingSink sink;
    Pack(inRow, inRowBytes, sink);
    return sink.size;
}

uint32 PackRow(const uint8* inRow, uint32 inRowBytes, uint8* outPacked) {
    WritingSink sink{outPacked};
    Pack(inRow, inRowBytes, sink);
    return sink.size;
}

}  // namespace PackBits
