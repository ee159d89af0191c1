// Reports as the user sees them: the debug-string channel and message boxes.
#include <gtest/gtest.h>

#include <string>

#include "API/Platform/PlatformTestHooks.h"
#include "Src/Pellin/Isol/Report.h"
#include "Src/Pellin/Isol/Reporters.h"

namespace {

namespace Hooks = Platform::TestHooks;

class ReportingTest : public testing::Test {
protected:
    void SetUp() override {
        Hooks::Reset();
        Hooks::SetEcho(false);
    }
    void TearDown() override { Hooks::Reset(); }

    // Registers a "TFORM1"/"DebugString" window that records what it receives, reading each atom's
    // name while the message is being handled.
    Platform::WindowRef AddReceiver() {
        Hooks::WindowSpec spec;
        spec.className = "TFORM1";
        spec.title = "DebugString";
        spec.receiver = [this](uint32 message, Platform::MessageParam param, Platform::MessageLong value) {
            char name[512] = {};
            Platform::GlobalAtomName(uint16(param), name, sizeof name);
            received.push_back({message, name, value, uint16(param)});
            Platform::SetLastErrorValue(0);  // the receiver's own calls may disturb the value
            return Platform::MessageLong(0);
        };
        return Hooks::AddWindow(spec);
    }

    struct Received {
        uint32 message;
        std::string atomName;
        Platform::MessageLong second;
        uint16 atom;
    };
    std::vector<Received> received;
};

TEST_F(ReportingTest, DebugStringGoesToTheReceiverWindowWithoutABox) {
    AddReceiver();
    ShowDebugString("first report");
    ShowDebugString("second report");
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].message, 1024u);
    EXPECT_EQ(received[0].atomName, "first report");
    EXPECT_EQ(received[0].second, 0);
    EXPECT_NE(received[0].atom, 0);
    EXPECT_EQ(received[1].atomName, "second report");
    EXPECT_TRUE(Hooks::MessageBoxes().empty());
    EXPECT_TRUE(Hooks::DebugOutputs().empty());
    EXPECT_EQ(Hooks::LiveAtomCount(), 0) << "each atom is deleted after the send";
}

TEST_F(ReportingTest, DebugStringWithoutReceiverShowsABoxAndTellsTheDebugger) {
    Hooks::WindowSpec wrongTitle;
    wrongTitle.className = "TFORM1";
    wrongTitle.title = "Other";
    Hooks::AddWindow(wrongTitle);
    ShowDebugString("lonely report");
    ASSERT_EQ(Hooks::MessageBoxes().size(), 1u);
    const Hooks::MessageBoxRecord& box = Hooks::MessageBoxes()[0];
    EXPECT_EQ(box.title, "Debug String");
    EXPECT_EQ(box.text, "lonely report");
    EXPECT_EQ(box.style, 0x30u);
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(Hooks::DebugOutputs(), std::vector<std::string>{"lonely report"});
}

TEST_F(ReportingTest, BuiltInModesSendFailuresToDebugStringAndThrowsToABox) {
    ReportFailure("failure text", "a.cpp", 1);
    ReportThrow("NilPointerException()", "b.cpp", -7);
    ASSERT_EQ(Hooks::MessageBoxes().size(), 2u);
    EXPECT_EQ(Hooks::MessageBoxes()[0].title, "Debug String");
    EXPECT_EQ(Hooks::MessageBoxes()[1].title, "Exception Thrown");
    EXPECT_EQ(Hooks::MessageBoxes()[1].text, "File: b.cpp at line -7");
}

}  // namespace
