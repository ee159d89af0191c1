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

// Reports `Assertion failed: "<inConditionText>"` through the assertion report mode.
void ReportFailedCondition(const char* inConditionText, const char* inFile, int32 inLine);

// The one way the engine checks a condition. On failure it reports `Assertion failed: "<condition>"` at
// the given source position through the assertion report mode; either way it returns the condition, so a
// caller acts on the very test it reported: `if (!LCHECK(inPtr != nullptr)) return;`.
inline bool CheckCondition(bool inCondition, const char* inConditionText, const char* inFile, int32 inLine) {
    if (!inCondition) ReportFailedCondition(inConditionText, inFile, inLine);
    return inCondition;
}

// LCHECK reports the condition as spelled. LCHECK_AS reports the given text instead: for a report text
// that must stay as it is whatever the code's spelling or layout (a text the reports are known by), or
// one that names the condition in other words than the code. LASSERT is the statement form of LCHECK:
// report and continue.
#define LCHECK(condition) CheckCondition(static_cast<bool>(condition), #condition, __FILE__, __LINE__)
#define LCHECK_AS(condition, text) CheckCondition(static_cast<bool>(condition), text, __FILE__, __LINE__)
#define LASSERT(condition) static_cast<void>(LCHECK(condition))

// Reports a free text through the assertion report mode at this source position.
#define LREPORT(text) ReportFailure((text), __FILE__, __LINE__)
