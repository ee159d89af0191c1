#include "Src/Orvane/Src/Image/NativeQuadCLUT.h"

#include <cstring>

#include "Src/Pellin/Isol/GRect.h"
#include "Src/Pellin/Isol/Report.h"

namespace {

int32 sLiveTables = 0;

bool ValidIndex(int32 inIndex) {
    if (inIndex >= 0 && inIndex < NativeQuadCLUT::kMaxEntries) return true;
    LREPORT("NativeQuadCLUT: entry index out of range");
    return false;
}

}  // namespace

// The three arrays are separate engine blocks of 1024, 256 and 1024 bytes.
NativeQuadCLUT::NativeQuadCLUT() {
    mColors = static_cast<NativeQuad*>(LAllocate(kMaxEntries * int32(sizeof(NativeQuad))));
    try {
        mEntryFlags = static_cast<uint8*>(LAllocateClear(kMaxEntries));
        mExtraValues = static_cast<uint32*>(LAllocateClear(kMaxEntries * int32(sizeof(uint32))));
    } catch (...) {
        LFree(mEntryFlags);
        LFree(mColors);
        throw;
    }
    for (int32 i = 0; i < kMaxEntries; ++i) mColors[i] = kOpaqueBlack;
    ++sLiveTables;
}

NativeQuadCLUT::~NativeQuadCLUT() {
    LFree(mExtraValues);
    LFree(mEntryFlags);
    LFree(mColors);
    --sLiveTables;
}

int32 NativeQuadCLUT::LiveTableCount() {
    return sLiveTables;
}

void NativeQuadCLUT::SetEntryCount(int32 inCount) {
    mEntryCount = uint16(Pin(0, inCount, kMaxEntries));
}

NativeQuad NativeQuadCLUT::GetColor(int32 inIndex) const {
    return ValidIndex(inIndex) ? mColors[inIndex] : mColors[0];
}

void NativeQuadCLUT::SetColor(int32 inIndex, NativeQuad inColor) {
    if (ValidIndex(inIndex)) mColors[inIndex] = inColor;
}

uint8 NativeQuadCLUT::GetEntryFlag(int32 inIndex) const {
    return ValidIndex(inIndex) ? mEntryFlags[inIndex] : 0;
}

void NativeQuadCLUT::SetEntryFlag(int32 inIndex, uint8 inFlag) {
    if (ValidIndex(inIndex)) mEntryFlags[inIndex] = inFlag;
}

uint32 NativeQuadCLUT::GetExtraValue(int32 inIndex) const {
    return ValidIndex(inIndex) ? mExtraValues[inIndex] : 0;
}

void NativeQuadCLUT::SetExtraValue(int32 inIndex, uint32 inValue) {
    if (ValidIndex(inIndex)) mExtraValues[inIndex] = inValue;
}

// d(i) = dR^2 + dG^2 + dB^2 over the entries in use; the first zero distance wins at once, otherwise the
// first smallest distance (strict comparison keeps the lower index on ties).
uint8 NativeQuadCLUT::NearestIndex(NativeQuad inColor) const {
    int32 best = 0;
    int32 bestDistance = 0x7FFFFFFF;
    for (int32 i = 0; i < mEntryCount; ++i) {
        const int32 dr = int32(mColors[i].red) - inColor.red;
        const int32 dg = int32(mColors[i].green) - inColor.green;
        const int32 db = int32(mColors[i].blue) - inColor.blue;
        const int32 distance = dr * dr + dg * dg + db * db;
        if (distance == 0) return uint8(i);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return uint8(best);
}

void NativeQuadCLUT::ReleaseReference() {
    if (!LCHECK(mRefCount > 0)) return;
    if (--mRefCount == 0) delete this;
}

NativeQuadCLUTRef::NativeQuadCLUTRef(NativeQuadCLUT* inTable) : mCLUT(inTable) {
    if (mCLUT != nullptr) mCLUT->AddReference();
}

NativeQuadCLUTRef::NativeQuadCLUTRef(const NativeQuadCLUTRef& inOther) : NativeQuadCLUTRef(inOther.mCLUT) {}

NativeQuadCLUTRef& NativeQuadCLUTRef::operator=(const NativeQuadCLUTRef& inOther) {
    NativeQuadCLUT* old = mCLUT;
    mCLUT = inOther.mCLUT;
    if (mCLUT != nullptr) mCLUT->AddReference();
    if (old != nullptr) old->ReleaseReference();
    return *this;
}

NativeQuadCLUTRef::~NativeQuadCLUTRef() {
    Release();
}

NativeQuadCLUTRef NativeQuadCLUTRef::Create() {
    return NativeQuadCLUTRef(new NativeQuadCLUT());
}

void NativeQuadCLUTRef::Release() {
    NativeQuadCLUT* old = mCLUT;
    mCLUT = nullptr;
    if (old != nullptr) old->ReleaseReference();
}

NativeQuadCLUT* NativeQuadCLUTRef::Get() const {
    LASSERT(mCLUT != 0);
    return mCLUT;
}
