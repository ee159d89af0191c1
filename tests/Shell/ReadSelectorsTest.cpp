// The read selectors' refusals, which do not depend on the document reader.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "API/MergerTempFile.h"
#include "API/Platform/PlatformTestHooks.h"
#include "FileFormat/Lumenar5/Src/Selectors.h"
#include "tests/Shell/FakeHost.h"

namespace {

namespace Hooks = Platform::TestHooks;

// In a private directory, so that the fixed scratch-file name cannot collide with other tests.
class ReadSelectorsTest : public testing::Test {
protected:
    void SetUp() override {
        Hooks::Reset();
        Hooks::SetEcho(false);
        char previous[PATH_MAX];
        ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
        mPrevious = previous;
        char pattern[] = "/tmp/lumenar-read-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        mDirectory = pattern;
        ASSERT_EQ(::chdir(mDirectory.c_str()), 0);
    }
    void TearDown() override {
        ::unlink(MergerTempFile::kFileName);
        EXPECT_EQ(::chdir(mPrevious.c_str()), 0);
        ::rmdir(mDirectory.c_str());
        Hooks::Reset();
    }

    std::string mPrevious;
    std::string mDirectory;
};

TEST_F(ReadSelectorsTest, ReadStartOnAnUnreadableFileFailsWithOneAndLeavesNoScratchFile) {
    FakeHost host;
    host.record.fileHandle = Platform::kInvalidFile;
    EXPECT_EQ(host.Call(kSelectorReadStart), errGeneric);
    ASSERT_FALSE(Hooks::MessageBoxes().empty());
    const Hooks::MessageBoxRecord& box = Hooks::MessageBoxes().back();
    EXPECT_EQ(box.title, "Debug String");
    EXPECT_EQ(box.text, "Problem reading lumenar file.");
    struct stat info {};
    EXPECT_NE(::stat(MergerTempFile::kFileName, &info), 0);
    EXPECT_NE(host.record.settingsHandle, nullptr) << "the settings handle is made before the document is opened";
}

}  // namespace
