// The selectors the host calls the module with, and their handlers.
//
// Every handler receives the persistent block with the current record stored and the result cleared;
// what it leaves in the block's result is what the host receives. No handler lets an exception escape.
#pragma once

#include "FileFormat/Lumenar5/Src/PluginState.h"
#include "Src/Pellin/Isol/IsolTypes.h"

enum Selector : int16 {
    kSelectorAbout = 0,
    kSelectorReadPrepare = 1,
    kSelectorReadStart = 2,
    kSelectorReadContinue = 3,
    kSelectorReadFinish = 4,
    kSelectorOptionsPrepare = 5,
    kSelectorOptionsStart = 6,
    kSelectorOptionsContinue = 7,
    kSelectorOptionsFinish = 8,
    kSelectorEstimatePrepare = 9,
    kSelectorEstimateStart = 10,
    kSelectorEstimateContinue = 11,
    kSelectorEstimateFinish = 12,
    kSelectorWritePrepare = 13,
    kSelectorWriteStart = 14,
    kSelectorWriteContinue = 15,
    kSelectorWriteFinish = 16,
};
inline constexpr int16 kSelectorCount = 17;

// The memory figure the Prepare selectors cap the host's offer to.
inline constexpr int32 kMemoryLimitCap = 4096;
// Size of the settings handle kept with the host.
inline constexpr int32 kSettingsHandleSize = 2;

// Runs the handler of inSelector; a selector outside 0..16 sets the result to errSelectorRange.
void RunSelector(int16 inSelector, PluginState& ioState);

// Shows the About box owned by the main window named in inAboutRecord (an AboutParamRecord; null
// or without platform data: no owner).
void ShowAboutForRecord(const void* inAboutRecord);
// About with a persistent block: the block's record is the AboutParamRecord.
void HandleAbout(PluginState& ioState);
// The three Prepare selectors: lower memoryLimit to 4096 when it is larger.
void CapMemoryLimit(PluginState& ioState);
void OptionsStart(PluginState& ioState);
void EstimateStart(PluginState& ioState);

// Allocates the 2-byte settings handle unless the record already has one. On a failed allocation sets
// the result to errMemoryFull and returns false.
bool EnsureSettingsHandle(PluginState& ioState);
void WriteStart(PluginState& ioState);
// Leaves an empty scripting descriptor in the record's script parameters (if there is a writer table)
// after freeing the previous one, and clears tileData.
void WriteFinish(PluginState& ioState);

// The read operation.
void ReadStart(PluginState& ioState);
void ReadContinue(PluginState& ioState);
void ReadFinish(PluginState& ioState);
