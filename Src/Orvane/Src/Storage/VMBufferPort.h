// An LFilePort over a VMBuffer, so that the streams can read and write paged memory like a file.
//
// The port does not own the buffer, which must outlive it. Writes past the end grow the buffer; reads past
// the end throw ReadOffEndException (reported first) and deliver nothing.
#pragma once

#include "API/LFilePort.h"
#include "Src/Orvane/Src/Storage/VMBuffer.h"
#include "Src/Pellin/Isol/Allocator.h"

class VMBufferPort : public LFilePort, public LAllocatedObject {
public:
    explicit VMBufferPort(VMBuffer* inBuffer);

    // Resizes the buffer.
    void SetLength(uint32 inLength) override;
    uint32 GetLength() override;
    // Throws ReadOffEndException when the range reaches beyond the buffer; returns inLength otherwise.
    int32 ReadAt(uint32 inStartPos, int32 inLength, void* outDestination) override;
    // Grows the buffer to inStartPos + inLength first when needed; returns inLength, or 0 for a range
    // that cannot be addressed in 32 bits.
    int32 WriteAt(uint32 inStartPos, int32 inLength, const void* inSource) override;

    VMBuffer* Buffer() const { return mBuffer; }

private:
    uint32 Size() const { return mBuffer->Size(); }

    VMBuffer* mBuffer;
};
