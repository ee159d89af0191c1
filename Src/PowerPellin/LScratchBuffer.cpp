#include "Src/PowerPellin/LScratchBuffer.h"

#include <vector>

namespace {
std::vector<void*>& IdleSharedBlocks() {
    static std::vector<void*> sBlocks;
    return sBlocks;
}
}  // namespace

LScratchBuffer::LScratchBuffer() : mData(LAllocate(int32(kDefaultSize))), mSize(kDefaultSize) {
    mPrivateBlock = mData;
}

LScratchBuffer::LScratchBuffer(uint32 inMinimumSize) {
    // Sizes past the allocator's signed range cannot be had: the buffer stays empty.
    if (inMinimumSize > 0x7FFFFFFFu) return;
    mData = LAllocate(int32(inMinimumSize), true);
    mPrivateBlock = mData;
    mSize = mData != nullptr ? inMinimumSize : 0;
}

LScratchBuffer::~LScratchBuffer() {
    LFree(mPrivateBlock);
}

void LScratchBuffer::AddIdleSharedBlock(void* inBlock) {
    if (inBlock != nullptr) IdleSharedBlocks().push_back(inBlock);
}

int32 LScratchBuffer::FreeIdleSharedBlocks() {
    auto& blocks = IdleSharedBlocks();
    const int32 count = int32(blocks.size());
    for (void* block : blocks) LFree(block);
    blocks.clear();
    return count;
}
