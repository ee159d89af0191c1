#include "tests/Compositing/CompositeTestSupport.h"

#include <algorithm>

#include "Src/Orvane/Src/Compositing/CImageComposite.h"
#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Orvane/Src/Image/CIndexedLayer.h"
#include "Src/Orvane/Src/Image/RasterDescriptor.h"
#include "tests/Compositing/BlendReference.h"

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
    mCalls.push_back({inDrawing.mInnerArea, opaque, inDrawing.mUseLayerMask});
}

std::vector<NativeQuad> Composite(CImage& inImage, const GRect& inRect) {
    std::vector<NativeQuad> pixels(size_t(inRect.Width()) * size_t(inRect.Height()), NativeQuad{1, 2, 3, 4});
    GetCompositeTile(inImage, inRect, pixels.data(), inRect.Width() * 4);
    return pixels;
}

namespace {

// Alpha drawn from 0, 255 and anything between, so every branch of the modes is reached.
uint8 RandomAlpha(std::mt19937& ioRandom) {
    const uint32 kind = ioRandom() % 4;
    return kind == 0 ? 0 : kind == 1 ? 255 : uint8(ioRandom());
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

namespace CompositeReference {

namespace {

using Plane = std::vector<NativeQuad>;

// Clip groups from the clipping values: a base has clipping 0 and a clipped layer above it; a group is
// the base and the clipped run above it (a clipped run at the bottom of the stack is a group without a
// base). Group() is the position where the layer's group starts, -1 outside any group.
class ClipGroups {
public:
    explicit ClipGroups(const CImage& inImage) {
        const int32 count = inImage.GetLayerCount();
        const auto clipped = [&](int32 p) {
            return p < count && inImage.GetLayerWithPosition(p)->GetClipping();
        };
        for (int32 p = 0; p < count; ++p) {
            mBase.push_back(count >= 2 && !clipped(p) && clipped(p + 1));
            const bool member = count >= 2 && (clipped(p) || clipped(p + 1));
            mGroup.push_back(!member ? -1 : p > 0 && mGroup[p - 1] >= 0 && !mBase[p] ? mGroup[p - 1] : p);
        }
    }
    bool Base(int32 p) const { return mBase[p]; }
    bool Same(int32 a, int32 b) const { return mGroup[a] >= 0 && mGroup[a] == mGroup[b]; }

private:
    std::vector<bool> mBase;
    std::vector<int32> mGroup;
};

Plane LayerPixels(CLayer& inLayer, const GRect& inTile) {
    Plane pixels(size_t(inTile.Area()), kTransparentWhite);
    RasterDescriptor descriptor;
    descriptor.Set(inTile, pixels.data(), inTile.Width() * 4, kRasterKindCallerBuffer);
    inLayer.GetTile(nullptr, nullptr, &descriptor, inTile);
    return pixels;
}

std::vector<uint8> MaskBytes(const CLayer& inLayer, const GRect& inTile) {
    std::vector<uint8> mask(size_t(inTile.Area()), inLayer.GetMaskDefaultColor());
    if (inLayer.HasLayerMask()) inLayer.GetLayerMaskTile(inTile, mask.data(), inTile.Width());
    if (inLayer.GetMaskInverted())
        for (uint8& m : mask) m = uint8(255 - m);
    return mask;
}

bool AllTransparent(const Plane& inPixels) {
    return std::all_of(inPixels.begin(), inPixels.end(), [](NativeQuad q) { return q.alpha == 0; });
}

void Blend(const GRect& inTile, uint32 inMode, uint8 inOpacity, bool inPreserve, const Plane& inSource,
           Plane& ioTarget) {
    for (size_t i = 0; i < ioTarget.size(); ++i) {
        const int32 x = inTile.left + int32(i % size_t(inTile.Width()));
        const int32 y = inTile.top + int32(i / size_t(inTile.Width()));
        BlendReference::BlendPixel(inMode, inOpacity, inPreserve, x, y, inSource[i], ioTarget[i]);
    }
}

void Adjust(CLayer& inLayer, const GRect& inTile, Plane& ioTarget) {
    if (!inLayer.GetMaskEnabled()) return;
    const Plane below = ioTarget;
    Plane adjusted(ioTarget.size(), kTransparentWhite);
    int32 rowBytes = inTile.Width() * 4, adjustedRowBytes = rowBytes;
    inLayer.AdjustTile(inTile, below.data(), rowBytes, adjusted.data(), adjustedRowBytes);
    const std::vector<uint8> mask = MaskBytes(inLayer, inTile);
    for (size_t i = 0; i < adjusted.size(); ++i) {
        adjusted[i].alpha = mask[i];
        ioTarget[i].alpha = 255;
    }
    Blend(inTile, inLayer.GetBlendMode(), inLayer.GetOpacity(), false, adjusted, ioTarget);
    for (size_t i = 0; i < adjusted.size(); ++i) ioTarget[i].alpha = below[i].alpha;
}

// The general path over one sub-tile.
Plane SubTile(CImage& inImage, const GRect& inTile) {
    const ClipGroups groups(inImage);
    Plane destination(size_t(inTile.Area()), kTransparentWhite);
    Plane group(destination.size(), kTransparentWhite);
    Plane* target = &destination;
    bool inGroup = false;
    int32 base = -1;
    uint32 groupMode = kBlendNormal;
    uint8 groupOpacity = 255;
    const int32 count = inImage.GetLayerCount();
    for (int32 p = 0; p < count;) {
        CLayer& layer = *inImage.GetLayerWithPosition(p);
        const bool first = groups.Base(p);
        if (first && !layer.GetVisible()) {
            int32 q = p + 1;
            while (q < count && groups.Same(p, q)) ++q;
            p = q;
            continue;
        }
        const bool ended = inGroup && base >= 0 && !groups.Same(p, base);
        if (first || ended) {
            if (inGroup) Blend(inTile, groupMode, groupOpacity, false, group, destination);
            inGroup = first;
            base = first ? p : -1;
            target = first ? &group : &destination;
            if (first) {
                groupMode = layer.GetBlendMode();
                groupOpacity = layer.GetOpacity();
                std::fill(group.begin(), group.end(), kTransparentWhite);
            }
        }
        GRect bounds = layer.GetBounds();
        if (layer.GetVisible() && layer.HasEnabledLayerMask()) bounds.UnionWith(layer.GetLayerMaskBounds());
        const bool skip = !layer.GetVisible() || (!bounds.Intersects(inTile) && !inGroup);
        if (!skip && layer.GetLayerType() == eAdjustmentLayer) {
            Adjust(layer, inTile, *target);
        } else if (!skip) {
            Plane pixels = LayerPixels(layer, inTile);
            const bool transparent = AllTransparent(pixels);
            if (layer.HasEnabledLayerMask()) {
                const std::vector<uint8> mask = MaskBytes(layer, inTile);
                for (size_t i = 0; i < pixels.size(); ++i)
                    pixels[i].alpha = uint8(BlendReference::Mul(mask[i], pixels[i].alpha));
            }
            if (!transparent)
                Blend(inTile, layer.GetBlendMode(), layer.GetOpacity(), inGroup && p != base, pixels,
                      *target);
        }
        ++p;
    }
    if (inGroup && !AllTransparent(group)) Blend(inTile, groupMode, groupOpacity, false, group, destination);
    return destination;
}

}  // namespace

std::vector<NativeQuad> Composite(CImage& inImage, const GRect& inRect) {
    Plane result(size_t(inRect.Area()), kTransparentWhite);
    const int32 count = inImage.GetLayerCount();
    if (count == 0) return result;
    CLayer& bottom = *inImage.GetLayerWithPosition(0);
    if (count == 1 && bottom.GetBlendMode() == kBlendNormal && bottom.GetVisible() &&
        !bottom.HasEnabledLayerMask()) {
        result = LayerPixels(bottom, inRect);
        for (NativeQuad& q : result) q.alpha = uint8(BlendReference::Mul(q.alpha, bottom.GetOpacity()));
        return result;
    }
    // Sub-tiles fill a 64 KB buffer of quads: w = min(width, 16384), h = min(height, 16384 / w).
    const int32 w = std::min(inRect.Width(), 16384);
    const int32 h = std::min(inRect.Height(), 16384 / w);
    for (int32 top = inRect.top; top < inRect.bottom; top += h) {
        for (int32 left = inRect.left; left < inRect.right; left += w) {
            const GRect tile(left, top, std::min(inRect.right, left + w), std::min(inRect.bottom, top + h));
            const Plane pixels = SubTile(inImage, tile);
            for (int32 y = 0; y < tile.Height(); ++y)
                std::copy_n(pixels.begin() + ptrdiff_t(y) * tile.Width(), tile.Width(),
                            result.begin() + ptrdiff_t(tile.top - inRect.top + y) * inRect.Width() +
                                (tile.left - inRect.left));
        }
    }
    return result;
}

}  // namespace CompositeReference
