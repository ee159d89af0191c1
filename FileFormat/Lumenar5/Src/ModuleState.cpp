#include "FileFormat/Lumenar5/Src/ModuleState.h"

namespace ModuleState {

namespace {

Platform::InstanceRef sInstance = nullptr;
bool sNewLook = false;

#if !defined(_WIN32)
// Without a load entry the classification happens when the module's statics are initialised.
const bool sClassifiedAtLoad = (Classify(), true);
#endif

}  // namespace

bool ClassifyNewLook(uint32 inVersionWord) {
    const bool olderFamily = (inVersionWord & 0x80000000u) != 0;
    const uint32 majorVersion = inVersionWord & 0xFFu;
    return olderFamily && majorVersion >= 4;
}

void Classify() {
    sNewLook = ClassifyNewLook(Platform::VersionWord());
}

bool NewLook() {
    return sNewLook;
}
void SetNewLook(bool inNewLook) {
    sNewLook = inNewLook;
}

Platform::InstanceRef Instance() {
    return sInstance;
}
void SetInstance(Platform::InstanceRef inInstance) {
    sInstance = inInstance;
}

}  // namespace ModuleState
