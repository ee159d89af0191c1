// The document facade: loading and flattening, composite tiles, the translation of failures, the global
// angle and the matte.
#include "Src/Orvane/Src/Format/CImageResource.h"
#include "Src/Orvane/Src/Image/PixelMath.h"
#include "Src/Tarnwick/LImageFile.h"
#include "tests/Format/ReaderTestSupport.h"
#include "tests/support/ReportCapture.h"

namespace {

using ImageFile = ReaderTest;

TEST_F(ImageFile, LoadingReadsTheLayersOnceAndFlatteningMergesThem) {
    DocumentBuilder doc(6, 4);
    doc.AddLayer(LayerSpec::Solid(0, 0, 6, 4, 10, 20, 30)).AddLayer(LayerSpec::Solid(1, 1, 3, 3, 40, 50, 60));
    MemoryFilePort port(doc.Build());
    LImageFile file(&port, 0);
    file.LoadImage(nullptr);
    ASSERT_NE(file.GetImage(), nullptr);
    CImage* image = file.GetImage();
    EXPECT_EQ(image->GetLayerCount(), 2);
    const size_t reads = port.Reads().size();
    LProgressScope progress;
    file.LoadAndFlatten(&progress);
    EXPECT_EQ(file.GetImage(), image);
    EXPECT_EQ(port.Reads().size(), reads);
    EXPECT_EQ(image->GetLayerCount(), 1);
}

TEST_F(ImageFile, ACompositeTileFirstLoadsTheDocumentAndIsMattedOnRequest) {
    DocumentBuilder doc(4, 2);
    doc.AddLayer(LayerSpec::Solid(0, 0, 4, 2, 200, 100, 50, 128));
    MemoryFilePort port(doc.Build());
    LImageFile file(&port, 0);
    NativeQuad plain[4] = {}, matted[4] = {};
    file.GetCompositeTile(GRect(1, 0, 3, 2), matted, true);
    ASSERT_NE(file.GetImage(), nullptr);
    file.GetCompositeTile(GRect(0, 0, 2, 2), plain, false);
    EXPECT_EQ(Word(plain[3]), 0x80C86432u);
    LImageFile::MatteOverWhite(plain, 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Word(matted[i]), Word(plain[i])) << i;
}

TEST_F(ImageFile, RefusalsReachTheCallerAsTWExceptionsWithTheirText) {
    const struct {
        std::function<void(DocumentBuilder&)> damage;
        std::function<void(LImageFile&)> call;
        std::string text;
    } cases[] = {
        {[](auto& d) { d.header.version = 2; }, [](LImageFile& f) { f.GetWidth(); }, kObsoleteLumenar},
        {[](auto& d) { d.mergedCompression = 3; }, [](LImageFile& f) { f.LoadImage(nullptr); },
         kUnknownFormat},
        // Cut inside a layer record's blend key: the stream fails at the next field.
        {[](auto& d) {
             d.AddLayer(LayerSpec::Solid(0, 0, 1, 1, 1, 2, 3));
             DocumentLayout layout;
             d.Build(&layout);
             d.truncateTo = layout.records[0] + 48;
         },
         [](LImageFile& f) { f.LoadImage(nullptr); }, "a file-system error has occurred"},
    };
    for (const auto& c : cases) {
        DocumentBuilder doc(2, 2);
        c.damage(doc);
        MemoryFilePort port(doc.Build());
        LImageFile file(&port, 0);
        std::string text = "no exception";
        CaptureReports([&] {
            try {
                c.call(file);
            } catch (const TWException& e) {
                ZString message;
                e.GetMessage(message);
                text = message.Text();
            }
        });
        EXPECT_EQ(text, c.text);
    }
}

TEST_F(ImageFile, TheGlobalAngleComesFromResource1037WhenItHoldsFourBytes) {
    const struct {
        std::optional<ByteVector> resource;
        int32 angle;
    } cases[] = {{std::nullopt, 30},
                 {ByteVector{0, 0, 0, 120}, 120},
                 {ByteVector{0, 0, 0, 45, 9}, 45},
                 {ByteVector{0, 0, 120}, 30},
                 {ByteVector{}, 30}};
    for (const auto& c : cases) {
        DocumentBuilder doc(2, 2);
        if (c.resource) doc.AddResource(ResourceSpec::Block(1037, *c.resource));
        MemoryFilePort port(doc.Build());
        LImageFile file(&port, 0);
        file.LoadImage(nullptr);
        ASSERT_NE(file.GetImage(), nullptr);
        EXPECT_EQ(file.GetImage()->GetGlobalAngle(), c.angle);
    }
}

// Every colour and alpha against the rounded product c' = 255 - round((255 - c) x a / 255). The opaque
// pixels come first, so that after the first one the last four of a sixteen are the first not opaque.
TEST(MatteOverWhite, MattesEveryColourAndAlphaAndKeepsAlpha) {
    std::vector<NativeQuad> pixels;
    for (uint32 k = 0; k < 256; ++k)
        for (uint32 c = 0; c < 256; ++c)
            pixels.push_back(MakeNativeQuad(uint8(c), uint8(255 - c), uint8(c / 2), uint8(k + 255)));
    std::vector<NativeQuad> matted = pixels;
    LImageFile::MatteOverWhite(matted.data(), 1);  // a run for the single-pixel loop alone
    LImageFile::MatteOverWhite(matted.data() + 1, uint32(matted.size() - 1));
    auto expected = [](uint32 c, uint32 a) { return uint8(255 - ((255 - c) * a * 2 + 255) / 510); };
    for (size_t i = 0; i < pixels.size(); ++i) {
        const NativeQuad& in = pixels[i];
        const NativeQuad& out = matted[i];
        ASSERT_EQ(out.red, expected(in.red, in.alpha)) << i;
        ASSERT_EQ(out.green, expected(in.green, in.alpha)) << i;
        ASSERT_EQ(out.blue, expected(in.blue, in.alpha)) << i;
        ASSERT_EQ(out.alpha, in.alpha);
    }
}

}  // namespace
