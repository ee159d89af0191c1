// The format object of "Lumenar 5" documents: owns the document's image-resource manager and the
// CLumenarFormat codec bound to it, and keeps the resolution in resource 1005.
#pragma once

#include "Src/Tarnwick/LFileFormat.h"

class CImageResourceMgr;

namespace Tarnwick {

class LLumenarFormat : public LFileFormat {
public:
    static constexpr int16 kResolutionResourceID = 1005;

    // Big-endian streams; an empty resource manager; the codec bound to it.
    LLumenarFormat();
    // Deletes the resource manager, then (as every format) the codec.
    ~LLumenarFormat() override;

    void WriteResource(int16 inID, const void* inSource, int32 inCount) override;
    CImageResource* GetResource(int16 inID) override;
    bool ReadResource(int16 inID, void* outDestination, int32 inCount) override;
    int32 GetResourceLength(int16 inID) override;
    // Resource 1005: u32 horizontal, u16 1, u16 1, u32 vertical, u16 1, u16 1 (16 bytes).
    void SetResolution(uint32 inHorizontal, uint32 inVertical) override;
    // From resource 1005, or 72.0 in both directions without it.
    void GetResolution(uint32& outHorizontal, uint32& outVertical) override;

    CImageResourceMgr* GetResourceManager() const { return mResourceManager; }

private:
    CImageResourceMgr* mResourceManager;  // owned
};

}  // namespace Tarnwick
