// One image resource of a document: a tagged block of opaque data kept byte for byte.
//
// Ordinary resources are known by their id. Plug-in resources (stored in the plug-in id range with their
// own type in the first 4 data bytes) carry that type and the marker id kPluginResourceID in memory; they
// get fresh ids when a document is written. The data lives in a paged buffer with 64 KB pages, so
// copies of a resource share their data until one of them changes it.
#pragma once

#include <memory>
#include <string>

#include "Src/Orvane/Src/Storage/VMBuffer.h"
#include "Src/Orvane/Src/Storage/VMBufferPort.h"
#include "Src/Pellin/Isol/Allocator.h"
#include "Src/Pellin/Isol/IsolTypes.h"

// The stored id range of plug-in resources: 4000 to 4999, taken as signed 16-bit values.
inline constexpr int16 kFirstPlugInResourceIndex = 4000;
inline constexpr int16 kLastPlugInResourceIndex = 4999;
bool IsPluginID(int16 inID);

class CImageResource : public LAllocatedObject {
public:
    static constexpr uint32 kResourceSignature = FourCC("ZQRS");
    // The id every plug-in resource has in memory (64425 as stored, -1111 as a signed id).
    static constexpr int16 kPluginResourceID = int16(-1111);
    static constexpr uint32 kDataPageSize = 65536;
    // Longest name a block can store (its length is one byte).
    static constexpr size_t kMaxNameLength = 255;

    // A resource with no data.
    CImageResource(uint32 inType, int16 inID, std::string inName = std::string());
    // Copies type, id and name; shares the data until either side changes it.
    CImageResource(const CImageResource& inOther) = default;
    CImageResource& operator=(const CImageResource&) = delete;
    virtual ~CImageResource() = default;

    uint32 mType;
    int16 mID;

    const std::string& Name() const { return mName; }
    // Names longer than kMaxNameLength are cut to that length.
    void SetName(std::string inName);

    uint32 DataSize() const { return mData.Size(); }
    // Bytes beyond the old size read as zero after growing.
    void ResizeData(uint32 inSize) { mData.Resize(inSize); }
    // Range copies; the range must lie inside DataSize() (asserted and refused otherwise).
    void ReadData(uint32 inOffset, uint32 inLength, void* outDestination) const;
    void WriteData(uint32 inOffset, uint32 inLength, const void* inSource);
    VMBuffer& Data() { return mData; }
    const VMBuffer& Data() const { return mData; }
    // A port over the data, for the streams; it must not outlive this resource.
    std::unique_ptr<VMBufferPort> MakePort() { return std::make_unique<VMBufferPort>(&mData); }

    // Bytes this resource takes in a resources section: type, id and size fields (10), the even-padded
    // name, the even-padded data, and for a plug-in resource its 4-byte type inside the data.
    uint64 BlockSize(bool inAsPlugin) const;

    bool operator<(const CImageResource& inOther) const { return mID < inOther.mID; }

private:
    std::string mName;
    VMBuffer mData;
};
