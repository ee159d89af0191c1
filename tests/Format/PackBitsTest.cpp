// Row packing and unpacking: exact packets for known rows, the packet rules on random rows, round trips,
// and decoding of hostile packed bytes (random garbage is the packbits fuzz target's, replayed in Fuzz/).
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <random>
#include <vector>

#include "Src/Orvane/Src/Format/PackBits.h"

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

struct PackCase {
    const char* name;
    Bytes row;
    Bytes packed;
};

// inCount bytes 1, 3, 5, ... (no two equal), then inTail.
Bytes Odd(size_t inCount, std::initializer_list<uint8> inTail = {}) {
    Bytes row;
    for (size_t i = 0; i < inCount; ++i) row.push_back(uint8(i * 2 + 1));
    row.insert(row.end(), inTail);
    return row;
}

Bytes Concat(uint8 inControl, const Bytes& inRow, size_t inCount, std::initializer_list<uint8> inTail) {
    Bytes packed(inRow.begin(), inRow.begin() + std::ptrdiff_t(inCount));
    packed.insert(packed.begin(), inControl);
    packed.insert(packed.end(), inTail);
    return packed;
}

TEST(PackBitsPack, KnownRowsGiveExactPackets) {
    Bytes twoChunks(130);
    for (size_t i = 0; i < twoChunks.size(); ++i) twoChunks[i] = uint8(i);
    const Bytes straddle = Odd(125, {0, 0, 0, 0, 0});  // a run straddling the chunk boundary is cut there
    const Bytes pairAtEnd = Odd(126, {0, 0, 0});       // two equal bytes closing a chunk join its literal
    const std::vector<PackCase> cases = {
        {"empty row", {}, {}},
        {"one byte", {9}, {0, 9}},
        {"two equal", {9, 9}, {0xFF, 9}},
        {"two different", {9, 8}, {1, 9, 8}},
        {"pair inside literal", {1, 2, 2, 3}, {3, 1, 2, 2, 3}},
        {"triple splits literal", {1, 2, 2, 2, 3}, {0, 1, 0xFE, 2, 0, 3}},
        {"pair ends chunk", {1, 2, 2}, {2, 1, 2, 2}},
        {"run then single", {5, 5, 5, 6}, {0xFE, 5, 0, 6}},
        {"run then literal", {5, 5, 6, 7}, {0xFF, 5, 1, 6, 7}},
        {"two pairs in literal", {1, 2, 2, 3, 3, 4}, {5, 1, 2, 2, 3, 3, 4}},
        {"literal before long run", {1, 2, 3, 3, 3, 3, 3}, {1, 1, 2, 0xFC, 3}},
        {"300 equal bytes", Bytes(300, 7), {0x81, 7, 0x81, 7, 0xD5, 7}},
        {"128 distinct then 2", twoChunks, Concat(127, twoChunks, 128, {1, 128, 129})},
        {"run cut at chunk end", straddle, Concat(124, straddle, 125, {0xFE, 0, 0xFF, 0})},
        {"pair closes chunk literal", pairAtEnd, Concat(127, pairAtEnd, 128, {0, 0})},
    };
    for (const PackCase& c : cases) EXPECT_EQ(Pack(c.row), c.packed) << c.name;
}

// Walks a packed row and checks the packet rules the writer promises: no packet crosses a 128-byte
// chunk, runs are at least 2 long and maximal, literals hold no three equal bytes in a row and end only
// at a chunk's end or before a run of three or more.
void CheckPacketRules(const Bytes& inRow, const Bytes& inPacked) {
    size_t in = 0, pos = 0;
    while (pos < inPacked.size()) {
        const int control = int8(inPacked[pos]);
        ASSERT_NE(control, -128);
        const size_t chunkEnd = std::min(inRow.size(), (in / 128 + 1) * 128);
        if (control >= 0) {
            const size_t count = size_t(control) + 1;
            ASSERT_LE(in + count, chunkEnd) << "literal crosses a chunk at " << in;
            for (size_t k = 2; k < count; ++k)
                ASSERT_FALSE(inRow[in + k] == inRow[in + k - 1] && inRow[in + k] == inRow[in + k - 2]);
            const size_t next = in + count;
            if (next < chunkEnd) {
                ASSERT_LE(next + 3, chunkEnd);
                ASSERT_TRUE(inRow[next] == inRow[next + 1] && inRow[next] == inRow[next + 2])
                    << "literal ended at " << next << " without a run of three following";
            }
            in += count;
            pos += 1 + count;
        } else {
            const size_t count = size_t(1 - control);
            ASSERT_LE(in + count, chunkEnd) << "run crosses a chunk at " << in;
            for (size_t k = 0; k < count; ++k) ASSERT_EQ(inRow[in + k], inPacked[pos + 1]);
            if (in + count < chunkEnd) {
                ASSERT_NE(inRow[in + count], inPacked[pos + 1]) << "run not maximal";
            }
            in += count;
            pos += 2;
        }
    }
    ASSERT_EQ(in, inRow.size());
}

TEST(PackBitsPack, RandomRowsFollowPacketRulesAndRoundTrip) {
    std::mt19937 rng(12345);
    for (int trial = 0; trial < 3000; ++trial) {
        const size_t length = rng() % 700;
        const uint32 alphabet = 1 + rng() % 4;  // few values: many runs and pairs
        const uint32 runBias = rng() % 4;
        Bytes row(length);
        for (size_t i = 0; i < length; ++i)
            row[i] = (i > 0 && rng() % 4 < runBias) ? row[i - 1] : uint8(rng() % alphabet * 37);
        const Bytes packed = Pack(row);
        CheckPacketRules(row, packed);
        if (HasFailure()) return;
        Bytes decoded(length, 0xAB);
        const PackBits::DecodeResult r =
            PackBits::DecodeRow(packed.data(), uint32(packed.size()), decoded.data(), uint32(length));
        EXPECT_EQ(r.produced, length);
        EXPECT_EQ(r.consumed, packed.size());
        ASSERT_EQ(decoded, row) << "trial " << trial;
    }
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

}  // namespace
