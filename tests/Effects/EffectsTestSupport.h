// Helpers of the effects suites: effects payloads written byte by byte, reading them back, small layered
// images to draw effects from, and the reference model of effect drawing.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "Src/Orvane/Src/Effects/LayerFX.h"
#include "Src/Orvane/Src/Effects/LayerFXRep.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/CLayer.h"
#include "Src/Orvane/Src/Image/CRGBLayer.h"
#include "tests/Image/ImageTestSupport.h"
#include "tests/support/DocumentBuilder.h"

namespace EffectsTest {

// One record: signature, key, length (default: the fields' size), fields.
ByteVector Record(const char (&inKey)[5], const ByteVector& inFields,
                  std::optional<uint32> inLength = std::nullopt, const char (&inSignature)[5] = "ZQRS");
// A payload: version 0, the count (default: the number of records), the records.
ByteVector Payload(const std::vector<ByteVector>& inRecords, std::optional<int16> inCount = std::nullopt);

// Valid record fields with recognisable values.
ByteVector ShadowFields(uint32 inBlur = 0x50000, uint32 inIntensity = 0, uint32 inAngle = 0x780000,
                        uint32 inDistance = 0x50000, const char (&inMode)[5] = "mul ", uint8 inEnabled = 1,
                        uint8 inOpacity = 191);
ByteVector GlowFields(uint32 inVersion = 0, uint32 inBlur = 0x50000, const char (&inMode)[5] = "scrn",
                      uint8 inEnabled = 1);
ByteVector BevelFields(uint8 inStyle = 1, uint32 inAngle = 0x780000, uint32 inStrength = 0x50000,
                       uint32 inBlur = 0x50000);

// Reads a payload through a stream over memory; a refusal's text goes to outRefusal.
std::optional<LayerFXParameters> ReadPayload(const ByteVector& inPayload, std::string* outRefusal = nullptr);

// An image with one RGB layer whose pixels come from inPixel(x, y); the layer covers inLayerRect.
struct TestImage {
    std::unique_ptr<CImage> image;
    CRGBLayer* layer = nullptr;
};
TestImage MakeImage(int32 inWidth, int32 inHeight, const GRect& inLayerRect,
                    const std::function<NativeQuad(int32, int32)>& inPixel);

// Random parameters inside the valid ranges: blurs up to inMaxBlur whole pixels (often below one),
// distances up to inMaxDistance, keyed blend modes, colours of every space, both visibility flags on.
LayerFXParameters RandomParameters(std::mt19937& ioRandom, int32 inMaxBlur, int32 inMaxDistance);

// Parameters with every effect disabled and opaque colours everywhere, so a test enables just one.
LayerFXParameters QuietParameters();

// A straightforward model of effect drawing for the comparison tests: every mask value is computed on
// its own from direct weighted sums over the whole canvas (no running sums, no strips, no scratch
// buffers), following the arithmetic rules one by one, and blended pixel by pixel.

// A canvas-sized buffer of pixels, row after row.
struct Canvas {
    GRect area;
    std::vector<NativeQuad> pixels;
    NativeQuad& At(int32 inX, int32 inY) {
        return pixels[size_t(inY - area.top) * size_t(area.Width()) + size_t(inX - area.left)];
    }
};

// Draws what the effects of inLayer would draw: the outer group into ioOuter, the inner group into
// ioInner, in the image whose global angle is inGlobalAngle.
void ReferenceEffects(const LayerFXParameters& inParameters, const CLayer& inLayer, bool inUseLayerMask,
                      int32 inGlobalAngle, Canvas& ioOuter, Canvas& ioInner);

}  // namespace EffectsTest
