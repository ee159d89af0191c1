#include "Src/Tarnwick/LibraryStartup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Src/Orvane/Src/Storage/SpillSuite.h"
#include "Src/Pellin/Isol/Allocator.h"
#include "Src/Pellin/Isol/ByteTables.h"
#include "Src/PowerPellin/LScratchBuffer.h"
#include "Src/Tarnwick/TSingleton.h"
#include "tests/Isol/ReportLog.h"
#include "tests/support/MemoryFilePort.h"

namespace {

std::vector<std::string> gEvents;

struct First : LAllocatedObject {
    First() { gEvents.push_back("new First"); }
    ~First() { gEvents.push_back("delete First"); }
    int32 value = 11;
};
struct Second : LAllocatedObject {
    Second() { gEvents.push_back("new Second"); }
    ~Second() { gEvents.push_back("delete Second"); }
};
// Touches another singleton while being deleted: the late registration must still be cleaned up.
struct ReachesOut {
    ~ReachesOut() { TSingleton<Second>::Instance(); }
};

class LibraryStartup : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(LibraryStartCount(), 0);
        gEvents.clear();
    }
    void TearDown() override {
        while (LibraryStartCount() > 0) LibraryStop();
        DeleterRegistry::DeleteAll();
    }
};

TEST_F(LibraryStartup, NestedStartsKeepStateUntilTheOutermostStop) {
    MemoryFilePort port(MemoryFilePort::Pattern(1234)), other(MemoryFilePort::Pattern(1234));
    LibraryStart(&port);
    EXPECT_EQ(port.GetLength(), 0u);  // installing empties the spill file
    TSingleton<Second>::Instance();
    First* first = TSingleton<First>::Instance();
    EXPECT_EQ(TSingleton<First>::Instance(), first);  // one instance
    EXPECT_EQ(DeleterRegistry::Count(), 2);

    LibraryStart(&other);  // nested: does nothing
    EXPECT_EQ(SpillSuite::Port(), &port);
    EXPECT_EQ(other.GetLength(), 1234u);
    LibraryStop();
    EXPECT_EQ(LibraryStartCount(), 1);
    EXPECT_EQ(SpillSuite::Port(), &port);
    EXPECT_EQ(TSingleton<First>::Existing(), first);

    LibraryStop();
    EXPECT_EQ(LibraryStartCount(), 0);
    EXPECT_EQ(SpillSuite::Port(), nullptr);
    EXPECT_EQ(TSingleton<First>::Existing(), nullptr);
    EXPECT_EQ(DeleterRegistry::Count(), 0);
    // Singletons are deleted in the order they were registered.
    EXPECT_EQ(gEvents,
              (std::vector<std::string>{"new Second", "new First", "delete Second", "delete First"}));
    ReportLog log;
    LibraryStop();  // unmatched: reported and ignored
    EXPECT_EQ(log.DebugStrings(), (std::vector<std::string>{"Assertion failed: \"sStartCount > 0\""}));
    EXPECT_EQ(LibraryStartCount(), 0);
}

// Every session starts afresh (spill port, singletons, idle blocks freed at the stop), but the byte
// tables are built only once per process: a changed entry survives the next start.
TEST_F(LibraryStartup, RepeatedSessionsInOneProcess) {
    MemoryFilePort port;
    uint8 saved = 0;
    for (int session = 0; session < 5; ++session) {
        LibraryStart(&port);
        EXPECT_EQ(SpillSuite::Port(), &port);
        if (session == 0) saved = gMultiplyTable[200][100];
        EXPECT_EQ(gMultiplyTable[200][100], session == 0 ? 78 : 1);
        EXPECT_EQ(TSingleton<First>::Instance()->value, 11);
        TSingleton<First>::Instance()->value = 99;  // must not survive into the next session
        LScratchBuffer::AddIdleSharedBlock(LAllocate(32));
        LibraryStop();
        EXPECT_EQ(SpillSuite::Port(), nullptr);
        EXPECT_EQ(LScratchBuffer::FreeIdleSharedBlocks(), 0);  // already freed by the stop
        gMultiplyTable[200][100] = 1;                          // a rebuild at the next start would restore it
    }
    gMultiplyTable[200][100] = saved;
    EXPECT_EQ(gEvents.size(), 10u);
}

TEST(Singletons, RegistrationsMadeDuringDeletionAreCleanedUp) {
    gEvents.clear();
    TSingleton<ReachesOut>::Instance();
    DeleterRegistry::DeleteAll();
    EXPECT_EQ(TSingleton<ReachesOut>::Existing(), nullptr);
    EXPECT_EQ(TSingleton<Second>::Existing(), nullptr);
    EXPECT_EQ(gEvents, (std::vector<std::string>{"new Second", "delete Second"}));
    EXPECT_EQ(DeleterRegistry::Count(), 0);
}

}  // namespace
