// CNativeQuadTileBuffer: tile geometry, constant tiles, walks, huge bounds and what the model runs leave
// out (expansion from channels). Four channels woven in at once are compared with one at
// a time by the reader suite.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "Src/Orvane/Src/Image/CChannel.h"
#include "Src/Orvane/Src/Image/CNativeQuadTileBuffer.h"
#include "Src/Pellin/Isol/Exceptions.h"

namespace {

constexpr NativeQuad kRed = MakeNativeQuad(255, 0, 0, 255);
constexpr NativeQuad kBlue = MakeNativeQuad(0, 0, 255, 128);
constexpr NativeQuad kMarker = MakeNativeQuad(1, 2, 3, 4);
constexpr NativeQuad kUntouched = MakeNativeQuad(0xDE, 0xAD, 0xBE, 0xEF);

uint32 Word(const NativeQuad& inQuad) {
    return NativeQuadToWord(inQuad);
}

NativeQuad PixelAt(const CNativeQuadTileBuffer& inBuffer, int32 inX, int32 inY) {
    NativeQuad result = kUntouched;
    inBuffer.GetPixel(GPoint(inX, inY), result, kPadNone, nullptr);
    return result;
}

// Records every part the read-only walk hands out, and stops after a given number of calls.
class Recorder : public CNQConstTileProcessor {
public:
    explicit Recorder(int32 inStopAfter = INT_MAX) : mStopAfter(inStopAfter) {}
    bool Process(const GRect& inTileRect, const NativeQuad* inTilePtr, int32 inRowBytes) override {
        mParts.push_back(inTileRect);
        mPointers.push_back(inTilePtr);
        mRowBytes = inRowBytes;
        return int32(mParts.size()) < mStopAfter;
    }
    std::vector<GRect> mParts;
    std::vector<const NativeQuad*> mPointers;
    int32 mRowBytes = 0;

private:
    int32 mStopAfter;
};

// A writing walk that only checks the constant was written into each tile before it is handed out.
class ExpectBlue : public CNQTileProcessor {
public:
    bool Process(const GRect&, NativeQuad* inTilePtr, int32) override {
        EXPECT_EQ(Word(*inTilePtr), Word(kBlue));
        return true;
    }
};

// Which tiles of a 130 x 130 buffer filled blue (3 x 3 cells) store pixels after one operation; the
// others stay constant, without pixel memory unless a read-only walk needed it. The pixel values
// themselves are the model runs' business.
TEST(TileBufferConstantTiles, OnlyPartialWritesStoreTiles) {
    using Buffer = CNativeQuadTileBuffer;
    const struct {
        const char* name;
        std::function<void(Buffer&)> apply;
        std::vector<int32> stored;
    } cases[] = {
        {"fresh", [](Buffer&) {}, {}},
        {"fill a whole cell", [](Buffer& b) { b.FillRect(GRect(64, 64, 128, 128), kRed); }, {}},
        {"fill an edge cell up to the edge", [](Buffer& b) { b.FillRect(GRect(128, 0, 130, 64), kRed); }, {}},
        {"fill one pixel", [](Buffer& b) { b.FillRect(GRect(0, 0, 1, 1), kRed); }, {0}},
        {"set a pixel to its value", [](Buffer& b) { b.SetPixel(GPoint(3, 3), kBlue); }, {}},
        {"set a pixel outside", [](Buffer& b) { b.SetPixel(GPoint(130, 3), kRed); }, {}},
        {"set a pixel", [](Buffer& b) { b.SetPixel(GPoint(70, 3), kRed); }, {1}},
        {"read-only walk",
         [](Buffer& b) {
             Recorder reader;
             b.ForEachPixelInArea(GRect(0, 0, 70, 70), reader, nullptr);
             EXPECT_EQ(reader.mParts.size(), 4u);
             EXPECT_EQ(Word(*reader.mPointers[3]), Word(kBlue));
         },
         {}},
        {"writing walk",
         [](Buffer& b) {
             ExpectBlue writer;
             b.ForEachPixelInArea(GRect(0, 0, 70, 70), writer, nullptr);
         },
         {0, 1, 3, 4}},
        {"aligned copy of a constant and a stored tile",
         [](Buffer& b) {
             Buffer source(GRect(0, 0, 128, 64), kRed);
             source.SetPixel(GPoint(100, 10), kMarker);
             b.CopyRect(source, GRect(0, 0, 128, 64), GRect(0, 64, 128, 128));
         },
         {4}},
    };
    for (const auto& c : cases) {
        Buffer buffer(GRect(0, 0, 130, 130), kBlue);
        c.apply(buffer);
        for (int32 i = 0; i < buffer.TileCount(); ++i) {
            const bool stored = std::find(c.stored.begin(), c.stored.end(), i) != c.stored.end();
            EXPECT_EQ(buffer.TileIsConstant(i), !stored) << c.name << ", tile " << i;
            if (std::string(c.name) != "read-only walk") {
                EXPECT_EQ(buffer.TileHasMemory(i), stored) << c.name << ", tile " << i;
            }
        }
    }
}

TEST(TileBufferArguments, HugeBoundsAreRefusedBeforeAllocating) {
    EXPECT_THROW(CNativeQuadTileBuffer(GRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX), kBlue), std::bad_alloc);
    EXPECT_THROW(CChannel(GRect(0, 0, INT_MAX, 1 << 16), 0), std::bad_alloc);
}

TEST(TileBufferArguments, BoundsAtTheEndOfTheCoordinateRangeStayUsable) {
    const GRect bounds(INT_MAX - 70, INT_MAX - 3, INT_MAX, INT_MAX);
    CNativeQuadTileBuffer buffer(bounds, kBlue);
    buffer.FillRect(GRect(INT_MAX - 6, INT_MAX - 3, INT_MAX, INT_MAX), kRed);
    buffer.SetPixel(GPoint(INT_MAX - 70, INT_MAX - 1), kMarker);
    std::vector<NativeQuad> out(72 * 4, kUntouched);
    buffer.GetTile(GRect(INT_MAX - 71, INT_MAX - 4, INT_MAX, INT_MAX - 0), out.data(), 71 * 4, kPadEdge,
                   nullptr);
    EXPECT_EQ(Word(out[70]), Word(kRed));         // (INT_MAX - 1, INT_MAX - 4) padded from the row below
    EXPECT_EQ(Word(out[3 * 71]), Word(kMarker));  // left of the bounds, row INT_MAX - 1
    EXPECT_EQ(Word(out[3 * 71 + 1]), Word(kMarker));
    EXPECT_EQ(Word(out[2 * 71 + 30]), Word(kBlue));
}

TEST(TileBufferCopies, ChannelsExpandToGreyOrThroughAColourTable) {
    // Wider than the scratch buffer holds in one piece.
    CChannel channel(GRect(0, 0, 300, 100), 0);
    for (int32 x = 0; x < 300; ++x) channel.SetPixel(GPoint(x, x % 100), uint8(x));
    CNativeQuadTileBuffer grey(GRect(10, 10, 310, 110), kBlue);
    grey.CopyFromChannel(channel, GRect(0, 0, 300, 100), GRect(10, 10, 310, 110));
    std::vector<NativeQuad> table(256);
    for (int32 i = 0; i < 256; ++i)
        table[i] = MakeNativeQuad(uint8(i), uint8(255 - i), uint8(i / 2), uint8(i ^ 0x55));
    CNativeQuadTileBuffer indexed(GRect(0, 0, 300, 100), kBlue);
    indexed.CopyFromIndexedChannel(channel, table.data(), GRect(0, 0, 300, 100), GRect(0, 0, 300, 100));
    for (int32 x = 0; x < 300; x += 7) {
        for (int32 y : {x % 100, (x + 1) % 100}) {
            const uint8 value = y == x % 100 ? uint8(x) : 0;
            ASSERT_EQ(Word(PixelAt(grey, x + 10, y + 10)), Word(MakeNativeQuad(value, value, value, 255)))
                << x << "," << y;
            ASSERT_EQ(Word(PixelAt(indexed, x, y)), Word(table[value])) << x << "," << y;
        }
    }
}

}  // namespace
