#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <vector>

#include "Src/Orvane/Src/Storage/VMBuffer.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "tests/support/ReportCapture.h"

namespace {

std::vector<uint32> PageSizes(const VMBuffer& inBuffer) {
    std::vector<uint32> sizes;
    for (uint32 page = 0; page < inBuffer.PageCount(); ++page) sizes.push_back(inBuffer.PageByteCount(page));
    return sizes;
}

std::vector<uint8> Contents(const VMBuffer& inBuffer) {
    std::vector<uint8> bytes(inBuffer.Size());
    inBuffer.Read(0, inBuffer.Size(), bytes.data());
    return bytes;
}

VMBuffer Patterned(uint32 inSize, uint32 inPageSize) {
    VMBuffer buffer(inSize, inPageSize);
    std::vector<uint8> bytes(inSize);
    for (uint32 i = 0; i < inSize; ++i) bytes[i] = uint8(i * 7 + i / 251);
    buffer.Write(0, inSize, bytes.data());
    return buffer;
}

TEST(VMBufferLayout, PagesCoverTheSizeWithOnlyTheLastPagePartial) {
    struct Case {
        uint32 size, pageSize;
        std::vector<uint32> pages;
    };
    const Case cases[] = {{0, 65536, {}},          {1, 65536, {1}},          {65536, 65536, {65536}},
                          {65537, 65536, {65536, 1}}, {100000, 65536, {65536, 34464}}, {10, 4, {4, 4, 2}},
                          {12, 4, {4, 4, 4}}};
    for (const Case& c : cases) {
        const VMBuffer buffer(c.size, c.pageSize);
        EXPECT_EQ(buffer.Size(), c.size);
        EXPECT_EQ(PageSizes(buffer), c.pages) << c.size << " / " << c.pageSize;
    }
    EXPECT_EQ(PageSizes(VMBuffer(100000)), (std::vector<uint32>{65536, 34464}));  // the default page size
}

TEST(VMBufferChecks, OutOfRangeAccessIsReportedAndRefused) {
    VMBuffer buffer = Patterned(100, 64);
    const std::vector<uint8> before = Contents(buffer);
    uint8 destination[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const uint8 source[8] = {};

    std::string reports = CaptureReports([&] { buffer.Read(96, 8, destination); });
    EXPECT_TRUE(Contains(reports, "Assertion failed: \"inOffset + inLength <= mSize\"")) << reports;
    EXPECT_EQ(destination[0], 1);
    reports = CaptureReports([&] { buffer.Write(0xFFFFFFF0u, 0x20, source); });
    EXPECT_TRUE(Contains(reports, "inOffset + inLength <= mSize")) << reports;
    reports = CaptureReports([&] { EXPECT_EQ(buffer.ReadByte(200), 0); });
    EXPECT_TRUE(Contains(reports, "mPageList.size() > whichPage")) << reports;
    reports = CaptureReports([&] { EXPECT_EQ(buffer.PageData(2), nullptr); });
    EXPECT_FALSE(reports.empty());
    EXPECT_EQ(Contents(buffer), before);

    reports = CaptureReports([&] { buffer.Read(100, 0, destination); });
    EXPECT_TRUE(reports.empty()) << reports;
}

TEST(VMBufferChecks, LocksAreCountedPerPage) {
    VMBuffer buffer = Patterned(200, 64);
    std::string reports = CaptureReports([&] {
        buffer.LockAll();
        buffer.LockAll();
        buffer.UnlockAll();
        buffer.UnlockAll();
    });
    EXPECT_TRUE(reports.empty()) << reports;
    reports = CaptureReports([&] { buffer.UnlockAll(); });
    EXPECT_TRUE(Contains(reports, "mLockCount > 0")) << reports;
}

TEST(CVMPageTest, CopyingAnEmptyHandleThrowsNilPointer) {
    CVMPage a(8);
    CVMPage moved = std::move(a);
    const std::string reports = CaptureReports([&] { EXPECT_THROW(CVMPage copy(a), NilPointerException); });
    EXPECT_FALSE(reports.empty());  // the throw site reports before throwing
    EXPECT_EQ(moved.Size(), 8u);
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
            std::copy(inData.begin(), inData.end(), mBuffers[inIndex].PageDataForWrite(inOffset / kPageSize) + inOffset % kPageSize);
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

}  // namespace
