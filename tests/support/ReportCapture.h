// Captures what the engine reports (assertions, throw sites) while a piece of test code runs.
//
// Reports end up on standard error in test builds; the capture collects that text so a test can assert
// that a report was made, or that none was.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>

template <typename Body>
std::string CaptureReports(Body&& inBody) {
    testing::internal::CaptureStderr();
    try {
        std::forward<Body>(inBody)();
    } catch (...) {
        testing::internal::GetCapturedStderr();
        throw;
    }
    return testing::internal::GetCapturedStderr();
}

inline bool Contains(const std::string& inText, const std::string& inPart) {
    return inText.find(inPart) != std::string::npos;
}
