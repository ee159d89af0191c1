// Building adjustment layers from the blocks that describe them in a document.
//
// An adjustment block is a layer's tagged block with the signature "ZQRS" and one of the keys of
// AdjustmentKeyTable; its position in the table is the adjustment type. The factory builds the layer of
// that type, whose reading constructor reads the block's data at the given stream position and leaves
// the stream where it was.
#pragma once

#include <string>

#include "Src/Orvane/Src/Adjustments/CAdjustmentLayer.h"
#include "Src/Pellin/Isol/GRect.h"
#include "Src/Pellin/Isol/IsolTypes.h"

class CImage;
class CLayer;
class SReadStream;

inline constexpr uint32 kAdjustmentTypeCount = 11;

// The keys in type order, ended by a key of four spaces.
extern const uint32 AdjustmentKeyTable[kAdjustmentTypeCount + 1];

// True (and the type in outType) when a block with this signature and key describes an adjustment.
bool AdjustmentTypeFromKey(uint32 inSignature, uint32 inKey, uint32& outType);

// A new, unowned adjustment layer of type inAdjustmentType, its settings from the arguments and its
// parameters read from the inDataLength bytes at inDataPosition; the stream's position is unchanged.
// Returns null when the layer's memory cannot be had, and for a type outside the table (reported as
// "CreateAdjustmentLayer: unknown layer type!"). A refused data block, or a stream failure while reading
// it, throws; the partly built layer is gone by then.
CAdjustmentLayer* CreateAdjustmentLayer(const AdjustmentLayerSettings& inSettings, uint32 inAdjustmentType,
                                        SReadStream& inStream, uint32 inDataPosition, uint32 inDataLength);

// The same with the settings as the document reader passes them. The bounds (the record's mask bounds
// united with the canvas) are not kept: an adjustment layer's bounds are always its mask's.
CLayer* CreateAdjustmentLayer(CImage* inImage, const std::string& inName, bool inVisible,
                              const GRect& inBounds, uint32 inBlendMode, uint8 inOpacity,
                              uint8 inMaskDefaultColor, uint32 inLayerID, uint32 inAdjustmentType,
                              SReadStream& inStream, uint32 inDataPosition, uint32 inDataLength);
