// One animation frame: the settings every layer has in that frame, plus two frame properties.
//
// FrameInfo is a handle onto a shared, counted CFrameInfoRep. Copies share the representation; every
// modifying operation first makes the handle's representation unique (copy-on-write), so changing a
// copied frame never changes the frame it was copied from.
#pragma once

#include <map>

#include "Src/Orvane/Src/Image/LayerSettings.h"
#include "Src/Pellin/Isol/Allocator.h"

class CFrameInfoRep : public LAllocatedObject {
public:
    CFrameInfoRep(int32 inProperty, bool inFlag) : mProperty(inProperty), mFlag(inFlag) {}
    CFrameInfoRep(const CFrameInfoRep& inOther);
    CFrameInfoRep& operator=(const CFrameInfoRep&) = delete;

    int32 GetLayerCount() const { return int32(mLayerSettings.size()); }
    bool HasSettingsForLayer(uint32 inLayerID) const { return mLayerSettings.count(inLayerID) != 0; }
    // Unknown ids report and answer the default record.
    LayerSettings GetSettingsForLayer(uint32 inLayerID) const;
    // The settings of the inIndex-th smallest id; out of range reports and answers the default record.
    LayerSettings GetSettingsAt(int32 inIndex) const;

    void SetSettingsForLayer(uint32 inLayerID, const LayerSettings& inSettings) {
        mLayerSettings[inLayerID] = inSettings;
    }
    void RemoveSettingsForLayer(uint32 inLayerID) { mLayerSettings.erase(inLayerID); }
    void RemoveAllSettings() { mLayerSettings.clear(); }

    int32 GetProperty() const { return mProperty; }
    void SetProperty(int32 inValue) { mProperty = inValue; }
    bool GetFlag() const { return mFlag; }
    void SetFlag(bool inValue) { mFlag = inValue; }

    bool Equals(const CFrameInfoRep& inOther) const;

    void AddReference() { ++mRefCount; }
    // Drops one reference; deletes the representation when it was the last.
    void Release();
    int32 GetRefCount() const { return mRefCount; }

private:
    ~CFrameInfoRep() = default;

    int32 mRefCount = 0;
    std::map<uint32, LayerSettings> mLayerSettings;  // ordered by increasing id
    int32 mProperty = 0;
    bool mFlag = false;
};

class FrameInfo {
public:
    // A new frame with the given properties and no layer settings.
    explicit FrameInfo(int32 inProperty = 0, bool inFlag = false);
    FrameInfo(const FrameInfo& inFrameInfo);
    FrameInfo& operator=(const FrameInfo& inFrameInfo);
    ~FrameInfo();

    int32 GetLayerCount() const;
    bool HasSettingsForLayer(uint32 inLayerID) const;
    LayerSettings GetSettingsForLayer(uint32 inLayerID) const;
    LayerSettings GetSettingsAt(int32 inIndex) const;

    void SetSettingsForLayer(uint32 inLayerID, const LayerSettings& inSettings);
    // As SetSettingsForLayer, keyed by the id inside the settings.
    void StoreSettings(const LayerSettings& inSettings) {
        SetSettingsForLayer(inSettings.mLayerID, inSettings);
    }
    void RemoveSettingsForLayer(uint32 inLayerID);
    void RemoveAllSettings();

    int32 GetProperty() const;
    void SetProperty(int32 inValue);
    bool GetFlag() const;
    void SetFlag(bool inValue);

    // Same properties, same ids and equal settings for each id.
    bool operator==(const FrameInfo& inOther) const;
    bool operator!=(const FrameInfo& inOther) const { return !(*this == inOther); }

    // True when both handles share one representation (test and diagnostics aid).
    bool SharesRepWith(const FrameInfo& inOther) const { return mFrameInfoRep == inOther.mFrameInfoRep; }

private:
    void MakeUnique();

    CFrameInfoRep* mFrameInfoRep = nullptr;
};
