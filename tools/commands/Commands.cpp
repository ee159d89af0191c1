#include <cstdio>

#include "tools/commands/Command.h"

extern const Command kAboutCommand;
extern const Command kFlattenCommand;
extern const Command kInfoCommand;
extern const Command kRoundtripCommand;

const std::vector<const Command*>& AllCommands() {
    static const std::vector<const Command*> sCommands = {&kFlattenCommand, &kInfoCommand, &kRoundtripCommand,
                                                          &kAboutCommand};
    return sCommands;
}

int ReportError(int inExitCode, const std::string& inMessage) {
    std::fprintf(stderr, "lumenar: %s\n", inMessage.c_str());
    return inExitCode;
}
