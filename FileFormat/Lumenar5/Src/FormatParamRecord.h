// The host's parameter record as the module sees it, and the blocks reached through it.
//
// The host owns every structure here. The module reads and writes only the named fields; the reserved
// bytes keep the named ones at their places in 32-bit builds, where the byte offsets are checked below.
// 64-bit builds use the natural layout of the same declarations (pointers grow, later fields move), so
// a 64-bit host must be built from these declarations too.
#pragma once

#include <cstddef>

#include "API/Platform/Platform.h"
#include "FileFormat/Lumenar5/Src/PluginExport.h"
#include "Src/Pellin/Isol/IsolTypes.h"

// A relocatable block of the host: a pointer to the pointer to the block's bytes.
using HostHandle = char**;

using AllocateHandleProc = HostHandle(LUMENAR_CDECL*)(int32 inSize);
using DisposeHandleProc = void(LUMENAR_CDECL*)(HostHandle inHandle);

struct OpaqueScriptWriter;
using ScriptWriter = OpaqueScriptWriter*;
// Opens a writer for a scripting descriptor; null when it cannot.
using OpenWriterProc = ScriptWriter(LUMENAR_CDECL*)();
// Finishes the writer, stores the finished descriptor's handle in *outDescriptor and returns a result.
using CloseWriterProc = int16(LUMENAR_CDECL*)(ScriptWriter inWriter, HostHandle* outDescriptor);

// The host's table of handle procedures.
struct HandleProcs {
    uint8 reserved0[4];
    void* reserved4;
    DisposeHandleProc disposeHandle;  // frees a handle
};

// The host's table of descriptor-writing procedures.
struct ScriptWriteProcs {
    uint8 reserved0[4];
    OpenWriterProc openWriter;
    CloseWriterProc closeWriter;
};

// The scripting parameter block of a write operation.
struct ScriptParams {
    uint8 reserved0[4];
    int16 descriptorState;  // set to 0 when the module writes its parameters
    uint8 reserved6[2];
    HostHandle descriptor;         // the finished descriptor; replaced by every write
    ScriptWriteProcs* writeProcs;  // may be null
};

struct FormatParamRecord {
    uint8 reserved0[12];
    int32 memoryLimit;  // the host's memory figure; the Prepare selectors cap it
    uint8 reserved16[16];
    int32 fileHandle;  // the open document, for the platform's positional file calls
    uint8 reserved36[8];
    int16 imageMode;  // always 3 (RGB)
    int16 imageRows;
    int16 imageColumns;
    int16 bitDepth;    // always 8
    int16 planeCount;  // always 4
    uint8 reserved54[778];
    void* tileData;     // the tile the host is to take now; null: no (more) data
    int16 tileRect[4];  // top, left, bottom, right; bottom and right exclusive
    int16 firstPlane;
    int16 planeLimit;
    int16 columnStep;  // bytes from one pixel to the next
    uint8 reserved850[2];
    int32 rowStep;       // bytes from one row to the next
    int32 planeStep;     // bytes from one plane to the next
    int16 planeMap[16];  // byte offset of each plane inside a pixel
    uint8 reserved892[16];
    HostHandle settingsHandle;  // 2 bytes the module allocates once and leaves with the host
    AllocateHandleProc allocateHandle;
    uint8 reserved916[72];
    HandleProcs* handleProcs;
    uint8 reserved992[28];
    ScriptParams* scriptParams;  // may be null
};

// The host's platform data handed with the About selector.
struct AboutPlatformData {
    Platform::WindowRef mainWindow;  // owner of the About box
};

struct AboutParamRecord {
    AboutPlatformData* platformData;
};

// Index of the tile rectangle's sides in FormatParamRecord::tileRect.
enum TileRectSide { kTileTop = 0, kTileLeft = 1, kTileBottom = 2, kTileRight = 3 };

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(FormatParamRecord, memoryLimit) == 12);
static_assert(offsetof(FormatParamRecord, fileHandle) == 32);
static_assert(offsetof(FormatParamRecord, imageMode) == 44);
static_assert(offsetof(FormatParamRecord, imageRows) == 46);
static_assert(offsetof(FormatParamRecord, imageColumns) == 48);
static_assert(offsetof(FormatParamRecord, bitDepth) == 50);
static_assert(offsetof(FormatParamRecord, planeCount) == 52);
static_assert(offsetof(FormatParamRecord, tileData) == 832);
static_assert(offsetof(FormatParamRecord, tileRect) == 836);
static_assert(offsetof(FormatParamRecord, firstPlane) == 844);
static_assert(offsetof(FormatParamRecord, planeLimit) == 846);
static_assert(offsetof(FormatParamRecord, columnStep) == 848);
static_assert(offsetof(FormatParamRecord, rowStep) == 852);
static_assert(offsetof(FormatParamRecord, planeStep) == 856);
static_assert(offsetof(FormatParamRecord, planeMap) == 860);
static_assert(offsetof(FormatParamRecord, settingsHandle) == 908);
static_assert(offsetof(FormatParamRecord, allocateHandle) == 912);
static_assert(offsetof(FormatParamRecord, handleProcs) == 988);
static_assert(offsetof(FormatParamRecord, scriptParams) == 1020);
static_assert(sizeof(FormatParamRecord) == 1024);
static_assert(offsetof(HandleProcs, disposeHandle) == 8);
static_assert(offsetof(ScriptParams, descriptorState) == 4);
static_assert(offsetof(ScriptParams, descriptor) == 8);
static_assert(offsetof(ScriptParams, writeProcs) == 12);
static_assert(offsetof(ScriptWriteProcs, openWriter) == 4);
static_assert(offsetof(ScriptWriteProcs, closeWriter) == 8);
#endif
