// Start and stop of the engine library.
//
// Starts and stops nest: only the outermost pair does work. The first start in the process builds the
// byte-arithmetic tables (once per process); every outermost start installs the spill port. The
// outermost stop removes the spill port, purges the grow-zone hooks, frees idle shared scratch blocks
// and deletes every singleton. The caller keeps ownership of the port and must keep it alive until the
// matching outermost stop.
#pragma once

#include "API/LFilePort.h"
#include "Src/Pellin/Isol/IsolTypes.h"

// Starts the library; inSpillPort may be null (no spill file is installed then).
void LibraryStart(LFilePort* inSpillPort);
// Stops the library; an unmatched stop is reported and ignored.
void LibraryStop();
// The stop for destructors, which let nothing out: a failure while stopping is reported
// ("Unexpected failure while stopping the library") and goes no further.
void LibraryStopInDestructor() noexcept;
// Current nesting depth of starts.
int32 LibraryStartCount();
