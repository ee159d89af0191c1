#include "Src/Pellin/Isol/SListX.h"

#include <gtest/gtest.h>

#include <bit>
#include <algorithm>
#include <random>
#include <vector>

#include "tests/Isol/ReportLog.h"

namespace {

std::vector<LWord> Contents(const SListX& inList) {
    std::vector<LWord> out;
    for (int32 i = 0; i < inList.Count(); ++i) out.push_back(inList.Get(i));
    return out;
}

SListX Make(std::initializer_list<LWord> inValues) {
    SListX list;
    for (LWord v : inValues) list.Append(v);
    return list;
}

TEST(SListX, SingleElementLivesInline) {
    const uint32 before = AllocatorTesting::HeapRequestCount();
    SListX list = Make({42});
    EXPECT_EQ(AllocatorTesting::HeapRequestCount(), before);
    list.Append(43);
    EXPECT_EQ(AllocatorTesting::HeapRequestCount(), before + 1);
    EXPECT_EQ(Contents(list), (std::vector<LWord>{42, 43}));  // the inline element became element 0
}

TEST(SListX, EqualityHashSwapCopy) {
    const SListX a = Make({1, 2, 3});
    SListX b = a;
    EXPECT_TRUE(a == b);
    b.Set(2, 4);
    EXPECT_TRUE(a != b);
    EXPECT_TRUE(Make({1}) != Make({1, 1}));

    for (const SListX& list : {Make({}), Make({7}), Make({1, 2}), Make({0xFFFFFFFFu, 0x80000000u, 3, 1u << 31})}) {
        uint32 h = 0;
        for (LWord v : Contents(list)) h = std::rotl(h, 7) + uint32(v);
        EXPECT_EQ(list.Hash(), h);
    }
    EXPECT_EQ(Make({1, 2}).Hash(), 130u);

    SListX c = Make({9});
    b.Swap(c);
    EXPECT_EQ(Contents(b), (std::vector<LWord>{9}));
    EXPECT_EQ(Contents(c), (std::vector<LWord>{1, 2, 4}));
    c.Concatenate(c);
    EXPECT_EQ(Contents(c), (std::vector<LWord>{1, 2, 4, 1, 2, 4}));
    c.Fill(3);
    EXPECT_EQ(Contents(c), (std::vector<LWord>(6, 3)));
}

int32 Ascending(LWord a, LWord b, LWord) { return a < b ? -1 : (a > b ? 1 : 0); }
int32 ByRefconDirection(LWord a, LWord b, LWord refcon) { return refcon != 0 ? Ascending(b, a, 0) : Ascending(a, b, 0); }

SListX* gInner = nullptr;
// Sorts another list from inside a comparison: the outer sort must keep using its own procedure.
int32 SortsInnerFirst(LWord a, LWord b, LWord refcon) {
    if (gInner != nullptr) {
        SListX* inner = gInner;
        gInner = nullptr;
        inner->Sort(ByRefconDirection, 1);
    }
    return ByRefconDirection(a, b, refcon);
}

TEST(SListX, SortUsesProcedureAndReference) {
    SListX list = Make({5, 1, 4, 2, 3});
    list.Sort(ByRefconDirection, 0);
    EXPECT_EQ(Contents(list), (std::vector<LWord>{1, 2, 3, 4, 5}));
    list.Sort(ByRefconDirection, 1);
    EXPECT_EQ(Contents(list), (std::vector<LWord>{5, 4, 3, 2, 1}));

    SListX inner = Make({1, 3, 2});
    gInner = &inner;
    list.Sort(SortsInnerFirst, 0);
    EXPECT_EQ(Contents(list), (std::vector<LWord>{1, 2, 3, 4, 5}));
    EXPECT_EQ(Contents(inner), (std::vector<LWord>{3, 2, 1}));
    list.Sort(ByRefconDirection, 1);  // the stacks are back to empty and usable
    EXPECT_EQ(list.First(), 5u);
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

}  // namespace
