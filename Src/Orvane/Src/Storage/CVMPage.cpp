#include "Src/Orvane/Src/Storage/CVMPage.h"

#include <cstring>

#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/Report.h"

CVMPageRep::CVMPageRep(uint32 inSize, bool inCleared) : mSize(inSize) {
    // Pages are at most the buffer's page size; sizes beyond what one allocation takes are refused.
    if (!LCHECK(inSize <= 0x7FFFFFFFu)) mSize = 0;
    // Zero-filled so that bytes nobody wrote read the same on every run; a page its creator overwrites
    // whole at once need not be.
    mVMData.mBytes = static_cast<uint8*>(inCleared ? LAllocateClear(int32(mSize)) : LAllocate(int32(mSize)));
}

CVMPageRep::~CVMPageRep() {
    LASSERT(mLockCount == 0);
    LFree(mVMData.mBytes);
}

uint8* CVMPageRep::Lock() {
    LASSERT(!mVMData.IsNil());
    ++mLockCount;
    return mVMData.mBytes;
}

uint8* CVMPageRep::LockForWrite() {
    uint8* bytes = Lock();
    mDirty = true;
    return bytes;
}

void CVMPageRep::Unlock() {
    if (LCHECK(mLockCount > 0)) --mLockCount;
}

// The range is checked in 64 bits, so that no offset wraps past it.
void CVMPageRep::ReadAt(uint32 inOffset, uint32 inLength, void* outDestination) {
    if (!LCHECK_AS(uint64(inLength) + inOffset <= mSize, "(inLength + inOffset) <= mSize") || inLength == 0)
        return;
    const uint8* bytes = Lock();
    std::memcpy(outDestination, bytes + inOffset, inLength);
    Unlock();
}

void CVMPageRep::WriteAt(uint32 inOffset, uint32 inLength, const void* inSource) {
    if (!LCHECK_AS(uint64(inLength) + inOffset <= mSize, "(inLength + inOffset) <= mSize") || inLength == 0)
        return;
    uint8* bytes = LockForWrite();
    std::memcpy(bytes + inOffset, inSource, inLength);
    Unlock();
}

void CVMPageRep::CopyFrom(CVMPageRep& inPage) {
    if (!LCHECK(inPage.mSize == mSize) || &inPage == this) return;
    const uint8* source = inPage.Lock();
    uint8* destination = LockForWrite();
    if (mSize > 0) std::memcpy(destination, source, mSize);
    Unlock();
    inPage.Unlock();
}

void CVMPageRep::Release() {
    LASSERT(mRefCount >= 1);
    --mRefCount;
    if (mRefCount < 1) delete this;
}

CVMPage::CVMPage(uint32 inSize, bool inCleared) : mRep(new CVMPageRep(inSize, inCleared)) {}

CVMPage::CVMPage(const CVMPage& inOther) : mRep(inOther.mRep) {
    ThrowIfNil(mRep);
    mRep->AddReference();
}

CVMPage& CVMPage::operator=(const CVMPage& inOther) {
    if (inOther.mRep == mRep) return *this;
    ThrowIfNil(inOther.mRep);
    inOther.mRep->AddReference();
    if (mRep) mRep->Release();
    mRep = inOther.mRep;
    return *this;
}

CVMPage& CVMPage::operator=(CVMPage&& inOther) noexcept {
    if (this == &inOther) return *this;
    if (mRep) mRep->Release();
    mRep = inOther.mRep;
    inOther.mRep = nullptr;
    return *this;
}

CVMPage::~CVMPage() {
    if (mRep) mRep->Release();
}

void CVMPage::ReadAt(uint32 inOffset, uint32 inLength, void* outDestination) const {
    ThrowIfNil(mRep);
    mRep->ReadAt(inOffset, inLength, outDestination);
}

void CVMPage::WriteAt(uint32 inOffset, uint32 inLength, const void* inSource) {
    Detach();
    mRep->WriteAt(inOffset, inLength, inSource);
}

void CVMPage::Detach() {
    ThrowIfNil(mRep);
    if (mRep->RefCount() <= 1) return;
    // Build the private copy before letting go of the shared one, so a failed allocation leaves this
    // handle still sharing a valid representation.
    CVMPageRep* own = new CVMPageRep(mRep->Size(), false);
    own->CopyFrom(*mRep);
    mRep->Release();
    mRep = own;
}
