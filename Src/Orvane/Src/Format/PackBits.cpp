#include "Src/Orvane/Src/Format/PackBits.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace PackBits {

namespace {

// Packets are at most 128 bytes and usually short, so they are moved with a few overlapping 16-byte
// (or 8-byte) stores inside [out, out + count) rather than through a library call per packet.
#if defined(__SSE2__)
inline void Store16(uint8* out, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v);
}
inline __m128i Load16(const uint8* in) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
}
#endif

inline void CopyPacket(uint8* out, const uint8* in, uint32 count) {
#if defined(__SSE2__)
    if (count >= 16) {
        const __m128i last = Load16(in + count - 16);
        for (uint32 i = 0; i + 16 <= count; i += 16) Store16(out + i, Load16(in + i));
        Store16(out + count - 16, last);
        return;
    }
#endif
    if (count >= 8) {
        uint64 head, tail;
        std::memcpy(&head, in, 8);
        std::memcpy(&tail, in + count - 8, 8);
        std::memcpy(out, &head, 8);
        std::memcpy(out + count - 8, &tail, 8);
        return;
    }
    for (uint32 i = 0; i < count; ++i) out[i] = in[i];
}

inline void FillPacket(uint8* out, uint8 value, uint32 count) {
#if defined(__SSE2__)
    if (count >= 16) {
        const __m128i v = _mm_set1_epi8(char(value));
        for (uint32 i = 0; i + 16 <= count; i += 16) Store16(out + i, v);
        Store16(out + count - 16, v);
        return;
    }
#endif
    if (count >= 8) {
        const uint64 word = 0x0101010101010101ull * value;
        std::memcpy(out, &word, 8);
        std::memcpy(out + count - 8, &word, 8);
        return;
    }
    for (uint32 i = 0; i < count; ++i) out[i] = value;
}

}  // namespace

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
            CopyPacket(outRow + result.produced, inPacked + pos + 1, count);
        else
            FillPacket(outRow + result.produced, inPacked[pos + 1], count);
        result.produced += count;
        pos += packetSize;
    }
    result.consumed = uint32(pos);
    return result;
}

#if defined(__SSE2__)
namespace {

// A packet's bytes in whole 16-byte pieces, which may reach up to 15 bytes past it on both sides.
inline void CopyPieces(uint8* out, const uint8* in, uint32 count) {
    for (uint32 i = 0; i < count; i += 16) Store16(out + i, Load16(in + i));
}
inline void FillPieces(uint8* out, uint8 value, uint32 count) {
    const __m128i v = _mm_set1_epi8(char(value));
    for (uint32 i = 0; i < count; i += 16) Store16(out + i, v);
}

}  // namespace
#endif

DecodeResult DecodeRowWithSlack(const uint8* inPacked, uint32 inPackedSize, uint8* outRow,
                                uint32 inRowBytes) {
#if defined(__SSE2__)
    uint32 produced = 0;
    uint64 pos = 0;
    // While any packet fits both buffers, packets go without the checks of each one.
    while (pos + 130 <= inPackedSize && produced + 128 <= inRowBytes) {
        const uint32 control = inPacked[pos];
        if (control < 128) {
            CopyPieces(outRow + produced, inPacked + pos + 1, control + 1);
            produced += control + 1;
            pos += control + 2;
        } else if (control > 128) {
            FillPieces(outRow + produced, inPacked[pos + 1], 257 - control);
            produced += 257 - control;
            pos += 2;
        } else {
            ++pos;
        }
    }
    while (produced < inRowBytes && pos < inPackedSize) {
        const uint32 control = inPacked[pos];
        if (control < 128) {
            const uint32 count = control + 1;
            if (produced + count > inRowBytes || pos + 1 + count > inPackedSize) break;
            CopyPieces(outRow + produced, inPacked + pos + 1, count);
            produced += count;
            pos += 1 + count;
        } else if (control > 128) {
            const uint32 count = 257 - control;
            if (produced + count > inRowBytes || pos + 2 > inPackedSize) break;
            FillPieces(outRow + produced, inPacked[pos + 1], count);
            produced += count;
            pos += 2;
        } else {
            ++pos;
        }
    }
    DecodeResult result;
    result.consumed = uint32(pos);
    result.produced = produced;
    return result;
#else
    return DecodeRow(inPacked, inPackedSize, outRow, inRowBytes);
#endif
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
