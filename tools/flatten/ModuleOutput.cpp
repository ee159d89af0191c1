#include "tools/flatten/ModuleOutput.h"

#include <unistd.h>

namespace {
constexpr const char* kDebugStringTitle = "[Debug String] ";
}  // namespace

ModuleOutput::ModuleOutput() : mStore(std::tmpfile()) {}

ModuleOutput::~ModuleOutput() {
    End();
    if (mStore != nullptr) std::fclose(mStore);
}

void ModuleOutput::Begin() {
    if (mStore == nullptr || mSavedError >= 0) return;
    std::fflush(stderr);
    mSavedError = ::dup(STDERR_FILENO);
    if (mSavedError < 0) return;
    if (::dup2(::fileno(mStore), STDERR_FILENO) < 0) {
        ::close(mSavedError);
        mSavedError = -1;
    }
}

void ModuleOutput::End() {
    if (mSavedError < 0) return;
    std::fflush(stderr);
    ::dup2(mSavedError, STDERR_FILENO);
    ::close(mSavedError);
    mSavedError = -1;
}

std::vector<std::string> ModuleOutput::Lines() const {
    std::vector<std::string> lines;
    if (mStore == nullptr) return lines;
    std::fflush(mStore);
    std::rewind(mStore);
    std::string line;
    for (int c = std::fgetc(mStore); c != EOF; c = std::fgetc(mStore)) {
        if (c != '\n') {
            line += char(c);
            continue;
        }
        if (line.rfind(kDebugStringTitle, 0) == 0) line.erase(0, std::string(kDebugStringTitle).size());
        // A report goes both to the debugger output and to a box; one copy is enough.
        if (lines.empty() || lines.back() != line) lines.push_back(line);
        line.clear();
    }
    if (!line.empty()) lines.push_back(line);
    std::fseek(mStore, 0, SEEK_END);
    return lines;
}
