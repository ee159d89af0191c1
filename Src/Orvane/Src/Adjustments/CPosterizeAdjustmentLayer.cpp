#include "Src/Orvane/Src/Adjustments/CPosterizeAdjustmentLayer.h"

#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/Pellin/Isol/SWriteStream.h"

CPosterizeAdjustmentLayer::CPosterizeAdjustmentLayer(const AdjustmentLayerSettings& inSettings,
                                                     SReadStream& inStream, uint32 inDataPosition)
    : C1dLutAdjustmentLayer(inSettings) {
    StAdjustmentDataReader block(inStream, inDataPosition);
    levels = inStream.ReadI16();
    BuildTables();
}

CLayer* CPosterizeAdjustmentLayer::Clone() const {
    return new CPosterizeAdjustmentLayer(*this);
}

void CPosterizeAdjustmentLayer::WriteData(SWriteStream& inStream, uint32 inPosition) const {
    StAdjustmentDataWriter block(inStream, inPosition);
    inStream.WriteI16(int16(levels));
    inStream.WriteU16(0);
}

void CPosterizeAdjustmentLayer::BuildTables() {
    BuildPosterizeTable(table, levels);
}

// 32 levels keep the top five bits of a component and widen them back to eight by repeating their top
// bits (q * 8 + q / 4). Any other count n maps i to ((n * i) >> 8) * 255 / (n - 1), truncated, low 8
// bits kept: for 2 <= n <= 256 exactly n outputs from 0 to 255. A count below 2 has no such spread (1
// would divide by zero) and is taken as 2.
void BuildPosterizeTable(uint8* outTable, int32 inLevels) {
    const int32 n = inLevels < 2 ? 2 : inLevels;
    for (int32 i = 0; i < kTableSize; ++i) {
        if (n == 32) {
            const int32 q = i >> 3;
            outTable[i] = uint8(q * 8 + (q >> 2));
        } else {
            outTable[i] = uint8(((n * i) >> 8) * 255 / (n - 1));
        }
    }
}
