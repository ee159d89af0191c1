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
void MergeVisible(CImage& ioImage, LProgressScope* inProgress, bool inRemoveMerged);
void MergeDown(CImage& ioImage, LProgressScope* inProgress, bool inRemoveMerged);
void MergeLinked(CImage& ioImage, LProgressScope* inProgress, bool inRemoveMerged);
void MergeClipGroup(CImage& ioImage, LProgressScope* inProgress, bool inRemoveMerged);
// Composites only inLayers (over the union of their content bounds) into outBuffer; every layer's
// visible flag is restored afterwards, without notification.
void CompositeLayers(CImage& ioImage, const std::vector<CLayer*>& inLayers, CNativeQuadTileBuffer& outBuffer,
                     LProgressScope* inProgress);
