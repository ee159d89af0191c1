// The host side of one module conversation: the parameter record, the handle procedures, the data slot
// in which the module keeps its persistent block, and the order in which selectors are called.
//
// The session owns what the module leaves with the host (the persistent block, the settings handle)
// and frees it on destruction. It does not own the entry function's module, which must outlive it.
#pragma once

#include <functional>

#include "FileFormat/Lumenar5/Src/FormatParamRecord.h"
#include "tools/host/PluginModule.h"

// One tile as the module delivers it. The bytes stay valid only until the next selector call.
struct TileView {
    const uint8* data = nullptr;
    int32 top = 0;
    int32 left = 0;
    int32 bottom = 0;
    int32 right = 0;
    int32 columnStep = 0;  // bytes from one pixel to the next
    int32 rowStep = 0;     // bytes from one row to the next
    int32 planeStep = 0;
    int32 firstPlane = 0;
    int32 planeLimit = 0;
    int16 planeMap[4] = {};  // byte offset of planes 0..3 inside a pixel
};

// What a read operation reported about the image, and how it ended.
struct ReadSummary {
    int16 result = 0;  // the first non-zero result of a selector, else 0
    int16 failedSelector = -1;
    int32 imageMode = 0;
    int32 rows = 0;
    int32 columns = 0;
    int32 bitDepth = 0;
    int32 planeCount = 0;
    int32 tiles = 0;
    // Set when the module kept delivering tiles past the image's area; the read was cut off there.
    bool overDelivered = false;
};

class HostSession {
public:
    // The memory figure the session offers the module.
    static constexpr int32 kOfferedMemory = 64 * 1024 * 1024;

    explicit HostSession(EntryPointProc inEntry);
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    // Calls one selector with the session's record; returns the result slot, which starts as 0.
    int16 Call(int16 inSelector);
    // Calls About with inOwner as the host's main window.
    int16 About(Platform::WindowRef inOwner);

    // Reads the document open as inFileHandle: ReadPrepare, ReadStart, ReadContinue until the module
    // hands no more tiles (each tile goes to inSink), then ReadFinish. A failing Prepare or Start ends
    // the operation at once; ReadFinish follows every successful ReadStart.
    ReadSummary ReadDocument(int32 inFileHandle, const std::function<void(const TileView&)>& inSink);

    FormatParamRecord& Record() { return mRecord; }
    HostHandle Data() const { return mData; }
    // The tile the record describes now (after a ReadContinue that handed one).
    TileView TileFromRecord() const;

private:
    EntryPointProc mEntry;
    FormatParamRecord mRecord{};
    HandleProcs mHandleProcs{};
    HostHandle mData = nullptr;
};
