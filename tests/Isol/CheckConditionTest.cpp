// The engine's one condition check: what it reports and what it answers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Src/Pellin/Isol/Report.h"
#include "tests/Isol/ReportLog.h"

namespace {

using Texts = std::vector<std::string>;

TEST(CheckCondition, ReportsTheFailedConditionAndAnswersIt) {
    int evaluations = 0;
    auto counted = [&](bool inValue) { return ++evaluations, inValue; };
    const struct {
        bool (*check)(decltype(counted)&);
        bool answer;
        Texts reports;
    } cases[] = {
        {[](decltype(counted)& f) { return LCHECK(f(true)); }, true, {}},
        {[](decltype(counted)& f) { return LCHECK(!f(true) && 1 + 1 == 2); },
         false,
         {"Assertion failed: \"!f(true) && 1 + 1 == 2\""}},
        {[](decltype(counted)& f) { return LCHECK_AS(f(false), "HasLayerMask ()"); },
         false,
         {"Assertion failed: \"HasLayerMask ()\""}},
        {[](decltype(counted)& f) { return LCHECK_AS(f(true), "never shown"); }, true, {}},
        {[](decltype(counted)& f) { return LASSERT(f(false)), true; },
         true,
         {"Assertion failed: \"f(false)\""}},
    };
    for (const auto& c : cases) {
        ReportLog log;
        evaluations = 0;
        EXPECT_EQ(c.check(counted), c.answer);
        EXPECT_EQ(evaluations, 1);  // the condition is evaluated once, also when it is reported
        EXPECT_EQ(log.DebugStrings(), c.reports);
    }
}

}  // namespace
