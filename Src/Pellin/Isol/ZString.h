// The message string type.
//
// A message key has the form $$$/Group/.../Name=default text. Only the default text after the first "="
// is ever shown; the part before it is never looked up. A key without "=" yields the empty string.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "Src/Pellin/Isol/IsolTypes.h"

class ZString {
public:
    ZString() = default;
    // Keeps what follows the first "=" of inKey (the second and later "=" included).
    explicit ZString(const char* inKey) { SetFromKey(inKey); }

    void SetFromKey(const char* inKey) {
        mText.clear();
        if (inKey == nullptr) return;
        std::string_view key(inKey);
        const auto equals = key.find('=');
        if (equals != std::string_view::npos) mText.assign(key.substr(equals + 1));
    }
    // Sets the text verbatim (no key rule applied).
    void SetText(std::string_view inText) { mText.assign(inText); }
    void Clear() { mText.clear(); }

    const std::string& Text() const { return mText; }
    const char* CStr() const { return mText.c_str(); }
    size_t Length() const { return mText.size(); }
    bool Empty() const { return mText.empty(); }

    // Copies at most inSize - 1 characters followed by a NUL; writes nothing when inSize is 0.
    void CopyTo(char* outBuffer, uint32 inSize) const {
        if (inSize == 0 || outBuffer == nullptr) return;
        const size_t n = std::min<size_t>(mText.size(), size_t(inSize) - 1);
        mText.copy(outBuffer, n);
        outBuffer[n] = '\0';
    }

    bool operator==(const ZString& inOther) const { return mText == inOther.mText; }
    bool operator!=(const ZString& inOther) const { return !(*this == inOther); }

private:
    std::string mText;
};
