#include "tests/support/MemoryFilePort.h"

#include <algorithm>
#include <cstring>

void MemoryFilePort::SetLength(uint32 inLength) {
    ++mSetLengthCount;
    mBytes.resize(inLength);
}

uint32 MemoryFilePort::GetLength() {
    return uint32(mBytes.size());
}

int32 MemoryFilePort::ReadAt(uint32 inPosition, int32 inCount, void* outDestination) {
    mReads.push_back({inPosition, inCount});
    if (inCount <= 0 || inPosition >= mBytes.size()) return 0;
    const size_t available = std::min<size_t>(size_t(inCount), mBytes.size() - inPosition);
    std::memcpy(outDestination, mBytes.data() + inPosition, available);
    return int32(available);
}

int32 MemoryFilePort::WriteAt(uint32 inPosition, int32 inCount, const void* inSource) {
    if (inCount <= 0) return 0;
    const size_t end = size_t(inPosition) + size_t(inCount);
    if (end > mBytes.size()) mBytes.resize(end);
    std::memcpy(mBytes.data() + inPosition, inSource, size_t(inCount));
    return inCount;
}

std::vector<uint8> MemoryFilePort::Pattern(uint32 inLength) {
    std::vector<uint8> bytes(inLength);
    for (uint32 i = 0; i < inLength; ++i) bytes[i] = uint8(i % 251);
    return bytes;
}
