// Flattening through the host session (whose selector order HostSessionTest owns), against a scripted
// stand-in module: the assembly of tiles of every shape into the RGBA image, and the refusals when the
// module misbehaves.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tools/win/FlattenToRgba.h"

namespace {

constexpr int32 kDocumentHandle = 77;

// What the stand-in module does; one script per test case.
struct Script {
    const char* name;
    int16 rows, columns;
    int16 tileWidth, tileHeight;
    int16 startResult = 0;
    int32 failAtTile = -1;     // ReadContinue returns 1 at this tile
    bool tileOutside = false;  // the second tile lies below the image
};

struct Observed {
    int32 blockAllocations = 0;
    bool wrongHandle = false;
};

Script gScript;
Observed gSeen;
int32 gNextTile = 0;
std::vector<uint8> gTile;

// The stand-in's pixel at (x, y) as red, green, blue, alpha.
std::vector<uint8> Pixel(int32 x, int32 y) {
    return {uint8(x + 3 * y), uint8(y * 5), uint8(x * 7), uint8(255 - x - y)};
}

void DeliverTile(FormatParamRecord& ioRecord) {
    const int32 across = (gScript.columns + gScript.tileWidth - 1) / gScript.tileWidth;
    const int32 down = (gScript.rows + gScript.tileHeight - 1) / gScript.tileHeight;
    const int32 index = gNextTile++;
    if (index >= across * down) {
        ioRecord.tileData = nullptr;
        return;
    }
    const int32 left = (index % across) * gScript.tileWidth, top = (index / across) * gScript.tileHeight;
    int32 right = std::min<int32>(left + gScript.tileWidth, gScript.columns);
    int32 bottom = std::min<int32>(top + gScript.tileHeight, gScript.rows);
    const int32 width = right - left;
    gTile.assign(size_t(width) * size_t(bottom - top) * 4, 0);
    for (int32 y = top; y < bottom; ++y)
        for (int32 x = left; x < right; ++x) {
            const std::vector<uint8> c = Pixel(x, y);  // stored blue, green, red, alpha
            uint8* p = &gTile[(size_t(y - top) * width + size_t(x - left)) * 4];
            p[0] = c[2], p[1] = c[1], p[2] = c[0], p[3] = c[3];
        }
    if (gScript.tileOutside && index == 1) bottom = gScript.rows + 1;
    ioRecord.tileData = gTile.data();
    const int16 rect[4] = {int16(top), int16(left), int16(bottom), int16(right)};
    std::copy(rect, rect + 4, ioRecord.tileRect);
    ioRecord.columnStep = 4;
    ioRecord.rowStep = width * 4;
    ioRecord.planeStep = 1;
    const int16 map[4] = {2, 1, 0, 3};
    std::copy(map, map + 4, ioRecord.planeMap);
}

void LUMENAR_CDECL StandIn(int16 inSelector, void* inRecord, HostHandle* ioData, int16* outResult) {
    auto& record = *static_cast<FormatParamRecord*>(inRecord);
    if (*ioData == nullptr) {
        *ioData = record.allocateHandle(200);
        ++gSeen.blockAllocations;
    }
    *outResult = 0;
    if (inSelector == 2) {
        gSeen.wrongHandle = record.fileHandle != kDocumentHandle;
        record.imageRows = gScript.rows;
        record.imageColumns = gScript.columns;
        *outResult = gScript.startResult;
    } else if (inSelector == 3) {
        if (gNextTile == gScript.failAtTile) {
            *outResult = 1;
            return;
        }
        DeliverTile(record);
    }
}

struct Outcome {
    bool ok;
    const char* errorPart;  // a piece of the reason on failure
};

TEST(FlattenToRgba, DrivesTheReadSelectorsAndAssemblesTiles) {
    const std::pair<Script, Outcome> cases[] = {
        {{"one tile", 3, 5, 8, 8}, {true, ""}},
        {{"edge tiles narrower and shorter", 7, 10, 4, 3}, {true, ""}},
        {{"one-pixel tiles", 2, 3, 1, 1}, {true, ""}},
        {{"refused at start", 4, 4, 4, 4, 1}, {false, "result 1"}},
        {{"failure while reading", 8, 8, 4, 4, 0, 2}, {false, "reading failed at selector 3"}},
        {{"tile below the image", 8, 8, 4, 4, 0, -1, true}, {false, "outside the image"}},
        {{"empty image", 0, 4, 4, 4}, {false, "no image"}},
    };
    for (const auto& [script, expected] : cases) {
        gScript = script;
        gSeen = {};
        gNextTile = 0;
        FlatImage image;
        std::string error;
        const bool ok = FlattenToRgba(&StandIn, kDocumentHandle, image, error);
        EXPECT_EQ(ok, expected.ok) << script.name << ": " << error;
        EXPECT_NE(error.find(expected.errorPart), std::string::npos) << script.name << ": " << error;
        EXPECT_FALSE(gSeen.wrongHandle) << script.name;
        EXPECT_EQ(gSeen.blockAllocations, 1) << script.name;
        if (!expected.ok) continue;
        ASSERT_EQ(image.rows, script.rows);
        ASSERT_EQ(image.columns, script.columns);
        ASSERT_EQ(image.rgba.size(), size_t(script.rows) * script.columns * 4);
        for (int32 y = 0; y < script.rows; ++y)
            for (int32 x = 0; x < script.columns; ++x) {
                const uint8* p = &image.rgba[(size_t(y) * script.columns + x) * 4];
                ASSERT_EQ(std::vector<uint8>(p, p + 4), Pixel(x, y))
                    << script.name << " at " << x << "," << y;
            }
    }
}

// A list run: each name's document is the script of that name; one cannot be opened. Every document gets
// its summary line in list order, and only the ones read get an image file.
TEST(FlattenToRgba, FlattenAllSummarisesEveryDocumentOfTheList) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("flatten-all-test-" + std::to_string(std::random_device{}()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "out");
    std::ofstream(folder / "index.txt") << "small.lmn\nrefused.lmn\n\nmissing.lmn\ntiled.lmn\n";
    const std::vector<Script> scripts = {
        {"small.lmn", 3, 5, 8, 8}, {"refused.lmn", 4, 4, 4, 4, 1}, {"tiled.lmn", 7, 10, 4, 3}};
    const DocumentFiles files{[&](const std::string& inPath) {
                                  for (const Script& s : scripts)
                                      if (inPath == (folder / s.name).string()) {
                                          gScript = s;
                                          gNextTile = 0;
                                          return kDocumentHandle;
                                      }
                                  return -1;
                              },
                              [](int32 inFile) { EXPECT_EQ(inFile, kDocumentHandle); }};
    std::string error;
    EXPECT_EQ(FlattenAll(&StandIn, folder.string(), (folder / "out").string(), files, error), 2) << error;
    std::ostringstream summary;
    summary << std::ifstream(folder / "out" / "summary.txt").rdbuf();
    EXPECT_EQ(summary.str(),
              "small.lmn: 5 x 3\n"
              "refused.lmn: refused: the module refused the document (result 1)\n"
              "missing.lmn: refused: cannot open the document\n"
              "tiled.lmn: 10 x 7\n");
    EXPECT_EQ(std::filesystem::file_size(folder / "out" / "tiled.lmn.rgba"), 7u * 10u * 4u);
    EXPECT_FALSE(std::filesystem::exists(folder / "out" / "refused.lmn.rgba"));
    EXPECT_EQ(FlattenAll(&StandIn, (folder / "none").string(), (folder / "out").string(), files, error), -1);
    std::filesystem::remove_all(folder);
}

}  // namespace
