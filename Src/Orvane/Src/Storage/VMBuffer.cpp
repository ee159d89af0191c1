#include "Src/Orvane/Src/Storage/VMBuffer.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "Src/Pellin/Isol/Report.h"

VMBuffer::VMBuffer() = default;

VMBuffer::VMBuffer(uint32 inSize, uint32 inPageSize, bool inCleared) : mSize(inSize), mPageSize(inPageSize) {
    if (!LCHECK(inPageSize > 0)) mPageSize = kDefaultPageSize;
    mPageList.reserve(inSize == 0 ? 0 : (inSize - 1) / mPageSize + 1);
    for (uint32 remaining = inSize; remaining > 0;) {
        const uint32 pageBytes = std::min(remaining, mPageSize);
        mPageList.emplace_back(pageBytes, inCleared);
        remaining -= pageBytes;
    }
}

VMBuffer::VMBuffer(VMBuffer&& inOther) noexcept
    : mSize(inOther.mSize), mPageSize(inOther.mPageSize), mPageList(std::move(inOther.mPageList)) {
    inOther.mSize = 0;
    inOther.mPageList.clear();
}

VMBuffer& VMBuffer::operator=(VMBuffer&& inOther) noexcept {
    if (this == &inOther) return *this;
    mSize = inOther.mSize;
    mPageSize = inOther.mPageSize;
    mPageList = std::move(inOther.mPageList);
    inOther.mSize = 0;
    inOther.mPageList.clear();
    return *this;
}

// Full pages common to the old and the new size are shared as they are; the page that straddles the new
// end (or the first page beyond the old end) is new, filled with whatever old bytes it covers from the
// start of the old page at the same index. Remainders are signed: the last new page may be shorter than
// a page, which drives the remaining count below zero and ends the loop.
void VMBuffer::Resize(uint32 inNewSize) {
    if (inNewSize == 0) {
        mPageList.clear();
        mSize = 0;
        return;
    }
    if (inNewSize == mSize) return;
    LASSERT(mPageSize > 0);

    const uint32 newPageCount = (inNewSize - 1) / mPageSize + 1;
    int64 newByteCount = inNewSize;
    int64 oldByteCount = mSize;
    uint32 page = 0;
    std::vector<CVMPage> newList;
    newList.reserve(newPageCount);

    while (newByteCount >= mPageSize && oldByteCount >= mPageSize) {
        LASSERT(page < newPageCount);
        newList.push_back(mPageList[page]);
        newByteCount -= mPageSize;
        oldByteCount -= mPageSize;
        ++page;
    }
    while (newByteCount > 0) {
        LASSERT(page < newPageCount);
        CVMPage newPage(uint32(std::min<int64>(newByteCount, mPageSize)));
        if (oldByteCount > 0 && page < mPageList.size()) {
            // Shrinking to an end inside an old full page copies a prefix of that page; growing copies
            // the whole old partial page. Either way the bytes come from the start of the old page.
            const uint32 count = uint32(std::min(oldByteCount, newByteCount));
            CVMPageRep* source = mPageList[page].Rep();
            newPage.WriteAt(0, count, source->Data());
            oldByteCount -= count;
        }
        newList.push_back(std::move(newPage));
        newByteCount -= mPageSize;
        ++page;
    }
    mPageList = std::move(newList);
    mSize = inNewSize;
}

// A range is moved page by page: the first chunk starts at offset mod page size inside its page and runs
// to the page end at most; every later chunk starts at the beginning of its page. The range is checked in
// 64 bits, so that no offset wraps past it.
void VMBuffer::Read(uint32 inOffset, uint32 inLength, void* outDestination) const {
    if (!LCHECK(mPageSize != 0) ||
        !LCHECK_AS(uint64(inOffset) + inLength <= mSize, "inOffset + inLength <= mSize"))
        return;
    uint8* destination = static_cast<uint8*>(outDestination);
    uint32 offset = inOffset;
    uint32 remaining = inLength;
    while (remaining > 0) {
        const uint32 inPage = offset % mPageSize;
        const uint32 chunk = std::min(remaining, mPageSize - inPage);
        mPageList[offset / mPageSize].ReadAt(inPage, chunk, destination);
        destination += chunk;
        offset += chunk;
        remaining -= chunk;
    }
}

void VMBuffer::Write(uint32 inOffset, uint32 inLength, const void* inSource) {
    if (!LCHECK(mPageSize != 0) ||
        !LCHECK_AS(uint64(inOffset) + inLength <= mSize, "inOffset + inLength <= mSize"))
        return;
    const uint8* source = static_cast<const uint8*>(inSource);
    uint32 offset = inOffset;
    uint32 remaining = inLength;
    while (remaining > 0) {
        const uint32 inPage = offset % mPageSize;
        const uint32 chunk = std::min(remaining, mPageSize - inPage);
        mPageList[offset / mPageSize].WriteAt(inPage, chunk, source);
        source += chunk;
        offset += chunk;
        remaining -= chunk;
    }
}

uint8 VMBuffer::ReadByte(uint32 inPosition) const {
    if (mPageSize == 0) return 0;
    const uint32 whichPage = inPosition / mPageSize;
    if (!LCHECK(mPageList.size() > whichPage)) return 0;
    const CVMPage& page = mPageList[whichPage];
    const uint32 byte = inPosition % mPageSize;
    if (!LCHECK(byte < page.Size())) return 0;
    return page.Rep()->Data()[byte];
}

void VMBuffer::LockAll() {
    for (auto page = mPageList.rbegin(); page != mPageList.rend(); ++page) page->Rep()->Lock();
}

void VMBuffer::UnlockAll() {
    for (auto page = mPageList.rbegin(); page != mPageList.rend(); ++page) page->Rep()->Unlock();
}

uint32 VMBuffer::PageByteCount(uint32 inPage) const {
    return LCHECK(inPage < PageCount()) ? mPageList[inPage].Size() : 0;
}

const uint8* VMBuffer::PageData(uint32 inPage) const {
    return LCHECK(inPage < PageCount()) ? mPageList[inPage].Rep()->Data() : nullptr;
}

uint8* VMBuffer::PageDataForWrite(uint32 inPage) {
    if (!LCHECK(inPage < PageCount())) return nullptr;
    CVMPage& page = mPageList[inPage];
    page.Detach();
    // Marks the page dirty the way a write lock does, without holding the lock.
    CVMPageRep* rep = page.Rep();
    rep->LockForWrite();
    rep->Unlock();
    return rep->Data();
}

bool VMBuffer::PageShared(uint32 inPage) const {
    return LCHECK(inPage < PageCount()) && mPageList[inPage].Shared();
}
