// The image resources of one document, kept so that every block read is written back unchanged.
//
// Ordinary resources are kept by id (ascending, signed), at most one per id. Plug-in resources are kept
// by their own type (ascending), in the order they were added, and are addressed by type and a 1-based
// index. The manager owns every resource it holds and deletes them with itself. Id-based operations
// must not be given plug-in ids (an assertion).
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "Src/Orvane/Src/Format/CImageResource.h"
#include "Src/Pellin/Isol/Allocator.h"
#include "Src/Pellin/Isol/IsolTypes.h"

class LProgressScope;
class SReadStream;
class SWriteStream;

class CImageResourceMgr : public LAllocatedObject {
public:
    using ResourceMap = std::map<int16, std::unique_ptr<CImageResource>>;
    using PluginMap = std::map<uint32, std::vector<std::unique_ptr<CImageResource>>>;

    CImageResourceMgr();
    // Reads a section of inLength bytes (see Read).
    CImageResourceMgr(uint32 inLength, SReadStream& inStream, LProgressScope* inProgress);
    virtual ~CImageResourceMgr();
    CImageResourceMgr(const CImageResourceMgr&) = delete;
    CImageResourceMgr& operator=(const CImageResourceMgr&) = delete;

    // Reads resource blocks from the stream's position until at least inLength bytes are consumed. The
    // first block with an id is kept, later ones with that id are dropped. A block that runs past the
    // section's end leaves the stream after that block. Throws the BadLumenarType error for a negative
    // size, MiscDiskException for data reaching beyond the end of the file.
    void Read(uint32 inLength, SReadStream& inStream, LProgressScope* inProgress);
    // Writes the section: its length, the ordinary resources by ascending id, then the plug-in resources
    // by ascending type, numbered from 4000.
    void Write(SWriteStream& inStream, LProgressScope* inProgress) const;
    // What Write puts after the length field.
    uint64 SectionLength() const;

    CImageResource* GetOrCreateResource(int16 inResID);
    CImageResource* FindResource(int16 inResID) const;
    void RemoveResource(int16 inResID);
    // Takes ownership. A resource whose id is already present is deleted and false returned.
    bool AddResource(CImageResource* inResource);

    // inIndex counts from 1. Creating appends a new empty resource of that type.
    CImageResource* GetOrCreatePluginResource(uint32 inTypeID, int32 inIndex);
    CImageResource* FindPluginResource(uint32 inTypeID, int32 inIndex) const;
    void RemovePluginResource(uint32 inTypeID, int32 inIndex);
    // Takes ownership and appends the resource to the type's list. A resource of type 0 takes inTypeID.
    void AddPluginResource(uint32 inTypeID, CImageResource* inResource);
    int32 PluginResourceCount(uint32 inTypeID) const;

    const ResourceMap& Resources() const { return mResources; }
    const PluginMap& PluginResources() const { return mPluginResources; }

private:
    // One block; outPlugin says whether it held a plug-in resource (an ordinary block may carry any id).
    static std::unique_ptr<CImageResource> ReadBlock(SReadStream& inStream, bool& outPlugin);
    static void ReadData(SReadStream& inStream, uint32 inSize, VMBuffer& outData);
    static void WriteBlock(SWriteStream& inStream, const CImageResource& inResource, int16 inID,
                           bool inAsPlugin);

    ResourceMap mResources;
    PluginMap mPluginResources;
};
