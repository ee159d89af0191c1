#include "Src/Pellin/Isol/HashedCollection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <set>
#include <unordered_map>
#include <vector>

#include "tests/Isol/ReportLog.h"

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

// The key 0 lives outside the table: it takes no slot, comes last in iteration (which otherwise follows
// slot order) and leaves the slots as they were when it goes.
TEST(HashedCollection, KeyZeroBypassesTheTableAndIterationFollowsSlots) {
    Set set;
    for (LWord k : {11, 22, 33, 44, 55, 66}) set.Add(k);
    std::vector<LWord> slots;
    for (int32 s = 0; s < set.ArraySize(); ++s) slots.push_back(set.SlotKey(s));
    EXPECT_TRUE(set.Add(0));
    EXPECT_EQ(set.Count(), 7);
    EXPECT_EQ(set.EntryCount(), 6);
    std::vector<LWord> expected;
    std::copy_if(slots.begin(), slots.end(), std::back_inserter(expected), [](LWord k) { return k != 0; });
    expected.push_back(0);
    EXPECT_EQ(Keys(set), expected);
    EXPECT_TRUE(set.Remove(0));
    EXPECT_FALSE(set.Includes(0));
    for (int32 s = 0; s < set.ArraySize(); ++s) EXPECT_EQ(set.SlotKey(s), slots[size_t(s)]);
    Dictionary dict;
    dict.SetValue(0, 77);
    EXPECT_EQ(dict.ValueOr(0, 1), 77u);
    EXPECT_EQ(dict.ArraySize(), 0);
}

// Long random insert/remove sequences on a Set and a Dictionary against std::unordered_map, checking
// the table size at every step (from the empty table's 1, 2, 4, 4, 8); correct use reports nothing.
TEST(HashedCollection, SetAndDictionaryMatchModel) {
    ReportLog log;
    std::mt19937 rng(99);
    for (int round = 0; round < 6; ++round) {
        Set set;
        Dictionary dict;
        std::unordered_map<LWord, LWord> model;
        SizeModel sizes;
        const uint32 keyRange = round % 2 == 0 ? 40 : 600;  // dense (many repeats) and sparse
        // Aligned keys too, and keys that differ only above the low half of the word.
        const LWord multiplier = round < 4 ? 1 : round == 4 ? 4096 : LWord(1) << (sizeof(LWord) * 4);
        for (int step = 0; step < 4000; ++step) {
            const LWord key = LWord(rng() % keyRange) * multiplier;
            const bool insert = (step / 500) % 2 == 0 ? rng() % 4 != 0 : rng() % 4 == 0;
            if (insert) {
                const LWord value = rng();
                const bool isNew = model.insert_or_assign(key, value).second;
                ASSERT_EQ(set.Add(key), isNew);
                dict.SetValue(key, value);
                if (isNew && key != 0) sizes.Added();
            } else {
                const bool present = model.erase(key) > 0;
                ASSERT_EQ(set.Remove(key), present);
                ASSERT_EQ(dict.Remove(key), present);
                if (present && key != 0) sizes.Removed();
            }
            ASSERT_EQ(set.Count(), int32(model.size()));
            ASSERT_EQ(set.ArraySize(), sizes.size) << "round " << round << " step " << step;
            ASSERT_EQ(dict.ArraySize(), sizes.size) << "round " << round << " step " << step;
            LWord got = 0;
            ASSERT_EQ(dict.GetValue(key, got), model.count(key) > 0);
            if (insert) {
                ASSERT_EQ(got, model.at(key));
            }
            if (step % 97 == 0) {
                ExpectProbeChainsIntact(set);
                ExpectProbeChainsIntact(dict);
                std::vector<LWord> keys = Keys(set), expected;
                for (const auto& entry : model) expected.push_back(entry.first);
                std::sort(keys.begin(), keys.end());
                std::sort(expected.begin(), expected.end());
                ASSERT_EQ(keys, expected);
                for (uint32 k = 0; k < keyRange; k += 7) ASSERT_EQ(set.Includes(k), model.count(k) > 0);
                for (HashedCollection::Iterator it(dict); it.Next();) ASSERT_EQ(it.Value(), model.at(it.Key()));
            }
        }
        const Dictionary copy = dict;  // deep: later changes to the original leave it alone
        dict.RemoveAll();
        set.RemoveAll();
        EXPECT_EQ(set.Count() + set.ArraySize() + dict.Count(), 0);
        EXPECT_EQ(copy.Count(), int32(model.size()));
        for (const auto& [k, v] : model) EXPECT_EQ(copy.ValueOr(k, ~LWord(0)), v);
    }
    EXPECT_TRUE(Platform::TestHooks::MessageBoxes().empty());
}

// Random add/remove of (key, value) pairs against std::unordered_multimap, in both value modes. With even
// values a key's single value is stored inline as value + 1 (odd), several as a set (an even word).
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
            } else if (even && model.count(key) > 1) {
                ASSERT_EQ(dict.RawWord(key) & 1, 0u);
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
