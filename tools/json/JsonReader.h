// A small JSON reader for the tool's own input (layer stacks for `lumenar compose`).
//
// It takes the whole text at once and builds a tree of JsonValue. Objects keep their keys in the order
// written (a repeated key is refused). Strings are returned as 8-bit text, the way documents store
// names: "\u0000" to "\u00ff" become that one byte, other escaped characters become '?', and bytes
// written as they stand are kept as they are. More than kMaxJsonDepth levels of nesting are refused, so
// hostile input cannot exhaust the stack.
#pragma once

#include <string>
#include <utility>
#include <vector>

inline constexpr int kMaxJsonDepth = 64;

class JsonValue {
public:
    enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };

    Kind kind = Kind::kNull;
    bool boolean = false;
    double number = 0;
    std::string text;                                        // kString
    std::vector<JsonValue> items;                            // kArray
    std::vector<std::pair<std::string, JsonValue>> members;  // kObject

    bool IsNull() const { return kind == Kind::kNull; }
    // The member named inKey of an object, or null when absent (or when this is not an object).
    const JsonValue* Find(const std::string& inKey) const;
    // "null", "true or false", "a number", "a string", "an array", "an object".
    static const char* KindName(Kind inKind);
};

// Parses inText (one value, surrounded by white space only). On failure returns false with outError
// naming the line and column ("line 3, column 7: expected ':' after an object key").
bool ParseJson(const std::string& inText, JsonValue& outValue, std::string& outError);
