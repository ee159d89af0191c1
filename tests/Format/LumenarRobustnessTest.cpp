// Damaged documents: every prefix of a valid document gets the exact refusal of its failing read, and
// wide-field mutations of it are either read or refused, never a crash, a hang, a foreign exception (such
// as running out of memory) or a leak.
#include <random>
#include <set>

#include "tests/Format/ReaderTestSupport.h"

namespace {

// A small document that exercises every section: resources (one of them a plug-in resource), a masked
// layer with raw channels, a name and tagged blocks, a packed layer with an effects block, the global
// mask, and packed merged data with a transparency plane and an extra channel.
ByteVector LayeredDocument(DocumentLayout* outLayout) {
    DocumentBuilder doc(6, 4);
    doc.AddResource(ResourceSpec::Block(1005, {0, 72, 0, 0, 0, 1, 0, 1, 0, 72, 0, 0, 0, 1, 0, 1}));
    doc.AddResource(ResourceSpec::Plugin(4001, FourCC("plug"), {1, 2, 3}));
    LayerSpec first = LayerSpec::Solid(-1, 0, 4, 3, 200, 100, 50, 255);
    for (ChannelSpec& channel : first.channels) channel.compression = kCodingRaw;
    first.mask = MaskSpec::Rect(1, 1, 3, 3, 255, kMaskInverted);
    first.channels.push_back(ChannelSpec::Pixels(kChannelMask, {0, 64, 128, 255}, kCodingRaw));
    first.name = "first";
    first.layerID = 7;
    first.blocks = {AdditionalBlock::UnicodeName(u"first"), AdditionalBlock::Raw(FourCC("zzzz"), {1, 2, 3})};
    LayerSpec second = LayerSpec::Solid(2, 1, 6, 4, 10, 20, 30, 128);
    second.channels[0] = ChannelSpec::Pixels(kChannelRed, {1, 2, 3, 4, 5, 5, 5, 5, 9, 8, 7, 6});
    second.blendKey = FourCC("mul ");
    second.blocks = {AdditionalBlock::Raw(FourCC("lrFX"), ByteVector(12, 0))};
    doc.AddLayer(first).AddLayer(second);
    doc.globalMask = DocumentBuilder::StandardGlobalMask();
    doc.mergedTransparency = true;
    doc.mergedCompression = kCodingPacked;
    for (uint8 value : {255, 1, 2, 3, 77}) doc.AddMergedChannel(ByteVector(24, value));
    return doc.Build(outLayout);
}

class Damaged : public ReaderTest {
protected:
    void SetUp() override {
        ReaderTest::SetUp();
        Platform::TestHooks::SetEcho(false);
    }
    void TearDown() override {
        Platform::TestHooks::ClearLogs();
        Platform::TestHooks::SetEcho(true);
        ReaderTest::TearDown();
    }

    // Reads the bytes; a refusal must be one a reading step defines (the effects block's own refusals are
    // caught inside the reader and never reach here).
    static void ReadOrRefuse(const ByteVector& inBytes, const std::string& inWhat) {
        static const std::set<std::string> kRefusals = {
            kUnknownFormat, kNoMultidisk,   kBadLumenarType, kObsoleteLumenar, kBadColorMode,
            kNoBitmaps,     kNoLab,         kNoCMYK,         kNoDuotone,       kNoMultichannel,
            kMiscDisk,      kImageTooLarge, kSecondMask};
        ReadDocument read(inBytes);
        EXPECT_TRUE(read.loaded || kRefusals.count(read.error) == 1) << inWhat << ": " << read.error;
        Platform::TestHooks::ClearLogs();
    }
};

// A file cut at any length gets the refusal of the step that fails. A read that crosses the end comes
// back with zeros and the read after it fails in the stream, so inside the header a cut field is checked
// as zero (signature and version: BadLumenarType, channel count and columns: UnknownFormat, mode 0:
// NoBitmaps) unless a read follows first; everywhere else the stream fails, except in the last read of
// the document (the extra channel's last packed row), which loads.
TEST_F(Damaged, EveryPrefixGetsTheRefusalOfItsFailingRead) {
    DocumentLayout layout;
    const ByteVector bytes = LayeredDocument(&layout);
    const size_t lastRead = DocumentBuilder::PackRow(ByteVector(6, 77).data(), 6).size();
    const struct {
        size_t end;  // lengths below this one and at or above the previous row's end
        std::string error;
    } header[] = {{6, kBadLumenarType}, {12, kMiscDisk}, {14, kUnknownFormat}, {18, kMiscDisk},
                  {22, kUnknownFormat}, {24, kMiscDisk}, {26, kNoBitmaps}};
    for (size_t length = 0; length < bytes.size(); ++length) {
        std::string expected = length < bytes.size() - lastRead ? kMiscDisk : "";
        for (auto it = std::rbegin(header); it != std::rend(header); ++it)
            if (length < it->end) expected = it->error;
        ReadDocument read(ByteVector(bytes.begin(), bytes.begin() + ptrdiff_t(length)));
        EXPECT_EQ(read.error, expected) << "prefix " << length;
        EXPECT_EQ(read.loaded, expected.empty()) << "prefix " << length;
    }
    ReadDocument whole(bytes);
    ASSERT_TRUE(whole.loaded) << whole.error;
    EXPECT_EQ(whole.image->GetLayerCount(), 2);
    EXPECT_EQ(whole.image->GetExtraChannelCount(), 1);
}

TEST_F(Damaged, WideFieldMutationsAreReadOrRefused) {
    // Whole 32-bit fields overwritten with extreme values, at every 2-byte aligned offset.
    const ByteVector bytes = LayeredDocument(nullptr);
    const uint32 values[] = {0,      1,      3,          4,          12,         0x7FFF,
                             0x8000, 0xFFFF, 0x00000E00, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    for (size_t at = 0; at + 4 <= bytes.size(); at += 2) {
        for (uint32 value : values) {
            ByteVector mutated = bytes;
            for (int32 i = 0; i < 4; ++i) mutated[at + size_t(i)] = uint8(value >> (24 - 8 * i));
            ReadOrRefuse(mutated, "offset " + std::to_string(at) + " value " + std::to_string(value));
        }
    }
}

}  // namespace
