// The engine's exception family and the throw helpers.
//
// Engine code throws objects derived from BaseException, by value. Every throw site reports first
// (through the throw report, with the source position) and then throws; LTHROW and the helpers below do
// both. Facades (the document facade) translate whatever escapes into a TWException, which owns a clone
// of the original. Messages come from keys "$$$/...=default text"; only the default text is shown.
#pragma once

#include <exception>
#include <string>

#include "Src/Pellin/Isol/Allocator.h"
#include "Src/Pellin/Isol/IsolTypes.h"
#include "Src/Pellin/Isol/Report.h"
#include "Src/Pellin/Isol/ZString.h"

class BaseException : public LAllocatedObject {
public:
    BaseException() = default;
    BaseException(const BaseException&) = default;
    BaseException& operator=(const BaseException&) = default;
    virtual ~BaseException() = default;

    // A new heap copy of the same dynamic type, from the engine allocator; throws std::bad_alloc.
    virtual BaseException* Clone() const = 0;
    // Fills outMessage with this exception's message (empty when it has none).
    virtual void GetMessage(ZString& outMessage) const;

    ZString Message() const;
    // Copies at most inSize - 1 characters of the message and a NUL; nothing when inSize is 0.
    void GetMessageInto(char* outBuffer, uint32 inSize) const;

    const std::string& Detail() const { return mDetail; }

protected:
    void SetDetail(std::string inDetail) { mDetail = std::move(inDetail); }

private:
    std::string mDetail;
};

class UnknownException : public BaseException {
public:
    BaseException* Clone() const override;
    void GetMessage(ZString& outMessage) const override;
};

class NilPointerException : public BaseException {
public:
    BaseException* Clone() const override;
    void GetMessage(ZString& outMessage) const override;
};

class AssertFailedException : public BaseException {
public:
    BaseException* Clone() const override;
    void GetMessage(ZString& outMessage) const override;
};

// Wraps a runtime-library exception by kind.
class StdException : public BaseException {
public:
    enum Kind : int32 { kOutOfMemory = 0, kBadCast = 1, kOther = 2 };
    explicit StdException(int32 inKind = kOther) : mKind(inKind) {}
    // Kind 0 for std::bad_alloc, 1 for std::bad_cast, 2 for anything else.
    explicit StdException(const std::exception& inException);

    int32 GetKind() const { return mKind; }
    BaseException* Clone() const override;
    void GetMessage(ZString& outMessage) const override;

private:
    int32 mKind;
};

// Carries a numeric code; its message is always "[Unknown Error]".
class ErrCodeException : public BaseException {
public:
    explicit ErrCodeException(int32 inCode) : mCode(inCode) {}
    int32 GetCode() const { return mCode; }
    BaseException* Clone() const override;
    void GetMessage(ZString& outMessage) const override;

private:
    int32 mCode;
};

// Carries its own message. A text that is a message key ("$$$/...=text") shows its default text; any
// other text is shown as it stands.
class Exception : public BaseException {
public:
    explicit Exception(std::string inMessage) : mMessage(std::move(inMessage)) {}
    const std::string& GetText() const { return mMessage; }
    BaseException* Clone() const override;
    void GetMessage(ZString& outMessage) const override;

private:
    std::string mMessage;
};

// A user cancel: no message.
class CancelException : public BaseException {
public:
    BaseException* Clone() const override;
    void GetMessage(ZString& outMessage) const override;
};

// A plug-in system error code (never 0; a zero code is reported as an assertion failure).
class SuiteErrException : public BaseException {
public:
    static constexpr int32 kUnimplemented = int32(FourCC("!IMP"));
    static constexpr int32 kDiskError = int32(FourCC("sdsk"));

    explicit SuiteErrException(int32 inError);
    int32 GetError() const { return mError; }
    BaseException* Clone() const override;
    void GetMessage(ZString& outMessage) const override;

private:
    int32 mError;
};

// Abstract base of file-system errors.
class FileException : public BaseException {};

class MiscDiskException : public FileException {
public:
    BaseException* Clone() const override;
    void GetMessage(ZString& outMessage) const override;
};

class ReadOffEndException : public FileException {
public:
    BaseException* Clone() const override;
    void GetMessage(ZString& outMessage) const override;
};

class OutOfImageBounds : public BaseException {
public:
    BaseException* Clone() const override;
    void GetMessage(ZString& outMessage) const override;
};

// Aborts an operation without any message of its own.
class SilentException : public BaseException {
public:
    BaseException* Clone() const override;
};

// What facades throw: owns a clone of the exception it wraps (never null).
class TWException {
public:
    // Wraps a new ErrCodeException with inCode.
    explicit TWException(int32 inCode);
    // Wraps a clone of inException.
    explicit TWException(const BaseException& inException);
    // Wraps a clone of the other's exception; independent of the other's lifetime.
    TWException(const TWException& inOther);
    TWException& operator=(const TWException& inOther);
    ~TWException();

    const BaseException& GetException() const { return *mException; }
    // The code of a wrapped ErrCodeException, else 0.
    int32 GetCode() const;
    void GetMessage(ZString& outMessage) const { mException->GetMessage(outMessage); }
    void GetMessageInto(char* outBuffer, uint32 inSize) const {
        mException->GetMessageInto(outBuffer, inSize);
    }

private:
    BaseException* mException;
};

// Reports "<inName>" at the source position through the throw report.
void ReportThrowSite(const char* inName, const char* inFile, int32 inLine);
// Reports inText at the position and throws an Exception carrying it.
[[noreturn]] void ThrowMessage(const char* inText, const char* inFile, int32 inLine);
// Reports "SuiteErrException(inError)" and throws a SuiteErrException.
[[noreturn]] void ThrowSuiteErr(int32 inError, const char* inFile, int32 inLine);
// Throws a TWException with a code; every code other than 2 is first reported as
// "Debug Message: About to Throw" through the assertion report.
[[noreturn]] void ThrowTWException(int32 inCode, const char* inFile, int32 inLine);
// Reports "NilPointerException()" and throws it.
[[noreturn]] void ThrowNilPointer(const char* inFile, int32 inLine);

template <typename T>
T* ThrowIfNilAt(T* inPointer, const char* inFile, int32 inLine) {
    if (inPointer == nullptr) ThrowNilPointer(inFile, inLine);
    return inPointer;
}

// Facade translation. Call only inside a catch block: rethrows the exception being handled as a
// TWException (a TWException as a copy of itself, a BaseException wrapped by clone, a runtime-library
// exception as a StdException, anything else as an UnknownException). A failure while cloning escapes
// as std::bad_alloc.
[[noreturn]] void RethrowAsTWException();

// Runs inBody and translates anything it throws as RethrowAsTWException does.
template <typename Body>
decltype(auto) TranslateToTWException(Body&& inBody) {
    try {
        return inBody();
    } catch (...) {
        RethrowAsTWException();
    }
}

// Report the class name with "()" and the source position, then throw a default-constructed instance.
#define LTHROW(ExceptionClass)                                     \
    do {                                                           \
        ReportThrowSite(#ExceptionClass "()", __FILE__, __LINE__); \
        throw ExceptionClass();                                    \
    } while (0)

// Throws NilPointerException (reported first) when the pointer is null; yields the pointer otherwise.
#define ThrowIfNil(pointer) ThrowIfNilAt((pointer), __FILE__, __LINE__)
#define LTHROW_MESSAGE(text) ThrowMessage((text), __FILE__, __LINE__)
#define LTHROW_SUITE(error) ThrowSuiteErr((error), __FILE__, __LINE__)
#define LTHROW_TW(code) ThrowTWException((code), __FILE__, __LINE__)
