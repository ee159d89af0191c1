// A growable list of machine words (pointers, offsets, counts) with an inline single element.
//
// With 0 or 1 elements the list allocates nothing: the element lives in the list object itself. From 2
// elements on the words live in an engine-allocated block whose first word is the capacity. Growing to
// n elements past the capacity makes room for n + n/4 + 5; a list that falls to n + n/2 + 3 below its
// capacity is shrunk to exactly n; a list that falls below 2 elements returns to the inline form.
// Elements compare bitwise. Index and state errors are reported as assertions and then ignored (reads
// yield 0). Not thread-safe.
#pragma once

#include <cstdint>

#include "Src/Pellin/Isol/Allocator.h"
#include "Src/Pellin/Isol/IsolTypes.h"

using LWord = std::uintptr_t;

// Orders two elements (negative, zero, positive); inRefcon is the caller's reference word. Must not throw.
using SListXSortProc = int32 (*)(LWord inA, LWord inB, LWord inRefcon);

class SListX : public LAllocatedObject {
public:
    SListX() = default;
    SListX(const SListX& inOther);
    SListX& operator=(const SListX& inOther);
    ~SListX();

    int32 Count() const { return mCount; }
    bool Empty() const { return mCount == 0; }
    // Capacity in elements: 1 while inline.
    int32 Capacity() const { return OnHeap() ? int32(Block()[0]) : 1; }
    bool OnHeap() const { return mCount >= 2; }

    // Sets the number of elements; new elements are 0. Throws std::bad_alloc when the block cannot grow.
    void SetCount(int32 inCount);

    void Append(LWord inValue);
    // Inserts inCopies copies of inValue before index inIndex (0 <= inIndex <= Count()).
    void Insert(int32 inIndex, int32 inCopies, LWord inValue);
    // Removes inLength elements starting at inIndex.
    void Delete(int32 inIndex, int32 inLength);
    // Removes the first occurrence keeping order; returns whether there was one.
    bool Remove(LWord inValue);
    // Removes the first occurrence by moving the last element into its place.
    bool RemoveFast(LWord inValue);
    // Removes every occurrence keeping the order of the rest; returns how many went.
    int32 RemoveAll(LWord inValue);
    LWord Pop();

    LWord First() const { return Get(0); }
    LWord Last() const { return Get(mCount - 1); }
    LWord Get(int32 inIndex) const;
    void Set(int32 inIndex, LWord inValue);
    LWord operator[](int32 inIndex) const { return Get(inIndex); }
    // Index of the first occurrence, or -1.
    int32 Find(LWord inValue) const;
    bool Contains(LWord inValue) const { return Find(inValue) >= 0; }

    void Concatenate(const SListX& inOther);
    void Fill(LWord inValue);
    void Swap(SListX& ioOther);
    void Clear() { SetCount(0); }

    bool operator==(const SListX& inOther) const;
    bool operator!=(const SListX& inOther) const { return !(*this == inOther); }
    // h = rotate-left-7(h) + element over all elements, on the low 32 bits of each.
    uint32 Hash() const;

    // Sorts with the library quicksort (not stable). The procedure may itself sort other lists.
    void Sort(SListXSortProc inProc, LWord inRefcon);

    // Contiguous elements (null for an empty list); valid until the next change of the count.
    LWord* Data() { return mCount == 0 ? nullptr : (OnHeap() ? Block() + 1 : &mWord); }
    const LWord* Data() const { return const_cast<SListX*>(this)->Data(); }

private:
    LWord* Block() const { return reinterpret_cast<LWord*>(mWord); }
    bool IndexOK(int32 inIndex) const;

    int32 mCount = 0;
    LWord mWord = 0;  // the single element, or the block pointer from 2 elements on
};
