// CImage: construction, copying, the raster target, layer ids, change announcements and the current image.
#include "Src/Orvane/Src/Image/CImage.h"

#include "API/Platform/Platform.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/Report.h"

namespace {

CImage* sCurrentImage = nullptr;

}  // namespace

CImage::CImage(int32 inWidth, int32 inHeight) : mWidth(inWidth), mHeight(inHeight) {
    mFrames.push_back(FrameInfo(0, false));
    if (inWidth > 0 && inHeight > 0) mSelectionChannel = CChannel(GetImageRect(), 0);
}

CImage::CImage(const CImage& inOther) : LBroadcaster(), LAllocatedObject() {
    CopyContentFrom(inOther);
}

CImage& CImage::operator=(const CImage& inOther) {
    if (this == &inOther) return *this;
    DestroyLayers();
    CopyContentFrom(inOther);
    BroadcastMessage(kMsgImageReplaced, this);
    return *this;
}

CImage::~CImage() {
    if (sCurrentImage == this) sCurrentImage = nullptr;
    DestroyLayers();
    // The device goes first, then the port that drew on it.
    mRasterDevice.reset();
    mRasterPort.reset();
}

// Clones are made before anything is changed, so a failed clone leaves this image as it was.
void CImage::CopyContentFrom(const CImage& inOther) {
    std::vector<CLayer*> clones;
    clones.reserve(inOther.mLayers.size());
    try {
        for (const CLayer* layer : inOther.mLayers) clones.push_back(layer->Clone());
    } catch (...) {
        for (CLayer* clone : clones) delete clone;
        throw;
    }
    for (CLayer* clone : clones) clone->SetImage(this);
    mLayers = clones;
    mFrames = inOther.mFrames;
    mExtraChannels = inOther.mExtraChannels;
    mWidth = inOther.mWidth;
    mHeight = inOther.mHeight;
    const int32 activePosition = inOther.GetActiveLayerPosition();
    mActiveLayer = activePosition >= 0 ? mLayers[size_t(activePosition)] : nullptr;
    mActiveFrameIndex = inOther.mActiveFrameIndex;
    mFrameProperty = inOther.mFrameProperty;
    mSelectionChannel = inOther.mSelectionChannel;
    mSelectionBoundsDirty = true;
    mSelectionOwner = inOther.mSelectionOwner;
    mGlobalAngle = inOther.mGlobalAngle;
}

void CImage::DestroyLayers() {
    mActiveLayer = nullptr;
    for (CLayer* layer : mLayers) delete layer;
    mLayers.clear();
}

// The device and port are created from a descriptor of a 128 x 128 area at the start of a scratch block.
void CImage::CreateRasterPortIfNeeded() {
    if (mRasterPort != nullptr) return;
    mRasterDescriptor.Set(GRect(0, 0, 128, 128), nullptr, 512, kRasterKindPort);
    mRasterDevice.reset(new RasterDevice{mRasterDescriptor});
    if (mRasterDevice == nullptr) LREPORT("Error creating the raster dev for an image");
    mRasterPort.reset(new RasterPort{mRasterDevice.get()});
    ThrowIfNil(mRasterPort.get());
}

// t = (ticks * 3 mod 2^32) / 50, then one minimal-standard step in Schrage's form:
// 16807 * (t mod 127773) - 2836 * (t / 127773), plus 2^31 - 1 when negative.
uint32 CImage::LayerIDFromTicks(uint32 inTicks) {
    const uint32 t = uint32(inTicks * 3u) / 50u;
    const int32 seed = int32(t);
    const int32 hi = seed / 127773;
    const int32 lo = seed % 127773;
    int32 id = 16807 * lo - 2836 * hi;
    if (id < 0) id += 2147483647;
    return uint32(id);
}

uint32 CImage::NewLayerID() const {
    for (;;) {
        const uint32 id = LayerIDFromTicks(Platform::TickCount());
        if (GetLayerWithID(id) == nullptr) return id;
    }
}

// A change of one layer also keeps the active frame's record of that layer current.
void CImage::LayerChanged(const GRect& inArea, uint32 inLayerID) {
    if (inLayerID != kWholeComposite) {
        if (const CLayer* layer = GetLayerWithID(inLayerID)) {
            FrameInfo& active = mFrames[size_t(mActiveFrameIndex)];
            if (!active.HasSettingsForLayer(inLayerID) ||
                !(active.GetSettingsForLayer(inLayerID) == layer->GetSettings()))
                active.SetSettingsForLayer(inLayerID, layer->GetSettings());
        }
    }
    ImageChangeParameter parameter{inArea, inLayerID};
    BroadcastMessage(kMsgLayerChanged, &parameter);
}

void CImage::BroadcastWholeComposite() {
    LayerChanged(GetImageRect(), kWholeComposite);
}

CImage* CImage::GetCurrentImage() {
    return sCurrentImage;
}

LBroadcaster& CImage::CurrentImageBroadcaster() {
    static LBroadcaster sBroadcaster;
    return sBroadcaster;
}

void CImage::SetCurrentImage(CImage* inImage) {
    if (inImage == sCurrentImage) return;
    if (sCurrentImage != nullptr && sCurrentImage->mActiveLayer != nullptr)
        sCurrentImage->mActiveLayer->Deactivate();
    sCurrentImage = inImage;
    if (inImage != nullptr && inImage->mActiveLayer != nullptr) inImage->mActiveLayer->Activate();
    CurrentImageBroadcaster().BroadcastMessage(kMsgCurrentImageChanged, inImage);
}
