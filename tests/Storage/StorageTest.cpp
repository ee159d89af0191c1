// Paged buffers against a model of their pages, the ports over them, and the spill file's installation.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "Src/Orvane/Src/Storage/SpillSuite.h"
#include "Src/Orvane/Src/Storage/VMBuffer.h"
#include "Src/Orvane/Src/Storage/VMBufferPort.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "tests/support/MemoryFilePort.h"
#include "tests/support/ReportCapture.h"

namespace {

std::vector<uint8> Contents(const VMBuffer& inBuffer) {
    std::vector<uint8> bytes(inBuffer.Size());
    inBuffer.Read(0, inBuffer.Size(), bytes.data());
    return bytes;
}

// A model of a set of buffers: each buffer's bytes, and for each page an identity token that copies
// share and a write or a resize replaces, so the test knows exactly which pages must be shared: a write
// detaches only the pages it touches, a resize keeps the whole pages and replaces a partial last page.
struct ModelBuffer {
    std::vector<uint8> bytes;
    std::vector<uint64> pageIds;
};

class VMBufferModelTest : public testing::Test {
protected:
    static constexpr uint32 kPageSize = 64;
    static constexpr int kBuffers = 4;

    uint64 NewId() { return ++mLastId; }

    void CheckAgainstModel() {
        std::map<uint64, int> references;
        for (const ModelBuffer& m : mModels)
            for (uint64 id : m.pageIds) ++references[id];
        std::map<uint64, const uint8*> memoryOfId;
        for (int i = 0; i < kBuffers; ++i) {
            const VMBuffer& buffer = mBuffers[i];
            const ModelBuffer& model = mModels[i];
            ASSERT_EQ(buffer.Size(), model.bytes.size());
            ASSERT_EQ(buffer.PageCount(), model.pageIds.size());
            ASSERT_EQ(Contents(buffer), model.bytes) << "buffer " << i;
            for (uint32 page = 0; page < buffer.PageCount(); ++page) {
                const uint64 id = model.pageIds[page];
                ASSERT_EQ(buffer.PageByteCount(page), std::min(kPageSize, buffer.Size() - page * kPageSize));
                ASSERT_EQ(buffer.PageShared(page), references[id] > 1) << "buffer " << i << " page " << page;
                const auto entry = memoryOfId.emplace(id, buffer.PageData(page)).first;
                ASSERT_EQ(entry->second, buffer.PageData(page)) << "buffer " << i << " page " << page;
            }
        }
        // Distinct ids must be distinct memory.
        std::map<const uint8*, uint64> idOfMemory;
        for (auto [id, memory] : memoryOfId) ASSERT_TRUE(idOfMemory.emplace(memory, id).second);
    }

    void Resize(int inIndex, uint32 inNewSize) {
        ModelBuffer& m = mModels[inIndex];
        const uint32 oldSize = uint32(m.bytes.size());
        mBuffers[inIndex].Resize(inNewSize);
        if (inNewSize == oldSize) return;
        m.bytes.resize(inNewSize, 0);
        const uint32 keptFullPages = std::min(oldSize, inNewSize) / kPageSize;
        m.pageIds.resize(keptFullPages);
        for (uint32 p = keptFullPages; p * kPageSize < inNewSize; ++p) m.pageIds.push_back(NewId());
    }

    // Writes through Write, or with inThroughPage through the memory PageDataForWrite gives for the
    // first page (the data then stays within it).
    void Write(int inIndex, uint32 inOffset, const std::vector<uint8>& inData, bool inThroughPage) {
        ModelBuffer& m = mModels[inIndex];
        if (inThroughPage)
            std::copy(inData.begin(), inData.end(),
                      mBuffers[inIndex].PageDataForWrite(inOffset / kPageSize) + inOffset % kPageSize);
        else
            mBuffers[inIndex].Write(inOffset, uint32(inData.size()), inData.data());
        std::copy(inData.begin(), inData.end(), m.bytes.begin() + inOffset);
        for (uint32 p = inOffset / kPageSize; p <= (inOffset + inData.size() - 1) / kPageSize; ++p)
            if (IsShared(m.pageIds[p])) m.pageIds[p] = NewId();
    }

    bool IsShared(uint64 inId) const {
        int count = 0;
        for (const ModelBuffer& m : mModels)
            count += int(std::count(m.pageIds.begin(), m.pageIds.end(), inId));
        return count > 1;
    }

    std::vector<VMBuffer> mBuffers = std::vector<VMBuffer>(kBuffers, VMBuffer(0, kPageSize));
    std::vector<ModelBuffer> mModels = std::vector<ModelBuffer>(kBuffers);
    uint64 mLastId = 0;
};

TEST_F(VMBufferModelTest, RandomResizeReadWriteCopyMatchTheModel) {
    std::mt19937 random(20240611);
    auto below = [&](uint32 n) { return uint32(random() % n); };
    for (int step = 0; step < 3000; ++step) {
        const int i = int(below(kBuffers));
        ModelBuffer& m = mModels[i];
        const uint32 size = uint32(m.bytes.size());
        switch (below(5)) {
            case 0:  // resize, often to page boundaries and to nearby sizes
                Resize(i, below(3) == 0 ? below(6) * kPageSize : below(6 * kPageSize + 1));
                break;
            case 1:
            case 2: {  // write a random range, or a range within one page through its memory
                if (size == 0) break;
                const uint32 offset = below(size);
                const bool throughPage = below(3) == 0;
                const uint32 room = throughPage ? std::min(size, (offset / kPageSize + 1) * kPageSize) : size;
                std::vector<uint8> data(below(room - offset) + 1);
                for (uint8& byte : data) byte = uint8(random());
                Write(i, offset, data, throughPage);
                break;
            }
            case 3: {  // read a random range and single bytes
                if (size == 0) break;
                const uint32 offset = below(size);
                std::vector<uint8> data(below(size - offset + 1));
                mBuffers[i].Read(offset, uint32(data.size()), data.data());
                ASSERT_TRUE(std::equal(data.begin(), data.end(), m.bytes.begin() + offset));
                ASSERT_EQ(mBuffers[i].ReadByte(offset), m.bytes[offset]);
                break;
            }
            default: {  // copy one buffer over another
                const int j = int(below(kBuffers));
                mBuffers[j] = mBuffers[i];
                mModels[j] = mModels[i];
                break;
            }
        }
        if (step % 10 == 0) {
            ASSERT_NO_FATAL_FAILURE(CheckAgainstModel()) << "step " << step;
        }
    }
    CheckAgainstModel();
}

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

}  // namespace
