// A buffered reader of big-endian document data over an LFilePort.
//
// The stream keeps up to BufferSize() bytes of the port in memory. A request the buffer can serve is
// copied from it; a larger one takes what is buffered, reads the rest straight from the port in one call
// and then refills the buffer from the following bytes. The port's length is taken once, at construction.
//
// Reading beyond the end of the port is not detected by the read that crosses it (the part beyond the end
// is left unfilled); it leaves the stream past the end, and the next read of any size throws
// MiscDiskException until SetPosition is called. The stream does not own the port, which must outlive it.
// Not copyable.
#pragma once

#include <string>

#include "API/LFilePort.h"
#include "Src/Pellin/Isol/Allocator.h"
#include "Src/Pellin/Isol/IsolTypes.h"
#include "Src/Pellin/Isol/SStreamBuffer.h"

class SReadStream : public LAllocatedObject {
public:
    // Reads inPort from inStartPosition (asserted not beyond the port's length) through an empty buffer of
    // inBufferSize bytes. inByteOrder as StreamByteOrder.
    SReadStream(LFilePort* inPort, int32 inByteOrder, uint32 inBufferSize, uint32 inStartPosition);
    virtual ~SReadStream();
    SReadStream(const SReadStream&) = delete;
    SReadStream& operator=(const SReadStream&) = delete;

    uint32 GetPosition() const;
    // Moves to inNewPos (asserted below the length) and discards the buffer; clears the past-the-end state.
    void SetPosition(uint32 inNewPos);

    // Reads inLength bytes into outDestPtr. Throws MiscDiskException when the stream is past the end.
    void ReadBytes(int32 inLength, void* outDestPtr);
    // Reads inLength bytes at inPosition straight from the port, for a reader that takes large pieces
    // from places far apart: the buffer and the stream's position stay as they are, and no refill
    // follows. Throws MiscDiskException when the port delivers fewer bytes.
    void ReadAt(uint32 inPosition, int32 inLength, void* outDestPtr);
    // Moves forward inCount bytes without reading them.
    void Skip(uint32 inCount);

    uint8 ReadU8();
    bool ReadBoolean();
    uint16 ReadU16();
    uint32 ReadU32();
    int16 ReadI16() { return int16(ReadU16()); }
    int32 ReadI32() { return int32(ReadU32()); }
    float ReadF32();
    double ReadF64();
    // Steps back one byte and stores inByte there (it need not be the byte that was read). Reported and
    // ignored when the buffer holds nothing before the current byte.
    void PutBackByte(uint8 inByte);
    // The next byte, read and put back.
    uint8 PeekU8();

    // A four-character code, whatever the byte order: the file bytes 'Z' 'Q' 'R' 'S' give FourCC("ZQRS").
    uint32 ReadFourCharCode();
    // The same into 4 bytes of memory, file byte 0 last (the memory image of the value on this machine).
    void ReadFourCharCode(void* outDestination);

    // A length byte L and L characters, then one padding byte when needed so that the whole string takes
    // an even number of bytes (the empty string takes two).
    void ReadPString(std::string& outString);

    LFilePort* Port() const { return mPort; }
    uint32 BufferSize() const { return mBuffer.Size(); }
    uint32 FileLength() const { return mFileLen; }
    int32 ByteOrder() const { return mByteOrder; }

private:
    // Reads inLength bytes and returns them in file order, for the number readers.
    template <uint32 N>
    void ReadRaw(uint8 (&outBytes)[N]);
    void Refill();

    SStreamBuffer mBuffer;
    // Offsets into the buffer. mValidEnd goes below zero when a read went past the end of the port; that
    // puts mValidEnd before mCurBufPos, which is what marks the stream as past the end.
    int64 mCurBufPos = 0;
    int64 mValidEnd = 0;
    int32 mByteOrder;
    LFilePort* mPort;
    uint32 mFilePos;  // file offset of the byte after the last buffered one
    uint32 mFileLen;
};
