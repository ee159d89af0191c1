// CLumenarFormat: writing documents (docs/format.md describes the layout).
#include <memory>

#include "Src/Orvane/Src/Format/CImageResourceMgr.h"
#include "Src/Orvane/Src/Format/CLumenarFormat.h"
#include "Src/Orvane/Src/Format/LayerSectionWriter.h"
#include "Src/Orvane/Src/Format/LumenarRefusals.h"
#include "Src/Orvane/Src/Format/MergedImageWriter.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/CIndexedLayer.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/Report.h"
#include "Src/Pellin/Isol/SWriteStream.h"
#include "Src/PowerPellin/LProgressScope.h"
#include "Src/PowerPellin/LScratchBuffer.h"

namespace {

constexpr uint32 kWrittenDepth = 8;

// The image's active layer is put aside (pixel layers shrink to their content) while the current image
// is written, and taken up again afterwards, also when writing fails.
class StDeactivateCurrentImage {
public:
    explicit StDeactivateCurrentImage(CImage* inImage)
        : mLayer(inImage == CImage::GetCurrentImage() ? inImage->GetActiveLayer() : nullptr) {
        if (mLayer != nullptr) mLayer->Deactivate();
    }
    ~StDeactivateCurrentImage() {
        if (mLayer == nullptr) return;
        try {
            mLayer->Activate();
        } catch (...) {
            // A layer that cannot grow back (the "image too big" refusal) stays as it was written.
        }
    }
    StDeactivateCurrentImage(const StDeactivateCurrentImage&) = delete;
    StDeactivateCurrentImage& operator=(const StDeactivateCurrentImage&) = delete;

private:
    CLayer* mLayer;
};

const CIndexedLayer* FirstIndexedLayer(const CImage& inImage) {
    if (inImage.GetLayerCount() == 0) return nullptr;
    const CLayer* first = inImage.GetLayerWithPosition(0);
    if (first == nullptr || first->GetLayerType() != eIndexedLayer) return nullptr;
    return static_cast<const CIndexedLayer*>(first);
}

// Header (26 bytes): signature, version 1, six reserved zero bytes, channel count, rows, columns,
// depth, colour mode.
void WriteHeader(SWriteStream& inStream, const CImage& inImage, uint32 inChannelCount, uint32 inMode) {
    inStream.WriteFourCharCode(CLumenarFormat::kSignature);
    inStream.WriteU16(1);
    inStream.WriteU32(0);
    inStream.WriteU16(0);
    inStream.WriteU16(uint16(inChannelCount));
    inStream.WriteU32(uint32(inImage.GetHeight()));
    inStream.WriteU32(uint32(inImage.GetWidth()));
    inStream.WriteU16(uint16(kWrittenDepth));
    inStream.WriteU16(uint16(inMode));
}

// Indexed documents store the bottom layer's colour table as 256 reds, 256 greens and 256 blues.
void WriteColorModeData(SWriteStream& inStream, uint32 inMode, const CIndexedLayer* inIndexedLayer) {
    if (inMode != kModeIndexed) {
        inStream.WriteU32(0);
        return;
    }
    if (inIndexedLayer == nullptr) LREPORT("An indexed image's first layer is not indexed");
    inStream.WriteU32(768);
    uint8 planes[768] = {};
    if (inIndexedLayer != nullptr && !inIndexedLayer->GetColorTable().IsNull()) {
        const NativeQuad* colours = inIndexedLayer->GetColorTable()->Colors();
        for (int32 i = 0; i < 256; ++i) {
            planes[i] = colours[i].red;
            planes[256 + i] = colours[i].green;
            planes[512 + i] = colours[i].blue;
        }
    }
    inStream.WriteBytes(768, planes);
}

// Whether some layer's rows (pixels or mask) are wider than the scratch buffer every row is read
// through. Only a layer without pixel data in the document it came from can be that wide; writing its
// channels would make a document this reader refuses.
bool RowsTooWideToReadBack(const CImage& inImage) {
    const auto tooWide = [](const GRect& inRect) {
        return int64(inRect.right) - int64(inRect.left) > int64(LScratchBuffer::kDefaultSize);
    };
    for (int32 i = 0; i < inImage.GetLayerCount(); ++i) {
        const CLayer* layer = inImage.GetLayerWithPosition(i);
        if (tooWide(layer->GetBounds()) || (layer->HasLayerMask() && tooWide(layer->GetLayerMaskBounds())))
            return true;
    }
    return false;
}

// Whether the first layer record written is a pixel layer too large to become the active layer when the
// document is read back: the first layer read is activated, which takes its bounds united with the
// canvas, and no side of that may exceed the largest canvas. A layer that came from a document other
// than as its first can be that tall or wide.
bool FirstLayerTooLargeToActivate(const CImage& inImage) {
    const CLayer* first = nullptr;
    for (int32 i = 0; i < inImage.GetLayerCount(); ++i) {
        const CLayer* layer = inImage.GetLayerWithPosition(i);
        if (layer == nullptr) continue;
        const LayerKind kind = layer->GetLayerType();
        if (kind == eIndexedLayer) return false;  // an indexed document is written without layer records
        if (first == nullptr && (kind == eRGBLayer || kind == eAdjustmentLayer)) first = layer;
    }
    if (first == nullptr || first->GetLayerType() != eRGBLayer) return false;
    GRect target = first->GetBounds();
    target.UnionWith(inImage.GetImageRect());
    return int64(target.right) - target.left > kMaxImageDimension ||
           int64(target.bottom) - target.top > kMaxImageDimension;
}

}  // namespace

// Sections in order: header, colour-mode data, image resources, layer and mask information, merged
// image data. A document whose layer rows the reader could not read back, or whose first layer it could
// not activate, is refused as too big before anything is written. Progress: resources 0.05, each layer 0.1
// and the merged data 0.3 of the whole.
void CLumenarFormat::WriteImage(CImage* inImage, SWriteStream* inStream, LProgressScope* inProgress) {
    ThrowIfNil(inImage);
    SWriteStream& stream = *ThrowIfNil(inStream);
    StDeactivateCurrentImage deactivated(inImage);
    if (RowsTooWideToReadBack(*inImage) || FirstLayerTooLargeToActivate(*inImage))
        LTHROW_MESSAGE(LumenarRefusal::kImageTooLarge);
    CImage copy(*inImage);

    const CIndexedLayer* indexed = FirstIndexedLayer(copy);
    const uint32 colourCount = indexed != nullptr ? 1 : 3;
    mColorMode = indexed != nullptr ? kModeIndexed : kModeRGB;
    mChannelCount = colourCount + uint32(copy.GetExtraChannelCount());
    mDepth = kWrittenDepth;
    WriteHeader(stream, copy, mChannelCount, mColorMode);
    WriteColorModeData(stream, mColorMode, indexed);

    const bool haveResources = LCHECK(mRsrcMgr != 0);
    const double layerCount = copy.GetLayerCount();
    const double total = 0.05 + 0.1 * layerCount + 0.3;
    {
        LProgressScope resourcesProgress(inProgress, 0.05 / total);
        if (haveResources)
            mRsrcMgr->Write(stream, &resourcesProgress);
        else
            stream.WriteU32(0);
    }
    {
        LProgressScope layersProgress(inProgress, (0.05 + 0.1 * layerCount) / total);
        const LayerSectionWriter layers(copy);
        layers.Write(stream, &layersProgress);
    }
    {
        LProgressScope mergedProgress(inProgress, 1.0);
        MergedImageWriter merged(copy, colourCount);
        merged.Write(stream, &mergedProgress);
    }
    if (inProgress != nullptr) inProgress->SetPortionComplete(1.0);
}
