// A buffered writer of big-endian document data over an LFilePort.
//
// Bytes collect in the buffer and go to the port when it is flushed, when the position moves, or when a
// write does not fit: then the buffer is flushed and the whole write goes straight to the port. The
// destructor flushes (without asking the port to sync). Port failures are not detected. The stream does
// not own the port, which must outlive it. Not copyable.
#pragma once

#include <string_view>

#include "API/LFilePort.h"
#include "Src/Pellin/Isol/Allocator.h"
#include "Src/Pellin/Isol/IsolTypes.h"
#include "Src/Pellin/Isol/SStreamBuffer.h"

class SWriteStream : public LAllocatedObject {
public:
    // Writes to inPort from inStartPosition through a buffer of inBufferSize bytes; inByteOrder as
    // StreamByteOrder.
    SWriteStream(LFilePort* inPort, int32 inByteOrder, uint32 inBufferSize, uint32 inStartPosition);
    virtual ~SWriteStream();
    SWriteStream(const SWriteStream&) = delete;
    SWriteStream& operator=(const SWriteStream&) = delete;

    uint32 GetPosition() const { return mFilePos + mCurrent; }
    // Moving to a different position first flushes with sync.
    void SetPosition(uint32 inNewPos);

    void WriteBytes(int32 inLength, const void* inSource);
    void WriteU8(uint8 inValue);
    void WriteBoolean(bool inValue) { WriteU8(inValue ? 1 : 0); }
    void WriteU16(uint16 inValue);
    void WriteU32(uint32 inValue);
    void WriteI16(int16 inValue) { WriteU16(uint16(inValue)); }
    void WriteI32(int32 inValue) { WriteU32(uint32(inValue)); }
    void WriteF32(float inValue);
    void WriteF64(double inValue);
    // Writes the code in reading order: FourCC("ZQRS") becomes the bytes 'Z' 'Q' 'R' 'S'.
    void WriteFourCharCode(uint32 inCode);
    // The low 8 bits of the length as one byte, that many characters, then a zero byte when needed to
    // make the total even (the empty string is written as two zero bytes).
    void WritePString(std::string_view inString);
    // The number in decimal ("%d"), without a terminator.
    void WriteNumberAsText(int32 inValue);
    // The characters of a NUL-terminated text, without the terminator.
    void WriteText(const char* inText);

    // Writes out the buffered bytes; with inSync also asks the port to flush. An empty buffer does
    // nothing at all, not even the port flush.
    void Flush(bool inSync);

    LFilePort* Port() const { return mPort; }
    uint32 BufferSize() const { return mBuffer.Size(); }
    int32 ByteOrder() const { return mByteOrder; }

private:
    SStreamBuffer mBuffer;
    uint32 mCurrent = 0;  // offset of the next free byte in the buffer
    int32 mByteOrder;
    LFilePort* mPort;
    uint32 mFilePos;  // file offset where the buffer's first byte goes
};
