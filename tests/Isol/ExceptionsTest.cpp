#include "Src/Pellin/Isol/Exceptions.h"

#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <typeinfo>

namespace {

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

}  // namespace
