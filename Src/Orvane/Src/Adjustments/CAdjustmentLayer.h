// Adjustment layers: layers without pixels that recolour the composite of everything beneath them.
//
// An adjustment layer sits in the layer stack like any other layer (name, opacity, blend mode,
// visibility, mask, clipping) but is never asked for pixels: the compositing pipeline hands it a copy of
// what lies beneath and blends back what AdjustTile makes of it. Every adjustment works through 256-entry
// byte tables that are built once, from the parameters read out of the layer's data block, at the end of
// the reading constructor; applying the layer is then one table lookup per component. There is no
// interface that edits the parameters afterwards.
//
// Reading constructors of the concrete classes take the layer settings, the document stream and the
// position of the block's first data byte; they read the block there and leave the stream where it was
// (StAdjustmentDataReader). A damaged block throws (RefuseAdjustmentData), and the partly built layer
// is destroyed on the way out.
#pragma once

#include <string>

#include "Src/Orvane/Src/Image/CLayer.h"
#include "Src/Pellin/Isol/GRect.h"
#include "Src/Pellin/Isol/IsolTypes.h"

class SReadStream;
class SWriteStream;

// The type index of an adjustment: its position in AdjustmentKeyTable, and what GetAdjustmentType
// answers (hue/saturation answers by the version of its block).
enum AdjustmentType : uint32 {
    kLevelsAdjustment = 0,
    kCurvesAdjustment = 1,
    kBrightnessContrastAdjustment = 2,
    kColorBalanceAdjustment = 3,
    kHueSaturationAdjustment = 4,
    kSelectiveColorAdjustment = 5,
    kThresholdAdjustment = 6,
    kInvertAdjustment = 7,
    kPosterizeAdjustment = 8,
    kHueSaturation2Adjustment = 9,
    kChannelMixerAdjustment = 10,
};

// What every layer constructor takes. An adjustment layer starts with a zero origin and no pixels.
struct AdjustmentLayerSettings {
    CImage* mImage = nullptr;  // not owned; the layer is not added to it
    std::string mName;
    bool mVisible = true;
    uint32 mBlendMode = kLayerSettingsDefaultBlendMode;
    uint8 mOpacity = 255;
    uint8 mMaskDefaultColor = 255;
    uint32 mLayerID = 0;
};

class CAdjustmentLayer : public CLayer {
public:
    ~CAdjustmentLayer() override;

    // Never asked by the pipeline: reports "Adjustment Layer does not support Get Tile!" and writes nothing.
    void GetTile(RasterPort* inPort, RasterDevice* inDevice, RasterDescriptor* inDescriptor,
                 const GRect& inRect) override;
    // Writes the recoloured inSource into outDestination over inRect's width and height; the fourth byte
    // of every destination pixel is left alone. Source and destination may be the same buffer.
    void AdjustTile(const GRect& inRect, const NativeQuad* inSource, int32& ioSourceRowBytes,
                    NativeQuad* outDestination, int32& ioDestinationRowBytes) override = 0;
    // The mask bounds in the image; empty without a mask.
    GRect GetBounds() const override;
    GRect GetContentBounds() const override { return GetBounds(); }
    bool IsEmpty() const override { return GetBounds().Empty(); }
    // The pixel transforms do nothing to a layer without pixels.
    void Scale(double, double, int32, LProgressScope*) override {}
    void Crop(const GRect&, LProgressScope*) override {}
    LayerKind GetLayerType() const override { return eAdjustmentLayer; }
    void ReservedOperation15(void*) override {}
    void ReservedOperation16(void*) override {}
    bool HasOwnPixels() const override { return false; }
    bool SupportsPixelTransforms() const override { return false; }

    // The index in AdjustmentKeyTable under which the layer is written.
    virtual uint32 GetAdjustmentType() const = 0;
    // Byte length of the data block when written (a multiple of 4 for every block that has data).
    virtual uint32 GetDataLength() const;
    // Writes the block's payload at inPosition and restores the stream's position; bytes between the
    // payload's end and GetDataLength are the writer's padding. The base writes nothing.
    virtual void WriteData(SWriteStream& inStream, uint32 inPosition) const;
    // Recomputes the tables from the parameters.
    virtual void BuildTables() = 0;

protected:
    explicit CAdjustmentLayer(const AdjustmentLayerSettings& inSettings);
    CAdjustmentLayer(const CAdjustmentLayer& inOther);
};

// Reads a data block at its position and puts the stream back where it was, also when reading throws.
class StAdjustmentDataReader {
public:
    StAdjustmentDataReader(SReadStream& inStream, uint32 inDataPosition);
    ~StAdjustmentDataReader();
    StAdjustmentDataReader(const StAdjustmentDataReader&) = delete;
    StAdjustmentDataReader& operator=(const StAdjustmentDataReader&) = delete;

    SReadStream& Stream() const { return mStream; }
    // Bytes read since the block's first byte.
    uint32 Consumed() const;
    // Skips to the next multiple of 4 bytes from the block's first byte.
    void SkipPadding();

private:
    SReadStream& mStream;
    uint32 mSavedPosition;
    uint32 mDataPosition;
};

// Writes a block's payload at a position and puts the stream back where it was.
class StAdjustmentDataWriter {
public:
    StAdjustmentDataWriter(SWriteStream& inStream, uint32 inPosition);
    ~StAdjustmentDataWriter();
    StAdjustmentDataWriter(const StAdjustmentDataWriter&) = delete;
    StAdjustmentDataWriter& operator=(const StAdjustmentDataWriter&) = delete;

    SWriteStream& Stream() const { return mStream; }
    uint32 Written() const;
    // Zero bytes up to the next multiple of 4 from the block's first byte.
    void WritePadding();

private:
    SWriteStream& mStream;
    uint32 mSavedPosition;
    uint32 mDataPosition;
};

// The message with which a damaged adjustment data block is refused.
inline constexpr const char* kBadAdjustmentData =
    "$$$/Err/Orvane/Adjustments/BadData=the data of an adjustment layer is damaged";

// Reports the throw site and throws an Exception carrying kBadAdjustmentData.
[[noreturn]] void RefuseAdjustmentData(const char* inFile, int32 inLine);
#define LREFUSE_ADJUSTMENT_DATA() RefuseAdjustmentData(__FILE__, __LINE__)

// inValue rounded up to a multiple of 4.
constexpr uint32 RoundUpTo4(uint32 inValue) {
    return (inValue + 3) & ~uint32(3);
}
