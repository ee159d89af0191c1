#include "Src/Pellin/Isol/SListX.h"

#include <gtest/gtest.h>

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
