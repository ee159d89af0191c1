// Checks the cross-built Windows module (and, when given, the Windows host program) without running
// them: image format, export table, imported libraries, and the resources the host reads, which are
// compared byte for byte with the layout rebuilt here from its description.
//
// Usage: windows_dll_check <Lumenar5.dll> [<lumenar.exe>]
//        windows_dll_check --about-layout <Lumenar5.dll>
// Prints one line per check and "N passed, M failed"; exits 0 only when nothing failed. The second form
// prints the About dialog as its resource describes it (DescribeDialogTemplate), for comparing with the
// live dialog under wine.

#include "tests/Windows/PeImage.h"
#include "tests/Windows/ResourceDecoders.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

using Key = PeImage::ResourceKey;
constexpr uint16 kResourceDialog = 5;
constexpr uint16 kResourceVersion = 16;

// Little-endian byte assembly of the expected resources.
struct Bytes {
    std::vector<uint8> data;
    Bytes& Byte(uint8 inValue) {
        data.push_back(inValue);
        return *this;
    }
    Bytes& U16(uint16 inValue) { return Byte(uint8(inValue)).Byte(uint8(inValue >> 8)); }
    Bytes& U32(uint32 inValue) { return U16(uint16(inValue)).U16(uint16(inValue >> 16)); }
    // A four-character code stored as a little-endian word: its bytes come out reversed.
    Bytes& Code(const char (&inCode)[5]) { return U32(FourCC(inCode)); }
    Bytes& Text(const std::string& inText) {
        data.insert(data.end(), inText.begin(), inText.end());
        return *this;
    }
    Bytes& ZeroTo(size_t inSize) {
        data.resize(std::max(data.size(), inSize), 0);
        return *this;
    }
};

std::vector<uint8> ExpectedPropertyList() {
    struct Property {
        const char (&key)[5];
        Bytes value;
    };
    Bytes mxch;
    for (int mode = 0; mode < 16; ++mode) mxch.U16(mode == 3 ? 4 : 0);
    const Property properties[] = {
        {"kind", Bytes().Code("ZQFF")},
        {"vers", Bytes().U32(0x00010000)},
        {"name", Bytes().Byte(9).Text("Lumenar 5").ZeroTo(12)},
        {"wx86", Bytes().Text("ENTRYPOINT").ZeroTo(12)},
        {"mode", Bytes().U32(0x10)},
        {"fmTC", Bytes().Code("ZQRS").Code("ZQLM")},
        {"RdTy", Bytes().Code("ZQLM").Code("    ")},
        {"WrTy", Bytes().Code("ZQLM").Code("    ")},
        {"RdEx", Bytes().Text("LMN KRV ")},
        {"WrEx", Bytes().Text("LMN KRV ")},
        {"fmtf", Bytes().U32(0x28)},
        {"mxsz", Bytes().U16(30000).U16(30000)},
        {"mxch", mxch},
    };
    Bytes list;
    list.U32(1).U32(uint32(std::size(properties)));
    for (const Property& p : properties) {
        list.Code("ZQRS").Code(p.key).U32(0);
        list.U32(uint32(p.value.data.size())).Text(std::string(p.value.data.begin(), p.value.data.end()));
        list.ZeroTo((list.data.size() + 3) & ~size_t(3));
    }
    return list.data;
}

bool Refuse(std::string& outDetail, const std::string& inReason) {
    outDetail = inReason;
    return false;
}

// Compares bytes, describing the first difference.
bool SameBytes(const std::optional<std::vector<uint8>>& inActual, const std::vector<uint8>& inExpected,
               std::string& outDetail) {
    if (!inActual) return Refuse(outDetail, "resource missing");
    const auto& a = *inActual;
    const auto at = std::mismatch(a.begin(), a.end(), inExpected.begin(), inExpected.end()).first - a.begin();
    return (a == inExpected) || Refuse(outDetail, "size " + std::to_string(a.size()) + " (expected " +
                                                      std::to_string(inExpected.size()) +
                                                      "), first difference at byte " + std::to_string(at));
}

std::string Lower(std::string inText) {
    std::transform(inText.begin(), inText.end(), inText.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return inText;
}

// Only libraries every Windows system has: the runtime must be linked into our binaries.
bool SystemImportsOnly(PeImage& inImage, std::string& outDetail) {
    static const std::set<std::string> kSystem = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll",
                                                  "advapi32.dll"};
    const auto imports = inImage.ImportedLibraries();
    if (!imports) return Refuse(outDetail, inImage.Error());
    for (const std::string& name : *imports)
        if (!kSystem.count(Lower(name))) outDetail += name + " ";
    return outDetail.empty();
}

struct Check {
    std::string name;
    std::function<bool(std::string&)> run;
};

// The dialog as DescribeDialogTemplate puts it (the form wine-compare.sh holds the live dialog against);
// the owner's notice on the second text may be any non-empty text.
bool CheckDialog(PeImage& inDll, std::string& outDetail) {
    const auto data = inDll.Resource(Key::Id(kResourceDialog), Key::Id(16000));
    const auto dialog = data ? DecodeDialogTemplate(*data) : std::nullopt;
    if (!dialog) return Refuse(outDetail, "dialog 16000 missing or damaged");
    constexpr uint32 kPopup = 0x80000000u, kModalFrame = 0x80, kCaption = 0x00C00000u;
    if ((dialog->style & (kPopup | kModalFrame)) != (kPopup | kModalFrame) || (dialog->style & kCaption))
        return Refuse(outDetail, "not a modal pop-up frame without title bar");
    const std::string text = "text centred at 5,";
    const std::vector<std::string> expected = {
        "frame 125 x 92, title \"\", font \"MS Sans Serif\" 8",
        text + "10 size 115 x 12: \"Lumenar 5 File Format\"",
        text + "25 size 115 x 12: \"",
        text + "40 size 115 x 12: \"4.0\"",
        text + "60 size 115 x 16: \"A plug-in image format module that reads and writes\"",
        text + "76 size 115 x 8: \"Lumenar 5 files.\""};
    const std::vector<std::string> got = DescribeDialogTemplate(*dialog);
    if (dialog->items.size() != 5 || got.size() != expected.size())
        return Refuse(outDetail, "not five static texts");
    for (size_t i = 0; i < got.size(); ++i) {
        const bool owner = i == 2;  // a prefix, and more than the closing quote after it
        if (owner ? got[i].rfind(expected[i], 0) != 0 || got[i].size() <= expected[i].size() + 1
                  : got[i] != expected[i])
            return Refuse(outDetail, got[i]);
    }
    return true;
}

bool CheckVersion(PeImage& inDll, std::string& outDetail) {
    const auto data = inDll.Resource(Key::Id(kResourceVersion), Key::Id(1));
    if (!data) return Refuse(outDetail, "version resource missing");
    const auto info = DecodeVersionInfo(*data);
    if (!info) return Refuse(outDetail, "version resource damaged");
    if (info->fileVersionHigh != 0x00040000u || info->productVersionHigh != 0x00040000u ||
        info->fileVersionLow != 0 || info->productVersionLow != 0)
        return Refuse(outDetail, "binary version is not 4.0");
    const std::pair<const char*, const char*> entries[] = {{"FileVersion", "4.0"},
                                                           {"ProductVersion", "4.0"},
                                                           {"FileDescription", "Lumenar Format Plugin"},
                                                           {"InternalName", "Lumenar 5"}};
    for (const auto& [key, value] : entries) {
        if (VersionString(*data, key) != value)
            return Refuse(outDetail, std::string(key) + " is not \"" + value + "\"");
    }
    return true;
}

std::vector<Check> ModuleChecks(PeImage& dll) {
    return {
        {"module is a 32-bit x86 DLL",
         [&](std::string& d) {
             if (dll.Machine() == PeImage::kMachineI386 &&
                 (dll.Characteristics() & PeImage::kCharacteristicDll))
                 return true;
             return Refuse(d, "machine " + std::to_string(dll.Machine()));
         }},
        {"exports exactly ENTRYPOINT and AboutDlgProc, undecorated",
         [&](std::string& d) {
             const auto names = dll.ExportNames();
             if (!names) return Refuse(d, dll.Error());
             const std::multiset<std::string> got(names->begin(), names->end());
             if (got == std::multiset<std::string>{"AboutDlgProc", "ENTRYPOINT"}) return true;
             for (const auto& n : *names) d += n + " ";
             return false;
         }},
        {"module imports system libraries only", [&](std::string& d) { return SystemImportsOnly(dll, d); }},
        {"property list PIPL 16000",
         [&](std::string& d) {
             return SameBytes(dll.Resource(Key::Text("PIPL"), Key::Id(16000)), ExpectedPropertyList(), d);
         }},
        {"name resource _ZQFF 1",
         [&](std::string& d) {
             const auto expected = Bytes().U16(3).Text("Lumenar 5").Byte(0).data;
             return SameBytes(dll.Resource(Key::Text("_ZQFF"), Key::Id(1)), expected, d);
         }},
        {"information resource PIMI 1",
         [&](std::string& d) {
             const auto expected = Bytes().U16(3).Text("Lumenar 5").Byte(0).ZeroTo(84).Text("LMN KRV ").data;
             return SameBytes(dll.Resource(Key::Text("PIMI"), Key::Id(1)), expected, d);
         }},
        {"version resource", [&](std::string& d) { return CheckVersion(dll, d); }},
        {"About dialog 16000", [&](std::string& d) { return CheckDialog(dll, d); }},
    };
}

std::vector<Check> HostChecks(PeImage& exe) {
    return {
        {"host is a 32-bit x86 console program",
         [&](std::string& d) {
             if (exe.Machine() == PeImage::kMachineI386 &&
                 !(exe.Characteristics() & PeImage::kCharacteristicDll) &&
                 exe.Subsystem() == PeImage::kSubsystemConsole)
                 return true;
             return Refuse(d, "machine " + std::to_string(exe.Machine()) + ", subsystem " +
                                  std::to_string(exe.Subsystem()));
         }},
        {"host imports system libraries only", [&](std::string& d) { return SystemImportsOnly(exe, d); }},
    };
}

std::optional<PeImage> Load(const char* inPath, std::string& outError) {
    std::ifstream file(inPath, std::ios::binary);
    if (!file) {
        outError = std::string("cannot open ") + inPath;
        return std::nullopt;
    }
    PeImage image(std::vector<uint8>(std::istreambuf_iterator<char>(file), {}));
    if (!image.Parse()) {
        outError = std::string(inPath) + ": " + image.Error();
        return std::nullopt;
    }
    return image;
}

// Prints the About dialog's resource as the lines DescribeDialogTemplate makes of it.
int PrintAboutLayout(const char* inPath) {
    std::string error;
    auto image = Load(inPath, error);
    const auto data = image ? image->Resource(Key::Id(kResourceDialog), Key::Id(16000)) : std::nullopt;
    const auto dialog = data ? DecodeDialogTemplate(*data) : std::nullopt;
    if (!dialog) {
        std::fprintf(stderr, "windows_dll_check: %s\n", image ? "no readable dialog 16000" : error.c_str());
        return 1;
    }
    for (const std::string& line : DescribeDialogTemplate(*dialog)) std::printf("%s\n", line.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--about-layout") return PrintAboutLayout(argv[2]);
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: windows_dll_check <Lumenar5.dll> [<lumenar.exe>]\n");
        return 2;
    }
    int passed = 0, failed = 0;
    auto run = [&](const std::vector<Check>& inChecks) {
        for (const Check& check : inChecks) {
            std::string detail;
            const bool ok = check.run(detail);
            (ok ? passed : failed)++;
            std::printf("%s %s%s%s\n", ok ? "ok  " : "FAIL", check.name.c_str(), detail.empty() ? "" : ": ",
                        detail.c_str());
        }
    };
    for (int i = 1; i < argc; ++i) {
        std::string error;
        auto image = Load(argv[i], error);
        if (!image) {
            std::printf("FAIL %s\n", error.c_str());
            ++failed;
            continue;
        }
        run(i == 1 ? ModuleChecks(*image) : HostChecks(*image));
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
