#include "Src/Orvane/Src/Effects/LayerFXBlock.h"

#include <string>

#include "Src/Orvane/Src/Compositing/BlendModeKeys.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/Pellin/Isol/SWriteStream.h"

namespace {

constexpr uint32 kRecordSignature = FourCC("ZQRS");
constexpr uint32 kShadowBytes = 41;
constexpr uint32 kGlowBytes = 32;
constexpr uint32 kBevelBytes = 58;
constexpr uint32 kCommonBytes = 5;

struct Range {
    const char* minName;
    const char* maxName;
    Fixed min;
    Fixed max;
};

constexpr Range kBlurRange{"kMinFXFixedBlurValue", "kMaxFXFixedBlurValue", kMinFXFixedBlurValue,
                           kMaxFXFixedBlurValue};
constexpr Range kIntensityRange{"kMinFXFixedIntensityValue", "kMaxFXFixedIntensityValue",
                                kMinFXFixedIntensityValue, kMaxFXFixedIntensityValue};
constexpr Range kAngleRange{"kMinFXFixedAngleValue", "kMaxFXFixedAngleValue", kMinFXFixedAngleValue,
                            kMaxFXFixedAngleValue};
constexpr Range kDistanceRange{"kMinFXFixedDistanceValue", "kMaxFXFixedDistanceValue",
                               kMinFXFixedDistanceValue, kMaxFXFixedDistanceValue};
constexpr Range kStrengthRange{"kMinFXFixedStrengthValue", "kMaxFXFixedStrengthValue",
                               kMinFXFixedStrengthValue, kMaxFXFixedStrengthValue};
constexpr Range kEmbossBlurRange{"kMinFXFixedEmbossBlurValue", "kMaxFXFixedEmbossBlurValue",
                                 kMinFXFixedEmbossBlurValue, kMaxFXFixedEmbossBlurValue};

// A refusal warns with the condition that failed (through the assertion report, so the text is seen),
// then throws an Exception carrying the same text.
[[noreturn]] void Refuse(const std::string& inCondition) {
    const std::string text = "Warning: !(" + inCondition + ")";
    LREPORT(text.c_str());
    ThrowMessage(text.c_str(), __FILE__, __LINE__);
}

// The payload being read. Records are read by their own lengths, not bounded by the block's: a record
// that runs on past the block (or the file) is read from the stream all the same, and reading past the
// end of the file fails in the stream.
class Payload {
public:
    explicit Payload(SReadStream& inStream) : mStream(inStream) {}

    SReadStream& Stream() { return mStream; }

    Fixed FixedIn(const std::string& inField, const Range& inRange) {
        const Fixed value = mStream.ReadI32();
        if (!((value >= inRange.min) && (value <= inRange.max)))
            Refuse("(" + inField + " >= " + inRange.minName + ") && (" + inField + " <= " + inRange.maxName +
                   ")");
        return value;
    }
    bool Flag() { return mStream.ReadU8() != 0; }

private:
    SReadStream& mStream;
};

struct ShadowValues {
    Fixed blur, intensity, angle, distance;
    ColorRecord color;
    uint32 mode;
    bool enabled, useGlobalAngle;
    uint8 opacity;
};

struct GlowValues {
    uint32 version;
    Fixed blur, intensity;
    ColorRecord color;
    uint32 mode;
    bool enabled;
    uint8 opacity;
};

// inPrefix names the fields in refusals, e.g. "mDropShadow".
ShadowValues ReadShadow(Payload& ioPayload, const std::string& inPrefix) {
    ShadowValues v;
    SReadStream& in = ioPayload.Stream();
    in.ReadU32();  // version
    v.blur = ioPayload.FixedIn(inPrefix + "Blur", kBlurRange);
    v.intensity = ioPayload.FixedIn(inPrefix + "Intensity", kIntensityRange);
    v.angle = ioPayload.FixedIn(inPrefix + "Angle", kAngleRange);
    v.distance = ioPayload.FixedIn(inPrefix + "Distance", kDistanceRange);
    v.color.Read(in);
    v.mode = ExtractBlendModeFromStream(in);
    v.enabled = ioPayload.Flag();
    v.useGlobalAngle = ioPayload.Flag();
    v.opacity = in.ReadU8();
    return v;
}

GlowValues ReadGlow(Payload& ioPayload, const std::string& inPrefix) {
    GlowValues v;
    SReadStream& in = ioPayload.Stream();
    v.version = in.ReadU32();
    v.blur = ioPayload.FixedIn(inPrefix + "Blur", kBlurRange);
    v.intensity = ioPayload.FixedIn(inPrefix + "Intensity", kIntensityRange);
    v.color.Read(in);
    v.mode = ExtractBlendModeFromStream(in);
    v.enabled = ioPayload.Flag();
    v.opacity = in.ReadU8();
    return v;
}

void ReadBevel(Payload& ioPayload, LayerFXParameters& p) {
    SReadStream& in = ioPayload.Stream();
    in.ReadU32();  // version
    p.mBevelAngle = ioPayload.FixedIn("mBevelAngle", kAngleRange);
    p.mBevelStrength = ioPayload.FixedIn("mBevelStrength", kStrengthRange);
    p.mBevelBlur = ioPayload.FixedIn("mBevelBlur", kEmbossBlurRange);
    p.mBevelHighlightBlendMode = ExtractBlendModeFromStream(in);
    p.mBevelShadowBlendMode = ExtractBlendModeFromStream(in);
    p.mBevelHighlightColor.Read(in);
    p.mBevelShadowColor.Read(in);
    p.mBevelStyle = in.ReadU8();
    if (!((p.mBevelStyle == OuterBevel) || (p.mBevelStyle == InnerBevel) || (p.mBevelStyle == Emboss) ||
          (p.mBevelStyle == PillowEmboss)))
        Refuse(
            "(mBevelStyle == OuterBevel) || (mBevelStyle == InnerBevel) || (mBevelStyle == Emboss) || "
            "(mBevelStyle == PillowEmboss)");
    p.mBevelHighlightOpacity = in.ReadU8();
    p.mBevelShadowOpacity = in.ReadU8();
    p.mBevelEnabled = ioPayload.Flag();
    p.mBevelUseGlobalAngle = ioPayload.Flag();
    p.mBevelDirection = ioPayload.Flag();
}

// Reads one record whose fields start at the stream's position; returns how many bytes it read, or -1
// when the length it declares is not to be honoured (an "iglw" of version 0).
int64 ReadRecord(Payload& ioPayload, uint32 inKey, LayerFXParameters& p) {
    SReadStream& in = ioPayload.Stream();
    if (inKey == FourCC("cmnS")) {
        in.ReadU32();  // version
        in.ReadU8();   // visible: the visibility flags are the image's business
        return kCommonBytes;
    }
    if (inKey == FourCC("dsdw") || inKey == FourCC("isdw")) {
        const bool drop = inKey == FourCC("dsdw");
        const ShadowValues v = ReadShadow(ioPayload, drop ? "mDropShadow" : "mInnerShadow");
        if (drop) {
            p.mDropShadowBlur = v.blur, p.mDropShadowIntensity = v.intensity, p.mDropShadowAngle = v.angle;
            p.mDropShadowDistance = v.distance, p.mDropShadowColor = v.color, p.mDropShadowBlendMode = v.mode;
            p.mDropShadowEnabled = v.enabled, p.mDropShadowUseGlobalAngle = v.useGlobalAngle;
            p.mDropShadowOpacity = v.opacity;
        } else {
            p.mInnerShadowBlur = v.blur, p.mInnerShadowIntensity = v.intensity, p.mInnerShadowAngle = v.angle;
            p.mInnerShadowDistance = v.distance, p.mInnerShadowColor = v.color,
            p.mInnerShadowBlendMode = v.mode;
            p.mInnerShadowEnabled = v.enabled, p.mInnerShadowUseGlobalAngle = v.useGlobalAngle;
            p.mInnerShadowOpacity = v.opacity;
        }
        return kShadowBytes;
    }
    if (inKey == FourCC("oglw")) {
        const GlowValues v = ReadGlow(ioPayload, "mOuterGlow");
        p.mOuterGlowBlur = v.blur, p.mOuterGlowIntensity = v.intensity, p.mOuterGlowColor = v.color;
        p.mOuterGlowBlendMode = v.mode, p.mOuterGlowEnabled = v.enabled, p.mOuterGlowOpacity = v.opacity;
        return kGlowBytes;
    }
    if (inKey == FourCC("iglw")) {
        const GlowValues v = ReadGlow(ioPayload, "mInnerGlow");
        p.mInnerGlowBlur = v.blur, p.mInnerGlowIntensity = v.intensity, p.mInnerGlowColor = v.color;
        p.mInnerGlowBlendMode = v.mode, p.mInnerGlowEnabled = v.enabled, p.mInnerGlowOpacity = v.opacity;
        if (v.version < 1) return -1;
        p.mInnerGlowInvert = ioPayload.Flag();
        return kGlowBytes + 1;
    }
    ReadBevel(ioPayload, p);
    return kBevelBytes;
}

bool IsKnownKey(uint32 inKey) {
    return inKey == FourCC("cmnS") || inKey == FourCC("dsdw") || inKey == FourCC("isdw") ||
           inKey == FourCC("oglw") || inKey == FourCC("iglw") || inKey == FourCC("bevl");
}

void WriteRecordHeader(SWriteStream& out, uint32 inKey, uint32 inLength) {
    out.WriteFourCharCode(kRecordSignature);
    out.WriteFourCharCode(inKey);
    out.WriteU32(inLength);
}

void WriteBlendMode(SWriteStream& out, uint32 inMode) {
    uint32 signature = 0;
    uint32 key = 0;
    InternalToExternalBlendMode(inMode, signature, key);
    out.WriteFourCharCode(signature);
    out.WriteFourCharCode(key);
}

void WriteShadow(SWriteStream& out, uint32 inKey, Fixed inBlur, Fixed inIntensity, Fixed inAngle,
                 Fixed inDistance, const ColorRecord& inColor, uint32 inMode, bool inEnabled,
                 bool inUseGlobalAngle, uint8 inOpacity) {
    WriteRecordHeader(out, inKey, kShadowBytes);
    out.WriteU32(0);
    out.WriteI32(inBlur);
    out.WriteI32(inIntensity);
    out.WriteI32(inAngle);
    out.WriteI32(inDistance);
    inColor.Write(out);
    WriteBlendMode(out, inMode);
    out.WriteBoolean(inEnabled);
    out.WriteBoolean(inUseGlobalAngle);
    out.WriteU8(inOpacity);
}

void WriteGlow(SWriteStream& out, uint32 inKey, uint32 inVersion, Fixed inBlur, Fixed inIntensity,
               const ColorRecord& inColor, uint32 inMode, bool inEnabled, uint8 inOpacity) {
    WriteRecordHeader(out, inKey, kGlowBytes + (inVersion >= 1 ? 1 : 0));
    out.WriteU32(inVersion);
    out.WriteI32(inBlur);
    out.WriteI32(inIntensity);
    inColor.Write(out);
    WriteBlendMode(out, inMode);
    out.WriteBoolean(inEnabled);
    out.WriteU8(inOpacity);
}

void WriteBevel(SWriteStream& out, const LayerFXParameters& p) {
    WriteRecordHeader(out, FourCC("bevl"), kBevelBytes);
    out.WriteU32(0);
    out.WriteI32(p.mBevelAngle);
    out.WriteI32(p.mBevelStrength);
    out.WriteI32(p.mBevelBlur);
    WriteBlendMode(out, p.mBevelHighlightBlendMode);
    WriteBlendMode(out, p.mBevelShadowBlendMode);
    p.mBevelHighlightColor.Write(out);
    p.mBevelShadowColor.Write(out);
    out.WriteU8(uint8(p.mBevelStyle));
    out.WriteU8(p.mBevelHighlightOpacity);
    out.WriteU8(p.mBevelShadowOpacity);
    out.WriteBoolean(p.mBevelEnabled);
    out.WriteBoolean(p.mBevelUseGlobalAngle);
    out.WriteBoolean(p.mBevelDirection);
}

}  // namespace

uint32 ExtractBlendModeFromStream(SReadStream& inStream) {
    inStream.ReadFourCharCode();  // signature
    const uint32 key = inStream.ReadFourCharCode();
    for (const BlendModeKey& entry : kBlendModeKeys)
        if (entry.key == key) return entry.mode;
    LREPORT("ExtractBlendModeFromStream: Unknown external blend mode -- using kBlendNormal");
    return kBlendNormal;
}

void ReadLayerFXBlock(SReadStream& inStream, uint32 /*inLength*/, LayerFXParameters& ioParameters) {
    Payload payload(inStream);
    inStream.ReadU16();  // version
    const int32 effectCount = inStream.ReadI16();
    if (!(effectCount >= 0)) Refuse("effectCount >= 0");
    for (int32 i = 0; i < effectCount; ++i) {
        const uint32 signature = inStream.ReadFourCharCode();
        const uint32 key = inStream.ReadFourCharCode();
        const uint32 length = inStream.ReadU32();
        if (signature != kRecordSignature || !IsKnownKey(key)) {
            inStream.Skip(length);
            continue;
        }
        const int64 read = ReadRecord(payload, key, ioParameters);
        if (read >= 0 && read < int64(length)) inStream.Skip(uint32(length - read));
    }
}

void WriteLayerFXBlock(SWriteStream& out, const LayerFXParameters& p) {
    out.WriteU16(0);
    out.WriteU16(6);
    WriteRecordHeader(out, FourCC("cmnS"), 7);
    out.WriteU32(0);
    out.WriteU8(1);
    out.WriteU16(0);
    WriteShadow(out, FourCC("dsdw"), p.mDropShadowBlur, p.mDropShadowIntensity, p.mDropShadowAngle,
                p.mDropShadowDistance, p.mDropShadowColor, p.mDropShadowBlendMode, p.mDropShadowEnabled,
                p.mDropShadowUseGlobalAngle, p.mDropShadowOpacity);
    WriteShadow(out, FourCC("isdw"), p.mInnerShadowBlur, p.mInnerShadowIntensity, p.mInnerShadowAngle,
                p.mInnerShadowDistance, p.mInnerShadowColor, p.mInnerShadowBlendMode, p.mInnerShadowEnabled,
                p.mInnerShadowUseGlobalAngle, p.mInnerShadowOpacity);
    WriteGlow(out, FourCC("oglw"), 0, p.mOuterGlowBlur, p.mOuterGlowIntensity, p.mOuterGlowColor,
              p.mOuterGlowBlendMode, p.mOuterGlowEnabled, p.mOuterGlowOpacity);
    WriteGlow(out, FourCC("iglw"), 1, p.mInnerGlowBlur, p.mInnerGlowIntensity, p.mInnerGlowColor,
              p.mInnerGlowBlendMode, p.mInnerGlowEnabled, p.mInnerGlowOpacity);
    out.WriteBoolean(p.mInnerGlowInvert);
    WriteBevel(out, p);
}
