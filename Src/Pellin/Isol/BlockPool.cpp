#include "Src/Pellin/Isol/BlockPool.h"

#include <cstdint>
#include <cstring>

#include "API/Platform/Platform.h"
#include "Src/Pellin/Isol/IsolTypes.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LUMENAR_POOL_OFF 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define LUMENAR_POOL_OFF 1
#endif
// Fuzz builds read thousands of small documents a second; with the pool each would map and clear
// fresh slabs.
#if defined(FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION)
#define LUMENAR_POOL_OFF 1
#endif

namespace {

constexpr uint32 kSlabBytes = uint32(8) << 20;
// 8 GB of pooled blocks; requests beyond that go to the runtime heap.
constexpr int kMaxSlabs = 1024;
constexpr int kSizeClasses = 3;

struct Slab {
    uint8* base;  // null for an unused record
    uint32 blockSize;
    uint32 used;     // blocks handed out and not given back
    uint32 carved;   // blocks ever cut from the slab; the rest lies untouched above them
    void* freeList;  // given-back blocks, each holding the next one's address
    Slab* previousOpen;
    Slab* nextOpen;
    bool open;  // in its size's list of slabs with room

    bool HasRoom() const { return freeList != nullptr || carved < kSlabBytes / blockSize; }
};

// Plain arrays without destructors: the pool outlives every static object that might free a block.
// Records never move; sOrder lists the records in use by base address.
Slab sRecords[kMaxSlabs];
Slab* sOrder[kMaxSlabs];
int sSlabCount = 0;
// Per block size, the slabs with room, most recently opened first.
Slab* sOpen[kSizeClasses] = {};

int SizeClass(size_t inSize) {
    switch (inSize) {
        case 4096:
            return 0;
        case 16384:
            return 1;
        case 65536:
            return 2;
        default:
            return -1;
    }
}

void Open(Slab* ioSlab) {
    Slab*& head = sOpen[SizeClass(ioSlab->blockSize)];
    ioSlab->previousOpen = nullptr;
    ioSlab->nextOpen = head;
    if (head != nullptr) head->previousOpen = ioSlab;
    head = ioSlab;
    ioSlab->open = true;
}

void Close(Slab* ioSlab) {
    if (ioSlab->previousOpen != nullptr)
        ioSlab->previousOpen->nextOpen = ioSlab->nextOpen;
    else
        sOpen[SizeClass(ioSlab->blockSize)] = ioSlab->nextOpen;
    if (ioSlab->nextOpen != nullptr) ioSlab->nextOpen->previousOpen = ioSlab->previousOpen;
    ioSlab->open = false;
}

// Position in sOrder of the slab holding the address, or -1.
int SlabHolding(const void* inAddress) {
    const uintptr_t at = reinterpret_cast<uintptr_t>(inAddress);
    int low = 0, high = sSlabCount;  // finds the first slab starting above the address
    while (low < high) {
        const int middle = (low + high) / 2;
        if (reinterpret_cast<uintptr_t>(sOrder[middle]->base) <= at)
            low = middle + 1;
        else
            high = middle;
    }
    if (low == 0) return -1;
    const uintptr_t base = reinterpret_cast<uintptr_t>(sOrder[low - 1]->base);
    return at - base < kSlabBytes ? low - 1 : -1;
}

void* Cut(Slab* ioSlab) {
    void* block;
    if (ioSlab->freeList != nullptr) {
        block = ioSlab->freeList;
        std::memcpy(&ioSlab->freeList, block, sizeof(void*));
    } else {
        block = ioSlab->base + size_t(ioSlab->carved++) * ioSlab->blockSize;
    }
    ++ioSlab->used;
    if (!ioSlab->HasRoom()) Close(ioSlab);
    return block;
}

// A new open slab for blocks of inSize bytes; null when none can be had.
Slab* AddSlab(uint32 inSize) {
    if (sSlabCount == kMaxSlabs) return nullptr;
    uint8* base = static_cast<uint8*>(Platform::LargeBlockMap(kSlabBytes));
    if (base == nullptr) return nullptr;
    Slab* slab = sRecords;
    while (slab->base != nullptr) ++slab;  // a free record exists: fewer than kMaxSlabs are in use
    *slab = Slab{base, inSize, 0, 0, nullptr, nullptr, nullptr, false};
    int at = sSlabCount++;
    for (; at > 0 && sOrder[at - 1]->base > base; --at) sOrder[at] = sOrder[at - 1];
    sOrder[at] = slab;
    Open(slab);
    return slab;
}

void RemoveSlab(int inPosition) {
    Slab* slab = sOrder[inPosition];
    if (slab->open) Close(slab);
    Platform::LargeBlockUnmap(slab->base, kSlabBytes);
    slab->base = nullptr;
    for (int i = inPosition; i + 1 < sSlabCount; ++i) sOrder[i] = sOrder[i + 1];
    --sSlabCount;
}

// After the slab at inPosition emptied: it stays as the one spare of its size, unless another empty slab
// of that size is kept already. A block taken and given back over and over (a scratch buffer per channel
// read) then reuses the spare's pages instead of mapping and clearing a new slab every time.
void Settle(int inPosition) {
    const uint32 size = sOrder[inPosition]->blockSize;
    for (int i = 0; i < sSlabCount; ++i)
        if (i != inPosition && sOrder[i]->blockSize == size && sOrder[i]->used == 0) {
            RemoveSlab(inPosition);
            return;
        }
}

}  // namespace

bool BlockPool::Serves(size_t inSize) {
#if LUMENAR_POOL_OFF
    (void)inSize;
    return false;
#else
    return SizeClass(inSize) >= 0;
#endif
}

void* BlockPool::Take(size_t inSize) {
    const int sizeClass = SizeClass(inSize);
    if (sizeClass < 0) return nullptr;
    Slab* slab = sOpen[sizeClass];
    if (slab == nullptr) slab = AddSlab(uint32(inSize));
    return slab != nullptr ? Cut(slab) : nullptr;
}

size_t BlockPool::BlockSize(const void* inBlock) {
    if (sSlabCount == 0) return 0;
    const int position = SlabHolding(inBlock);
    return position < 0 ? 0 : sOrder[position]->blockSize;
}

bool BlockPool::Give(void* inBlock) {
    if (sSlabCount == 0) return false;
    const int position = SlabHolding(inBlock);
    if (position < 0) return false;
    Slab* slab = sOrder[position];
    std::memcpy(inBlock, &slab->freeList, sizeof(void*));
    slab->freeList = inBlock;
    if (!slab->open) Open(slab);
    if (--slab->used == 0) Settle(position);
    return true;
}

size_t BlockPool::ReleaseSpares() {
    size_t released = 0;
    for (int i = sSlabCount - 1; i >= 0; --i)
        if (sOrder[i]->used == 0) {
            RemoveSlab(i);
            ++released;
        }
    return released * kSlabBytes;
}

int BlockPool::SlabCount() {
    return sSlabCount;
}
