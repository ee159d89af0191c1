// CLumenarFormat: the layer and mask section's framing and the merged image data (docs/format.md,
// sections 5 and 6.3).
#include <algorithm>
#include <memory>
#include <vector>

#include "Src/Orvane/Src/Compositing/CImageComposite.h"
#include "Src/Orvane/Src/Format/CLumenarFormat.h"
#include "Src/Orvane/Src/Format/LumenarRefusals.h"
#include "Src/Orvane/Src/Format/StreamBounds.h"
#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Orvane/Src/Image/CChannel.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/CRGBLayer.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/PowerPellin/LProgressScope.h"

namespace {

// Some writers declare the layer information one byte longer than they wrote; the global mask length
// 14 then reads shifted by one byte as 0x00000E00.
constexpr uint32 kShiftedGlobalMaskLength = 0x00000E00;

}  // namespace

void CLumenarFormat::ReadImage(CImage* inImage, LProgressScope* inProgress) {
    mImage = ThrowIfNil(inImage);
    ThrowIfNil(mReadStream);
    if (mVersion == 1) {
        const bool readMerged = ReadLayerAndMaskInfo(inProgress);
        ReadMergedImageData(readMerged, inProgress);
    }
    if (inProgress != nullptr) inProgress->SetPortionComplete(1.0);
}

// Section: u32 length L; when L >= 4 the layer information (u32 length N, then N bytes); when 4 bytes
// of the section remain, the global mask information. Every block must end inside what frames it.
bool CLumenarFormat::ReadLayerAndMaskInfo(LProgressScope* inProgress) {
    SReadStream& stream = *mReadStream;
    const uint32 sectionLength = stream.ReadU32();
    const uint64 sectionEnd = uint64(stream.GetPosition()) + sectionLength;
    bool readMerged = true;
    mMergedHasTransparency = false;

    if (sectionLength >= 4) {
        const uint32 infoLength = stream.ReadU32();
        const uint64 infoStart = stream.GetPosition();
        const uint64 infoEnd = infoStart + infoLength;
        if (infoEnd > sectionEnd) LTHROW_MESSAGE(LumenarRefusal::kUnknownFormat);
        if (infoLength != 0) {
            ReadLayerRecords();
            if (stream.GetPosition() > infoEnd) LTHROW_MESSAGE(LumenarRefusal::kUnknownFormat);
            {
                LProgressScope dataProgress(inProgress, 0.9);
                if (!mMergeWhileReading || !MergeLayerDataInBands(&dataProgress))
                    ReadLayerData(&dataProgress);
            }
            readMerged = false;
            if (stream.GetPosition() > infoEnd) LTHROW_MESSAGE(LumenarRefusal::kUnknownFormat);
            StreamBounds::MoveTo(stream, infoEnd);
            mMergedHasTransparency = mLayerCountNegative;
        }
    }
    if (sectionEnd >= stream.GetPosition() && sectionEnd - stream.GetPosition() >= 4)
        ReadGlobalMaskInfo(sectionEnd);
    if (stream.GetPosition() > sectionEnd) LTHROW_MESSAGE(LumenarRefusal::kUnknownFormat);
    StreamBounds::MoveTo(stream, sectionEnd);
    return readMerged;
}

// u32 length G, then colour space (u16), four components (4 x u16), opacity (u16), kind (u8) and a
// filler (u8); the values are not used.
void CLumenarFormat::ReadGlobalMaskInfo(uint64 inSectionEnd) {
    SReadStream& stream = *mReadStream;
    const uint32 lengthPosition = stream.GetPosition();
    uint32 length = stream.ReadU32();
    if (length == kShiftedGlobalMaskLength) {
        StreamBounds::MoveTo(stream, uint64(lengthPosition) - 1);
        length = stream.ReadU32();
        mGlobalMaskSteppedBack = true;
    }
    const uint64 dataStart = stream.GetPosition();
    const uint64 dataEnd = dataStart + length;
    if (dataEnd > inSectionEnd) LTHROW_MESSAGE(LumenarRefusal::kUnknownFormat);
    if (length == 0) return;
    stream.ReadU16();
    for (int32 i = 0; i < 4; ++i) stream.ReadU16();
    stream.ReadU16();
    stream.ReadU8();
    stream.ReadU8();
    if (stream.GetPosition() > dataEnd) LTHROW_MESSAGE(LumenarRefusal::kUnknownFormat);
    StreamBounds::MoveTo(stream, dataEnd + (mGlobalMaskSteppedBack ? 1 : 0));
}

// Compression code (u16: 0 raw, 1 packed), then when packed one table of u16 packed sizes for every row
// of every stored channel, then the channels' rows one channel after another. A leading transparency
// channel (negative layer count) is skipped; the colour channels give the picture of a document without
// layers and are skipped otherwise; every later channel is an extra channel.
void CLumenarFormat::ReadMergedImageData(bool inReadMerged, LProgressScope* inProgress) {
    SReadStream& stream = *mReadStream;
    const bool readMerged = inReadMerged;
    const uint32 channels = mChannelCount;
    const uint64 storedChannels = uint64(channels) + (mMergedHasTransparency ? 1 : 0);
    const uint16 compression = stream.ReadU16();
    if (compression >= 2) LTHROW_MESSAGE(LumenarRefusal::kUnknownFormat);
    const bool packed = compression == 1;
    if (packed && mDepth == 16) LTHROW_MESSAGE(LumenarRefusal::kUnknownFormat);
    std::vector<uint16> lineCounts;
    if (packed) StreamBounds::ReadLineCountTable(stream, uint64(mRows) * storedChannels, lineCounts);

    uint32 cursor = 0;
    if (mMergedHasTransparency) {
        LASSERT(!readMerged);
        SkipMergedChannel(packed, lineCounts, cursor);
        cursor += mRows;
    }
    CLayer* background = nullptr;
    if (readMerged) {
        background = MakeBackgroundLayer();
        mImage->AddLayer(background, false, -1, false);
    }

    const GRect canvas(0, 0, int32(mColumns), int32(mRows));
    const uint32 colourChannels = (mColorMode == kModeGrayscale || mColorMode == kModeIndexed) ? 1 : 3;
    LProgressScope mergedProgress(inProgress, 1.0);
    for (uint32 i = 0; i < channels; ++i) {
        LProgressScope channelProgress(&mergedProgress, double(i + 1) / double(channels));
        if (i < colourChannels && !readMerged) {
            SkipMergedChannel(packed, lineCounts, cursor);
        } else if (i < colourChannels) {
            ReadChannelRows(canvas, packed, lineCounts, cursor, i, background, &channelProgress);
        } else {
            CChannel extra(canvas, 0);
            ReadExtraChannel(canvas, packed, lineCounts, cursor, extra);
            mImage->AddExtraChannel(extra);
        }
        cursor += mRows;
    }
    // Flattening needs an active layer: an indexed document whose records all became no layer has none,
    // and stays without layers.
    if (mColorMode == kModeIndexed && mImage->GetActiveLayer() != nullptr) {
        LProgressScope flattenProgress(inProgress, 1.0);
        FlattenImage(*mImage, &flattenProgress);
    }
}

// A channel's rows are passed over by their packed sizes, or by rows x rowBytes when raw.
void CLumenarFormat::SkipMergedChannel(bool inPacked, const std::vector<uint16>& inLineCounts,
                                       uint32 inCursor) {
    uint64 bytes = 0;
    if (inPacked) {
        for (uint32 i = 0; i < mRows && size_t(inCursor) + i < inLineCounts.size(); ++i)
            bytes += inLineCounts[inCursor + i];
    } else {
        bytes = uint64(mRows) * RowBytes(mColumns);
    }
    StreamBounds::MoveTo(*mReadStream, uint64(mReadStream->GetPosition()) + bytes);
}

// The layer of a document without layers: the document's size, normal blend, full opacity; opaque
// white until the rows arrive (an indexed document's takes its colours from the colour table).
CLayer* CLumenarFormat::MakeBackgroundLayer() {
    const GRect bounds(0, 0, int32(mColumns), int32(mRows));
    const uint32 layerID = mImage->NewLayerID();
    if (mColorMode == kModeIndexed) return MakeIndexedBackground(bounds, layerID);
    return new CRGBLayer(mImage, CNativeQuadTileBuffer(bounds, kOpaqueWhite), std::string(), true,
                         kBlendNormal, 255, layerID);
}
