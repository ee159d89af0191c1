// Dispatch of reports to the reporter their mode selects.
//
// Mode 1 differs by caller: a failure shows its own text with the source position (ShowSignal), a throw
// site shows only the source position under the "Exception Thrown" title (ShowThrow). Modes 2 and 3
// treat both alike.
#include "Src/Pellin/Isol/Report.h"

#include "Src/Pellin/Isol/Reporters.h"

void ReportFailureWithMode(int32 inMode, const char* inText, const char* inFile, int32 inLine) {
    switch (inMode) {
        case kReportSignal:
            ShowSignal(inText, inFile, inLine);
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

void ReportThrowWithMode(int32 inMode, const char* inText, const char* inFile, int32 inLine) {
    switch (inMode) {
        case kReportSignal:
            ShowThrow(inText, inFile, inLine);
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

void ReportFailure(const char* inText, const char* inFile, int32 inLine) {
    ReportFailureWithMode(kAssertionReportMode, inText, inFile, inLine);
}

void ReportThrow(const char* inText, const char* inFile, int32 inLine) {
    ReportThrowWithMode(kThrowReportMode, inText, inFile, inLine);
}
