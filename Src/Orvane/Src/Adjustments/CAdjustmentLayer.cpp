#include "Src/Orvane/Src/Adjustments/CAdjustmentLayer.h"

#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/Report.h"
#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/Pellin/Isol/SWriteStream.h"

CAdjustmentLayer::CAdjustmentLayer(const AdjustmentLayerSettings& inSettings)
    : CLayer(inSettings.mName,
             LayerSettings(inSettings.mLayerID, GPoint::zero, inSettings.mVisible, inSettings.mBlendMode,
                           inSettings.mOpacity),
             inSettings.mImage) {
    SetMaskDefaultColor(inSettings.mMaskDefaultColor);
}

CAdjustmentLayer::CAdjustmentLayer(const CAdjustmentLayer& inOther) = default;

CAdjustmentLayer::~CAdjustmentLayer() = default;

void CAdjustmentLayer::GetTile(RasterPort*, RasterDevice*, RasterDescriptor*, const GRect&) {
    LREPORT("Adjustment Layer does not support Get Tile!");
}

// The layer covers what its mask covers: without a mask its bounds are empty, and it recolours only
// where a clip group it belongs to reaches.
GRect CAdjustmentLayer::GetBounds() const {
    return GetLayerMaskBounds();
}

uint32 CAdjustmentLayer::GetDataLength() const {
    return 0;
}

void CAdjustmentLayer::WriteData(SWriteStream&, uint32) const {}

StAdjustmentDataReader::StAdjustmentDataReader(SReadStream& inStream, uint32 inDataPosition)
    : mStream(inStream), mSavedPosition(inStream.GetPosition()), mDataPosition(inDataPosition) {
    if (mSavedPosition != inDataPosition) inStream.SetPosition(inDataPosition);
}

StAdjustmentDataReader::~StAdjustmentDataReader() {
    if (mStream.GetPosition() != mSavedPosition) mStream.SetPosition(mSavedPosition);
}

uint32 StAdjustmentDataReader::Consumed() const {
    return mStream.GetPosition() - mDataPosition;
}

void StAdjustmentDataReader::SkipPadding() {
    const uint32 consumed = Consumed();
    mStream.Skip(RoundUpTo4(consumed) - consumed);
}

StAdjustmentDataWriter::StAdjustmentDataWriter(SWriteStream& inStream, uint32 inPosition)
    : mStream(inStream), mSavedPosition(inStream.GetPosition()), mDataPosition(inPosition) {
    inStream.SetPosition(inPosition);
}

// Going back writes out the payload's buffered bytes, which may fail; nothing leaves a destructor, so the
// failure is reported.
StAdjustmentDataWriter::~StAdjustmentDataWriter() {
    try {
        mStream.SetPosition(mSavedPosition);
    } catch (...) {
        LREPORT("StAdjustmentDataWriter: the stream could not be put back");
    }
}

uint32 StAdjustmentDataWriter::Written() const {
    return mStream.GetPosition() - mDataPosition;
}

void StAdjustmentDataWriter::WritePadding() {
    static const uint8 kZeros[4] = {0, 0, 0, 0};
    const uint32 written = Written();
    mStream.WriteBytes(int32(RoundUpTo4(written) - written), kZeros);
}

void RefuseAdjustmentData(const char* inFile, int32 inLine) {
    ThrowMessage(kBadAdjustmentData, inFile, inLine);
}
