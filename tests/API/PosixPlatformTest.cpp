// The Posix stand-ins: window registry, atoms, clock, version word and the last-error value.
#include <gtest/gtest.h>

#include <string>

#include "API/Platform/Platform.h"
#include "API/Platform/PlatformTestHooks.h"

namespace {

namespace Hooks = Platform::TestHooks;

class PosixPlatformTest : public testing::Test {
protected:
    void SetUp() override {
        Hooks::Reset();
        Hooks::SetEcho(false);
    }
    void TearDown() override { Hooks::Reset(); }
};

TEST_F(PosixPlatformTest, WindowLookupMatchesClassAndTitleOfTopLevelWindowsOnly) {
    Hooks::WindowSpec spec;
    spec.className = "TFORM1";
    spec.title = "Other";
    Hooks::AddWindow(spec);
    spec.title = "DebugString";
    spec.child = true;
    Hooks::AddWindow(spec);
    EXPECT_EQ(Platform::FindTopLevelWindow("TFORM1", "DebugString"), nullptr);
    EXPECT_EQ(Platform::LastError(), Hooks::kErrorNoWindow);

    spec.child = false;
    Platform::WindowRef wanted = Hooks::AddWindow(spec);
    EXPECT_EQ(Platform::FindTopLevelWindow("TFORM1", "DebugString"), wanted);
    EXPECT_EQ(Platform::FindTopLevelWindow("TFORM2", "DebugString"), nullptr);
    Hooks::RemoveWindow(wanted);
    EXPECT_EQ(Platform::FindTopLevelWindow("TFORM1", "DebugString"), nullptr);
}

TEST_F(PosixPlatformTest, SendReachesTheReceiverAndReturnsItsAnswer) {
    uint32 seenMessage = 0;
    Platform::MessageParam seenParam = 0;
    Hooks::WindowSpec spec;
    spec.receiver = [&](uint32 message, Platform::MessageParam param, Platform::MessageLong) {
        seenMessage = message;
        seenParam = param;
        return Platform::MessageLong(77);
    };
    Platform::WindowRef window = Hooks::AddWindow(spec);
    EXPECT_EQ(Platform::SendWindowMessage(window, 1024, 9, 0), 77);
    EXPECT_EQ(seenMessage, 1024u);
    EXPECT_EQ(seenParam, 9u);
    Hooks::RemoveWindow(window);
    EXPECT_EQ(Platform::SendWindowMessage(window, 1024, 9, 0), 0) << "a removed window receives nothing";
}

TEST_F(PosixPlatformTest, AtomsNameTheirTextUntilDeleted) {
    const uint16 first = Platform::AddGlobalAtom("first text");
    const uint16 second = Platform::AddGlobalAtom("second");
    EXPECT_NE(first, 0);
    EXPECT_NE(first, second);
    char name[64];
    EXPECT_EQ(Platform::GlobalAtomName(first, name, sizeof name), 10);
    EXPECT_STREQ(name, "first text");
    char small[6];
    EXPECT_EQ(Platform::GlobalAtomName(first, small, sizeof small), 5);
    EXPECT_STREQ(small, "first");
    Platform::DeleteGlobalAtom(first);
    EXPECT_EQ(Platform::GlobalAtomName(first, name, sizeof name), 0);
    EXPECT_EQ(Hooks::LiveAtomCount(), 1);
}

TEST_F(PosixPlatformTest, TickSourceAndVersionWordAreInjectable) {
    const uint32 before = Platform::TickCount();
    const uint32 after = Platform::TickCount();
    EXPECT_LE(after - before, 1000u) << "the monotonic clock does not run backwards or jump";

    uint32 next = 41;
    Hooks::SetTickSource([&next] { return next++; });
    EXPECT_EQ(Platform::TickCount(), 41u);
    EXPECT_EQ(Platform::TickCount(), 42u);
    Hooks::SetTickSource({});
    EXPECT_NE(Platform::TickCount(), 43u);

    EXPECT_EQ(Platform::VersionWord(), Hooks::kDefaultVersionWord);
    Hooks::SetVersionWord(0xC0000A04);
    EXPECT_EQ(Platform::VersionWord(), 0xC0000A04u);
}

TEST_F(PosixPlatformTest, FailedFileCallsLeaveTheInvalidHandleAndAnError) {
    Platform::SetLastErrorValue(0);
    EXPECT_EQ(Platform::FileOpenReadWrite("/nonexistent-dir/x"), Platform::kInvalidFile);
    EXPECT_NE(Platform::LastError(), 0u);
    EXPECT_EQ(Platform::FileSeek(Platform::kInvalidFile, 0, Platform::SeekOrigin::kBegin), -1);
    char byte = 0;
    EXPECT_EQ(Platform::FileRead(Platform::kInvalidFile, &byte, 1), 0);
    EXPECT_FALSE(Platform::FileDelete("/nonexistent-dir/x"));
}

TEST_F(PosixPlatformTest, ResetClearsLogsWindowsAndScreen) {
    Platform::ShowMessageBox(nullptr, "t", "T", 0);
    Platform::DebugOutput("d");
    Hooks::SetScreenSize(640, 480);
    Hooks::WindowSpec spec;
    spec.className = "X";
    Hooks::AddWindow(spec);
    EXPECT_EQ(Hooks::MessageBoxes().size(), 1u);
    EXPECT_EQ(Hooks::DebugOutputs().size(), 1u);
    Hooks::Reset();
    EXPECT_TRUE(Hooks::MessageBoxes().empty());
    EXPECT_TRUE(Hooks::DebugOutputs().empty());
    EXPECT_EQ(Platform::FindTopLevelWindow("X", nullptr), nullptr);
    EXPECT_EQ(Platform::ScreenWidth(), 1024);
    EXPECT_EQ(Platform::ScreenHeight(), 768);
}

}  // namespace
