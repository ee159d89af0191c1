#include "Src/PowerPellin/LProgressScope.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/Isol/ReportLog.h"

namespace {

// Records every value its display was updated with.
class RecordingScope : public LProgressScope {
public:
    explicit RecordingScope(LProgressScope* inParent = nullptr, double inEnd = 1.0)
        : LProgressScope(inParent, inEnd) {}
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
