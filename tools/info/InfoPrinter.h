// The two forms of `lumenar info`: lines for people, and JSON for programs.
//
// The JSON form is stable: keys are only ever added, and "schema" changes when the meaning of an
// existing key would. The keys are listed in the README ("Using lumenar").
#pragma once

#include <string>

#include "tools/info/DocumentInfo.h"

inline constexpr int kInfoSchemaVersion = 1;

// One line: "file: W x H, mode, depth bits, N layers, M extra channels".
std::string InfoAsLine(const std::string& inPath, const DocumentInfo& inInfo);
std::string InfoAsText(const std::string& inPath, const DocumentInfo& inInfo);
std::string InfoAsJson(const std::string& inPath, const DocumentInfo& inInfo);

// One value for scripts, without a newline: a number for the counts and sizes, the mode's name for
// modeName, "H x V" (pixels per inch) for resolution.
bool IsInfoField(const std::string& inName);
std::string InfoFieldNames();  // the accepted names, comma-separated
std::string InfoField(const DocumentInfo& inInfo, const std::string& inName);

// inText as a JSON string literal, quotes included. Bytes from 0x80 up are taken as Latin-1 characters
// (names in documents are 8-bit text), so the output is always valid JSON.
std::string JsonString(const std::string& inText);
