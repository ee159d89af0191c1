#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/Pellin/Isol/SWriteStream.h"
#include "tests/support/MemoryFilePort.h"

namespace {

using Transfer = MemoryFilePort::Transfer;
using Bytes = std::vector<uint8>;

Bytes Written(int32 inOrder, void (*inWrite)(SWriteStream&)) {
    MemoryFilePort port;
    {
        SWriteStream stream(&port, inOrder, 4096, 0);
        inWrite(stream);
    }
    return port.Bytes();
}

TEST(WriteStreamEncoding, NumbersCodesAndTexts) {
    struct Case {
        const char* name;
        int32 order;
        void (*write)(SWriteStream&);
        Bytes bytes;
    };
    const Case cases[] = {
        {"u32 big", kBigEndianOrder, [](SWriteStream& s) { s.WriteU32(258); }, {0, 0, 1, 2}},
        {"u32 native", kNativeOrder, [](SWriteStream& s) { s.WriteU32(258); }, {2, 1, 0, 0}},
        {"u16 big", kBigEndianOrder, [](SWriteStream& s) { s.WriteU16(0xABCD); }, {0xAB, 0xCD}},
        {"i32 big", kBigEndianOrder, [](SWriteStream& s) { s.WriteI32(-2); }, {0xFF, 0xFF, 0xFF, 0xFE}},
        {"f32 big", kBigEndianOrder, [](SWriteStream& s) { s.WriteF32(1.5f); }, {0x3F, 0xC0, 0, 0}},
        {"f64 big", kBigEndianOrder, [](SWriteStream& s) { s.WriteF64(-2.0); }, {0xC0, 0, 0, 0, 0, 0, 0, 0}},
        {"f32 native", kNativeOrder, [](SWriteStream& s) { s.WriteF32(1.5f); }, {0, 0, 0xC0, 0x3F}},
        {"code",
         kNativeOrder,
         [](SWriteStream& s) { s.WriteFourCharCode(FourCC("norm")); },
         {'n', 'o', 'r', 'm'}},
        {"empty string", kBigEndianOrder, [](SWriteStream& s) { s.WritePString(""); }, {0, 0}},
        {"odd string", kBigEndianOrder, [](SWriteStream& s) { s.WritePString("abc"); }, {3, 'a', 'b', 'c'}},
        {"even string", kBigEndianOrder, [](SWriteStream& s) { s.WritePString("ab"); }, {2, 'a', 'b', 0}},
        {"number text", kBigEndianOrder, [](SWriteStream& s) { s.WriteNumberAsText(-42); }, {'-', '4', '2'}},
        {"text", kBigEndianOrder, [](SWriteStream& s) { s.WriteText("Hi!"); }, {'H', 'i', '!'}},
        {"boolean", kBigEndianOrder, [](SWriteStream& s) { s.WriteBoolean(true); }, {1}},
    };
    for (const Case& c : cases) EXPECT_EQ(Written(c.order, c.write), c.bytes) << c.name;
}

TEST(WriteStreamEncoding, StringLengthIsTheLowByte) {
    // 258 characters store the length byte 2 and only the first two characters.
    EXPECT_EQ(Written(kBigEndianOrder, [](SWriteStream& s) { s.WritePString(std::string(258, 'q')); }),
              (Bytes{2, 'q', 'q', 0}));
}

TEST(WriteStreamBuffering, FlushesOnlyWhatIsBufferedAndSyncsOnlyThen) {
    MemoryFilePort port;
    SWriteStream stream(&port, kBigEndianOrder, 16, 0);
    stream.Flush(true);
    EXPECT_EQ(port.FlushCount(), 0);
    EXPECT_TRUE(port.Writes().empty());

    stream.WriteU32(1);
    stream.Flush(false);
    EXPECT_EQ(port.Writes(), (std::vector<Transfer>{{0, 4}}));
    EXPECT_EQ(port.FlushCount(), 0);
    stream.WriteU8(5);
    stream.Flush(true);
    EXPECT_EQ(port.Writes(), (std::vector<Transfer>{{0, 4}, {4, 1}}));
    EXPECT_EQ(port.FlushCount(), 1);
    EXPECT_EQ(stream.GetPosition(), 5u);
}

TEST(WriteStreamBuffering, WriteThatDoesNotFitBypassesTheBuffer) {
    MemoryFilePort port;
    SWriteStream stream(&port, kBigEndianOrder, 16, 100);
    const Bytes big = MemoryFilePort::Pattern(40);
    stream.WriteBytes(10, big.data());
    EXPECT_TRUE(port.Writes().empty());
    stream.WriteBytes(10, big.data());  // 20 > 16: flush the 10, then 10 straight to the port
    EXPECT_EQ(port.Writes(), (std::vector<Transfer>{{100, 10}, {110, 10}}));
    stream.WriteBytes(40, big.data());  // empty buffer, still too big: straight to the port
    EXPECT_EQ(port.Writes().back(), (Transfer{120, 40}));
    EXPECT_EQ(stream.GetPosition(), 160u);
    EXPECT_EQ(port.FlushCount(), 0);
}

TEST(WriteStreamBuffering, MovingThePositionFlushesWithSync) {
    MemoryFilePort port;
    {
        SWriteStream stream(&port, kBigEndianOrder, 64, 0);
        stream.WriteU32(0x11223344);
        stream.SetPosition(4);  // the same position: nothing happens
        EXPECT_TRUE(port.Writes().empty());
        stream.SetPosition(10);
        EXPECT_EQ(port.Writes(), (std::vector<Transfer>{{0, 4}}));
        EXPECT_EQ(port.FlushCount(), 1);
        stream.WriteU16(0x5566);
        stream.SetPosition(2);
        stream.WriteU8(0x99);
    }  // the destructor flushes without sync
    EXPECT_EQ(port.FlushCount(), 2);
    EXPECT_EQ(port.Bytes(), (Bytes{0x11, 0x22, 0x99, 0x44, 0, 0, 0, 0, 0, 0, 0x55, 0x66}));
}

// Everything written through a write stream reads back the same through a read stream, whatever the
// byte order and however the values straddle the buffers.
TEST(StreamRoundTrip, RandomValuesReadBackAsWritten) {
    using Value = std::variant<uint8, uint16, uint32, float, double, std::string>;
    std::mt19937 random(4242);
    for (int32 order : {int32(kBigEndianOrder), int32(kNativeOrder)}) {
        for (uint32 bufferSize : {1u, 7u, 64u, 4096u}) {
            std::vector<Value> values;
            for (int i = 0; i < 400; ++i) {
                switch (random() % 6) {
                    case 0:
                        values.emplace_back(uint8(random()));
                        break;
                    case 1:
                        values.emplace_back(uint16(random()));
                        break;
                    case 2:
                        values.emplace_back(uint32(random()));
                        break;
                    case 3:
                        values.emplace_back(float(int32(random())) / 64.0f);
                        break;
                    case 4:
                        values.emplace_back(double(random()) * 1e-3 - 1e6);
                        break;
                    default:
                        values.emplace_back(std::string(random() % 12, char('a' + random() % 26)));
                        break;
                }
            }
            MemoryFilePort port;
            {
                SWriteStream writer(&port, order, bufferSize, 0);
                for (const Value& v : values) {
                    std::visit(
                        [&](const auto& x) {
                            using T = std::decay_t<decltype(x)>;
                            if constexpr (std::is_same_v<T, uint8>) writer.WriteU8(x);
                            if constexpr (std::is_same_v<T, uint16>) writer.WriteU16(x);
                            if constexpr (std::is_same_v<T, uint32>) writer.WriteU32(x);
                            if constexpr (std::is_same_v<T, float>) writer.WriteF32(x);
                            if constexpr (std::is_same_v<T, double>) writer.WriteF64(x);
                            if constexpr (std::is_same_v<T, std::string>) writer.WritePString(x);
                        },
                        v);
                }
            }
            SReadStream reader(&port, order, bufferSize, 0);
            for (const Value& v : values) {
                Value back;
                switch (v.index()) {
                    case 0:
                        back = reader.ReadU8();
                        break;
                    case 1:
                        back = reader.ReadU16();
                        break;
                    case 2:
                        back = reader.ReadU32();
                        break;
                    case 3:
                        back = reader.ReadF32();
                        break;
                    case 4:
                        back = reader.ReadF64();
                        break;
                    default: {
                        std::string text;
                        reader.ReadPString(text);
                        back = text;
                    }
                }
                ASSERT_EQ(back, v) << "order " << order << " buffer " << bufferSize;
            }
            EXPECT_EQ(reader.GetPosition(), port.GetLength());
        }
    }
}

}  // namespace
