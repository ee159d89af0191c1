#include "Src/PowerPellin/LScratchBuffer.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// The default size is 65536; an asked size is exact and all writable (the sanitizer build checks). A
// failed or impossible allocation leaves the buffer empty.
TEST(LScratchBuffer, SizesAreExactOrZero) {
    const LScratchBuffer standard;
    EXPECT_EQ(standard.Size(), 65536u);
    for (uint32 size : {1u, 100u, 4097u}) {
        const LScratchBuffer sized(size);
        EXPECT_EQ(sized.Size(), size);
        ASSERT_NE(sized.Ptr(), nullptr);
        std::memset(sized.Ptr(), 0xA5, sized.Size());
    }
    std::memset(standard.Ptr(), 0x5A, standard.Size());
    AllocatorTesting::FailHeapRequests(1);
    for (uint32 size : {100u, 0x80000000u}) {
        const LScratchBuffer failed(size);
        EXPECT_EQ(failed.Size(), 0u) << size;
        EXPECT_EQ(failed.Ptr(), nullptr) << size;
    }
}

TEST(LScratchBuffer, IdleSharedBlocksAreFreedTogether) {
    LScratchBuffer::AddIdleSharedBlock(LAllocate(10));
    LScratchBuffer::AddIdleSharedBlock(LAllocate(20));
    LScratchBuffer::AddIdleSharedBlock(nullptr);
    EXPECT_EQ(LScratchBuffer::FreeIdleSharedBlocks(), 2);
    EXPECT_EQ(LScratchBuffer::FreeIdleSharedBlocks(), 0);
}

}  // namespace
