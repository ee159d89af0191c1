// Module-wide state set when the module is loaded: its instance handle and the new-look flag.
#pragma once

#include "API/Platform/Platform.h"
#include "Src/Pellin/Isol/IsolTypes.h"

namespace ModuleState {

// True only on the older consumer family of systems (top bit of the version word set) from major
// version 4 on (low byte); false on the other family and on older systems.
bool ClassifyNewLook(uint32 inVersionWord);

// Sets the new-look flag from the platform's version word. The load entry calls it on every call; on
// systems without a load entry it runs once when the module is loaded.
void Classify();

bool NewLook();
void SetNewLook(bool inNewLook);

// The module's own instance, whose resources the About box is loaded from. Null where modules have no
// resources.
Platform::InstanceRef Instance();
void SetInstance(Platform::InstanceRef inInstance);

}  // namespace ModuleState
