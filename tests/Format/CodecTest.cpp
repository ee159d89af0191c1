// Row packing and unpacking: exact packets for known rows, the packet rules on random rows, round trips,
// and decoding of hostile packed bytes (random garbage is the packbits fuzz target's, replayed in Fuzz/);
// blend-mode keys both ways and what unknown keys and modes turn into; channel kinds and stored ids, entry
// lengths, and the raw-or-packed choice for written channels.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "API/Platform/PlatformTestHooks.h"
#include "Src/Orvane/Src/Compositing/BlendModeKeys.h"
#include "Src/Orvane/Src/Format/ChannelLength.h"
#include "Src/Orvane/Src/Format/PackBits.h"
#include "Src/Pellin/Isol/Exceptions.h"

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
    // The examples of the layout: a pair inside a literal joins it, three equal bytes split it.
    EXPECT_EQ(Pack({1, 2, 2, 3}), (Bytes{3, 1, 2, 2, 3}));
    EXPECT_EQ(Pack({1, 2, 2, 2, 3}), (Bytes{0, 1, 0xFE, 2, 0, 3}));
}

TEST(PackBitsPack, WorstCaseSizeIsReachedAndNeverExceeded) {
    Bytes alternating(30000);
    for (size_t i = 0; i < alternating.size(); ++i) alternating[i] = uint8(i & 1);
    EXPECT_EQ(Pack(alternating).size(), PackBits::MaxPackedSize(30000));
    EXPECT_EQ(PackBits::MaxPackedSize(30000), 30000u + 235u);
    EXPECT_EQ(Pack(Bytes(30000, 0)).size(), 2u * 235u);
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

// The keys documents use, as the layout documents them.
const struct {
    const char* key;
    uint32 mode;
} kDocumentKeys[] = {
    {"norm", 12000}, {"dark", 12001}, {"lite", 12002}, {"hue ", 12003}, {"sat ", 12004}, {"colr", 12005},
    {"lum ", 12006}, {"mul ", 12007}, {"scrn", 12008}, {"diss", 12009}, {"over", 12017}, {"hLit", 12018},
    {"sLit", 12019}, {"diff", 12023}, {"smud", 12024}, {"div ", 12025}, {"idiv", 12026},
};

uint32 Key(const char* inText) {
    return uint32(uint8(inText[0])) << 24 | uint32(uint8(inText[1])) << 16 | uint32(uint8(inText[2])) << 8 |
           uint8(inText[3]);
}

// Reports go to the hooks' message log, not to the screen.
class Codec : public ::testing::Test {
protected:
    void SetUp() override {
        Platform::TestHooks::Reset();
        Platform::TestHooks::SetEcho(false);
    }
    void TearDown() override { Platform::TestHooks::Reset(); }

    static std::vector<std::string> Reports() {
        std::vector<std::string> texts;
        for (const auto& box : Platform::TestHooks::MessageBoxes())
            texts.push_back(box.title + ": " + box.text);
        Platform::TestHooks::ClearLogs();
        return texts;
    }
};

TEST_F(Codec, EveryDocumentKeyMapsBothWays) {
    for (const auto& c : kDocumentKeys) {
        EXPECT_EQ(ExternalToInternalBlendMode(FourCC("ZQRS"), Key(c.key)), c.mode) << c.key;
        uint32 signature = 0, key = 0;
        InternalToExternalBlendMode(c.mode, signature, key);
        EXPECT_EQ(signature, FourCC("ZQRS")) << c.key;
        EXPECT_EQ(key, Key(c.key)) << c.key;
        EXPECT_EQ(LayerBlendModeFromKey(Key(c.key)), c.mode) << c.key;
    }
    EXPECT_TRUE(Reports().empty());
}

TEST_F(Codec, ModesWithoutKeysAndNonModesBecomeNormal) {
    std::set<uint32> keyed;
    for (const auto& c : kDocumentKeys) keyed.insert(c.mode);
    std::vector<uint32> unkeyed = {0, 11999, 12029, 0xFFFFFFFF};
    for (uint32 mode = 12000; mode <= 12028; ++mode)
        if (!keyed.count(mode)) unkeyed.push_back(mode);
    ASSERT_EQ(unkeyed.size(), 4u + 12u);  // curve/scale x4, erase, behind, and the six gaps
    for (uint32 mode : unkeyed) {
        uint32 signature = 0, key = 0;
        InternalToExternalBlendMode(mode, signature, key);
        EXPECT_EQ(signature, FourCC("ZQRS")) << mode;
        EXPECT_EQ(key, FourCC("norm")) << mode;
        EXPECT_EQ(Reports(),
                  std::vector<std::string>{
                      "Debug String: InternalToExternalBlendMode: Unrecognized internal blend mode"})
            << mode;
    }
}

TEST_F(Codec, UnknownKeysAndSignaturesThrowWithTheirText) {
    const char* cases[][2] = {
        {"ZQRS", "xxxx"}, {"ZQRS", "NORM"}, {"ZQRS", "hue\0"}, {"ZQRT", "norm"}, {"\0\0\0\0", "mul "}};
    for (const auto& c : cases) {
        try {
            ExternalToInternalBlendMode(Key(c[0]), Key(c[1]));
            ADD_FAILURE() << "no exception for " << c[1];
        } catch (const Exception& e) {
            EXPECT_EQ(e.GetText(), "ExternalToInternalBlendMode: Unrecognized external blend mode");
        }
    }
    // Each throw site reported once, through the throw report.
    EXPECT_EQ(Reports().size(), std::size(cases));
}

TEST_F(Codec, StoredChannelIDsMapToKindsAndBack) {
    const struct {
        int16 id;
        uint32 kind;
    } known[] = {{0, kChannelKindRed},
                 {1, kChannelKindGreen},
                 {2, kChannelKindBlue},
                 {-1, kChannelKindTransparency},
                 {-2, kChannelKindMask}};
    for (const auto& c : known) {
        const ChannelLength channel = ChannelLength::FromEntry(c.id, 100);
        EXPECT_EQ(channel.GetKind(), c.kind) << c.id;
        EXPECT_FALSE(channel.IsPacked());
        EXPECT_EQ(ChannelLength::StoredIDFromKind(c.kind), c.id);
    }
    EXPECT_TRUE(Reports().empty());
    for (int16 id : {int16(3), int16(-3), int16(32767), int16(-32768)}) {
        EXPECT_EQ(ChannelLength::FromEntry(id, 100).GetKind(), uint32(kChannelKindUnset)) << id;
        EXPECT_EQ(Reports(), std::vector<std::string>{"Debug String: Switch guard failed."}) << id;
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
        {"one-pixel rows pack larger", {{5}, {6}, {7}}, true, false, 3},
        {"equal sizes go raw", {{1, 1}, {2, 2}}, true, false, 4},
        {"runs pack smaller", {{7, 7, 7, 7}, {8, 8, 8, 8}}, true, true, 4},
        {"one smaller row is not enough", {{7, 7, 7, 7}, {1, 2, 3, 4}, {1, 2, 3, 4}}, true, false, 12},
        {"merged data stays packed", {{5}, {6}, {7}}, false, true, 6},
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

}  // namespace
