// What the foundation reports, as the user (or developer) would see it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/SListX.h"
#include "tests/Isol/ReportLog.h"

namespace {

using Texts = std::vector<std::string>;

std::string At(int line) {
    return std::string("File: ") + __FILE__ + " at line " + std::to_string(line);
}

TEST(FoundationReports, ThrowSitesReportTheirPositionFirst) {
    ReportLog log;
    const int line = __LINE__ + 1;
    EXPECT_THROW(LTHROW(MiscDiskException), MiscDiskException);
    int* nothing = nullptr;
    const int nilLine = __LINE__ + 1;
    EXPECT_THROW(ThrowIfNil(nothing), NilPointerException);
    EXPECT_EQ(log.Throws(), (Texts{At(line), At(nilLine)}));
    EXPECT_TRUE(log.DebugStrings().empty());
}

TEST(FoundationReports, AboutToThrowForEveryCodeButTwo) {
    ReportLog log;
    for (int32 code : {2, 27, 0}) EXPECT_THROW(LTHROW_TW(code), TWException);
    EXPECT_EQ(log.DebugStrings(), (Texts{"Debug Message: About to Throw", "Debug Message: About to Throw"}));
    EXPECT_TRUE(log.Throws().empty());
}

// State and index errors: reported with the condition's text, then ignored. Each misuse starts from the
// list {10, 20}, must answer 0 and leave the list as given.
TEST(FoundationReports, MisuseIsReportedThenIgnored) {
    const std::string index = "Assertion failed: \"index >= 0 && index < entryCount\"";
    const std::vector<LWord> untouched{10, 20};
    const struct {
        LWord (*misuse)(SListX&);
        std::string text;
        std::vector<LWord> after;
    } cases[] = {
        {[](SListX& l) { return l.Get(2); }, index, untouched},
        {[](SListX& l) { return l.Get(-1); }, index, untouched},
        {[](SListX& l) { return l.Set(5, 1), LWord(0); }, index, untouched},
        {[](SListX& l) { return l.Insert(3, 1, 7), LWord(0); },
         "Assertion failed: \"startPos >= 0 && startPos <= entryCount\"", untouched},
        {[](SListX& l) { return l.Delete(1, 5), LWord(0); },
         "Assertion failed: \"startPos >= 0 && length >= 0 && startPos+length <= entryCount\"", untouched},
        {[](SListX& l) { return l.SetCount(0), l.Pop(); }, "Assertion failed: \"!Empty()\"", {}},
        {[](SListX& l) { return l.SetCount(0), l.First(); }, index, {}},
        {[](SListX&) {
             return LWord(SuiteErrException(0).Message().Text() != "a plug-in system error has occurred");
         },
         "Assertion failed: \"inError != 0x00000000L\"", untouched},
    };
    for (const auto& c : cases) {
        SListX list;
        for (LWord v : untouched) list.Append(v);
        ReportLog log;
        EXPECT_EQ(c.misuse(list), 0u) << c.text;
        EXPECT_EQ(log.DebugStrings(), (Texts{c.text}));
        std::vector<LWord> after;
        for (int32 i = 0; i < list.Count(); ++i) after.push_back(list.Data()[i]);
        EXPECT_EQ(after, c.after) << c.text;
    }
}

}  // namespace
