#include "Src/Pellin/Isol/HashedCollection.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "Src/Pellin/Isol/Report.h"

namespace {

// Bytes of a slot array; tables beyond the allocator's signed range are an allocation failure.
int32 TableBytes(int32 inArraySize, int32 inSlotWords) {
    const int64 bytes = int64(inArraySize) * inSlotWords * int64(sizeof(LWord));
    if (bytes > 0x7FFFFFFF) throw std::bad_alloc();
    return int32(bytes);
}

}  // namespace

// t = k * 9; t += t >> 17; slot = (t + (t >> 8)) & (size - 1), on the low 32 bits of the key, with
// arithmetic right shifts of the signed value and wrapping additions.
uint32 HashedCollection::HomeSlot(LWord inKey, int32 inArraySize) {
    int32 t = int32(uint32(inKey) * 9u);
    t = int32(uint32(t) + uint32(t >> 17));
    return (uint32(t) + uint32(t >> 8)) & uint32(inArraySize - 1);
}

HashedCollection::HashedCollection(const HashedCollection& inOther) : mHasValues(inOther.mHasValues) {
    CopyFrom(inOther);
}

HashedCollection& HashedCollection::operator=(const HashedCollection& inOther) {
    if (this != &inOther) {
        ReleaseAll();
        CopyFrom(inOther);
        CloneValuesInPlace();
    }
    return *this;
}

HashedCollection::~HashedCollection() {
    LFree(mEntries);
}

void HashedCollection::CopyFrom(const HashedCollection& inOther) {
    LASSERT(mEntries == nullptr);
    mHasValues = inOther.mHasValues;
    if (inOther.mArraySize > 0) {
        const int32 bytes = TableBytes(inOther.mArraySize, SlotWords());
        mEntries = static_cast<LWord*>(LAllocate(bytes));
        std::memcpy(mEntries, inOther.mEntries, size_t(bytes));
    }
    mArraySize = inOther.mArraySize;
    mEntryCount = inOther.mEntryCount;
    mHasZeroKey = inOther.mHasZeroKey;
    mZeroValue = inOther.mZeroValue;
}

void HashedCollection::CloneValuesInPlace() {
    if (!mHasValues) return;
    for (int32 slot = 0; slot < mArraySize; ++slot) {
        LWord* entry = SlotAt(slot);
        if (entry[0] != 0) entry[1] = CopyValue(entry[1]);
    }
    if (mHasZeroKey) mZeroValue = CopyValue(mZeroValue);
}

void HashedCollection::ReleaseAll() {
    if (mHasValues) {
        for (int32 slot = 0; slot < mArraySize; ++slot) {
            const LWord* entry = SlotAt(slot);
            if (entry[0] != 0) DropValue(entry[1]);
        }
        if (mHasZeroKey) DropValue(mZeroValue);
    }
    LFree(mEntries);
    mEntries = nullptr;
    mArraySize = 0;
    mEntryCount = 0;
    mHasZeroKey = false;
    mZeroValue = 0;
}

void HashedCollection::RemoveAll() {
    ReleaseAll();
}

LWord HashedCollection::SlotKey(int32 inSlot) const {
    return LCHECK(inSlot >= 0 && inSlot < mArraySize) ? SlotAt(inSlot)[0] : 0;
}

bool HashedCollection::SearchForEntry(LWord inKey, int32& outSlot) const {
    const LWord key = inKey;
    LASSERT(key != 0);
    outSlot = -1;
    if (mArraySize == 0) return false;
    const int32 home = int32(HomeSlot(key, mArraySize));
    for (int32 probe = 0; probe < mArraySize; ++probe) {
        const int32 slot = (home + probe) & (mArraySize - 1);
        const LWord slotKey = SlotAt(slot)[0];
        if (slotKey == key) {
            outSlot = slot;
            return true;
        }
        if (slotKey == 0) {
            outSlot = slot;
            return false;
        }
    }
    return false;  // a full wrap: absent, and no free slot
}

bool HashedCollection::Includes(LWord inKey) const {
    if (inKey == 0) return mHasZeroKey;
    int32 slot;
    return SearchForEntry(inKey, slot);
}

LWord* HashedCollection::FindValue(LWord inKey) const {
    if (inKey == 0) return (mHasZeroKey && mHasValues) ? const_cast<LWord*>(&mZeroValue) : nullptr;
    int32 slot;
    if (!mHasValues || !SearchForEntry(inKey, slot)) return nullptr;
    return SlotAt(slot) + 1;
}

LWord* HashedCollection::InsertKey(LWord inKey, bool* outAdded) {
    if (outAdded != nullptr) *outAdded = false;
    if (inKey == 0) {
        if (!mHasZeroKey) {
            mHasZeroKey = true;
            mZeroValue = 0;
            if (outAdded != nullptr) *outAdded = true;
        }
        return mHasValues ? &mZeroValue : nullptr;
    }
    int32 slot;
    if (SearchForEntry(inKey, slot)) return mHasValues ? SlotAt(slot) + 1 : nullptr;
    // Grow before inserting: a table of 4 slots takes its fourth key and is then full.
    if (slot < 0 || 4 * int64(mEntryCount) > 3 * int64(mArraySize)) {
        Rebuild(std::max<int32>(1, 2 * mArraySize));
        const bool present = SearchForEntry(inKey, slot);
        LASSERT(!present && slot >= 0);
    }
    LWord* entry = SlotAt(slot);
    entry[0] = inKey;
    if (mHasValues) entry[1] = 0;
    ++mEntryCount;
    if (outAdded != nullptr) *outAdded = true;
    return mHasValues ? entry + 1 : nullptr;
}

void HashedCollection::Rebuild(int32 inArraySize) {
    if (inArraySize > 0x40000000) throw std::bad_alloc();
    LWord* const oldEntries = mEntries;
    const int32 oldSize = mArraySize;
    mEntries = static_cast<LWord*>(LAllocateClear(TableBytes(inArraySize, SlotWords())));
    mArraySize = inArraySize;
    for (int32 oldSlot = 0; oldSlot < oldSize; ++oldSlot) {
        const LWord* oldEntry = oldEntries + oldSlot * SlotWords();
        const LWord curKey = oldEntry[0];
        if (curKey == 0) continue;
        int32 newEntry;
        LASSERT(!SearchForEntry(curKey, newEntry));
        if (newEntry < 0) continue;  // cannot happen while the new table holds every old key
        std::memcpy(SlotAt(newEntry), oldEntry, size_t(SlotWords()) * sizeof(LWord));
    }
    LFree(oldEntries);
}

bool HashedCollection::Remove(LWord inKey) {
    if (inKey == 0) {
        if (!mHasZeroKey) return false;
        const LWord value = mZeroValue;
        mHasZeroKey = false;
        mZeroValue = 0;
        if (mHasValues) DropValue(value);
        return true;
    }
    int32 slot;
    if (!SearchForEntry(inKey, slot)) return false;
    LWord* entry = SlotAt(slot);
    const LWord value = mHasValues ? entry[1] : 0;
    std::memset(entry, 0, size_t(SlotWords()) * sizeof(LWord));
    --mEntryCount;
    bool rebuilt = false;
    if (mArraySize > 10 && 3 * int64(mEntryCount) < mArraySize) {
        try {
            Rebuild(mArraySize / 2);  // leaves the table untouched when it cannot allocate
            rebuilt = true;
        } catch (const std::bad_alloc&) {
        }
    }
    if (!rebuilt) CloseHole(slot);
    if (mHasValues) DropValue(value);
    return true;
}

// Walks the rest of the hole's cluster and moves back every entry whose home slot does not lie
// cyclically after the hole (up to the entry itself): such an entry's search passes the hole, and would
// otherwise stop there. Each move leaves a new hole at the moved entry's old slot.
void HashedCollection::CloseHole(int32 inHole) {
    const int32 mask = mArraySize - 1;
    int32 hole = inHole;
    for (int32 slot = (hole + 1) & mask; slot != hole; slot = (slot + 1) & mask) {
        LWord* entry = SlotAt(slot);
        if (entry[0] == 0) return;
        const int32 home = int32(HomeSlot(entry[0], mArraySize));
        const bool homeAfterHole =
            hole <= slot ? (home > hole && home <= slot) : (home > hole || home <= slot);
        if (homeAfterHole) continue;
        std::memcpy(SlotAt(hole), entry, size_t(SlotWords()) * sizeof(LWord));
        std::memset(entry, 0, size_t(SlotWords()) * sizeof(LWord));
        hole = slot;
    }
}

bool HashedCollection::Iterator::Next() {
    const int32 size = mCollection.mArraySize;
    while (++mSlot < size)
        if (mCollection.SlotAt(mSlot)[0] != 0) return true;
    if (mSlot == size && mCollection.mHasZeroKey) return true;
    mSlot = size + 1;
    return false;
}

bool HashedCollection::Iterator::Fetch() const {
    if (mCollection.Empty()) {
        LREPORT("iterFetch: empty collection");
        return false;
    }
    const bool positioned = mSlot >= 0 && mSlot <= mCollection.mArraySize;
    return LCHECK(positioned);
}

LWord HashedCollection::Iterator::Key() const {
    if (!Fetch() || mSlot == mCollection.mArraySize) return 0;
    return mCollection.SlotAt(mSlot)[0];
}

LWord HashedCollection::Iterator::Value() const {
    if (!Fetch() || !mCollection.mHasValues) return 0;
    if (mSlot == mCollection.mArraySize) return mCollection.mZeroValue;
    return mCollection.SlotAt(mSlot)[1];
}

bool Set::Add(LWord inKey) {
    bool added;
    InsertKey(inKey, &added);
    return added;
}

bool Bag::Add(LWord inKey) {
    bool added;
    InsertKey(inKey, &added);
    return added;
}

void Dictionary::SetValue(LWord inKey, LWord inValue) {
    *InsertKey(inKey) = inValue;
}

bool Dictionary::GetValue(LWord inKey, LWord& outValue) const {
    const LWord* value = FindValue(inKey);
    if (value != nullptr) outValue = *value;
    return value != nullptr;
}

LWord Dictionary::ValueOr(LWord inKey, LWord inDefault) const {
    const LWord* value = FindValue(inKey);
    return value != nullptr ? *value : inDefault;
}
