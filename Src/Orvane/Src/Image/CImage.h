// The layered image: a canvas, an ordered stack of layers (position 0 is the bottom), the active layer,
// clip groups and link groups over the stack, extra channels, a selection and the animation frames that
// remember every layer's settings.
//
// The image owns its layers, frames and channels. Every change is announced to its listeners with one
// of the four-character messages below. Failures leave the stack as it was before the failing step.
#pragma once

#include <memory>
#include <vector>

#include "Src/Orvane/Src/Image/CChannel.h"
#include "Src/Orvane/Src/Image/CLayer.h"
#include "Src/Orvane/Src/Image/FrameInfo.h"
#include "Src/Orvane/Src/Image/NativeQuad.h"
#include "Src/Orvane/Src/Image/RasterDescriptor.h"
#include "Src/Pellin/Isol/Allocator.h"
#include "Src/Pellin/Isol/ZString.h"
#include "Src/PowerPellin/LBroadcaster.h"

class CNativeQuadTileBuffer;
class LProgressScope;

// Messages an image broadcasts (the current-image message goes out on CImage::CurrentImageBroadcaster).
enum ImageMessage : uint32 {
    kMsgCurrentImageChanged = FourCC("im01"),      // parameter: the new current image (or null)
    kMsgLayerChanged = FourCC("im02"),             // parameter: ImageChangeParameter (id -1: whole composite)
    kMsgChannelPixelsChanged = FourCC("im03"),     // parameter: GRect
    kMsgSelectionReplaced = FourCC("im04"),        // parameter: GRect (the selection bounds)
    kMsgActiveLayerChanged = FourCC("im05"),       // parameter: the new active CLayer
    kMsgLayerListChanged = FourCC("im06"),         // parameter: this image
    kMsgLayerOrderChanged = FourCC("im07"),        // parameter: the moved CLayer
    kMsgGeometryChanged = FourCC("im08"),          // parameter: this image
    kMsgActiveFrameChanged = FourCC("im09"),       // parameter: the new index (int32)
    kMsgFrameListChanged = FourCC("im0a"),         // parameter: this image
    kMsgFrameMoved = FourCC("im0b"),               // parameter: the new index (int32)
    kMsgLayerPropertiesChanged = FourCC("im0c"),   // parameter: the layer id (uint32)
    kMsgExtraChannelListChanged = FourCC("im0d"),  // parameter: this image
    kMsgLayerMaskChanged = FourCC("im0e"),         // parameter: the layer id (uint32)
    kMsgImageReplaced = FourCC("im0f"),            // parameter: this image
};

// Parameter of kMsgLayerChanged.
struct ImageChangeParameter {
    GRect mArea;
    uint32 mLayerID = kInvalidLayerID;  // kWholeComposite for a change of the whole composite
};

inline constexpr uint32 kWholeComposite = 0xFFFFFFFF;
inline constexpr int32 kLayerNotFound = -1;
// Channel kinds of GetEntireCompositeChannel.
enum CompositeChannelKind : int32 {
    kCompositeRed = 0,
    kCompositeGreen = 1,
    kCompositeBlue = 2,
    kCompositeAlpha = 3,
    kCompositeLayerMask = 4
};

class CImage : public LBroadcaster, public LAllocatedObject {
public:
    // An empty image: one frame, no layers, an empty selection over the canvas, no active layer.
    CImage(int32 inWidth, int32 inHeight);
    // Clones every layer, copies frames, channels, selection and properties; the clone at the source's
    // active position is active. The raster port is not copied.
    CImage(const CImage& inOther);
    // Replaces everything as the copy constructor would, then broadcasts kMsgImageReplaced.
    CImage& operator=(const CImage& inOther);
    ~CImage() override;

    int32 GetWidth() const { return mWidth; }
    int32 GetHeight() const { return mHeight; }
    GRect GetImageRect() const { return GRect(0, 0, mWidth, mHeight); }
    int32 GetFrameProperty() const { return mFrameProperty; }
    void SetFrameProperty(int32 inValue) { mFrameProperty = inValue; }
    int32 GetGlobalAngle() const { return mGlobalAngle; }
    void SetGlobalAngle(int32 inDegrees) { mGlobalAngle = inDegrees; }

    // ---- Layer stack (CImageStack.cpp) ----
    int32 GetLayerCount() const { return int32(mLayers.size()); }
    // Null (and a report) outside [0, count).
    CLayer* GetLayerWithPosition(int32 inPosition) const;
    CLayer* GetLayerWithID(uint32 inLayerID) const;
    int32 GetLayerPosition(const CLayer* inLayer) const;   // kLayerNotFound when absent
    int32 GetLayerPositionWithID(uint32 inLayerID) const;  // kLayerNotFound when absent
    // Takes ownership, also when it throws: a layer that could not be inserted is destroyed, and one that
    // was stays in the stack when a later step (activating the first layer) throws. Position -1 appends on
    // top; inserting between two layers of one clip group joins it. A null layer throws the "layer is
    // invalid" error.
    void AddLayer(CLayer* inLayer, bool inMakeActive, int32 inPosition, bool inVisibleInOtherFrames);
    // Destroys the layer. Refused with the "last layer" error when it is the only one.
    void RemoveLayer(CLayer* inLayer, bool inNotify);
    void RemoveLayerAtPosition(int32 inPosition, bool inNotify);
    // Takes ownership of inNewLayer, which takes the id, place and active status of the layer with
    // inLayerID; that layer is destroyed. An unknown id throws (inNewLayer is then destroyed too).
    void ReplaceLayer(uint32 inLayerID, CLayer* inNewLayer, bool inNotify);
    void MoveLayer(CLayer* inLayer, int32 inNewPosition);

    CLayer* GetActiveLayer() const { return mActiveLayer; }
    void SetActiveLayer(CLayer* inLayer);
    // An invalid position selects the bottom layer when there is one.
    void SetActiveLayerByPosition(int32 inPosition);
    void SetActiveLayerByID(uint32 inLayerID);
    uint32 GetActiveLayerID() const;       // kInvalidLayerID (-1) when there is none
    int32 GetActiveLayerPosition() const;  // kLayerNotFound when there is none

    // A fresh id from the tick count that no layer of this image uses (waits for the tick to advance).
    uint32 NewLayerID() const;
    // One step of the id generator for tick count inTicks (exposed for tests).
    static uint32 LayerIDFromTicks(uint32 inTicks);

    // Entry point for layers: broadcasts kMsgLayerChanged with the area and the id.
    void LayerChanged(const GRect& inArea, uint32 inLayerID);

    // ---- Clip groups and link groups (CImageGroups.cpp) ----
    bool IsLayerInClipGroup(const CLayer* inLayer) const;
    bool IsLayerFirstInClipGroup(const CLayer* inLayer) const;
    bool IsLayerLastInClipGroup(const CLayer* inLayer) const;
    bool AreLayersInSameClipGroup(const CLayer* inFirst, const CLayer* inSecond) const;
    void AddLayerToClipGroup(CLayer* inLayer);
    void RemoveLayerFromClipGroup(CLayer* inLayer);
    // Position of the last member of the clip group based at inBasePosition (inBasePosition itself when
    // it is no base).
    int32 GetClipGroupEnd(int32 inBasePosition) const;

    bool IsLayerLinked(const CLayer* inLayer) const;
    bool AreLayersLinked(const CLayer* inFirst, const CLayer* inSecond) const;
    // Smallest id in 1..9999 no layer uses; 0 when all are taken.
    uint32 NewLinkID() const;
    void LinkLayers(CLayer* inFirst, CLayer* inSecond);
    void UnlinkLayer(CLayer* inLayer);

    // ---- Layer masks by layer id (CImageGroups.cpp); unknown ids throw the "bad layer id" error ----
    void AddLayerMask(uint32 inLayerID, uint8 inDefaultColor, const GRect& inRect);
    void RemoveLayerMask(uint32 inLayerID);
    void SetLayerMask(uint32 inLayerID, const CChannel& inMask);
    void GetLayerMask(uint32 inLayerID, CChannel& outMask) const;

    // Composites and merges are the compositing layer's (Src/Orvane/Src/Compositing/CImageComposite.h).
    const std::vector<CLayer*>& GetLayers() const { return mLayers; }  // position 0 is the bottom
    // Broadcasts kMsgLayerChanged for the whole composite.
    void BroadcastWholeComposite();

    // The raster target handed to the layers' GetTile: created on first use, destroyed with the image.
    void CreateRasterPortIfNeeded();
    RasterPort* GetRasterPort() const { return mRasterPort.get(); }
    RasterDevice* GetRasterDevice() const { return mRasterDevice.get(); }
    RasterDescriptor& GetRasterDescriptor() { return mRasterDescriptor; }

    // ---- Extra channels and selection (CImageChannels.cpp) ----
    int32 GetExtraChannelCount() const { return int32(mExtraChannels.size()); }
    const CChannel& GetExtraChannel(int32 inChannelIndex) const;
    void AddExtraChannel(const CChannel& inChannel);
    void RemoveExtraChannel(int32 inChannelIndex);
    void ReplaceExtraChannel(int32 inChannelIndex, const CChannel& inChannel);
    void GetExtraChannelTile(int32 inChannelIndex, const GRect& inRect, uint8* outDestination,
                             int32 inRowBytes) const;
    void SetExtraChannelTile(int32 inChannelIndex, const GRect& inRect, const uint8* inSource,
                             int32 inRowBytes);
    void InvertExtraChannel(int32 inChannelIndex);

    void SelectAll();
    void Deselect();
    // The part of inSelection inside the canvas becomes the selection (0 elsewhere).
    void SetSelection(const CChannel& inSelection);
    const CChannel& GetSelection() const { return mSelectionChannel; }
    static ZString SelectionChannelName();
    // Cached bounds of the selection values > 0 and of the values > 127; the third is the canvas when
    // both are non-empty and every selection byte equals 127, else empty.
    GRect GetSelectionBounds() const;
    GRect GetSelectionHalfBounds() const;
    GRect GetSelectionFullBounds() const;
    uint32 GetSelectionOwner() const { return mSelectionOwner; }
    void SetSelectionOwner(uint32 inLayerID) { mSelectionOwner = inLayerID; }

    // ---- Frames (CImageFrames.cpp) ----
    int32 GetFrameCount() const { return int32(mFrames.size()); }
    FrameInfo GetFrame(int32 inIndex) const;
    int32 GetActiveFrameIndex() const { return mActiveFrameIndex; }
    void InsertFrame(int32 inPosition, const FrameInfo& inFrame);
    void DeleteFrame(int32 inIndex);
    void MoveFrame(int32 inOldIndex, int32 inNewIndex);
    void SetActiveFrame(int32 inActiveFrameIndex);
    // Stores every layer's current settings into the active frame when they differ from it.
    void SyncFrames();
    // Recomputes the frames strictly between start and end by interpolating origin and/or opacity.
    void TweenFrames(int32 inStartIndex, int32 inEndIndex, bool inChangeOrigin, bool inChangeOpacity);

    // ---- The process-wide current image (none at first; the read and write paths never set one) ----
    static CImage* GetCurrentImage();
    // Deactivates the previous current image's active layer, activates the new one's, broadcasts
    // kMsgCurrentImageChanged on CurrentImageBroadcaster.
    static void SetCurrentImage(CImage* inImage);
    static LBroadcaster& CurrentImageBroadcaster();

private:
    void CopyContentFrom(const CImage& inOther);
    void DestroyLayers();
    void SyncLayerIntoFrames(CLayer* inLayer, bool inVisibleInOtherFrames);
    void ApplyFrameSettings(const FrameInfo& inFrame);
    void InvalidateSelectionBounds() { mSelectionBoundsDirty = true; }
    void UpdateSelectionBounds() const;
    CLayer* RequireLayerWithID(uint32 inLayerID) const;

    std::vector<CLayer*> mLayers;  // owned; position 0 is the bottom
    std::vector<FrameInfo> mFrames;
    std::vector<CChannel> mExtraChannels;
    int32 mWidth = 0;
    int32 mHeight = 0;
    CLayer* mActiveLayer = nullptr;  // not owned
    int32 mActiveFrameIndex = 0;
    int32 mFrameProperty = 0;
    CChannel mSelectionChannel;
    mutable bool mSelectionBoundsDirty = true;
    mutable GRect mSelectionBounds;
    mutable GRect mSelectionHalfBounds;
    mutable GRect mSelectionFullBounds;
    uint32 mSelectionOwner = kInvalidLayerID;
    std::unique_ptr<RasterDevice> mRasterDevice;
    RasterDescriptor mRasterDescriptor;
    std::unique_ptr<RasterPort> mRasterPort;
    int32 mGlobalAngle = 30;
};
