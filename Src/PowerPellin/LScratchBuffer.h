// Temporary working memory of a given size, owned by the buffer for its lifetime.
#pragma once

#include "Src/Pellin/Isol/Allocator.h"
#include "Src/Pellin/Isol/IsolTypes.h"

class LScratchBuffer : public LAllocatedObject {
public:
    static constexpr uint32 kDefaultSize = 65536;

    // 65536 bytes; throws std::bad_alloc when they cannot be had.
    LScratchBuffer();
    // Exactly inMinimumSize bytes; when the allocation fails the buffer is empty (Size() 0, Ptr() null).
    explicit LScratchBuffer(uint32 inMinimumSize);
    ~LScratchBuffer();
    LScratchBuffer(const LScratchBuffer&) = delete;
    LScratchBuffer& operator=(const LScratchBuffer&) = delete;

    void* Ptr() const { return mData; }
    uint32 Size() const { return mSize; }

    // Idle shared blocks: memory a caller hands to the library to keep until it stops. The library
    // frees them all at its outermost stop. Takes ownership of a block from LAllocate.
    static void AddIdleSharedBlock(void* inBlock);
    // Frees every idle shared block; returns how many were freed.
    static int32 FreeIdleSharedBlocks();

private:
    void* mData = nullptr;
    uint32 mSize = 0;
    void* mPrivateBlock = nullptr;  // what this buffer allocated itself (same as mData) or null
};
