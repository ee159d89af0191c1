// An in-memory LFilePort for tests: a growable byte vector that records every read made through it.
//
// Reads past the end deliver only the bytes that exist (the rest of the destination is left as it was)
// and return that count, like a file. Writes past the end grow the store, filling any gap with zeros.
#pragma once

#include <utility>
#include <vector>

#include "API/LFilePort.h"
#include "Src/Pellin/Isol/SWriteStream.h"

class MemoryFilePort : public LFilePort {
public:
    struct Transfer {
        uint32 position;
        int32 count;
        bool operator==(const Transfer&) const = default;
    };

    MemoryFilePort() : LFilePort(1) {}
    explicit MemoryFilePort(std::vector<uint8> inBytes) : LFilePort(1), mBytes(std::move(inBytes)) {}

    void SetLength(uint32 inLength) override;
    uint32 GetLength() override;
    int32 ReadAt(uint32 inPosition, int32 inCount, void* outDestination) override;
    int32 WriteAt(uint32 inPosition, int32 inCount, const void* inSource) override;

    std::vector<uint8>& Bytes() { return mBytes; }
    const std::vector<Transfer>& Reads() const { return mReads; }
    int32 SetLengthCount() const { return mSetLengthCount; }

    // 0, 1, 2, ... as bytes: a file whose every byte tells its own position (mod 251, a prime, so
    // that power-of-two strides never line up with the pattern).
    static std::vector<uint8> Pattern(uint32 inLength);

private:
    std::vector<uint8> mBytes;
    std::vector<Transfer> mReads;
    int32 mSetLengthCount = 0;
};

// The bytes inWrite(stream) puts through a write stream of byte order inOrder over a fresh port.
template <typename Write>
std::vector<uint8> WrittenBytes(int32 inOrder, Write&& inWrite) {
    MemoryFilePort port;
    {
        SWriteStream stream(&port, inOrder, 4096, 0);
        inWrite(stream);
    }
    return port.Bytes();
}
