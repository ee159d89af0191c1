// A scripted stand-in for the module, for tests of the hosts: it logs every selector, keeps a persistent
// block, reports the scripted image at ReadStart and delivers it from ReadContinue in tiles of the
// scripted size (pixel bytes in blue, green, red, alpha order), and fails where the script says.
// One script is current at a time (the entry function carries no context).
#pragma once

#include <algorithm>
#include <vector>

#include "FileFormat/Lumenar5/Src/Selectors.h"

struct ModuleScript {
    const char* name = "";
    int16 rows = 1, columns = 2;
    int16 tileWidth = 2, tileHeight = 1;
    int16 failSelector = -1, failResult = 0;  // this selector answers failResult...
    int32 failAtTile = 0;                     // ...ReadContinue only once this many tiles are out
    bool tileOutside = false;                 // the second tile lies below the image
    bool endless = false;                     // the tiles start again after the last one
};

struct ModuleLog {
    std::vector<int16> calls;
    int32 blockAllocations = 0;
    int32 fileHandle = -1;  // as ReadStart saw it
    int32 nextTile = 0;
    std::vector<uint8> tile;
};

inline ModuleScript gScript;
inline ModuleLog gLog;

// The stand-in's pixel at (x, y) as red, green, blue, alpha.
inline std::vector<uint8> ScriptedPixel(int32 x, int32 y) {
    return {uint8(x + 3 * y), uint8(y * 5), uint8(x * 7), uint8(255 - x - y)};
}

inline void DeliverScriptedTile(FormatParamRecord& ioRecord) {
    const int32 across = (gScript.columns + gScript.tileWidth - 1) / gScript.tileWidth;
    const int32 down = (gScript.rows + gScript.tileHeight - 1) / gScript.tileHeight;
    int32 index = gLog.nextTile++;
    if (gScript.endless) index %= across * down;
    if (index >= across * down) {
        ioRecord.tileData = nullptr;
        return;
    }
    const int32 left = (index % across) * gScript.tileWidth, top = (index / across) * gScript.tileHeight;
    const int32 right = std::min<int32>(left + gScript.tileWidth, gScript.columns);
    int32 bottom = std::min<int32>(top + gScript.tileHeight, gScript.rows);
    const int32 width = right - left;
    gLog.tile.assign(size_t(width) * size_t(bottom - top) * 4, 0);
    for (int32 y = top; y < bottom; ++y)
        for (int32 x = left; x < right; ++x) {
            const std::vector<uint8> c = ScriptedPixel(x, y);
            uint8* p = &gLog.tile[(size_t(y - top) * width + size_t(x - left)) * 4];
            p[0] = c[2], p[1] = c[1], p[2] = c[0], p[3] = c[3];
        }
    if (gScript.tileOutside && index == 1) bottom = gScript.rows + 1;
    ioRecord.tileData = gLog.tile.data();
    const int16 rect[4] = {int16(top), int16(left), int16(bottom), int16(right)};
    std::copy(rect, rect + 4, ioRecord.tileRect);
    ioRecord.columnStep = 4;
    ioRecord.rowStep = width * 4;
    ioRecord.planeStep = 1;
    const int16 map[4] = {2, 1, 0, 3};
    std::copy(map, map + 4, ioRecord.planeMap);
}

inline void LUMENAR_CDECL ScriptedEntry(int16 inSelector, void* inRecord, HostHandle* ioData,
                                        int16* outResult) {
    gLog.calls.push_back(inSelector);
    auto& record = *static_cast<FormatParamRecord*>(inRecord);
    if (*ioData == nullptr) {
        *ioData = record.allocateHandle(200);
        ++gLog.blockAllocations;
    }
    *outResult = 0;
    if (inSelector == kSelectorReadStart) gLog.fileHandle = record.fileHandle;
    if (inSelector == gScript.failSelector &&
        (inSelector != kSelectorReadContinue || gLog.nextTile == gScript.failAtTile)) {
        *outResult = gScript.failResult;
    } else if (inSelector == kSelectorReadStart) {
        record.imageMode = 3;
        record.imageRows = gScript.rows;
        record.imageColumns = gScript.columns;
        record.bitDepth = 8;
        record.planeCount = 4;
    } else if (inSelector == kSelectorReadContinue) {
        DeliverScriptedTile(record);
    }
}

// Makes inScript current, with an empty log.
inline void UseScript(const ModuleScript& inScript) {
    gScript = inScript;
    gLog = ModuleLog{};
}
