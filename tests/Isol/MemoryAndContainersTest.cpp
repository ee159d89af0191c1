// The foundation's allocator under failing heap requests, its block pool against a model of live blocks, the
// small list against a vector model, and the tile walker over random bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <new>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "Src/Pellin/Isol/Allocator.h"
#include "Src/Pellin/Isol/BlockPool.h"
#include "Src/Pellin/Isol/GRect.h"
#include "Src/Pellin/Isol/SListX.h"
#include "Src/Pellin/Isol/TileWalker.h"
#include "tests/Isol/ReportLog.h"

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

// Random allocations, reallocations and frees of pooled and other sizes: every live block keeps the byte
// it was filled with (so no two overlap), a cleared block is zero even when recycled, reallocation keeps
// the contents, the slabs stay within what the live blocks need, and none is left once all are freed and
// the memory purged.
TEST(Allocator, PoolBlocksNeverOverlapAndAllSlabsGoBack) {
    struct Live {
        uint8* block;
        int32 size;
        uint8 fill;
    };
    std::mt19937 random(5);
    std::vector<Live> live;
    const int32 sizes[] = {4096, 16384, 65536, 300, 20000};
    auto intact = [](const Live& l) {
        return std::all_of(l.block, l.block + l.size, [&](uint8 b) { return b == l.fill; });
    };
    auto drop = [&](size_t i) {
        EXPECT_TRUE(intact(live[i])) << "block of " << live[i].size;
        LFree(live[i].block);
        live.erase(live.begin() + std::ptrdiff_t(i));
    };
    for (int32 step = 0; step < 6000; ++step) {
        const uint32 r = random();
        if (step < 3000 ? r % 4 == 0 : r % 4 != 0) {  // grow to about 1,500 blocks, then shrink
            if (!live.empty()) drop(r / 4 % live.size());
            continue;
        }
        const int32 size = sizes[r / 4 % 5];
        const uint8 fill = uint8(step | 1);
        auto* block = static_cast<uint8*>((r & 64) != 0 ? LAllocateClear(size) : LAllocate(size));
        EXPECT_TRUE((r & 64) == 0 || intact({block, size, 0})) << "cleared block of " << size;
        EXPECT_EQ(BlockPool::BlockSize(block), BlockPool::Serves(size_t(size)) ? size_t(size) : 0u);
        std::fill(block, block + size, fill);
        if ((r & 128) != 0) {
            const int32 grown = sizes[(r >> 8) % 3];
            block = static_cast<uint8*>(LReallocate(block, grown));
            EXPECT_TRUE(intact({block, std::min(size, grown), fill})) << size << " to " << grown;
            std::fill(block, block + grown, fill);
            live.push_back({block, grown, fill});
        } else {
            live.push_back({block, size, fill});
        }
        if (step % 500 == 0 && step < 3000) {  // growing: per size, full slabs plus a few with room
            size_t pooled = 0;
            for (const Live& l : live) pooled += BlockPool::BlockSize(l.block);
            EXPECT_LE(BlockPool::SlabCount(), int(pooled / (8 << 20)) + 6) << "step " << step;
        }
    }
    while (!live.empty()) drop(live.size() - 1);
    EXPECT_EQ(BlockPool::SlabCount(), BlockPool::Serves(4096) ? 3 : 0);  // a spare per size until a purge
    LFree(LAllocate(65536));                                             // taken from the spare, which stays
    EXPECT_EQ(BlockPool::SlabCount(), BlockPool::Serves(4096) ? 3 : 0);
    LPurge(0);
    EXPECT_EQ(BlockPool::SlabCount(), 0);
}

std::vector<LWord> Contents(const SListX& inList) {
    std::vector<LWord> out;
    for (int32 i = 0; i < inList.Count(); ++i) out.push_back(inList.Get(i));
    return out;
}

// Random operation sequences against std::vector, with the capacity rule checked after every step:
// growth to n + n/4 + 5, shrink to n below n + n/2 + 3, capacity 1 (the inline element) below two.
// Correct use reports nothing.
TEST(SListX, MatchesVectorModel) {
    ReportLog log;
    std::mt19937 rng(1234);
    auto pick = [&](int n) { return int(rng() % uint32(n)); };
    for (int round = 0; round < 20; ++round) {
        SListX list;
        std::vector<LWord> model;
        int32 capacity = 1;
        auto applyCount = [&](int32 n) {
            if (n > capacity)
                capacity = n + n / 4 + 5;
            else if (n < 2)
                capacity = 1;
            else if (n + n / 2 + 3 < capacity)
                capacity = n;
        };
        for (int step = 0; step < 400; ++step) {
            const LWord v = LWord(pick(8));
            const int size = int(model.size()), op = pick(10);
            const auto found = std::find(model.begin(), model.end(), v);
            if (op < 2) {
                list.Append(v);
                model.push_back(v);
            } else if (op == 2) {
                const int at = pick(size + 1), copies = pick(4) + 1;
                list.Insert(at, copies, v);
                model.insert(model.begin() + at, size_t(copies), v);
            } else if (op == 3 && size > 0) {
                const int at = pick(size), len = 1 + pick(std::min(size - at, 6));
                list.Delete(at, len);
                model.erase(model.begin() + at, model.begin() + at + len);
            } else if (op == 4) {
                EXPECT_EQ(list.Remove(v), found != model.end());
                if (found != model.end()) model.erase(found);
            } else if (op == 5) {
                EXPECT_EQ(list.RemoveFast(v), found != model.end());
                if (found != model.end()) {
                    *found = model.back();
                    model.pop_back();
                }
            } else if (op == 6) {
                EXPECT_EQ(list.RemoveAll(v), int32(std::erase(model, v)));
            } else if (op == 7 && size > 0) {
                EXPECT_EQ(list.Pop(), model.back());
                model.pop_back();
            } else if (op == 8 && size > 0) {
                const int at = pick(size);
                list.Set(at, v);
                model[size_t(at)] = v;
            } else if (op == 9) {
                EXPECT_EQ(list.Find(v), found == model.end() ? -1 : int32(found - model.begin()));
            }
            // Operations that change the count set it, and so may resize; RemoveAll sets it even when
            // it removes nothing.
            if (int(model.size()) != size || op == 6) applyCount(int32(model.size()));
            ASSERT_EQ(Contents(list), model) << "round " << round << " step " << step;
            ASSERT_EQ(list.Capacity(), capacity) << "round " << round << " step " << step;
            ASSERT_EQ(list.OnHeap(), capacity > 1) << "round " << round << " step " << step;
        }
    }
    EXPECT_TRUE(Platform::TestHooks::MessageBoxes().empty());
}

std::vector<GRect> Walk(int32 w, int32 h, const GRect& bounds) {
    std::vector<GRect> tiles;
    for (TileWalker walker(w, h, bounds); walker.Valid(); walker.Next()) {
        tiles.push_back(walker.Tile());
        if (tiles.size() > 100000) break;  // a runaway walk fails below instead of hanging
    }
    return tiles;
}

TEST(TileWalker, DegenerateWalksEnd) {
    struct Case {
        int32 w, h;
        GRect bounds;
    };
    const Case cases[] = {
        {64, 64, GRect()},               // empty bounds
        {64, 64, GRect(10, 0, 0, 10)},   // inverted
        {0, 64, GRect(0, 0, 100, 100)},  // zero width would never advance
        {64, 0, GRect(0, 0, 100, 100)},
        {-4, 64, GRect(0, 0, 100, 100)},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(Walk(c.w, c.h, c.bounds).empty()) << c.w << "x" << c.h;
        EXPECT_EQ(TileWalker(c.w, c.h, c.bounds).Count(), 0);
    }
    // Bounds reaching the largest coordinates end without overflow.
    EXPECT_EQ(Walk(1 << 30, 1 << 30, GRect(INT_MAX - 5, INT_MAX - 3, INT_MAX, INT_MAX)).size(), 1u);
    EXPECT_EQ(TileWalker(INT_MAX, INT_MAX, GRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX)).Count(),
              9);  // 3 x 3: the span is 2^32 - 1
}

// Random bounds and tile sizes: the tiles partition the bounds in row-major order from the bounds' corner
// (not from multiples of the tile size), each as large as the bounds leave room for, and Count tells their
// number beforehand.
TEST(TileWalker, TilesPartitionTheBounds) {
    std::mt19937 rng(42);
    for (int round = 0; round < 300; ++round) {
        const int32 left = int32(rng() % 200) - 100, top = int32(rng() % 200) - 100;
        const GRect bounds(left, top, left + int32(rng() % 150) + 1, top + int32(rng() % 150) + 1);
        const int32 w = int32(rng() % 70) + 1, h = int32(rng() % 70) + 1;
        std::vector<GRect> expected;
        for (int32 y = bounds.top; y < bounds.bottom; y += h)
            for (int32 x = bounds.left; x < bounds.right; x += w)
                expected.emplace_back(x, y, std::min(x + w, bounds.right), std::min(y + h, bounds.bottom));
        ASSERT_EQ(Walk(w, h, bounds), expected) << "round " << round;
        ASSERT_EQ(TileWalker(w, h, bounds).Count(), int32(expected.size()));
    }
}

}  // namespace
