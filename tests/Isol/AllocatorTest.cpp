#include "Src/Pellin/Isol/Allocator.h"

#include <gtest/gtest.h>

#include <new>
#include <optional>
#include <string>
#include <utility>
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

// A failed heap request: null at once when the caller allows failure, otherwise a purge of the whole
// request inside the grow zone and a retry while the purge frees something, then "bad allocation".
TEST(Allocator, FailedRequestsPurgeRetryOrGiveUp) {
    struct Case {
        int32 hookFrees;  // -1: no hook registered
        int32 failures;
        bool mayFail, reallocate;
        std::string outcome;  // "block", "null" or the exception's text
        uint32 heapRequests;
        std::vector<uint32> purges;
    };
    const Case cases[] = {
        {-1, 1, false, false, "bad allocation", 1, {}},
        {-1, 1, true, false, "null", 1, {}},
        {10, 1, true, true, "null", 1, {}},  // may fail never purges
        {10, 2, false, false, "block", 3, {300, 300}},
        {10, 1, false, true, "block", 2, {300}},
        {0, 1, false, true, "bad allocation", 1, {300}},
    };
    for (const Case& c : cases) {
        const std::string name = "case " + std::to_string(&c - cases);
        std::optional<CountingHook> hook;
        if (c.hookFrees >= 0) hook.emplace(uint32(c.hookFrees));
        void* old = LAllocate(4);
        static_cast<uint8*>(old)[0] = 9;
        const uint32 before = AllocatorTesting::HeapRequestCount();
        AllocatorTesting::FailHeapRequests(c.failures);
        std::string outcome = "null";
        void* block = nullptr;
        try {
            block = c.reallocate ? LReallocate(old, 300, c.mayFail) : LAllocate(300, c.mayFail);
            if (block != nullptr) outcome = "block";
        } catch (const std::bad_alloc& e) {
            outcome = e.what();
        }
        EXPECT_EQ(outcome, c.outcome) << name;
        EXPECT_EQ(AllocatorTesting::HeapRequestCount() - before, c.heapRequests) << name;
        EXPECT_FALSE(GrowZoneHook::InGrowZone()) << name;
        EXPECT_EQ(hook ? hook->requests : std::vector<uint32>{}, c.purges) << name;
        EXPECT_EQ(hook && hook->sawGrowZone, !c.purges.empty()) << name;
        if (c.reallocate && block != nullptr) old = std::exchange(block, nullptr);
        EXPECT_EQ(static_cast<uint8*>(old)[0], 9) << name << ": the old block stays valid";
        LFree(block);
        LFree(old);
    }
    AllocatorTesting::FailHeapRequests(0);
}

struct Tracked : LAllocatedObject {
    int32 payload[8] = {};
};

}  // namespace
