#include "Src/Orvane/Src/Format/CImageResource.h"

#include <utility>

bool IsPluginID(int16 inID) {
    return inID >= kFirstPlugInResourceIndex && inID <= kLastPlugInResourceIndex;
}

CImageResource::CImageResource(uint32 inType, int16 inID, std::string inName)
    : mType(inType), mID(inID), mData(0, kDataPageSize) {
    SetName(std::move(inName));
}

void CImageResource::SetName(std::string inName) {
    mName = std::move(inName);
    if (mName.size() > kMaxNameLength) mName.resize(kMaxNameLength);
}

void CImageResource::ReadData(uint32 inOffset, uint32 inLength, void* outDestination) const {
    mData.Read(inOffset, inLength, outDestination);
}

void CImageResource::WriteData(uint32 inOffset, uint32 inLength, const void* inSource) {
    mData.Write(inOffset, inLength, inSource);
}

// The name is a length byte and the characters, one zero byte added when that makes an odd count; the
// data gets one zero byte after an odd size.
uint64 CImageResource::BlockSize(bool inAsPlugin) const {
    const uint64 nameBytes = (1 + mName.size() + 1) & ~uint64(1);
    const uint64 dataBytes = (uint64(DataSize()) + 1) & ~uint64(1);
    return 10 + nameBytes + dataBytes + (inAsPlugin ? 4 : 0);
}
