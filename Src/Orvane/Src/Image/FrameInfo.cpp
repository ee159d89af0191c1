#include "Src/Orvane/Src/Image/FrameInfo.h"

#include <iterator>

#include "Src/Pellin/Isol/Report.h"

CFrameInfoRep::CFrameInfoRep(const CFrameInfoRep& inOther)
    : LAllocatedObject(),
      mLayerSettings(inOther.mLayerSettings),
      mProperty(inOther.mProperty),
      mFlag(inOther.mFlag) {}

LayerSettings CFrameInfoRep::GetSettingsForLayer(uint32 inLayerID) const {
    const auto found = mLayerSettings.find(inLayerID);
    if (found == mLayerSettings.end()) {
        LREPORT("SPAM - Called CFrameInfoRep::GetSettingsForLayer with an invalid layer ID");
        return LayerSettings();
    }
    return found->second;
}

LayerSettings CFrameInfoRep::GetSettingsAt(int32 inIndex) const {
    if (!LCHECK((0 <= inIndex) && (inIndex < int32(mLayerSettings.size())))) return LayerSettings();
    auto entry = mLayerSettings.begin();
    std::advance(entry, inIndex);
    return entry->second;
}

bool CFrameInfoRep::Equals(const CFrameInfoRep& inOther) const {
    for (const auto& [id, settings] : mLayerSettings) {
        const auto found = inOther.mLayerSettings.find(id);
        if (found == inOther.mLayerSettings.end() || !(found->second == settings)) return false;
    }
    return true;
}

void CFrameInfoRep::Release() {
    LASSERT(mRefCount > 0);
    if (--mRefCount <= 0) delete this;
}

FrameInfo::FrameInfo(int32 inProperty, bool inFlag) : mFrameInfoRep(new CFrameInfoRep(inProperty, inFlag)) {
    mFrameInfoRep->AddReference();
}

FrameInfo::FrameInfo(const FrameInfo& inFrameInfo) : mFrameInfoRep(inFrameInfo.mFrameInfoRep) {
    if (LCHECK(inFrameInfo.mFrameInfoRep != 0)) mFrameInfoRep->AddReference();
}

FrameInfo& FrameInfo::operator=(const FrameInfo& inFrameInfo) {
    // Take the new reference before dropping the old one, so self-assignment is harmless.
    if (LCHECK(inFrameInfo.mFrameInfoRep != 0)) inFrameInfo.mFrameInfoRep->AddReference();
    if (mFrameInfoRep != nullptr) mFrameInfoRep->Release();
    mFrameInfoRep = inFrameInfo.mFrameInfoRep;
    return *this;
}

FrameInfo::~FrameInfo() {
    if (mFrameInfoRep != nullptr) mFrameInfoRep->Release();
}

void FrameInfo::MakeUnique() {
    if (!LCHECK(mFrameInfoRep != 0)) {
        mFrameInfoRep = new CFrameInfoRep(0, false);
        mFrameInfoRep->AddReference();
    } else if (mFrameInfoRep->GetRefCount() >= 2) {
        CFrameInfoRep* copy = new CFrameInfoRep(*mFrameInfoRep);
        copy->AddReference();
        mFrameInfoRep->Release();
        mFrameInfoRep = copy;
    }
}

int32 FrameInfo::GetLayerCount() const {
    return mFrameInfoRep != nullptr ? mFrameInfoRep->GetLayerCount() : 0;
}

bool FrameInfo::HasSettingsForLayer(uint32 inLayerID) const {
    return mFrameInfoRep != nullptr && mFrameInfoRep->HasSettingsForLayer(inLayerID);
}

LayerSettings FrameInfo::GetSettingsForLayer(uint32 inLayerID) const {
    return LCHECK(mFrameInfoRep != 0) ? mFrameInfoRep->GetSettingsForLayer(inLayerID) : LayerSettings();
}

LayerSettings FrameInfo::GetSettingsAt(int32 inIndex) const {
    return LCHECK(mFrameInfoRep != 0) ? mFrameInfoRep->GetSettingsAt(inIndex) : LayerSettings();
}

void FrameInfo::SetSettingsForLayer(uint32 inLayerID, const LayerSettings& inSettings) {
    MakeUnique();
    mFrameInfoRep->SetSettingsForLayer(inLayerID, inSettings);
}

void FrameInfo::RemoveSettingsForLayer(uint32 inLayerID) {
    MakeUnique();
    mFrameInfoRep->RemoveSettingsForLayer(inLayerID);
}

void FrameInfo::RemoveAllSettings() {
    MakeUnique();
    mFrameInfoRep->RemoveAllSettings();
}

int32 FrameInfo::GetProperty() const {
    return mFrameInfoRep != nullptr ? mFrameInfoRep->GetProperty() : 0;
}

void FrameInfo::SetProperty(int32 inValue) {
    MakeUnique();
    mFrameInfoRep->SetProperty(inValue);
}

bool FrameInfo::GetFlag() const {
    return mFrameInfoRep != nullptr && mFrameInfoRep->GetFlag();
}

void FrameInfo::SetFlag(bool inValue) {
    MakeUnique();
    mFrameInfoRep->SetFlag(inValue);
}

bool FrameInfo::operator==(const FrameInfo& inOther) const {
    if (GetLayerCount() != inOther.GetLayerCount() || GetProperty() != inOther.GetProperty() ||
        GetFlag() != inOther.GetFlag())
        return false;
    if (mFrameInfoRep == inOther.mFrameInfoRep) return true;
    if (mFrameInfoRep == nullptr || inOther.mFrameInfoRep == nullptr) return false;
    return mFrameInfoRep->Equals(*inOther.mFrameInfoRep);
}
