#include "tests/Windows/PeImage.h"

#include <algorithm>

// Layout reminders (all little-endian):
//   offset 0x3C of the stub: file offset of the "PE\0\0" signature;
//   file header (20 bytes): machine u16, section count u16, 12 bytes, optional header size u16,
//     characteristics u16;
//   optional header: magic u16; subsystem u16 at 68; for the 32-bit form the directory count at 92 and
//     the directories (rva u32, size u32) from 96: 0 exports, 1 imports, 2 resources;
//   section header (40 bytes): name[8], virtual size, virtual address, raw size, raw offset, ...

namespace {
constexpr uint64 kMaxSections = 96;
constexpr uint64 kMaxNames = 65536;
constexpr uint64 kMaxStringLength = 4096;
}  // namespace

PeImage::PeImage(std::vector<uint8> inBytes) : mBytes(std::move(inBytes)) {}

bool PeImage::Fail(const std::string& inReason) {
    mError = inReason;
    return false;
}

std::nullopt_t PeImage::Refuse(const std::string& inReason) {
    mError = inReason;
    return std::nullopt;
}

uint16 PeImage::U16(uint64 inOffset) const {
    return uint16(mBytes[inOffset] | (mBytes[inOffset + 1] << 8));
}

uint32 PeImage::U32(uint64 inOffset) const {
    return uint32(U16(inOffset)) | (uint32(U16(inOffset + 2)) << 16);
}

bool PeImage::Parse() {
    if (!Has(0, 0x40) || mBytes[0] != 'M' || mBytes[1] != 'Z') return Fail("no executable stub");
    const uint64 pe = U32(0x3C);
    if (!Has(pe, 24)) return Fail("header offset outside the file");
    if (U32(pe) != 0x00004550) return Fail("no image signature");
    mMachine = U16(pe + 4);
    const uint64 sectionCount = U16(pe + 6);
    const uint64 optionalSize = U16(pe + 20);
    mCharacteristics = U16(pe + 22);
    const uint64 optional = pe + 24;
    if (!Has(optional, optionalSize) || optionalSize < 2) return Fail("truncated optional header");
    if (U16(optional) != kMagicPe32) return Fail("not a 32-bit image");
    if (optionalSize < 96) return Fail("optional header too short");
    mSubsystem = U16(optional + 68);
    const uint64 directoryCount = std::min<uint64>(U32(optional + 92), (optionalSize - 96) / 8);
    Directory* wanted[] = {&mExports, &mImports, &mResources};
    for (uint64 i = 0; i < 3 && i < directoryCount; ++i) {
        wanted[i]->rva = U32(optional + 96 + i * 8);
        wanted[i]->size = U32(optional + 100 + i * 8);
    }
    if (sectionCount > kMaxSections) return Fail("implausible section count");
    const uint64 table = optional + optionalSize;
    if (!Has(table, sectionCount * 40)) return Fail("truncated section table");
    mSections.clear();
    for (uint64 i = 0; i < sectionCount; ++i) {
        const uint64 s = table + i * 40;
        mSections.push_back({U32(s + 12), U32(s + 8), U32(s + 20), U32(s + 16)});
    }
    return true;
}

std::optional<uint64> PeImage::OffsetOf(uint64 inRva, uint64 inCount) const {
    for (const Section& s : mSections) {
        const uint64 start = s.virtualAddress;
        // Bytes past the virtual size are file padding, not part of the section.
        const uint64 stored = s.virtualSize ? std::min(s.virtualSize, s.rawSize) : s.rawSize;
        if (inRva < start || inRva + inCount > start + stored) continue;
        const uint64 offset = uint64(s.rawOffset) + (inRva - start);
        if (Has(offset, inCount)) return offset;
    }
    return std::nullopt;
}

std::optional<std::string> PeImage::StringAt(uint32 inRva) const {
    std::string text;
    for (uint64 i = 0; i < kMaxStringLength; ++i) {
        const auto at = OffsetOf(uint64(inRva) + i, 1);
        if (!at) return std::nullopt;
        if (mBytes[*at] == 0) return text;
        text.push_back(char(mBytes[*at]));
    }
    return std::nullopt;
}

std::optional<std::vector<std::string>> PeImage::ExportNames() {
    std::vector<std::string> names;
    if (mExports.rva == 0) return names;
    const auto dir = OffsetOf(mExports.rva, 40);
    if (!dir) return Refuse("export directory outside the sections");
    const uint64 count = U32(*dir + 24);
    if (count > kMaxNames) return Refuse("implausible export count");
    const auto table = OffsetOf(U32(*dir + 32), count * 4);
    if (count > 0 && !table) return Refuse("export name table outside the sections");
    for (uint64 i = 0; i < count; ++i) {
        auto name = StringAt(U32(*table + i * 4));
        if (!name) return Refuse("export name outside the sections");
        names.push_back(std::move(*name));
    }
    return names;
}

std::optional<std::vector<std::string>> PeImage::ImportedLibraries() {
    std::vector<std::string> names;
    if (mImports.rva == 0) return names;
    for (uint64 i = 0; i < kMaxNames; ++i) {
        const auto entry = OffsetOf(uint64(mImports.rva) + i * 20, 20);
        if (!entry) return Refuse("import table outside the sections");
        const uint32 nameRva = U32(*entry + 12);
        if (nameRva == 0) return names;
        auto name = StringAt(nameRva);
        if (!name) return Refuse("import name outside the sections");
        names.push_back(std::move(*name));
    }
    return Refuse("import table without end");
}

// Resource tree: three levels of directories (type, name, language). A directory is 16 bytes with the
// named-entry count at 12 and the id-entry count at 14, followed by 8-byte entries (name field, target
// field). A set top bit in the name field makes it the offset of a counted UTF-16 string; a set top bit
// in the target field makes it the offset of a subdirectory, otherwise of a data entry (rva, size).
// All these offsets count from the start of the resource directory.
bool PeImage::KeyMatches(uint32 inNameField, const ResourceKey& inKey) const {
    if (!(inNameField & 0x80000000u)) return inKey.text.empty() && inNameField == inKey.id;
    if (inKey.text.empty()) return false;
    const auto at = OffsetOf(uint64(mResources.rva) + (inNameField & 0x7FFFFFFFu), 2);
    if (!at) return false;
    const uint64 length = U16(*at);
    if (length != inKey.text.size() || !Has(*at + 2, length * 2)) return false;
    for (uint64 i = 0; i < length; ++i)
        if (U16(*at + 2 + i * 2) != uint8(inKey.text[i])) return false;
    return true;
}

std::optional<uint32> PeImage::FindEntry(uint64 inDirOffset, const ResourceKey* inKey) {
    const auto dir = OffsetOf(uint64(mResources.rva) + inDirOffset, 16);
    if (!dir) return std::nullopt;
    const uint64 count = uint64(U16(*dir + 12)) + U16(*dir + 14);
    if (!Has(*dir + 16, count * 8)) return std::nullopt;
    for (uint64 i = 0; i < count; ++i) {
        const uint64 entry = *dir + 16 + i * 8;
        if (inKey == nullptr || KeyMatches(U32(entry), *inKey)) return U32(entry + 4);
    }
    return std::nullopt;
}

std::optional<std::vector<uint8>> PeImage::Resource(const ResourceKey& inType, const ResourceKey& inName) {
    if (mResources.rva == 0) return std::nullopt;
    const auto types = FindEntry(0, &inType);
    if (!types || !(*types & 0x80000000u)) return std::nullopt;
    const auto names = FindEntry(*types & 0x7FFFFFFFu, &inName);
    if (!names || !(*names & 0x80000000u)) return std::nullopt;
    const auto language = FindEntry(*names & 0x7FFFFFFFu, nullptr);
    if (!language || (*language & 0x80000000u)) return std::nullopt;
    const auto data = OffsetOf(uint64(mResources.rva) + *language, 16);
    if (!data) return std::nullopt;
    const uint32 size = U32(*data + 4);
    const auto bytes = OffsetOf(U32(*data), size);
    if (!bytes) return std::nullopt;
    return std::vector<uint8>(mBytes.begin() + *bytes, mBytes.begin() + *bytes + size);
}
