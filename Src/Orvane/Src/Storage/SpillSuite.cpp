#include "Src/Orvane/Src/Storage/SpillSuite.h"

#include "Src/Pellin/Isol/Report.h"

LFilePort* SpillSuite::sSpillFilePort = nullptr;
int32 SpillSuite::sActiveBlockRecords = 0;
SpillSuite::BlockRec SpillSuite::sBlockRecs[SpillSuite::kSpillBlockRecCount];

void SpillSuite::Install(LFilePort* inPort) {
    LASSERT(sSpillFilePort == 0);
    sSpillFilePort = inPort;
    // The spill file starts empty for every library session: whatever a previous session left is stale.
    if (sSpillFilePort != nullptr) sSpillFilePort->SetLength(0);
    ResetBlockRecords();
}

void SpillSuite::Remove() {
    sSpillFilePort = nullptr;
    ResetBlockRecords();
    sActiveBlockRecords = 0;
}

LFilePort* SpillSuite::Port() {
    return sSpillFilePort;
}

int32 SpillSuite::ActiveBlockRecords() {
    return sActiveBlockRecords;
}

const SpillSuite::BlockRec& SpillSuite::BlockRecord(int32 inIndex) {
    if (!LCHECK(inIndex >= 0 && inIndex < kSpillBlockRecCount)) inIndex = 0;
    return sBlockRecs[inIndex];
}

void SpillSuite::ResetBlockRecords() {
    for (BlockRec& record : sBlockRecs) record = BlockRec{0, -1, false};
}
