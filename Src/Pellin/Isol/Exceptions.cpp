#include "Src/Pellin/Isol/Exceptions.h"

#include <new>
#include <typeinfo>

namespace {
constexpr const char* kUnknownText = "$$$/Err/Pellin/Exception/Unknown=an unknown error has occurred";
}  // namespace

void BaseException::GetMessage(ZString& outMessage) const {
    outMessage.Clear();
}

ZString BaseException::Message() const {
    ZString message;
    GetMessage(message);
    return message;
}

void BaseException::GetMessageInto(char* outBuffer, uint32 inSize) const {
    if (inSize == 0) return;
    Message().CopyTo(outBuffer, inSize);
}

// Each concrete class clones through its own copy constructor; LAllocatedObject routes the new through
// the engine allocator.
#define DEFINE_CLONE(Class)               \
    BaseException* Class::Clone() const { \
        return new Class(*this);          \
    }

DEFINE_CLONE(UnknownException)
DEFINE_CLONE(NilPointerException)
DEFINE_CLONE(AssertFailedException)
DEFINE_CLONE(StdException)
DEFINE_CLONE(ErrCodeException)
DEFINE_CLONE(Exception)
DEFINE_CLONE(CancelException)
DEFINE_CLONE(SuiteErrException)
DEFINE_CLONE(MiscDiskException)
DEFINE_CLONE(ReadOffEndException)
DEFINE_CLONE(OutOfImageBounds)
DEFINE_CLONE(SilentException)
#undef DEFINE_CLONE

void UnknownException::GetMessage(ZString& outMessage) const {
    outMessage.SetFromKey(kUnknownText);
}

void NilPointerException::GetMessage(ZString& outMessage) const {
    outMessage.SetFromKey("$$$/Err/Pellin/Error/NilPtr=a pointer was nil when it should not have been");
}

void AssertFailedException::GetMessage(ZString& outMessage) const {
    outMessage.SetFromKey("$$$/Err/Pellin/Error/AssertFailed=an assertion has failed");
}

StdException::StdException(const std::exception& inException)
    : mKind(dynamic_cast<const std::bad_alloc*>(&inException) != nullptr  ? kOutOfMemory
            : dynamic_cast<const std::bad_cast*>(&inException) != nullptr ? kBadCast
                                                                          : kOther) {}

void StdException::GetMessage(ZString& outMessage) const {
    switch (mKind) {
        case kOutOfMemory:
            outMessage.SetFromKey("$$$/Err/Pellin/Error/MemFull=there was not enough memory available");
            break;
        case kBadCast:
            outMessage.SetFromKey("$$$/Err/Pellin/Error/BadCast=a programming error has occurred");
            break;
        default:
            outMessage.SetFromKey(kUnknownText);
            break;
    }
}

void ErrCodeException::GetMessage(ZString& outMessage) const {
    outMessage.SetText("[Unknown Error]");
}

void Exception::GetMessage(ZString& outMessage) const {
    if (mMessage.rfind("$$$/", 0) == 0)
        outMessage.SetFromKey(mMessage.c_str());
    else
        outMessage.SetText(mMessage);
}

void CancelException::GetMessage(ZString& outMessage) const {
    outMessage.Clear();
}

SuiteErrException::SuiteErrException(int32 inError) : mError(inError) {
    LASSERT(inError != 0x00000000L);
}

void SuiteErrException::GetMessage(ZString& outMessage) const {
    // Both named codes keep their historical texts, including the disk error's.
    if (mError == kUnimplemented)
        outMessage.SetFromKey("$$$/Err/Pellin/SuiteVox/Unimplemented=an operation was not implemented");
    else if (mError == kDiskError)
        outMessage.SetFromKey("$$$/Err/Pellin/SuiteVox/DiskErr=an operation was not implemented");
    else
        outMessage.SetFromKey("$$$/Err/Pellin/SuiteVox/Generic=a plug-in system error has occurred");
}

void MiscDiskException::GetMessage(ZString& outMessage) const {
    outMessage.SetFromKey("$$$/Pellin/File/Exceptions/MiscDisk=a file-system error has occurred");
}

void ReadOffEndException::GetMessage(ZString& outMessage) const {
    outMessage.SetFromKey(
        "$$$/Pellin/File/Exceptions/ReadOffEnd=the end of the file was reached unexpectedly");
}

void OutOfImageBounds::GetMessage(ZString& outMessage) const {
    outMessage.SetFromKey(
        "$$$/Err/Orvane/ImageUtils/OutOfBounds=a section of the image outside its boundry was requested");
}

TWException::TWException(int32 inCode) : mException(new ErrCodeException(inCode)) {}
TWException::TWException(const BaseException& inException) : mException(inException.Clone()) {}
TWException::TWException(const TWException& inOther) : mException(inOther.mException->Clone()) {}

TWException& TWException::operator=(const TWException& inOther) {
    if (this != &inOther) {
        BaseException* copy = inOther.mException->Clone();
        delete mException;
        mException = copy;
    }
    return *this;
}

TWException::~TWException() {
    delete mException;
}

int32 TWException::GetCode() const {
    const auto* coded = dynamic_cast<const ErrCodeException*>(mException);
    return coded != nullptr ? coded->GetCode() : 0;
}

void ReportThrowSite(const char* inName, const char* inFile, int32 inLine) {
    ReportThrow(inName, inFile, inLine);
}

void ThrowMessage(const char* inText, const char* inFile, int32 inLine) {
    ReportThrow(inText, inFile, inLine);
    throw Exception(inText != nullptr ? inText : "");
}

void ThrowSuiteErr(int32 inError, const char* inFile, int32 inLine) {
    ReportThrow("SuiteErrException(inError)", inFile, inLine);
    throw SuiteErrException(inError);
}

void ThrowTWException(int32 inCode, const char* inFile, int32 inLine) {
    if (inCode != 2) ReportFailure("Debug Message: About to Throw", inFile, inLine);
    throw TWException(inCode);
}

void ThrowNilPointer(const char* inFile, int32 inLine) {
    ReportThrow("NilPointerException()", inFile, inLine);
    throw NilPointerException();
}

void RethrowAsTWException() {
    try {
        throw;
    } catch (const TWException& e) {
        throw TWException(e);
    } catch (const BaseException& e) {
        throw TWException(e);
    } catch (const std::exception& e) {
        throw TWException(StdException(e));
    } catch (...) {
        throw TWException(UnknownException());
    }
}
