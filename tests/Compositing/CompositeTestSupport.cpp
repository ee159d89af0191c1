#include "tests/Compositing/CompositeTestSupport.h"

#include "Src/Orvane/Src/Compositing/CImageComposite.h"
#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Orvane/Src/Image/CIndexedLayer.h"

namespace CompositeTest {

void InvertLayer::AdjustTile(const GRect& inRect, const NativeQuad* inSource, int32& ioSourceRowBytes,
                             NativeQuad* outDestination, int32& ioDestinationRowBytes) {
    for (int32 y = 0; y < inRect.Height(); ++y) {
        const auto* from = reinterpret_cast<const NativeQuad*>(reinterpret_cast<const uint8*>(inSource) +
                                                               y * ioSourceRowBytes);
        auto* to = reinterpret_cast<NativeQuad*>(reinterpret_cast<uint8*>(outDestination) +
                                                 y * ioDestinationRowBytes);
        for (int32 x = 0; x < inRect.Width(); ++x) {
            to[x].red = uint8(255 - from[x].red);
            to[x].green = uint8(255 - from[x].green);
            to[x].blue = uint8(255 - from[x].blue);
        }
    }
}

void FakeEffects::Render(const LayerEffectsDrawing& inDrawing) const {
    bool opaque = true;
    for (int32 y = 0; y < inDrawing.mInnerArea.Height(); ++y) {
        auto* inner = reinterpret_cast<NativeQuad*>(reinterpret_cast<uint8*>(inDrawing.mInner) +
                                                    y * inDrawing.mInnerRowBytes);
        auto* outer = reinterpret_cast<NativeQuad*>(reinterpret_cast<uint8*>(inDrawing.mOuter) +
                                                    y * inDrawing.mOuterRowBytes);
        for (int32 x = 0; x < inDrawing.mInnerArea.Width(); ++x) {
            opaque = opaque && inner[x].alpha == 255;
            inner[x] = mInnerColor;
            if (mOuter) outer[x] = mOuterColor;
        }
    }
    mCalls.push_back({inDrawing.mInnerArea, opaque, inDrawing.mInGroup, inDrawing.mUseLayerMask});
}

std::vector<NativeQuad> Composite(CImage& inImage, const GRect& inRect) {
    std::vector<NativeQuad> pixels(size_t(inRect.Width()) * size_t(inRect.Height()), NativeQuad{1, 2, 3, 4});
    GetCompositeTile(inImage, inRect, pixels.data(), inRect.Width() * 4);
    return pixels;
}

CRGBLayer* PaintedLayer(uint32 inID, const GRect& inRect,
                        const std::function<NativeQuad(int32, int32)>& inPixel) {
    CNativeQuadTileBuffer pixels(inRect, kTransparentWhite);
    for (int32 y = inRect.top; y < inRect.bottom; ++y)
        for (int32 x = inRect.left; x < inRect.right; ++x) {
            const NativeQuad q = inPixel(x, y);
            pixels.SetTile(GRect(x, y, x + 1, y + 1), &q, 4);
        }
    return new CRGBLayer(nullptr, pixels, "painted", true, kBlendNormal, 255, inID);
}

namespace {

// Alpha drawn from 0, 255 and anything between, so every branch of the modes is reached.
uint8 RandomAlpha(std::mt19937& ioRandom) {
    switch (ioRandom() % 4) {
        case 0:
            return 0;
        case 1:
            return 255;
        default:
            return uint8(ioRandom());
    }
}

GRect RandomRect(std::mt19937& ioRandom, const StackOptions& inOptions) {
    const int32 left = int32(ioRandom() % uint32(inOptions.width + 20)) - 12;
    const int32 top = int32(ioRandom() % uint32(inOptions.height + 20)) - 12;
    return GRect(left, top, left + 1 + int32(ioRandom() % 30), top + 1 + int32(ioRandom() % 25));
}

CLayer* RandomPixelLayer(std::mt19937& ioRandom, const StackOptions& inOptions, uint32 inID) {
    const GRect rect = RandomRect(ioRandom, inOptions);
    if (inOptions.allowIndexed && ioRandom() % 5 == 0) {
        NativeQuadCLUTRef table = NativeQuadCLUTRef::Create();
        for (int32 i = 0; i < 4; ++i)
            table->SetColor(i, MakeNativeQuad(uint8(ioRandom()), uint8(ioRandom()), uint8(ioRandom()),
                                              RandomAlpha(ioRandom)));
        auto* layer = new CIndexedLayer(nullptr, "indexed", true, rect, kBlendNormal, 255, table, 1, inID);
        std::vector<uint8> rows(size_t(rect.Width()) * size_t(rect.Height()));
        for (uint8& index : rows) index = uint8(ioRandom() % 4);
        layer->SetIndexRows(rect, rows.data(), rect.Width());
        return layer;
    }
    const bool flat = ioRandom() % 3 == 0;
    const NativeQuad flatColor =
        MakeNativeQuad(uint8(ioRandom()), uint8(ioRandom()), uint8(ioRandom()), RandomAlpha(ioRandom));
    return PaintedLayer(inID, rect, [&](int32, int32) {
        return flat ? flatColor
                    : MakeNativeQuad(uint8(ioRandom()), uint8(ioRandom()), uint8(ioRandom()),
                                     RandomAlpha(ioRandom));
    });
}

void RandomMask(std::mt19937& ioRandom, const StackOptions& inOptions, CLayer& ioLayer) {
    const uint8 defaultColor = ioRandom() % 2 ? 255 : 0;
    const GRect rect =
        RandomRect(ioRandom, inOptions).Intersection(GRect(0, 0, inOptions.width, inOptions.height));
    if (rect.Empty()) return;
    ioLayer.CreateLayerMask(defaultColor, rect);
    std::vector<uint8> bytes(size_t(rect.Width()) * size_t(rect.Height()));
    for (uint8& b : bytes) b = RandomAlpha(ioRandom);
    ioLayer.SetLayerMaskTile(rect, bytes.data(), rect.Width());
    ioLayer.SetMaskInverted(ioRandom() % 3 == 0);
    ioLayer.SetMaskEnabled(ioRandom() % 4 != 0);
}

}  // namespace

std::unique_ptr<CImage> RandomStack(std::mt19937& ioRandom, const StackOptions& inOptions) {
    auto image = std::make_unique<CImage>(inOptions.width, inOptions.height);
    const int32 count = 1 + int32(ioRandom() % uint32(inOptions.maxLayers));
    for (int32 i = 0; i < count; ++i) {
        const uint32 id = uint32(100 + i);
        CLayer* layer = inOptions.allowAdjustment && ioRandom() % 6 == 0
                            ? new InvertLayer(id)
                            : RandomPixelLayer(ioRandom, inOptions, id);
        image->AddLayer(layer, false, -1, true);
        uint32 mode = kAllBlendModes[ioRandom() % uint32(kBlendModeCount)];
        if (!inOptions.allowBehind && mode == kBlendBehind) mode = kBlendNormal;
        layer->SetBlendMode(ioRandom() % 3 == 0 ? uint32(kBlendNormal) : mode);
        layer->SetOpacity(ioRandom() % 2 ? uint8(255) : uint8(ioRandom()));
        layer->SetVisible(ioRandom() % 5 != 0);
        if (i > 0 && ioRandom() % 3 == 0) layer->SetClipping(1);
        if (ioRandom() % 3 == 0) RandomMask(ioRandom, inOptions, *layer);
    }
    return image;
}

}  // namespace CompositeTest
