#include "Src/Orvane/Src/Adjustments/CColorBalanceAdjustmentLayer.h"

#include <algorithm>
#include <cmath>

#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/Pellin/Isol/SWriteStream.h"

CColorBalanceAdjustmentLayer::CColorBalanceAdjustmentLayer(const AdjustmentLayerSettings& inSettings,
                                                           SReadStream& inStream, uint32 inDataPosition)
    : C3dLutAdjustmentLayer(inSettings) {
    StAdjustmentDataReader reader(inStream, inDataPosition);
    for (int16& value : values) value = inStream.ReadI16();
    preserveLuminosity = inStream.ReadU8() != 0;
    BuildTables();
}

CLayer* CColorBalanceAdjustmentLayer::Clone() const {
    return new CColorBalanceAdjustmentLayer(*this);
}

void CColorBalanceAdjustmentLayer::WriteData(SWriteStream& inStream, uint32 inPosition) const {
    StAdjustmentDataWriter writer(inStream, inPosition);
    for (int16 value : values) inStream.WriteI16(value);
    inStream.WriteU8(preserveLuminosity ? 1 : 0);
}

void CColorBalanceAdjustmentLayer::BuildTables() {
    BuildAxisTable(0, redTable);
    BuildAxisTable(1, greenTable);
    BuildAxisTable(2, blueTable);
}

// Each table is black up to x1, a gamma segment from (x1, 0) to (x2, 255) with gamma 2^(m / 100), and
// white from x2 on. Shadows move the black point, highlights the white point and the midtones (less half
// the shift the end points already made) the gamma. Preserving luminosity measures every axis against
// the others: the largest shadow and smallest highlight leave their axes' end points alone, and the
// midtones count from the middle of their spread. Divisions truncate toward zero.
void CColorBalanceAdjustmentLayer::BuildAxisTable(int32 inAxis, uint8* outTable) const {
    const int32 shadow = Value(kShadows, inAxis);
    const int32 midtone = Value(kMidtones, inAxis);
    const int32 highlight = Value(kHighlights, inAxis);
    int32 x1 = 0;
    int32 x2 = 0;
    int32 m = 0;
    if (!preserveLuminosity) {
        x1 = std::max(0, -shadow);
        x2 = std::min(255, 255 - highlight);
        m = midtone - (-highlight - shadow) / 2;
    } else {
        int32 maxShadow = Value(kShadows, 0);
        int32 minHighlight = Value(kHighlights, 0);
        int32 minMidtone = Value(kMidtones, 0);
        int32 maxMidtone = minMidtone;
        for (int32 axis = 1; axis < 3; ++axis) {
            maxShadow = std::max<int32>(maxShadow, Value(kShadows, axis));
            minHighlight = std::min<int32>(minHighlight, Value(kHighlights, axis));
            minMidtone = std::min<int32>(minMidtone, Value(kMidtones, axis));
            maxMidtone = std::max<int32>(maxMidtone, Value(kMidtones, axis));
        }
        x1 = maxShadow - shadow;
        x2 = 255 - highlight + minHighlight;
        m = midtone - (minMidtone + maxMidtone) / 2;
    }
    // Values outside the editor's -100..100 could push the end points off the table and the gamma
    // beyond what a gamma table can hold; they are held to the table and to gammas of 1/128..128.
    x1 = std::clamp(x1, 0, 255);
    x2 = std::clamp(x2, 0, 255);
    m = std::clamp(m, -700, 700);

    SetConstant(outTable, 0, x1, 0);
    if (x2 > x1 + 1) SetGammaLine(outTable, x1, x2, 0, 255, m == 0 ? 1.0 : std::pow(2.0, m / 100.0));
    SetConstant(outTable, x2, 255, 255);
}
