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

// Lookup finds top-level windows by class and title only (a title mismatch is in the reporting suite);
// a send reaches the receiver and returns its answer, until the window is removed.
TEST_F(PosixPlatformTest, WindowLookupAndSend) {
    uint32 seenMessage = 0;
    Platform::MessageParam seenParam = 0;
    Hooks::WindowSpec spec;
    spec.className = "TFORM1";
    spec.title = "DebugString";
    spec.child = true;
    Hooks::AddWindow(spec);
    EXPECT_EQ(Platform::FindTopLevelWindow("TFORM1", "DebugString"), nullptr);
    EXPECT_EQ(Platform::LastError(), Hooks::kErrorNoWindow);
    spec.child = false;
    spec.receiver = [&](uint32 message, Platform::MessageParam param, Platform::MessageLong) {
        seenMessage = message;
        seenParam = param;
        return Platform::MessageLong(77);
    };
    Platform::WindowRef window = Hooks::AddWindow(spec);
    EXPECT_EQ(Platform::FindTopLevelWindow("TFORM1", "DebugString"), window);
    EXPECT_EQ(Platform::FindTopLevelWindow("TFORM2", "DebugString"), nullptr);
    EXPECT_EQ(Platform::SendWindowMessage(window, 1024, 9, 0), 77);
    EXPECT_EQ(seenMessage, 1024u);
    EXPECT_EQ(seenParam, 9u);
    Hooks::RemoveWindow(window);
    EXPECT_EQ(Platform::FindTopLevelWindow("TFORM1", "DebugString"), nullptr);
    EXPECT_EQ(Platform::SendWindowMessage(window, 1024, 9, 0), 0) << "a removed window receives nothing";
}

// Distinct atoms; a name cut to the caller's buffer; a deleted atom has no name. (Whole names and the
// deletion after each report are in the reporting suite.)
TEST_F(PosixPlatformTest, AtomsNameTheirTextUntilDeleted) {
    const uint16 first = Platform::AddGlobalAtom("first text");
    EXPECT_NE(first, Platform::AddGlobalAtom("second"));
    char small[6];
    EXPECT_EQ(Platform::GlobalAtomName(first, small, sizeof small), 5);
    EXPECT_STREQ(small, "first");
    Platform::DeleteGlobalAtom(first);
    EXPECT_EQ(Platform::GlobalAtomName(first, small, sizeof small), 0);
    EXPECT_EQ(Hooks::LiveAtomCount(), 1);
}

// The version word's injection is exercised by the new-look classification in the shell suites.
TEST_F(PosixPlatformTest, TickSourceIsInjectable) {
    const uint32 before = Platform::TickCount();
    EXPECT_LE(Platform::TickCount() - before, 1000u) << "the monotonic clock does not run backwards or jump";
    uint32 next = 41;
    Hooks::SetTickSource([&next] { return next++; });
    EXPECT_EQ(Platform::TickCount(), 41u);
    EXPECT_EQ(Platform::TickCount(), 42u);
    Hooks::SetTickSource({});
    EXPECT_NE(Platform::TickCount(), 43u);
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
