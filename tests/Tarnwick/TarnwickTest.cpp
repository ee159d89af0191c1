// The library's start and stop (nested and repeated sessions, singletons), and the document facade:
// loading and flattening, composite tiles, the translation of failures, the global angle and the matte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Src/Orvane/Src/Format/CImageResource.h"
#include "Src/Orvane/Src/Image/PixelMath.h"
#include "Src/Orvane/Src/Storage/SpillSuite.h"
#include "Src/Pellin/Isol/Allocator.h"
#include "Src/Pellin/Isol/ByteTables.h"
#include "Src/PowerPellin/LScratchBuffer.h"
#include "Src/Tarnwick/LImageFile.h"
#include "Src/Tarnwick/LibraryStartup.h"
#include "Src/Tarnwick/TSingleton.h"
#include "tests/Format/ReaderTestSupport.h"
#include "tests/Isol/ReportLog.h"
#include "tests/support/MemoryFilePort.h"
#include "tests/support/ReportCapture.h"

namespace {

using ImageFile = ReaderTest;

ByteVector TwoLayerDocument() {
    DocumentBuilder doc(6, 4);
    doc.AddLayer(LayerSpec::Solid(0, 0, 6, 4, 10, 20, 30));
    doc.AddLayer(LayerSpec::Solid(1, 1, 3, 3, 40, 50, 60));
    return doc.Build();
}

std::string MessageOf(const TWException& inException) {
    ZString message;
    inException.GetMessage(message);
    return message.Text();
}

TEST_F(ImageFile, LoadingReadsTheLayersOnceAndFlatteningMergesThem) {
    MemoryFilePort port(TwoLayerDocument());
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
                text = MessageOf(e);
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

// Every colour and alpha against the rounded product c' = 255 - round((255 - c) x a / 255).
TEST(MatteOverWhite, MattesEveryColourAndAlphaAndKeepsAlpha) {
    std::vector<NativeQuad> pixels;
    for (uint32 a = 0; a < 256; ++a)
        for (uint32 c = 0; c < 256; ++c)
            pixels.push_back(MakeNativeQuad(uint8(c), uint8(255 - c), uint8(c / 2), uint8(a)));
    std::vector<NativeQuad> matted = pixels;
    LImageFile::MatteOverWhite(matted.data(), uint32(matted.size()));
    auto expected = [](uint32 c, uint32 a) { return uint8(255 - ((255 - c) * a * 2 + 255) / 510); };
    for (size_t i = 0; i < pixels.size(); ++i) {
        const NativeQuad& in = pixels[i];
        const NativeQuad& out = matted[i];
        ASSERT_EQ(out.red, expected(in.red, in.alpha)) << i;
        ASSERT_EQ(out.green, expected(in.green, in.alpha)) << i;
        ASSERT_EQ(out.blue, expected(in.blue, in.alpha)) << i;
        ASSERT_EQ(out.alpha, in.alpha);
    }
    EXPECT_EQ(Word(matted[255 * 256 + 7]), 0xFF07F803u);  // alpha 255: unchanged
}

std::vector<std::string> gEvents;

struct First : LAllocatedObject {
    First() { gEvents.push_back("new First"); }
    ~First() { gEvents.push_back("delete First"); }
    int32 value = 11;
};
struct Second : LAllocatedObject {
    Second() { gEvents.push_back("new Second"); }
    ~Second() { gEvents.push_back("delete Second"); }
};
// Touches another singleton while being deleted: the late registration must still be cleaned up.
struct ReachesOut {
    ~ReachesOut() { TSingleton<Second>::Instance(); }
};

class LibraryStartup : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(LibraryStartCount(), 0);
        gEvents.clear();
    }
    void TearDown() override {
        while (LibraryStartCount() > 0) LibraryStop();
        DeleterRegistry::DeleteAll();
    }
};

TEST_F(LibraryStartup, NestedStartsKeepStateUntilTheOutermostStop) {
    MemoryFilePort port(MemoryFilePort::Pattern(1234)), other(MemoryFilePort::Pattern(1234));
    LibraryStart(&port);
    EXPECT_EQ(port.GetLength(), 0u);  // installing empties the spill file
    TSingleton<Second>::Instance();
    First* first = TSingleton<First>::Instance();
    EXPECT_EQ(TSingleton<First>::Instance(), first);  // one instance
    EXPECT_EQ(DeleterRegistry::Count(), 2);

    LibraryStart(&other);  // nested: does nothing
    EXPECT_EQ(SpillSuite::Port(), &port);
    EXPECT_EQ(other.GetLength(), 1234u);
    LibraryStop();
    EXPECT_EQ(LibraryStartCount(), 1);
    EXPECT_EQ(SpillSuite::Port(), &port);
    EXPECT_EQ(TSingleton<First>::Existing(), first);

    LibraryStop();
    EXPECT_EQ(LibraryStartCount(), 0);
    EXPECT_EQ(SpillSuite::Port(), nullptr);
    EXPECT_EQ(TSingleton<First>::Existing(), nullptr);
    EXPECT_EQ(DeleterRegistry::Count(), 0);
    // Singletons are deleted in the order they were registered.
    EXPECT_EQ(gEvents,
              (std::vector<std::string>{"new Second", "new First", "delete Second", "delete First"}));
    ReportLog log;
    LibraryStop();  // unmatched: reported and ignored
    EXPECT_EQ(log.DebugStrings(), (std::vector<std::string>{"Assertion failed: \"sStartCount > 0\""}));
    EXPECT_EQ(LibraryStartCount(), 0);
}

// Every session starts afresh (spill port, singletons, idle blocks freed at the stop), but the byte
// tables are built only once per process: a changed entry survives the next start.
TEST_F(LibraryStartup, RepeatedSessionsInOneProcess) {
    MemoryFilePort port;
    uint8 saved = 0;
    for (int session = 0; session < 5; ++session) {
        LibraryStart(&port);
        EXPECT_EQ(SpillSuite::Port(), &port);
        if (session == 0) saved = gMultiplyTable[200][100];
        EXPECT_EQ(gMultiplyTable[200][100], session == 0 ? 78 : 1);
        EXPECT_EQ(TSingleton<First>::Instance()->value, 11);
        TSingleton<First>::Instance()->value = 99;  // must not survive into the next session
        LScratchBuffer::AddIdleSharedBlock(LAllocate(32));
        LibraryStop();
        EXPECT_EQ(SpillSuite::Port(), nullptr);
        EXPECT_EQ(LScratchBuffer::FreeIdleSharedBlocks(), 0);  // already freed by the stop
        gMultiplyTable[200][100] = 1;                          // a rebuild at the next start would restore it
    }
    gMultiplyTable[200][100] = saved;
    EXPECT_EQ(gEvents.size(), 10u);
}

TEST(Singletons, RegistrationsMadeDuringDeletionAreCleanedUp) {
    gEvents.clear();
    TSingleton<ReachesOut>::Instance();
    DeleterRegistry::DeleteAll();
    EXPECT_EQ(TSingleton<ReachesOut>::Existing(), nullptr);
    EXPECT_EQ(TSingleton<Second>::Existing(), nullptr);
    EXPECT_EQ(gEvents, (std::vector<std::string>{"new Second", "delete Second"}));
    EXPECT_EQ(DeleterRegistry::Count(), 0);
}

}  // namespace
