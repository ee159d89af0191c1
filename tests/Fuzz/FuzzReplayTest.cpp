// Every input a fuzz target keeps (the inputs that once crashed or hung it, and the committed seeds)
// goes again through the target's entry function, in the ordinary build. An entry function aborts when
// its input breaks a promise (see fuzz/FuzzSupport.h), so reaching the end is the check; each target
// must have inputs to replay.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/FuzzSupport.h"

// Test names and failure messages show the target by its name.
void PrintTo(const FuzzTarget& inTarget, std::ostream* outStream) { *outStream << inTarget.name; }

namespace {

namespace fs = std::filesystem;

class FuzzReplayTest : public testing::TestWithParam<FuzzTarget> {
protected:
    // The document target creates its scratch file in the current directory: give it one of its own.
    void SetUp() override {
        char pattern[] = "/tmp/lumenar-replay-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        mDirectory = pattern;
        mPrevious = fs::current_path();
        fs::current_path(mDirectory);
    }
    void TearDown() override {
        fs::current_path(mPrevious);
        fs::remove_all(mDirectory);
    }
    fs::path mDirectory, mPrevious;
};

TEST_P(FuzzReplayTest, EveryKeptInputIsReadOrRefusedCleanly) {
    const FuzzTarget& target = GetParam();
    size_t replayed = 0;
    for (const char* root : {"tests/data/fuzz/", "fuzz/seeds/"}) {
        const fs::path folder = fs::path(LUMENAR_SOURCE_DIR) / root / target.name;
        if (!fs::is_directory(folder)) continue;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            std::ifstream in(entry.path(), std::ios::binary);
            const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            SCOPED_TRACE(entry.path().string());
            EXPECT_EQ(target.entry(bytes.data(), bytes.size()), 0);
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0u) << "no kept input for " << target.name;
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplayTest, testing::ValuesIn(kFuzzTargets),
                         [](const testing::TestParamInfo<FuzzTarget>& inInfo) { return std::string(inInfo.param.name); });

}  // namespace
