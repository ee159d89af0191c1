// The module's entry function: the host calls it once per step of an operation.
#pragma once

#include "FileFormat/Lumenar5/Src/FormatParamRecord.h"
#include "FileFormat/Lumenar5/Src/PluginExport.h"
#include "Src/Pellin/Isol/IsolTypes.h"

// inSelector: the step (0..16). inRecord: the FormatParamRecord, or the AboutParamRecord for About
// (0). ioData: the host's slot for the module's persistent block, null before the first call.
// outResult: receives the step's result; left untouched by an About call made before any other.
//
// The first call other than About allocates the persistent block through the record's allocateHandle;
// when that fails the result is -108 and the slot stays null. No exception leaves this function.
extern "C" LUMENAR_EXPORT void LUMENAR_CDECL ENTRYPOINT(int16 inSelector, void* inRecord, HostHandle* ioData,
                                                        int16* outResult);
