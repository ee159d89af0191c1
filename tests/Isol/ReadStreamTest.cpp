#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/SReadStream.h"
#include "tests/support/MemoryFilePort.h"
#include "tests/support/ReportCapture.h"

namespace {

using Transfer = MemoryFilePort::Transfer;

// Random mixes of reads and skips must deliver exactly the file's bytes, and the port reads must follow
// the rule: none while the buffer can serve; otherwise the buffered part is handed out, the rest read
// straight from the port, and the buffer refilled behind it with up to its size.
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

// A read that crosses the end delivers what exists and is not refused itself (a read ending exactly at
// the end neither); the next read throws until the position is set again.
TEST(ReadStreamEnd, ReadingAcrossTheEndFailsOnTheNextRead) {
    for (int32 length : {150, 100}) {
        MemoryFilePort port(MemoryFilePort::Pattern(100));
        SReadStream stream(&port, kBigEndianOrder, 16, 0);
        std::vector<uint8> data(size_t(length), 0xAA);
        stream.ReadBytes(length, data.data());
        EXPECT_EQ(std::vector<uint8>(data.begin(), data.begin() + 100), MemoryFilePort::Pattern(100));
        EXPECT_EQ(std::vector<uint8>(data.begin() + 100, data.end()),
                  std::vector<uint8>(size_t(length - 100), 0xAA));
        EXPECT_EQ(stream.GetPosition(), uint32(length));
        if (length == 100) stream.ReadU8();  // one byte beyond: noticed only by the read after it
        const std::string reports = CaptureReports([&] { EXPECT_THROW(stream.ReadU8(), MiscDiskException); });
        EXPECT_FALSE(reports.empty());
        EXPECT_THROW(stream.ReadBytes(0, data.data()), MiscDiskException);
        stream.SetPosition(0);
        EXPECT_EQ(stream.ReadU8(), 0);
        EXPECT_EQ(stream.ReadU32(), 0x01020304u);
    }
}

}  // namespace
