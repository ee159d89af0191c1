// Broadcasters and their listeners, and progress scopes nested into their parents' slices.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/PowerPellin/LBroadcaster.h"
#include "Src/PowerPellin/LListener.h"
#include "Src/PowerPellin/LProgressScope.h"
#include "tests/Isol/ReportLog.h"

namespace {

using Log = std::vector<std::pair<std::string, int32>>;

class Recorder : public LListener {
public:
    Recorder(std::string inName, Log& ioLog) : name(std::move(inName)), log(ioLog) {}
    void ListenToMessage(int32 inMessage, void* ioParam) override {
        log.emplace_back(name, inMessage);
        lastParam = ioParam;
        if (onMessage) onMessage(inMessage);
    }
    std::string name;
    Log& log;
    void* lastParam = nullptr;
    std::function<void(int32)> onMessage;
};

// One broadcaster with the listeners a, b and c added in that order; every message lands in log.
class LBroadcasterTest : public testing::Test {
protected:
    void SetUp() override {
        for (Recorder* r : {&a, &b, &c}) broadcaster.AddListener(r);
    }
    Log log;
    LBroadcaster broadcaster;
    Recorder a{"a", log}, b{"b", log}, c{"c", log};
};

TEST_F(LBroadcasterTest, DeliversInOrderToListeningListeners) {
    broadcaster.AddListener(&a);  // once only
    EXPECT_EQ(broadcaster.ListenerCount(), 3);
    EXPECT_THROW(broadcaster.AddListener(nullptr), NilPointerException);
    EXPECT_THROW(broadcaster.RemoveListener(nullptr), NilPointerException);
    b.StopListening();
    int payload = 0;
    broadcaster.BroadcastMessage(7, &payload);
    EXPECT_EQ(log, (Log{{"a", 7}, {"c", 7}}));
    EXPECT_EQ(a.lastParam, &payload);
}

TEST_F(LBroadcasterTest, SuspensionIsScopedAndNests) {
    {
        LBroadcaster::StSuspendBroadcasting outer(broadcaster);
        {
            LBroadcaster::StSuspendBroadcasting inner(broadcaster);
            broadcaster.BroadcastMessage(1, nullptr);
        }
        EXPECT_FALSE(broadcaster.IsBroadcasting());  // restored to the outer suspension's state
        broadcaster.BroadcastSafeMessage(2, nullptr);
    }
    broadcaster.BroadcastMessage(3, nullptr);
    EXPECT_EQ(log, (Log{{"a", 3}, {"b", 3}, {"c", 3}}));
}

TEST_F(LBroadcasterTest, SafeBroadcastContainsListenerExceptions) {
    a.onMessage = [](int32) { throw std::runtime_error("listener failed"); };
    {
        ReportLog reports;
        broadcaster.BroadcastSafeMessage(5, nullptr);
        EXPECT_EQ(reports.DebugStrings(),
                  (std::vector<std::string>{"Exception caught by LBroadcaster::BroadcastSafeMessage"}));
    }
    EXPECT_THROW(broadcaster.BroadcastMessage(6, nullptr), std::runtime_error);
    a.onMessage = nullptr;
    broadcaster.BroadcastMessage(7, nullptr);  // the escaped broadcast left it usable
    EXPECT_EQ(log, (Log{{"a", 5}, {"b", 5}, {"c", 5}, {"a", 6}, {"a", 7}, {"b", 7}, {"c", 7}}));
}

TEST_F(LBroadcasterTest, ListenersMayUnlinkDuringABroadcast) {
    a.onMessage = [&](int32) { broadcaster.RemoveListener(&b); };
    b.onMessage = [&](int32) { ADD_FAILURE() << "removed listener was called"; };
    c.onMessage = [&](int32) { broadcaster.RemoveListener(&c); };
    broadcaster.BroadcastMessage(1, nullptr);
    EXPECT_EQ(log, (Log{{"a", 1}, {"c", 1}}));
    EXPECT_EQ(broadcaster.ListenerCount(), 1);
    EXPECT_FALSE(b.HasBroadcaster(&broadcaster));
    EXPECT_FALSE(c.HasBroadcaster(&broadcaster));
    EXPECT_TRUE(a.HasBroadcaster(&broadcaster));
}

// Records every value its display was updated with.
class RecordingScope : public LProgressScope {
public:
    using LProgressScope::LProgressScope;
    void UpdateDisplay() override { shown.push_back(Current()); }
    std::vector<double> shown;
};

TEST(LProgressScope, ChildMapsIntoItsSlice) {
    RecordingScope parent;
    parent.SetParent(nullptr, 0.3, 0.4);  // without a parent the slice is forced to 0..1
    EXPECT_EQ(parent.Start(), 0.0);
    EXPECT_EQ(parent.End(), 1.0);
    RecordingScope child(&parent);
    child.SetParent(&parent, 0.2, 0.6);
    child.SetPortionComplete(0.5);
    EXPECT_DOUBLE_EQ(parent.Current(), 0.4);
    child.SetPortionComplete(1.0);
    EXPECT_DOUBLE_EQ(parent.Current(), 0.6);
}

// Every report reaches the parent, even one too small for the child's own display; indeterminacy
// propagates all the way up.
TEST(LProgressScope, ReportsReachTheParents) {
    RecordingScope root;
    RecordingScope middle(&root, 0.5);
    RecordingScope leaf(&middle);
    leaf.SetPortionComplete(0.003);
    EXPECT_TRUE(leaf.shown.empty());
    EXPECT_DOUBLE_EQ(root.Current(), 0.0);  // forwarded, but too small for the parents too
    leaf.SetPortionComplete(0.004);
    leaf.SetPortionComplete(0.3);
    EXPECT_DOUBLE_EQ(middle.Current(), 0.3);
    EXPECT_DOUBLE_EQ(root.Current(), 0.15);
    EXPECT_EQ(middle.shown.size(), 1u);
    leaf.MarkIndeterminate();
    EXPECT_EQ(middle.Current(), -1.0);
    EXPECT_EQ(root.Current(), -1.0);
}

}  // namespace
