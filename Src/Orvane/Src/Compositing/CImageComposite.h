// The compositing pipeline's operations on a layered image: the composite of any rectangle of the
// canvas, whole composite buffers, scaled composites, composite channels, and the five merges.
//
// They live above the image model, which knows nothing of compositing: the image keeps the layers and
// the raster target the layers draw into; these functions walk the stack and blend.
#pragma once

#include <vector>

#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/NativeQuad.h"
#include "Src/Pellin/Isol/GRect.h"
#include "Src/Pellin/Isol/IsolTypes.h"

class CLayer;
class CNativeQuadTileBuffer;
class LProgressScope;

// ---- Composites (CImageComposite.cpp, CImageScaledComposite.cpp, CImageCompositeChannel.cpp) ----
void GetCompositeTile(CImage& ioImage, const GRect& inRect, NativeQuad* outDestination, int32 inRowBytes);
void GetCompositeBuffer(CImage& ioImage, const GRect& inRect, CNativeQuadTileBuffer& ioBuffer,
                        LProgressScope* inProgress);
void GetCompositeBuffer(CImage& ioImage, const GRect& inRect, CNativeQuadTileBuffer& ioBuffer,
                        NativeQuad inCheckerColorA, NativeQuad inCheckerColorB, int32 inCheckerSize,
                        LProgressScope* inProgress);
void GetEntireComposite(CImage& ioImage, CNativeQuadTileBuffer& ioBuffer, LProgressScope* inProgress);
void GetScaledCompositeTile(CImage& ioImage, const GRect& inScaledRect, double inScale,
                            NativeQuad* outDestination, int32 inRowBytes);
void GetScaledCompositeTile(CImage& ioImage, const GRect& inScaledRect, double inScale,
                            NativeQuad* outDestination, int32 inRowBytes, NativeQuad inCheckerColorA,
                            NativeQuad inCheckerColorB, int32 inCheckerSize);
// One component of the whole composite into a canvas-sized channel.
void GetEntireCompositeChannel(CImage& ioImage, CChannel& outChannel, int32 inKind,
                               LProgressScope* inProgress);

// ---- Merges (CImageMerge.cpp). There must be an active layer; the merged layer replaces it. ----
void FlattenImage(CImage& ioImage, LProgressScope* inProgress);
// What a flatten in bands asks of the layers' pixels: LoadBand gives every visible layer its rows
// [inTop, inBottom) of the canvas, bands coming in order from the top, one row of tiles each; after the
// band is composited, DropBand lets the layers forget those rows.
class LayerBandSource {
public:
    virtual ~LayerBandSource() = default;
    virtual void LoadBand(int32 inTop, int32 inBottom) = 0;
    virtual void DropBand(int32 inTop, int32 inBottom) = 0;
};
// FlattenImage for an image of pixel layers without effects, holding no pixels yet, whose merged area
// (the union of the visible layers' rectangles) fits: the source gives them band by band, so that no
// more than a band of every layer is held at once. Gives the picture FlattenImage gives on the canvas.
void FlattenImageInBands(CImage& ioImage, LayerBandSource& ioSource, LProgressScope* inProgress);
void MergeVisible(CImage& ioImage, LProgressScope* inProgress, bool inRemoveMerged);
void MergeDown(CImage& ioImage, LProgressScope* inProgress, bool inRemoveMerged);
void MergeLinked(CImage& ioImage, LProgressScope* inProgress, bool inRemoveMerged);
void MergeClipGroup(CImage& ioImage, LProgressScope* inProgress, bool inRemoveMerged);
// Whether a merge over inArea can hold its result; CompositeLayers refuses a larger area as too big.
bool MergedAreaFits(const GRect& inArea);
// Composites only inLayers (over the union of their content bounds) into outBuffer; every layer's
// visible flag is restored afterwards, without notification.
void CompositeLayers(CImage& ioImage, const std::vector<CLayer*>& inLayers, CNativeQuadTileBuffer& outBuffer,
                     LProgressScope* inProgress);
