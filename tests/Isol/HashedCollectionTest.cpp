#include "Src/Pellin/Isol/HashedCollection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

std::vector<LWord> Keys(const HashedCollection& inCollection) {
    std::vector<LWord> keys;
    for (HashedCollection::Iterator it(inCollection); it.Next();) keys.push_back(it.Key());
    return keys;
}

// Every stored key must be reachable: no empty slot between its home slot and its slot.
void ExpectProbeChainsIntact(const HashedCollection& inCollection) {
    const int32 size = inCollection.ArraySize();
    int32 occupied = 0;
    for (int32 slot = 0; slot < size; ++slot) {
        const LWord key = inCollection.SlotKey(slot);
        if (key == 0) continue;
        ++occupied;
        for (int32 s = int32(HashedCollection::HomeSlot(key, size)); s != slot; s = (s + 1) & (size - 1))
            ASSERT_NE(inCollection.SlotKey(s), 0u) << "hole before key " << key;
    }
    EXPECT_EQ(occupied, inCollection.EntryCount());
}

// The table size a collection must have: grow before inserting a new key when full or more than
// three quarters full; halve a table of more than 10 slots that falls below a third after a removal.
struct SizeModel {
    int32 entries = 0;
    int32 size = 0;
    void Added() {
        if (entries == size || 4 * entries > 3 * size) size = std::max(1, 2 * size);
        ++entries;
    }
    void Removed() {
        --entries;
        if (size > 10 && 3 * entries < size) size /= 2;
    }
};

TEST(HashedCollection, HashOfKnownKeys) {
    struct Case {
        LWord key;
        int32 size;
        uint32 slot;
    };
    // Worked by hand: k=1: t=9, t+(t>>17)=9, 9+(9>>8)=9. k=0x12345678: t=0xA3D70A38 (negative),
    // t>>17 arithmetic = 0xFFFFD1EB, sum 0xA3D6DC23; >>8 = 0xFFA3D6DC; sum 0xA37AB2FF.
    const Case cases[] = {{1, 16, 9}, {1, 8, 1}, {0x12345678u, 256, 0xFF}, {0x12345678u, 1024, 0x2FF},
                          {0x12345678u, 1, 0}};
    for (const Case& c : cases) EXPECT_EQ(HashedCollection::HomeSlot(c.key, c.size), c.slot) << c.key;
}

TEST(HashedCollection, GrowthPoints) {
    Set set;
    EXPECT_EQ(set.ArraySize(), 0);
    const int32 expected[] = {1, 2, 4, 4, 8};
    for (int32 i = 0; i < 5; ++i) {
        EXPECT_TRUE(set.Add(LWord(100 + i)));
        EXPECT_EQ(set.ArraySize(), expected[i]) << "after key " << i + 1;
    }
    EXPECT_FALSE(set.Add(100));  // existing keys are not duplicated
    EXPECT_EQ(set.Count(), 5);
}

TEST(HashedCollection, KeyZeroBypassesTheTable) {
    Set set;
    for (LWord k : {3, 4, 5}) set.Add(k);
    const std::vector<LWord> slotsBefore = [&] {
        std::vector<LWord> v;
        for (int32 s = 0; s < set.ArraySize(); ++s) v.push_back(set.SlotKey(s));
        return v;
    }();
    EXPECT_TRUE(set.Add(0));
    EXPECT_TRUE(set.Includes(0));
    EXPECT_EQ(set.Count(), 4);
    EXPECT_EQ(set.EntryCount(), 3);
    EXPECT_EQ(Keys(set).back(), 0u);  // the key 0 comes last in iteration
    EXPECT_TRUE(set.Remove(0));
    EXPECT_FALSE(set.Includes(0));
    for (int32 s = 0; s < set.ArraySize(); ++s) EXPECT_EQ(set.SlotKey(s), slotsBefore[size_t(s)]);

    Set empty;
    empty.Add(0);
    EXPECT_EQ(empty.ArraySize(), 0);
    Dictionary dict;
    dict.SetValue(0, 77);
    EXPECT_EQ(dict.ValueOr(0, 1), 77u);
    EXPECT_EQ(dict.ArraySize(), 0);
}

TEST(HashedCollection, IterationFollowsSlotOrder) {
    Set set;
    for (LWord k : {11, 22, 33, 44, 55, 66}) set.Add(k);
    std::vector<LWord> bySlot;
    for (int32 s = 0; s < set.ArraySize(); ++s)
        if (set.SlotKey(s) != 0) bySlot.push_back(set.SlotKey(s));
    EXPECT_EQ(Keys(set), bySlot);

    Set empty;
    HashedCollection::Iterator it(empty);
    EXPECT_FALSE(it.Next());
    EXPECT_EQ(it.Key(), 0u);  // reported, yields 0
}

TEST(HashedCollection, KeysDifferingOnlyInHighBitsAreDistinct) {
    if constexpr (sizeof(LWord) < 8) GTEST_SKIP() << "32-bit words";
    const LWord low = 0x1234;
    const LWord high = low | (LWord(1) << (sizeof(LWord) * 8 - 1));
    Dictionary dict;
    dict.SetValue(low, 1);
    dict.SetValue(high, 2);
    EXPECT_EQ(dict.Count(), 2);
    EXPECT_EQ(dict.ValueOr(low, 0), 1u);
    EXPECT_EQ(dict.ValueOr(high, 0), 2u);
}

// Long random insert/remove sequences against std::unordered_set, checking the table size at every step.
TEST(HashedCollection, SetMatchesModel) {
    std::mt19937 rng(99);
    for (int round = 0; round < 6; ++round) {
        Set set;
        std::unordered_set<LWord> model;
        SizeModel sizes;
        const uint32 keyRange = round % 2 == 0 ? 40 : 600;  // dense (many repeats) and sparse
        for (int step = 0; step < 4000; ++step) {
            const LWord key = LWord(rng() % keyRange) * (round < 4 ? 1 : 4096);  // aligned keys too
            const bool insert = (step / 500) % 2 == 0 ? rng() % 4 != 0 : rng() % 4 == 0;
            if (insert) {
                const bool isNew = model.insert(key).second;
                ASSERT_EQ(set.Add(key), isNew);
                if (isNew && key != 0) sizes.Added();
            } else {
                const bool present = model.erase(key) > 0;
                ASSERT_EQ(set.Remove(key), present);
                if (present && key != 0) sizes.Removed();
            }
            ASSERT_EQ(set.Count(), int32(model.size()));
            ASSERT_EQ(set.ArraySize(), sizes.size) << "round " << round << " step " << step;
            if (step % 97 == 0) {
                ExpectProbeChainsIntact(set);
                std::vector<LWord> keys = Keys(set);
                std::sort(keys.begin(), keys.end());
                std::vector<LWord> expected(model.begin(), model.end());
                std::sort(expected.begin(), expected.end());
                ASSERT_EQ(keys, expected);
                for (uint32 k = 0; k < keyRange; k += 7) ASSERT_EQ(set.Includes(k), model.count(k) > 0);
            }
        }
        set.RemoveAll();
        EXPECT_EQ(set.Count(), 0);
        EXPECT_EQ(set.ArraySize(), 0);
    }
}

TEST(HashedCollection, DictionaryMatchesModel) {
    std::mt19937 rng(7);
    Dictionary dict;
    std::unordered_map<LWord, LWord> model;
    for (int step = 0; step < 5000; ++step) {
        const LWord key = rng() % 300;
        if (rng() % 3 != 0) {
            const LWord value = rng();
            dict.SetValue(key, value);
            model[key] = value;
        } else {
            ASSERT_EQ(dict.Remove(key), model.erase(key) > 0);
        }
        LWord got = 0;
        const auto it = model.find(key);
        ASSERT_EQ(dict.GetValue(key, got), it != model.end());
        if (it != model.end()) {
            ASSERT_EQ(got, it->second);
        }
    }
    ExpectProbeChainsIntact(dict);
    for (HashedCollection::Iterator it(dict); it.Next();) EXPECT_EQ(it.Value(), model.at(it.Key()));

    const Dictionary copy = dict;  // deep: later changes to the original leave it alone
    dict.RemoveAll();
    EXPECT_EQ(copy.Count(), int32(model.size()));
    for (const auto& [k, v] : model) EXPECT_EQ(copy.ValueOr(k, ~LWord(0)), v);
}

TEST(MultiDict, EvenValuesUseTheSingleForm) {
    MultiDict dict(true);
    const LWord v = 0x1000, w = 0x2000;
    EXPECT_TRUE(dict.AddValue(5, v));
    EXPECT_EQ(dict.RawWord(5), v + 1);
    EXPECT_FALSE(dict.AddValue(5, v));  // not a second value
    EXPECT_EQ(dict.CountValues(5), 1);
    EXPECT_TRUE(dict.AddValue(5, w));
    EXPECT_EQ(dict.RawWord(5) & 1, 0u);  // now a set
    EXPECT_EQ(dict.CountValues(5), 2);
    EXPECT_TRUE(dict.RemoveValue(5, v));
    EXPECT_EQ(dict.RawWord(5), w + 1);  // back to the single form
    EXPECT_FALSE(dict.RemoveValue(5, v));
    EXPECT_TRUE(dict.RemoveValue(5, w));
    EXPECT_FALSE(dict.Includes(5));
    EXPECT_FALSE(dict.AddValue(6, 3));  // odd values are refused in this mode
    EXPECT_FALSE(dict.Includes(6));
}

// Random add/remove of (key, value) pairs against std::unordered_multimap, in both value modes.
TEST(MultiDict, MatchesModel) {
    for (bool even : {false, true}) {
        std::mt19937 rng(even ? 5 : 6);
        MultiDict dict(even);
        std::unordered_multimap<LWord, LWord> model;
        auto modelHas = [&](LWord k, LWord v) {
            auto [b, e] = model.equal_range(k);
            return std::any_of(b, e, [&](const auto& kv) { return kv.second == v; });
        };
        for (int step = 0; step < 6000; ++step) {
            const LWord key = rng() % 50;
            const LWord value = (rng() % 6) * 2;
            if (rng() % 5 < 3) {
                const bool isNew = !modelHas(key, value);
                ASSERT_EQ(dict.AddValue(key, value), isNew);
                if (isNew) model.emplace(key, value);
            } else {
                const bool present = modelHas(key, value);
                ASSERT_EQ(dict.RemoveValue(key, value), present);
                if (present) {
                    auto [b, e] = model.equal_range(key);
                    model.erase(std::find_if(b, e, [&](const auto& kv) { return kv.second == value; }));
                }
            }
            ASSERT_EQ(dict.CountValues(key), int32(model.count(key)));
            ASSERT_EQ(dict.ContainsValue(key, value), modelHas(key, value));
            if (even && model.count(key) == 1) {
                ASSERT_EQ(dict.RawWord(key), model.find(key)->second + 1);
            }
        }
        MultiDict copy(dict);
        MultiDict assigned(!even);
        assigned.AddValue(1, 2);
        assigned = dict;
        dict.RemoveAll();  // the copies own their own sets
        for (LWord key = 0; key < 50; ++key) {
            SListX values;
            copy.GetAllValues(key, values);
            std::multiset<LWord> got(values.Data(), values.Data() + values.Count()), expected;
            auto [b, e] = model.equal_range(key);
            for (auto it = b; it != e; ++it) expected.insert(it->second);
            ASSERT_EQ(got, expected) << "key " << key;
            ASSERT_EQ(assigned.CountValues(key), int32(expected.size()));
        }
    }
}

}  // namespace
