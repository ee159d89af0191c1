// Dispatch over the selectors and the handlers too small for a file of their own.
#include "FileFormat/Lumenar5/Src/Selectors.h"

#include "FileFormat/Lumenar5/Src/AboutBox.h"

namespace {

void DoNothing(PluginState&) {}

using Handler = void (*)(PluginState&);

// Indexed by selector.
constexpr Handler kHandlers[kSelectorCount] = {
    HandleAbout,  DoNothing,      ReadStart,  ReadContinue,   ReadFinish,    CapMemoryLimit,
    OptionsStart, DoNothing,      DoNothing,  CapMemoryLimit, EstimateStart, DoNothing,
    DoNothing,    CapMemoryLimit, WriteStart, DoNothing,      WriteFinish,
};

}  // namespace

void RunSelector(int16 inSelector, PluginState& ioState) {
    if (inSelector < 0 || inSelector >= kSelectorCount) {
        ioState.result = errSelectorRange;
        return;
    }
    kHandlers[inSelector](ioState);
}

void ShowAboutForRecord(const void* inAboutRecord) {
    const auto* about = static_cast<const AboutParamRecord*>(inAboutRecord);
    const bool hasOwner = about != nullptr && about->platformData != nullptr;
    ShowAboutBox(hasOwner ? about->platformData->mainWindow : nullptr);
}

void HandleAbout(PluginState& ioState) {
    ShowAboutForRecord(ioState.record);
}

void CapMemoryLimit(PluginState& ioState) {
    if (ioState.record->memoryLimit > kMemoryLimitCap) ioState.record->memoryLimit = kMemoryLimitCap;
}

void OptionsStart(PluginState& ioState) {
    ioState.result = errGeneric;
}

void EstimateStart(PluginState& ioState) {
    ioState.record->tileData = nullptr;
}
