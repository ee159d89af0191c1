// HostFilePort and MergerTempFile over the platform's file calls, in a private working directory.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "API/HostFilePort.h"
#include "API/MergerTempFile.h"
#include "API/Platform/Platform.h"
#include "tests/support/TempFolder.h"

namespace {

// Each test works in a private folder, where the fixed scratch-file name cannot collide.
class FilePortTest : public testing::Test {
protected:
    TempFolder mFolder{true};

    // A file of inSize bytes 0, 1, 2, ... opened read/write.
    Platform::FileHandle MakeFile(int32 inSize) {
        Platform::FileHandle file = Platform::FileCreate("data.bin");
        std::vector<uint8> bytes(static_cast<size_t>(inSize));
        for (int32 i = 0; i < inSize; ++i) bytes[size_t(i)] = uint8(i);
        EXPECT_EQ(Platform::FileWrite(file, bytes.data(), inSize), inSize);
        return file;
    }
};

// GetLength keeps the file position; ReadAt delivers what exists and leaves the rest of the destination.
TEST_F(FilePortTest, GetLengthAndReadAtLeaveWhatTheyDoNotTransfer) {
    Platform::FileHandle file = MakeFile(100);
    HostFilePort port(file);
    for (int64 position : {0, 37, 100, 150}) {
        ASSERT_EQ(Platform::FileSeek(file, position, Platform::SeekOrigin::kBegin), position);
        EXPECT_EQ(port.GetLength(), 100u);
        EXPECT_EQ(Platform::FileSeek(file, 0, Platform::SeekOrigin::kCurrent), position);
    }
    struct Case {
        uint32 position;
        int32 count;
        int32 expected;
    };
    const Case cases[] = {{0, 10, 10}, {95, 10, 5}, {100, 4, 0}, {1000, 4, 0}, {10, 0, 0}, {10, -3, 0}};
    for (const Case& c : cases) {
        std::array<uint8, 16> buffer;
        buffer.fill(0xEE);
        EXPECT_EQ(port.ReadAt(c.position, c.count, buffer.data()), c.expected) << c.position;
        for (int32 i = 0; i < int32(buffer.size()); ++i) {
            const uint8 want = i < c.expected ? uint8(c.position + uint32(i)) : 0xEE;
            EXPECT_EQ(buffer[size_t(i)], want) << "position " << c.position << " byte " << i;
        }
    }
    Platform::FileClose(file);
}

TEST_F(FilePortTest, WriteAtPlacesBytesAndSetLengthWaitsForAWrite) {
    Platform::FileHandle file = MakeFile(8);
    HostFilePort port(file);
    const uint8 patch[3] = {0xA1, 0xA2, 0xA3};
    EXPECT_EQ(port.WriteAt(2, 3, patch), 3);
    uint8 back[8] = {};
    EXPECT_EQ(port.ReadAt(0, 8, back), 8);
    const uint8 expected[8] = {0, 1, 0xA1, 0xA2, 0xA3, 5, 6, 7};
    EXPECT_EQ(std::vector<uint8>(back, back + 8), std::vector<uint8>(expected, expected + 8));

    port.SetLength(64);
    EXPECT_EQ(port.GetLength(), 8u);
    EXPECT_EQ(port.WriteAt(20, 1, patch), 1);
    EXPECT_EQ(port.GetLength(), 21u);
    Platform::FileClose(file);
}

TEST_F(FilePortTest, ScratchFileIsEmptiedUsedAndGoneAfterDestruction) {
    {
        Platform::FileHandle stale = Platform::FileCreate(MergerTempFile::kFileName);
        Platform::FileWrite(stale, "stale data", 10);
        Platform::FileClose(stale);
    }
    Platform::FileHandle handle = Platform::kInvalidFile;
    {
        MergerTempFile scratch;
        ASSERT_TRUE(scratch.IsOpen());
        handle = scratch.Handle();
        EXPECT_TRUE(std::filesystem::exists(MergerTempFile::kFileName));
        EXPECT_EQ(scratch.GetLength(), 0u);
        EXPECT_EQ(scratch.WriteAt(4, 3, "abc"), 3);
        char back[3] = {};
        EXPECT_EQ(scratch.ReadAt(4, 3, back), 3);
        EXPECT_EQ(std::string(back, 3), "abc");
    }
    EXPECT_FALSE(std::filesystem::exists(MergerTempFile::kFileName));
    EXPECT_FALSE(Platform::FileClose(handle)) << "the scratch file's handle must be closed";
}

}  // namespace
