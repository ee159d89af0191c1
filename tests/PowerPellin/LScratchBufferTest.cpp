#include "Src/PowerPellin/LScratchBuffer.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(LScratchBuffer, SizesAreExact) {
    const LScratchBuffer standard;
    EXPECT_EQ(standard.Size(), 65536u);
    ASSERT_NE(standard.Ptr(), nullptr);
    std::memset(standard.Ptr(), 0x5A, standard.Size());  // the whole size is writable

    for (uint32 size : {1u, 100u, 4097u}) {
        const LScratchBuffer sized(size);
        EXPECT_EQ(sized.Size(), size);
        ASSERT_NE(sized.Ptr(), nullptr);
        std::memset(sized.Ptr(), 0xA5, sized.Size());
    }
}

TEST(LScratchBuffer, FailedAllocationLeavesItEmpty) {
    AllocatorTesting::FailHeapRequests(1);
    const LScratchBuffer failed(100);
    EXPECT_EQ(failed.Size(), 0u);
    EXPECT_EQ(failed.Ptr(), nullptr);

    const LScratchBuffer huge(0x80000000u);  // beyond the allocator's range
    EXPECT_EQ(huge.Size(), 0u);
    EXPECT_EQ(huge.Ptr(), nullptr);
}

TEST(LScratchBuffer, IdleSharedBlocksAreFreedTogether) {
    LScratchBuffer::AddIdleSharedBlock(LAllocate(10));
    LScratchBuffer::AddIdleSharedBlock(LAllocate(20));
    LScratchBuffer::AddIdleSharedBlock(nullptr);
    EXPECT_EQ(LScratchBuffer::FreeIdleSharedBlocks(), 2);
    EXPECT_EQ(LScratchBuffer::FreeIdleSharedBlocks(), 0);
}

}  // namespace
