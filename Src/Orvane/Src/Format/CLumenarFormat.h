// The codec of "Lumenar 5" documents (layout in docs/format.md).
//
// Reading happens in two calls. ReadHeader reads the header, the colour-mode data and the image
// resources (into the resource manager given at construction, owned by the caller). ReadImage then fills
// a layered image: the layer records become layers, their channel data is decoded into them, and the
// merged image data gives the picture of a document without layers and every extra channel. Refusals
// are thrown as localized errors (LumenarRefusals.h) or as the stream's errors; whatever was read before
// a refusal stays where it is and the caller abandons the document.
#pragma once

#include <functional>
#include <vector>

#include "Src/Orvane/Src/Format/CFileFormat.h"
#include "Src/Orvane/Src/Format/LayerRecord.h"
#include "Src/Orvane/Src/Image/NativeQuadCLUT.h"
#include "Src/Pellin/Isol/GRect.h"

class CChannel;
class CImageResourceMgr;
class CLayer;

// Colour modes of the header.
enum LumenarColorMode : uint32 {
    kModeBitmap = 0,
    kModeGrayscale = 1,
    kModeIndexed = 2,
    kModeRGB = 3,
    kModeCMYK = 4,
    kModeMultichannel = 7,
    kModeDuotone = 8,
    kModeLab = 9,
};

class CLumenarFormat : public CFileFormat {
public:
    static constexpr uint32 kSignature = FourCC("ZQLM");
    static constexpr uint32 kMaxDimension = 30000;

    // The manager receives the document's image resources; it is not owned and may be null only for
    // documents without resources (an assertion otherwise).
    explicit CLumenarFormat(CImageResourceMgr* inResourceManager);
    ~CLumenarFormat() override;

    void ReadHeader() override;
    void ReadImage(CImage* inImage, LProgressScope* inProgress) override;
    void WriteImage(CImage* inImage, SWriteStream* inStream, LProgressScope* inProgress) override;

    // What the header said (valid after ReadHeader).
    uint16 GetVersion() const { return mVersion; }
    uint32 GetColorMode() const { return mColorMode; }
    // The colour table of an indexed document (256 entries, alpha 255); null for other modes.
    const NativeQuadCLUTRef& GetColorTable() const { return mColorTable; }
    // The records of the layer section in file order (after ReadImage).
    const std::vector<LayerRecord>& GetLayerRecords() const { return mLayerRecords; }
    // Whether the merged image data starts with a transparency channel.
    bool MergedHasTransparency() const { return mMergedHasTransparency; }
    bool LayerCountNegative() const { return mLayerCountNegative; }
    // Whether the global mask length was found one byte early and read again.
    bool GlobalMaskSteppedBack() const { return mGlobalMaskSteppedBack; }

private:
    // The two passes over the layer section (called by ReadImage; see docs/format.md, section 5).
    void ReadLayerRecords();
    void ReadLayerData(LProgressScope* inProgress);
    // The layer data of a stack that FlattenImageInBands can merge (CLumenarFormatBands.cpp): every
    // record an RGB layer inside the canvas with its four colour channels (and its mask), all of them
    // decodable without a fault. False, with nothing read, for any other stack.
    bool MergeLayerDataInBands(LProgressScope* inProgress);

    // Decodes the stored rows of one channel. inLineCounts[inCursor ...] are the packed sizes of the
    // rows when inPacked. The rows go to the layer that record inRecordIndex became, by kind and mode.
    void ReadChannelRows(const GRect& inRect, bool inPacked, const std::vector<uint16>& inLineCounts,
                         uint32 inCursor, uint32 inKind, CLayer* inLayer, LProgressScope* inProgress);
    // The same into an extra channel.
    void ReadExtraChannel(const GRect& inRect, bool inPacked, const std::vector<uint16>& inLineCounts,
                          uint32 inCursor, CChannel& outChannel);

    void ReadColorModeData();
    void ReadImageResources();
    void CheckColorMode(uint32 inMode) const;
    // The layer and mask section; returns whether the merged data still has to give the picture.
    bool ReadLayerAndMaskInfo(LProgressScope* inProgress);
    void ReadGlobalMaskInfo(uint64 inSectionEnd);
    void ReadMergedImageData(bool inReadMerged, LProgressScope* inProgress);
    void SkipMergedChannel(bool inPacked, const std::vector<uint16>& inLineCounts, uint32 inCursor);
    CLayer* MakeBackgroundLayer();
    // Returns the channel's compression code.
    uint16 ReadLayerChannel(const ChannelLength& inChannel, CLayer* inLayer, const LayerRecord& inRecord);
    // Decodes the first four channels of an RGB layer's record together, when they allow it; false (the
    // stream back where it was) leaves them to ReadLayerChannel.
    bool ReadQuadRecord(LayerRecord& ioRecord, CLayer* inLayer);
    void ReadRecordChannels(LayerRecord& ioRecord, CLayer* inLayer, size_t inFirst);
    void ApplyRecordSettings(CLayer* inLayer, const LayerRecord& inRecord);
    CLayer* MakeRecordLayer(const LayerRecord& inRecord, const GRect& inBounds, uint32 inLayerID);
    // Bytes per stored row of a rectangle inWidth wide at the document's depth.
    uint64 RowBytes(int64 inWidth) const;

    // Where decoded rows go: a batch of rows of a rectangle, a stride apart, one byte per pixel. An empty
    // store drops the rows.
    using RowStore = std::function<void(const GRect& inRect, const uint8* inRows, int32 inStride)>;
    void DecodeRows(const GRect& inRect, bool inPacked, const std::vector<uint16>& inLineCounts,
                    uint32 inCursor, const RowStore& inStore, LProgressScope* inProgress);
    // The indexed document's destinations (CLumenarFormatIndexed.cpp): the background layer, and what
    // becomes of colour-index rows meant for a layer (nothing for layers that hold no indexes).
    CLayer* MakeIndexedBackground(const GRect& inBounds, uint32 inLayerID);
    RowStore IndexRowStore(CLayer* inLayer);

    CImage* mImage = nullptr;  // the target of ReadImage, owned by its caller
    CImageResourceMgr* mRsrcMgr;
    uint16 mVersion = 0;
    uint32 mReserved1 = 0;
    uint16 mReserved2 = 0;
    uint32 mColorMode = 0;
    bool mMergedHasTransparency = false;
    bool mLayerCountNegative = false;
    bool mGlobalMaskSteppedBack = false;
    std::vector<LayerRecord> mLayerRecords;
    std::vector<CLayer*> mRecordLayers;  // the layer each record became (null: left out); not owned
    NativeQuadCLUTRef mColorTable;
    // Bytes of packed rows that their line counts cannot fill, over the whole document; see DecodeRows.
    uint64 mUnbackedRowBytes = 0;
    // Packed rows whose line counts cannot possibly fill them (a 2-byte run packet yields at most 128
    // bytes) would make a tiny document claim a huge picture. Up to this many such row bytes per document
    // are decoded as the rows say; beyond it the document is refused.
    static constexpr uint64 kUnbackedRowByteLimit = uint64(1) << 24;
};
