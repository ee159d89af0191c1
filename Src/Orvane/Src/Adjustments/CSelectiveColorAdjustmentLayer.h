// Selective colour: adds or removes cyan, magenta, yellow (and black) in nine colour ranges (reds,
// yellows, greens, cyans, blues, magentas, whites, neutrals, blacks), each pixel mixing the ranges it
// belongs to by weights that add up to 255.
//
// Block "selc" (84 bytes): u16 version (must be 1), u16 method (0 changes by absolute amounts, any other
// value relative to what is there), a first record of four 16-bit values that is read and ignored (written
// as zeros), then nine records of four signed 16-bit percentages (cyan, magenta, yellow, black), -100..100,
// for the ranges in the order above.
#pragma once

#include "Src/Orvane/Src/Adjustments/AdjustmentTables.h"
#include "Src/Orvane/Src/Adjustments/CAdjustmentLayer.h"

struct SelectiveRecord {
    int16 cyan = 0;
    int16 magenta = 0;
    int16 yellow = 0;
    int16 black = 0;
};

// The ranges in block order.
enum SelectiveRange : int32 {
    kSelectiveReds = 0,
    kSelectiveYellows,
    kSelectiveGreens,
    kSelectiveCyans,
    kSelectiveBlues,
    kSelectiveMagentas,
    kSelectiveWhites,
    kSelectiveNeutrals,
    kSelectiveBlacks,
    kSelectiveRangeCount
};

// How much of a pixel belongs to each range it touches: the range of its largest colour (primary), of
// the mixture of its two largest (secondary), and whites, neutrals and blacks. The five weights add up
// to 255.
struct SelectiveWeights {
    int32 primaryRange;
    int32 secondaryRange;
    int32 primary;
    int32 secondary;
    int32 whites;
    int32 neutrals;
    int32 blacks;
};
SelectiveWeights ComputeSelectiveWeights(int32 inRed, int32 inGreen, int32 inBlue);

// A colour percentage scaled by the record's black percentage: round((v + 100) * (black + 100) / 100) - 100,
// halves away from zero; unchanged when black is 0.
int32 ScaleSelectiveValue(int32 inValue, int32 inBlack);
// The table of one percentage: below 0 it lifts the table's foot toward white, above 0 it pushes the
// foot toward black; inFullRange (method 0) keeps the far end at 255, otherwise the segment ends where
// the shift leaves it.
void BuildSelectiveTable(uint8* outTable, int32 inValue, bool inFullRange);

class CSelectiveColorAdjustmentLayer : public CAdjustmentLayer {
public:
    // Reads the "selc" block at inDataPosition and leaves the stream where it was. A version other than
    // 1 refuses the block (throws).
    CSelectiveColorAdjustmentLayer(const AdjustmentLayerSettings& inSettings, SReadStream& inStream,
                                   uint32 inDataPosition);

    // Each colour out is the sum over the pixel's five weights of Mul8(table[component], weight), with
    // the cyan tables for red, magenta for green and yellow for blue. The fourth byte is not written.
    void AdjustTile(const GRect& inRect, const NativeQuad* inSource, int32& ioSourceRowBytes,
                    NativeQuad* outDestination, int32& ioDestinationRowBytes) override;
    CLayer* Clone() const override;

    uint32 GetAdjustmentType() const override { return kSelectiveColorAdjustment; }
    uint32 GetDataLength() const override { return 84; }
    void WriteData(SWriteStream& inStream, uint32 inPosition) const override;
    // Table 4k + c for range k and component c (0 cyan, 1 magenta, 2 yellow, 3 black); the black
    // tables are built but never applied.
    void BuildTables() override;

    const uint8* GetTable(int32 inRange, int32 inComponent) const {
        return tables[inRange * 4 + inComponent];
    }

private:
    CSelectiveColorAdjustmentLayer(const CSelectiveColorAdjustmentLayer& inOther) = default;

    int16 method = 0;
    SelectiveRecord records[kSelectiveRangeCount];
    ByteTable tables[kSelectiveRangeCount * 4];
};
