#include "Src/Pellin/Isol/SReadStream.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/Report.h"

SReadStream::SReadStream(LFilePort* inPort, int32 inByteOrder, uint32 inBufferSize, uint32 inStartPosition)
    : mBuffer(inBufferSize),
      mByteOrder(inByteOrder),
      mPort(ThrowIfNil(inPort)),
      mFilePos(inStartPosition),
      mFileLen(inPort->GetLength()) {
    LASSERT(mFilePos <= mFileLen);
}

SReadStream::~SReadStream() = default;

uint32 SReadStream::GetPosition() const {
    return uint32(int64(mFilePos) - (mValidEnd - mCurBufPos));
}

void SReadStream::SetPosition(uint32 inNewPos) {
    LASSERT(inNewPos < mFileLen);
    mFilePos = inNewPos;
    mCurBufPos = mValidEnd = 0;
}

void SReadStream::ReadBytes(int32 inLength, void* outDestPtr) {
    const bool lengthValid = LCHECK(inLength >= 0);
    const bool destinationValid = LCHECK(outDestPtr != 0);
    if (!lengthValid || (!destinationValid && inLength > 0)) return;
    uint8* destination = static_cast<uint8*>(outDestPtr);

    if (mCurBufPos + inLength <= mValidEnd) {
        if (inLength > 0) std::memcpy(destination, mBuffer.Start() + mCurBufPos, size_t(inLength));
        mCurBufPos += inLength;
        return;
    }
    if (mValidEnd < mCurBufPos) LTHROW(MiscDiskException);

    // Hand out what is buffered, take the remainder straight from the port, then refill behind it.
    const int32 buffered = int32(mValidEnd - mCurBufPos);
    if (buffered > 0) std::memcpy(destination, mBuffer.Start() + mCurBufPos, size_t(buffered));
    const int32 direct = inLength - buffered;
    mPort->ReadAt(mFilePos, direct, destination + buffered);
    mFilePos += uint32(direct);
    Refill();
}

void SReadStream::ReadAt(uint32 inPosition, int32 inLength, void* outDestPtr) {
    if (inLength > 0 && mPort->ReadAt(inPosition, inLength, outDestPtr) != inLength)
        LTHROW(MiscDiskException);
}

// The refill size is the smaller of the buffer size and what is left of the port, compared as signed
// numbers. When the direct read went beyond the end, what is left is negative: nothing is read, and the
// negative valid end (with the file position moved back by as much, so that GetPosition still tells where
// the last read ended) marks the stream as past the end.
void SReadStream::Refill() {
    mCurBufPos = 0;
    const int64 left = int64(mFileLen) - int64(mFilePos);
    const int64 count = std::min<int64>(mBuffer.Size(), left);
    if (count >= 0) mPort->ReadAt(mFilePos, int32(count), mBuffer.Start());
    mValidEnd = count;
    mFilePos = uint32(int64(mFilePos) + count);
}

void SReadStream::Skip(uint32 inCount) {
    const int64 buffered = mValidEnd - mCurBufPos;
    if (int64(inCount) <= buffered) {
        mCurBufPos += inCount;
        return;
    }
    LASSERT(mCurBufPos <= mValidEnd);
    mFilePos = uint32(int64(mFilePos) + int64(inCount) - buffered);
    mCurBufPos = mValidEnd = 0;
}

template <uint32 N>
void SReadStream::ReadRaw(uint8 (&outBytes)[N]) {
    ReadBytes(int32(N), outBytes);
}

uint8 SReadStream::ReadU8() {
    uint8 bytes[1] = {};
    ReadRaw(bytes);
    return bytes[0];
}

bool SReadStream::ReadBoolean() {
    return ReadU8() != 0;
}

uint16 SReadStream::ReadU16() {
    uint8 bytes[2] = {};
    ReadRaw(bytes);
    if (mByteOrder == kBigEndianOrder) return uint16((bytes[0] << 8) | bytes[1]);
    uint16 value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

uint32 SReadStream::ReadU32() {
    uint8 bytes[4] = {};
    ReadRaw(bytes);
    if (mByteOrder == kBigEndianOrder)
        return (uint32(bytes[0]) << 24) | (uint32(bytes[1]) << 16) | (uint32(bytes[2]) << 8) | bytes[3];
    uint32 value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

// Floating-point numbers are read as integers of their width (so the byte order applies to them the same
// way) and then taken bit for bit as the number.
float SReadStream::ReadF32() {
    return std::bit_cast<float>(ReadU32());
}

double SReadStream::ReadF64() {
    uint8 bytes[8] = {};
    ReadRaw(bytes);
    uint64 bits = 0;
    if (mByteOrder == kBigEndianOrder) {
        for (uint8 byte : bytes) bits = (bits << 8) | byte;
    } else {
        std::memcpy(&bits, bytes, sizeof bits);
    }
    return std::bit_cast<double>(bits);
}

void SReadStream::PutBackByte(uint8 inByte) {
    if (mCurBufPos <= 0) {
        LREPORT("Not enough room in buffer to put back the byte.");
        return;
    }
    --mCurBufPos;
    mBuffer.Start()[mCurBufPos] = inByte;
}

uint8 SReadStream::PeekU8() {
    const uint8 byte = ReadU8();
    PutBackByte(byte);
    return byte;
}

uint32 SReadStream::ReadFourCharCode() {
    uint8 bytes[4] = {};
    ReadRaw(bytes);
    return (uint32(bytes[0]) << 24) | (uint32(bytes[1]) << 16) | (uint32(bytes[2]) << 8) | bytes[3];
}

void SReadStream::ReadFourCharCode(void* outDestination) {
    uint8 bytes[4] = {};
    ReadRaw(bytes);
    uint8* destination = static_cast<uint8*>(outDestination);
    for (int32 i = 0; i < 4; ++i) destination[3 - i] = bytes[i];
}

void SReadStream::ReadPString(std::string& outString) {
    const uint8 theSize = ReadU8();
    if (theSize == 0) {
        ReadU8();  // padding
        outString.clear();
        return;
    }
    char area[256];
    ReadBytes(theSize, area);
    outString.assign(area, theSize);
    if (theSize % 2 == 0) ReadU8();  // padding: length byte + characters is odd
}
