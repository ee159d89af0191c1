#include "FileFormat/Lumenar5/Src/PluginEntry.h"

#include <cstring>

#include "FileFormat/Lumenar5/Src/PluginState.h"
#include "FileFormat/Lumenar5/Src/Selectors.h"
#include "Src/Pellin/Isol/Report.h"

namespace {

// Finds the persistent block in the data slot, creating it on the first call; null if that fails.
PluginState* FindOrCreateState(FormatParamRecord& ioRecord, HostHandle* ioData) {
    if (*ioData == nullptr) {
        HostHandle handle =
            ioRecord.allocateHandle != nullptr ? ioRecord.allocateHandle(kPluginStateSize) : nullptr;
        if (handle == nullptr) return nullptr;
        *ioData = handle;
        std::memset(*handle, 0, size_t(kPluginStateSize));
    }
    return reinterpret_cast<PluginState*>(**ioData);
}

}  // namespace

extern "C" void LUMENAR_CDECL ENTRYPOINT(int16 inSelector, void* inRecord, HostHandle* ioData,
                                         int16* outResult) {
    try {
        if (*ioData == nullptr && inSelector == kSelectorAbout) {
            ShowAboutForRecord(inRecord);
            return;
        }
        auto* record = static_cast<FormatParamRecord*>(inRecord);
        PluginState* state = FindOrCreateState(*record, ioData);
        if (state == nullptr) {
            *outResult = errMemoryFull;
            return;
        }
        state->record = record;
        state->result = kResultOk;
        RunSelector(inSelector, *state);
        *outResult = state->result;
    } catch (...) {
        // Handlers catch their own failures; this only keeps anything unforeseen inside the module.
        LREPORT("Unexpected failure at the module's entry");
        *outResult = errGeneric;
    }
}
