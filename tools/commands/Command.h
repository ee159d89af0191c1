// The commands of the lumenar tool. Each command lives in its own source file and is listed once in
// Commands.cpp; the main program parses the global options and hands the rest to the command.
#pragma once

#include <string>
#include <vector>

// Exit codes of the tool.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // a refused or failed input
inline constexpr int kExitUsage = 2;

struct CommandContext {
    std::string modulePath;         // the module to load, resolved by the main program
    std::vector<std::string> args;  // the command's own arguments (global options taken out)
    bool verbose = false;           // pass the module's own reports on ("lumenar: module report: ...")
};

struct Command {
    const char* name;
    const char* arguments;  // the argument synopsis for the usage text ("" when none)
    const char* summary;    // one line for the command list
    const char* examples;   // lines of the command's help, before its usage ("lumenar flatten a.lmn\n...")
    const char* options;    // the options, one per line, for the command's help ("" when none)
    int (*run)(const CommandContext& inContext);
};

// Every command, in the order the help text lists them.
const std::vector<const Command*>& AllCommands();

// Writes "lumenar: <message>" to standard error and returns inExitCode.
int ReportError(int inExitCode, const std::string& inMessage);

// How a command names an input in messages: "standard input" for "-", else the path as given.
std::string DisplayName(const std::string& inPath);
