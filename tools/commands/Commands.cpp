#include <cstdio>

#include "tools/commands/Command.h"

extern const Command kAboutCommand;
extern const Command kComposeCommand;
extern const Command kFlattenCommand;
extern const Command kInfoCommand;
extern const Command kLayersCommand;
extern const Command kRoundtripCommand;

const std::vector<const Command*>& AllCommands() {
    static const std::vector<const Command*> sCommands = {&kFlattenCommand,   &kInfoCommand,
                                                          &kLayersCommand,    &kComposeCommand,
                                                          &kRoundtripCommand, &kAboutCommand};
    return sCommands;
}

int ReportError(int inExitCode, const std::string& inMessage) {
    std::fprintf(stderr, "lumenar: %s\n", inMessage.c_str());
    return inExitCode;
}

std::string DisplayName(const std::string& inPath) {
    return inPath == "-" ? "standard input" : inPath;
}
