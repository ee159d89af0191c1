// The stored description of one layer: what a document's layer record says, kept for the second reading
// pass (and, built from a layer, for writing).
//
// Reading leaves the stream at the end of the record's extra data whatever its parts claim; the data of
// adjustment and effects blocks is not interpreted here, only located.
#pragma once

#include <string>
#include <vector>

#include "Src/Orvane/Src/Format/ChannelLength.h"
#include "Src/Orvane/Src/Image/LayerEffects.h"
#include "Src/Pellin/Isol/GRect.h"
#include "Src/Pellin/Isol/IsolTypes.h"

class SReadStream;

// Bits of a record's flags byte and of its mask flags byte.
enum LayerRecordFlags : uint8 { kRecordTransparencyProtected = 1, kRecordHidden = 2 };
enum LayerMaskFlags : uint8 { kMaskNotLinked = 1, kMaskDisabled = 2, kMaskInverted = 4 };

struct LayerRecord {
    GRect mBounds;  // as stored: may extend beyond the document, may be empty
    uint16 mChannelCount = 0;
    std::vector<ChannelLength> mChannels;  // in file order
    uint32 mBlendSignature = 0;
    uint32 mBlendKey = 0;
    uint8 mOpacity = 255;
    uint8 mClipping = 0;
    uint8 mFlags = 0;
    uint32 mExtraLength = 0;

    bool mHasMask = false;
    GRect mMaskBounds;
    uint8 mMaskDefaultColor = 0;
    uint8 mMaskFlags = 0;

    std::string mName;
    uint32 mLayerID = 0;  // 0: the document stores none

    bool mHasAdjustment = false;
    uint32 mAdjustmentSignature = 0;
    uint32 mAdjustmentKey = 0;
    uint32 mAdjustmentType = 0;      // index in AdjustmentKeyTable
    uint32 mAdjustmentLength = 0;    // bytes of the block's data
    uint32 mAdjustmentPosition = 0;  // stream position of the block's data

    bool mHasEffects = false;
    LayerEffects mEffects;
    uint32 mEffectsPosition = 0;  // stream position of the "lrFX" data (0: no block)
    uint32 mEffectsLength = 0;

    // Reads one record from the stream's position. Refuses (UnknownFormat) a channel count whose entries
    // cannot be in the file; truncation fails in the stream.
    void Read(SReadStream& inStream);

private:
    void ReadChannelEntries(SReadStream& inStream);
    // Steps of the extra data; each takes what it uses from ioRemaining (unsigned: a part longer than
    // what remains makes it wrap, and reading goes on by the wrapped count).
    void ReadMaskBlock(SReadStream& inStream, uint32& ioRemaining);
    void ReadName(SReadStream& inStream, uint32& ioRemaining);
    void ReadAdditionalBlocks(SReadStream& inStream, uint32& ioRemaining);
    void ReadAdditionalBlock(SReadStream& inStream, uint32 inSignature, uint32 inKey, uint32 inLength);
};
