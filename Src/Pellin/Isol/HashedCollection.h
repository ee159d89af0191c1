// Open-addressing hash tables of machine words: Set, Bag, Dictionary and MultiDict.
//
// Keys are words; a zero slot marks an empty slot, so the key 0 is never stored in the table: a flag
// records its presence (and a Dictionary keeps its value beside the table). The table size is 0 or a
// power of two. A new key grows the table to twice its size (at least 1) when no slot is free or the
// table is more than three quarters full before the insertion; removing shrinks a table of more than
// 10 slots to half when less than a third of it is used. Slots are probed linearly from the key's home
// slot, wrapping once. Iteration runs in slot order, then yields the key 0 when present. Keys hash on
// their low 32 bits. Not thread-safe.
#pragma once

#include "Src/Pellin/Isol/Allocator.h"
#include "Src/Pellin/Isol/IsolTypes.h"
#include "Src/Pellin/Isol/SListX.h"

class HashedCollection : public LAllocatedObject {
public:
    virtual ~HashedCollection();

    // Keys held, the key 0 included.
    int32 Count() const { return mEntryCount + (mHasZeroKey ? 1 : 0); }
    bool Empty() const { return Count() == 0; }
    bool Includes(LWord inKey) const;
    // Removes the key (and its value); returns whether it was there.
    bool Remove(LWord inKey);
    // Removes every key and releases the table.
    void RemoveAll();

    // Table inspection: keys stored in slots (the key 0 excluded), the slot count, a slot's key.
    int32 EntryCount() const { return mEntryCount; }
    int32 ArraySize() const { return mArraySize; }
    LWord SlotKey(int32 inSlot) const;
    // Home slot of a nonzero key in a table of inArraySize (a power of two) slots.
    static uint32 HomeSlot(LWord inKey, int32 inArraySize);

    // Walks the keys: every occupied slot in table order, then the key 0 when present. The collection
    // must not change during the walk.
    class Iterator {
    public:
        explicit Iterator(const HashedCollection& inCollection) : mCollection(inCollection) {}
        // Advances to the next key; false at the end.
        bool Next();
        // The current key and value; reports "iterFetch: empty collection" when the collection is empty.
        LWord Key() const;
        LWord Value() const;

    private:
        bool Fetch() const;
        const HashedCollection& mCollection;
        int32 mSlot = -1;  // mArraySize stands for the key 0
    };

protected:
    explicit HashedCollection(bool inHasValues) : mHasValues(inHasValues) {}
    // Deep copies: the slot array is duplicated. The copy constructor copies value words as they are
    // (a derived class owning its values clones them itself); assignment drops the old values and copies
    // the new ones through CopyValue.
    HashedCollection(const HashedCollection& inOther);
    HashedCollection& operator=(const HashedCollection& inOther);
    // Replaces every value word by CopyValue of it.
    void CloneValuesInPlace();

    // Adds the key if absent (with a zero value); returns its value word, or null for a collection
    // without values.
    LWord* InsertKey(LWord inKey, bool* outAdded = nullptr);
    // The value word of a present key, else null.
    LWord* FindValue(LWord inKey) const;

    // Called for every value dropped by Remove/RemoveAll/destruction, so owners can release it.
    virtual void DropValue(LWord) {}
    // Copies a value on deep copy (plain words copy as they are).
    virtual LWord CopyValue(LWord inValue) const { return inValue; }

private:
    int32 SlotWords() const { return mHasValues ? 2 : 1; }
    LWord* SlotAt(int32 inSlot) const { return mEntries + inSlot * SlotWords(); }
    // True with the key's slot when present; false with the free slot where it would go, or -1.
    bool SearchForEntry(LWord inKey, int32& outSlot) const;
    void Rebuild(int32 inArraySize);
    void CloseHole(int32 inHole);
    void CopyFrom(const HashedCollection& inOther);
    void ReleaseAll();

    int32 mEntryCount = 0;
    int32 mArraySize = 0;
    LWord* mEntries = nullptr;
    bool mHasValues;
    bool mHasZeroKey = false;
    LWord mZeroValue = 0;
};

class Set : public HashedCollection {
public:
    Set() : HashedCollection(false) {}
    // Adds the key; returns true when it was new.
    bool Add(LWord inKey);
};

// The same table as Set, for callers that keep a bag of distinct words.
class Bag : public HashedCollection {
public:
    Bag() : HashedCollection(false) {}
    bool Add(LWord inKey);
};

class Dictionary : public HashedCollection {
public:
    Dictionary() : HashedCollection(true) {}
    // Sets the key's value, adding the key when absent.
    void SetValue(LWord inKey, LWord inValue);
    // True with the value when the key is present.
    bool GetValue(LWord inKey, LWord& outValue) const;
    // The value, or inDefault when absent.
    LWord ValueOr(LWord inKey, LWord inDefault) const;
};

// Maps a key to a set of distinct values. With inValuesAreEven every value must be even (an aligned
// pointer, say) and a key with one value stores value + 1 directly; otherwise, or from the second value
// on, the values live in a Set owned by the dictionary.
class MultiDict : public HashedCollection {
public:
    explicit MultiDict(bool inValuesAreEven = false)
        : HashedCollection(true), mValuesAreEven(inValuesAreEven) {}
    MultiDict(const MultiDict& inOther);
    MultiDict& operator=(const MultiDict& inOther);
    ~MultiDict() override;

    // Adds a value under the key; returns false when the key already had it.
    bool AddValue(LWord inKey, LWord inValue);
    // Removes a value; the key goes with its last value. Returns whether the value was there.
    bool RemoveValue(LWord inKey, LWord inValue);
    bool ContainsValue(LWord inKey, LWord inValue) const;
    int32 CountValues(LWord inKey) const;
    // Appends the key's values to outValues (in no particular order).
    void GetAllValues(LWord inKey, SListX& outValues) const;
    bool ValuesAreEven() const { return mValuesAreEven; }
    // The stored word for a key (value + 1, or a Set pointer), or 0 when absent. For inspection.
    LWord RawWord(LWord inKey) const;

protected:
    void DropValue(LWord inValue) override;
    LWord CopyValue(LWord inValue) const override;

private:
    bool IsSingle(LWord inWord) const { return mValuesAreEven && (inWord & 1) != 0; }
    bool mValuesAreEven;
};
