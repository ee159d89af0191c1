#include "tests/Effects/EffectsTestSupport.h"

#include "Src/Orvane/Src/Compositing/BlendModeKeys.h"
#include "Src/Orvane/Src/Effects/LayerFXBlock.h"
#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/SReadStream.h"
#include "tests/support/MemoryFilePort.h"

namespace EffectsTest {

ByteVector Record(const char (&inKey)[5], const ByteVector& inFields, std::optional<uint32> inLength,
                  const char (&inSignature)[5]) {
    Bytes bytes;
    bytes.Key(inSignature).Key(inKey).U32(inLength.value_or(uint32(inFields.size())));
    return bytes.Append(inFields).Get();
}

ByteVector Payload(const std::vector<ByteVector>& inRecords, std::optional<int16> inCount) {
    Bytes bytes;
    bytes.U16(0).U16(uint16(inCount.value_or(int16(inRecords.size()))));
    for (const ByteVector& record : inRecords) bytes.Append(record);
    return bytes.Get();
}

ByteVector ShadowFields(uint32 inBlur, uint32 inIntensity, uint32 inAngle, uint32 inDistance,
                        const char (&inMode)[5], uint8 inEnabled, uint8 inOpacity) {
    Bytes bytes;
    for (uint32 value : {0u, inBlur, inIntensity, inAngle, inDistance}) bytes.U32(value);
    bytes.U16(0).U16(0x1111).U16(0x2222).U16(0x3333).U16(0).Key("ZQRS").Key(inMode);
    return bytes.U8(inEnabled).U8(0).U8(inOpacity).Get();
}

ByteVector GlowFields(uint32 inVersion, uint32 inBlur, const char (&inMode)[5], uint8 inEnabled) {
    Bytes bytes;
    bytes.U32(inVersion).U32(inBlur).U32(0x10000).U16(0).U16(0xFFFF).U16(0xEEEE).U16(0xDDDD).U16(0);
    bytes.Key("ZQRS").Key(inMode);
    bytes.U8(inEnabled).U8(99);
    if (inVersion >= 1) bytes.U8(0);
    return bytes.Get();
}

ByteVector BevelFields(uint8 inStyle, uint32 inAngle, uint32 inStrength, uint32 inBlur) {
    Bytes bytes;
    bytes.U32(0).U32(inAngle).U32(inStrength).U32(inBlur).Key("ZQRS").Key("lite").Key("ZQRS").Key("dark");
    bytes.U16(0).U16(0xFFFF).U16(0xFFFF).U16(0xFFFF).U16(0).Zeros(10);
    for (uint32 value : {uint32(inStyle), 10u, 20u, 1u, 0u, 1u}) bytes.U8(value);
    return bytes.Get();
}

std::optional<LayerFXParameters> ReadPayload(const ByteVector& inPayload, std::string* outRefusal) {
    MemoryFilePort port(inPayload);
    SReadStream stream(&port, 0, 4096, 0);
    try {
        const LayerFX fx(stream, uint32(inPayload.size()));
        return fx.Parameters();
    } catch (const BaseException& e) {
        if (outRefusal != nullptr) *outRefusal = e.Message().Text();
        return std::nullopt;
    }
}

TestImage MakeImage(int32 inWidth, int32 inHeight, const GRect& inLayerRect,
                    const std::function<NativeQuad(int32, int32)>& inPixel) {
    TestImage result;
    result.image = std::make_unique<CImage>(inWidth, inHeight);
    CNativeQuadTileBuffer pixels(inLayerRect, kTransparentWhite);
    for (int32 y = inLayerRect.top; y < inLayerRect.bottom; ++y)
        for (int32 x = inLayerRect.left; x < inLayerRect.right; ++x) {
            const NativeQuad q = inPixel(x, y);
            pixels.SetTile(GRect(x, y, x + 1, y + 1), &q, 4);
        }
    result.layer = new CRGBLayer(nullptr, pixels, "effects", true, kBlendNormal, 255, 1);
    result.image->AddLayer(result.layer, false, -1, true);
    return result;
}

LayerFXParameters RandomParameters(std::mt19937& ioRandom, int32 inMaxBlur, int32 inMaxDistance) {
    auto in = [&](int64 inMin, int64 inMax) {
        return Fixed(inMin + int64(ioRandom() % uint64(inMax - inMin + 1)));
    };
    auto flag = [&] { return (ioRandom() & 1) != 0; };
    auto opacity = [&] { return ioRandom() % 5 == 0 ? uint8(0) : uint8(ioRandom()); };
    auto mode = [&] { return kBlendModeKeys[ioRandom() % 17].mode; };
    auto blur = [&] {
        return ioRandom() % 4 == 0   ? Fixed(0)
               : ioRandom() % 3 == 0 ? in(1, 0xFFFF)
                                     : in(0, int64(inMaxBlur) << 16);
    };
    auto angle = [&] { return in(kMinFXFixedAngleValue, kMaxFXFixedAngleValue); };
    auto intensity = [&] { return in(0, kMaxFXFixedIntensityValue); };
    auto distance = [&] { return in(0, int64(inMaxDistance) << 16); };
    auto color = [&] {
        if (ioRandom() % 6 == 0) return ColorRecord::Empty();
        return ColorRecord{int16(ioRandom() % 4),
                           {uint16(ioRandom()), uint16(ioRandom()), uint16(ioRandom()), uint16(ioRandom())}};
    };
    LayerFXParameters p;
    p.mDropShadowEnabled = flag(), p.mDropShadowBlendMode = mode(), p.mDropShadowOpacity = opacity();
    p.mDropShadowColor = color(), p.mDropShadowBlur = blur(), p.mDropShadowIntensity = intensity();
    p.mDropShadowAngle = angle(), p.mDropShadowDistance = distance(), p.mDropShadowUseGlobalAngle = flag();
    p.mInnerShadowEnabled = flag(), p.mInnerShadowBlendMode = mode(), p.mInnerShadowOpacity = opacity();
    p.mInnerShadowColor = color(), p.mInnerShadowBlur = blur(), p.mInnerShadowIntensity = intensity();
    p.mInnerShadowAngle = angle(), p.mInnerShadowDistance = distance(), p.mInnerShadowUseGlobalAngle = flag();
    p.mOuterGlowEnabled = flag(), p.mOuterGlowBlendMode = mode(), p.mOuterGlowOpacity = opacity();
    p.mOuterGlowColor = color(), p.mOuterGlowBlur = blur(), p.mOuterGlowIntensity = intensity();
    p.mInnerGlowEnabled = flag(), p.mInnerGlowBlendMode = mode(), p.mInnerGlowOpacity = opacity();
    p.mInnerGlowColor = color(), p.mInnerGlowBlur = blur(), p.mInnerGlowIntensity = intensity();
    p.mInnerGlowInvert = flag();
    p.mBevelEnabled = flag(), p.mBevelHighlightBlendMode = mode(), p.mBevelShadowBlendMode = mode();
    p.mBevelHighlightOpacity = opacity(), p.mBevelShadowOpacity = opacity();
    p.mBevelHighlightColor = color(), p.mBevelShadowColor = color(), p.mBevelBlur = blur();
    p.mBevelAngle = angle(), p.mBevelStrength = in(kMinFXFixedStrengthValue, kMaxFXFixedStrengthValue);
    p.mBevelStyle = int32(1 + ioRandom() % 4), p.mBevelDirection = flag(), p.mBevelUseGlobalAngle = flag();
    return p;
}

LayerFXParameters QuietParameters() {
    LayerFXParameters p;
    p.mDropShadowColor = ColorRecord::FromRGB(0, 0, 0);
    p.mInnerShadowColor = ColorRecord::FromRGB(20, 0, 40);
    p.mOuterGlowColor = ColorRecord::FromRGB(255, 255, 0);
    p.mInnerGlowColor = ColorRecord::FromRGB(0, 255, 200);
    p.mBevelHighlightColor = ColorRecord::FromRGB(255, 255, 255);
    p.mBevelShadowColor = ColorRecord::FromRGB(0, 0, 60);
    return p;
}

}  // namespace EffectsTest
