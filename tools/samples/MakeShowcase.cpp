// make_showcase OUT.lmn: writes the bundled sample document, examples/showcase.lmn.
//
// The layers are built in the engine's image model and the document is written by the engine's writer
// (the one `lumenar compose` and `roundtrip` use); the adjustment and effects parameters are given as the
// blocks a document stores and read by the engine's own block readers. It shows what the compositing engine
// does with a small landscape: gradients and shapes in eight layers, seven blend modes, a layer mask, a clip
// group, a translucent layer, two adjustment layers (warming curves fading in toward the right, posterized
// bands in the lower left corner), a badge with layer effects (a soft drop shadow lit from the document's
// global angle and an inner bevel) and a hidden layer. The output is the same on every run.
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Src/Orvane/Src/Adjustments/AdjustmentLayerFactory.h"
#include "Src/Orvane/Src/Effects/LayerEffectsReader.h"
#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/CNativeQuadTileBuffer.h"
#include "Src/Orvane/Src/Image/CRGBLayer.h"
#include "Src/Orvane/Src/Storage/VMBuffer.h"
#include "Src/Orvane/Src/Storage/VMBufferPort.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/Tarnwick/LImageFile.h"
#include "Src/Tarnwick/LibraryStartup.h"
#include "tools/engine/DocumentWriter.h"

namespace {

constexpr int32 kLumenarFormatType = 0;
using ByteVector = std::vector<uint8>;

constexpr int32 kWidth = 512;
constexpr int32 kHeight = 320;

struct Rgba {
    uint8 r, g, b, a;
};

using Painter = std::function<Rgba(int32 x, int32 y)>;

uint8 Clamp(double inValue) {
    return uint8(std::lround(std::fmin(255.0, std::fmax(0.0, inValue))));
}

uint8 Mix(uint8 inFrom, uint8 inTo, double inT) {
    return Clamp(inFrom + (inTo - inFrom) * inT);
}

// A layer over (left, top, right, bottom) whose pixels come from inPaint in image coordinates, added on
// top of the stack with the next layer id.
CRGBLayer* Painted(CImage& ioImage, const std::string& inName, int32 inLeft, int32 inTop, int32 inRight,
                   int32 inBottom, const Painter& inPaint, uint32 inBlendMode, uint8 inOpacity = 255,
                   bool inVisible = true) {
    const GRect bounds(inLeft, inTop, inRight, inBottom);
    CNativeQuadTileBuffer pixels(bounds, kTransparentWhite);
    std::vector<NativeQuad> row(static_cast<size_t>(inRight - inLeft));
    for (int32 y = inTop; y < inBottom; ++y) {
        for (int32 x = inLeft; x < inRight; ++x) {
            const Rgba pixel = inPaint(x, y);
            row[size_t(x - inLeft)] = NativeQuad{pixel.b, pixel.g, pixel.r, pixel.a};
        }
        pixels.SetTile(GRect(inLeft, y, inRight, y + 1), row.data(), int32(row.size() * 4));
    }
    auto* layer = new CRGBLayer(&ioImage, pixels, inName, inVisible, inBlendMode, inOpacity,
                                uint32(ioImage.GetLayerCount() + 1));
    std::unique_ptr<CLayer> owned(layer);
    ioImage.AddLayer(layer, false, -1, false);
    owned.release();
    return layer;
}

// Gives the layer a mask over inRect whose bytes come from inMask in image coordinates.
void AddMask(CImage& ioImage, CLayer& ioLayer, const GRect& inRect, uint8 inDefaultColor,
             const std::function<uint8(int32 x, int32 y)>& inMask) {
    ioImage.AddLayerMask(ioLayer.GetLayerID(), inDefaultColor, inRect);
    std::vector<uint8> row(static_cast<size_t>(inRect.Width()));
    for (int32 y = inRect.top; y < inRect.bottom; ++y) {
        for (int32 x = inRect.left; x < inRect.right; ++x) row[size_t(x - inRect.left)] = inMask(x, y);
        ioLayer.SetLayerMaskTile(GRect(inRect.left, y, inRect.right, y + 1), row.data(), inRect.Width());
    }
}

// A read stream over bytes held in memory, for the engine's block readers.
class BlockStream {
public:
    explicit BlockStream(const ByteVector& inBytes) : mPort(&mBuffer) {
        mBuffer.Resize(uint32(inBytes.size()));
        mBuffer.Write(0, uint32(inBytes.size()), inBytes.data());
        mStream = std::make_unique<SReadStream>(&mPort, kBigEndianOrder, 4096, 0);
    }
    SReadStream& Stream() { return *mStream; }

private:
    VMBuffer mBuffer;
    VMBufferPort mPort;
    std::unique_ptr<SReadStream> mStream;
};

// Coverage of a disc with a one-pixel soft edge.
double Disc(int32 inX, int32 inY, double inCentreX, double inCentreY, double inRadius) {
    const double distance = std::hypot(inX + 0.5 - inCentreX, inY + 0.5 - inCentreY);
    return std::fmin(1.0, std::fmax(0.0, inRadius - distance + 0.5));
}

double HillTop(int32 inX) {
    return 200.0 + 28.0 * std::sin(inX / 47.0) + 14.0 * std::sin(inX / 19.0 + 1.0);
}

void Sky(CImage& ioImage) {
    Painted(
        ioImage, "Sky", 0, 0, kWidth, kHeight,
        [](int32, int32 y) {
            const double t = double(y) / (kHeight - 1);
            return Rgba{Mix(24, 250, t), Mix(40, 150, t), Mix(110, 90, t), 255};
        },
        kBlendNormal);
}

void Sun(CImage& ioImage) {
    Painted(
        ioImage, "Sun", 300, 40, 460, 200,
        [](int32 x, int32 y) {
            const double glow = std::fmax(0.0, 1.0 - std::hypot(x - 380.0, y - 120.0) / 80.0);
            const double core = Disc(x, y, 380.0, 120.0, 42.0);
            return Rgba{255, Mix(170, 240, core), Mix(40, 120, core),
                        Clamp(255.0 * std::fmax(core, glow * glow))};
        },
        kBlendScreen);
}

// Hills with a mask that fades them out toward the left edge.
void Hills(CImage& ioImage) {
    CRGBLayer* layer = Painted(
        ioImage, "Hills", 0, 150, kWidth, kHeight,
        [](int32 x, int32 y) {
            const double edge = std::fmin(1.0, std::fmax(0.0, y + 0.5 - HillTop(x)));
            const double t = double(y - 150) / (kHeight - 150);
            return Rgba{Mix(60, 20, t), Mix(140, 70, t), Mix(60, 30, t), Clamp(255.0 * edge)};
        },
        kBlendNormal);
    const int32 maskWidth = 200;
    AddMask(ioImage, *layer, GRect(0, 150, maskWidth, kHeight), 255,
            [](int32 x, int32) { return Clamp(255.0 * double(x) / (maskWidth - 1)); });
}

// Stripes clipped to the hills: they show only where the hills are.
void HillStripes(CImage& ioImage) {
    CRGBLayer* layer = Painted(
        ioImage, "Hill stripes", 0, 150, kWidth, kHeight,
        [](int32 x, int32 y) {
            const bool stripe = ((x + y) / 12) % 2 == 0;
            return stripe ? Rgba{210, 230, 150, 255} : Rgba{255, 255, 255, 0};
        },
        kBlendMultiply);
    layer->SetClipping(1, false);
}

void Haze(CImage& ioImage) {
    Painted(
        ioImage, "Haze", 0, 0, kWidth, kHeight,
        [](int32 x, int32 y) {
            const double t = std::fmin(1.0, std::hypot(x - 120.0, y - 60.0) / 300.0);
            return Rgba{Mix(200, 40, t), Mix(60, 20, t), Mix(220, 120, t), 255};
        },
        kBlendOverlay, 150);
}

void Panel(CImage& ioImage) {
    Painted(
        ioImage, "Panel", 40, 40, 220, 130,
        [](int32 x, int32 y) {
            const bool border = x < 44 || x >= 216 || y < 44 || y >= 126;
            return border ? Rgba{255, 255, 255, 255} : Rgba{Mix(230, 90, (x - 40) / 180.0), 200, 90, 255};
        },
        kBlendDifference);
}

void Dots(CImage& ioImage) {
    Painted(
        ioImage, "Dots", 240, 220, 500, 310,
        [](int32 x, int32 y) {
            const double cx = 240 + 13 + 26 * ((x - 240) / 26);
            const double cy = 220 + 13 + 26 * ((y - 220) / 26);
            return Rgba{120, 160, 255, Clamp(255.0 * Disc(x, y, cx, cy, 8.0))};
        },
        kBlendColorDodge);
}

void Moon(CImage& ioImage) {
    Painted(
        ioImage, "Moon", 60, 150, 140, 230,
        [](int32 x, int32 y) {
            return Rgba{240, 240, 255, Clamp(255.0 * Disc(x, y, 100.0, 190.0, 30.0))};
        },
        kBlendLighten);
}

// Appends a big-endian 16-bit value.
void Put16(ByteVector& ioBytes, int32 inValue) {
    ioBytes.push_back(uint8(uint32(inValue) >> 8));
    ioBytes.push_back(uint8(inValue));
}

// An adjustment layer of inKey's kind, its parameters read from inData by the engine, and a mask over
// (left, top, right, bottom) whose pixels come from inMask in image coordinates.
void Adjustment(CImage& ioImage, const std::string& inName, uint32 inKey, const ByteVector& inData,
                int32 inLeft, int32 inTop, int32 inRight, int32 inBottom,
                const std::function<uint8(int32 x, int32 y)>& inMask) {
    uint32 type = 0;
    if (!AdjustmentTypeFromKey(FourCC("ZQRS"), inKey, type)) LTHROW_MESSAGE("not an adjustment key");
    const GRect bounds(inLeft, inTop, inRight, inBottom);
    BlockStream block(inData);
    CLayer* layer = ThrowIfNil(CreateAdjustmentLayer(&ioImage, inName, true, bounds, kBlendNormal, 255, 0,
                                                     uint32(ioImage.GetLayerCount() + 1), type,
                                                     block.Stream(), 0, uint32(inData.size())));
    std::unique_ptr<CLayer> owned(layer);
    ioImage.AddLayer(layer, false, -1, false);
    owned.release();
    AddMask(ioImage, *layer, bounds, 0, inMask);
}

// Curves in curve form: red lifted through (128, 185), blue lowered through (128, 85), fading in from the
// middle of the picture to its right edge.
void WarmCurves(CImage& ioImage) {
    ByteVector data = {0};  // curves, not maps
    Put16(data, 1);         // version
    const uint32 present = (1u << 1) | (1u << 3);
    for (int32 shift : {24, 16, 8, 0}) data.push_back(uint8(present >> shift));
    for (int32 middle : {185, 85}) {
        Put16(data, 3);
        for (int32 value : {0, 0, middle, 128, 255, 255}) Put16(data, value);  // output, input
    }
    while (data.size() % 4 != 0) data.push_back(0);
    Adjustment(ioImage, "Warm curves", FourCC("curv"), data, kWidth / 2, 0, kWidth, kHeight,
               [](int32 x, int32) { return Clamp(255.0 * (x - kWidth / 2) / (kWidth / 2 - 1)); });
}

// Posterize to 4 levels through a soft disc, cut to a box at the lower left.
void PosterBands(CImage& ioImage) {
    ByteVector data;
    Put16(data, 4);
    Put16(data, 0);
    Adjustment(ioImage, "Poster bands", FourCC("post"), data, 0, 240, 200, kHeight,
               [](int32 x, int32 y) { return Clamp(255.0 * Disc(x, y, 100.0, 280.0, 90.0)); });
}

// Appends a big-endian 32-bit value, and a four-character code.
void Put32(ByteVector& ioBytes, uint32 inValue) {
    Put16(ioBytes, int32(inValue >> 16));
    Put16(ioBytes, int32(inValue & 0xFFFF));
}
void PutKey(ByteVector& ioBytes, const char (&inKey)[5]) {
    for (int32 i = 0; i < 4; ++i) ioBytes.push_back(uint8(inKey[i]));
}
void PutRGB(ByteVector& ioBytes, uint8 inRed, uint8 inGreen, uint8 inBlue) {
    for (int32 value : {0, inRed * 257, inGreen * 257, inBlue * 257, 0}) Put16(ioBytes, value);
}
void PutEffectRecord(ByteVector& ioBytes, const char (&inKey)[5], const ByteVector& inFields) {
    PutKey(ioBytes, "ZQRS");
    PutKey(ioBytes, inKey);
    Put32(ioBytes, uint32(inFields.size()));
    ioBytes.insert(ioBytes.end(), inFields.begin(), inFields.end());
}

// The effects block of the badge: a soft brown shadow 6 pixels away from the global light, and an inner
// bevel lit from the same angle. Lengths, angles and blurs are 16.16 fixed-point numbers.
ByteVector BadgeEffects() {
    ByteVector common, shadow, bevel;
    Put32(common, 0);
    common.push_back(1);  // visible
    Put16(common, 0);
    Put32(shadow, 0);
    for (uint32 value : {4u << 16, 0u, 120u << 16, 6u << 16})
        Put32(shadow, value);  // blur, intensity, angle, distance
    PutRGB(shadow, 40, 24, 8);
    PutKey(shadow, "ZQRS");
    PutKey(shadow, "mul ");
    for (uint8 value : {1, 1, 170}) shadow.push_back(value);  // enabled, use global angle, opacity
    Put32(bevel, 0);
    for (uint32 value : {120u << 16, 4u << 16, 3u << 16}) Put32(bevel, value);  // angle, strength, blur
    PutKey(bevel, "ZQRS");
    PutKey(bevel, "scrn");
    PutKey(bevel, "ZQRS");
    PutKey(bevel, "mul ");
    PutRGB(bevel, 255, 250, 220);
    PutRGB(bevel, 70, 40, 10);
    for (uint8 value : {2, 210, 180, 1, 1, 0}) bevel.push_back(value);  // inner bevel, opacities, flags
    ByteVector payload;
    Put16(payload, 0);
    Put16(payload, 3);
    PutEffectRecord(payload, "cmnS", common);
    PutEffectRecord(payload, "dsdw", shadow);
    PutEffectRecord(payload, "bevl", bevel);
    while (payload.size() % 4 != 0) payload.push_back(0);
    return payload;
}

// A golden rounded square with a drop shadow and an inner bevel.
void Badge(CImage& ioImage) {
    constexpr double kLeft = 244.0, kTop = 56.0, kSize = 56.0, kCorner = 14.0;
    CRGBLayer* layer = Painted(
        ioImage, "Badge", 236, 48, 316, 128,
        [=](int32 x, int32 y) {
            const double cx = std::fmin(std::fmax(x + 0.5, kLeft + kCorner), kLeft + kSize - kCorner);
            const double cy = std::fmin(std::fmax(y + 0.5, kTop + kCorner), kTop + kSize - kCorner);
            const double coverage =
                std::fmin(1.0, std::fmax(0.0, kCorner - std::hypot(x + 0.5 - cx, y + 0.5 - cy) + 0.5));
            const double t = (x - kLeft + y - kTop) / (2.0 * kSize);
            return Rgba{Mix(250, 210, t), Mix(200, 140, t), Mix(60, 20, t), Clamp(255.0 * coverage)};
        },
        kBlendNormal);
    const ByteVector effects = BadgeEffects();
    BlockStream block(effects);
    layer->SetEffects(ReadLayerEffects(block.Stream(), uint32(effects.size())));
}

void HiddenDraft(CImage& ioImage) {
    Painted(
        ioImage, "Hidden draft", 0, 0, kWidth, kHeight,
        [](int32, int32) {
            return Rgba{255, 0, 0, 255};
        },
        kBlendNormal, 255, false);
}

// Resource 1037: the global light angle, 120 degrees (above, to the left), in whole degrees. Resource
// 1005: 150 pixels per inch both ways.
void AddResources(LImageFile& ioFile) {
    const uint8 angle[4] = {0, 0, 0, 120};
    ioFile.WriteResource(1037, angle, 4);
    ioFile.GetImage()->SetGlobalAngle(120);
    const uint8 resolution[16] = {0x00, 0x96, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01,
                                  0x00, 0x96, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01};
    ioFile.WriteResource(1005, resolution, 16);
}

// Builds and writes the document; false with the reason on failure.
bool WriteShowcase(const std::string& inPath, std::string& outReason) {
    return BuildDocument(
        [&] {
            LImageFile file(kWidth, kHeight, kLumenarFormatType);
            AddResources(file);
            CImage& image = *file.GetImage();
            for (void (*add)(CImage&) : {Sky, Sun, Hills, HillStripes, Haze, Moon, Panel, Dots, Badge,
                                         WarmCurves, PosterBands, HiddenDraft})
                add(image);
            for (int32 position = 0; position < image.GetLayerCount(); ++position)
                image.GetLayerWithPosition(position)->Deactivate();
            return WriteDocumentFile(file, inPath, outReason);
        },
        outReason);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_showcase OUT.lmn\n");
        return 2;
    }
    LibraryStart(nullptr);
    std::string reason;
    const bool written = WriteShowcase(argv[1], reason);
    LibraryStop();
    if (!written) {
        std::fprintf(stderr, "make_showcase: cannot write %s: %s\n", argv[1], reason.c_str());
        return 1;
    }
    std::printf("wrote %s\n", argv[1]);
    return 0;
}
