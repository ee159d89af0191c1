// A private folder for one test under the system's temporary folder, removed with all it holds when the
// object goes. Entered, the process works inside it meanwhile: the module's scratch file has a fixed name
// in the working folder, so tests running at the same time must not share one.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

class TempFolder {
public:
    explicit TempFolder(bool inEnter = false) {
        std::string pattern = (std::filesystem::temp_directory_path() / "lumenar-test-XXXXXX").string();
        EXPECT_NE(::mkdtemp(pattern.data()), nullptr);
        mPath = pattern;
        if (!inEnter) return;
        mPrevious = std::filesystem::current_path();
        std::filesystem::current_path(mPath);
    }
    ~TempFolder() {
        if (!mPrevious.empty()) std::filesystem::current_path(mPrevious);
        std::error_code ignored;
        std::filesystem::remove_all(mPath, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return mPath; }
    std::string Path(const std::string& inName) const { return mPath + "/" + inName; }

private:
    std::string mPath;
    std::filesystem::path mPrevious;
};
