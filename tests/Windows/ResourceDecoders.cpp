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

std::string UpToTerminator(const std::string& inText) { return inText.substr(0, inText.find('\0')); }

// One node of the version tree: length u16, value length u16, type u16 (1 text, 0 binary), key, padding
// to 4, value (value length counts characters for text), padding to 4, then child nodes up to length.
bool WalkVersionNode(const std::vector<uint8>& inData, uint64 inStart, uint64 inLimit, int inDepth,
                     const std::string& inParent, VersionInfo& ioInfo) {
    Cursor c{inData, inStart, inLimit};
    const uint64 length = c.U16();
    const uint64 valueLength = c.U16();
    const uint16 type = c.U16();
    if (!c.ok || length < 6 || inStart + length > inLimit || inDepth > 4) return false;
    c.end = inStart + length;
    const std::string key = c.Text();
    c.Align4();
    const uint64 valueBytes = type == 1 ? valueLength * 2 : valueLength;
    if (valueBytes > 0 && !c.Has(valueBytes)) return false;
    if (inDepth == 0 && valueBytes >= 52) {
        Cursor fixed{inData, c.pos, c.end};
        if (fixed.U32() != 0xFEEF04BDu) return false;
        fixed.U32();
        ioInfo.fileVersionHigh = fixed.U32();
        ioInfo.fileVersionLow = fixed.U32();
        ioInfo.productVersionHigh = fixed.U32();
        ioInfo.productVersionLow = fixed.U32();
    }
    if (inDepth == 3 && inParent != "VarFileInfo" && type == 1) {
        Cursor text{inData, c.pos, c.pos + valueBytes};
        ioInfo.strings[key] = UpToTerminator(text.Text());
    }
    c.pos += valueBytes;
    c.Align4();
    const std::string parent = inDepth == 1 ? key : inParent;
    while (c.ok && c.pos + 6 <= c.end) {
        Cursor child{inData, c.pos, c.end};
        const uint64 childLength = child.U16();
        if (childLength == 0) break;
        if (!WalkVersionNode(inData, c.pos, c.end, inDepth + 1, parent, ioInfo)) return false;
        c.pos += childLength;
        c.Align4();
    }
    return c.ok;
}

}  // namespace

std::optional<VersionInfo> DecodeVersionInfo(const std::vector<uint8>& inData) {
    VersionInfo info;
    if (!WalkVersionNode(inData, 0, inData.size(), 0, {}, info)) return std::nullopt;
    return info;
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
    dialog.x = int16(c.U16());
    dialog.y = int16(c.U16());
    dialog.width = int16(c.U16());
    dialog.height = int16(c.U16());
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
        item.x = int16(c.U16());
        item.y = int16(c.U16());
        item.width = int16(c.U16());
        item.height = int16(c.U16());
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
