// The host's relocatable blocks ("handles") as the lumenar host hands them to the module.
//
// A handle is a pointer to the pointer to a block of bytes. The procedures below are what the host
// record's allocateHandle and the handle-procedure table's disposeHandle point at. They keep a
// process-wide count of live handles so that hosts and tests can see what the module keeps.
#pragma once

#include "FileFormat/Lumenar5/Src/FormatParamRecord.h"

namespace HostHandles {

// A new zero-filled block of inSize bytes (a size of 0 gets 1 byte); null for a negative size, when
// memory runs out, or while failures are switched on.
HostHandle LUMENAR_CDECL Allocate(int32 inSize);
// Frees a handle made by Allocate; null and foreign handles are ignored.
void LUMENAR_CDECL Dispose(HostHandle inHandle);

int32 LiveCount();
// Makes every following Allocate fail (for tests of the module's out-of-memory paths).
void SetFailAllocations(bool inFail);

}  // namespace HostHandles
