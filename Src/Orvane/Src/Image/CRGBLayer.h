// A layer with NativeQuad pixels of its own.
//
// The pixels live in a tile buffer whose bounds always start at (0, 0); the buffer is placed in the image
// at settings origin + position. The tile access below takes image coordinates. Writes keep the content
// bounds cache honest and announce the written area (grown by the effects) to the image.
#pragma once

#include "Src/Orvane/Src/Image/CLayer.h"
#include "Src/Orvane/Src/Image/CNativeQuadTileBuffer.h"

class CRGBLayer : public CLayer {
public:
    // Pixels are a copy of inPixels; the buffer's top-left becomes the position and the copy is moved to
    // (0, 0). Settings origin (0, 0), not transparency protected, content bounds dirty.
    CRGBLayer(CImage* inImage, const CNativeQuadTileBuffer& inPixels, const std::string& inName,
              bool inVisible, uint32 inBlendMode, uint8 inOpacity, uint32 inLayerID);
    // The same, taking inPixels over instead of copying them (a copy of a large plane copies a record and
    // a page table for every tile).
    CRGBLayer(CImage* inImage, CNativeQuadTileBuffer&& inPixels, const std::string& inName, bool inVisible,
              uint32 inBlendMode, uint8 inOpacity, uint32 inLayerID);
    // A transparent (0x00FFFFFF) buffer of inSize (h = width, v = height) at (0, 0), placed at inPosition.
    CRGBLayer(CImage* inImage, const std::string& inName, bool inVisible, const GPoint& inPosition,
              uint32 inBlendMode, uint8 inOpacity, const GPoint& inSize, uint32 inLayerID);
    ~CRGBLayer() override;

    GPoint NormalizeOrigin() override;
    void GetTile(RasterPort* inPort, RasterDevice* inDevice, RasterDescriptor* inDescriptor,
                 const GRect& inRect) override;
    GRect GetBounds() const override;
    GRect GetContentBounds() const override;
    bool IsEmpty() const override;
    // Nearest-neighbour resampling; the interpolation argument is ignored.
    void Scale(double inHorizontalFactor, double inVerticalFactor, int32 inInterpolation,
               LProgressScope* inProgress) override;
    // Not carried out by this module: reported, pixels unchanged.
    void Transform(const GPoint& inCenter, double inAmount, uint8 inOption,
                   LProgressScope* inProgress) override;
    void FlipHorizontal(const GPoint& inAxis, LProgressScope* inProgress) override;
    void FlipVertical(const GPoint& inAxis, LProgressScope* inProgress) override;
    void Crop(const GRect& inRect, LProgressScope* inProgress) override;
    LayerKind GetLayerType() const override { return eRGBLayer; }
    CLayer* Clone() const override;
    void ReservedOperation15(void*) override {}
    void ReservedOperation16(void*) override {}
    // Grows the pixels to the union of the canvas and the layer's bounds; throws the "image too big"
    // error (pixels unchanged) when that exceeds kMaxImageDimension.
    void Activate() override;
    // Shrinks the pixels to the content bounds.
    void Deactivate() override;
    void TrimToContent(bool inNotify, LProgressScope* inProgress) override;
    void GrowToImage(bool inNotify, LProgressScope* inProgress, int32& outResult) override;
    bool CanFillArea() const override { return true; }
    void FillArea(const GRect& inRect, NativeQuad inColor, uint32 inBlendMode, uint8 inOpacity) override;
    bool CanPaintPixels() const override { return true; }
    void PaintPixels(const GRect& inRect, const NativeQuad* inSource, int32 inSourceRowBytes,
                     uint32 inBlendMode, uint8 inOpacity) override;
    bool CanPaintStrokes() const override { return true; }
    void GetPixels(CNativeQuadTileBuffer& outPixels, LProgressScope* inProgress) override;
    void BeginPaintStroke() override;
    // Stamps a square brush of inBrushSize pixels centred on each point.
    void DoPaintStrokeSelf(const GPoint* inPoints, int32 inPointCount, NativeQuad inColor, int32 inBrushSize,
                           uint32 inBlendMode, uint8 inOpacity, LProgressScope* inProgress) override;
    void EndPaintStroke() override;

    // Tile access in image coordinates. Reads outside the pixels give the padding (0x00FFFFFF by default).
    void GetTile(const GRect& inRect, NativeQuad* outDestination, int32 inRowBytes) const;
    // Hands inProcessor the layer's own pixels of inRect, in place and read-only, when they lie inside the
    // pixels and within one stored tile that is not a single colour; false, without a call, otherwise
    // (the caller then copies them with GetTile).
    bool ViewStoredTile(const GRect& inRect, CNQConstTileProcessor& inProcessor) const;
    // True when every pixel of inRect (image coordinates) is known to be transparent without reading one:
    // the rectangle misses the pixels, or lies in one constant tile of alpha 0. False says nothing.
    bool IsTransparentOver(const GRect& inRect) const;
    void SetTile(const GRect& inRect, const NativeQuad* inSource, int32 inRowBytes);
    void GetChannel(const GRect& inRect, int32 inChannelIndex, uint8* outDestination, int32 inRowBytes,
                    int32 inColumnBytes) const;
    void SetChannel(const GRect& inRect, int32 inChannelIndex, const uint8* inSource, int32 inRowBytes,
                    int32 inColumnBytes);
    // All four components of the rectangle's pixels at once, inChannels[c] holding component c (red 0,
    // green 1, blue 2, alpha 3) one byte per pixel, inRowBytes per row.
    // With inLower, rows from row inSplit on come from those channels (their first row being row inSplit).
    void SetChannels(const GRect& inRect, const uint8* const inChannels[4], int32 inRowBytes,
                     int32 inSplit = INT32_MAX, const uint8* const inLower[4] = nullptr);
    void FillRect(const GRect& inRect, NativeQuad inValue);

    // The pixel buffer itself (bounds start at (0, 0)).
    const CNativeQuadTileBuffer& GetPixelBuffer() const { return mPixels; }
    GPoint GetPosition() const { return mPosition; }
    void SetPosition(const GPoint& inPosition);
    bool GetTransparencyProtected() const { return mTransparencyProtected != 0; }
    void SetTransparencyProtected(bool inProtected) { mTransparencyProtected = inProtected; }

    // Replaces the pixels by the part of them inside inRect (image coordinates), transparent elsewhere;
    // an empty inRect leaves a 1 x 1 transparent buffer at position (0, 0).
    void ResizeTo(const GRect& inRect);

private:
    int32 TileHolding(const GRect& inLocal) const;
    CRGBLayer(const CRGBLayer& inOther);

    // Image offset of buffer coordinates: settings origin + position.
    GPoint Placement() const;
    // Marks the content bounds dirty unless the cache already covers inImageRect, then announces
    // inImageRect grown by the effects.
    void PixelsWritten(const GRect& inImageRect);
    // Replaces the pixel buffer with inPixels (bounds at (0, 0)) and the position, and marks content dirty.
    void ReplacePixels(const CNativeQuadTileBuffer& inPixels, const GPoint& inPosition);

    CNativeQuadTileBuffer mPixels;
    GPoint mPosition;
    uint8 mTransparencyProtected = 0;
    mutable uint8 mContentBoundsDirty = 1;
    mutable GRect mContentBounds;  // buffer coordinates
};
