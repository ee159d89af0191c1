// The PNG writer's compressor, read back by zlib: every kind of picture comes back as its filtered rows,
// and the prefix codes it sends are complete and within their length limits.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <functional>
#include <queue>
#include <random>
#include <vector>

#include "tools/png/DeflateEncoder.h"
#include "tools/png/HuffmanCode.h"

namespace {

enum class Content { kNoise, kRuns, kSmooth };

std::vector<uint8> MakePicture(size_t inRowBytes, size_t inRows, Content inContent, uint32 inSeed) {
    std::mt19937 random(inSeed);
    std::vector<uint8> pixels(inRowBytes * inRows);
    for (size_t i = 0; i < pixels.size(); ++i) {
        const size_t x = i % inRowBytes, y = i / inRowBytes;
        switch (inContent) {
            case Content::kNoise:
                pixels[i] = uint8(random());
                break;
            // Runs of repeated pixels and rows that repeat the row above, with a changed byte now and then.
            case Content::kRuns:
                pixels[i] = i >= 4 && random() % 23 != 0
                                ? pixels[i - (y > 0 && random() % 2 ? inRowBytes : 4)]
                                : uint8(random() % 4);
                break;
            case Content::kSmooth:
                pixels[i] = uint8(x / 7 + y * 3 + (random() % 5 == 0 ? random() % 3 : 0));
                break;
        }
    }
    return pixels;
}

// Each row behind the filter byte 2, as the byte minus the byte above.
std::vector<uint8> UpFiltered(const std::vector<uint8>& inPixels, size_t inRowBytes, size_t inRows) {
    std::vector<uint8> out;
    for (size_t y = 0; y < inRows; ++y) {
        out.push_back(2);
        for (size_t x = 0; x < inRowBytes; ++x)
            out.push_back(
                uint8(inPixels[y * inRowBytes + x] - (y > 0 ? inPixels[(y - 1) * inRowBytes + x] : 0)));
    }
    return out;
}

TEST(DeflateEncoder, ZlibReadsBackEveryKindOfPicture) {
    struct Case {
        size_t rowBytes, rows;
    };
    // One byte; tiny rows; rows whose byte above is in reach; rows longer than the window; a row longer
    // than what is filtered at once; a tall picture of many blocks.
    const Case cases[] = {{1, 1}, {3, 5}, {16384, 24}, {40000, 9}, {300000, 1}, {4, 90000}};
    uint32 seed = 1;
    for (const Case& c : cases)
        for (const Content content : {Content::kNoise, Content::kRuns, Content::kSmooth}) {
            const std::vector<uint8> pixels = MakePicture(c.rowBytes, c.rows, content, seed++);
            const PixelBytes stream = DeflatePictureRows(pixels.data(), c.rowBytes, c.rows);
            const std::vector<uint8> expected = UpFiltered(pixels, c.rowBytes, c.rows);
            std::vector<uint8> back(expected.size() + 1);
            uLongf backBytes = uLongf(back.size());
            ASSERT_EQ(uncompress(back.data(), &backBytes, stream.data(), uLong(stream.size())), Z_OK)
                << c.rowBytes << " x " << c.rows << ", content " << int(content);
            back.resize(backBytes);
            ASSERT_TRUE(back == expected) << c.rowBytes << " x " << c.rows << ", content " << int(content);
            if (content != Content::kNoise && expected.size() > 1000) {
                EXPECT_LT(stream.size(), expected.size() / 2) << c.rowBytes << " x " << c.rows;
            }
        }
}

// The bits a Huffman code without a length limit spends on symbols occurring inCounts times: the sum of
// the weights of the nodes merged.
uint64 OptimalBits(const std::vector<uint32>& inCounts) {
    std::priority_queue<uint64, std::vector<uint64>, std::greater<uint64>> lightest;
    for (const uint32 count : inCounts)
        if (count != 0) lightest.push(count);
    uint64 bits = 0;
    while (lightest.size() > 1) {
        const uint64 first = lightest.top();
        lightest.pop();
        const uint64 merged = first + lightest.top();
        lightest.pop();
        bits += merged;
        lightest.push(merged);
    }
    return bits;
}

TEST(HuffmanCode, IsCompleteWithinItsLimitAndFavoursFrequentSymbols) {
    struct Case {
        int symbols, mostBits;
        std::vector<uint32> counts;
        bool limited;  // whether a limit (the length, or one bit at least) keeps the code from being optimal
    };
    std::vector<uint32> fibonacci = {1, 1};
    while (fibonacci.size() < 40) fibonacci.push_back(fibonacci.end()[-1] + fibonacci.end()[-2]);
    std::mt19937 random(7);
    std::vector<uint32> wide(kLiteralLengthSymbols), mild(kLiteralLengthSymbols);
    for (uint32& count : wide) count = random() % 3 == 0 ? 0 : fibonacci[random() % 40];
    for (uint32& count : mild) count = random() % 3 == 0 ? 0 : 1 + random() % 1000;
    const Case cases[] = {
        {kDistanceSymbols, 15, std::vector<uint32>(fibonacci.begin(), fibonacci.begin() + kDistanceSymbols),
         true},
        {kCodeLengthSymbols, 7, std::vector<uint32>(fibonacci.begin() + 3, fibonacci.begin() + 22), true},
        {kLiteralLengthSymbols, 15, wide, true},
        {kLiteralLengthSymbols, 15, mild, false},
        {kLiteralLengthSymbols, 15, std::vector<uint32>(kLiteralLengthSymbols, 9), false},
        {kDistanceSymbols, 15, std::vector<uint32>(kDistanceSymbols, 0), false},
        {kCodeLengthSymbols, 7, {0, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, true},
    };
    for (const Case& c : cases) {
        const HuffmanCode code(c.counts.data(), c.symbols, c.mostBits);
        uint64 filled = 0, bits = 0;
        int coded = 0;
        for (int s = 0; s < c.symbols; ++s) {
            const int length = code.Lengths()[s];
            ASSERT_LE(length, c.mostBits) << "symbol " << s;
            if (c.counts[size_t(s)] != 0) {
                EXPECT_GT(length, 0) << "symbol " << s;
            }
            if (length == 0) continue;
            ++coded;
            filled += uint64(1) << (c.mostBits - length);
            bits += uint64(c.counts[size_t(s)]) * uint64(length);
            for (int t = 0; t < c.symbols; ++t) {
                if (c.counts[size_t(t)] > c.counts[size_t(s)]) {
                    EXPECT_LE(code.Lengths()[t], length) << "symbols " << t << " and " << s;
                }
            }
        }
        EXPECT_EQ(filled, uint64(1) << c.mostBits) << c.symbols << " symbols";
        EXPECT_GE(coded, 2);
        if (!c.limited) {
            EXPECT_EQ(bits, OptimalBits(c.counts)) << c.symbols << " symbols";
        }
    }
}

}  // namespace
