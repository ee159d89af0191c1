// A growable byte buffer made of fixed-size pages shared copy-on-write.
//
// Every page but the last holds exactly PageSize() bytes; the last holds the rest. Copying a buffer shares
// all of its pages; a write (Write, PageDataForWrite) first gives the written page a private copy, so
// copies never see each other's writes. Resizing keeps whole pages shared and copies only the old partial
// last page. Bytes that were never written read as zero.
//
// Range checks are assertions: an out-of-range Read or Write is reported and does nothing (a Read leaves
// the destination untouched). Not thread-safe.
#pragma once

#include <vector>

#include "Src/Orvane/Src/Storage/CVMPage.h"
#include "Src/Pellin/Isol/Allocator.h"
#include "Src/Pellin/Isol/IsolTypes.h"

class VMBuffer : public LAllocatedObject {
public:
    static constexpr uint32 kDefaultPageSize = 65536;

    // An empty buffer with 64 KB pages.
    VMBuffer();
    // inSize bytes in pages of inPageSize bytes (asserted non-zero; 0 is taken as the default size).
    // Without inCleared the pages are not zero-filled: the caller writes every byte before reading any.
    explicit VMBuffer(uint32 inSize, uint32 inPageSize = kDefaultPageSize, bool inCleared = true);
    VMBuffer(const VMBuffer& inOther) = default;
    VMBuffer& operator=(const VMBuffer& inOther) = default;
    VMBuffer(VMBuffer&& inOther) noexcept;
    VMBuffer& operator=(VMBuffer&& inOther) noexcept;
    ~VMBuffer() = default;

    uint32 Size() const { return mSize; }
    uint32 PageSize() const { return mPageSize; }

    // Changes the size. Bytes below min(old, new size) keep their values; bytes beyond the old size read
    // as zero.
    void Resize(uint32 inNewSize);

    // Copy inLength bytes at inOffset out of or into the buffer; the range must lie inside Size().
    void Read(uint32 inOffset, uint32 inLength, void* outDestination) const;
    void Write(uint32 inOffset, uint32 inLength, const void* inSource);
    // The byte at inPosition (< Size()); 0 after an assertion report when out of range.
    uint8 ReadByte(uint32 inPosition) const;

    // Lock or unlock every page, last page first. Locks are counted per page representation.
    void LockAll();
    void UnlockAll();

    // Direct page access for tight loops. Page i covers bytes [i * PageSize(), i * PageSize() +
    // PageByteCount(i)). PageData pointers stay valid until the page is detached, the buffer is resized or
    // destroyed; PageDataForWrite detaches a shared page first, so its pointer may differ from the
    // PageData pointer obtained before. An out-of-range page gives null after an assertion report.
    uint32 PageCount() const { return uint32(mPageList.size()); }
    uint32 PageByteCount(uint32 inPage) const;
    const uint8* PageData(uint32 inPage) const;
    uint8* PageDataForWrite(uint32 inPage);
    // True when another buffer (a copy) still shares this page's memory.
    bool PageShared(uint32 inPage) const;

private:
    uint32 mSize = 0;
    uint32 mPageSize = kDefaultPageSize;
    std::vector<CVMPage> mPageList;
};
