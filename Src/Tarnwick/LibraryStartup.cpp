#include "Src/Tarnwick/LibraryStartup.h"

#include "Src/Orvane/Src/Storage/SpillSuite.h"
#include "Src/Pellin/Isol/Allocator.h"
#include "Src/Pellin/Isol/ByteTables.h"
#include "Src/Pellin/Isol/Report.h"
#include "Src/PowerPellin/LScratchBuffer.h"
#include "Src/Tarnwick/LDeleter.h"

namespace {
int32 sStartCount = 0;
bool sOneTimeInitDone = false;
}  // namespace

void LibraryStart(LFilePort* inSpillPort) {
    if (++sStartCount != 1) return;
    if (!sOneTimeInitDone) {
        BuildByteTables();
        sOneTimeInitDone = true;
    }
    SpillSuite::Install(inSpillPort);
}

void LibraryStop() {
    if (!LCHECK(sStartCount > 0)) return;
    if (--sStartCount != 0) return;
    SpillSuite::Remove();
    LPurge(0xFFFFFFFFu);
    LScratchBuffer::FreeIdleSharedBlocks();
    DeleterRegistry::DeleteAll();
}

void LibraryStopInDestructor() noexcept {
    try {
        LibraryStop();
    } catch (...) {
        LREPORT("Unexpected failure while stopping the library");
    }
}

int32 LibraryStartCount() {
    return sStartCount;
}
