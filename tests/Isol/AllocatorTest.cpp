#include "Src/Pellin/Isol/Allocator.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <vector>

namespace {

// A hook that pretends to free a fixed amount per call and records the requests it saw.
class CountingHook : public GrowZoneHook {
public:
    explicit CountingHook(uint32 inPerCall) : mPerCall(inPerCall) {}
    uint32 ReleaseAll() override { return mPerCall; }
    uint32 Release(uint32 inBytes) override {
        requests.push_back(inBytes);
        sawGrowZone = sawGrowZone || GrowZoneHook::InGrowZone();
        return mPerCall;
    }
    std::vector<uint32> requests;
    bool sawGrowZone = false;

private:
    uint32 mPerCall;
};

TEST(Allocator, ZeroAndNegativeSizesYieldUsableBlocks) {
    for (int32 size : {0, -5}) {
        auto* block = static_cast<uint8*>(LAllocate(size));
        ASSERT_NE(block, nullptr);
        block[0] = 0xAB;  // one byte is there (the sanitizer build would catch less)
        LFree(block);
    }
}

TEST(Allocator, ClearAndReallocateKeepContents) {
    auto* block = static_cast<uint8*>(LAllocateClear(100));
    for (int i = 0; i < 100; ++i) ASSERT_EQ(block[i], 0) << i;
    for (int i = 0; i < 100; ++i) block[i] = uint8(i);
    block = static_cast<uint8*>(LReallocate(block, 5000));
    for (int i = 0; i < 100; ++i) ASSERT_EQ(block[i], uint8(i)) << i;
    block = static_cast<uint8*>(LReallocate(block, 10));
    for (int i = 0; i < 10; ++i) ASSERT_EQ(block[i], uint8(i)) << i;
    LFree(block);
    void* fresh = LReallocate(nullptr, 8);  // a null block is an allocation
    ASSERT_NE(fresh, nullptr);
    LFree(fresh);
    LFree(nullptr);
}

TEST(Allocator, WithoutHooksAFailureThrowsAtOnce) {
    ASSERT_EQ(GrowZoneHook::HookCount(), 0);
    const uint32 before = AllocatorTesting::HeapRequestCount();
    AllocatorTesting::FailHeapRequests(1);
    try {
        LAllocate(64);
        ADD_FAILURE() << "no exception";
    } catch (const std::bad_alloc& e) {
        EXPECT_STREQ(e.what(), "bad allocation");
    }
    EXPECT_EQ(AllocatorTesting::HeapRequestCount() - before, 1u);  // no retry
    EXPECT_EQ(LPurge(100), 0u);
}

TEST(Allocator, MayFailReturnsNullAndKeepsOldBlock) {
    auto* block = static_cast<uint8*>(LAllocate(4));
    block[0] = 9;
    AllocatorTesting::FailHeapRequests(2);
    EXPECT_EQ(LAllocate(16, true), nullptr);
    EXPECT_EQ(LReallocate(block, 1 << 20, true), nullptr);
    EXPECT_EQ(block[0], 9);
    LFree(block);
    AllocatorTesting::FailHeapRequests(0);
}

TEST(Allocator, FailureRetriesWhilePurgeFreesSomething) {
    CountingHook hook(10);
    const uint32 before = AllocatorTesting::HeapRequestCount();
    AllocatorTesting::FailHeapRequests(2);
    void* block = LAllocate(300);
    ASSERT_NE(block, nullptr);
    LFree(block);
    EXPECT_EQ(AllocatorTesting::HeapRequestCount() - before, 3u);
    // Each purge asked the hook for the whole request, inside the grow zone.
    EXPECT_EQ(hook.requests, (std::vector<uint32>{300, 300}));
    EXPECT_TRUE(hook.sawGrowZone);
    EXPECT_FALSE(GrowZoneHook::InGrowZone());
}

TEST(Allocator, FailureThrowsWhenHooksFreeNothing) {
    CountingHook hook(0);
    AllocatorTesting::FailHeapRequests(1);
    EXPECT_THROW(LReallocate(nullptr, 50), std::bad_alloc);
    EXPECT_EQ(hook.requests.size(), 1u);
}

TEST(Allocator, PurgeAsksEachHookForTheRemainder) {
    CountingHook first(30), second(30), third(30);
    EXPECT_EQ(GrowZoneHook::HookCount(), 3);
    EXPECT_EQ(LPurge(50), 60u);
    EXPECT_EQ(first.requests, (std::vector<uint32>{50}));
    EXPECT_EQ(second.requests, (std::vector<uint32>{20}));
    EXPECT_TRUE(third.requests.empty());  // the target was reached before it
    EXPECT_EQ(LPurge(0xFFFFFFFFu), 90u);
}

TEST(Allocator, HooksLeaveTheRegistryOnDestruction) {
    {
        CountingHook hook(1);
        EXPECT_EQ(GrowZoneHook::HookCount(), 1);
    }
    EXPECT_EQ(GrowZoneHook::HookCount(), 0);
}

struct Tracked : LAllocatedObject {
    int32 payload[8] = {};
};

TEST(Allocator, EngineObjectsGoThroughTheAllocator) {
    const uint32 before = AllocatorTesting::HeapRequestCount();
    auto* object = new Tracked;
    EXPECT_EQ(AllocatorTesting::HeapRequestCount() - before, 1u);
    delete object;
    AllocatorTesting::FailHeapRequests(1);
    EXPECT_THROW(new Tracked, std::bad_alloc);
    auto* many = new Tracked[3];
    delete[] many;
}

}  // namespace
