// The block pool behind the engine allocator: blocks of the page sizes of paged buffers and tiles
// (4, 16 and 64 KB), carved out of 8 MB slabs mapped straight from the system.
//
// Tile memory is most of what a document needs, and it is made and dropped in tens of thousands of equal
// blocks. Taking it from slabs instead of the runtime heap lets the system back it with large pages and
// map and clear it in a few hundred steps instead of one per small page, and gives it back to the system
// as soon as a slab empties. Each slab serves one block size; a freed block goes on its slab's free list.
// One empty slab per size is kept as a spare until memory is purged (LPurge, and so the library's
// outermost stop), so nothing stays mapped once every block is freed and the memory purged.
//
// Builds with the address sanitizer leave the pool out (Serves answers false), so that every block comes
// from the runtime heap with its guard zones. Single-threaded, like the allocator.
#pragma once

#include <cstddef>

class BlockPool {
public:
    // Whether requests of inSize bytes are taken from the pool.
    static bool Serves(size_t inSize);
    // A block of a served size, not cleared; null when the system gives no further slab or the slab table
    // is full (the caller then uses the runtime heap).
    static void* Take(size_t inSize);
    // The size of inBlock when it is a pool block, else 0.
    static size_t BlockSize(const void* inBlock);
    // Returns a pool block; false (and nothing done) when inBlock is not one.
    static bool Give(void* inBlock);
    // Unmaps every empty slab; returns the bytes given back (8 MB a slab).
    static size_t ReleaseSpares();
    // Slabs mapped now (for tests).
    static int SlabCount();
};
