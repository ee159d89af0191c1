#include "tools/layers/ComposeDocument.h"

#include <algorithm>
#include <memory>
#include <tuple>

#include "API/Platform/PlatformTestHooks.h"
#include "Src/Orvane/Src/Compositing/BlendModeKeys.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/CLayer.h"
#include "Src/Orvane/Src/Image/CRGBLayer.h"
#include "Src/Tarnwick/LImageFile.h"
#include "Src/Tarnwick/LibraryStartup.h"
#include "tools/engine/DocumentWriter.h"
#include "tools/engine/FailureReason.h"
#include "tools/png/PngReader.h"

namespace {

constexpr int32 kLumenarFormatType = 0;

// One entry's pixels, read and checked before the engine is touched.
struct LoadedLayer {
    const StackLayer* entry = nullptr;
    uint32 blendMode = 0;
    GRect bounds;
    RgbaImage pixels;
    GRect maskBounds;
    GreyImage mask;
};

std::string InFolder(const std::string& inFolder, const std::string& inFile) {
    return inFolder.empty() || (!inFile.empty() && inFile[0] == '/') ? inFile : inFolder + "/" + inFile;
}

std::string Key(size_t inIndex, const std::string& inKey) {
    return "layers[" + std::to_string(inIndex) + "]." + inKey;
}

bool BlendModeOf(const std::string& inKey, uint32& outMode) {
    uint32 key = 0;
    for (const char c : inKey) key = (key << 8) | static_cast<unsigned char>(c);
    for (const BlendModeKey& known : kBlendModeKeys) {
        if (known.key == key) {
            outMode = known.mode;
            return true;
        }
    }
    return false;
}

// A rectangle united with the canvas must still fit a layer.
bool FitsWithCanvas(const GRect& inRect, const LayerStack& inStack) {
    const int64 left = std::min<int64>(inRect.left, 0), top = std::min<int64>(inRect.top, 0);
    const int64 right = std::max<int64>(inRect.right, inStack.width);
    const int64 bottom = std::max<int64>(inRect.bottom, inStack.height);
    return right - left <= kMaxImageDimension && bottom - top <= kMaxImageDimension;
}

bool CheckSize(size_t inIndex, const std::string& inPrefix, std::optional<int32> inWidth,
               std::optional<int32> inHeight, int32 inPngWidth, int32 inPngHeight, const std::string& inFile,
               std::string& outError) {
    for (auto [key, given, actual] :
         {std::tuple{"width", inWidth, inPngWidth}, std::tuple{"height", inHeight, inPngHeight}}) {
        if (given && *given >= 0 && *given != actual) {
            outError = Key(inIndex, inPrefix + key) + ": " + std::to_string(*given) + " does not match " +
                       inFile + " (" + std::to_string(inPngWidth) + " x " + std::to_string(inPngHeight) +
                       " pixels)";
            return false;
        }
    }
    return true;
}

bool LoadLayer(const LayerStack& inStack, size_t inIndex, const std::string& inFolder, LoadedLayer& outLayer,
               std::string& outError) {
    const StackLayer& entry = inStack.layers[inIndex];
    outLayer.entry = &entry;
    if (!BlendModeOf(entry.blend, outLayer.blendMode)) {
        outError = Key(inIndex, "blend") + ": \"" + entry.blend + "\" is not a blend mode key";
        return false;
    }
    if (!entry.file.empty()) {
        if (!ReadPngRgba(InFolder(inFolder, entry.file), outLayer.pixels, outError)) {
            outError = Key(inIndex, "file") + ": " + outError;
            return false;
        }
        if (!CheckSize(inIndex, "", entry.width, entry.height, outLayer.pixels.width, outLayer.pixels.height,
                       entry.file, outError))
            return false;
        outLayer.bounds = GRect(entry.left, entry.top, entry.left + outLayer.pixels.width,
                                entry.top + outLayer.pixels.height);
        if (!FitsWithCanvas(outLayer.bounds, inStack)) {
            outError = Key(inIndex, "left") + ": the layer reaches too far outside the canvas (at most " +
                       std::to_string(kMaxImageDimension) + " pixels across, canvas included)";
            return false;
        }
    }
    if (entry.mask && !entry.mask->applied) {
        const StackMask& mask = *entry.mask;
        if (!ReadPngGrey(InFolder(inFolder, mask.file), outLayer.mask, outError)) {
            outError = Key(inIndex, "mask.file") + ": " + outError;
            return false;
        }
        if (!CheckSize(inIndex, "mask.", mask.width, mask.height, outLayer.mask.width, outLayer.mask.height,
                       mask.file, outError))
            return false;
        outLayer.maskBounds =
            GRect(mask.left, mask.top, mask.left + outLayer.mask.width, mask.top + outLayer.mask.height);
        if (!FitsWithCanvas(outLayer.maskBounds, inStack)) {
            outError = Key(inIndex, "mask.left") + ": the mask reaches too far outside the canvas";
            return false;
        }
    }
    return true;
}

// Adds one layer to the image, in the order the reader sets a layer up: pixels, mask, settings.
void AddLayer(CImage& ioImage, const LoadedLayer& inLayer) {
    const StackLayer& entry = *inLayer.entry;
    const uint32 id = ioImage.NewLayerID();
    CRGBLayer* layer = nullptr;
    if (inLayer.bounds.Empty()) {
        layer = new CRGBLayer(&ioImage, entry.name, entry.visible, GPoint(0, 0), inLayer.blendMode,
                              entry.opacity, GPoint(1, 1), id);
    } else {
        std::vector<NativeQuad> quads(size_t(inLayer.bounds.Area()));
        for (size_t i = 0; i < quads.size(); ++i) {
            const uint8* rgba = &inLayer.pixels.pixels[i * 4];
            quads[i] = NativeQuad{rgba[2], rgba[1], rgba[0], rgba[3]};
        }
        CNativeQuadTileBuffer pixels(inLayer.bounds, kTransparentWhite);
        pixels.SetTile(inLayer.bounds, quads.data(), inLayer.bounds.Width() * 4);
        layer =
            new CRGBLayer(&ioImage, pixels, entry.name, entry.visible, inLayer.blendMode, entry.opacity, id);
    }
    std::unique_ptr<CLayer> owned(layer);
    ioImage.AddLayer(layer, false, -1, false);
    owned.release();
    if (!inLayer.maskBounds.Empty()) {
        const StackMask& mask = *entry.mask;
        layer->SetMaskDefaultColor(mask.defaultColour);
        ioImage.AddLayerMask(id, mask.defaultColour, inLayer.maskBounds);
        layer->SetLayerMaskTile(inLayer.maskBounds, inLayer.mask.pixels.data(), inLayer.mask.width);
        layer->SetMaskInverted(mask.inverted);
        layer->SetMaskLinked(mask.linked);
        layer->SetMaskEnabled(mask.enabled);
    }
    layer->SetTransparencyProtected(entry.transparencyProtected);
    layer->SetClipping(entry.clipping);
    layer->Deactivate();
}

// The tool's own engine, started without a spill file and with the platform's reports kept quiet.
class EngineScope {
public:
    EngineScope() {
        Platform::TestHooks::SetEcho(false);
        LibraryStart(nullptr);
    }
    ~EngineScope() { LibraryStopInDestructor(); }
};

}  // namespace

ComposeResult ComposeDocument(const LayerStack& inStack, const std::string& inFolder,
                              const std::string& inOutput, std::vector<std::string>& outWarnings,
                              std::string& outError) {
    for (size_t i = 0; i < inStack.layers.size(); ++i) {
        const StackLayer& entry = inStack.layers[i];
        const std::string which = "layers[" + std::to_string(i) + "] \"" + entry.name + "\"";
        if (!entry.adjustment.empty())
            outWarnings.push_back(which + ": adjustment layers cannot be rebuilt from layer files; left out");
        else if (entry.effects)
            outWarnings.push_back(which + ": its effects cannot be rebuilt from layer files; left out");
    }
    // One layer file in memory at a time: each is read, checked and handed to the image before the next.
    EngineScope engine;
    auto build = [&] {
        LImageFile file(inStack.width, inStack.height, kLumenarFormatType);
        file.SetResolution(inStack.horizontalResolution, inStack.verticalResolution);
        CImage& image = *file.GetImage();
        for (size_t i = 0; i < inStack.layers.size(); ++i) {
            if (!inStack.layers[i].adjustment.empty()) continue;
            LoadedLayer layer;
            if (!LoadLayer(inStack, i, inFolder, layer, outError)) return ComposeResult::kStackRefused;
            AddLayer(image, layer);
        }
        return WriteDocumentFile(file, inOutput, outError) ? ComposeResult::kDone
                                                           : ComposeResult::kWriteFailed;
    };
    ComposeResult result = ComposeResult::kWriteFailed;
    RunForReason([&] { result = build(); }, "the document could not be built", outError);
    return result;
}
