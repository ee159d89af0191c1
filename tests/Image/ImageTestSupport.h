// Helpers for the layer, image, composite and effects suites: a listener that records broadcasts, and
// layer factories.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/CRGBLayer.h"
#include "Src/Pellin/Isol/ByteTables.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/PowerPellin/LListener.h"
#include "tests/support/ReportCapture.h"

// Records every message an image broadcasts.
class MessageLog : public LListener {
public:
    void ListenToMessage(int32 inMessage, void*) override { messages.push_back(uint32(inMessage)); }
    int32 Count(uint32 inMessage) const {
        return int32(std::count(messages.begin(), messages.end(), inMessage));
    }
    std::vector<uint32> messages;
};

// An RGB layer whose pixels cover inRect (image coordinates) in inColor.
inline CRGBLayer* MakeLayer(uint32 inID, const GRect& inRect, NativeQuad inColor, CImage* inImage = nullptr) {
    CNativeQuadTileBuffer pixels(inRect, inColor);
    return new CRGBLayer(inImage, pixels, "layer", true, 12000, 255, inID);
}

// An RGB layer over inRect whose pixels are given by inPixel(x, y) in image coordinates.
inline CRGBLayer* PaintedLayer(uint32 inID, const GRect& inRect,
                               const std::function<NativeQuad(int32, int32)>& inPixel) {
    CNativeQuadTileBuffer pixels(inRect, kTransparentWhite);
    for (int32 y = inRect.top; y < inRect.bottom; ++y)
        for (int32 x = inRect.left; x < inRect.right; ++x) pixels.SetPixel(GPoint(x, y), inPixel(x, y));
    return new CRGBLayer(nullptr, pixels, "painted", true, 12000, 255, inID);
}

inline const NativeQuad kRed = MakeNativeQuad(255, 0, 0, 255), kGreen = MakeNativeQuad(0, 255, 0, 255),
                        kBlue = MakeNativeQuad(0, 0, 255, 255);

inline NativeQuad PixelAt(const CRGBLayer& inLayer, int32 inX, int32 inY) {
    NativeQuad q{};
    inLayer.GetTile(GRect(inX, inY, inX + 1, inY + 1), &q, 4);
    return q;
}

// Layer ids or clipping values from the bottom of the stack up.
inline std::vector<uint32> IdsOf(const CImage& inImage) {
    std::vector<uint32> ids;
    for (int32 p = 0; p < inImage.GetLayerCount(); ++p)
        ids.push_back(inImage.GetLayerWithPosition(p)->GetLayerID());
    return ids;
}
inline std::vector<uint32> ClippingOf(const CImage& inImage) {
    std::vector<uint32> values;
    for (int32 p = 0; p < inImage.GetLayerCount(); ++p)
        values.push_back(inImage.GetLayerWithPosition(p)->GetClipping());
    return values;
}

// The message of the engine exception the call throws, or "" when it throws none.
template <class Call>
std::string ThrownMessage(Call&& inCall) {
    std::string text;
    CaptureReports([&] {
        try {
            inCall();
        } catch (const Exception& e) {
            text = e.Message().Text();
        }
    });
    return text;
}

// Suites whose pixel arithmetic reads the multiply and divide tables.
class ColourTest : public testing::Test {
protected:
    static void SetUpTestSuite() { BuildByteTables(); }
};
