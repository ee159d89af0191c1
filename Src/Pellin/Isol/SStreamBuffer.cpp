#include "Src/Pellin/Isol/SStreamBuffer.h"

#include "Src/Pellin/Isol/Report.h"

namespace {

// The allocator takes signed sizes: a buffer size that does not fit is an assertion and gets no bytes.
uint32 CheckedSize(uint32 inSize) {
    return LCHECK(inSize <= 0x7FFFFFFFu) ? inSize : 0;
}

}  // namespace

SStreamBuffer::SStreamBuffer(uint32 inSize) : mBytes(nullptr), mSize(CheckedSize(inSize)) {
    mBytes = static_cast<uint8*>(LAllocateClear(int32(mSize)));
}

SStreamBuffer::~SStreamBuffer() {
    LFree(mBytes);
}
