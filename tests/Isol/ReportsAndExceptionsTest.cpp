// The foundation's exceptions and what it reports: the exception family and its translation at a facade,
// throw sites, misuse reported then ignored, and the one condition check.
#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/Report.h"
#include "Src/Pellin/Isol/SListX.h"
#include "tests/Isol/ReportLog.h"

namespace {

// Every class of the family: its message, and that Clone keeps the dynamic type and the message.
TEST(ExceptionFamily, MessagesAndClones) {
    struct Case {
        std::shared_ptr<BaseException> exception;
        const char* message;
    };
    const Case cases[] = {
        {std::make_shared<NilPointerException>(), "a pointer was nil when it should not have been"},
        {std::make_shared<AssertFailedException>(), "an assertion has failed"},
        {std::make_shared<StdException>(StdException::kOutOfMemory), "there was not enough memory available"},
        {std::make_shared<Exception>("plain words"), "plain words"},
        {std::make_shared<Exception>("$$$/Some/Key=keyed words"), "keyed words"},
        {std::make_shared<CancelException>(), ""},
        // The suite codes read as four characters: '!IMP' and 'sdsk'.
        {std::make_shared<SuiteErrException>(0x21494D50), "an operation was not implemented"},
        {std::make_shared<SuiteErrException>(0x7364736B), "an operation was not implemented"},
        {std::make_shared<SuiteErrException>(12345), "a plug-in system error has occurred"},
        {std::make_shared<ReadOffEndException>(), "the end of the file was reached unexpectedly"},
        {std::make_shared<OutOfImageBounds>(), "a section of the image outside its boundry was requested"},
        {std::make_shared<SilentException>(), ""},
    };
    for (const Case& c : cases) {
        const BaseException& e = *c.exception;
        EXPECT_EQ(e.Message().Text(), c.message) << typeid(e).name();
        std::unique_ptr<BaseException> clone(e.Clone());
        ASSERT_NE(clone.get(), &e);
        EXPECT_EQ(typeid(*clone), typeid(e));
        EXPECT_EQ(clone->Message().Text(), c.message);
    }
}

// What a facade turns each kind of escaping exception into; values pass through untouched.
TEST(TWException, FacadeTranslation) {
    const struct {
        void (*thrower)();
        const std::type_info& type;
        const char* message;
    } cases[] = {
        {[] { throw TWException(27); }, typeid(ErrCodeException), "[Unknown Error]"},
        {[] { throw MiscDiskException(); }, typeid(MiscDiskException), "a file-system error has occurred"},
        {[] { throw std::bad_alloc(); }, typeid(StdException), "there was not enough memory available"},
        {[] { throw std::bad_array_new_length(); }, typeid(StdException),
         "there was not enough memory available"},
        {[] { throw std::bad_cast(); }, typeid(StdException), "a programming error has occurred"},
        {[] { throw std::runtime_error("x"); }, typeid(StdException), "an unknown error has occurred"},
        {[] { throw 42; }, typeid(UnknownException), "an unknown error has occurred"},
    };
    for (const auto& c : cases) {
        try {
            TranslateToTWException(c.thrower);
            ADD_FAILURE() << "nothing was thrown";
        } catch (const TWException& e) {
            EXPECT_EQ(typeid(e.GetException()), c.type) << c.message;
            EXPECT_EQ(e.GetException().Message().Text(), c.message);
            EXPECT_EQ(e.GetCode(), c.type == typeid(ErrCodeException) ? 27 : 0);
        }
    }
    EXPECT_EQ(TranslateToTWException([] { return 7; }), 7);
}

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
