// CLumenarFormat: the two passes over the layer records (docs/format.md, sections 5.1 to 5.5).
#include <algorithm>
#include <memory>
#include <string>

#include "Src/Orvane/Src/Adjustments/AdjustmentLayerFactory.h"
#include "Src/Orvane/Src/Compositing/BlendModeKeys.h"
#include "Src/Orvane/Src/Format/CLumenarFormat.h"
#include "Src/Orvane/Src/Format/LumenarRefusals.h"
#include "Src/Orvane/Src/Format/StreamBounds.h"
#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/CRGBLayer.h"
#include "Src/Orvane/Src/Image/TTiledPlane.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/PowerPellin/LProgressScope.h"

namespace {

// The shortest record: rectangle, channel count, blend signature and key, four bytes of settings and the
// extra length, with no channels and no extra data.
constexpr uint64 kSmallestRecordBytes = 34;

// A layer (or mask) rectangle as it will be held: united with the canvas. The canvas limit belongs to
// activating the first layer and to growing a mask, not to reading; a rectangle the engine's tiled
// planes cannot hold at all (only damaged input comes near) is refused as too large.
GRect CanvasUnion(const GRect& inStored, const GRect& inCanvas) {
    const GRect united = inStored.Union(inCanvas);
    if (!TiledPlaneCanHold(united)) LTHROW_MESSAGE(LumenarRefusal::kImageTooLarge);
    return united;
}

}  // namespace

void CLumenarFormat::ReadLayerRecords() {
    SReadStream& stream = *mReadStream;
    int32 count = stream.ReadI16();
    if (count == 0) return;
    if (count < 0) {
        mLayerCountNegative = true;
        count = -count;
        --mChannelCount;
    }
    // The count comes from the file: room is set aside only for the records the file can hold.
    const size_t expected =
        size_t(std::min<uint64>(uint64(count), StreamBounds::BytesLeft(stream) / kSmallestRecordBytes + 1));
    mLayerRecords.reserve(expected);
    mRecordLayers.reserve(expected);

    const GRect canvas = mImage->GetImageRect();
    for (int32 i = 0; i < count; ++i) {
        LayerRecord record;
        record.Read(stream);
        const GRect bounds = CanvasUnion(record.mBounds, canvas);
        const GRect maskBounds = record.mHasMask ? CanvasUnion(record.mMaskBounds, canvas) : GRect();
        // Only a missing id (0) is replaced. A stored id an earlier layer already has is kept: lookups by
        // id then find the earlier layer (its mask, if this record has one, goes there, or is refused
        // when that layer already has one).
        const uint32 layerID = record.mLayerID != 0 ? record.mLayerID : mImage->NewLayerID();

        mLayerRecords.push_back(record);
        std::unique_ptr<CLayer> owned(MakeRecordLayer(record, bounds, layerID));
        CLayer* layer = owned.get();
        if (layer == nullptr) {
            mRecordLayers.push_back(nullptr);
            continue;
        }
        if (record.mHasEffects) layer->SetEffects(record.mEffects);
        mImage->AddLayer(owned.release(), false, -1, false);
        mRecordLayers.push_back(layer);
        if (record.mHasMask) {
            layer->SetMaskDefaultColor(record.mMaskDefaultColor);
            mImage->AddLayerMask(layerID, record.mMaskDefaultColor, maskBounds);
            if (layer->GetLayerType() == eAdjustmentLayer) layer->SetAdjustmentMask(true);
        }
    }
}

// Adjustment records become the factory's layer; a type the factory cannot build yet leaves the record
// without a layer (its channels are still read, into nowhere). Every other record becomes an RGB layer,
// opaque white when it stores no transparency (fewer than 4 channels), transparent white otherwise and
// always in grayscale documents.
CLayer* CLumenarFormat::MakeRecordLayer(const LayerRecord& inRecord, const GRect& inBounds,
                                        uint32 inLayerID) {
    if (inRecord.mHasAdjustment) {
        const GRect adjustmentBounds = inRecord.mMaskBounds.Union(mImage->GetImageRect());
        CLayer* layer =
            CreateAdjustmentLayer(mImage, inRecord.mName, true, adjustmentBounds, kBlendNormal, 255,
                                  inRecord.mMaskDefaultColor, inLayerID, inRecord.mAdjustmentType,
                                  *mReadStream, inRecord.mAdjustmentPosition, inRecord.mAdjustmentLength);
        if (layer == nullptr) {
            LREPORT("CLumenarFormat::ReadLayerRecords: adjustment layer not available -- layer left out");
            return nullptr;
        }
        layer->SetMaskDefaultColor(inRecord.mMaskDefaultColor);
        return layer;
    }
    const bool opaque = inRecord.mChannelCount < 4 && mColorMode != kModeGrayscale;
    return new CRGBLayer(mImage, CNativeQuadTileBuffer(inBounds, opaque ? kOpaqueWhite : kTransparentWhite),
                         inRecord.mName, true, kBlendNormal, 255, inLayerID);
}

void CLumenarFormat::ReadLayerData(LProgressScope* inProgress) {
    const size_t count = mLayerRecords.size();
    for (size_t i = 0; i < count; ++i) {
        LayerRecord& record = mLayerRecords[i];
        CLayer* layer = mRecordLayers[i];
        if (layer != nullptr) ApplyRecordSettings(layer, record);
        ReadRecordChannels(record, layer, ReadQuadRecord(record, layer) ? 4 : 0);
        if (layer != nullptr) layer->Deactivate();
        if (inProgress != nullptr) inProgress->SetPortionComplete(double(i + 1) / double(count));
    }
}

// The channels from inFirst on, one after the other, each checked to end where its length says.
void CLumenarFormat::ReadRecordChannels(LayerRecord& ioRecord, CLayer* inLayer, size_t inFirst) {
    for (size_t i = inFirst; i < ioRecord.mChannels.size(); ++i) {
        ChannelLength& channel = ioRecord.mChannels[i];
        const uint32 beginChannelPos = mReadStream->GetPosition();
        channel.SetStoredCompression(ReadLayerChannel(channel, inLayer, ioRecord));
        LCHECK_AS(mReadStream->GetPosition() - beginChannelPos == channel.GetLength(),
                  "(mReadStream->GetPos() - beginChannelPos) == (uint32) channel.GetLength()");
    }
}

// Mask flags: bit 0 not linked, bit 1 disabled, bit 2 inverted. Record flags: bit 0 transparency
// protected (RGB layers only), bit 1 hidden.
void CLumenarFormat::ApplyRecordSettings(CLayer* inLayer, const LayerRecord& inRecord) {
    const bool hasMask = inRecord.mHasMask;
    inLayer->SetOpacity(inRecord.mOpacity);
    inLayer->SetMaskInverted(hasMask && (inRecord.mMaskFlags & kMaskInverted) != 0);
    inLayer->SetMaskLinked(!(hasMask && (inRecord.mMaskFlags & kMaskNotLinked) != 0));
    inLayer->SetMaskEnabled(!(hasMask && (inRecord.mMaskFlags & kMaskDisabled) != 0));
    if (inLayer->GetLayerType() == eRGBLayer)
        static_cast<CRGBLayer*>(inLayer)->SetTransparencyProtected(
            (inRecord.mFlags & kRecordTransparencyProtected) != 0);
    inLayer->SetVisible((inRecord.mFlags & kRecordHidden) == 0);
    inLayer->SetName(inRecord.mName);
    inLayer->SetClipping(inRecord.mClipping);
    inLayer->SetBlendMode(LayerBlendModeFromKey(inRecord.mBlendKey));
}
