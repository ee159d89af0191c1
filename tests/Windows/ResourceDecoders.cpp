#include "tests/Windows/ResourceDecoders.h"

#include <algorithm>

namespace {

// A bounds-checked little-endian reader: a read past the end clears `ok` and yields zeros.
struct Cursor {
    const std::vector<uint8>& data;
    uint64 pos = 0;
    uint64 end = 0;
    bool ok = true;

    bool Has(uint64 inCount) const { return ok && pos + inCount <= end; }
    uint16 U16() {
        if (!Has(2)) {
            ok = false;
            return 0;
        }
        pos += 2;
        return uint16(data[pos - 2] | (data[pos - 1] << 8));
    }
    uint32 U32() {
        const uint32 low = U16();
        return low | (uint32(U16()) << 16);
    }
    // A UTF-16 string up to its terminator; characters above 0xFF become '?'.
    std::string Text() {
        std::string text;
        for (uint16 c = U16(); ok && c != 0; c = U16()) text.push_back(c < 0x100 ? char(c) : '?');
        return text;
    }
    // A string, or an ordinal introduced by 0xFFFF (returned through outOrdinal).
    std::string TextOrOrdinal(uint16* outOrdinal) {
        if (Has(2) && data[pos] == 0xFF && data[pos + 1] == 0xFF) {
            pos += 2;
            *outOrdinal = U16();
            return {};
        }
        return Text();
    }
    void Align4() { pos = (pos + 3) & ~uint64(3); }
};

}  // namespace

// The version block is a tree of nodes (length, value length, type, UTF-16 key padded to 4 bytes, value).
// The fixed part follows its signature 0xFEEF04BD (then the structure version); a string entry is found
// by its key, whose value follows the key's terminator on the next 4-byte boundary.
std::optional<VersionInfo> DecodeVersionInfo(const std::vector<uint8>& inData) {
    Cursor c{inData, 0, inData.size()};
    for (uint64 at = 0; at + 24 <= inData.size(); at += 4) {
        c.pos = at;
        if (c.U32() != 0xFEEF04BDu) continue;
        c.U32();
        VersionInfo info;
        for (uint32* v :
             {&info.fileVersionHigh, &info.fileVersionLow, &info.productVersionHigh, &info.productVersionLow})
            *v = c.U32();
        return info;
    }
    return std::nullopt;
}

std::optional<std::string> VersionString(const std::vector<uint8>& inData, const std::string& inKey) {
    std::vector<uint8> key;
    for (char ch : inKey + '\0') key.insert(key.end(), {uint8(ch), 0});
    for (auto at = inData.begin();
         (at = std::search(at, inData.end(), key.begin(), key.end())) != inData.end(); ++at) {
        if ((at - inData.begin()) % 2 != 0) continue;
        Cursor c{inData, uint64(at - inData.begin()) + key.size(), inData.size()};
        c.Align4();
        const std::string value = c.Text();
        if (c.ok) return value;
    }
    return std::nullopt;
}

// Dialog template: style u32, extended style u32, item count u16, x, y, width, height (i16), menu, class
// and title (each a string or an ordinal), then with a font style bit (0x40) the point size u16 and the
// face name. Each item starts on a 4-byte boundary: style u32, extended style u32, x, y, width, height
// (i16), id u16, class, text, then a u16 count of creation bytes that follow.
std::optional<DialogTemplate> DecodeDialogTemplate(const std::vector<uint8>& inData) {
    Cursor c{inData, 0, inData.size()};
    DialogTemplate dialog;
    dialog.style = c.U32();
    c.U32();
    const uint16 count = c.U16();
    for (int16* v : {&dialog.x, &dialog.y, &dialog.width, &dialog.height}) *v = int16(c.U16());
    uint16 ignored = 0;
    c.TextOrOrdinal(&ignored);
    c.TextOrOrdinal(&ignored);
    dialog.title = c.Text();
    if (dialog.style & 0x40) {
        dialog.pointSize = c.U16();
        dialog.font = c.Text();
    }
    for (uint16 i = 0; i < count && c.ok; ++i) {
        c.Align4();
        DialogItem item;
        item.style = c.U32();
        c.U32();
        for (int16* v : {&item.x, &item.y, &item.width, &item.height}) *v = int16(c.U16());
        item.id = c.U16();
        c.TextOrOrdinal(&item.classAtom);
        uint16 textOrdinal = 0;
        item.text = c.TextOrOrdinal(&textOrdinal);
        const uint16 extra = c.U16();
        if (!c.Has(extra)) return std::nullopt;
        c.pos += extra;
        dialog.items.push_back(std::move(item));
    }
    if (!c.ok) return std::nullopt;
    return dialog;
}

std::vector<std::string> DescribeDialogTemplate(const DialogTemplate& inDialog) {
    constexpr uint16 kStaticClass = 0x82;
    constexpr uint32 kCentred = 1;
    std::vector<std::string> lines{
        "frame " + std::to_string(inDialog.width) + " x " + std::to_string(inDialog.height) + ", title \"" +
        inDialog.title + "\", font \"" + inDialog.font + "\" " + std::to_string(inDialog.pointSize)};
    std::vector<DialogItem> texts;
    for (const DialogItem& item : inDialog.items)
        if (item.classAtom == kStaticClass) texts.push_back(item);
    std::stable_sort(texts.begin(), texts.end(),
                     [](const DialogItem& a, const DialogItem& b) { return a.y < b.y; });
    for (const DialogItem& item : texts)
        lines.push_back(std::string("text") + ((item.style & 0x1F) == kCentred ? " centred" : "") + " at " +
                        std::to_string(item.x) + "," + std::to_string(item.y) + " size " +
                        std::to_string(item.width) + " x " + std::to_string(item.height) + ": \"" +
                        item.text + "\"");
    return lines;
}
