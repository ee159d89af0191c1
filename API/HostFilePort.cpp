// Transfers through the platform's positional file calls: seek from the beginning, then transfer.
#include "API/HostFilePort.h"

HostFilePort::HostFilePort(Platform::FileHandle inHandle, int32 inOwnFlag)
    : LFilePort(inOwnFlag), mHandle(inHandle) {}

HostFilePort::~HostFilePort() = default;

void HostFilePort::SetLength(uint32 inLength) {
    Platform::FileSeek(mHandle, int64(inLength), Platform::SeekOrigin::kBegin);
}

uint32 HostFilePort::GetLength() {
    const int64 noted = Platform::FileSeek(mHandle, 0, Platform::SeekOrigin::kCurrent);
    if (noted < 0) return 0;
    const int64 end = Platform::FileSeek(mHandle, 0, Platform::SeekOrigin::kEnd);
    Platform::FileSeek(mHandle, noted, Platform::SeekOrigin::kBegin);
    if (end < 0) return 0;
    return end > int64(0xFFFFFFFFu) ? 0xFFFFFFFFu : uint32(end);
}

int32 HostFilePort::ReadAt(uint32 inPosition, int32 inCount, void* outDestination) {
    if (inCount <= 0) return 0;
    if (Platform::FileSeek(mHandle, int64(inPosition), Platform::SeekOrigin::kBegin) < 0) return 0;
    return Platform::FileRead(mHandle, outDestination, inCount);
}

int32 HostFilePort::WriteAt(uint32 inPosition, int32 inCount, const void* inSource) {
    if (inCount <= 0) return 0;
    if (Platform::FileSeek(mHandle, int64(inPosition), Platform::SeekOrigin::kBegin) < 0) return 0;
    return Platform::FileWrite(mHandle, inSource, inCount);
}

void HostFilePort::Flush() {}
