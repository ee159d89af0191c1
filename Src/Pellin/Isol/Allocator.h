// The engine allocator.
//
// Every engine object and buffer is allocated here rather than on the runtime heap directly. A failed
// request first asks the registered purge hooks (GrowZoneHook) to release memory and retries; when the
// hooks free nothing the request throws std::bad_alloc ("bad allocation"), or returns null when the
// caller allowed failure. Single-threaded: all state is process-wide and unsynchronised.
#pragma once

#include <cstddef>

#include "Src/Pellin/Isol/IsolTypes.h"

// Returns a block of at least inSize bytes (sizes below 1 are raised to 1). With inMayFail a failure
// returns null; otherwise it throws std::bad_alloc after an unsuccessful purge.
void* LAllocate(int32 inSize, bool inMayFail = false);
// LAllocate (never failing silently), then fills the block with zeros.
void* LAllocateClear(int32 inSize);
// Resizes a block from LAllocate; a null block is an allocation. The contents up to the smaller size are
// kept. On a may-fail failure returns null and the old block stays valid.
void* LReallocate(void* inBlock, int32 inSize, bool inMayFail = false);
// Returns a block to the allocator; null is ignored.
void LFree(void* inBlock);
// Gives the block pool's spare slabs back to the system, then asks the hooks to release at least inBytes
// more; returns the bytes freed.
uint32 LPurge(uint32 inBytes);

// A purge hook: something that can give memory back when an allocation fails. A hook registers itself
// on construction and leaves the registry on destruction. Hooks must not allocate while purging.
class GrowZoneHook {
public:
    GrowZoneHook();
    virtual ~GrowZoneHook();
    GrowZoneHook(const GrowZoneHook&) = delete;
    GrowZoneHook& operator=(const GrowZoneHook&) = delete;

    // Releases everything it can; returns the bytes freed.
    virtual uint32 ReleaseAll() = 0;
    // Releases at least inBytes if it can; returns the bytes freed.
    virtual uint32 Release(uint32 inBytes) = 0;

    // True while a purge is running.
    static bool InGrowZone();
    static int32 HookCount();
};

// Base of engine classes: their class-level new and delete go through LAllocate and LFree, so an engine
// object creation that fails throws std::bad_alloc after the purge hooks ran.
class LAllocatedObject {
public:
    static void* operator new(std::size_t inSize);
    static void* operator new[](std::size_t inSize);
    static void operator delete(void* inBlock) noexcept;
    static void operator delete[](void* inBlock) noexcept;
};

// Test seam: makes the next inCount runtime-heap requests fail as if memory were exhausted, and counts
// the heap requests made, so tests can observe the retry rule without exhausting real memory.
namespace AllocatorTesting {
void FailHeapRequests(int32 inCount);
uint32 HeapRequestCount();
}  // namespace AllocatorTesting
