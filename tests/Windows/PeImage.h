// A reader of Windows executable images (DLLs and programs) held in memory, for the checks the build
// runs on the cross-built module: machine and format, exported names, imported libraries, resources.
//
// The reader never trusts the file: every offset, count and size is checked in 64-bit arithmetic
// against the bytes held before anything is read, so a damaged or truncated image yields a refusal with
// a reason and never an out-of-bounds read.
#pragma once

#include "Src/Pellin/Isol/IsolTypes.h"

#include <optional>
#include <string>
#include <vector>

class PeImage {
public:
    // A resource type or name: a numeric id, or a string when `text` is non-empty.
    struct ResourceKey {
        uint16 id = 0;
        std::string text;
        static ResourceKey Id(uint16 inId) { return {inId, {}}; }
        static ResourceKey Text(std::string inText) { return {0, std::move(inText)}; }
    };

    // Takes the image bytes. Parse() must succeed before any other query is meaningful.
    explicit PeImage(std::vector<uint8> inBytes);

    // Reads the headers and the section table; on failure returns false and sets Error().
    bool Parse();
    const std::string& Error() const { return mError; }

    uint16 Machine() const { return mMachine; }
    uint16 Characteristics() const { return mCharacteristics; }
    uint16 Subsystem() const { return mSubsystem; }

    // Exported names in table order; nullopt (with Error()) when the export table is damaged.
    std::optional<std::vector<std::string>> ExportNames();
    // Names of the imported libraries in table order; nullopt when the import table is damaged.
    std::optional<std::vector<std::string>> ImportedLibraries();
    // The data of the first language of the resource (type, name); nullopt when absent or damaged.
    std::optional<std::vector<uint8>> Resource(const ResourceKey& inType, const ResourceKey& inName);

    static constexpr uint16 kMachineI386 = 0x14C;
    static constexpr uint16 kMagicPe32 = 0x10B;
    static constexpr uint16 kCharacteristicDll = 0x2000;
    static constexpr uint16 kSubsystemConsole = 3;

private:
    struct Section {
        uint32 virtualAddress, virtualSize, rawOffset, rawSize;
    };
    struct Directory {
        uint32 rva = 0, size = 0;
    };

    bool Fail(const std::string& inReason);
    std::nullopt_t Refuse(const std::string& inReason);
    bool Has(uint64 inOffset, uint64 inCount) const { return inOffset + inCount <= mBytes.size(); }
    uint16 U16(uint64 inOffset) const;
    uint32 U32(uint64 inOffset) const;
    // File offset of inCount bytes at an address inside one section's stored data.
    std::optional<uint64> OffsetOf(uint64 inRva, uint64 inCount) const;
    std::optional<std::string> StringAt(uint32 inRva) const;
    // Resource directory entry whose key matches; returns its raw target field.
    std::optional<uint32> FindEntry(uint64 inDirOffset, const ResourceKey* inKey);
    bool KeyMatches(uint32 inNameField, const ResourceKey& inKey) const;

    std::vector<uint8> mBytes;
    std::string mError;
    uint16 mMachine = 0, mCharacteristics = 0, mSubsystem = 0;
    std::vector<Section> mSections;
    Directory mExports, mImports, mResources;
};
