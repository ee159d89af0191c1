// Test helper: captures what the reporting step showed, through the platform test hooks.
#pragma once

#include <string>
#include <vector>

#include "API/Platform/PlatformTestHooks.h"

// Resets the platform model and silences its echo for its lifetime; lists the reports shown since.
class ReportLog {
public:
    ReportLog() {
        Platform::TestHooks::Reset();
        Platform::TestHooks::SetEcho(false);
    }
    ~ReportLog() { Platform::TestHooks::Reset(); }
    ReportLog(const ReportLog&) = delete;
    ReportLog& operator=(const ReportLog&) = delete;

    // Texts of the assertion-mode reports (boxes titled "Debug String").
    std::vector<std::string> DebugStrings() const { return Texts("Debug String"); }
    // Texts of the throw-site reports (boxes titled "Exception Thrown").
    std::vector<std::string> Throws() const { return Texts("Exception Thrown"); }
    void Clear() const { Platform::TestHooks::ClearLogs(); }

private:
    static std::vector<std::string> Texts(const std::string& inTitle) {
        std::vector<std::string> texts;
        for (const auto& box : Platform::TestHooks::MessageBoxes())
            if (box.title == inTitle) texts.push_back(box.text);
        return texts;
    }
};
