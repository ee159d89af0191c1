// What the read and write streams share: the byte-order setting and the owned block of buffer memory.
#pragma once

#include "Src/Pellin/Isol/Allocator.h"
#include "Src/Pellin/Isol/IsolTypes.h"

// Byte order of a stream's numbers. 0: the file holds them most significant byte first; any other value:
// numbers are taken as this machine stores them.
enum StreamByteOrder : int32 { kBigEndianOrder = 0, kNativeOrder = 1 };

// The stream's buffer: a block from the engine allocator, freed with the stream. Owns the block when
// the pointer is non-null.
class SStreamBuffer {
public:
    // inSize bytes, zero-filled (at least one byte is allocated; Size() stays as asked).
    explicit SStreamBuffer(uint32 inSize);
    ~SStreamBuffer();
    SStreamBuffer(const SStreamBuffer&) = delete;
    SStreamBuffer& operator=(const SStreamBuffer&) = delete;

    uint8* Start() const { return mBytes; }
    uint32 Size() const { return mSize; }
    bool Owns() const { return mBytes != nullptr; }

private:
    uint8* mBytes;
    uint32 mSize;
};
