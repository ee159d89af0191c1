// Process-wide reporting of assertions and throw sites.
//
// Reporting never changes control flow: after a report returns, the caller goes on (continues after an
// assertion, or throws after a throw report). The two report modes are fixed when the module is built.
#pragma once

#include "Src/Pellin/Isol/IsolTypes.h"

// Reporter selected by a mode value: 1 message box with source position, 2 debug string, 3 debugger break.
enum ReportMode : int32 { kReportNone = 0, kReportSignal = 1, kReportDebugString = 2, kReportBreak = 3 };

inline constexpr int32 kAssertionReportMode = kReportDebugString;
inline constexpr int32 kThrowReportMode = kReportSignal;

// Reports through the assertion report mode (assertions, the shell's catch blocks).
void ReportFailure(const char* inText, const char* inFile, int32 inLine);
// Reports through the throw report mode (throw sites of library exceptions).
void ReportThrow(const char* inText, const char* inFile, int32 inLine);

// The same reports through an explicit mode: any value other than 1, 2 or 3 reports nothing.
void ReportFailureWithMode(int32 inMode, const char* inText, const char* inFile, int32 inLine);
void ReportThrowWithMode(int32 inMode, const char* inText, const char* inFile, int32 inLine);

// Asserts a condition: on failure reports `Assertion failed: "<condition>"` and continues.
#define LASSERT(condition)                                                                   \
    do {                                                                                     \
        if (!(condition)) ReportFailure("Assertion failed: \"" #condition "\"", __FILE__, __LINE__); \
    } while (0)

// Reports a free text through the assertion report mode at this source position.
#define LREPORT(text) ReportFailure((text), __FILE__, __LINE__)
