// Flattening through the host session (whose selector order HostSessionTest owns), against a scripted
// stand-in module: the assembly of tiles of every shape into the RGBA image, and the refusals when the
// module misbehaves.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/Tool/ScriptedModule.h"
#include "tests/support/TempFolder.h"
#include "tools/win/FlattenToRgba.h"

namespace {

constexpr int32 kDocumentHandle = 77;

struct Outcome {
    bool ok;
    const char* errorPart;  // a piece of the reason on failure
};

TEST(FlattenToRgba, DrivesTheReadSelectorsAndAssemblesTiles) {
    const std::pair<ModuleScript, Outcome> cases[] = {
        {{"one tile", 3, 5, 8, 8}, {true, ""}},
        {{"edge tiles narrower and shorter", 7, 10, 4, 3}, {true, ""}},
        {{"one-pixel tiles", 2, 3, 1, 1}, {true, ""}},
        {{"refused at start", 4, 4, 4, 4, kSelectorReadStart, 1}, {false, "result 1"}},
        {{"failure while reading", 8, 8, 4, 4, kSelectorReadContinue, 1, 2},
         {false, "reading failed at selector 3"}},
        {{"tile below the image", 8, 8, 4, 4, -1, 0, 0, true}, {false, "outside the image"}},
        {{"empty image", 0, 4, 4, 4}, {false, "no image"}},
    };
    for (const auto& [script, expected] : cases) {
        UseScript(script);
        FlatImage image;
        std::string error;
        const bool ok = FlattenToRgba(&ScriptedEntry, kDocumentHandle, image, error);
        EXPECT_EQ(ok, expected.ok) << script.name << ": " << error;
        EXPECT_NE(error.find(expected.errorPart), std::string::npos) << script.name << ": " << error;
        EXPECT_EQ(gLog.fileHandle, kDocumentHandle) << script.name;
        EXPECT_EQ(gLog.blockAllocations, 1) << script.name;
        if (!expected.ok) continue;
        ASSERT_EQ(image.rows, script.rows);
        ASSERT_EQ(image.columns, script.columns);
        ASSERT_EQ(image.rgba.size(), size_t(script.rows) * script.columns * 4);
        for (int32 y = 0; y < script.rows; ++y)
            for (int32 x = 0; x < script.columns; ++x) {
                const uint8* p = &image.rgba[(size_t(y) * script.columns + x) * 4];
                ASSERT_EQ(std::vector<uint8>(p, p + 4), ScriptedPixel(x, y))
                    << script.name << " at " << x << "," << y;
            }
    }
}

// A list run: each name's document is the script of that name; one cannot be opened. Every document gets
// its summary line in list order, and only the ones read get an image file.
TEST(FlattenToRgba, FlattenAllSummarisesEveryDocumentOfTheList) {
    const TempFolder temp;
    const std::filesystem::path folder = temp.Path();
    std::filesystem::create_directories(folder / "out");
    std::ofstream(folder / "index.txt") << "small.lmn\nrefused.lmn\n\nmissing.lmn\ntiled.lmn\n";
    const std::vector<ModuleScript> scripts = {{"small.lmn", 3, 5, 8, 8},
                                               {"refused.lmn", 4, 4, 4, 4, kSelectorReadStart, 1},
                                               {"tiled.lmn", 7, 10, 4, 3}};
    const DocumentFiles files{[&](const std::string& inPath) {
                                  for (const ModuleScript& s : scripts)
                                      if (inPath == (folder / s.name).string()) {
                                          UseScript(s);
                                          return kDocumentHandle;
                                      }
                                  return -1;
                              },
                              [](int32 inFile) { EXPECT_EQ(inFile, kDocumentHandle); }};
    std::string error;
    EXPECT_EQ(FlattenAll(&ScriptedEntry, folder.string(), (folder / "out").string(), files, error), 2)
        << error;
    std::ostringstream summary;
    summary << std::ifstream(folder / "out" / "summary.txt").rdbuf();
    EXPECT_EQ(summary.str(),
              "small.lmn: 5 x 3\n"
              "refused.lmn: refused: the module refused the document (result 1)\n"
              "missing.lmn: refused: cannot open the document\n"
              "tiled.lmn: 10 x 7\n");
    EXPECT_EQ(std::filesystem::file_size(folder / "out" / "tiled.lmn.rgba"), 7u * 10u * 4u);
    EXPECT_FALSE(std::filesystem::exists(folder / "out" / "refused.lmn.rgba"));
    EXPECT_EQ(FlattenAll(&ScriptedEntry, (folder / "none").string(), (folder / "out").string(), files, error),
              -1);
}

}  // namespace
