// Row packing and unpacking: packets as defined on chunk-boundary and random rows, round trips, and
// decoding of hostile packed bytes (random garbage is the packbits fuzz target's, replayed in Fuzz/);
// blend-mode keys both ways and what unknown keys and modes turn into; channel kinds and stored ids, entry
// lengths, and the raw-or-packed choice for written channels. Image resource blocks and the section:
// reading, padding, plug-in resources, writing back, refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "API/Platform/PlatformTestHooks.h"
#include "Src/Orvane/Src/Compositing/BlendModeKeys.h"
#include "Src/Orvane/Src/Format/ChannelLength.h"
#include "Src/Orvane/Src/Format/PackBits.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "tests/Format/ReaderTestSupport.h"
#include "tests/Isol/ReportLog.h"
#include "tests/support/ReportCapture.h"

namespace {

using Bytes = std::vector<uint8>;

Bytes Pack(const Bytes& inRow) {
    Bytes out(PackBits::MaxPackedSize(uint32(inRow.size())) + 16, 0xEE);
    const uint32 size = PackBits::PackRow(inRow.data(), uint32(inRow.size()), out.data());
    EXPECT_EQ(size, PackBits::PackedRowSize(inRow.data(), uint32(inRow.size())));
    EXPECT_LE(size, PackBits::MaxPackedSize(uint32(inRow.size())));
    for (size_t i = size; i < out.size(); ++i) EXPECT_EQ(out[i], 0xEE) << "wrote past its size at " << i;
    out.resize(size);
    return out;
}

// inCount bytes 1, 3, 5, ... (no two equal), then inTail.
Bytes Odd(size_t inCount, std::initializer_list<uint8> inTail = {}) {
    Bytes row;
    for (size_t i = 0; i < inCount; ++i) row.push_back(uint8(i * 2 + 1));
    row.insert(row.end(), inTail);
    return row;
}

// The packer by its definition: chunks of 128 bytes from the left, packets never crossing them. At a byte
// x a packet is a run while the bytes equal x when the next one does (control 1 - length), else a literal
// (control count - 1) that takes bytes while each differs from the one before; two equal bytes join it
// when they end the chunk or no third equal byte follows, otherwise it ends before them.
Bytes PackModel(const Bytes& inRow) {
    Bytes out;
    for (size_t chunk = 0; chunk < inRow.size(); chunk += 128) {
        const size_t end = std::min(inRow.size(), chunk + 128);
        for (size_t i = chunk, j = chunk; i < end; i = j) {
            j = i + 1;
            if (j < end && inRow[j] == inRow[i]) {
                while (j < end && inRow[j] == inRow[i]) ++j;
                out.insert(out.end(), {uint8(1 - int(j - i)), inRow[i]});
                continue;
            }
            while (j < end && (inRow[j] != inRow[j - 1] || j + 1 == end || inRow[j + 1] != inRow[j])) ++j;
            if (j < end) --j;  // stopped at the second of three equal bytes: the run starts at the first
            out.push_back(uint8(j - i - 1));
            out.insert(out.end(), inRow.begin() + std::ptrdiff_t(i), inRow.begin() + std::ptrdiff_t(j));
        }
    }
    return out;
}

// Rows at the chunk boundaries (128 distinct bytes then two, a run cut at the chunk's end, a pair closing a
// chunk's literal, 300 equal bytes) and random rows of few values (many runs and pairs) pack as defined
// and decode back.
TEST(PackBitsPack, RowsPackAsDefinedAndDecodeBack) {
    Bytes twoChunks(130);
    for (size_t i = 0; i < twoChunks.size(); ++i) twoChunks[i] = uint8(i);
    std::vector<Bytes> rows = {{},           {9}, twoChunks, Odd(125, {0, 0, 0, 0, 0}), Odd(126, {0, 0, 0}),
                               Bytes(300, 7)};
    std::mt19937 rng(12345);
    for (int trial = 0; trial < 3000; ++trial) {
        const uint32 alphabet = 1 + rng() % 4, runBias = rng() % 4;
        Bytes row(rng() % 700);
        for (size_t i = 0; i < row.size(); ++i)
            row[i] = (i > 0 && rng() % 4 < runBias) ? row[i - 1] : uint8(rng() % alphabet * 37);
        rows.push_back(row);
    }
    for (const Bytes& row : rows) {
        const Bytes packed = Pack(row);
        ASSERT_EQ(packed, PackModel(row)) << "row of " << row.size();
        Bytes decoded(row.size(), 0xAB);
        const PackBits::DecodeResult r =
            PackBits::DecodeRow(packed.data(), uint32(packed.size()), decoded.data(), uint32(row.size()));
        EXPECT_EQ(r.produced, row.size());
        EXPECT_EQ(r.consumed, packed.size());
        ASSERT_EQ(decoded, row);
    }
}

struct DecodeCase {
    const char* name;
    Bytes packed;
    uint32 rowBytes;
    Bytes row;  // expected content of the row buffer, initially all 0xAA
    uint32 consumed;
};

TEST(PackBitsDecode, PacketsAndHostileInputs) {
    const uint8 u = 0xAA;  // untouched
    const std::vector<DecodeCase> cases = {
        {"literal", {2, 0x41, 0x42, 0x43}, 3, {0x41, 0x42, 0x43}, 4},
        {"run", {0xFE, 0x41}, 3, {0x41, 0x41, 0x41}, 2},
        {"no-op control", {0x80, 0xFF, 7, 0x80, 0x80, 0, 8}, 3, {7, 7, 8}, 7},
        {"stops when row is full", {0xFF, 1, 0, 2, 0, 3}, 3, {1, 1, 2}, 4},
        {"literal overflowing row", {0, 5, 3, 1, 2, 3, 4}, 3, {5, u, u}, 2},
        {"run overflowing row", {0xFF, 5, 0x81, 6}, 5, {5, 5, u, u, u}, 2},
        {"literal past input", {0, 5, 4, 1, 2}, 6, {5, u, u, u, u, u}, 2},
        {"run missing its byte", {0, 5, 0xFD}, 6, {5, u, u, u, u, u}, 2},
        {"input ends early", {0xFF, 9}, 4, {9, 9, u, u}, 2},
        {"only no-ops", {0x80, 0x80, 0x80}, 2, {u, u}, 3},
        {"empty input", {}, 2, {u, u}, 0},
        {"zero row bytes", {0xFF, 1}, 0, {}, 0},
        {"maximal run", {0x81, 4}, 128, Bytes(128, 4), 2},
    };
    for (const DecodeCase& c : cases) {
        Bytes row(c.rowBytes + 8, u);
        const PackBits::DecodeResult r =
            PackBits::DecodeRow(c.packed.data(), uint32(c.packed.size()), row.data(), c.rowBytes);
        for (size_t i = c.rowBytes; i < row.size(); ++i) EXPECT_EQ(row[i], u) << c.name << ": wrote past row";
        row.resize(c.rowBytes);
        EXPECT_EQ(row, c.row) << c.name;
        EXPECT_EQ(r.consumed, c.consumed) << c.name;
        uint32 produced = 0;
        while (produced < c.row.size() && c.row[produced] != u) ++produced;
        EXPECT_EQ(r.produced, produced) << c.name;
    }
}

// The decoder that may write past what it produces gives the exact decoder's result and bytes for any
// input: random packets, hostile or not, against rows of any length.
TEST(PackBitsDecode, WithSlackAgreesWithTheExactDecoder) {
    std::mt19937 rng(777);
    for (int trial = 0; trial < 20000; ++trial) {
        Bytes packed(rng() % 300 + PackBits::kDecodeSlack);
        for (uint8& byte : packed) byte = uint8(rng() % 3 == 0 ? 0x80 + rng() % 3 : rng());
        const uint32 size = uint32(packed.size() - PackBits::kDecodeSlack), rowBytes = rng() % 400;
        Bytes exact(rowBytes), slack(rowBytes + PackBits::kDecodeSlack);
        const PackBits::DecodeResult a = PackBits::DecodeRow(packed.data(), size, exact.data(), rowBytes);
        const PackBits::DecodeResult b =
            PackBits::DecodeRowWithSlack(packed.data(), size, slack.data(), rowBytes);
        ASSERT_EQ(std::tie(b.consumed, b.produced), std::tie(a.consumed, a.produced)) << trial;
        ASSERT_TRUE(std::equal(exact.begin(), exact.begin() + a.produced, slack.begin())) << trial;
    }
}

// The keys documents use, as the layout documents them.
const struct {
    char key[5];
    uint32 mode;
} kDocumentKeys[] = {
    {"norm", 12000}, {"dark", 12001}, {"lite", 12002}, {"hue ", 12003}, {"sat ", 12004}, {"colr", 12005},
    {"lum ", 12006}, {"mul ", 12007}, {"scrn", 12008}, {"diss", 12009}, {"over", 12017}, {"hLit", 12018},
    {"sLit", 12019}, {"diff", 12023}, {"smud", 12024}, {"div ", 12025}, {"idiv", 12026},
};

// Reports go to the hooks' message log, not to the screen.
class Codec : public ::testing::Test {
protected:
    ReportLog mReports;
};

TEST_F(Codec, EveryDocumentKeyMapsBothWays) {
    for (const auto& c : kDocumentKeys) {
        EXPECT_EQ(ExternalToInternalBlendMode(FourCC("ZQRS"), FourCC(c.key)), c.mode) << c.key;
        uint32 signature = 0, key = 0;
        InternalToExternalBlendMode(c.mode, signature, key);
        EXPECT_EQ(signature, FourCC("ZQRS")) << c.key;
        EXPECT_EQ(key, FourCC(c.key)) << c.key;
        EXPECT_EQ(LayerBlendModeFromKey(FourCC(c.key)), c.mode) << c.key;
    }
    EXPECT_TRUE(Platform::TestHooks::MessageBoxes().empty());
}

TEST_F(Codec, ModesWithoutKeysAndNonModesBecomeNormal) {
    std::set<uint32> keyed;
    for (const auto& c : kDocumentKeys) keyed.insert(c.mode);
    std::vector<uint32> unkeyed = {0, 11999, 12029, 0xFFFFFFFF};
    for (uint32 mode = 12000; mode <= 12028; ++mode)
        if (!keyed.count(mode)) unkeyed.push_back(mode);
    for (uint32 mode : unkeyed) {
        uint32 signature = 0, key = 0;
        InternalToExternalBlendMode(mode, signature, key);
        EXPECT_EQ(signature, FourCC("ZQRS")) << mode;
        EXPECT_EQ(key, FourCC("norm")) << mode;
        EXPECT_EQ(mReports.DebugStrings(),
                  std::vector<std::string>{"InternalToExternalBlendMode: Unrecognized internal blend mode"})
            << mode;
        mReports.Clear();
    }
}

TEST_F(Codec, UnknownKeysAndSignaturesThrowWithTheirText) {
    const char cases[][2][5] = {
        {"ZQRS", "xxxx"}, {"ZQRS", "NORM"}, {"ZQRS", "hue\0"}, {"ZQRT", "norm"}, {"\0\0\0\0", "mul "}};
    for (const auto& c : cases) {
        try {
            ExternalToInternalBlendMode(FourCC(c[0]), FourCC(c[1]));
            ADD_FAILURE() << "no exception for " << c[1];
        } catch (const Exception& e) {
            EXPECT_EQ(e.GetText(), "ExternalToInternalBlendMode: Unrecognized external blend mode");
        }
    }
    // Each throw site reported once, through the throw report.
    EXPECT_EQ(mReports.Throws().size(), std::size(cases));
}

// The ids of the five kinds are read and written by every document test; other ids are reported and get
// no kind.
TEST_F(Codec, UnknownStoredIDsGetNoKindAndEntryLengthsAreKeptAsStored) {
    for (int16 id : {int16(3), int16(-3), int16(32767), int16(-32768)}) {
        EXPECT_EQ(ChannelLength::FromEntry(id, 100).GetKind(), uint32(kChannelKindUnset)) << id;
        EXPECT_EQ(mReports.DebugStrings(), std::vector<std::string>{"Switch guard failed."}) << id;
        mReports.Clear();
    }
    // An entry's length is kept as stored, even below the two bytes of its compression field.
    for (uint32 length : {0u, 1u, 65538u, 0xFFFFFFFFu})
        EXPECT_EQ(ChannelLength::FromEntry(0, length).GetLength(), length) << length;
}

// Builds a channel the way the writer does: every row's packed size, then the raw-or-packed choice.
ChannelLength Build(const std::vector<std::vector<uint8>>& inRows, bool inAllowRaw) {
    ChannelLength channel(kChannelKindRed);
    const uint32 rowBytes = inRows.empty() ? 0 : uint32(inRows[0].size());
    for (const auto& row : inRows)
        channel.AddPackedRow(uint16(PackBits::PackedRowSize(row.data(), rowBytes)));
    channel.Finish(uint32(inRows.size()), rowBytes, inAllowRaw);
    return channel;
}

TEST_F(Codec, WrittenChannelsChooseRawWhenPackingDoesNotShrink) {
    const struct {
        const char* name;
        std::vector<std::vector<uint8>> rows;
        bool allowRaw, packed;
        uint32 dataLength;
    } cases[] = {
        {"equal sizes go raw", {{1, 1}, {2, 2}}, true, false, 4},
        {"one smaller row is not enough", {{7, 7, 7, 7}, {1, 2, 3, 4}, {1, 2, 3, 4}}, true, false, 12},
        {"no rows", {}, true, false, 0},
    };
    for (const auto& c : cases) {
        const ChannelLength channel = Build(c.rows, c.allowRaw);
        EXPECT_EQ(channel.IsPacked(), c.packed) << c.name;
        EXPECT_EQ(channel.GetDataLength(), c.dataLength) << c.name;
        const uint32 counts = c.packed ? uint32(c.rows.size()) : 0;
        EXPECT_EQ(channel.LineCounts().size(), counts) << c.name;
        EXPECT_EQ(channel.GetLength(), c.dataLength + 2 * counts + 2) << c.name;
    }
    ChannelLength cleared = Build({{7, 7, 7, 7}}, true);
    cleared.Clear();
    EXPECT_EQ(cleared.GetLength(), 2u) << "a cleared channel is empty";
    EXPECT_EQ(cleared.GetKind(), uint32(kChannelKindRed));
}

constexpr uint32 kZQRS = FourCC("ZQRS");

// A document built around the given resources, and where its resources section lies.
struct ResourceDocument {
    ByteVector bytes;
    DocumentLayout layout;

    uint32 SectionLength() const { return uint32(layout.layerAndMask - layout.imageResources - 4); }
    // The length field and the blocks, as stored.
    ByteVector Section() const {
        return ByteVector(bytes.begin() + long(layout.imageResources),
                          bytes.begin() + long(layout.layerAndMask));
    }
};

ResourceDocument Document(const std::vector<ResourceSpec>& inResources) {
    DocumentBuilder builder(4, 4);
    for (const ResourceSpec& r : inResources) builder.AddResource(r);
    ResourceDocument doc;
    doc.bytes = builder.Build(&doc.layout);
    return doc;
}

// Reads the section into ioManager, then inFollowingReads u32s as the document reader goes on after it;
// returns the stream position after the section.
uint32 ReadSection(const ByteVector& inBytes, size_t inLengthAt, CImageResourceMgr& ioManager,
                   int32 inFollowingReads = 0) {
    MemoryFilePort port(inBytes);
    SReadStream stream(&port, kBigEndianOrder, 4096, uint32(inLengthAt));
    const uint32 length = stream.ReadU32();
    ioManager.Read(length, stream, nullptr);
    const uint32 end = stream.GetPosition();
    for (int32 i = 0; i < inFollowingReads; ++i) stream.ReadU32();
    return end;
}

ByteVector WriteSection(const CImageResourceMgr& inManager) {
    return WrittenBytes(kBigEndianOrder, [&](SWriteStream& stream) { inManager.Write(stream, nullptr); });
}

ByteVector DataOf(const CImageResource& inResource) {
    ByteVector data(inResource.DataSize());
    inResource.ReadData(0, inResource.DataSize(), data.data());
    return data;
}

TEST(ImageResourceBlocks, NamesAndDataArePaddedToEvenLengths) {
    struct Case {
        std::string name;
        ByteVector data;
        size_t blockBytes;  // 10 + name bytes + data bytes
    };
    ByteVector big(150001);  // data spanning several pages
    for (size_t i = 0; i < big.size(); ++i) big[i] = uint8(i * 13 + (i >> 9));
    const Case cases[] = {
        {"", {}, 12},         {"a", {}, 12}, {"ab", {}, 14}, {"", {1, 2, 3}, 16}, {"xyz", {1, 2, 3, 4}, 18},
        {"big", big, 150016},
    };
    for (const Case& c : cases) {
        const ResourceDocument doc =
            Document({ResourceSpec::Block(1000, c.data, c.name), ResourceSpec::Block(1001, {9})});
        ASSERT_EQ(doc.layout.resources[1] - doc.layout.resources[0], c.blockBytes) << c.name;
        CImageResourceMgr manager;
        EXPECT_EQ(ReadSection(doc.bytes, doc.layout.imageResources, manager),
                  doc.layout.imageResources + 4 + doc.SectionLength());
        const CImageResource* first = manager.FindResource(1000);
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(DataOf(*first), c.data);
        EXPECT_EQ(WriteSection(manager), doc.Section()) << c.name;
    }
}

TEST(ImageResourceBlocks, PluginRangeDecidesByTypeIdAndSize) {
    const uint32 kOther = FourCC("QQQQ");
    ResourceSpec notSigned = ResourceSpec::Block(4001, {0, 0, 0, 7, 1, 2, 3, 4, 5, 6});
    notSigned.type = kOther;
    const ResourceDocument doc = Document({
        ResourceSpec::Plugin(4000, FourCC("plg1"), {1, 2, 3, 4, 5, 6}),  // size 10: plug-in
        ResourceSpec::Block(4002, {1, 2}),                               // size 2: stays ordinary
        notSigned,                                                       // not ZQRS: stays ordinary
        ResourceSpec::Block(3999, {0, 0, 0, 1}),                         // below the range
        ResourceSpec::Block(3999, {9, 9}),                               // a second 3999: dropped
        // An ordinary block carrying the in-memory plug-in id stays an ordinary resource.
        ResourceSpec::Block(uint16(CImageResource::kPluginResourceID), {5, 6}),
    });
    CImageResourceMgr manager;
    ReadSection(doc.bytes, doc.layout.imageResources, manager);

    ASSERT_EQ(manager.PluginResourceCount(FourCC("plg1")), 1);
    const CImageResource* plugin = manager.FindPluginResource(FourCC("plg1"), 1);
    EXPECT_EQ(std::make_tuple(plugin->mType, plugin->mID),
              std::make_tuple(FourCC("plg1"), CImageResource::kPluginResourceID));
    EXPECT_EQ(DataOf(*plugin), (ByteVector{1, 2, 3, 4, 5, 6}));

    std::string reports = CaptureReports([&] {
        ASSERT_NE(manager.FindResource(4002), nullptr);
        EXPECT_EQ(manager.FindResource(4001)->mType, kOther);
    });
    EXPECT_TRUE(Contains(reports, "Assertion failed: \"!::IsPluginID(inResID)\"")) << reports;
    EXPECT_EQ(manager.FindResource(3999)->DataSize(), 4u);
    EXPECT_EQ(manager.FindResource(CImageResource::kPluginResourceID)->DataSize(), 2u);
    EXPECT_EQ(manager.FindPluginResource(FourCC("plg1"), 2), nullptr);
    EXPECT_EQ(manager.Resources().size(), 4u);
}

// Id -1 (0xFFFF) sorts first; plug-in resources are numbered afresh from 4000 by type.
TEST(ImageResourceSection, WrittenSortedByIdAndPluginTypeWithFreshPluginIds) {
    const ResourceDocument read =
        Document({ResourceSpec::Plugin(4500, FourCC("zzzz"), {7}), ResourceSpec::Block(1005, {5, 5}),
                  ResourceSpec::Plugin(4100, FourCC("aaaa"), {8, 8}), ResourceSpec::Block(0xFFFF, {1}),
                  ResourceSpec::Plugin(4200, FourCC("aaaa"), {}), ResourceSpec::Block(0, {}, "zero")});
    const ResourceDocument expected = Document(
        {ResourceSpec::Block(0xFFFF, {1}), ResourceSpec::Block(0, {}, "zero"),
         ResourceSpec::Block(1005, {5, 5}), ResourceSpec::Plugin(4000, FourCC("aaaa"), {8, 8}),
         ResourceSpec::Plugin(4001, FourCC("aaaa"), {}), ResourceSpec::Plugin(4002, FourCC("zzzz"), {7})});
    CImageResourceMgr manager;
    ReadSection(read.bytes, read.layout.imageResources, manager);
    EXPECT_EQ(WriteSection(manager), expected.Section());
}

// Progress over a section goes forward block by block and ends complete, for reading and writing alike.
TEST(ImageResourceSection, ProgressAdvancesAndEndsComplete) {
    std::vector<ResourceSpec> specs;
    for (uint16 id = 1; id <= 4; ++id) specs.push_back(ResourceSpec::Block(id, ByteVector(100 * id, 1)));
    const ResourceDocument doc = Document(specs);
    MemoryFilePort port(doc.bytes);
    SReadStream stream(&port, kBigEndianOrder, 4096, uint32(doc.layout.imageResources));
    const uint32 length = stream.ReadU32();
    RecordingScope reading;
    CImageResourceMgr manager(length, stream, &reading);
    ASSERT_EQ(reading.seen.size(), 5u);  // one per block, then the end
    EXPECT_TRUE(std::is_sorted(reading.seen.begin(), reading.seen.end()));
    EXPECT_GT(reading.seen[0], 0.0);
    EXPECT_LT(reading.seen[0], 0.2);  // the first block is the smallest
    EXPECT_EQ(reading.Current(), 1.0);

    RecordingScope writing;
    WrittenBytes(kBigEndianOrder, [&](SWriteStream& out) { manager.Write(out, &writing); });
    ASSERT_EQ(writing.seen.size(), 5u);
    EXPECT_DOUBLE_EQ(writing.seen[0], 0.2);  // steps of 1 / (resources + 1)
    EXPECT_DOUBLE_EQ(writing.seen[3], 0.8);
    EXPECT_EQ(writing.Current(), 1.0);
}

TEST(ImageResourceRefusals, OversizedSizesFailInTheStream) {
    // Data is read 64 KB at a time: a size far beyond the file fails at the read after the one that
    // crosses the end, inside the block, with nothing set aside beyond the file.
    CImageResourceMgr manager;
    ResourceSpec huge = ResourceSpec::Block(1000, {1, 2, 3, 4});
    huge.size = 0x7FFFFFF0u;
    const ResourceDocument hugeDoc = Document({huge});
    CaptureReports([&] {
        EXPECT_THROW(ReadSection(hugeDoc.bytes, hugeDoc.layout.imageResources, manager), MiscDiskException);
    });
    EXPECT_TRUE(manager.Resources().empty());
    // When the crossing read is the block's last, the block is kept and the document's next read fails.
    for (const size_t cut : {size_t(65536 + 5), size_t(20)}) {
        const ResourceDocument large = Document({ResourceSpec::Block(1001, ByteVector(70000, 9))});
        const ByteVector bytes(large.bytes.begin(),
                               large.bytes.begin() + long(large.layout.resources[0] + 12 + cut));
        CImageResourceMgr cutManager;
        CaptureReports([&] {
            if (cut > 65536) {
                EXPECT_NO_THROW(ReadSection(bytes, large.layout.imageResources, cutManager));
                EXPECT_EQ(cutManager.FindResource(1001)->DataSize(), cut);
            }
            EXPECT_THROW(ReadSection(bytes, large.layout.imageResources, cutManager, 1), MiscDiskException)
                << cut;
        });
    }
}

TEST(ImageResourceManager, IdOperations) {
    CImageResourceMgr manager;
    CImageResource* created = manager.GetOrCreateResource(1005);
    EXPECT_EQ(std::make_tuple(created->mType, created->mID, created->DataSize()),
              std::make_tuple(kZQRS, int16(1005), 0u));
    EXPECT_EQ(manager.GetOrCreateResource(1005), created);
    EXPECT_EQ(manager.FindResource(1005), created);
    EXPECT_FALSE(manager.AddResource(new CImageResource(kZQRS, 1005)));
    EXPECT_EQ(manager.FindResource(1005), created);
    EXPECT_TRUE(manager.AddResource(new CImageResource(kZQRS, -5, "neg")));
    EXPECT_EQ(manager.Resources().begin()->first, -5);
    manager.RemoveResource(1005);
    EXPECT_EQ(manager.FindResource(1005), nullptr);
    const std::string reports = CaptureReports([&] { manager.GetOrCreateResource(4321); });
    EXPECT_TRUE(Contains(reports, "!::IsPluginID(inResID)")) << reports;
    EXPECT_EQ(CImageResource(kZQRS, 1, std::string(300, 'n')).Name().size(), 255u) << "names are cut";
}

TEST(ImageResourceManager, PluginOperationsCountFromOne) {
    CImageResourceMgr manager;
    const uint32 type = FourCC("plg1");
    EXPECT_EQ(manager.FindPluginResource(type, 1), nullptr);
    CImageResource* first = manager.GetOrCreatePluginResource(type, 1);
    EXPECT_EQ(std::make_tuple(first->mType, first->mID),
              std::make_tuple(type, CImageResource::kPluginResourceID));
    EXPECT_EQ(manager.GetOrCreatePluginResource(type, 1), first);
    // An index beyond the count appends one new resource.
    CImageResource* second = manager.GetOrCreatePluginResource(type, 5);
    EXPECT_EQ(manager.PluginResourceCount(type), 2);
    EXPECT_EQ(manager.FindPluginResource(type, 2), second);
    EXPECT_EQ(manager.FindPluginResource(type, 3), nullptr);
    EXPECT_EQ(manager.FindPluginResource(type, 0), nullptr);

    auto* untyped = new CImageResource(0, 77);
    manager.AddPluginResource(type, untyped);
    EXPECT_EQ(std::make_tuple(untyped->mType, untyped->mID),
              std::make_tuple(type, CImageResource::kPluginResourceID));
    const std::string reports =
        CaptureReports([&] { manager.AddPluginResource(type, new CImageResource(FourCC("else"), 1)); });
    EXPECT_TRUE(Contains(reports, "inResource->mType == inTypeID")) << reports;

    // Indexes outside 1..count and unknown types remove nothing.
    const int32 count = manager.PluginResourceCount(type);
    for (const auto& [removeType, index] : {std::pair{type, 0}, {type, count + 1}, {FourCC("none"), 1}})
        manager.RemovePluginResource(removeType, index);
    EXPECT_EQ(manager.PluginResourceCount(type), count);
    manager.RemovePluginResource(type, 1);
    EXPECT_EQ(manager.FindPluginResource(type, 1), second);
    while (manager.PluginResourceCount(type) > 0) manager.RemovePluginResource(type, 1);
    EXPECT_TRUE(manager.PluginResources().empty());
}

TEST(ImageResourceManager, MoreThanAThousandPluginResourcesOverflowTheIdRange) {
    CImageResourceMgr manager;
    for (int32 i = 1; i <= 1001; ++i) manager.GetOrCreatePluginResource(FourCC("plg1"), i);
    ByteVector written;
    const std::string reports = CaptureReports([&] { written = WriteSection(manager); });
    EXPECT_TRUE(Contains(reports, "nextPluginID - 1 <= kLastPlugInResourceIndex")) << reports;
    // Each block: ZQRS, id, empty name (2), size 4, the type: 16 bytes after the 4-byte length.
    ASSERT_EQ(written.size(), 4u + 1001u * 16u);
    const size_t lastID = 4 + 1000 * 16 + 4;
    EXPECT_EQ(written[lastID] << 8 | written[lastID + 1], 5000);
}

}  // namespace
