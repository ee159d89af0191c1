// Image resource blocks and the section: reading, padding, plug-in resources, writing back, refusals.
#include <algorithm>
#include <tuple>

#include "Src/Pellin/Isol/SWriteStream.h"
#include "tests/Format/ReaderTestSupport.h"
#include "tests/support/ReportCapture.h"

namespace {

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
    MemoryFilePort port;
    {
        SWriteStream stream(&port, kBigEndianOrder, 4096, 0);
        inManager.Write(stream, nullptr);
    }
    return port.Bytes();
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
        EXPECT_EQ(first->Name(), c.name);
        EXPECT_EQ(first->mType, kZQRS);
        EXPECT_EQ(DataOf(*first), c.data);
        EXPECT_EQ(first->BlockSize(false), c.blockBytes);
        ASSERT_NE(manager.FindResource(1001), nullptr);
        EXPECT_EQ(DataOf(*manager.FindResource(1001)), ByteVector{9});
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
    EXPECT_EQ(plugin->BlockSize(true), 10u + 2u + 10u);

    std::string reports = CaptureReports([&] {
        ASSERT_NE(manager.FindResource(4002), nullptr);
        EXPECT_EQ(manager.FindResource(4001)->mType, kOther);
    });
    EXPECT_TRUE(Contains(reports, "Assertion failed: \"!::IsPluginID(inResID)\"")) << reports;
    EXPECT_NE(manager.FindResource(3999), nullptr);
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
    EXPECT_EQ(manager.SectionLength(), expected.SectionLength());
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
    MemoryFilePort out;
    SWriteStream writer(&out, kBigEndianOrder, 4096, 0);
    manager.Write(writer, &writing);
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

TEST(ImageResourceCopy, CopiesShareDataUntilWritten) {
    CImageResource original(kZQRS, 1000, "orig");
    original.ResizeData(5);
    original.WriteData(0, 5, "abcde");
    CImageResource copy(original);
    EXPECT_EQ(copy.Name(), "orig");
    EXPECT_EQ(copy.Data().PageData(0), original.Data().PageData(0));
    copy.WriteData(0, 1, "X");
    EXPECT_EQ(DataOf(original), (ByteVector{'a', 'b', 'c', 'd', 'e'}));
    EXPECT_EQ(DataOf(copy), (ByteVector{'X', 'b', 'c', 'd', 'e'}));

    // The resource's port reads and writes its data like a file.
    std::unique_ptr<VMBufferPort> port = copy.MakePort();
    EXPECT_EQ(port->WriteAt(5, 2, "fg"), 2);
    EXPECT_EQ(copy.DataSize(), 7u);
    CImageResource named(kZQRS, 1, std::string(300, 'n'));
    EXPECT_EQ(named.Name().size(), 255u);
}

}  // namespace
