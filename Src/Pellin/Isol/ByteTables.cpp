#include "Src/Pellin/Isol/ByteTables.h"

uint8 gMultiplyTable[256][256];
uint8 gDivideTable[256][256];

namespace {
bool sBuilt = false;
}  // namespace

void BuildByteTables() {
    if (sBuilt) return;
    for (uint32 a = 0; a < 256; ++a) {
        for (uint32 b = 0; b < 256; ++b) {
            // Rounded a * b / 255: t = a * b + 128, then (t + (t >> 8)) >> 8.
            const uint32 t = a * b + 128;
            gMultiplyTable[a][b] = uint8((t + (t >> 8)) >> 8);
            // a / b in 0..255 with rounding; a >= b (b = 0 included) saturates at 255.
            uint8 quotient = 255;
            if (a == 0)
                quotient = 0;
            else if (a < b)
                quotient = uint8((a * 255 + b / 2) / b);
            gDivideTable[a][b] = quotient;
        }
    }
    sBuilt = true;
}

bool ByteTablesBuilt() {
    return sBuilt;
}
