#include "tools/engine/FailureReason.h"

#include <exception>

#include "Src/Pellin/Isol/Exceptions.h"

namespace {

template <class Failure>
std::string MessageOf(const Failure& inFailure, const char* inFallback) {
    ZString message;
    inFailure.GetMessage(message);
    return message.Empty() ? inFallback : message.Text();
}

}  // namespace

bool RunForReason(const std::function<void()>& inBody, const char* inFallback, std::string& outReason) {
    try {
        inBody();
        return true;
    } catch (const TWException& failure) {
        outReason = MessageOf(failure, inFallback);
    } catch (const BaseException& failure) {
        outReason = MessageOf(failure, inFallback);
    } catch (const std::exception& failure) {
        outReason = failure.what();
    } catch (...) {
        outReason = inFallback;
    }
    return false;
}
