// Collects what the module writes to standard error while it runs, so the tool can pass it on as the
// module's report ("lumenar: module report: ...") instead of letting it mix with the tool's own output.
//
// On this system the module's reports (its message boxes and debug strings) arrive on standard error.
// Capture() redirects descriptor 2 into a temporary file for the duration of one call; Lines() gives
// what was collected. Without a temporary file the module's output simply stays on standard error.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

class ModuleOutput {
public:
    ModuleOutput();
    ~ModuleOutput();
    ModuleOutput(const ModuleOutput&) = delete;
    ModuleOutput& operator=(const ModuleOutput&) = delete;

    // Runs inCall with standard error going to the collection.
    template <typename Call>
    auto Capture(Call&& inCall) {
        Begin();
        struct Restore {
            ModuleOutput* self;
            ~Restore() { self->End(); }
        } restore{this};
        return inCall();
    }

    // Runs inCall, during a capture, with standard error where it was before (the tool's own output).
    template <typename Call>
    void Uncaptured(Call&& inCall) {
        const bool capturing = mSavedError >= 0;
        End();
        inCall();
        if (capturing) Begin();
    }

    // Every line collected so far, with the module's "[Debug String] " box title taken off and a line
    // that repeats the one before it dropped.
    std::vector<std::string> Lines() const;

private:
    void Begin();
    void End();

    std::FILE* mStore = nullptr;
    int mSavedError = -1;
};
