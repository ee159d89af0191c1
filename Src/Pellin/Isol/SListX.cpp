#include "Src/Pellin/Isol/SListX.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "Src/Pellin/Isol/Report.h"

namespace {

// Block layout: word 0 holds the capacity, words 1..capacity the elements.
int32 BlockBytes(int64 inCapacity) {
    const int64 bytes = (inCapacity + 1) * int64(sizeof(LWord));
    if (bytes > 0x7FFFFFFF) throw std::bad_alloc();
    return int32(bytes);
}

// The procedure and reference of every sort in progress, innermost last, so that a comparison
// procedure may sort another list while its own sort runs.
SListX currentSortProcs;
SListX currentSortRefcons;

int CompareTop(const void* inA, const void* inB) {
    const auto proc = reinterpret_cast<SListXSortProc>(currentSortProcs.Last());
    const int32 order =
        proc(*static_cast<const LWord*>(inA), *static_cast<const LWord*>(inB), currentSortRefcons.Last());
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

}  // namespace

SListX::SListX(const SListX& inOther) {
    *this = inOther;
}

SListX& SListX::operator=(const SListX& inOther) {
    if (this == &inOther) return *this;
    SetCount(inOther.mCount);
    if (mCount > 0) std::memcpy(Data(), inOther.Data(), size_t(mCount) * sizeof(LWord));
    return *this;
}

SListX::~SListX() {
    if (OnHeap()) LFree(Block());
}

void SListX::SetCount(int32 inCount) {
    if (!LCHECK(inCount >= 0)) inCount = 0;
    const int32 oldCount = mCount;
    const int32 capacity = Capacity();
    if (inCount > capacity) {
        const int64 newCapacity = int64(inCount) + inCount / 4 + 5;
        LWord* block;
        if (OnHeap()) {
            block = static_cast<LWord*>(LReallocate(Block(), BlockBytes(newCapacity)));
        } else {
            block = static_cast<LWord*>(LAllocate(BlockBytes(newCapacity)));
            block[1] = mWord;  // the inline element becomes element 0
        }
        block[0] = LWord(newCapacity);
        mWord = reinterpret_cast<LWord>(block);
    } else if (inCount < 2 && OnHeap()) {
        LWord* block = Block();
        mWord = inCount == 1 ? block[1] : 0;
        LFree(block);
    } else if (OnHeap() && int64(inCount) + inCount / 2 + 3 < capacity) {
        auto* block = static_cast<LWord*>(LReallocate(Block(), BlockBytes(inCount)));
        block[0] = LWord(inCount);
        mWord = reinterpret_cast<LWord>(block);
    }
    mCount = inCount;
    if (inCount == 0) mWord = 0;
    if (inCount > oldCount) {
        LWord* data = Data();
        for (int32 i = oldCount; i < inCount; ++i) data[i] = 0;
    }
}

bool SListX::IndexOK(int32 inIndex) const {
    const int32 index = inIndex;
    const int32 entryCount = mCount;
    return LCHECK(index >= 0 && index < entryCount);
}

void SListX::Append(LWord inValue) {
    SetCount(mCount + 1);
    Data()[mCount - 1] = inValue;
}

void SListX::Insert(int32 inIndex, int32 inCopies, LWord inValue) {
    const int32 startPos = inIndex;
    const int32 entryCount = mCount;
    if (!LCHECK(startPos >= 0 && startPos <= entryCount) || inCopies <= 0) return;
    if (int64(mCount) + inCopies > 0x7FFFFFFF) throw std::bad_alloc();
    SetCount(mCount + inCopies);
    LWord* data = Data();
    std::memmove(data + startPos + inCopies, data + startPos, size_t(entryCount - startPos) * sizeof(LWord));
    for (int32 i = 0; i < inCopies; ++i) data[startPos + i] = inValue;
}

void SListX::Delete(int32 inIndex, int32 inLength) {
    const int32 startPos = inIndex;
    const int32 length = inLength;
    const int32 entryCount = mCount;
    if (!LCHECK_AS(startPos >= 0 && length >= 0 && int64(startPos) + length <= entryCount,
                   "startPos >= 0 && length >= 0 && startPos+length <= entryCount") ||
        length == 0)
        return;
    LWord* data = Data();
    std::memmove(data + startPos, data + startPos + length,
                 size_t(entryCount - startPos - length) * sizeof(LWord));
    SetCount(entryCount - length);
}

bool SListX::Remove(LWord inValue) {
    const int32 index = Find(inValue);
    if (index < 0) return false;
    Delete(index, 1);
    return true;
}

bool SListX::RemoveFast(LWord inValue) {
    const int32 index = Find(inValue);
    if (index < 0) return false;
    LWord* data = Data();
    data[index] = data[mCount - 1];
    SetCount(mCount - 1);
    return true;
}

int32 SListX::RemoveAll(LWord inValue) {
    LWord* data = Data();
    int32 kept = 0;
    for (int32 i = 0; i < mCount; ++i)
        if (data[i] != inValue) data[kept++] = data[i];
    const int32 removed = mCount - kept;
    SetCount(kept);
    return removed;
}

LWord SListX::Pop() {
    if (!LCHECK(!Empty())) return 0;
    const LWord last = Data()[mCount - 1];
    SetCount(mCount - 1);
    return last;
}

LWord SListX::Get(int32 inIndex) const {
    return IndexOK(inIndex) ? Data()[inIndex] : 0;
}

void SListX::Set(int32 inIndex, LWord inValue) {
    if (IndexOK(inIndex)) Data()[inIndex] = inValue;
}

int32 SListX::Find(LWord inValue) const {
    const LWord* data = Data();
    for (int32 i = 0; i < mCount; ++i)
        if (data[i] == inValue) return i;
    return -1;
}

void SListX::Concatenate(const SListX& inOther) {
    const int32 otherCount = inOther.mCount;  // inOther may be this list
    if (otherCount == 0) return;
    if (int64(mCount) + otherCount > 0x7FFFFFFF) throw std::bad_alloc();
    const int32 oldCount = mCount;
    SetCount(oldCount + otherCount);
    std::memmove(Data() + oldCount, inOther.Data(), size_t(otherCount) * sizeof(LWord));
}

void SListX::Fill(LWord inValue) {
    LWord* data = Data();
    for (int32 i = 0; i < mCount; ++i) data[i] = inValue;
}

void SListX::Swap(SListX& ioOther) {
    std::swap(mCount, ioOther.mCount);
    std::swap(mWord, ioOther.mWord);
}

bool SListX::operator==(const SListX& inOther) const {
    if (mCount != inOther.mCount) return false;
    return mCount == 0 || std::memcmp(Data(), inOther.Data(), size_t(mCount) * sizeof(LWord)) == 0;
}

uint32 SListX::Hash() const {
    uint32 h = 0;
    const LWord* data = Data();
    for (int32 i = 0; i < mCount; ++i) h = (h >> 25) + (h << 7) + uint32(data[i]);
    return h;
}

void SListX::Sort(SListXSortProc inProc, LWord inRefcon) {
    if (mCount < 2) return;
    currentSortProcs.Append(reinterpret_cast<LWord>(inProc));
    currentSortRefcons.Append(inRefcon);
    std::qsort(Data(), size_t(mCount), sizeof(LWord), CompareTop);
    const bool procPushed = LCHECK(!currentSortProcs.Empty());
    const bool refconPushed = LCHECK(!currentSortRefcons.Empty());
    if (procPushed) currentSortProcs.Pop();
    if (refconPushed) currentSortRefcons.Pop();
}
