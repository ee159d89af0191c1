// The two 256 x 256 byte-arithmetic tables, indexed [a][b].
//
// gMultiplyTable[a][b] is the rounded product a * b / 255 (the Mul8 rule). gDivideTable[a][b] is a / b
// scaled to 255 and rounded: 0 when a is 0, (a * 255 + b / 2) / b when a < b, else 255. Both are valid
// once BuildByteTables has run (library start does it).
#pragma once

#include "Src/Pellin/Isol/IsolTypes.h"

extern uint8 gMultiplyTable[256][256];
extern uint8 gDivideTable[256][256];

// Fills both tables; later calls do nothing.
void BuildByteTables();
bool ByteTablesBuilt();
