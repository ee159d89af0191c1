#include "Src/Tarnwick/LLumenarFormat.h"

#include <memory>

#include "Src/Orvane/Src/Format/CImageResourceMgr.h"
#include "Src/Orvane/Src/Format/CLumenarFormat.h"
#include "Src/Orvane/Src/Storage/VMBufferPort.h"
#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/Pellin/Isol/SWriteStream.h"

namespace Tarnwick {

namespace {
constexpr uint32 kResourceStreamBuffer = 4096;
}  // namespace

LLumenarFormat::LLumenarFormat() : mResourceManager(new CImageResourceMgr()) {
    mByteOrder = 0;
    mCodec = new CLumenarFormat(mResourceManager);
}

LLumenarFormat::~LLumenarFormat() {
    delete mResourceManager;
}

void LLumenarFormat::WriteResource(int16 inID, const void* inSource, int32 inCount) {
    CImageResource* resource = mResourceManager->GetOrCreateResource(inID);
    resource->ResizeData(0);
    std::unique_ptr<VMBufferPort> port = resource->MakePort();
    SWriteStream stream(port.get(), mByteOrder, kResourceStreamBuffer, 0);
    stream.WriteBytes(inCount, inSource);
    stream.Flush(true);
}

CImageResource* LLumenarFormat::GetResource(int16 inID) {
    return mResourceManager->FindResource(inID);
}

bool LLumenarFormat::ReadResource(int16 inID, void* outDestination, int32 inCount) {
    CImageResource* resource = mResourceManager->FindResource(inID);
    if (resource == nullptr) return false;
    std::unique_ptr<VMBufferPort> port = resource->MakePort();
    SReadStream stream(port.get(), mByteOrder, kResourceStreamBuffer, 0);
    stream.ReadBytes(inCount, outDestination);
    return true;
}

int32 LLumenarFormat::GetResourceLength(int16 inID) {
    const CImageResource* resource = mResourceManager->FindResource(inID);
    return resource != nullptr ? int32(resource->DataSize()) : -1;
}

void LLumenarFormat::SetResolution(uint32 inHorizontal, uint32 inVertical) {
    CImageResource* resource = mResourceManager->GetOrCreateResource(kResolutionResourceID);
    resource->ResizeData(0);
    std::unique_ptr<VMBufferPort> port = resource->MakePort();
    SWriteStream stream(port.get(), mByteOrder, kResourceStreamBuffer, 0);
    stream.WriteU32(inHorizontal);
    stream.WriteU16(1);
    stream.WriteU16(1);
    stream.WriteU32(inVertical);
    stream.WriteU16(1);
    stream.WriteU16(1);
    stream.Flush(true);
}

void LLumenarFormat::GetResolution(uint32& outHorizontal, uint32& outVertical) {
    CImageResource* resource = mResourceManager->FindResource(kResolutionResourceID);
    if (resource == nullptr) {
        LFileFormat::GetResolution(outHorizontal, outVertical);
        return;
    }
    std::unique_ptr<VMBufferPort> port = resource->MakePort();
    SReadStream stream(port.get(), mByteOrder, kResourceStreamBuffer, 0);
    outHorizontal = stream.ReadU32();
    stream.ReadU16();
    stream.ReadU16();
    outVertical = stream.ReadU32();
    stream.ReadU16();
    stream.ReadU16();
}

}  // namespace Tarnwick
