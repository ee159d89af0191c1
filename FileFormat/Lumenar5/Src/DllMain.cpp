// The module's load entry on Windows: remembers the instance and classifies the running system. The
// loader finds it by its name; it is not exported.
#include "API/Platform/Platform.h"
#include "FileFormat/Lumenar5/Src/ModuleState.h"
#include "Src/Pellin/Isol/IsolTypes.h"

namespace {
constexpr uint32 kReasonProcessAttach = 1;
}

extern "C" int __attribute__((stdcall)) DllMain(void* inInstance, uint32 inReason, void*) {
    if (inReason == kReasonProcessAttach)
        ModuleState::SetInstance(static_cast<Platform::InstanceRef>(inInstance));
    ModuleState::Classify();
    return 1;
}
