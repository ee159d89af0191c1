// One page of a paged buffer (VMBuffer) and the counted handle that shares it.
//
// A CVMPageRep owns one block of page memory from the engine allocator. It is shared by reference count
// between CVMPage handles: copying a handle shares the representation, and a handle about to write
// detaches first (copy-on-write), so a write through one handle is never seen through another. Not
// thread-safe: the counts are plain integers used by one thread.
#pragma once

#include "Src/Pellin/Isol/Allocator.h"
#include "Src/Pellin/Isol/IsolTypes.h"

class CVMPageRep : public LAllocatedObject {
public:
    // A representation of inSize bytes (zero-filled unless inCleared is false: the caller then writes
    // every byte before any is read) with reference count 1 and no locks.
    explicit CVMPageRep(uint32 inSize, bool inCleared = true);
    // Asserts that no lock is held; frees the memory.
    virtual ~CVMPageRep();
    CVMPageRep(const CVMPageRep&) = delete;
    CVMPageRep& operator=(const CVMPageRep&) = delete;

    // Locks return the page memory; every lock must be matched by one Unlock.
    uint8* Lock();
    uint8* LockForWrite();  // also marks the page dirty
    void Unlock();

    // Copy a range out of or into the page; the range must lie inside the page (asserted, refused).
    void ReadAt(uint32 inOffset, uint32 inLength, void* outDestination);
    void WriteAt(uint32 inOffset, uint32 inLength, const void* inSource);
    // Copies every byte of inPage, which must have the same size (asserted, refused).
    void CopyFrom(CVMPageRep& inPage);

    void AddReference() { ++mRefCount; }
    // Drops one reference; the representation destroys itself when none is left.
    void Release();

    uint32 Size() const { return mSize; }
    int32 RefCount() const { return mRefCount; }
    int32 LockCount() const { return mLockCount; }
    bool Dirty() const { return mDirty; }
    // Direct access for the fast paths of VMBuffer; no lock is taken.
    uint8* Data() const { return mVMData.mBytes; }

private:
    // The page memory; a separate holder so that a missing block reads as a nil handle.
    struct PageMemory {
        uint8* mBytes = nullptr;
        bool IsNil() const { return mBytes == nullptr; }
    };

    int32 mLockCount = 0;
    uint32 mSize;
    PageMemory mVMData;
    bool mDirty = false;
    int32 mRefCount = 1;
};

class CVMPage {
public:
    // A page of inSize bytes on a new representation (see CVMPageRep for inCleared).
    explicit CVMPage(uint32 inSize, bool inCleared = true);
    // Shares inOther's representation. Throws NilPointerException when inOther holds none (moved from).
    CVMPage(const CVMPage& inOther);
    CVMPage(CVMPage&& inOther) noexcept : mRep(inOther.mRep) { inOther.mRep = nullptr; }
    CVMPage& operator=(const CVMPage& inOther);
    CVMPage& operator=(CVMPage&& inOther) noexcept;
    ~CVMPage();

    void ReadAt(uint32 inOffset, uint32 inLength, void* outDestination) const;
    // Detaches a shared representation first, so the write is seen through this handle only.
    void WriteAt(uint32 inOffset, uint32 inLength, const void* inSource);
    // Gives this handle a representation of its own when it shares one.
    void Detach();

    uint32 Size() const { return mRep ? mRep->Size() : 0; }
    bool Shared() const { return mRep != nullptr && mRep->RefCount() > 1; }
    CVMPageRep* Rep() const { return mRep; }

private:
    CVMPageRep* mRep;
};
