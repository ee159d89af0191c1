#include "Src/Orvane/Src/Storage/VMBufferPort.h"

#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/Report.h"

VMBufferPort::VMBufferPort(VMBuffer* inBuffer) : LFilePort(1), mBuffer(ThrowIfNil(inBuffer)) {}

void VMBufferPort::SetLength(uint32 inLength) {
    mBuffer->Resize(inLength);
}

uint32 VMBufferPort::GetLength() {
    return mBuffer->Size();
}

int32 VMBufferPort::ReadAt(uint32 inStartPos, int32 inLength, void* outDestination) {
    if (!LCHECK(inLength >= 0)) return 0;
    if (uint64(inStartPos) + uint64(inLength) > GetLength()) LTHROW(ReadOffEndException);
    if (inLength == 0) return 0;
    mBuffer->Read(inStartPos, uint32(inLength), outDestination);
    return inLength;
}

int32 VMBufferPort::WriteAt(uint32 inStartPos, int32 inLength, const void* inSource) {
    if (!LCHECK(inLength >= 0) || inLength == 0) return 0;
    const uint64 end = uint64(inStartPos) + uint64(inLength);
    // A range that cannot be addressed in 32 bits writes nothing.
    if (end > 0xFFFFFFFFu) return 0;
    if (end > GetLength()) SetLength(uint32(end));
    LASSERT(inStartPos + inLength <= Size());
    mBuffer->Write(inStartPos, uint32(inLength), inSource);
    return inLength;
}
