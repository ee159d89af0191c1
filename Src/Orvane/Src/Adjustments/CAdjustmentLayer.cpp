#include "Src/Orvane/Src/Adjustments/CAdjustmentLayer.h"

#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/Report.h"
#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/Pellin/Isol/SWriteStream.h"

CAdjustmentLayer::CAdjustmentLayer(const AdjustmentLayerSettings& inSettings)
    : CLayer(inSettings.mName,
             LayerSettings(inSettings.mLayerID, GPoint::zero, inSettings.mVisible, inSettings.mBlendMode,
                           inSettings.mOpacity),
             inSettings.mImage),
      mBounds(inSettings.mBounds) {
    SetMaskDefaultColor(inSettings.mMaskDefaultColor);
}

CAdjustmentLayer::CAdjustmentLayer(const CAdjustmentLayer& inOther) = default;

CAdjustmentLayer::~CAdjustmentLayer() = default;

void CAdjustmentLayer::GetTile(RasterPort*, RasterDevice*, RasterDescriptor*, const GRect&) {
    LREPORT("Adjustment Layer does not support Get Tile!");
}

// A layer read from a document always gets a mask when its record has one; without one it covers the
// rectangle it was built with (the canvas, for a layer read from a document), so that it still recolours
// everything beneath it through its mask default colour.
GRect CAdjustmentLayer::GetBounds() const { return HasLayerMask() ? GetLayerMaskBounds() : mBounds; }

uint32 CAdjustmentLayer::GetDataLength() const { return 0; }

void CAdjustmentLayer::WriteData(SWriteStream&, uint32) const {}

StAdjustmentDataReader::StAdjustmentDataReader(SReadStream& inStream, uint32 inDataPosition)
    : mStream(inStream), mSavedPosition(inStream.GetPosition()), mDataPosition(inDataPosition) {
    if (mSavedPosition != inDataPosition) inStream.SetPosition(inDataPosition);
}

StAdjustmentDataReader::~StAdjustmentDataReader() {
    if (mStream.GetPosition() != mSavedPosition) mStream.SetPosition(mSavedPosition);
}

uint32 StAdjustmentDataReader::Consumed() const { return mStream.GetPosition() - mDataPosition; }

void StAdjustmentDataReader::SkipPadding() {
    const uint32 consumed = Consumed();
    mStream.Skip(RoundUpTo4(consumed) - consumed);
}

StAdjustmentDataWriter::StAdjustmentDataWriter(SWriteStream& inStream, uint32 inPosition)
    : mStream(inStream), mSavedPosition(inStream.GetPosition()), mDataPosition(inPosition) {
    inStream.SetPosition(inPosition);
}

StAdjustmentDataWriter::~StAdjustmentDataWriter() { mStream.SetPosition(mSavedPosition); }

uint32 StAdjustmentDataWriter::Written() const { return mStream.GetPosition() - mDataPosition; }

void StAdjustmentDataWriter::WritePadding() {
    static const uint8 kZeros[4] = {0, 0, 0, 0};
    const uint32 written = Written();
    mStream.WriteBytes(int32(RoundUpTo4(written) - written), kZeros);
}

void RefuseAdjustmentData(const char* inFile, int32 inLine) { ThrowMessage(kBadAdjustmentData, inFile, inLine); }
