// Reading built documents in the reader suites: the codec over an in-memory port, what it produced, and
// the message of the refusal when there was one.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "API/Platform/PlatformTestHooks.h"
#include "Src/Orvane/Src/Compositing/CImageComposite.h"
#include "Src/Orvane/Src/Format/CImageResourceMgr.h"
#include "Src/Orvane/Src/Format/CLumenarFormat.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/CRGBLayer.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/PowerPellin/LProgressScope.h"
#include "Src/Tarnwick/LibraryStartup.h"
#include "tests/Image/ImageTestSupport.h"
#include "tests/support/DocumentBuilder.h"
#include "tests/support/MemoryFilePort.h"

// Refusal texts as the user sees them.
inline const std::string kUnknownFormat = "this file is in an unknown format";
inline const std::string kNoMultidisk = "multidisk files are not supported";
inline const std::string kBadLumenarType = "this is an unrecognized Lumenar file type";
inline const std::string kObsoleteLumenar = "this is an obsolete Lumenar file format";
inline const std::string kBadColorMode = "this file contains an unrecognized color mode";
inline const std::string kNoBitmaps = "Bitmap mode files are not supported";
inline const std::string kNoLab = "Lab color mode files are not supported";
inline const std::string kNoCMYK = "CMYK files must first be converted to RGB in Lumenar";
inline const std::string kNoDuotone = "Duotone color mode files are not supported";
inline const std::string kNoMultichannel = "Multichannel color mode files are not supported";
inline const std::string kMiscDisk = "a file-system error has occurred";
inline const std::string kImageTooLarge = "the result would make the image too big";
inline const std::string kSecondMask = "the layer already has a layer mask";

// One document read by the codec. Members are destroyed image first, port last.
struct ReadDocument {
    MemoryFilePort port;
    std::unique_ptr<SReadStream> stream;
    CImageResourceMgr resources;
    std::unique_ptr<CLumenarFormat> format;
    std::unique_ptr<CImage> image;
    bool loaded = false;
    std::string error;  // the refusal's message (or a description of a foreign exception)

    // Reads the header and, unless inHeaderOnly, the image.
    explicit ReadDocument(const ByteVector& inBytes, bool inHeaderOnly = false) : port(inBytes) {
        try {
            stream = std::make_unique<SReadStream>(&port, 0, 4096, 0);
            format = std::make_unique<CLumenarFormat>(&resources);
            format->SetReadStream(stream.get());
            format->ReadHeader();
            if (!inHeaderOnly) {
                image = std::make_unique<CImage>(int32(format->GetColumns()), int32(format->GetRows()));
                LProgressScope progress;
                format->ReadImage(image.get(), &progress);
            }
            loaded = true;
        } catch (const BaseException& e) {
            error = e.Message().Text();
        } catch (const std::exception& e) {
            error = std::string("foreign exception: ") + e.what();
        }
    }

    CRGBLayer* Layer(int32 inPosition) const {
        CLayer* layer = image->GetLayerWithPosition(inPosition);
        return layer != nullptr && layer->GetLayerType() == eRGBLayer ? static_cast<CRGBLayer*>(layer)
                                                                      : nullptr;
    }
};

// Starts the library for every test and gives NewLayerID a clock that moves on at every reading, so
// layers without stored ids do not wait for the real clock.
class ReaderTest : public testing::Test {
protected:
    void SetUp() override {
        LibraryStart(nullptr);
        Platform::TestHooks::SetTickSource([] {
            static uint32 ticks = 0;
            return ticks += 17;
        });
    }
    void TearDown() override {
        Platform::TestHooks::SetTickSource({});
        LibraryStop();
    }
};

// A pixel as the word 0xAARRGGBB.
inline constexpr auto& Word = NativeQuadToWord;

// The composite of inImage's canvas, row by row.
inline std::vector<NativeQuad> CanvasComposite(CImage& inImage) {
    const GRect canvas = inImage.GetImageRect();
    std::vector<NativeQuad> pixels(size_t(canvas.Area()));
    GetCompositeTile(inImage, canvas, pixels.data(), canvas.Width() * 4);
    return pixels;
}

// inCount random bytes from inSeed, each at least inLowest.
inline ByteVector RandomBytes(size_t inCount, uint32 inSeed, uint8 inLowest = 0) {
    std::mt19937 random(inSeed);
    ByteVector bytes(inCount);
    for (uint8& b : bytes) b = uint8(inLowest + random() % (256 - inLowest));
    return bytes;
}

// The canvas of an image's extra channel inIndex, row by row.
inline ByteVector ExtraChannelBytes(const CImage& inImage, int32 inIndex) {
    const GRect canvas = inImage.GetImageRect();
    ByteVector values(size_t(canvas.Area()));
    inImage.GetExtraChannel(inIndex).GetTile(canvas, values.data(), canvas.Width());
    return values;
}

// A progress scope that keeps every portion reported to it.
struct RecordingScope : LProgressScope {
    std::vector<double> seen;
    void SetPortionComplete(double inPortion) override {
        seen.push_back(inPortion);
        LProgressScope::SetPortionComplete(inPortion);
    }
};
