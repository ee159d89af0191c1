#include "tools/json/JsonReader.h"

#include <cstdlib>

namespace {

class Parser {
public:
    explicit Parser(const std::string& inText) : mText(inText) {}

    bool ParseDocument(JsonValue& outValue, std::string& outError) {
        SkipSpace();
        bool ok = ParseValue(outValue, 0);
        if (ok) {
            SkipSpace();
            if (mPosition != mText.size()) ok = Fail("unexpected text after the value");
        }
        if (!ok) outError = Where() + mError;
        return ok;
    }

private:
    bool Fail(const std::string& inMessage) {
        if (mError.empty()) mError = inMessage;
        return false;
    }

    std::string Where() const {
        size_t line = 1, column = 1;
        for (size_t i = 0; i < mPosition && i < mText.size(); ++i) {
            if (mText[i] == '\n') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
        return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": ";
    }

    bool AtEnd() const { return mPosition >= mText.size(); }
    char Peek() const { return AtEnd() ? '\0' : mText[mPosition]; }

    void SkipSpace() {
        while (!AtEnd() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r')) ++mPosition;
    }

    bool Literal(const char* inWord) {
        const std::string word(inWord);
        if (mText.compare(mPosition, word.size(), word) != 0) return Fail("unexpected character");
        mPosition += word.size();
        return true;
    }

    bool ParseValue(JsonValue& outValue, int inDepth) {
        if (inDepth >= kMaxJsonDepth) return Fail("nested too deeply");
        switch (Peek()) {
            case '{':
                return ParseObject(outValue, inDepth);
            case '[':
                return ParseArray(outValue, inDepth);
            case '"':
                outValue.kind = JsonValue::Kind::kString;
                return ParseString(outValue.text);
            case 't':
                outValue.kind = JsonValue::Kind::kBool;
                outValue.boolean = true;
                return Literal("true");
            case 'f':
                outValue.kind = JsonValue::Kind::kBool;
                return Literal("false");
            case 'n':
                outValue.kind = JsonValue::Kind::kNull;
                return Literal("null");
            case '\0':
                if (AtEnd()) return Fail("unexpected end of the text");
                return Fail("unexpected character");
            default:
                return ParseNumber(outValue);
        }
    }

    bool ParseObject(JsonValue& outValue, int inDepth) {
        outValue.kind = JsonValue::Kind::kObject;
        ++mPosition;
        SkipSpace();
        if (Peek() == '}') {
            ++mPosition;
            return true;
        }
        for (;;) {
            SkipSpace();
            if (Peek() != '"') return Fail("expected a key in double quotes");
            std::string key;
            if (!ParseString(key)) return false;
            if (outValue.Find(key) != nullptr) return Fail("the key \"" + key + "\" appears twice");
            SkipSpace();
            if (Peek() != ':') return Fail("expected ':' after an object key");
            ++mPosition;
            SkipSpace();
            outValue.members.emplace_back(key, JsonValue());
            if (!ParseValue(outValue.members.back().second, inDepth + 1)) return false;
            SkipSpace();
            if (Peek() == ',') {
                ++mPosition;
                continue;
            }
            if (Peek() == '}') {
                ++mPosition;
                return true;
            }
            return Fail("expected ',' or '}' in an object");
        }
    }

    bool ParseArray(JsonValue& outValue, int inDepth) {
        outValue.kind = JsonValue::Kind::kArray;
        ++mPosition;
        SkipSpace();
        if (Peek() == ']') {
            ++mPosition;
            return true;
        }
        for (;;) {
            SkipSpace();
            outValue.items.emplace_back();
            if (!ParseValue(outValue.items.back(), inDepth + 1)) return false;
            SkipSpace();
            if (Peek() == ',') {
                ++mPosition;
                continue;
            }
            if (Peek() == ']') {
                ++mPosition;
                return true;
            }
            return Fail("expected ',' or ']' in an array");
        }
    }

    static int HexDigit(char inChar) {
        if (inChar >= '0' && inChar <= '9') return inChar - '0';
        if (inChar >= 'a' && inChar <= 'f') return inChar - 'a' + 10;
        if (inChar >= 'A' && inChar <= 'F') return inChar - 'A' + 10;
        return -1;
    }

    bool ParseString(std::string& outText) {
        ++mPosition;  // the opening quote
        for (;;) {
            if (AtEnd()) return Fail("a string is not closed");
            const char c = mText[mPosition++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return Fail("a control character inside a string");
            if (c != '\\') {
                outText += c;
                continue;
            }
            if (AtEnd()) return Fail("a string is not closed");
            const char escape = mText[mPosition++];
            switch (escape) {
                case '"':
                case '\\':
                case '/':
                    outText += escape;
                    break;
                case 'b':
                    outText += '\b';
                    break;
                case 'f':
                    outText += '\f';
                    break;
                case 'n':
                    outText += '\n';
                    break;
                case 'r':
                    outText += '\r';
                    break;
                case 't':
                    outText += '\t';
                    break;
                case 'u': {
                    unsigned code = 0;
                    for (int i = 0; i < 4; ++i) {
                        const int digit = HexDigit(Peek());
                        if (digit < 0) return Fail("\\u needs four hexadecimal digits");
                        code = code * 16 + unsigned(digit);
                        ++mPosition;
                    }
                    outText += code <= 0xFF ? char(code) : '?';
                    break;
                }
                default:
                    --mPosition;
                    return Fail("unknown escape in a string");
            }
        }
    }

    bool Digits() {
        const size_t start = mPosition;
        while (Peek() >= '0' && Peek() <= '9') ++mPosition;
        return mPosition > start;
    }

    // The JSON grammar is checked here; strtod then converts exactly the checked text.
    bool ParseNumber(JsonValue& outValue) {
        const size_t start = mPosition;
        if (Peek() == '-') ++mPosition;
        if (Peek() == '0') {
            ++mPosition;
        } else if (!Digits()) {
            mPosition = start;
            return Fail("unexpected character");
        }
        if (Peek() == '.') {
            ++mPosition;
            if (!Digits()) return Fail("a number needs digits after '.'");
        }
        if (Peek() == 'e' || Peek() == 'E') {
            ++mPosition;
            if (Peek() == '+' || Peek() == '-') ++mPosition;
            if (!Digits()) return Fail("a number needs digits in its exponent");
        }
        outValue.kind = JsonValue::Kind::kNumber;
        outValue.number = std::strtod(mText.substr(start, mPosition - start).c_str(), nullptr);
        return true;
    }

    const std::string& mText;
    size_t mPosition = 0;
    std::string mError;
};

}  // namespace

const JsonValue* JsonValue::Find(const std::string& inKey) const {
    for (const auto& [key, value] : members)
        if (key == inKey) return &value;
    return nullptr;
}

const char* JsonValue::KindName(Kind inKind) {
    switch (inKind) {
        case Kind::kNull:
            return "null";
        case Kind::kBool:
            return "true or false";
        case Kind::kNumber:
            return "a number";
        case Kind::kString:
            return "a string";
        case Kind::kArray:
            return "an array";
        case Kind::kObject:
            return "an object";
    }
    return "a value";
}

bool ParseJson(const std::string& inText, JsonValue& outValue, std::string& outError) {
    outValue = JsonValue();
    return Parser(inText).ParseDocument(outValue, outError);
}
