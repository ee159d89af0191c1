// The test document builder writes the bytes the layout prescribes, at the offsets it reports.
#include <gtest/gtest.h>

#include <random>

#include "Src/Orvane/Src/Format/PackBits.h"
#include "tests/support/DocumentBuilder.h"

namespace {

uint32 U32At(const ByteVector& b, size_t at) {
    return uint32(b.at(at)) << 24 | uint32(b.at(at + 1)) << 16 | uint32(b.at(at + 2)) << 8 | b.at(at + 3);
}
uint16 U16At(const ByteVector& b, size_t at) {
    return uint16(b.at(at) << 8 | b.at(at + 1));
}
ByteVector Slice(const ByteVector& b, size_t at, size_t count) {
    EXPECT_LE(at + count, b.size());
    return ByteVector(b.begin() + at, b.begin() + at + count);
}

TEST(DocumentBuilder, FlatRGBDocumentIsHeaderFourSectionsAndRawPlanes) {
    DocumentBuilder doc(3, 2);
    doc.header.reserved1 = 0x01020304;
    doc.header.reserved2 = 0x0506;
    const ByteVector b = doc.Build();
    const ByteVector header = {'Z', 'Q', 'L', 'M', 0, 1, 1, 2, 3, 4, 5, 6, 0,
                               3,   0,   0,   0,   2, 0, 0, 0, 3, 0, 8, 0, 3};
    EXPECT_EQ(Slice(b, 0, 26), header);
    EXPECT_EQ(U32At(b, 26), 0u);  // colour-mode data
    EXPECT_EQ(U32At(b, 30), 0u);  // image resources
    EXPECT_EQ(U32At(b, 34), 0u);  // layer and mask information
    EXPECT_EQ(U16At(b, 38), 0u);  // raw merged data
    EXPECT_EQ(b.size(), 40u + 3 * 6);
    EXPECT_EQ(Slice(b, 40, 18), ByteVector(18, 255));
}

TEST(DocumentBuilder, IndexedDocumentCarriesThreeColourPlanes) {
    DocumentBuilder doc(1, 1, kDocIndexed);
    doc.ColourTable({0x102030, 0x405060});
    DocumentLayout layout;
    const ByteVector b = doc.Build(&layout);
    EXPECT_EQ(U16At(b, 12), 1u);  // one merged channel
    EXPECT_EQ(U16At(b, 24), kDocIndexed);
    ASSERT_EQ(layout.colourModeData, 26u);
    EXPECT_EQ(U32At(b, 26), 768u);
    const struct {
        size_t offset;
        uint8 value;
    } expected[] = {{30, 0x10},       {31, 0x40},       {32, 0},         {30 + 256, 0x20},
                    {31 + 256, 0x50}, {30 + 512, 0x30}, {31 + 512, 0x60}};
    for (const auto& e : expected) EXPECT_EQ(b[e.offset], e.value) << "offset " << e.offset;
    EXPECT_EQ(layout.imageResources, 30u + 768u);
}

TEST(DocumentBuilder, ResourceBlocksPadNamesToEvenAndOddDataByOneByte) {
    DocumentBuilder doc(1, 1);
    ResourceSpec unpadded = ResourceSpec::Block(7, {9}, "a");
    unpadded.pad = false;
    doc.AddResource(ResourceSpec::Block(1005, {1, 2, 3}));
    doc.AddResource(unpadded);
    doc.AddResource(ResourceSpec::Block(8, {}, "ab"));
    doc.AddResource(ResourceSpec::Plugin(4000, FourCC("plug"), {5, 6}));
    DocumentLayout layout;
    const ByteVector b = doc.Build(&layout);
    ASSERT_EQ(layout.resources.size(), 4u);
    const size_t r0 = layout.resources[0];
    EXPECT_EQ(r0, layout.imageResources + 4);
    // type, id, empty name in 2 bytes, size 3, data, pad
    EXPECT_EQ(Slice(b, r0, 16), (ByteVector{'Z', 'Q', 'R', 'S', 0x03, 0xED, 0, 0, 0, 0, 0, 3, 1, 2, 3, 0}));
    EXPECT_EQ(layout.resources[1], r0 + 16);
    EXPECT_EQ(Slice(b, layout.resources[1], 13),
              (ByteVector{'Z', 'Q', 'R', 'S', 0, 7, 1, 'a', 0, 0, 0, 1, 9}));
    EXPECT_EQ(layout.resources[2], layout.resources[1] + 13);  // no pad after the odd byte
    EXPECT_EQ(Slice(b, layout.resources[2], 12),
              (ByteVector{'Z', 'Q', 'R', 'S', 0, 8, 2, 'a', 'b', 0, 0, 0}));
    const size_t r3 = layout.resources[3];
    EXPECT_EQ(Slice(b, r3 + 4, 14), (ByteVector{0x0F, 0xA0, 0, 0, 0, 0, 0, 6, 'p', 'l', 'u', 'g', 5, 6}));
    EXPECT_EQ(U32At(b, layout.imageResources), r3 + 18 - (layout.imageResources + 4));
    EXPECT_EQ(layout.layerAndMask, r3 + 18);
}

TEST(DocumentBuilder, LayerRecordFieldsSitAtTheirOffsets) {
    DocumentBuilder doc(8, 4);
    LayerSpec layer = LayerSpec::Solid(1, 2, 5, 3, 10, 20, 30, 40);  // 4 wide, 1 high
    layer.blendKey = FourCC("mul ");
    layer.opacity = 128;
    layer.clipping = 1;
    layer.flags = 3;
    layer.name = "abc";  // length byte + 3 characters: exactly 4 bytes
    layer.mask = MaskSpec::Rect(0, 0, 2, 2, 255, 4, 18);
    layer.channels.push_back(ChannelSpec::Pixels(kChannelMask, {1, 2, 3, 4}, kCodingRaw));
    layer.blocks.push_back(AdditionalBlock::UnicodeName(u"ab"));
    layer.layerID = 77;
    doc.AddLayer(layer);
    DocumentLayout layout;
    const ByteVector b = doc.Build(&layout);

    ASSERT_EQ(layout.records.size(), 1u);
    const size_t r = layout.records[0];
    EXPECT_EQ(r, layout.layerInfo + 4 + 2);
    EXPECT_EQ(U16At(b, layout.layerInfo + 4), 1u);  // layer count
    EXPECT_EQ(Slice(b, r, 16), (ByteVector{0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 3, 0, 0, 0, 5}));
    EXPECT_EQ(U16At(b, r + 16), 5u);
    // Packed 4-byte rows of one value: 2 (compression) + 2 (one line count) + 2 (one run packet).
    const struct {
        int16 id;
        uint32 length;
    } entries[] = {{0, 6}, {1, 6}, {2, 6}, {-1, 6}, {-2, 6}};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(int16(U16At(b, r + 18 + 6 * i)), entries[i].id);
        EXPECT_EQ(U32At(b, r + 20 + 6 * i), entries[i].length);
    }
    const size_t afterEntries = r + 18 + 30;
    EXPECT_EQ(U32At(b, afterEntries), FourCC("ZQRS"));
    EXPECT_EQ(U32At(b, afterEntries + 4), FourCC("mul "));
    EXPECT_EQ(Slice(b, afterEntries + 8, 4), (ByteVector{128, 1, 3, 0}));
    const size_t extra = afterEntries + 16;
    // mask 4 + 18, ranges 4 + 40, name 4, "luni" 12 + 8, "lyid" 12 + 4
    EXPECT_EQ(U32At(b, afterEntries + 12), 22u + 44u + 4u + 20u + 16u);
    EXPECT_EQ(U32At(b, extra), 18u);
    EXPECT_EQ(Slice(b, extra + 4, 18), (ByteVector{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 2, 255, 4}));
    EXPECT_EQ(U32At(b, extra + 22), 40u);
    EXPECT_EQ(Slice(b, extra + 26, 4), (ByteVector{0, 0, 255, 255}));
    const size_t name = extra + 66;
    EXPECT_EQ(Slice(b, name, 4), (ByteVector{3, 'a', 'b', 'c'}));
    EXPECT_EQ(Slice(b, name + 4, 20),
              (ByteVector{'Z', 'Q', 'R', 'S', 'l', 'u', 'n', 'i', 0, 0, 0, 8, 0, 0, 0, 2, 0, 'a', 0, 'b'}));
    EXPECT_EQ(Slice(b, name + 24, 16),
              (ByteVector{'Z', 'Q', 'R', 'S', 'l', 'y', 'i', 'd', 0, 0, 0, 4, 0, 0, 0, 77}));

    // Channel data follows the record; the mask channel is raw over the 2 x 2 mask rectangle.
    ASSERT_EQ(layout.channels.size(), 1u);
    ASSERT_EQ(layout.channels[0].size(), 5u);
    EXPECT_EQ(layout.channels[0][0], name + 40);
    EXPECT_EQ(Slice(b, layout.channels[0][0], 6), (ByteVector{0, 1, 0, 2, 0xFD, 10}));
    EXPECT_EQ(Slice(b, layout.channels[0][3], 6), (ByteVector{0, 1, 0, 2, 0xFD, 40}));
    EXPECT_EQ(Slice(b, layout.channels[0][4], 6), (ByteVector{0, 0, 1, 2, 3, 4}));

    // Layer information is padded to even; the section ends with an empty global mask.
    const uint32 infoLength = U32At(b, layout.layerInfo);
    EXPECT_EQ(infoLength % 2, 0u);
    EXPECT_EQ(layout.globalMask, layout.layerInfo + 4 + infoLength);
    EXPECT_EQ(U32At(b, layout.globalMask), 0u);
    EXPECT_EQ(U32At(b, layout.layerAndMask), layout.globalMask + 4 - (layout.layerAndMask + 4));
    EXPECT_EQ(layout.merged, layout.globalMask + 4);
}

TEST(DocumentBuilder, PackedMergedDataHasOneTableThenEveryChannelsRows) {
    DocumentBuilder doc(4, 2, kDocGrayscale);
    doc.mergedCompression = kCodingPacked;
    doc.AddMergedChannel({1, 2, 3, 4, 7, 7, 7, 7});
    doc.AddMergedChannel({0, 0, 0, 0, 5, 6, 6, 6});
    DocumentLayout layout;
    const ByteVector b = doc.Build(&layout);
    EXPECT_EQ(U16At(b, 12), 2u);
    EXPECT_EQ(U16At(b, layout.merged), 1u);
    const ByteVector expected = {0,    5, 0, 2, 0,    2,    0, 4,  // line counts
                                 3,    1, 2, 3, 4,    0xFD, 7,     // channel 0
                                 0xFD, 0, 0, 5, 0xFE, 6};          // channel 1
    EXPECT_EQ(Slice(b, layout.merged + 2, expected.size()), expected);
    EXPECT_EQ(b.size(), layout.merged + 2 + expected.size());
}

// The builder's packer and the engine's decoder were written apart; they must agree on every row.
TEST(DocumentBuilder, OwnPackerRoundTripsThroughTheEngineDecoder) {
    std::mt19937 rng(99);
    for (int trial = 0; trial < 2000; ++trial) {
        ByteVector row(rng() % 400);
        for (size_t i = 0; i < row.size(); ++i)
            row[i] = (i > 0 && rng() % 3 == 0) ? row[i - 1] : uint8(rng() % 3);
        const ByteVector packed = DocumentBuilder::PackRow(row.data(), row.size());
        ByteVector decoded(row.size(), 0xAA);
        const PackBits::DecodeResult r =
            PackBits::DecodeRow(packed.data(), uint32(packed.size()), decoded.data(), uint32(row.size()));
        ASSERT_EQ(decoded, row);
        ASSERT_EQ(r.consumed, packed.size());
    }
}

TEST(DocumentBuilder, MalformedKnobsWriteFieldsAsTheyStand) {
    DocumentBuilder doc(2, 2);
    doc.header.signature = FourCC("ZQM1");
    doc.header.rows = 30001;
    doc.colourModeLength = 0xFFFFFFFF;
    doc.truncateTo = 30;
    const ByteVector b = doc.Build();
    EXPECT_EQ(b.size(), 30u);
    EXPECT_EQ(U32At(b, 0), FourCC("ZQM1"));
    EXPECT_EQ(U32At(b, 14), 30001u);
    EXPECT_EQ(U32At(b, 26), 0xFFFFFFFFu);

    DocumentBuilder layered(2, 2);
    LayerSpec layer = LayerSpec::Solid(0, 0, 2, 2, 1, 2, 3);
    layer.channels[0].lineCounts = std::vector<uint16>{60000, 0};
    layer.channels[1].entryLength = 1;
    layer.extraLength = 3;
    layered.AddLayer(layer);
    layered.layerCount = -5;
    DocumentLayout layout;
    const ByteVector c = layered.Build(&layout);
    EXPECT_EQ(int16(U16At(c, layout.layerInfo + 4)), -5);
    const size_t r = layout.records[0];
    EXPECT_EQ(U32At(c, r + 26), 1u);
    EXPECT_EQ(U32At(c, r + 18 + 24 + 12), 3u);
    EXPECT_EQ(U16At(c, layout.channels[0][0] + 2), 60000u);
}

TEST(DocumentBuilder, ShiftedGlobalMaskReadsAs3584WhereExpected) {
    DocumentBuilder doc(2, 2);
    doc.AddLayer(LayerSpec::Solid(0, 0, 2, 2, 1, 2, 3));
    doc.globalMask = DocumentBuilder::StandardGlobalMask();
    doc.shiftGlobalMaskBack = true;
    DocumentLayout layout;
    const ByteVector b = doc.Build(&layout);
    const size_t expectedAt = layout.layerInfo + 4 + U32At(b, layout.layerInfo);
    EXPECT_EQ(expectedAt, layout.globalMask + 1);
    EXPECT_EQ(U32At(b, expectedAt), 3584u);
    EXPECT_EQ(U32At(b, layout.globalMask), 14u);
    // The section still ends one byte after the mask's data, where the reader lands after stepping back.
    EXPECT_EQ(layout.layerAndMask + 4 + U32At(b, layout.layerAndMask), layout.globalMask + 4 + 14 + 1);
}

TEST(DocumentBuilder, MisusedPixelSizesAreRefused) {
    DocumentBuilder doc(2, 2);
    LayerSpec layer = LayerSpec::Solid(0, 0, 2, 2, 1, 2, 3);
    layer.channels[1] = ChannelSpec::Pixels(kChannelGreen, {1, 2, 3});
    doc.AddLayer(layer);
    EXPECT_THROW(doc.Build(), std::invalid_argument);
    DocumentBuilder flat(2, 2);
    flat.AddMergedChannel({1});
    EXPECT_THROW(flat.Build(), std::invalid_argument);
}

}  // namespace
