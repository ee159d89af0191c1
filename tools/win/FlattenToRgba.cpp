#include "tools/win/RawFlattener.h"

#include <cstdlib>

namespace {

enum Selector : int16 { kReadPrepare = 1, kReadStart = 2, kReadContinue = 3, kReadFinish = 4 };

// Handles given to the module: a pointer to a pointer to a zero-filled block. They are plain callbacks
// without context, so the live ones are kept process-wide until the flattener releases them.
std::vector<HostHandle>& LiveHandles() {
    static std::vector<HostHandle> sHandles;
    return sHandles;
}

HostHandle LUMENAR_CDECL AllocateHandle(int32 inSize) {
    if (inSize < 0) return nullptr;
    char* block = static_cast<char*>(std::calloc(size_t(inSize) + 1, 1));
    if (block == nullptr) return nullptr;
    HostHandle handle = new char*(block);
    LiveHandles().push_back(handle);
    return handle;
}

void LUMENAR_CDECL DisposeHandle(HostHandle inHandle) {
    auto& live = LiveHandles();
    for (auto it = live.begin(); it != live.end(); ++it) {
        if (*it != inHandle) continue;
        std::free(*inHandle);
        delete inHandle;
        live.erase(it);
        return;
    }
}

}  // namespace

RawFlattener::RawFlattener(EntryProc inEntry) : mEntry(inEntry) {
    mHandleProcs.disposeHandle = &DisposeHandle;
    mRecord.memoryLimit = kMemoryOffered;
    mRecord.allocateHandle = &AllocateHandle;
    mRecord.handleProcs = &mHandleProcs;
}

RawFlattener::~RawFlattener() {
    while (!LiveHandles().empty()) DisposeHandle(LiveHandles().back());
}

int16 RawFlattener::Call(int16 inSelector) {
    int16 result = 0;
    mEntry(inSelector, &mRecord, &mData, &result);
    return result;
}

bool RawFlattener::Flatten(int32 inFileHandle, FlatImage& outImage, std::string& outError) {
    mRecord.fileHandle = inFileHandle;
    int16 result = Call(kReadPrepare);
    if (result == 0) result = Call(kReadStart);
    if (result != 0) {
        outError = "the module refused the document (result " + std::to_string(result) + ")";
        return false;
    }
    outImage.rows = mRecord.imageRows;
    outImage.columns = mRecord.imageColumns;
    bool ok = outImage.rows > 0 && outImage.columns > 0;
    if (!ok) outError = "the module reported an empty image";
    if (ok) outImage.rgba.assign(size_t(outImage.rows) * size_t(outImage.columns) * 4, 0);
    // Every tile covers at least one pixel, so a module still delivering after this many is broken.
    for (int64 tiles = 0; ok; ++tiles) {
        result = Call(kReadContinue);
        if (result != 0) {
            outError = "reading failed (result " + std::to_string(result) + ")";
            ok = false;
        } else if (mRecord.tileData == nullptr) {
            break;
        } else if (tiles >= int64(outImage.rows) * outImage.columns) {
            outError = "the module delivers more tiles than the image has pixels";
            ok = false;
        } else {
            ok = TakeTile(outImage, outError);
        }
    }
    const int16 finish = Call(kReadFinish);
    if (ok && finish != 0) {
        outError = "closing the document failed (result " + std::to_string(finish) + ")";
        ok = false;
    }
    return ok;
}

// A tile is read as the record describes it: pixel (x, y) of the rectangle starts at
// tileData + (y - top) * rowStep + (x - left) * columnStep, and plane p of a pixel lies planeMap[p]
// bytes into it. Planes 0, 1, 2, 3 are red, green, blue and alpha.
bool RawFlattener::TakeTile(FlatImage& ioImage, std::string& outError) {
    const int32 top = mRecord.tileRect[kTileTop], left = mRecord.tileRect[kTileLeft];
    const int32 bottom = mRecord.tileRect[kTileBottom], right = mRecord.tileRect[kTileRight];
    if (top < 0 || left < 0 || bottom > ioImage.rows || right > ioImage.columns || top >= bottom || left >= right) {
        outError = "the module delivered a tile outside the image";
        return false;
    }
    const uint8* tile = static_cast<const uint8*>(mRecord.tileData);
    for (int32 y = top; y < bottom; ++y) {
        for (int32 x = left; x < right; ++x) {
            const uint8* pixel = tile + int64(y - top) * mRecord.rowStep + int64(x - left) * mRecord.columnStep;
            uint8* out = &ioImage.rgba[(size_t(y) * size_t(ioImage.columns) + size_t(x)) * 4];
            for (int32 plane = 0; plane < 4; ++plane) out[plane] = pixel[mRecord.planeMap[plane]];
        }
    }
    return true;
}
