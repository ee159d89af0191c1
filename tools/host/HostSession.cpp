#include "tools/host/HostSession.h"

#include "FileFormat/Lumenar5/Src/PluginState.h"
#include "FileFormat/Lumenar5/Src/Selectors.h"
#include "tools/host/HostHandles.h"

HostSession::HostSession(EntryPointProc inEntry) : mEntry(inEntry) {
    mRecord.allocateHandle = &HostHandles::Allocate;
    mHandleProcs.disposeHandle = &HostHandles::Dispose;
    mRecord.handleProcs = &mHandleProcs;
    mRecord.memoryLimit = kOfferedMemory;
    mRecord.fileHandle = Platform::kInvalidFile;
}

HostSession::~HostSession() {
    HostHandles::Dispose(mRecord.settingsHandle);
    HostHandles::Dispose(mData);
}

int16 HostSession::Call(int16 inSelector) {
    int16 result = 0;
    mEntry(inSelector, &mRecord, &mData, &result);
    return result;
}

int16 HostSession::About(Platform::WindowRef inOwner) {
    AboutPlatformData platform{inOwner};
    AboutParamRecord about{&platform};
    int16 result = 0;
    mEntry(kSelectorAbout, &about, &mData, &result);
    return result;
}

TileView HostSession::TileFromRecord() const {
    TileView tile;
    tile.data = static_cast<const uint8*>(mRecord.tileData);
    tile.top = mRecord.tileRect[kTileTop];
    tile.left = mRecord.tileRect[kTileLeft];
    tile.bottom = mRecord.tileRect[kTileBottom];
    tile.right = mRecord.tileRect[kTileRight];
    tile.columnStep = mRecord.columnStep;
    tile.rowStep = mRecord.rowStep;
    tile.planeStep = mRecord.planeStep;
    tile.firstPlane = mRecord.firstPlane;
    tile.planeLimit = mRecord.planeLimit;
    for (int i = 0; i < 4; ++i) tile.planeMap[i] = mRecord.planeMap[i];
    return tile;
}

ReadSummary HostSession::ReadDocument(int32 inFileHandle,
                                      const std::function<void(const TileView&)>& inSink) {
    ReadSummary summary;
    auto fail = [&summary](int16 inSelector, int16 inResult) {
        summary.result = inResult;
        summary.failedSelector = inSelector;
    };
    mRecord.fileHandle = inFileHandle;
    mRecord.memoryLimit = kOfferedMemory;
    if (const int16 result = Call(kSelectorReadPrepare); result != 0) {
        fail(kSelectorReadPrepare, result);
        return summary;
    }
    if (const int16 result = Call(kSelectorReadStart); result != 0) {
        fail(kSelectorReadStart, result);
        return summary;
    }
    summary.imageMode = mRecord.imageMode;
    summary.rows = mRecord.imageRows;
    summary.columns = mRecord.imageColumns;
    summary.bitDepth = mRecord.bitDepth;
    summary.planeCount = mRecord.planeCount;
    // Every tile covers at least one pixel of the image, so a module that delivers more pixels than the
    // image holds will never finish: the host stops it there instead of looping forever.
    const int64 imageArea = int64(summary.rows) * summary.columns;
    int64 delivered = 0;
    for (;;) {
        mRecord.tileData = nullptr;
        const int16 result = Call(kSelectorReadContinue);
        if (result != 0) {
            fail(kSelectorReadContinue, result);
            break;
        }
        if (mRecord.tileData == nullptr) break;
        const TileView tile = TileFromRecord();
        const int64 area = int64(tile.bottom - tile.top) * (tile.right - tile.left);
        delivered += area > 0 ? area : 1;
        if (delivered > imageArea) {
            summary.overDelivered = true;
            fail(kSelectorReadContinue, errGeneric);
            break;
        }
        ++summary.tiles;
        inSink(tile);
    }
    if (const int16 result = Call(kSelectorReadFinish); result != 0 && summary.result == 0)
        fail(kSelectorReadFinish, result);
    return summary;
}
