#include "Src/Pellin/Isol/SWriteStream.h"

#include <bit>
#include <cstdio>
#include <cstring>

#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/Report.h"

SWriteStream::SWriteStream(LFilePort* inPort, int32 inByteOrder, uint32 inBufferSize, uint32 inStartPosition)
    : mBuffer(inBufferSize), mByteOrder(inByteOrder), mPort(ThrowIfNil(inPort)), mFilePos(inStartPosition) {}

// Nothing leaves a destructor: a port that fails to take the last buffered bytes is reported. A caller
// that must know flushes before the stream goes.
SWriteStream::~SWriteStream() {
    try {
        Flush(false);
    } catch (...) {
        LREPORT("SWriteStream: the buffered bytes could not be written");
    }
}

void SWriteStream::SetPosition(uint32 inNewPos) {
    if (inNewPos == GetPosition()) return;
    Flush(true);
    mCurrent = 0;
    mFilePos = inNewPos;
}

void SWriteStream::WriteBytes(int32 inLength, const void* inSource) {
    if (!LCHECK(inLength >= 0) || inLength == 0) return;
    if (uint64(mCurrent) + uint64(inLength) <= mBuffer.Size()) {
        std::memcpy(mBuffer.Start() + mCurrent, inSource, size_t(inLength));
        mCurrent += uint32(inLength);
        return;
    }
    Flush(false);
    mPort->WriteAt(mFilePos, inLength, inSource);
    mFilePos += uint32(inLength);
}

void SWriteStream::WriteU8(uint8 inValue) {
    WriteBytes(1, &inValue);
}

// Big-endian numbers go out one byte at a time, most significant first; native ones as one block.
void SWriteStream::WriteU16(uint16 inValue) {
    if (mByteOrder != kBigEndianOrder) return WriteBytes(2, &inValue);
    WriteU8(uint8(inValue >> 8));
    WriteU8(uint8(inValue));
}

void SWriteStream::WriteU32(uint32 inValue) {
    if (mByteOrder != kBigEndianOrder) return WriteBytes(4, &inValue);
    for (int32 shift = 24; shift >= 0; shift -= 8) WriteU8(uint8(inValue >> shift));
}

// Floating-point numbers: their bytes, most significant first in big-endian order, written as one block.
void SWriteStream::WriteF32(float inValue) {
    const uint32 bits = std::bit_cast<uint32>(inValue);
    if (mByteOrder != kBigEndianOrder) return WriteBytes(4, &bits);
    const uint8 bytes[4] = {uint8(bits >> 24), uint8(bits >> 16), uint8(bits >> 8), uint8(bits)};
    WriteBytes(4, bytes);
}

void SWriteStream::WriteF64(double inValue) {
    const uint64 bits = std::bit_cast<uint64>(inValue);
    if (mByteOrder != kBigEndianOrder) return WriteBytes(8, &bits);
    uint8 bytes[8];
    for (int32 i = 0; i < 8; ++i) bytes[i] = uint8(bits >> (56 - 8 * i));
    WriteBytes(8, bytes);
}

void SWriteStream::WriteFourCharCode(uint32 inCode) {
    const uint8 bytes[4] = {uint8(inCode >> 24), uint8(inCode >> 16), uint8(inCode >> 8), uint8(inCode)};
    WriteBytes(4, bytes);
}

void SWriteStream::WritePString(std::string_view inString) {
    const uint8 length = uint8(inString.size());
    WriteU8(length);
    if (length == 0) {
        WriteU8(0);
        return;
    }
    WriteBytes(length, inString.data());
    if (length % 2 == 0) WriteU8(0);
}

void SWriteStream::WriteNumberAsText(int32 inValue) {
    char text[16];
    const int count = std::snprintf(text, sizeof text, "%d", int(inValue));
    if (count > 0) WriteBytes(int32(count), text);
}

void SWriteStream::WriteText(const char* inText) {
    if (inText == nullptr) return;
    WriteBytes(int32(std::strlen(inText)), inText);
}

void SWriteStream::Flush(bool inSync) {
    if (mCurrent == 0) return;
    mPort->WriteAt(mFilePos, int32(mCurrent), mBuffer.Start());
    mFilePos += mCurrent;
    mCurrent = 0;
    if (inSync) mPort->Flush();
}
