// The read operation end to end: documents written by the test builder, opened through ENTRYPOINT by a
// fake host, delivered tile by tile.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "API/MergerTempFile.h"
#include "FileFormat/Lumenar5/Src/DocumentReader.h"
#include "FileFormat/Lumenar5/Src/Selectors.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Tarnwick/LibraryStartup.h"
#include "tests/Isol/ReportLog.h"
#include "tests/Shell/FakeHost.h"
#include "tests/support/DocumentBuilder.h"
#include "tests/support/TempFolder.h"

namespace {

struct Tile {
    int16 top, left, bottom, right;
    int32 rowStep;
    std::vector<uint8> bytes;  // the tile's rows as delivered
};

// Every test runs in a folder of its own, where the fixed scratch-file name cannot collide.
class ReadOperationTest : public testing::Test {
protected:
    void TearDown() override {
        if (mFile >= 0) ::close(mFile);
        EXPECT_EQ(LibraryStartCount(), 0) << "every read must stop the library it started";
    }

    // Writes the document and hands its open file to the host.
    void Open(FakeHost& ioHost, const ByteVector& inBytes) {
        if (mFile >= 0) ::close(mFile);
        mFile = ::open("document.lmn", O_RDWR | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(mFile, 0);
        ASSERT_EQ(::write(mFile, inBytes.data(), inBytes.size()), ssize_t(inBytes.size()));
        ioHost.record.fileHandle = mFile;
    }

    // ReadContinue until the module hands no tile (at most inLimit calls).
    static std::vector<Tile> Drain(FakeHost& ioHost, size_t inLimit = 100000) {
        std::vector<Tile> tiles;
        for (size_t i = 0; i < inLimit; ++i) {
            ioHost.record.tileData = nullptr;
            EXPECT_EQ(ioHost.Call(kSelectorReadContinue), kResultOk);
            const FormatParamRecord& r = ioHost.record;
            if (r.tileData == nullptr) break;
            Tile tile{r.tileRect[kTileTop],
                      r.tileRect[kTileLeft],
                      r.tileRect[kTileBottom],
                      r.tileRect[kTileRight],
                      r.rowStep,
                      {}};
            const auto* data = static_cast<const uint8*>(r.tileData);
            tile.bytes.assign(data, data + size_t(r.rowStep) * size_t(tile.bottom - tile.top));
            tiles.push_back(std::move(tile));
        }
        return tiles;
    }

    TempFolder mFolder{true};
    ReportLog mReports;
    int mFile = -1;
};

// The 3 x 5 image comes as one tile (its pixels, matted over white, are the random run's business below).
TEST_F(ReadOperationTest, ReadStartReportsTheGeometryAndKeepsTheScratchFileUntilReadFinish) {
    FakeHost host;
    DocumentBuilder document(3, 5);
    document.AddLayer(LayerSpec::Solid(0, 0, 3, 5, 255, 0, 0, 128));
    Open(host, document.Build());
    ASSERT_EQ(host.Call(kSelectorReadPrepare), kResultOk);
    ASSERT_EQ(host.Call(kSelectorReadStart), kResultOk);
    const FormatParamRecord& r = host.record;
    EXPECT_EQ((std::vector<int>{r.imageMode, r.imageColumns, r.imageRows, r.bitDepth, r.planeCount}),
              (std::vector<int>{3, 3, 5, 8, 4}));
    EXPECT_TRUE(std::filesystem::exists(MergerTempFile::kFileName));
    EXPECT_EQ(LibraryStartCount(), 1);
    DocumentReader* reader = DocumentReader::FindIn(*host.State());
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->GetImage(), nullptr) << "ReadStart reads only the header";

    const std::vector<Tile> tiles = Drain(host);
    ASSERT_EQ(tiles.size(), 1u);
    EXPECT_EQ(
        (std::vector<int>{tiles[0].top, tiles[0].left, tiles[0].bottom, tiles[0].right, tiles[0].rowStep}),
        (std::vector<int>{0, 0, 5, 3, 12}));
    EXPECT_EQ((std::vector<int>{r.firstPlane, r.planeLimit, r.columnStep, r.planeStep}),
              (std::vector<int>{0, 4, 4, 1}));
    EXPECT_EQ((std::vector<int>{r.planeMap[0], r.planeMap[1], r.planeMap[2], r.planeMap[3]}),
              (std::vector<int>{2, 1, 0, 3}));

    EXPECT_EQ(host.Call(kSelectorReadFinish), kResultOk);
    EXPECT_EQ(host.record.tileData, nullptr);
    EXPECT_FALSE(std::filesystem::exists(MergerTempFile::kFileName));
    EXPECT_EQ(DocumentReader::FindIn(*host.State()), nullptr);
    EXPECT_TRUE(mReports.DebugStrings().empty());
}

TEST_F(ReadOperationTest, RefusedDocumentsFailReadStartAndLeaveNoScratchFile) {
    struct Case {
        const char* what;
        void (*damage)(DocumentBuilder&);
    };
    const Case cases[] = {
        {"signature", [](DocumentBuilder& d) { d.header.signature = FourCC("ABCD"); }},
        {"CMYK", [](DocumentBuilder& d) { d.header.mode = kDocCMYK; }},
        {"cut in the header", [](DocumentBuilder& d) { d.truncateTo = 20; }},
        {"unreadable file", nullptr},
    };
    for (const Case& c : cases) {
        mReports.Clear();
        FakeHost host;
        DocumentBuilder document(4, 4);
        document.AddLayer(LayerSpec::Solid(0, 0, 4, 4, 1, 2, 3));
        if (c.damage != nullptr) {
            c.damage(document);
            Open(host, document.Build());
        }
        EXPECT_EQ(host.Call(kSelectorReadStart), errGeneric) << c.what;
        EXPECT_NE(host.record.settingsHandle, nullptr) << c.what << ": made before the document is opened";
        EXPECT_FALSE(std::filesystem::exists(MergerTempFile::kFileName)) << c.what;
        EXPECT_EQ(LibraryStartCount(), 0) << c.what;
        EXPECT_EQ(DocumentReader::FindIn(*host.State()), nullptr) << c.what;
        const std::vector<std::string> reports = mReports.DebugStrings();
        ASSERT_FALSE(reports.empty()) << c.what;
        EXPECT_EQ(reports.back(), "Problem reading lumenar file.") << c.what;
        // A host that goes on anyway gets no data.
        host.record.tileData = &host;
        EXPECT_EQ(host.Call(kSelectorReadContinue), kResultOk) << c.what;
        EXPECT_EQ(host.record.tileData, nullptr) << c.what;
    }
}

TEST_F(ReadOperationTest, DamagedLayerDataEndsTheDataWithoutAResultCode) {
    FakeHost host;
    DocumentBuilder document(16, 16);
    document.AddLayer(LayerSpec::Solid(0, 0, 16, 16, 1, 2, 3));
    document.AddLayer(LayerSpec::Solid(0, 0, 16, 16, 4, 5, 6));
    DocumentLayout layout;
    document.Build(&layout);
    document.truncateTo = layout.channels[1][0] + 3;  // inside the second layer's channel data
    Open(host, document.Build());
    ASSERT_EQ(host.Call(kSelectorReadStart), kResultOk) << "the header is intact";
    for (int call = 0; call < 2; ++call) {
        host.record.tileData = &host;
        EXPECT_EQ(host.Call(kSelectorReadContinue), kResultOk);
        EXPECT_EQ(host.record.tileData, nullptr);
    }
    const std::vector<std::string> reports = mReports.DebugStrings();
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back(), "Could not get composite tile from image");
    EXPECT_EQ(host.Call(kSelectorReadFinish), kResultOk);
    EXPECT_FALSE(std::filesystem::exists(MergerTempFile::kFileName));
}

TEST(DocumentReaderTileSize, FollowsTheScratchBuffer) {
    struct Case {
        int32 width, height;
        uint32 buffer;
        int32 tileWidth, tileHeight;
    };
    const Case cases[] = {
        {3, 5, 65536, 3, 5},         {1000, 600, 65536, 1000, 16},    {16384, 10, 65536, 16384, 1},
        {20000, 2, 65536, 16384, 1}, {30000, 30000, 65536, 16384, 1}, {1, 30000, 65536, 1, 16384},
        {128, 128, 65536, 128, 128}, {129, 128, 65536, 129, 127},     {100, 100, 4096, 100, 10},
        {2000, 100, 4096, 1024, 1},
    };
    for (const Case& c : cases) {
        const int32 width = DocumentReader::TileWidthFor(c.width, c.buffer);
        EXPECT_EQ(width, c.tileWidth) << c.width << " x " << c.height;
        EXPECT_EQ(DocumentReader::TileHeightFor(c.height, width, c.buffer), c.tileHeight)
            << c.width << " x " << c.height;
    }
}

// Random one-layer documents against a model: every pixel arrives exactly once, at its place, matted
// over white, whatever the image's size and therefore its tiling. Every read after the first, in the
// same persistent block, starts afresh and needs no new settings handle.
TEST_F(ReadOperationTest, RandomDocumentsArriveWholeAndMatted) {
    Dice dice(20240611);
    FakeHost host;
    for (int round = 0; round < 12; ++round) {
        const int32 width = dice.In(1, 300), height = dice.In(1, 300);
        const size_t count = size_t(width) * size_t(height);
        const LayerSpec layer = dice.PixelLayer(width, height, true);
        ByteVector planes[4] = {{}, {}, {}, ByteVector(count, 255)};  // red, green, blue, alpha
        for (const ChannelSpec& channel : layer.channels)
            planes[channel.id < 0 ? 3 : channel.id] = channel.pixels;
        DocumentBuilder document{uint32(width), uint32(height)};
        document.AddLayer(layer);

        Open(host, document.Build());
        ASSERT_EQ(host.Call(kSelectorReadStart), kResultOk);
        std::vector<int> seen(count, 0);
        for (const Tile& tile : Drain(host)) {
            for (int32 y = tile.top; y < tile.bottom; ++y) {
                for (int32 x = tile.left; x < tile.right; ++x) {
                    const size_t i = size_t(y) * size_t(width) + size_t(x);
                    ++seen[i];
                    const uint8* got = tile.bytes.data() + size_t(y - tile.top) * size_t(tile.rowStep) +
                                       4 * size_t(x - tile.left);
                    const uint32 a = planes[3][i];
                    for (int p = 0; p < 3; ++p) {
                        const uint32 t = (255u - planes[p][i]) * a + 128u;
                        const uint32 matted = 255u - ((t + (t >> 8)) >> 8);
                        ASSERT_EQ(got[2 - p], matted) << width << " x " << height << " at " << x << "," << y;
                    }
                    ASSERT_EQ(got[3], a);
                }
            }
        }
        EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), ptrdiff_t(count)) << width << " x " << height;
        EXPECT_EQ(host.Call(kSelectorReadFinish), kResultOk);
        EXPECT_FALSE(std::filesystem::exists(MergerTempFile::kFileName));
    }
    EXPECT_EQ(host.allocationSizes, (std::vector<int32>{kPluginStateSize, 2}));
}

}  // namespace
