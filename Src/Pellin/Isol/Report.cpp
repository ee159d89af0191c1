// Dispatch of reports to the reporter their mode selects.
//
// Mode 1 differs by caller: a failure shows its own text with the source position (ShowSignal), a throw
// site shows only the source position under the "Exception Thrown" title (ShowThrow). Modes 2 and 3
// treat both alike.
#include "Src/Pellin/Isol/Report.h"

#include <cstdio>

#include "Src/Pellin/Isol/Reporters.h"

namespace {

// Mode 1's reporter is the caller's; the other modes are shared by failures and throw sites.
void Dispatch(int32 inMode, void (*inSignalReporter)(const char*, const char*, int32), const char* inText,
              const char* inFile, int32 inLine) {
    switch (inMode) {
        case kReportSignal:
            inSignalReporter(inText, inFile, inLine);
            break;
        case kReportDebugString:
            ShowDebugString(inText);
            break;
        case kReportBreak:
            BreakToDebugger();
            break;
        default:
            break;
    }
}

}  // namespace

void ReportFailureWithMode(int32 inMode, const char* inText, const char* inFile, int32 inLine) {
    Dispatch(inMode, &ShowSignal, inText, inFile, inLine);
}

void ReportThrowWithMode(int32 inMode, const char* inText, const char* inFile, int32 inLine) {
    Dispatch(inMode, &ShowThrow, inText, inFile, inLine);
}

void ReportFailure(const char* inText, const char* inFile, int32 inLine) {
    ReportFailureWithMode(kAssertionReportMode, inText, inFile, inLine);
}

void ReportThrow(const char* inText, const char* inFile, int32 inLine) {
    ReportThrowWithMode(kThrowReportMode, inText, inFile, inLine);
}

void ReportFailedCondition(const char* inConditionText, const char* inFile, int32 inLine) {
    char text[1024];
    std::snprintf(text, sizeof text, "Assertion failed: \"%s\"",
                  inConditionText != nullptr ? inConditionText : "");
    ReportFailure(text, inFile, inLine);
}
