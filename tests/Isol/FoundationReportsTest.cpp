// What the foundation reports, as the user (or developer) would see it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/HashedCollection.h"
#include "Src/Pellin/Isol/SListX.h"
#include "tests/Isol/ReportLog.h"

namespace {

using Texts = std::vector<std::string>;

std::string At(int line) { return std::string("File: ") + __FILE__ + " at line " + std::to_string(line); }

TEST(FoundationReports, ThrowSitesReportTheirPositionFirst) {
    ReportLog log;
    int line = 0;
    try {
        line = __LINE__ + 1;
        LTHROW(MiscDiskException);
    } catch (const MiscDiskException&) {
    }
    int* nothing = nullptr;
    int nilLine = 0;
    try {
        nilLine = __LINE__ + 1;
        ThrowIfNil(nothing);
    } catch (const NilPointerException&) {
    }
    EXPECT_EQ(log.Throws(), (Texts{At(line), At(nilLine)}));
    EXPECT_TRUE(log.DebugStrings().empty());
}

TEST(FoundationReports, AboutToThrowForEveryCodeButTwo) {
    ReportLog log;
    EXPECT_THROW(LTHROW_TW(2), TWException);
    EXPECT_TRUE(log.DebugStrings().empty());
    EXPECT_THROW(LTHROW_TW(27), TWException);
    EXPECT_THROW(LTHROW_TW(0), TWException);
    EXPECT_EQ(log.DebugStrings(), (Texts{"Debug Message: About to Throw", "Debug Message: About to Throw"}));
    EXPECT_TRUE(log.Throws().empty());
}

TEST(FoundationReports, ZeroSuiteErrorIsAnAssertion) {
    ReportLog log;
    SuiteErrException zero(0);
    EXPECT_EQ(log.DebugStrings(), (Texts{"Assertion failed: \"inError != 0x00000000L\""}));
    EXPECT_EQ(zero.Message().Text(), "a plug-in system error has occurred");
}

// State and index errors of the containers: reported with the condition's text, then ignored.
TEST(FoundationReports, ContainerMisuse) {
    struct Case {
        void (*misuse)();
        const char* text;
    };
    const Case cases[] = {
        {[] { SListX().Get(0); }, "Assertion failed: \"index >= 0 && index < entryCount\""},
        {[] { SListX().Pop(); }, "Assertion failed: \"!Empty()\""},
        {[] { SListX().Insert(1, 1, 5); }, "Assertion failed: \"startPos >= 0 && startPos <= entryCount\""},
        {[] { SListX().Delete(0, 1); },
         "Assertion failed: \"startPos >= 0 && length >= 0 && startPos+length <= entryCount\""},
        {[] { HashedCollection::Iterator(Set()).Key(); }, "iterFetch: empty collection"},
        {[] { MultiDict(true).AddValue(1, 3); }, "Assertion failed: \"Even(value)\""},
    };
    for (const Case& c : cases) {
        ReportLog log;
        c.misuse();
        EXPECT_EQ(log.DebugStrings(), (Texts{c.text}));
    }
}

TEST(FoundationReports, CorrectUseReportsNothing) {
    ReportLog log;
    SListX list;
    for (LWord v = 0; v < 20; ++v) list.Append(v);
    list.Delete(0, 20);
    Set set;
    for (LWord k = 0; k < 100; ++k) set.Add(k);
    for (LWord k = 0; k < 100; ++k) set.Remove(k);
    EXPECT_TRUE(Platform::TestHooks::MessageBoxes().empty());
}

}  // namespace
