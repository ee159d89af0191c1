#include "Src/Orvane/Src/Format/CImageResourceMgr.h"

#include <algorithm>
#include <string>

#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/Report.h"
#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/Pellin/Isol/SWriteStream.h"
#include "Src/PowerPellin/LProgressScope.h"

namespace {

constexpr const char* kBadLumenarType =
    "$$$/Err/Orvane/LumenarFormat/BadLumenarType=this is an unrecognized Lumenar file type";

}  // namespace

CImageResourceMgr::CImageResourceMgr() = default;

CImageResourceMgr::CImageResourceMgr(uint32 inLength, SReadStream& inStream, LProgressScope* inProgress) {
    Read(inLength, inStream, inProgress);
}

CImageResourceMgr::~CImageResourceMgr() = default;

// A block: type (4), id (u16), name (length byte + characters, even total), size (u32, signed), data,
// one pad byte after odd data. A ZQRS block in the plug-in id range with at least 4 data bytes holds a
// plug-in resource whose own type is those first 4 bytes.
std::unique_ptr<CImageResource> CImageResourceMgr::ReadBlock(SReadStream& inStream, bool& outPlugin) {
    const uint32 type = inStream.ReadU32();
    int16 id = int16(inStream.ReadU16());
    std::string name;
    inStream.ReadPString(name);
    const int32 storedSize = int32(inStream.ReadU32());
    if (storedSize < 0) LTHROW_MESSAGE(kBadLumenarType);

    auto resource = std::make_unique<CImageResource>(type, id, std::move(name));
    int32 size = storedSize;
    outPlugin = type == CImageResource::kResourceSignature && IsPluginID(id) && size >= 4;
    if (outPlugin) {
        resource->mID = CImageResource::kPluginResourceID;
        resource->mType = inStream.ReadU32();
        size -= 4;
    }
    ReadData(inStream, uint32(size), resource->Data());
    if (storedSize % 2 != 0) inStream.Skip(1);
    return resource;
}

// The data is read in reads of at most 64 KB. Room is set aside only for what the file holds: the read
// that crosses the end keeps the bytes that are there, and the read after it fails in the stream, as
// it would have with the whole size set aside.
void CImageResourceMgr::ReadData(SReadStream& inStream, uint32 inSize, VMBuffer& outData) {
    constexpr uint32 kChunk = 65536;
    const int64 left = std::max<int64>(0, int64(inStream.FileLength()) - int64(inStream.GetPosition()));
    const uint32 held = uint32(std::min<int64>(inSize, left));
    outData.Resize(held);
    for (uint32 page = 0; page < outData.PageCount(); ++page)
        inStream.ReadBytes(int32(outData.PageByteCount(page)), outData.PageDataForWrite(page));
    if (held == inSize) return;
    // The rest of the chunk that crosses the end leaves the stream past it; the next chunk's read fails.
    const uint32 crossingEnd = std::min<uint32>(inSize, (held / kChunk + 1) * kChunk);
    if (crossingEnd - held > 1) inStream.Skip(crossingEnd - held - 1);
    inStream.ReadU8();
    if (crossingEnd < inSize) inStream.ReadU8();
}

void CImageResourceMgr::Read(uint32 inLength, SReadStream& inStream, LProgressScope* inProgress) {
    const uint32 start = inStream.GetPosition();
    uint32 consumed = 0;
    while (consumed < inLength) {
        bool plugin = false;
        std::unique_ptr<CImageResource> resource = ReadBlock(inStream, plugin);
        if (plugin) {
            const uint32 type = resource->mType;
            AddPluginResource(type, resource.release());
        } else {
            mResources.try_emplace(resource->mID, std::move(resource));
        }
        consumed = inStream.GetPosition() - start;
        if (inProgress != nullptr) inProgress->SetPortionComplete(std::min(1.0, double(consumed) / inLength));
    }
    if (inProgress != nullptr) inProgress->SetPortionComplete(1.0);
}

uint64 CImageResourceMgr::SectionLength() const {
    uint64 length = 0;
    for (const auto& [id, resource] : mResources) length += resource->BlockSize(false);
    for (const auto& [type, list] : mPluginResources)
        for (const auto& resource : list) length += resource->BlockSize(true);
    return length;
}

void CImageResourceMgr::WriteBlock(SWriteStream& inStream, const CImageResource& inResource, int16 inID,
                                   bool inAsPlugin) {
    const VMBuffer& data = inResource.Data();
    inStream.WriteU32(inAsPlugin ? CImageResource::kResourceSignature : inResource.mType);
    inStream.WriteU16(uint16(inID));
    inStream.WritePString(inResource.Name());
    inStream.WriteU32(data.Size() + (inAsPlugin ? 4 : 0));
    if (inAsPlugin) inStream.WriteU32(inResource.mType);
    for (uint32 page = 0; page < data.PageCount(); ++page)
        inStream.WriteBytes(int32(data.PageByteCount(page)), data.PageData(page));
    if (data.Size() % 2 != 0) inStream.WriteU8(0);
}

void CImageResourceMgr::Write(SWriteStream& inStream, LProgressScope* inProgress) const {
    inStream.WriteU32(uint32(SectionLength()));
    int32 count = int32(mResources.size());
    for (const auto& [type, list] : mPluginResources) count += int32(list.size());
    const double step = 1.0 / (count + 1);
    double done = 0.0;
    auto advance = [&] {
        done += step;
        if (inProgress != nullptr) inProgress->SetPortionComplete(std::min(done, 1.0));
    };

    for (const auto& [id, resource] : mResources) {
        WriteBlock(inStream, *resource, id, false);
        advance();
    }
    int32 nextPluginID = kFirstPlugInResourceIndex;
    for (const auto& [type, list] : mPluginResources) {
        for (const auto& resource : list) {
            WriteBlock(inStream, *resource, int16(nextPluginID), true);
            ++nextPluginID;
            advance();
        }
    }
    LASSERT(nextPluginID - 1 <= kLastPlugInResourceIndex);
    if (inProgress != nullptr) inProgress->SetPortionComplete(1.0);
}

CImageResource* CImageResourceMgr::GetOrCreateResource(int16 inResID) {
    LASSERT(!::IsPluginID(inResID));
    auto [entry, inserted] = mResources.try_emplace(inResID);
    if (inserted)
        entry->second = std::make_unique<CImageResource>(CImageResource::kResourceSignature, inResID);
    return entry->second.get();
}

CImageResource* CImageResourceMgr::FindResource(int16 inResID) const {
    LASSERT(!::IsPluginID(inResID));
    const auto entry = mResources.find(inResID);
    return entry != mResources.end() ? entry->second.get() : nullptr;
}

void CImageResourceMgr::RemoveResource(int16 inResID) {
    LASSERT(!::IsPluginID(inResID));
    mResources.erase(inResID);
}

bool CImageResourceMgr::AddResource(CImageResource* inResource) {
    std::unique_ptr<CImageResource> owned(ThrowIfNil(inResource));
    LASSERT(!::IsPluginID(inResource->mID));
    return mResources.try_emplace(inResource->mID, std::move(owned)).second;
}

CImageResource* CImageResourceMgr::GetOrCreatePluginResource(uint32 inTypeID, int32 inIndex) {
    if (CImageResource* found = FindPluginResource(inTypeID, inIndex)) return found;
    auto& list = mPluginResources[inTypeID];
    list.push_back(std::make_unique<CImageResource>(inTypeID, CImageResource::kPluginResourceID));
    return list.back().get();
}

CImageResource* CImageResourceMgr::FindPluginResource(uint32 inTypeID, int32 inIndex) const {
    const auto entry = mPluginResources.find(inTypeID);
    if (entry == mPluginResources.end() || inIndex < 1 || size_t(inIndex) > entry->second.size())
        return nullptr;
    return entry->second[size_t(inIndex) - 1].get();
}

void CImageResourceMgr::RemovePluginResource(uint32 inTypeID, int32 inIndex) {
    const auto entry = mPluginResources.find(inTypeID);
    if (entry == mPluginResources.end() || inIndex < 1 || size_t(inIndex) > entry->second.size()) return;
    entry->second.erase(entry->second.begin() + (inIndex - 1));
    if (entry->second.empty()) mPluginResources.erase(entry);
}

void CImageResourceMgr::AddPluginResource(uint32 inTypeID, CImageResource* inResource) {
    std::unique_ptr<CImageResource> owned(ThrowIfNil(inResource));
    if (inResource->mType == 0) inResource->mType = inTypeID;
    LASSERT(inResource->mType == inTypeID);
    inResource->mID = CImageResource::kPluginResourceID;
    mPluginResources[inTypeID].push_back(std::move(owned));
}

int32 CImageResourceMgr::PluginResourceCount(uint32 inTypeID) const {
    const auto entry = mPluginResources.find(inTypeID);
    return entry != mPluginResources.end() ? int32(entry->second.size()) : 0;
}
