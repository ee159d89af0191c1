// A layer whose pixels are 8-bit indexes into a shared colour table.
//
// The indexes live in a channel whose bounds always start at (0, 0) and have the layer's size; the plane
// is placed in the image at settings origin + position. Every index is content: the layer's content
// bounds are its bounds. Pixels are turned into colours (alpha included) whenever the layer is asked for
// a tile; pixels outside the plane read as index 0. Painted colours are stored as the index of their
// nearest table entry.
#pragma once

#include "Src/Orvane/Src/Image/CChannel.h"
#include "Src/Orvane/Src/Image/CLayer.h"
#include "Src/Orvane/Src/Image/NativeQuadCLUT.h"

class CIndexedLayer : public CLayer {
public:
    // An index plane of inBounds' size filled with inInitialIndex, placed at inBounds' top-left (settings
    // origin (0, 0)). The layer takes one more reference to inTable.
    CIndexedLayer(CImage* inImage, const std::string& inName, bool inVisible, const GRect& inBounds,
                  uint32 inBlendMode, uint8 inOpacity, const NativeQuadCLUTRef& inTable, uint8 inInitialIndex,
                  uint32 inLayerID);
    ~CIndexedLayer() override;

    // Stores rows of indexes: inRect is in image coordinates (clipped to the plane), row y of the source
    // starts at inSource + inRowStride * (y - inRect.top). Announces the change.
    void SetIndexRows(const GRect& inRect, const uint8* inSource, int32 inRowStride);
    // Reads indexes of inRect (image coordinates) to caller memory; 0 outside the plane.
    void GetIndexRows(const GRect& inRect, uint8* outDestination, int32 inRowStride) const;
    const NativeQuadCLUTRef& GetColorTable() const { return mColorTable; }
    const CChannel& GetIndexPlane() const { return mIndexPlane; }
    GPoint GetPosition() const { return mPosition; }

    GPoint NormalizeOrigin() override;
    void GetTile(RasterPort* inPort, RasterDevice* inDevice, RasterDescriptor* inDescriptor,
                 const GRect& inRect) override;
    GRect GetBounds() const override;
    GRect GetContentBounds() const override;
    bool IsEmpty() const override;
    // Nearest-neighbour resampling of the indexes; the interpolation argument is ignored.
    void Scale(double inHorizontalFactor, double inVerticalFactor, int32 inInterpolation,
               LProgressScope* inProgress) override;
    // Not carried out by this module: reported, indexes unchanged.
    void Transform(const GPoint& inCenter, double inAmount, uint8 inOption,
                   LProgressScope* inProgress) override;
    void FlipHorizontal(const GPoint& inAxis, LProgressScope* inProgress) override;
    void FlipVertical(const GPoint& inAxis, LProgressScope* inProgress) override;
    // Keeps the indexes inside inRect; uncovered pixels get index 0.
    void Crop(const GRect& inRect, LProgressScope* inProgress) override;
    LayerKind GetLayerType() const override { return eIndexedLayer; }
    // Same indexes, same table (one more reference), same position, every CLayer member copied.
    CLayer* Clone() const override;
    void ReservedOperation15(void*) override {}
    void ReservedOperation16(void*) override {}
    // Grows the plane to the union of the canvas and the layer's bounds (new pixels index 0); throws the
    // "image too big" error (plane unchanged) when that exceeds kMaxImageDimension.
    void Activate() override;
    // The content bounds are the bounds, so the plane stays as it is.
    void Deactivate() override;
    void TrimToContent(bool inNotify, LProgressScope* inProgress) override;
    void GrowToImage(bool inNotify, LProgressScope* inProgress, int32& outResult) override;
    bool CanFillArea() const override { return true; }
    void FillArea(const GRect& inRect, NativeQuad inColor, uint32 inBlendMode, uint8 inOpacity) override;
    bool CanPaintPixels() const override { return true; }
    void PaintPixels(const GRect& inRect, const NativeQuad* inSource, int32 inSourceRowBytes,
                     uint32 inBlendMode, uint8 inOpacity) override;
    bool CanPaintStrokes() const override { return true; }
    // Grows the plane as Activate does.
    void BeginPaintStroke() override;
    // Stamps a square brush of inBrushSize pixels centred on each point.
    void DoPaintStrokeSelf(const GPoint* inPoints, int32 inPointCount, NativeQuad inColor, int32 inBrushSize,
                           uint32 inBlendMode, uint8 inOpacity, LProgressScope* inProgress) override;

    // Replaces the plane by the part of it inside inRect (image coordinates), index 0 elsewhere; the
    // position becomes inRect's top-left less the origin. Nothing when inRect equals the bounds.
    void ResizeTo(const GRect& inRect);

private:
    CIndexedLayer(const CIndexedLayer& inOther);

    // Image offset of plane coordinates: settings origin + position.
    GPoint Placement() const;
    void ReplacePlane(const CChannel& inPlane, const GPoint& inPosition);
    // Converts inRect (clipped to the bounds) to colours, blends inSource over them and stores the
    // nearest indexes; inSource addresses inRect's top-left.
    void PaintColors(const GRect& inRect, const NativeQuad* inSource, int32 inSourceRowBytes,
                     uint32 inBlendMode, uint8 inOpacity);

    CChannel mIndexPlane;  // bounds start at (0, 0)
    NativeQuadCLUTRef mColorTable;
    GPoint mPosition;
};
