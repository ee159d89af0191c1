#include "Src/Orvane/Src/Adjustments/CHueSaturationAdjustmentLayer.h"

#include <cstring>

#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/Pellin/Isol/SWriteStream.h"

CHueSaturationAdjustmentLayer::CHueSaturationAdjustmentLayer(const AdjustmentLayerSettings& inSettings,
                                                             SReadStream& inStream, uint32 inDataPosition)
    : CAdjustmentLayer(inSettings) {
    // The ranges a layer starts with: 60 degrees apart from red, each ramping over 30 degrees on either
    // side of a 30-degree core.
    for (int32 r = 0; r < kHueRangeCount; ++r) {
        HueRange& range = parameters.ranges[r];
        range.beginRamp = (60 * r + 315) % 360;
        range.begin = (60 * r + 345) % 360;
        range.end = (60 * r + 15) % 360;
        range.endRamp = (60 * r + 45) % 360;
    }

    StAdjustmentDataReader reader(inStream, inDataPosition);
    version = inStream.ReadI16();
    if (version < 1 || version > 2) LREFUSE_ADJUSTMENT_DATA();
    colorize = inStream.ReadU8() != 0;
    inStream.Skip(1);
    if (version == 2)
        ReadVersion2(inStream);
    else
        ReadVersion1(inStream);
    if (parameters.colorizeHue < 0) parameters.colorizeHue += 360;
    BuildTables();
}

void CHueSaturationAdjustmentLayer::ReadVersion2(SReadStream& inStream) {
    parameters.colorizeHue = inStream.ReadI16();
    parameters.colorizeSaturation = inStream.ReadI16();
    parameters.colorizeLightness = inStream.ReadI16();
    parameters.masterHue = inStream.ReadI16();
    parameters.masterSaturation = inStream.ReadI16();
    parameters.masterLightness = inStream.ReadI16();
    for (HueRange& range : parameters.ranges) {
        range.beginRamp = inStream.ReadI16();
        range.begin = inStream.ReadI16();
        range.end = inStream.ReadI16();
        range.endRamp = inStream.ReadI16();
        range.hue = inStream.ReadI16();
        range.saturation = inStream.ReadI16();
        range.lightness = inStream.ReadI16();
    }
}

// Version 1 stores percentages of -100..100: hues become degrees (colorize and master -180..180, the
// ranges -60..60), the colorize saturation 0..100; everything else keeps its value. Its ranges have fixed
// positions: a one-degree core at each sixth of the circle with 60-degree ramps on either side.
void CHueSaturationAdjustmentLayer::ReadVersion1(SReadStream& inStream) {
    for (int16& value : version1Values) value = inStream.ReadI16();
    const int16* v = version1Values;
    parameters.colorizeHue = HueRescale(v[0], -100, 100, -180, 180);
    parameters.colorizeSaturation = HueRescale(v[1], -100, 100, 0, 100);
    parameters.colorizeLightness = HueRescale(v[2], -100, 100, -100, 100);
    parameters.masterHue = HueRescale(v[3], -100, 100, -180, 180);
    parameters.masterSaturation = v[10];
    parameters.masterLightness = v[17];
    for (int32 r = 0; r < kHueRangeCount; ++r) {
        HueRange& range = parameters.ranges[r];
        range.hue = HueRescale(v[4 + r], -100, 100, -60, 60);
        range.saturation = v[11 + r];
        range.lightness = v[18 + r];
        range.beginRamp = (60 * r + 300) % 360;
        range.begin = 60 * r;
        range.end = (60 * r + 1) % 360;
        range.endRamp = (60 * r + 60) % 360;
    }
}

CLayer* CHueSaturationAdjustmentLayer::Clone() const {
    return new CHueSaturationAdjustmentLayer(*this);
}

uint32 CHueSaturationAdjustmentLayer::GetAdjustmentType() const {
    return version < 2 ? kHueSaturationAdjustment : kHueSaturation2Adjustment;
}

void CHueSaturationAdjustmentLayer::WriteData(SWriteStream& inStream, uint32 inPosition) const {
    StAdjustmentDataWriter writer(inStream, inPosition);
    inStream.WriteI16(version);
    inStream.WriteU8(colorize ? 1 : 0);
    inStream.WriteU8(0);
    if (version < 2) {
        for (int16 value : version1Values) inStream.WriteI16(value);
        return;
    }
    const int32 colorizeHue =
        parameters.colorizeHue > 180 ? parameters.colorizeHue - 360 : parameters.colorizeHue;
    const int32 values[6] = {
        colorizeHue,          parameters.colorizeSaturation, parameters.colorizeLightness,
        parameters.masterHue, parameters.masterSaturation,   parameters.masterLightness};
    for (int32 value : values) inStream.WriteI16(int16(value));
    for (const HueRange& range : parameters.ranges) {
        const int32 rangeValues[7] = {range.beginRamp, range.begin,      range.end,      range.endRamp,
                                      range.hue,       range.saturation, range.lightness};
        for (int32 value : rangeValues) inStream.WriteI16(int16(value));
    }
}

void CHueSaturationAdjustmentLayer::BuildTables() {
    if (colorize)
        BuildColorizeTables(parameters, colorizeTables);
    else
        BuildHueTables(parameters, hueTables);
}

void CHueSaturationAdjustmentLayer::AdjustTile(const GRect& inRect, const NativeQuad* inSource,
                                               int32& ioSourceRowBytes, NativeQuad* outDestination,
                                               int32& ioDestinationRowBytes) {
    const int32 width = inRect.Width();
    const int32 height = inRect.Height();
    if (width <= 0) return;
    const auto* sourceRow = reinterpret_cast<const uint8*>(inSource);
    auto* destinationRow = reinterpret_cast<uint8*>(outDestination);
    for (int32 y = 0; y < height; ++y) {
        const auto* source = reinterpret_cast<const NativeQuad*>(sourceRow);
        auto* destination = reinterpret_cast<NativeQuad*>(destinationRow);
        if (colorize) {
            ApplyColorize(colorizeTables, source, destination, width);
        } else {
            if (source != destination) std::memmove(destination, source, size_t(width) * sizeof(NativeQuad));
            ApplyHueTables(hueTables, destination, width);
        }
        sourceRow += ioSourceRowBytes;
        destinationRow += ioDestinationRowBytes;
    }
}
