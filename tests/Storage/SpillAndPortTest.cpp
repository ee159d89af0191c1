#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Src/Orvane/Src/Storage/SpillSuite.h"
#include "Src/Orvane/Src/Storage/VMBufferPort.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/Pellin/Isol/SWriteStream.h"
#include "tests/support/MemoryFilePort.h"
#include "tests/support/ReportCapture.h"

namespace {

void ExpectBlockTableReset() {
    EXPECT_EQ(SpillSuite::ActiveBlockRecords(), 0);
    for (int32 i : {0, 1, SpillSuite::kSpillBlockRecCount - 1}) {
        const SpillSuite::BlockRec& record = SpillSuite::BlockRecord(i);
        EXPECT_EQ(record.fileOffset, 0);
        EXPECT_EQ(record.size, -1);
        EXPECT_FALSE(record.inUse);
    }
}

// Installing empties the port and resets the block table; a second install is an assertion; removing
// forgets the port and resets the table again.
TEST(SpillSuiteTest, InstallEmptiesThePortAndRemoveForgetsIt) {
    MemoryFilePort port(MemoryFilePort::Pattern(500)), second;
    ASSERT_EQ(SpillSuite::Port(), nullptr);
    SpillSuite::Install(&port);
    EXPECT_EQ(SpillSuite::Port(), &port);
    EXPECT_EQ(port.GetLength(), 0u);
    EXPECT_EQ(port.SetLengthCount(), 1);
    ExpectBlockTableReset();
    const std::string reports = CaptureReports([&] { SpillSuite::Install(&second); });
    EXPECT_TRUE(Contains(reports, "Assertion failed: \"sSpillFilePort == 0\"")) << reports;
    SpillSuite::Remove();
    EXPECT_EQ(SpillSuite::Port(), nullptr);
    ExpectBlockTableReset();
}

TEST(VMBufferPortTest, WriteBeyondTheEndGrowsTheBuffer) {
    VMBuffer buffer;
    VMBufferPort port(&buffer);
    EXPECT_EQ(port.WriteAt(10, 5, "hello"), 5);
    EXPECT_EQ(port.WriteAt(0, 3, "abc"), 3);  // writing inside keeps the length
    EXPECT_EQ(buffer.Size(), 15u);
    EXPECT_EQ(port.GetLength(), 15u);
    char bytes[15];
    buffer.Read(0, 15, bytes);
    EXPECT_EQ(std::string(bytes, 15), std::string("abc\0\0\0\0\0\0\0hello", 15));
    port.SetLength(4);
    EXPECT_EQ(buffer.Size(), 4u);
}

TEST(VMBufferPortTest, ReadBeyondTheEndThrows) {
    VMBuffer buffer(15);
    buffer.Write(12, 3, "xyz");
    VMBufferPort port(&buffer);
    char destination[4] = {'-', '-', '-', '-'};
    std::string reports = CaptureReports([&] {
        EXPECT_THROW(port.ReadAt(12, 4, destination), ReadOffEndException);
        EXPECT_THROW(port.ReadAt(0xFFFFFFFFu, 2, destination), ReadOffEndException);
    });
    EXPECT_FALSE(reports.empty());
    EXPECT_EQ(std::string(destination, 4), "----");
    EXPECT_EQ(port.ReadAt(12, 3, destination), 3);
    EXPECT_EQ(std::string(destination, 3), "xyz");
    EXPECT_EQ(port.GetMaxTransfer(), 16777216u);
}

// Streams over a buffer port, like a small file: the buffer grows page by page as the writer flushes.
TEST(VMBufferPortTest, StreamsReadBackWhatTheyWroteThroughTheBuffer) {
    VMBuffer buffer(0, 64);
    VMBufferPort port(&buffer);
    {
        SWriteStream writer(&port, kBigEndianOrder, 16, 0);
        for (uint32 i = 0; i < 100; ++i) writer.WriteU32(i * 0x01010101u);
    }
    EXPECT_EQ(buffer.Size(), 400u);
    EXPECT_EQ(buffer.PageCount(), 7u);
    SReadStream reader(&port, kBigEndianOrder, 16, 0);
    for (uint32 i = 0; i < 100; ++i) ASSERT_EQ(reader.ReadU32(), i * 0x01010101u);
    EXPECT_EQ(reader.GetPosition(), buffer.Size());
}

}  // namespace
