#include "Src/Pellin/Isol/Allocator.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "Src/Pellin/Isol/BlockPool.h"
#include "Src/Pellin/Isol/Report.h"

namespace {

// Registered hooks in registration order. Built on first use, so a hook may register during static
// initialisation, and destroyed with the module, so unloading the module leaves nothing behind. Hooks
// leave the set in their destructors; the module defines no hook that outlives the set.
std::vector<GrowZoneHook*>& HookSet() {
    static std::vector<GrowZoneHook*> sHooks;
    return sHooks;
}

// The runtime's allocation failure, with the text the engine shows for it.
class BadAllocation : public std::bad_alloc {
public:
    const char* what() const noexcept override { return "bad allocation"; }
};

bool sInGrowZone = false;
int32 sFailHeapRequests = 0;
uint32 sHeapRequests = 0;

// One request for memory: new blocks of the pool's sizes from the pool, the rest (and whatever the pool
// cannot give) from the runtime heap. The test seam can make it fail.
void* HeapRequest(void* inBlock, size_t inSize) {
    ++sHeapRequests;
    if (sFailHeapRequests > 0) {
        --sFailHeapRequests;
        return nullptr;
    }
    if (inBlock == nullptr && BlockPool::Serves(inSize))
        if (void* block = BlockPool::Take(inSize)) return block;
    return inBlock == nullptr ? std::malloc(inSize) : std::realloc(inBlock, inSize);
}

// Shared retry rule of allocate and reallocate: try the heap; on failure purge the requested size and
// retry while the purge frees something.
void* RequestWithRetry(void* inBlock, int32 inSize, bool inMayFail) {
    LASSERT(!GrowZoneHook::InGrowZone());
    const size_t size = size_t(std::max<int32>(inSize, 1));
    for (;;) {
        if (void* block = HeapRequest(inBlock, size)) return block;
        if (inMayFail) return nullptr;
        if (LPurge(uint32(size)) == 0) throw BadAllocation();
    }
}

}  // namespace

void* LAllocate(int32 inSize, bool inMayFail) {
    return RequestWithRetry(nullptr, inSize, inMayFail);
}

void* LAllocateClear(int32 inSize) {
    void* block = LAllocate(inSize, false);
    std::memset(block, 0, size_t(std::max<int32>(inSize, 1)));
    return block;
}

// A pool block moves to a new block (from the pool or the heap, whatever the new size takes).
void* LReallocate(void* inBlock, int32 inSize, bool inMayFail) {
    const size_t pooled = inBlock != nullptr ? BlockPool::BlockSize(inBlock) : 0;
    if (pooled == 0) return RequestWithRetry(inBlock, inSize, inMayFail);
    void* moved = RequestWithRetry(nullptr, inSize, inMayFail);
    if (moved == nullptr) return nullptr;
    std::memcpy(moved, inBlock, std::min(pooled, size_t(std::max<int32>(inSize, 1))));
    BlockPool::Give(inBlock);
    return moved;
}

void LFree(void* inBlock) {
    if (inBlock != nullptr && BlockPool::Give(inBlock)) return;
    std::free(inBlock);
}

uint32 LPurge(uint32 inBytes) {
    LASSERT(!sInGrowZone);
    // The pool's spare slabs go first: memory nobody uses.
    uint32 freed = uint32(std::min<size_t>(BlockPool::ReleaseSpares(), 0xFFFFFFFFu));
    auto& hooks = HookSet();
    if (hooks.empty()) return freed;
    sInGrowZone = true;
    // Copy: a hook may unregister itself (or another) while releasing.
    const std::vector<GrowZoneHook*> snapshot(hooks);
    for (GrowZoneHook* hook : snapshot) {
        if (freed >= inBytes) break;
        const uint32 got = hook->Release(inBytes - freed);
        freed = (got > 0xFFFFFFFFu - freed) ? 0xFFFFFFFFu : freed + got;
    }
    LASSERT(sInGrowZone);
    sInGrowZone = false;
    return freed;
}

GrowZoneHook::GrowZoneHook() {
    HookSet().push_back(this);
}

GrowZoneHook::~GrowZoneHook() {
    auto& hooks = HookSet();
    const auto it = std::find(hooks.begin(), hooks.end(), this);
    const bool hookSetIncludesThis = it != hooks.end();
    if (LCHECK(hookSetIncludesThis)) hooks.erase(it);
}

bool GrowZoneHook::InGrowZone() {
    return sInGrowZone;
}
int32 GrowZoneHook::HookCount() {
    return int32(HookSet().size());
}

// Engine objects larger than 2 GB do not exist; a larger request is an allocation failure.
static int32 ObjectSize(std::size_t inSize) {
    if (inSize > 0x7FFFFFFF) throw BadAllocation();
    return int32(inSize);
}

void* LAllocatedObject::operator new(std::size_t inSize) {
    return LAllocate(ObjectSize(inSize));
}
void* LAllocatedObject::operator new[](std::size_t inSize) {
    return LAllocate(ObjectSize(inSize));
}
void LAllocatedObject::operator delete(void* inBlock) noexcept {
    LFree(inBlock);
}
void LAllocatedObject::operator delete[](void* inBlock) noexcept {
    LFree(inBlock);
}

namespace AllocatorTesting {
void FailHeapRequests(int32 inCount) {
    sFailHeapRequests = std::max<int32>(inCount, 0);
}
uint32 HeapRequestCount() {
    return sHeapRequests;
}
}  // namespace AllocatorTesting
