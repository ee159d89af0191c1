// The process's spill file: the port the engine library was started with.
//
// One spill file at a time. The library start installs its port and the matching stop removes it; the
// suite never owns the port (its creator destroys it after removal). Installing empties the port.
// The block table describes spilled blocks inside the file; this module never spills, so the table
// stays empty, but it is kept reset so that a later user finds it in a known state.
#pragma once

#include "API/LFilePort.h"
#include "Src/Pellin/Isol/IsolTypes.h"

class SpillSuite {
public:
    static constexpr int32 kSpillBlockRecCount = 8000;

    // One stretch of the spill file. size == -1 marks an empty record.
    struct BlockRec {
        int32 fileOffset;
        int32 size;
        bool inUse;
    };

    // Keeps inPort as the spill file and sets its length to 0. Asserts that no spill file is installed.
    static void Install(LFilePort* inPort);
    // Forgets the spill file (without destroying it) and resets the block table.
    static void Remove();
    // The installed spill file, or null.
    static LFilePort* Port();

    static int32 ActiveBlockRecords();
    // Record inIndex of the block table (0 <= inIndex < kSpillBlockRecCount).
    static const BlockRec& BlockRecord(int32 inIndex);

    SpillSuite() = delete;

private:
    static void ResetBlockRecords();

    static LFilePort* sSpillFilePort;
    static int32 sActiveBlockRecords;
    static BlockRec sBlockRecs[kSpillBlockRecCount];
};
