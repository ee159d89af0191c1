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

TEST(ZString, CopyToTruncatesAndTerminates) {
    const ZString s("$$$/K=a pointer was nil when it should not have been");
    char buffer[16];
    std::memset(buffer, 'Z', sizeof buffer);
    s.CopyTo(buffer, 10);
    EXPECT_STREQ(buffer, "a pointer");
    EXPECT_EQ(buffer[10], 'Z');  // nothing written past the terminator

    std::memset(buffer, 'Z', sizeof buffer);
    s.CopyTo(buffer, 0);
    EXPECT_EQ(buffer[0], 'Z');  // size 0 writes nothing

    s.CopyTo(buffer, 1);
    EXPECT_EQ(buffer[0], '\0');

    ZString shortText("$$$/K=abc");
    shortText.CopyTo(buffer, sizeof buffer);
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
        {std::make_shared<SuiteErrException>(SuiteErrException::kUnimplemented), "an operation was not implemented"},
        {std::make_shared<SuiteErrException>(SuiteErrException::kDiskError), "an operation was not implemented"},
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

TEST(ExceptionFamily, SuiteErrorCodesReadAsFourCharacters) {
    EXPECT_EQ(uint32(SuiteErrException::kUnimplemented), 0x21494D50u);
    EXPECT_EQ(uint32(SuiteErrException::kDiskError), 0x7364736Bu);
}

TEST(ExceptionFamily, StdExceptionKindFromRuntimeException) {
    EXPECT_EQ(StdException(std::bad_alloc()).GetKind(), StdException::kOutOfMemory);
    EXPECT_EQ(StdException(std::bad_array_new_length()).GetKind(), StdException::kOutOfMemory);
    EXPECT_EQ(StdException(std::bad_cast()).GetKind(), StdException::kBadCast);
    EXPECT_EQ(StdException(std::runtime_error("x")).GetKind(), StdException::kOther);
    EXPECT_EQ(StdException(std::bad_alloc()).Message().Text(), "there was not enough memory available");
}

TEST(ExceptionFamily, MessageIntoBuffer) {
    char buffer[10];
    NilPointerException().GetMessageInto(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "a pointer");  // first 9 characters and a NUL
    char one = 'Q';
    NilPointerException().GetMessageInto(&one, 0);
    EXPECT_EQ(one, 'Q');
}

TEST(TWException, ThreeConstructions) {
    const TWException fromCode(27);
    EXPECT_EQ(fromCode.GetCode(), 27);
    EXPECT_EQ(typeid(fromCode.GetException()), typeid(ErrCodeException));
    EXPECT_EQ(fromCode.GetException().Message().Text(), "[Unknown Error]");

    const ReadOffEndException original;
    const TWException fromBase(original);
    EXPECT_NE(&fromBase.GetException(), static_cast<const BaseException*>(&original));
    EXPECT_EQ(typeid(fromBase.GetException()), typeid(ReadOffEndException));
    EXPECT_EQ(fromBase.GetCode(), 0);

    auto other = std::make_unique<TWException>(Exception("gone soon"));
    const TWException copy(*other);
    EXPECT_NE(&copy.GetException(), &other->GetException());
    other.reset();  // the copy owns its own clone
    EXPECT_EQ(copy.GetException().Message().Text(), "gone soon");

    TWException assigned(1);
    assigned = copy;
    EXPECT_EQ(assigned.GetException().Message().Text(), "gone soon");
    EXPECT_EQ(assigned.GetCode(), 0);
}

// What a facade turns each kind of escaping exception into.
TEST(TWException, FacadeTranslation) {
    auto translate = [](auto thrower) -> TWException {
        try {
            TranslateToTWException(thrower);
        } catch (const TWException& e) {
            return e;
        }
        ADD_FAILURE() << "nothing was thrown";
        return TWException(-1);
    };
    const TWException a = translate([] { throw TWException(27); });
    EXPECT_EQ(a.GetCode(), 27);
    const TWException b = translate([] { throw MiscDiskException(); });
    EXPECT_EQ(typeid(b.GetException()), typeid(MiscDiskException));
    const TWException c = translate([] { throw std::bad_alloc(); });
    ASSERT_EQ(typeid(c.GetException()), typeid(StdException));
    EXPECT_EQ(static_cast<const StdException&>(c.GetException()).GetKind(), StdException::kOutOfMemory);
    const TWException d = translate([] { throw std::bad_cast(); });
    EXPECT_EQ(static_cast<const StdException&>(d.GetException()).GetKind(), StdException::kBadCast);
    const TWException e = translate([] { throw 42; });
    EXPECT_EQ(typeid(e.GetException()), typeid(UnknownException));

    EXPECT_EQ(TranslateToTWException([] { return 7; }), 7);  // values pass through untouched
}

TEST(ThrowHelpers, ThrowWhatTheyName) {
    EXPECT_THROW(LTHROW(ReadOffEndException), ReadOffEndException);
    int value = 3;
    EXPECT_EQ(ThrowIfNil(&value), &value);
    int* nothing = nullptr;
    EXPECT_THROW(ThrowIfNil(nothing), NilPointerException);
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
