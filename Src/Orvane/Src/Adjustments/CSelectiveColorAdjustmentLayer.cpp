#include "Src/Orvane/Src/Adjustments/CSelectiveColorAdjustmentLayer.h"

#include <algorithm>
#include <cmath>

#include "Src/Orvane/Src/Image/PixelMath.h"
#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/Pellin/Isol/SWriteStream.h"

namespace {

enum Component : int32 { kCyan = 0, kMagenta = 1, kYellow = 2, kBlack = 3 };

}  // namespace

// Ties between equal components go to the side that the comparisons below reach first: with green
// below blue the pixel is blue unless red is at least blue; otherwise green unless red is at least
// green. The secondary range is the mixture of the two largest colours.
SelectiveWeights ComputeSelectiveWeights(int32 inRed, int32 inGreen, int32 inBlue) {
    SelectiveWeights weights{};
    int32 max = 0, mid = 0, min = 0;
    if (inGreen < inBlue) {
        if (inRed < inGreen) {
            weights.primaryRange = kSelectiveBlues, weights.secondaryRange = kSelectiveCyans;
            max = inBlue, mid = inGreen, min = inRed;
        } else if (inRed < inBlue) {
            weights.primaryRange = kSelectiveBlues, weights.secondaryRange = kSelectiveMagentas;
            max = inBlue, mid = inRed, min = inGreen;
        } else {
            weights.primaryRange = kSelectiveReds, weights.secondaryRange = kSelectiveMagentas;
            max = inRed, mid = inBlue, min = inGreen;
        }
    } else {
        if (inRed < inBlue) {
            weights.primaryRange = kSelectiveGreens, weights.secondaryRange = kSelectiveCyans;
            max = inGreen, mid = inBlue, min = inRed;
        } else if (inRed < inGreen) {
            weights.primaryRange = kSelectiveGreens, weights.secondaryRange = kSelectiveYellows;
            max = inGreen, mid = inRed, min = inBlue;
        } else {
            weights.primaryRange = kSelectiveReds, weights.secondaryRange = kSelectiveYellows;
            max = inRed, mid = inGreen, min = inBlue;
        }
    }
    weights.primary = max - mid;
    weights.secondary = mid - min;
    weights.whites = std::max(0, 2 * min - 255);
    weights.blacks = std::max(0, 255 - 2 * max);
    if (max < 128)
        weights.neutrals = min + max;
    else if (min < 128)
        weights.neutrals = 255 - max + min;
    else
        weights.neutrals = 510 - max - min;
    return weights;
}

int32 ScaleSelectiveValue(int32 inValue, int32 inBlack) {
    if (inBlack == 0) return inValue;
    const double factor = (inBlack + 100) / 100.0;
    return RoundHalfAway((inValue + 100) * factor) - 100;
}

// With a = v + 100: a negative value d = 255 - (255 a + 50) / 100 raises the foot of the table to d; a
// positive one moves the point where the table leaves 0 to x = 255 - (a / 4 + 25500) / a. Values are
// held to -100..300, the span valid records can reach after black scaling, so no segment leaves the table.
void BuildSelectiveTable(uint8* outTable, int32 inValue, bool inFullRange) {
    const int32 value = std::clamp(inValue, -100, 300);
    const int32 a = value + 100;
    SetIdentity(outTable);
    if (value <= 0) {
        const int32 d = 255 - (a * 255 + 50) / 100;
        if (inFullRange) {
            SetLine(outTable, 0, 255, d, 255);
        } else {
            SetLine(outTable, 0, 255 - d, d, 255);
            if (d > 0) SetConstant(outTable, 256 - d, 255, 255);
        }
    } else {
        const int32 x = 255 - (a / 4 + 25500) / a;
        if (inFullRange)
            SetLine(outTable, x, 255, 0, 255);
        else
            SetLine(outTable, x, 255, 0, 255 - x);
        if (x > 0) SetConstant(outTable, 0, x - 1, 0);
    }
}

CSelectiveColorAdjustmentLayer::CSelectiveColorAdjustmentLayer(const AdjustmentLayerSettings& inSettings,
                                                               SReadStream& inStream, uint32 inDataPosition)
    : CAdjustmentLayer(inSettings) {
    StAdjustmentDataReader reader(inStream, inDataPosition);
    if (inStream.ReadI16() != 1) LREFUSE_ADJUSTMENT_DATA();
    method = inStream.ReadI16();
    inStream.Skip(8);
    for (SelectiveRecord& record : records) {
        record.cyan = inStream.ReadI16();
        record.magenta = inStream.ReadI16();
        record.yellow = inStream.ReadI16();
        record.black = inStream.ReadI16();
    }
    BuildTables();
}

CLayer* CSelectiveColorAdjustmentLayer::Clone() const {
    return new CSelectiveColorAdjustmentLayer(*this);
}

void CSelectiveColorAdjustmentLayer::WriteData(SWriteStream& inStream, uint32 inPosition) const {
    StAdjustmentDataWriter writer(inStream, inPosition);
    inStream.WriteI16(1);
    inStream.WriteI16(method);
    for (int32 i = 0; i < 4; ++i) inStream.WriteI16(0);
    for (const SelectiveRecord& record : records) {
        inStream.WriteI16(record.cyan);
        inStream.WriteI16(record.magenta);
        inStream.WriteI16(record.yellow);
        inStream.WriteI16(record.black);
    }
}

void CSelectiveColorAdjustmentLayer::BuildTables() {
    const bool fullRange = method == 0;
    for (int32 range = 0; range < kSelectiveRangeCount; ++range) {
        const SelectiveRecord& record = records[range];
        uint8(*rangeTables)[kTableSize] = &tables[range * 4];
        BuildSelectiveTable(rangeTables[kCyan], ScaleSelectiveValue(record.cyan, record.black), fullRange);
        BuildSelectiveTable(rangeTables[kMagenta], ScaleSelectiveValue(record.magenta, record.black),
                            fullRange);
        BuildSelectiveTable(rangeTables[kYellow], ScaleSelectiveValue(record.yellow, record.black),
                            fullRange);
        BuildSelectiveTable(rangeTables[kBlack], record.black, fullRange);
    }
}

void CSelectiveColorAdjustmentLayer::AdjustTile(const GRect& inRect, const NativeQuad* inSource,
                                                int32& ioSourceRowBytes, NativeQuad* outDestination,
                                                int32& ioDestinationRowBytes) {
    ForEachPixelPair(inRect, inSource, ioSourceRowBytes, outDestination, ioDestinationRowBytes,
                     [this](const NativeQuad& inPixel, NativeQuad& outPixel) {
                         const int32 components[3] = {inPixel.red, inPixel.green, inPixel.blue};
                         const SelectiveWeights w =
                             ComputeSelectiveWeights(components[0], components[1], components[2]);
                         uint32 out[3];
                         // Red is steered by the cyan tables, green by magenta, blue by yellow.
                         for (int32 c = 0; c < 3; ++c) {
                             const int32 v = components[c];
                             out[c] = Mul8(tables[w.primaryRange * 4 + c][v], uint32(w.primary)) +
                                      Mul8(tables[w.secondaryRange * 4 + c][v], uint32(w.secondary)) +
                                      Mul8(tables[kSelectiveWhites * 4 + c][v], uint32(w.whites)) +
                                      Mul8(tables[kSelectiveNeutrals * 4 + c][v], uint32(w.neutrals)) +
                                      Mul8(tables[kSelectiveBlacks * 4 + c][v], uint32(w.blacks));
                         }
                         outPixel.red = uint8(out[0]);
                         outPixel.green = uint8(out[1]);
                         outPixel.blue = uint8(out[2]);
                     });
}
