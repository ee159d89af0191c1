// Every input a fuzz target keeps (the inputs that once crashed or hung it, and the committed seeds)
// goes again through the target's entry function, in the ordinary build. An entry function aborts when
// its input breaks a promise (see fuzz/FuzzSupport.h), so reaching the end is the check; each target
// must have inputs to replay.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "tests/support/TempFolder.h"

// Test names and failure messages show the target by its name.
void PrintTo(const FuzzTarget& inTarget, std::ostream* outStream) {
    *outStream << inTarget.name;
}

namespace {

namespace fs = std::filesystem;

class FuzzReplayTest : public testing::TestWithParam<FuzzTarget> {};

TEST_P(FuzzReplayTest, EveryKeptInputIsReadOrRefusedCleanly) {
    const FuzzTarget& target = GetParam();
    const TempFolder folder(true);  // the document target creates its scratch file in the working folder
    size_t replayed = 0;
    for (const char* root : {"tests/data/fuzz/", "fuzz/seeds/"}) {
        std::error_code absent;  // a target may keep no inputs under one of the roots
        for (const fs::directory_entry& entry :
             fs::directory_iterator(fs::path(LUMENAR_SOURCE_DIR) / root / target.name, absent)) {
            std::ifstream in(entry.path(), std::ios::binary);
            const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                             std::istreambuf_iterator<char>()};
            EXPECT_EQ(target.entry(bytes.data(), bytes.size()), 0) << entry.path();
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0u) << "no kept input for " << target.name;
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplayTest, testing::ValuesIn(kFuzzTargets),
                         [](const testing::TestParamInfo<FuzzTarget>& inInfo) {
                             return std::string(inInfo.param.name);
                         });

}  // namespace
