// The buffered read and write streams over an in-memory port: buffering, encodings and round trips (reads
// across the end of the file are the damaged-document suite's, which gets their refusal at every length).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/Pellin/Isol/SWriteStream.h"
#include "tests/support/MemoryFilePort.h"
#include "tests/support/ReportCapture.h"

namespace {

using Transfer = MemoryFilePort::Transfer;

// Random mixes of reads, skips and positional reads must deliver exactly the file's bytes, and the port
// reads must follow the rule: none while the buffer can serve; otherwise the buffered part is handed out,
// the rest read straight from the port, and the buffer refilled behind it with up to its size. A
// positional read is one port read that changes nothing else, and fails when the file is too short.
TEST(ReadStreamBuffering, RandomReadsAndSkipsMatchTheFileAndThePortReads) {
    std::mt19937 random(77);
    for (int round = 0; round < 40; ++round) {
        const uint32 fileLength = 1 + random() % 30000;
        const uint32 bufferSize = 1 + random() % 5000;
        const std::vector<uint8> file = MemoryFilePort::Pattern(fileLength);
        MemoryFilePort port(file);
        uint32 position = random() % fileLength;
        SReadStream stream(&port, kBigEndianOrder, bufferSize, position);

        int64 buffered = 0;
        std::vector<Transfer> expected;
        while (position < fileLength) {
            const uint32 left = fileLength - position;
            const uint32 count = std::min<uint32>(left, random() % 3 == 0 ? random() % 9000 : random() % 40);
            if (random() % 5 == 0) {  // a positional read anywhere: one port read, nothing else changes
                const uint32 at = random() % fileLength, length = std::min(count, fileLength - at);
                std::vector<uint8> data(length);
                stream.ReadAt(at, int32(length), data.data());
                ASSERT_TRUE(std::equal(data.begin(), data.end(), file.begin() + at)) << "round " << round;
                if (length > 0) expected.push_back({at, int32(length)});
                ASSERT_EQ(port.Reads(), expected) << "round " << round;
                data.resize(fileLength - at + 1);
                CaptureReports([&] { EXPECT_ANY_THROW(stream.ReadAt(at, int32(data.size()), data.data())); });
                expected.push_back({at, int32(data.size())});
                continue;
            }
            if (random() % 4 == 0) {
                stream.Skip(count);
                buffered = count <= buffered ? buffered - count : 0;
            } else {
                std::vector<uint8> data(count);
                stream.ReadBytes(int32(count), data.data());
                ASSERT_TRUE(std::equal(data.begin(), data.end(), file.begin() + position))
                    << "round " << round << " at " << position;
                if (count <= buffered) {
                    buffered -= count;
                } else {
                    expected.push_back({uint32(position + buffered), int32(count - buffered)});
                    buffered = std::min<int64>(bufferSize, int64(fileLength) - (position + count));
                    expected.push_back({position + count, int32(buffered)});
                }
            }
            position += count;
            ASSERT_EQ(stream.GetPosition(), position);
            ASSERT_EQ(port.Reads(), expected) << "round " << round;
        }
    }
}

using Bytes = std::vector<uint8>;

TEST(WriteStreamEncoding, NumbersCodesAndTexts) {
    struct Case {
        const char* name;
        int32 order;
        void (*write)(SWriteStream&);
        Bytes bytes;
    };
    const Case cases[] = {
        {"u32 native", kNativeOrder, [](SWriteStream& s) { s.WriteU32(258); }, {2, 1, 0, 0}},
        {"f32 big", kBigEndianOrder, [](SWriteStream& s) { s.WriteF32(1.5f); }, {0x3F, 0xC0, 0, 0}},
        {"f64 big", kBigEndianOrder, [](SWriteStream& s) { s.WriteF64(-2.0); }, {0xC0, 0, 0, 0, 0, 0, 0, 0}},
        {"f32 native", kNativeOrder, [](SWriteStream& s) { s.WriteF32(1.5f); }, {0, 0, 0xC0, 0x3F}},
        {"code",
         kNativeOrder,
         [](SWriteStream& s) { s.WriteFourCharCode(FourCC("norm")); },
         {'n', 'o', 'r', 'm'}},
        {"number text", kBigEndianOrder, [](SWriteStream& s) { s.WriteNumberAsText(-42); }, {'-', '4', '2'}},
        {"text", kBigEndianOrder, [](SWriteStream& s) { s.WriteText("Hi!"); }, {'H', 'i', '!'}},
        {"boolean", kBigEndianOrder, [](SWriteStream& s) { s.WriteBoolean(true); }, {1}},
        // 258 characters store the length byte 2 and only the first two characters.
        {"long string",
         kBigEndianOrder,
         [](SWriteStream& s) { s.WritePString(std::string(258, 'q')); },
         {2, 'q', 'q', 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(WrittenBytes(c.order, c.write), c.bytes) << c.name;
}

// Everything written through a write stream reads back the same through a read stream, whatever the
// byte order and however the values straddle the buffers.
TEST(StreamRoundTrip, RandomValuesReadBackAsWritten) {
    struct Value {
        int kind;
        uint32 bits;
        std::string text;
    };
    using Write = void (*)(SWriteStream&, const Value&);
    using ReadBack = bool (*)(SReadStream&, const Value&);
    const std::pair<Write, ReadBack> kinds[] = {
        {[](SWriteStream& s, const Value& v) { s.WriteU8(uint8(v.bits)); },
         [](SReadStream& s, const Value& v) { return s.ReadU8() == uint8(v.bits); }},
        {[](SWriteStream& s, const Value& v) { s.WriteU16(uint16(v.bits)); },
         [](SReadStream& s, const Value& v) { return s.ReadU16() == uint16(v.bits); }},
        {[](SWriteStream& s, const Value& v) { s.WriteU32(v.bits); },
         [](SReadStream& s, const Value& v) { return s.ReadU32() == v.bits; }},
        {[](SWriteStream& s, const Value& v) { s.WriteF32(float(int32(v.bits)) / 64.0f); },
         [](SReadStream& s, const Value& v) { return s.ReadF32() == float(int32(v.bits)) / 64.0f; }},
        {[](SWriteStream& s, const Value& v) { s.WriteF64(double(v.bits) * 1e-3 - 1e6); },
         [](SReadStream& s, const Value& v) { return s.ReadF64() == double(v.bits) * 1e-3 - 1e6; }},
        {[](SWriteStream& s, const Value& v) { s.WritePString(v.text); },
         [](SReadStream& s, const Value& v) {
             std::string text;
             s.ReadPString(text);
             return text == v.text;
         }},
    };
    std::mt19937 random(4242);
    for (int32 order : {int32(kBigEndianOrder), int32(kNativeOrder)}) {
        for (uint32 bufferSize : {1u, 7u, 64u, 4096u}) {
            std::vector<Value> values;
            for (int i = 0; i < 400; ++i) {
                const int kind = int(random() % 6);
                const uint32 bits = uint32(random());
                const uint32 length = bits % (i % 8 == 0 ? 256 : 12);  // now and then up to 255
                values.push_back({kind, bits, std::string(length, char('a' + bits % 26))});
            }
            MemoryFilePort port;
            {
                SWriteStream writer(&port, order, bufferSize, 0);
                for (const Value& v : values) kinds[v.kind].first(writer, v);
            }
            SReadStream reader(&port, order, bufferSize, 0);
            for (size_t i = 0; i < values.size(); ++i)
                ASSERT_TRUE(kinds[values[i].kind].second(reader, values[i]))
                    << "value " << i << " order " << order << " buffer " << bufferSize;
            EXPECT_EQ(reader.GetPosition(), port.GetLength());
        }
    }
}

}  // namespace
