#include "Src/Pellin/Isol/Exceptions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <typeinfo>

namespace {

TEST(ZString, KeepsTextAfterFirstEquals) {
    struct Case {
        const char* key;
        const char* text;
    };
    const Case cases[] = {
        {"$$$/Err/Pellin/Error/NilPtr=a pointer was nil when it should not have been",
         "a pointer was nil when it should not have been"},
        {"$$$/A/B=x=y", "x=y"},  // the second "=" belongs to the text
        {"$$$/A/B=", ""},
        {"no equals sign here", ""},
        {"", ""},
        {"=leading", "leading"},
    };
    for (const Case& c : cases) EXPECT_EQ(ZString(c.key).Text(), c.text) << c.key;
}

// The message into a caller's buffer: at most size - 1 characters and a NUL, nothing written past it,
// nothing at all for size 0.
TEST(ZString, CopyIntoABufferTruncatesAndTerminates) {
    const struct {
        uint32 size;
        const char* text;
    } cases[] = {{16, "a pointer was n"}, {10, "a pointer"}, {1, ""}, {0, nullptr}};
    for (const auto& c : cases) {
        for (bool viaException : {false, true}) {
            char buffer[17];
            std::memset(buffer, 'Z', sizeof buffer);
            if (viaException)
                NilPointerException().GetMessageInto(buffer, c.size);
            else
                ZString("$$$/K=a pointer was nil when it should not have been").CopyTo(buffer, c.size);
            EXPECT_EQ(buffer[c.size], 'Z') << c.size;
            if (c.text != nullptr) {
                EXPECT_STREQ(buffer, c.text) << c.size;
            }
        }
    }
    char buffer[16];
    ZString("$$$/K=abc").CopyTo(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "abc");
}

// Every class of the family: its message, and that Clone keeps the dynamic type and the message.
TEST(ExceptionFamily, MessagesAndClones) {
    struct Case {
        std::shared_ptr<BaseException> exception;
        const char* message;
    };
    const Case cases[] = {
        {std::make_shared<UnknownException>(), "an unknown error has occurred"},
        {std::make_shared<NilPointerException>(), "a pointer was nil when it should not have been"},
        {std::make_shared<AssertFailedException>(), "an assertion has failed"},
        {std::make_shared<StdException>(StdException::kOutOfMemory), "there was not enough memory available"},
        {std::make_shared<StdException>(StdException::kBadCast), "a programming error has occurred"},
        {std::make_shared<StdException>(StdException::kOther), "an unknown error has occurred"},
        {std::make_shared<ErrCodeException>(27), "[Unknown Error]"},
        {std::make_shared<Exception>("plain words"), "plain words"},
        {std::make_shared<Exception>("$$$/Some/Key=keyed words"), "keyed words"},
        {std::make_shared<CancelException>(), ""},
        // The suite codes read as four characters: '!IMP' and 'sdsk'.
        {std::make_shared<SuiteErrException>(0x21494D50), "an operation was not implemented"},
        {std::make_shared<SuiteErrException>(0x7364736B), "an operation was not implemented"},
        {std::make_shared<SuiteErrException>(12345), "a plug-in system error has occurred"},
        {std::make_shared<MiscDiskException>(), "a file-system error has occurred"},
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

// Construction from an exception and copying are in the facade cases below (the sanitizer build
// catches a copy that shares the original's exception); assignment clones as well.
TEST(TWException, AssignmentClonesTheException) {
    TWException assigned(1);
    {
        const TWException source(Exception("gone soon"));
        assigned = source;
        EXPECT_NE(&assigned.GetException(), &source.GetException());
    }
    EXPECT_EQ(assigned.GetException().Message().Text(), "gone soon");
    EXPECT_EQ(assigned.GetCode(), 0);
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
        {[] { throw std::bad_array_new_length(); }, typeid(StdException), "there was not enough memory available"},
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

TEST(ThrowHelpers, ThrowWhatTheyName) {
    int value = 3;
    EXPECT_EQ(ThrowIfNil(&value), &value);  // the throwing side is in FoundationReportsTest
    try {
        LTHROW_MESSAGE("broken thing");
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.GetText(), "broken thing");
    }
    try {
        LTHROW_SUITE(SuiteErrException::kDiskError);
        ADD_FAILURE();
    } catch (const SuiteErrException& e) {
        EXPECT_EQ(e.GetError(), SuiteErrException::kDiskError);
    }
    for (int32 code : {2, 27}) {
        try {
            LTHROW_TW(code);
            ADD_FAILURE();
        } catch (const TWException& e) {
            EXPECT_EQ(e.GetCode(), code);
        }
    }
}

}  // namespace
