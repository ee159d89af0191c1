// The module's persistent block and the result codes of the selectors.
//
// The block is requested from the host on the first call that is not About, zero-filled, and kept in
// the host's data slot for as long as the host keeps it; the module never frees it. After its two
// header fields it offers aligned storage in which the read operation builds its document reader.
#pragma once

#include <cstddef>

#include "FileFormat/Lumenar5/Src/FormatParamRecord.h"
#include "Src/Pellin/Isol/IsolTypes.h"

using ResultCode = int16;
inline constexpr ResultCode kResultOk = 0;
inline constexpr ResultCode errGeneric = 1;
inline constexpr ResultCode errMemoryFull = -108;
inline constexpr ResultCode errSelectorRange = -30500;

// 200 bytes in 32-bit builds; 64-bit builds give the reader twice the room for its grown pointers.
inline constexpr int32 kPluginStateSize = sizeof(void*) == 4 ? 200 : 400;
inline constexpr size_t kReaderStorageAlignment = 8;
inline constexpr size_t kReaderStorageOffset = sizeof(void*) == 4 ? 8 : 16;
inline constexpr size_t kReaderStorageSize = size_t(kPluginStateSize) - kReaderStorageOffset;

struct PluginState {
    FormatParamRecord* record;  // the current call's record, refreshed on every call
    ResultCode result;          // the current call's result, cleared on entry
    alignas(kReaderStorageAlignment) uint8 readerStorage[kReaderStorageSize];
};

static_assert(sizeof(PluginState) == size_t(kPluginStateSize));
static_assert(offsetof(PluginState, readerStorage) == kReaderStorageOffset);
