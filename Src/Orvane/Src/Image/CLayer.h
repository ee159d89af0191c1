// One entry of an image's layer stack.
//
// CLayer owns what every layer has: identity and name, the settings the compositing pipeline reads,
// the layer mask and its placement, the clipping and link marks and the effects record. Its 33 virtual
// operations (declared below in slot order) are how the image and the pipeline treat every kind of
// layer alike. A layer is created unowned, added to an image (which sets GetImage) and destroyed by it.
//
// Change notification: while a layer belongs to an image, every visible change goes through
// LayerChanged, which the image broadcasts. Setters that keep the value unchanged send nothing.
#pragma once

#include <string>

#include "Src/Orvane/Src/Image/CChannel.h"
#include "Src/Orvane/Src/Image/LayerEffects.h"
#include "Src/Orvane/Src/Image/LayerSettings.h"
#include "Src/Orvane/Src/Image/NativeQuad.h"
#include "Src/Pellin/Isol/Allocator.h"
#include "Src/Pellin/Isol/GRect.h"

class CImage;
class CNativeQuadTileBuffer;
class LProgressScope;
struct RasterDescriptor;
struct RasterDevice;
struct RasterPort;

// Largest width or height a layer, its mask or an image may reach.
inline constexpr int32 kMaxImageDimension = 30000;
// What going past it is refused with.
inline constexpr const char* kImageTooLargeError =
    "$$$/Err/ImageTooLarge=the result would make the image too big";

class CLayer : public LAllocatedObject {
public:
    // Slot 0. Frees the mask, the effects reference and the name.
    virtual ~CLayer();

    // Slot 1. Moves the layer's placement so that its position is the image top-left of its bounds;
    // returns old position minus new position. The base has no position and returns (0, 0).
    virtual GPoint NormalizeOrigin();
    // Slot 2.
    virtual void SetName(const std::string& inName);
    // Slot 3. Fills the descriptor's rectangle with the layer's pixels in image coordinates (0x00FFFFFF
    // where the layer has none). The descriptor's rectangle must equal inRect and the layer must belong
    // to an image. The only way the pipeline reads a layer's pixels.
    virtual void GetTile(RasterPort* inPort, RasterDevice* inDevice, RasterDescriptor* inDescriptor,
                         const GRect& inRect) = 0;
    // Slot 4. Called only for layers of kind eAdjustmentLayer: writes the recoloured source into the
    // destination and leaves the destination's alpha bytes alone. The base reports that it must be
    // overridden.
    virtual void AdjustTile(const GRect& inRect, const NativeQuad* inSource, int32& ioSourceRowBytes,
                            NativeQuad* outDestination, int32& ioDestinationRowBytes);
    // Slot 5. Image rectangle outside which the layer contributes nothing (before effects and mask).
    virtual GRect GetBounds() const = 0;
    // Slot 6. Smallest image rectangle holding every pixel that is not fully transparent.
    virtual GRect GetContentBounds() const = 0;
    // Slot 7.
    virtual bool IsEmpty() const = 0;
    // Slot 8. Resamples the layer by the two factors; the interpolation is passed through unchanged.
    virtual void Scale(double inHorizontalFactor, double inVerticalFactor, int32 inInterpolation,
                       LProgressScope* inProgress) = 0;
    // Slot 9. Free transformation about inCenter by inAmount with an option byte; the base does nothing.
    virtual void Transform(const GPoint& inCenter, double inAmount, uint8 inOption,
                           LProgressScope* inProgress);
    // Slots 10 and 11. Mirror the layer about an axis; inAxis holds twice the axis coordinate, so that
    // column x becomes inAxis.h - 1 - x (row y becomes inAxis.v - 1 - y). The base does nothing.
    virtual void FlipHorizontal(const GPoint& inAxis, LProgressScope* inProgress);
    virtual void FlipVertical(const GPoint& inAxis, LProgressScope* inProgress);
    // Slot 12. Keeps only the part of the layer inside inRect (image coordinates).
    virtual void Crop(const GRect& inRect, LProgressScope* inProgress) = 0;
    // Slot 13.
    virtual LayerKind GetLayerType() const = 0;
    // Slot 14. A new, unowned layer with the same content and every CLayer member copied.
    virtual CLayer* Clone() const = 0;
    // Slots 15 and 16: reserved operations with one argument and no behaviour in this module.
    virtual void ReservedOperation15(void* inArgument) = 0;
    virtual void ReservedOperation16(void* inArgument) = 0;
    // Slot 17. The layer became the active layer of its image (pixel layers grow to cover the canvas).
    virtual void Activate();
    // Slot 18. The layer stopped being active (pixel layers shrink to their content).
    virtual void Deactivate();
    // Slot 19. As Deactivate; both arguments are unused.
    virtual void TrimToContent(bool inNotify, LProgressScope* inProgress);
    // Slot 20: reserved operation with four arguments and no behaviour in this module.
    virtual void ReservedOperation20(void* inFirst, void* inSecond, void* inThird, void* inFourth);
    // Slot 21. As Activate; sets outResult to 0. The two arguments are unused.
    virtual void GrowToImage(bool inNotify, LProgressScope* inProgress, int32& outResult);
    // Slots 22 and 23: whether the layer carries pixels of its own, and whether the pixel transforms
    // (scale, flips, crop) act on it. Adjustment layers answer false.
    virtual bool HasOwnPixels() const;
    virtual bool SupportsPixelTransforms() const;
    // Slots 24 to 28: painting. Each capability query precedes its operation.
    virtual bool CanFillArea() const;
    virtual void FillArea(const GRect& inRect, NativeQuad inColor, uint32 inBlendMode, uint8 inOpacity);
    virtual bool CanPaintPixels() const;
    virtual void PaintPixels(const GRect& inRect, const NativeQuad* inSource, int32 inSourceRowBytes,
                             uint32 inBlendMode, uint8 inOpacity);
    virtual bool CanPaintStrokes() const;
    // Slot 29. outPixels becomes the layer's pixels over GetBounds (image coordinates).
    virtual void GetPixels(CNativeQuadTileBuffer& outPixels, LProgressScope* inProgress);
    // Slots 30 to 32: a paint stroke. Begin saves the pixels into the process-wide pre-stroke buffer,
    // which must be empty; End empties it. Only one stroke at a time.
    virtual void BeginPaintStroke();
    virtual void DoPaintStrokeSelf(const GPoint* inPoints, int32 inPointCount, NativeQuad inColor,
                                   int32 inBrushSize, uint32 inBlendMode, uint8 inOpacity,
                                   LProgressScope* inProgress);
    virtual void EndPaintStroke();

    // Identity and settings.
    CImage* GetImage() const { return mImage; }
    // Only the image calls this, when it takes the layer.
    void SetImage(CImage* inImage) { mImage = inImage; }
    uint32 GetLayerID() const { return mSettings.mLayerID; }
    // No notification; reports "mLayerID != kInvalidLayerID" for the invalid id.
    void SetLayerID(uint32 inLayerID);
    const std::string& GetName() const { return mName; }
    const LayerSettings& GetSettings() const { return mSettings; }
    // Replaces every field; when anything differs and inNotify is set, announces the old and new area.
    void SetSettings(const LayerSettings& inSettings, bool inNotify = true);

    GPoint GetOrigin() const { return mSettings.mOrigin; }
    void SetOrigin(const GPoint& inOrigin);
    bool GetVisible() const { return mSettings.mVisible != 0; }
    void SetVisible(bool inVisible, bool inNotify = true);
    uint32 GetBlendMode() const { return mSettings.mBlendMode; }
    void SetBlendMode(uint32 inBlendMode);
    uint8 GetOpacity() const { return mSettings.mOpacity; }
    void SetOpacity(uint8 inOpacity);
    GPoint GetMaskOffset() const { return mSettings.mMaskOffset; }
    void SetMaskOffset(const GPoint& inOffset);
    bool GetMaskEnabled() const { return mSettings.mMaskEnabled != 0; }
    void SetMaskEnabled(bool inEnabled);
    bool GetMaskInverted() const { return mSettings.mMaskInverted != 0; }
    void SetMaskInverted(bool inInverted);
    bool GetMaskLinked() const { return mSettings.mMaskLinked != 0; }
    void SetMaskLinked(bool inLinked);  // no notification
    bool GetAdjustmentMask() const { return mSettings.mAdjustmentMask != 0; }
    void SetAdjustmentMask(bool inAdjustmentMask);

    uint32 GetClipping() const { return mClipping; }
    void SetClipping(uint32 inClipping, bool inNotify = true);
    uint32 GetLinkID() const { return mLinkID; }
    void SetLinkID(uint32 inLinkID) { mLinkID = inLinkID; }  // no notification

    const LayerEffects& GetEffects() const { return mEffects; }
    void SetEffects(const LayerEffects& inEffects);

    // The layer mask. Mask bounds in the image = mask channel bounds + mask origin + mask offset.
    bool HasLayerMask() const { return !mLayerMask.GetBounds().Empty(); }
    // True when the layer has a mask and the mask takes part in compositing.
    bool HasEnabledLayerMask() const { return HasLayerMask() && GetMaskEnabled(); }
    // Needs an image and no mask yet. The mask covers inRect clipped to the canvas (the whole canvas for
    // an empty inRect), filled with inDefaultColor, which is also the value outside the mask.
    void CreateLayerMask(uint8 inDefaultColor, const GRect& inRect);
    // Copies a non-empty channel in as the mask, placed where the channel lies; resets the mask offset.
    void SetLayerMask(const CChannel& inMask);
    // A copy of the mask placed at its image position (an empty channel without a mask).
    void GetLayerMask(CChannel& outMask) const;
    GRect GetLayerMaskBounds() const;
    void RemoveLayerMask();
    uint8 GetMaskDefaultColor() const { return mMaskDefaultColor; }
    void SetMaskDefaultColor(uint8 inColor) { mMaskDefaultColor = inColor; }
    GPoint GetMaskOrigin() const { return mMaskOrigin; }
    // Reads the mask over inRect (image coordinates); every pixel outside the mask channel reads as the
    // mask default colour. inColumnBytes is the distance between two destination bytes of a row.
    void GetLayerMaskTile(const GRect& inRect, uint8* outDestination, int32 inRowBytes,
                          int32 inColumnBytes = 1) const;
    // Writes inRect of the mask, growing the mask channel first when it does not contain inRect; throws
    // the "image too big" error when the grown mask would exceed kMaxImageDimension.
    void SetLayerMaskTile(const GRect& inRect, const uint8* inSource, int32 inRowBytes,
                          int32 inColumnBytes = 1);
    // Sets inRect of the mask (image coordinates, clipped to the mask channel) to inValue; the mask's
    // tiles it covers entirely give their memory back.
    void FillLayerMaskRect(const GRect& inRect, uint8 inValue);

    // Announces the layer's affected area: bounds, united with the mask bounds when the mask is enabled,
    // grown by the effects. Nothing when the layer has no image or the area is empty.
    void LayerChanged();
    // Announces exactly inArea (when the layer has an image).
    void LayerChanged(const GRect& inArea);

protected:
    CLayer(const std::string& inName, const LayerSettings& inSettings, CImage* inImage = nullptr);
    CLayer(const CLayer& inOther);
    CLayer& operator=(const CLayer&) = delete;

    // The area LayerChanged announces.
    GRect AffectedArea() const;
    // Reports that an operation this layer kind does not carry out was asked for; nothing changes.
    void ReportUnsupported(const char* inOperation) const;

private:
    CImage* mImage = nullptr;  // not owned
    std::string mName;
    LayerSettings mSettings;
    CChannel mLayerMask;  // empty: no mask; otherwise its bounds start at (0, 0)
    GPoint mMaskOrigin;   // image position of the mask's top-left before the offset
    uint8 mMaskDefaultColor = 255;
    uint32 mClipping = 0;  // non-zero: clipped to the layer below
    uint32 mLinkID = 0;    // 0: not linked
    LayerEffects mEffects;
};
