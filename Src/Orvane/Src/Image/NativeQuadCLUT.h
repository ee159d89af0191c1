// A colour table of 256 NativeQuad entries, shared by counted references.
//
// Indexed layers and the document reader hold a table only through NativeQuadCLUTRef. A table starts
// with no references; the reference that creates it holds the first one, and the last reference to go
// deletes it. Counting is not locked: every holder lives on the one thread that runs the module.
#pragma once

#include "Src/Orvane/Src/Image/NativeQuad.h"
#include "Src/Pellin/Isol/Allocator.h"
#include "Src/Pellin/Isol/IsolTypes.h"

class NativeQuadCLUT : public LAllocatedObject {
public:
    static constexpr int32 kMaxEntries = 256;

    // Every colour opaque black, every flag and extra value 0, 256 entries in use. Throws
    // std::bad_alloc when the arrays cannot be had.
    NativeQuadCLUT();
    ~NativeQuadCLUT();
    NativeQuadCLUT(const NativeQuadCLUT&) = delete;
    NativeQuadCLUT& operator=(const NativeQuadCLUT&) = delete;

    int32 GetRefCount() const { return mRefCount; }

    // How many entries take part in the nearest-colour search (clamped to 0..256).
    uint16 GetEntryCount() const { return mEntryCount; }
    void SetEntryCount(int32 inCount);

    // Entries 0..255; other indexes are reported and read as (or write to) nothing: entry 0 is returned.
    NativeQuad GetColor(int32 inIndex) const;
    void SetColor(int32 inIndex, NativeQuad inColor);
    // The 256 colours, in index order (always 256, whatever the entry count).
    const NativeQuad* Colors() const { return mColors; }

    // Flags and a second table kept with the colours; set up as zeros and not interpreted here.
    uint8 GetEntryFlag(int32 inIndex) const;
    void SetEntryFlag(int32 inIndex, uint8 inFlag);
    uint8 GetTableFlag() const { return mTableFlag; }
    void SetTableFlag(uint8 inFlag) { mTableFlag = inFlag; }
    uint32 GetExtraValue(int32 inIndex) const;
    void SetExtraValue(int32 inIndex, uint32 inValue);

    // The entry among the first GetEntryCount() whose red, green and blue are closest to inColor (sum of
    // squared differences; alpha is ignored). An exact match ends the search; ties go to the lower index.
    // 0 when no entry is in use.
    uint8 NearestIndex(NativeQuad inColor) const;

    // Tables alive in the process (for tests of the reference counting).
    static int32 LiveTableCount();

private:
    friend class NativeQuadCLUTRef;
    void AddReference() { ++mRefCount; }
    // Reports "mRefCount > 0" when there is no reference to release; deletes the table at 0.
    void ReleaseReference();

    int32 mRefCount = 0;
    uint16 mEntryCount = kMaxEntries;
    NativeQuad* mColors = nullptr;  // 256 entries
    uint8* mEntryFlags = nullptr;   // 256 bytes
    uint8 mTableFlag = 0;
    uint32* mExtraValues = nullptr;  // 256 words
};

// A counted reference to a table, or null. Copies add a reference, destruction releases one.
class NativeQuadCLUTRef {
public:
    NativeQuadCLUTRef() = default;
    // Takes a reference to inTable (which may be null).
    explicit NativeQuadCLUTRef(NativeQuadCLUT* inTable);
    NativeQuadCLUTRef(const NativeQuadCLUTRef& inOther);
    // Adds the reference to the new table before releasing the old one, so self-assignment is safe.
    NativeQuadCLUTRef& operator=(const NativeQuadCLUTRef& inOther);
    ~NativeQuadCLUTRef();

    // A new table held by one reference.
    static NativeQuadCLUTRef Create();

    bool IsNull() const { return mCLUT == nullptr; }
    // Dropping the reference early; the reference is null afterwards.
    void Release();

    // Access requires a table ("mCLUT != 0" is reported otherwise, and the result is null).
    NativeQuadCLUT* Get() const;
    NativeQuadCLUT* operator->() const { return Get(); }

    bool operator==(const NativeQuadCLUTRef& inOther) const { return mCLUT == inOther.mCLUT; }

private:
    NativeQuadCLUT* mCLUT = nullptr;
};
