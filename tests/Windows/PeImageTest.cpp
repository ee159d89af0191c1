// The image reader and resource decoders behind the Windows build check, on a small image assembled
// here: what they find in a sound image, and that damaged or truncated data is refused, never misread.

#include "tests/Windows/PeImage.h"
#include "tests/Windows/ResourceDecoders.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Key = PeImage::ResourceKey;

class ImageBytes {
public:
    explicit ImageBytes(size_t inSize) : mData(inSize, 0) {}
    void U16(size_t inAt, uint16 inValue) {
        mData[inAt] = uint8(inValue);
        mData[inAt + 1] = uint8(inValue >> 8);
    }
    void U32(size_t inAt, uint32 inValue) {
        U16(inAt, uint16(inValue));
        U16(inAt + 2, uint16(inValue >> 16));
    }
    void Text(size_t inAt, const std::string& inText) { std::copy(inText.begin(), inText.end(), mData.begin() + inAt); }
    std::vector<uint8>& Data() { return mData; }

private:
    std::vector<uint8> mData;
};

// Offsets of the fields the tests damage.
constexpr size_t kHeader = 0x40, kOptional = kHeader + 24, kSectionTable = kOptional + 224;
constexpr size_t kRaw = 0x200, kBase = 0x1000;  // one section: file offset kRaw holds address kBase
constexpr size_t kExports = 0x000, kImports = 0x080, kResources = 0x100, kSectionSize = 0x200;
constexpr size_t At(size_t inSectionOffset) { return kRaw + inSectionOffset; }

// A DLL with two exported names, one imported library and one resource ("PIPL", 7) holding "DATA!".
std::vector<uint8> SampleImage() {
    ImageBytes b(kRaw + kSectionSize);
    b.Text(0, "MZ");
    b.U32(0x3C, kHeader);
    b.Text(kHeader, std::string("PE\0\0", 4));
    b.U16(kHeader + 4, PeImage::kMachineI386);
    b.U16(kHeader + 6, 1);
    b.U16(kHeader + 20, 224);
    b.U16(kHeader + 22, PeImage::kCharacteristicDll | 0x0102);
    b.U16(kOptional, PeImage::kMagicPe32);
    b.U16(kOptional + 68, PeImage::kSubsystemGui);
    b.U32(kOptional + 92, 16);
    const uint32 directories[3][2] = {{kBase + kExports, 40}, {kBase + kImports, 40}, {kBase + kResources, 0x80}};
    for (size_t i = 0; i < 3; ++i) {
        b.U32(kOptional + 96 + i * 8, directories[i][0]);
        b.U32(kOptional + 100 + i * 8, directories[i][1]);
    }
    b.Text(kSectionTable, ".data");
    b.U32(kSectionTable + 8, kSectionSize);
    b.U32(kSectionTable + 12, kBase);
    b.U32(kSectionTable + 16, kSectionSize);
    b.U32(kSectionTable + 20, kRaw);
    // Exports: two names through the name table at +0x40.
    b.U32(At(kExports + 24), 2);
    b.U32(At(kExports + 32), kBase + 0x40);
    b.U32(At(0x40), kBase + 0x50);
    b.U32(At(0x44), kBase + 0x60);
    b.Text(At(0x50), "AboutDlgProc");
    b.Text(At(0x60), "ENTRYPOINT");
    // Imports: one descriptor, then the terminating empty one.
    b.U32(At(kImports + 12), kBase + 0xC0);
    b.Text(At(0xC0), "KERNEL32.dll");
    // Resources: type "PIPL" (string at +0x60) -> name 7 -> language 0x409 -> data entry at +0x48.
    const size_t r = kResources;
    b.U16(At(r + 12), 1);
    b.U32(At(r + 16), 0x80000000u | 0x60);
    b.U32(At(r + 20), 0x80000000u | 0x18);
    b.U16(At(r + 0x18 + 14), 1);
    b.U32(At(r + 0x18 + 16), 7);
    b.U32(At(r + 0x18 + 20), 0x80000000u | 0x30);
    b.U16(At(r + 0x30 + 14), 1);
    b.U32(At(r + 0x30 + 16), 0x409);
    b.U32(At(r + 0x30 + 20), 0x48);
    b.U32(At(r + 0x48), kBase + r + 0x70);
    b.U32(At(r + 0x48 + 4), 5);
    b.U16(At(r + 0x60), 4);
    for (size_t i = 0; i < 4; ++i) b.U16(At(r + 0x62 + i * 2), uint8("PIPL"[i]));
    b.Text(At(r + 0x70), "DATA!");
    return b.Data();
}

struct Findings {
    bool parsed = false;
    std::optional<std::vector<std::string>> exports, imports;
    std::optional<std::vector<uint8>> resource;
};

Findings Inspect(std::vector<uint8> inBytes) {
    PeImage image(std::move(inBytes));
    Findings f;
    f.parsed = image.Parse();
    if (!f.parsed) return f;
    f.exports = image.ExportNames();
    f.imports = image.ImportedLibraries();
    f.resource = image.Resource(Key::Text("PIPL"), Key::Id(7));
    return f;
}

TEST(PeImage, FindsWhatASoundImageHolds) {
    PeImage image(SampleImage());
    ASSERT_TRUE(image.Parse()) << image.Error();
    EXPECT_EQ(image.Machine(), PeImage::kMachineI386);
    EXPECT_TRUE(image.Characteristics() & PeImage::kCharacteristicDll);
    EXPECT_EQ(image.Subsystem(), PeImage::kSubsystemGui);
    EXPECT_EQ(image.ExportNames(), (std::vector<std::string>{"AboutDlgProc", "ENTRYPOINT"}));
    EXPECT_EQ(image.ImportedLibraries(), (std::vector<std::string>{"KERNEL32.dll"}));
    EXPECT_EQ(image.Resource(Key::Text("PIPL"), Key::Id(7)), (std::vector<uint8>{'D', 'A', 'T', 'A', '!'}));
}

TEST(PeImage, ResourceLookupMatchesTypeAndNameExactly) {
    PeImage image(SampleImage());
    ASSERT_TRUE(image.Parse());
    const std::pair<Key, Key> misses[] = {{Key::Text("PIP"), Key::Id(7)},   {Key::Text("PIPLX"), Key::Id(7)},
                                          {Key::Text("pipl"), Key::Id(7)},  {Key::Text("PIPL"), Key::Id(8)},
                                          {Key::Id(7), Key::Id(7)},         {Key::Text("PIPL"), Key::Text("7")}};
    for (const auto& [type, name] : misses)
        EXPECT_FALSE(image.Resource(type, name)) << type.text << "/" << type.id << " " << name.id;
}

// A truncated image may lose answers but never yields different ones.
TEST(PeImage, TruncatedImagesNeverMisread) {
    const std::vector<uint8> full = SampleImage();
    const Findings whole = Inspect(full);
    for (size_t length = 0; length < full.size(); ++length) {
        const Findings part = Inspect(std::vector<uint8>(full.begin(), full.begin() + length));
        if (length < kSectionTable + 40) {
            EXPECT_FALSE(part.parsed) << length;
        }
        if (part.exports) {
            EXPECT_EQ(part.exports, whole.exports) << length;
        }
        if (part.imports) {
            EXPECT_EQ(part.imports, whole.imports) << length;
        }
        if (part.resource) {
            EXPECT_EQ(part.resource, whole.resource) << length;
        }
    }
    // Cut inside the resource data: the names before it are still read, the data is not.
    const Findings cut = Inspect(std::vector<uint8>(full.begin(), full.begin() + At(kResources + 0x74)));
    EXPECT_EQ(cut.exports, whole.exports);
    EXPECT_FALSE(cut.resource.has_value());
}

TEST(PeImage, DamagedFieldsAreRefused) {
    struct Damage {
        const char* what;
        size_t offset;
        uint32 value;
        bool parses;
        bool exports, imports, resource;  // which answers survive
    };
    const Damage cases[] = {
        {"stub offset past the end", 0x3C, 0x7FFFFFF0u, false, false, false, false},
        {"64-bit optional header", kOptional, 0x20B, false, false, false, false},
        {"thousands of sections", kHeader + 6, 0xFFFF, false, false, false, false},
        {"export name count huge", At(kExports + 24), 0xFFFFFFF0u, true, false, true, true},
        {"export names table outside", At(kExports + 32), 0xFFFFFFF0u, true, false, true, true},
        {"export name address outside", At(0x44), 0x00000010u, true, false, true, true},
        {"import name outside", At(kImports + 12), 0x80000000u, true, true, false, true},
        {"resource subdirectory outside", At(kResources + 20), 0xFFFFFFFFu, true, true, true, false},
        {"resource data size past the section", At(kResources + 0x4C), 0x200, true, true, true, false},
        {"resource data address wraps", At(kResources + 0x48), 0xFFFFFFFEu, true, true, true, false},
        {"resource type name outside", At(kResources + 16), 0xFFFFFFFFu, true, true, true, false},
    };
    for (const Damage& d : cases) {
        ImageBytes bytes(0);
        bytes.Data() = SampleImage();
        bytes.U32(d.offset, d.value);
        const Findings f = Inspect(bytes.Data());
        EXPECT_EQ(f.parsed, d.parses) << d.what;
        EXPECT_EQ(f.exports.has_value(), d.exports) << d.what;
        EXPECT_EQ(f.imports.has_value(), d.imports) << d.what;
        EXPECT_EQ(f.resource.has_value(), d.resource) << d.what;
    }
}

}  // namespace
