// The settings handle and the write selectors. No image data is written: the write operation only
// keeps the settings handle alive and leaves an empty scripting descriptor with the host.
#include "FileFormat/Lumenar5/Src/Selectors.h"

bool EnsureSettingsHandle(PluginState& ioState) {
    FormatParamRecord& record = *ioState.record;
    if (record.settingsHandle != nullptr) return true;
    HostHandle handle =
        record.allocateHandle != nullptr ? record.allocateHandle(kSettingsHandleSize) : nullptr;
    if (handle == nullptr) {
        ioState.result = errMemoryFull;
        return false;
    }
    // The block's two bytes are the host's: the module never gives them a value.
    record.settingsHandle = handle;
    return true;
}

void WriteStart(PluginState& ioState) {
    EnsureSettingsHandle(ioState);
}

namespace {

// A writer table without both procedures is treated like no table at all.
ResultCode WriteScriptParameters(const FormatParamRecord& inRecord) {
    ScriptParams* params = inRecord.scriptParams;
    if (params == nullptr || params->writeProcs == nullptr) return kResultOk;
    const ScriptWriteProcs& procs = *params->writeProcs;
    if (procs.openWriter == nullptr || procs.closeWriter == nullptr) return kResultOk;

    ScriptWriter writer = procs.openWriter();
    if (writer == nullptr) return errMemoryFull;
    // The descriptor gets no keys; only the block's state word is cleared.
    params->descriptorState = 0;
    if (params->descriptor != nullptr) {
        const HandleProcs* handleProcs = inRecord.handleProcs;
        if (handleProcs != nullptr && handleProcs->disposeHandle != nullptr)
            handleProcs->disposeHandle(params->descriptor);
        params->descriptor = nullptr;
    }
    return procs.closeWriter(writer, &params->descriptor);
}

}  // namespace

void WriteFinish(PluginState& ioState) {
    ioState.result = WriteScriptParameters(*ioState.record);
    ioState.record->tileData = nullptr;
}
